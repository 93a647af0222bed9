// The date and time scalar functions (CURRENT_DATE to YEAR). Values are
// wall-clock fields; only the current date and time read a zone.
#pragma once

#include "common/message_ids.h"

struct ScalarCall;

MessageId EvaluateDateTimeFunction(ScalarCall& call);
