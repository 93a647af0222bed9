// Exact readings of number texts and of SQL_NUMERIC_STRUCT, shared by the two
// value-conversion directions so that no digit goes through a double on the
// way between a decimal text and an integer or NUMERIC buffer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <sqltypes.h>

#include "common/message_ids.h"

// A number as sign and digits: whole without leading zeros, fraction without
// trailing zeros; zero is two empty digit strings and never negative.
struct ExactNumber {
  bool negative = false;
  std::string whole;
  std::string fraction;
};

// Reads [+|-]digits[.digits][e[+|-]digits] with blanks around it (a point
// needs a digit on one side). 0; 1012 for anything else; 1011 for an exponent
// beyond +-400, which no SQL number or double reaches.
MessageId ReadExactNumber(std::string_view text, ExactNumber& number);

// The normal decimal text: "-12.5", "0.25", "0".
std::string ExactNumberText(const ExactNumber& number);

// Integers within [minimum, maximum], the fraction cut toward zero: 0; 1002
// when non-zero fraction digits were dropped; 1011 outside the range.
MessageId ExactNumberToInt64(const ExactNumber& number, std::int64_t minimum, std::int64_t maximum,
                             std::int64_t& out);
MessageId ExactNumberToUint64(const ExactNumber& number, std::uint64_t maximum, std::uint64_t& out);

// The double nearest to the number; 1011 beyond the double range.
MessageId ExactNumberToDouble(const ExactNumber& number, double& out);

// Exact forms of binary numbers.
ExactNumber ExactFromInt64(std::int64_t value);
ExactNumber ExactFromUint64(std::uint64_t value);
// The shortest decimal that reads back as the same double; 1011 for an
// infinite or NaN value.
MessageId ExactFromDouble(double value, ExactNumber& number);

// SQL_NUMERIC_STRUCT: scaled 128-bit magnitude, little-endian.
// From the struct: 0, or 1011 for a scale outside -38..38 .
MessageId ExactFromNumericStruct(const SQL_NUMERIC_STRUCT& numeric, ExactNumber& number);
// Into the struct, keeping the number's own scale (its fraction digits) so no
// digit is lost: 0; 1002 when fraction digits beyond 38 in all were cut;
// 1011 when more than 38 whole digits or the magnitude needs over 128 bits.
MessageId ExactToNumericStruct(const ExactNumber& number, SQL_NUMERIC_STRUCT& numeric);
// Into the struct at an application's precision (1 to 38; anything else
// means 38) and scale (0 to the precision): 0; 1002 when fraction digits
// beyond the scale were cut; 1011 when the whole digits need more than
// precision - scale places.
MessageId ExactToNumericStructAt(const ExactNumber& number, std::int32_t precision, std::int32_t scale,
                                 SQL_NUMERIC_STRUCT& numeric);
