// The numeric scalar functions (ABS to TRUNCATE): doubles and integers in
// double precision, numeric values as exact decimal text where the function
// keeps their type.
#pragma once

#include "common/message_ids.h"

struct ScalarCall;

MessageId EvaluateNumericFunction(ScalarCall& call);
