// Arithmetic and comparison on numeric values held as decimal text, so that
// NUMERIC and DECIMAL columns keep every digit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/message_ids.h"
#include "common/value_cell.h"

// Operators: 13 negate, 14 add, 15 subtract, 16 multiply, 17 divide. The
// operands' and the result's decimal text live in ValueCell::bytes; right is
// nullptr for negate. 1019 for a non-numeric operand or result or another
// operator, 1053 on division by zero, 1011 when the result can't be held.
MessageId ApplyDecimalOperator(ValueCell& result, const ValueCell& left, std::uint16_t op,
                               const ValueCell* right);

// Operators 1 =, 2 <>, 3 <=, 4 <, 5 >=, 6 >: stores 1.0 or 0.0 in result's
// number. 1019 unless result is of the integer value type and both operands
// numeric, or for another operator.
MessageId EvaluateDecimalComparison(ValueCell& result, const ValueCell& left, std::uint16_t op,
                                    const ValueCell& right);

// Normalises a decimal text into out: leading blanks and zeros dropped, "-"
// kept, trailing fraction zeros dropped, fraction cut or padded to scale
// digits, negative zero without "-". out may alias text. outSize bounds the
// result's length (the terminating NUL of a C caller not counted). 0; 1011
// when the integer digits exceed precision - scale or outSize; 1002 when
// fraction digits were cut.
MessageId FitNumericText(std::string_view text, std::string& out, std::size_t outSize,
                         std::uint16_t precision, std::uint16_t scale);
