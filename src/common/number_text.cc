// Doubles to text and back with std::to_chars / std::from_chars, for the
// executor, evaluator, scalar functions and conversions.
#include "common/number_text.h"

#include <sql.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>
#include <system_error>

namespace {

// "%.15f" of the largest double takes 326 characters.
constexpr std::size_t kFixedWorkSize = 400;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string FixedText(double value) {
  char work[kFixedWorkSize];
  std::to_chars_result r = std::to_chars(work, work + sizeof work, value, std::chars_format::fixed, 15);
  std::string text(work, r.ptr);
  if (text.find('.') != std::string::npos) {
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
  }
  if (text == "-0") text = "0";
  return text;
}

std::string ExponentText(double value) {
  char work[64];
  std::to_chars_result r = std::to_chars(work, work + sizeof work, value, std::chars_format::scientific, 6);
  std::string text(work, r.ptr);
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - ('a' - 'A'));
  }
  return text;
}

bool ShowsOnlyZero(const std::string& text) { return text.find_first_not_of("-0.") == std::string::npos; }

std::uint8_t WriteWithinSize(const std::string& text, char* buffer, std::size_t size) {
  if (buffer == nullptr || size == 0) return 1;
  std::size_t copied = text.size() < size ? text.size() : size - 1;
  std::memcpy(buffer, text.data(), copied);
  buffer[copied] = '\0';
  return copied == text.size() ? 0 : 1;
}

struct NumberShape {
  bool valid = false;
  // Power of ten of the leading significant digit plus one; tells an overflow
  // from an underflow when from_chars reports either as out of range.
  long long magnitude = 0;
};

std::size_t SkipDigits(std::string_view text, std::size_t i) {
  while (i < text.size() && IsDigit(text[i])) ++i;
  return i;
}

long long ReadExponent(std::string_view digits) {
  long long value = 0;
  for (char c : digits) value = value < 100000000 ? value * 10 + (c - '0') : value;
  return value;
}

// [sign] digits [. digits] [e [sign] digits], at least one mantissa digit.
NumberShape ScanNumber(std::string_view text) {
  NumberShape shape;
  std::size_t i = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
  std::size_t intEnd = SkipDigits(text, i);
  std::size_t mantissaEnd = intEnd;
  std::string_view fraction;
  if (mantissaEnd < text.size() && text[mantissaEnd] == '.') {
    mantissaEnd = SkipDigits(text, intEnd + 1);
    fraction = text.substr(intEnd + 1, mantissaEnd - intEnd - 1);
  }
  std::string_view whole = text.substr(i, intEnd - i);
  if (whole.empty() && fraction.empty()) return shape;
  long long exponent = 0;
  std::size_t end = mantissaEnd;
  if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
    std::size_t digitsAt = end + 1;
    bool negative = digitsAt < text.size() && text[digitsAt] == '-';
    if (digitsAt < text.size() && (text[digitsAt] == '-' || text[digitsAt] == '+')) ++digitsAt;
    end = SkipDigits(text, digitsAt);
    if (end == digitsAt) return shape;
    exponent = ReadExponent(text.substr(digitsAt, end - digitsAt));
    if (negative) exponent = -exponent;
  }
  if (end != text.size()) return shape;
  shape.valid = true;
  std::size_t leadingZeros = whole.find_first_not_of('0');
  if (leadingZeros != std::string_view::npos) {
    shape.magnitude = static_cast<long long>(whole.size() - leadingZeros) + exponent;
  } else {
    std::size_t firstSignificant = fraction.find_first_not_of('0');
    if (firstSignificant == std::string_view::npos) firstSignificant = 0;  // zero never overflows
    shape.magnitude = -static_cast<long long>(firstSignificant) + exponent;
  }
  return shape;
}

std::string_view TrimBlanks(std::string_view text) {
  std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::string_view();
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// from_chars takes no "+"; ScanNumber has already vouched for the rest.
MessageId ConvertNumber(std::string_view text, double& value) {
  NumberShape shape = ScanNumber(text);
  if (!shape.valid) return kMsgAssignmentError;
  if (text[0] == '+') text.remove_prefix(1);
  std::from_chars_result r = std::from_chars(text.data(), text.data() + text.size(), value);
  if (r.ec == std::errc::result_out_of_range) {
    if (shape.magnitude > 0) return kMsgOutOfRange;
    value = 0.0;
  } else if (r.ec != std::errc() || r.ptr != text.data() + text.size()) {
    return kMsgAssignmentError;
  }
  if (value == 0.0) value = 0.0;
  return kMsgSuccess;
}

}  // namespace

std::uint8_t FormatDoubleText(double value, bool exponentAllowed, char* buffer, std::size_t size) {
  std::string text = FixedText(value);
  bool hidesValue = value != 0.0 && ShowsOnlyZero(text);
  if (exponentAllowed && (text.size() + 1 > size || hidesValue)) text = ExponentText(value);
  return WriteWithinSize(text, buffer, size);
}

MessageId ParseDoubleInRange(const char* text, SQLLEN length, bool wholeNumber, double minimum,
                             double maximum, double& out) {
  if (text == nullptr) return kMsgAssignmentError;
  if (length == SQL_NTS) length = static_cast<SQLLEN>(std::strlen(text));
  if (length < 0) return kMsgAssignmentError;
  std::string_view trimmed = TrimBlanks(std::string_view(text, static_cast<std::size_t>(length)));
  double value = 0.0;
  if (!trimmed.empty()) {
    MessageId converted = ConvertNumber(trimmed, value);
    if (converted != kMsgSuccess) return converted;
  }
  double whole = wholeNumber ? std::trunc(value) + 0.0 : value;
  if (!(whole >= minimum && whole <= maximum)) return kMsgOutOfRange;
  out = whole;
  return whole == value ? kMsgSuccess : kMsgDataTruncated;
}

std::string IntToString(std::int32_t value) {
  char work[16];
  std::to_chars_result r = std::to_chars(work, work + sizeof work, value);
  return std::string(work, r.ptr);
}
