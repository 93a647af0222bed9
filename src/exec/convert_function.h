// CONVERT(value, type): the conversion of a value between SQL types, its
// result type fixed at binding. Every result stays within the call's column.
#pragma once

#include "common/message_ids.h"

struct ScalarCall;

MessageId EvaluateConvertFunction(ScalarCall& call);
