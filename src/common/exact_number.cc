// Exact number texts and SQL_NUMERIC_STRUCT values for the value conversions.
#include "common/exact_number.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "common/ascii_text.h"

namespace {

using Uint128 = unsigned __int128;

constexpr int kMaximumExponent = 400;
constexpr std::size_t kNumericDigits = 38;

std::string_view TakeDigits(std::string_view& text) {
  std::size_t count = 0;
  while (count < text.size() && IsDigit(text[count])) ++count;
  const std::string_view digits = text.substr(0, count);
  text.remove_prefix(count);
  return digits;
}

bool TakeSign(std::string_view& text) {
  if (text.empty() || (text.front() != '-' && text.front() != '+')) return false;
  const bool negative = text.front() == '-';
  text.remove_prefix(1);
  return negative;
}

// Reads "e[+|-]digits"; false when the exponent is malformed.
bool TakeExponent(std::string_view& text, long& exponent) {
  exponent = 0;
  if (text.empty() || (text.front() != 'e' && text.front() != 'E')) return true;
  text.remove_prefix(1);
  const bool negative = TakeSign(text);
  const std::string_view digits = TakeDigits(text);
  if (digits.empty()) return false;
  for (char c : digits) exponent = std::min<long>(exponent * 10 + (c - '0'), 100000);
  if (negative) exponent = -exponent;
  return true;
}

// Places the decimal point exponent digits to the right and normalises.
void PlaceDigits(std::string digits, long point, ExactNumber& number) {
  if (point < 0) {
    digits.insert(0, static_cast<std::size_t>(-point), '0');
    point = 0;
  }
  if (static_cast<std::size_t>(point) > digits.size()) digits.append(static_cast<std::size_t>(point) - digits.size(), '0');
  number.whole = digits.substr(0, static_cast<std::size_t>(point));
  number.fraction = digits.substr(static_cast<std::size_t>(point));
  number.whole.erase(0, std::min(number.whole.find_first_not_of('0'), number.whole.size()));
  const std::size_t last = number.fraction.find_last_not_of('0');
  number.fraction.resize(last == std::string::npos ? 0 : last + 1);
  if (number.whole.empty() && number.fraction.empty()) number.negative = false;
}

// The whole digits as a 64-bit magnitude; false when they need more.
bool WholeMagnitude(const std::string& whole, std::uint64_t& magnitude) {
  if (whole.size() > 20) return false;
  Uint128 value = 0;
  for (char c : whole) value = value * 10 + static_cast<unsigned>(c - '0');
  if (value > UINT64_MAX) return false;
  magnitude = static_cast<std::uint64_t>(value);
  return true;
}

std::string Uint128Digits(Uint128 value) {
  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(value % 10)));
    value /= 10;
  } while (value != 0);
  return digits;
}

}  // namespace

MessageId ReadExactNumber(std::string_view text, ExactNumber& number) {
  text = TrimBlanks(text);
  ExactNumber result;
  result.negative = TakeSign(text);
  const std::string_view whole = TakeDigits(text);
  std::string_view fraction;
  if (!text.empty() && text.front() == '.') {
    text.remove_prefix(1);
    fraction = TakeDigits(text);
  }
  long exponent = 0;
  if ((whole.empty() && fraction.empty()) || !TakeExponent(text, exponent) || !text.empty()) {
    return kMsgAssignmentError;
  }
  if (exponent > kMaximumExponent || exponent < -kMaximumExponent) return kMsgOutOfRange;
  std::string digits(whole);
  digits.append(fraction);
  PlaceDigits(std::move(digits), static_cast<long>(whole.size()) + exponent, result);
  number = std::move(result);
  return kMsgSuccess;
}

std::string ExactNumberText(const ExactNumber& number) {
  std::string text = number.negative ? "-" : "";
  text += number.whole.empty() ? "0" : number.whole;
  if (!number.fraction.empty()) text += "." + number.fraction;
  return text;
}

MessageId ExactNumberToUint64(const ExactNumber& number, std::uint64_t maximum, std::uint64_t& out) {
  std::uint64_t magnitude = 0;
  if (!WholeMagnitude(number.whole, magnitude) || magnitude > maximum || (number.negative && magnitude != 0)) {
    return kMsgOutOfRange;
  }
  out = magnitude;
  return number.fraction.empty() ? kMsgSuccess : kMsgDataTruncated;
}

MessageId ExactNumberToInt64(const ExactNumber& number, std::int64_t minimum, std::int64_t maximum,
                             std::int64_t& out) {
  std::uint64_t magnitude = 0;
  if (!WholeMagnitude(number.whole, magnitude)) return kMsgOutOfRange;
  constexpr std::uint64_t kNegativeLimit = std::uint64_t{1} << 63;
  if (magnitude > (number.negative ? kNegativeLimit : kNegativeLimit - 1)) return kMsgOutOfRange;
  const std::int64_t value =
      number.negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
  if (value < minimum || value > maximum) return kMsgOutOfRange;
  out = value;
  return number.fraction.empty() ? kMsgSuccess : kMsgDataTruncated;
}

