// Exact rounding of numeric values held as decimal text, for the numeric
// overloads of ROUND, TRUNCATE, CEILING and FLOOR: no digit goes through a
// double on the way.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/message_ids.h"

// places counts fraction digits; a negative count works on tens, hundreds
// and so on. Results are in the normal form of FitNumericText without a
// fixed scale. 1009 for a text that is not a decimal number.

// Half rounds toward positive infinity: 2.5 -> 3, -2.5 -> -2.
MessageId RoundDecimalText(std::string_view text, std::int32_t places, std::string& out);
// Toward zero: -1.25 at 1 place -> -1.2.
MessageId TruncateDecimalText(std::string_view text, std::int32_t places, std::string& out);
// The nearest whole number above, or below.
MessageId CeilingDecimalText(std::string_view text, std::string& out);
MessageId FloorDecimalText(std::string_view text, std::string& out);
