// Numeric (decimal text) results of IFNULL and CONVERT from numbers and
// texts: normalised to the call's precision and scale, never cut.
#pragma once

#include <string_view>

#include "common/message_ids.h"

struct ScalarCall;

// The double as a decimal text in the call's precision and scale. 1011 when
// its whole digits do not fit (infinity included), 1009 for NaN.
MessageId SetNumericFromDouble(ScalarCall& call, double value);

// A number text (blanks around it, leading zeros and an exponent allowed) in
// the call's precision and scale. 1011 when it does not fit, 1009 when the
// text is not a number.
MessageId SetNumericFromText(ScalarCall& call, std::string_view text);
