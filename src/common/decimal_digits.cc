// Exact decimal numbers as digit strings: schoolbook arithmetic on
// magnitudes of any length, so no operand length can overrun a work area.
#include "common/decimal_digits.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "common/ascii_text.h"

namespace {

void StripLeadingZeros(std::string& digits) {
  std::size_t first = digits.find_first_not_of('0');
  digits.erase(0, first == std::string::npos ? digits.size() : first);
}

// Magnitudes here never carry leading zeros, so the longer one is larger.
int CompareMagnitude(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  int c = a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

std::string AddMagnitude(const std::string& a, const std::string& b) {
  std::string sum(std::max(a.size(), b.size()) + 1, '0');
  int carry = 0;
  for (std::size_t i = 0; i < sum.size(); ++i) {
    int d = carry;
    if (i < a.size()) d += a[a.size() - 1 - i] - '0';
    if (i < b.size()) d += b[b.size() - 1 - i] - '0';
    sum[sum.size() - 1 - i] = static_cast<char>('0' + d % 10);
    carry = d / 10;
  }
  StripLeadingZeros(sum);
  return sum;
}

// a - b for a >= b.
std::string SubtractMagnitude(const std::string& a, const std::string& b) {
  std::string diff(a);
  int borrow = 0;
  for (std::size_t i = 0; i < diff.size(); ++i) {
    int d = (a[a.size() - 1 - i] - '0') - borrow;
    if (i < b.size()) d -= b[b.size() - 1 - i] - '0';
    borrow = d < 0 ? 1 : 0;
    diff[diff.size() - 1 - i] = static_cast<char>('0' + d + 10 * borrow);
  }
  StripLeadingZeros(diff);
  return diff;
}

std::string MultiplyMagnitude(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return std::string();
  std::vector<std::uint64_t> column(a.size() + b.size(), 0);
  for (std::size_t i = 0; i < a.size(); ++i) {
    for (std::size_t j = 0; j < b.size(); ++j) {
      column[i + j + 1] += static_cast<std::uint64_t>(a[i] - '0') * static_cast<std::uint64_t>(b[j] - '0');
    }
  }
  std::string product(column.size(), '0');
  std::uint64_t carry = 0;
  for (std::size_t k = column.size(); k-- > 0;) {
    std::uint64_t d = column[k] + carry;
    product[k] = static_cast<char>('0' + d % 10);
    carry = d / 10;
  }
  StripLeadingZeros(product);
  return product;
}

// Long division one digit at a time; the remainder stays below the divisor,
// so each step costs one divisor length at most nine times.
std::string DivideMagnitude(const std::string& numerator, const std::string& divisor) {
  std::string quotient;
  std::string remainder;
  for (char digit : numerator) {
    remainder.push_back(digit);
    StripLeadingZeros(remainder);
    char q = '0';
    while (CompareMagnitude(remainder, divisor) >= 0) {
      remainder = SubtractMagnitude(remainder, divisor);
      ++q;
    }
    quotient.push_back(q);
  }
  StripLeadingZeros(quotient);
  return quotient;
}

DecimalNumber WithScale(const DecimalNumber& number, std::size_t scale) {
  DecimalNumber copy = number;
  PadScale(copy, scale);
  return copy;
}

DecimalNumber Signed(std::string digits, std::size_t scale, bool negative) {
  DecimalNumber number;
  number.negative = negative && !digits.empty();
  number.digits = std::move(digits);
  number.scale = scale;
  return number;
}

// The power of ten just above a non-zero number: it lies in
// [10^(e-1), 10^e).
long long DecimalExponent(const DecimalNumber& number) {
  return static_cast<long long>(number.digits.size()) - static_cast<long long>(number.scale);
}

std::size_t AtLeastZero(long long count) { return count > 0 ? static_cast<std::size_t>(count) : 0; }

}  // namespace

bool ParseDecimalText(std::string_view text, DecimalNumber& out) {
  std::size_t i = 0;
  std::size_t n = text.size();
  while (i < n && text[i] == ' ') ++i;
  while (n > i && text[n - 1] == ' ') --n;
  if (i == n) {
    out = DecimalNumber{};
    return true;
  }
  bool negative = text[i] == '-';
  if (text[i] == '-' || text[i] == '+') ++i;
  std::string digits;
  std::size_t scale = 0;
  bool point = false;
  for (; i < n; ++i) {
    if (text[i] == '.' && !point) {
      point = true;
    } else if (IsDigit(text[i])) {
      digits.push_back(text[i]);
      if (point) ++scale;
    } else {
      return false;
    }
  }
  if (digits.empty()) return false;
  StripLeadingZeros(digits);
  out = Signed(std::move(digits), scale, negative);
  return true;
}

void TrimFractionZeros(DecimalNumber& number) {
  while (number.scale > 0 && !number.digits.empty() && number.digits.back() == '0') {
    number.digits.pop_back();
    --number.scale;
  }
  if (number.digits.empty()) number.scale = 0;
}

std::size_t IntegerDigitCount(const DecimalNumber& number) {
  return number.digits.size() > number.scale ? number.digits.size() - number.scale : 0;
}

std::string RenderDecimalText(const DecimalNumber& number) {
  std::string text;
  if (number.negative && !number.digits.empty()) text.push_back('-');
  std::size_t whole = IntegerDigitCount(number);
  text.append(number.digits, 0, whole);
  if (number.scale == 0) return text;
  text.push_back('.');
  if (number.scale > number.digits.size()) text.append(number.scale - number.digits.size(), '0');
  text.append(number.digits, whole, std::string::npos);
  return text;
}

void PadScale(DecimalNumber& number, std::size_t scale) {
  if (number.scale >= scale) return;
  if (!number.digits.empty()) number.digits.append(scale - number.scale, '0');
  number.scale = scale;
}

bool CutScale(DecimalNumber& number, std::size_t scale) {
  if (number.scale <= scale) return false;
  std::size_t drop = number.scale - scale;
  std::size_t keep = number.digits.size() > drop ? number.digits.size() - drop : 0;
  bool lost = number.digits.find_first_not_of('0', keep) != std::string::npos;
  number.digits.resize(keep);
  number.scale = scale;
  if (number.digits.empty()) number.negative = false;
  return lost;
}

int CompareDecimal(const DecimalNumber& a, const DecimalNumber& b) {
  if (a.negative != b.negative) return a.negative ? -1 : 1;
  std::size_t scale = std::max(a.scale, b.scale);
  int magnitude = CompareMagnitude(WithScale(a, scale).digits, WithScale(b, scale).digits);
  return a.negative ? -magnitude : magnitude;
}

DecimalNumber AddDecimal(const DecimalNumber& a, const DecimalNumber& b) {
  std::size_t scale = std::max(a.scale, b.scale);
  DecimalNumber x = WithScale(a, scale);
  DecimalNumber y = WithScale(b, scale);
  if (x.negative == y.negative) return Signed(AddMagnitude(x.digits, y.digits), scale, x.negative);
  if (CompareMagnitude(x.digits, y.digits) >= 0) {
    return Signed(SubtractMagnitude(x.digits, y.digits), scale, x.negative);
  }
  return Signed(SubtractMagnitude(y.digits, x.digits), scale, y.negative);
}

DecimalNumber NegateDecimal(const DecimalNumber& a) { return Signed(a.digits, a.scale, !a.negative); }

DecimalNumber MultiplyDecimal(const DecimalNumber& a, const DecimalNumber& b) {
  return Signed(MultiplyMagnitude(a.digits, b.digits), a.scale + b.scale, a.negative != b.negative);
}

DecimalNumber DivideDecimal(const DecimalNumber& a, const DecimalNumber& b, std::size_t fractionDigits) {
  // a / b * 10^f = (A * 10^(sb + f)) / (B * 10^sa) for the coefficients A, B.
  std::string numerator = a.digits;
  std::string divisor = b.digits;
  std::size_t up = b.scale + fractionDigits;
  if (up >= a.scale) {
    if (!numerator.empty()) numerator.append(up - a.scale, '0');
  } else {
    divisor.append(a.scale - up, '0');
  }
  return Signed(DivideMagnitude(numerator, divisor), fractionDigits, a.negative != b.negative);
}

std::size_t ProductIntegerDigitsAtLeast(const DecimalNumber& a, const DecimalNumber& b) {
  if (a.digits.empty() || b.digits.empty()) return 0;
  return AtLeastZero(DecimalExponent(a) + DecimalExponent(b) - 1);
}

std::size_t QuotientIntegerDigitsAtLeast(const DecimalNumber& a, const DecimalNumber& b) {
  if (a.digits.empty() || b.digits.empty()) return 0;
  return AtLeastZero(DecimalExponent(a) - DecimalExponent(b));
}
