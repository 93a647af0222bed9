// The system scalar functions DATABASE, IFNULL, USER, IDENTITY and
// LASTERROR: connection state and the first non-NULL of two values.
#pragma once

#include "common/message_ids.h"

struct ScalarCall;

MessageId EvaluateSystemFunction(ScalarCall& call);
