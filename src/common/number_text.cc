// Doubles to text and back with std::to_chars / std::from_chars, for the
// executor, evaluator, scalar functions and conversions.
#include "common/number_text.h"

#include <sql.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>
#include <system_error>

#include "common/ascii_text.h"

namespace {

// "%.15f" of the largest double takes 326 characters.
constexpr std::size_t kFixedWorkSize = 400;

// The library's "%.15f" text less trailing fraction zeros, for the values
// the digit writer below leaves alone.
std::size_t LibraryFixedText(double value, char* work) {
  std::to_chars_result r = std::to_chars(work, work + kFixedWorkSize, value, std::chars_format::fixed, 15);
  std::size_t length = static_cast<std::size_t>(r.ptr - work);
  if (std::memchr(work, '.', length) != nullptr) {
    while (work[length - 1] == '0') --length;
    if (work[length - 1] == '.') --length;
  }
  return length;
}

char* WriteDigits(char* out, std::uint64_t value) {
  char digits[20];
  char* start = digits + sizeof digits;
  while (value >= 100) {
    start -= 2;
    std::memcpy(start, kDigitPairs + value % 100 * 2, 2);
    value /= 100;
  }
  if (value >= 10) {
    start -= 2;
    std::memcpy(start, kDigitPairs + value * 2, 2);
  } else {
    *--start = static_cast<char>('0' + value);
  }
  const auto count = static_cast<std::size_t>(digits + sizeof digits - start);
  std::memcpy(out, start, count);
  return out + count;
}

int CountDigits(std::uint64_t value) {
  int digits = 0;
  for (; value != 0; value /= 10) ++digits;
  return digits;
}

std::uint64_t TenTo(int power) {
  std::uint64_t result = 1;
  while (power-- > 0) result *= 10;
  return result;
}

// value times 10^power (power 0 to 15), rounded half to even, for |value|
// below 2^64. Exact: value is m * 2^e, so the product m * 10^power (at most
// 103 bits) is shifted right by -e and the bits shifted out decide the
// rounding, as printf does.
unsigned __int128 ScaledByTenTo(double value, int power) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  const int biased = static_cast<int>((bits >> 52) & 0x7FF);
  std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
  if (biased != 0) mantissa |= std::uint64_t{1} << 52;
  const int exponent = (biased == 0 ? 1 : biased) - 1075;
  const unsigned __int128 product = static_cast<unsigned __int128>(mantissa) * TenTo(power);
  if (exponent >= 0) return product << exponent;
  const int shift = -exponent;
  if (shift >= 104) return 0;  // below half of the last digit
  const unsigned __int128 quotient = product >> shift;
  const unsigned __int128 rest = product & ((static_cast<unsigned __int128>(1) << shift) - 1);
  const unsigned __int128 half = static_cast<unsigned __int128>(1) << (shift - 1);
  return quotient + ((rest > half || (rest == half && (quotient & 1) != 0)) ? 1 : 0);
}

// "%.15f" kept to fifteen significant digits, less trailing fraction zeros
// and a bare point, "-0" as "0", into work; the length. Digits are written here for every value below 2^64, as
// the library's general formatter costs several times more and numbers
// reach character buffers on every fetched row.
std::size_t FixedText(double value, char* work) {
  constexpr std::uint64_t kTenTo15 = 1000000000000000ull;
  if (!(std::fabs(value) < 18446744073709551616.0)) {
    const std::size_t length = LibraryFixedText(value, work);
    return length == 2 && work[0] == '-' && work[1] == '0' ? (work[0] = '0', 1) : length;
  }
  const unsigned __int128 scaled = ScaledByTenTo(std::fabs(value), 15);
  if (scaled == 0) {
    work[0] = '0';
    return 1;
  }
  char* out = work;
  if (std::signbit(value)) *out++ = '-';
  std::uint64_t whole = 0, fraction = 0;
  if (scaled <= UINT64_MAX) {
    // Most values: 64-bit division, which compiles to multiplications.
    const auto narrow = static_cast<std::uint64_t>(scaled);
    whole = narrow / kTenTo15;
    fraction = narrow % kTenTo15;
  } else {
    whole = static_cast<std::uint64_t>(scaled / kTenTo15);
    fraction = static_cast<std::uint64_t>(scaled % kTenTo15);
  }
  // A double holds fifteen significant decimal digits; fraction digits past
  // them are binary noise (1622.54 is 1622.539999999999964 to fifteen
  // places) that a reader would see and a write would store. So a whole
  // part of k digits leaves 15 - k fraction digits, rounded once from the
  // exact value.
  const int wholeDigits = CountDigits(whole);
  if (wholeDigits > 0 && fraction != 0) {
    const int kept = wholeDigits >= 15 ? 0 : 15 - wholeDigits;
    const unsigned __int128 rescaled = ScaledByTenTo(std::fabs(value), kept);
    whole = static_cast<std::uint64_t>(rescaled / TenTo(kept));
    fraction = static_cast<std::uint64_t>(rescaled % TenTo(kept)) * TenTo(15 - kept);
  }
  out = WriteDigits(out, whole);
  if (fraction != 0) {
    int digits = 15;
    while (fraction % 10 == 0) {
      fraction /= 10;
      --digits;
    }
    *out++ = '.';
    int i = digits;
    for (; i >= 2; i -= 2) {
      std::memcpy(out + i - 2, kDigitPairs + fraction % 100 * 2, 2);
      fraction /= 100;
    }
    if (i == 1) out[0] = static_cast<char>('0' + fraction);
    out += digits;
  }
  return static_cast<std::size_t>(out - work);
}

std::size_t ExponentText(double value, char* work) {
  std::to_chars_result r = std::to_chars(work, work + 64, value, std::chars_format::scientific, 6);
  for (char* c = work; c != r.ptr; ++c) {
    if (*c >= 'a' && *c <= 'z') *c = static_cast<char>(*c - ('a' - 'A'));
  }
  return static_cast<std::size_t>(r.ptr - work);
}

bool ShowsOnlyZero(std::string_view text) { return text.find_first_not_of("-0.") == std::string_view::npos; }

std::uint8_t WriteWithinSize(std::string_view text, char* buffer, std::size_t size) {
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

std::string_view TrimSpaces(std::string_view text) {
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
  char work[kFixedWorkSize];
  std::string_view text(work, FixedText(value, work));
  const bool hidesValue = value != 0.0 && ShowsOnlyZero(text);
  if (exponentAllowed && (text.size() + 1 > size || hidesValue)) {
    text = std::string_view(work, ExponentText(value, work));
  }
  return WriteWithinSize(text, buffer, size);
}

MessageId ParseDoubleInRange(const char* text, SQLLEN length, bool wholeNumber, double minimum,
                             double maximum, double& out) {
  if (text == nullptr) return kMsgAssignmentError;
  if (length == SQL_NTS) length = static_cast<SQLLEN>(std::strlen(text));
  if (length < 0) return kMsgAssignmentError;
  std::string_view trimmed = TrimSpaces(std::string_view(text, static_cast<std::size_t>(length)));
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
