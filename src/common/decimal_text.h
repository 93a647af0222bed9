// Arithmetic and comparison on numeric values held as decimal text, so that
// NUMERIC and DECIMAL columns keep every digit. Called by the expression
// evaluator, the numeric scalar functions, the executor and the tokenizer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/message_ids.h"
#include "common/value_cell.h"

// Operand texts are read as blanks, an optional sign, digits with an optional
// point and blanks; the empty text is zero.

// Operators: 13 negate, 14 add, 15 subtract, 16 multiply, 17 divide. The
// operands' and the result's decimal text live in ValueCell::bytes; right is
// nullptr for negate; result may be one of the operands. 1019 for a
// non-numeric operand or result or another operator, 1053 on division by
// zero, 1011 when the result can't be held.
//
// The result is written in the normal form of FitNumericText with at least
// result.digits fraction digits (when digits is not kNoDigits). Negation,
// addition, subtraction and multiplication are exact. A quotient carries
// exactly result.digits fraction digits, the sum of the operands' digits that
// the binder types a division with (with kNoDigits, the larger operand
// scale), truncated toward zero like every other cut of a numeric text.
// A result is held when its text has at most result.size + 2 characters
// (the sign and the point): the room every value buffer and sort record of a
// numeric of that size has. The null flag is the caller's to set.
MessageId ApplyDecimalOperator(ValueCell& result, const ValueCell& left, std::uint16_t op,
                               const ValueCell* right);

// Operators 1 =, 2 <>, 3 <=, 4 <, 5 >=, 6 >: stores 1.0 or 0.0 in result's
// number, comparing values (so "1.50" = "1.5" and "-0" = ""). 1019 unless
// result is of the integer value type and both operands numeric with
// readable texts, or for another operator.
MessageId EvaluateDecimalComparison(ValueCell& result, const ValueCell& left, std::uint16_t op,
                                    const ValueCell& right);

// Normalises a decimal text into out: leading blanks and zeros dropped, "-"
// kept, trailing fraction zeros dropped, fraction cut (toward zero) or padded
// to scale digits, negative zero without "-"; so zero is "" at scale 0 and
// ".00" at scale 2. With scale kNoDigits the fraction is kept as written,
// less its trailing zeros. out may alias text. outSize bounds the result's
// length (the terminating NUL of a C caller not counted). 0; 1011 when the
// integer digits exceed precision - scale or the result exceeds outSize; 1002
// when non-zero fraction digits were cut; 1009 for a text that is not a
// number. out is unchanged on failure.
MessageId FitNumericText(std::string_view text, std::string& out, std::size_t outSize,
                         std::uint16_t precision, std::uint16_t scale);