MessageId ExactNumberToDouble(const ExactNumber& number, double& out) {
  const std::string text = ExactNumberText(number);
  double value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    // Too small to hold rounds to zero; too large can't be held.
    if (!number.whole.empty()) return kMsgOutOfRange;
    value = number.negative ? -0.0 : 0.0;
  } else if (result.ec != std::errc()) {
    return kMsgAssignmentError;
  }
  out = value;
  return kMsgSuccess;
}

ExactNumber ExactFromUint64(std::uint64_t value) {
  ExactNumber number;
  if (value != 0) number.whole = std::to_string(value);
  return number;
}

ExactNumber ExactFromInt64(std::int64_t value) {
  const std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  ExactNumber number = ExactFromUint64(magnitude);
  number.negative = value < 0;
  return number;
}

MessageId ExactFromDouble(double value, ExactNumber& number) {
  if (!std::isfinite(value)) return kMsgOutOfRange;
  char buffer[400];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  if (result.ec != std::errc()) return kMsgOutOfRange;
  return ReadExactNumber(std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)), number);
}

MessageId ExactFromNumericStruct(const SQL_NUMERIC_STRUCT& numeric, ExactNumber& number) {
  if (numeric.scale > static_cast<SQLSCHAR>(kNumericDigits) || numeric.scale < -static_cast<int>(kNumericDigits)) {
    return kMsgOutOfRange;
  }
  Uint128 magnitude = 0;
  for (int i = SQL_MAX_NUMERIC_LEN - 1; i >= 0; --i) magnitude = (magnitude << 8) | numeric.val[i];
  ExactNumber result;
  PlaceDigits(Uint128Digits(magnitude), static_cast<long>(Uint128Digits(magnitude).size()) - numeric.scale, result);
  result.negative = numeric.sign == 0 && !(result.whole.empty() && result.fraction.empty());
  number = std::move(result);
  return kMsgSuccess;
}

namespace {

void StoreNumericStruct(const std::string& digits, std::size_t precision, std::size_t scale, bool negative,
                        SQL_NUMERIC_STRUCT& numeric) {
  Uint128 magnitude = 0;
  for (char c : digits) magnitude = magnitude * 10 + static_cast<unsigned>(c - '0');
  std::memset(&numeric, 0, sizeof numeric);
  numeric.precision = static_cast<SQLCHAR>(precision);
  numeric.scale = static_cast<SQLSCHAR>(scale);
  numeric.sign = negative && magnitude != 0 ? 0 : 1;
  for (int i = 0; i < SQL_MAX_NUMERIC_LEN; ++i) {
    numeric.val[i] = static_cast<SQLCHAR>(magnitude & 0xFF);
    magnitude >>= 8;
  }
}

}  // namespace

MessageId ExactToNumericStructAt(const ExactNumber& number, std::int32_t precision, std::int32_t scale,
                                 SQL_NUMERIC_STRUCT& numeric) {
  const auto p = static_cast<std::size_t>(precision >= 1 && precision <= 38 ? precision : kNumericDigits);
  const auto s = static_cast<std::size_t>(std::clamp<std::int32_t>(scale, 0, static_cast<std::int32_t>(p)));
  if (number.whole.size() > p - s) return kMsgOutOfRange;
  std::string digits = number.whole + number.fraction.substr(0, s);
  digits.append(s - std::min(s, number.fraction.size()), '0');
  StoreNumericStruct(digits, p, s, number.negative, numeric);
  return number.fraction.size() > s ? kMsgDataTruncated : kMsgSuccess;
}

MessageId ExactToNumericStruct(const ExactNumber& number, SQL_NUMERIC_STRUCT& numeric) {
  if (number.whole.size() > kNumericDigits) return kMsgOutOfRange;
  const std::size_t fractionKept = std::min(number.fraction.size(), kNumericDigits - number.whole.size());
  const std::string digits = number.whole + number.fraction.substr(0, fractionKept);
  Uint128 magnitude = 0;
  for (char c : digits) magnitude = magnitude * 10 + static_cast<unsigned>(c - '0');
  std::memset(&numeric, 0, sizeof numeric);
  numeric.precision = static_cast<SQLCHAR>(std::max<std::size_t>(digits.size(), 1));
  numeric.scale = static_cast<SQLSCHAR>(fractionKept);
  numeric.sign = number.negative ? 0 : 1;
  for (int i = 0; i < SQL_MAX_NUMERIC_LEN; ++i) {
    numeric.val[i] = static_cast<SQLCHAR>(magnitude & 0xFF);
    magnitude >>= 8;
  }
  return fractionKept < number.fraction.size() ? kMsgDataTruncated : kMsgSuccess;
}
