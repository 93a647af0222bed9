// Exact decimal numbers of any length as digit strings, parsed from and
// rendered to the numeric normal form; used by decimal_text.cc.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// value = (negative ? -1 : 1) * digits * 10^-scale. digits holds '0'-'9'
// without leading zeros, so zero is the empty string (and never negative).
struct DecimalNumber {
  bool negative = false;
  std::string digits;
  std::size_t scale = 0;
};

// Accepts blanks, an optional sign, digits with an optional point, blanks.
// At least one digit is needed unless the text is blank: the empty text is
// how the normal form writes zero. Trailing fraction zeros are kept.
bool ParseDecimalText(std::string_view text, DecimalNumber& out);

// Drops trailing fraction zeros, so scale is the fewest fraction digits that
// still hold the exact value.
void TrimFractionZeros(DecimalNumber& number);

// Integer digits the number shows (0 for a pure fraction).
std::size_t IntegerDigitCount(const DecimalNumber& number);

// Normal form: "-" only for a non-zero value, no leading zeros (".5", and ""
// for zero at scale 0), the fraction as held by number.scale.
std::string RenderDecimalText(const DecimalNumber& number);

// Appends zeros so the number has at least scale fraction digits.
void PadScale(DecimalNumber& number, std::size_t scale);

// Removes fraction digits beyond scale (toward zero); true when a non-zero
// digit went.
bool CutScale(DecimalNumber& number, std::size_t scale);

int CompareDecimal(const DecimalNumber& a, const DecimalNumber& b);
DecimalNumber AddDecimal(const DecimalNumber& a, const DecimalNumber& b);
DecimalNumber NegateDecimal(const DecimalNumber& a);
DecimalNumber MultiplyDecimal(const DecimalNumber& a, const DecimalNumber& b);

// a / b truncated toward zero to fractionDigits digits; b must not be zero.
DecimalNumber DivideDecimal(const DecimalNumber& a, const DecimalNumber& b, std::size_t fractionDigits);

// The least number of integer digits a product or quotient of the two will
// show, known without computing it; lets a caller refuse an oversized result
// before spending work on it.
std::size_t ProductIntegerDigitsAtLeast(const DecimalNumber& a, const DecimalNumber& b);
std::size_t QuotientIntegerDigitsAtLeast(const DecimalNumber& a, const DecimalNumber& b);
