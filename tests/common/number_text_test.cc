// Double formatting at buffer boundaries and number parsing with ranges.
#include "common/number_text.h"

#include <gtest/gtest.h>
#include <sql.h>

#include <bit>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

struct FormatCase {
  double value;
  bool exponentAllowed;
  std::size_t size;
  std::uint8_t result;
  const char* text;
};

TEST(FormatDoubleTextTest, FixedTextExponentFallbackAndCuts) {
  const FormatCase cases[] = {
      {1.5, false, 32, 0, "1.5"},
      {-2.25, false, 32, 0, "-2.25"},
      {0.0, false, 32, 0, "0"},
      {-0.0, false, 32, 0, "0"},
      {1e-20, false, 32, 0, "0"},
      {-1e-20, false, 32, 0, "0"},
      {1e-20, true, 32, 0, "1.000000E-20"},
      {-1e-20, true, 32, 0, "-1.000000E-20"},
      {123.5, false, 6, 0, "123.5"},
      {123.5, false, 5, 1, "123."},
      {123.5, true, 5, 1, "1.23"},
      {1e20, true, 22, 0, "100000000000000000000"},
      {1e20, true, 21, 0, "1.000000E+20"},
      {1e20, false, 21, 1, "10000000000000000000"},
      {123456.789, false, 7, 1, "123456"},
      {0.000000000000001, false, 32, 0, "0.000000000000001"},
      {1622.54, false, 32, 0, "1622.54"},
      {-0.1 - 0.2 + 1000.0, false, 32, 0, "999.7"},
      {999999.99999999999, false, 32, 0, "1000000"},
      {1.0, false, 1, 1, ""},
  };
  for (const FormatCase& c : cases) {
    char buffer[64];
    std::memset(buffer, 'X', sizeof buffer);
    EXPECT_EQ(FormatDoubleText(c.value, c.exponentAllowed, buffer, c.size), c.result) << c.text;
    EXPECT_STREQ(buffer, c.text);
  }
}

TEST(FormatDoubleTextTest, NeverWritesPastSize) {
  const double values[] = {-123456.789012345, 1e300, 4.9e-324, 0.5, -1e-7};
  for (double value : values) {
    char full[400];
    ASSERT_EQ(FormatDoubleText(value, false, full, sizeof full), 0);
    const std::string text = full;
    for (bool exponent : {false, true}) {
      for (std::size_t size = 0; size <= 40; ++size) {
        char buffer[48];
        std::memset(buffer, 'X', sizeof buffer);
        std::uint8_t result = FormatDoubleText(value, exponent, buffer, size);
        for (std::size_t i = size; i < sizeof buffer; ++i)
          ASSERT_EQ(buffer[i], 'X') << value << " size " << size;
        if (size == 0) {
          EXPECT_EQ(result, 1);
          continue;
        }
        ASSERT_LT(std::strlen(buffer), size);
        if (exponent) continue;
        EXPECT_EQ(result, text.size() < size ? 0 : 1) << value << " size " << size;
        EXPECT_EQ(std::string(buffer), text.substr(0, size - 1)) << value << " size " << size;
      }
    }
  }
  EXPECT_EQ(FormatDoubleText(1.0, true, nullptr, 0), 1);
}

TEST(FormatDoubleTextTest, LargestDoubleFitsAWideBuffer) {
  char buffer[400];
  ASSERT_EQ(FormatDoubleText(1.7e308, false, buffer, sizeof buffer), 0);
  EXPECT_EQ(std::strlen(buffer), 309u);
  EXPECT_EQ(std::string(buffer, 4), "1699");  // the double nearest 1.7e308
}

struct ParseCase {
  const char* text;
  SQLLEN length;
  bool wholeNumber;
  double minimum;
  double maximum;
  MessageId id;
  double value;  // -999 when out must stay untouched
};

constexpr double kMax = 1.7e308;

TEST(ParseDoubleInRangeTest, RangesBlanksAndMalformedTexts) {
  const ParseCase cases[] = {
      {"  12.5  ", SQL_NTS, false, -kMax, kMax, kMsgSuccess, 12.5},
      {"", SQL_NTS, false, -kMax, kMax, kMsgSuccess, 0.0},
      {"   ", SQL_NTS, true, 1, 2, kMsgOutOfRange, -999},
      {"-.5", SQL_NTS, false, -kMax, kMax, kMsgSuccess, -0.5},
      {"+3", SQL_NTS, false, -kMax, kMax, kMsgSuccess, 3},
      {"1e3", SQL_NTS, false, -kMax, kMax, kMsgSuccess, 1000},
      {"1.5E-2", SQL_NTS, false, -kMax, kMax, kMsgSuccess, 0.015},
      {"12345", 3, false, -kMax, kMax, kMsgSuccess, 123},
      {"1.7e308", SQL_NTS, false, -kMax, kMax, kMsgSuccess, 1.7e308},
      {"1e-400", SQL_NTS, false, -kMax, kMax, kMsgSuccess, 0},
      {"2e308", SQL_NTS, false, -kMax, kMax, kMsgOutOfRange, -999},
      {"-1e400", SQL_NTS, false, -kMax, kMax, kMsgOutOfRange, -999},
      {"3.5E38", SQL_NTS, false, -3.4e38, 3.4e38, kMsgOutOfRange, -999},
      {"300", SQL_NTS, true, -128, 127, kMsgOutOfRange, -999},
      {"127.9", SQL_NTS, true, -128, 127, kMsgDataTruncated, 127},
      {"12.7", SQL_NTS, true, INT_MIN, INT_MAX, kMsgDataTruncated, 12},
      {"1.5e1", SQL_NTS, true, INT_MIN, INT_MAX, kMsgSuccess, 15},
      {"2147483648", SQL_NTS, true, INT_MIN, INT_MAX, kMsgOutOfRange, -999},
      {"0.5", SQL_NTS, true, 0, 1, kMsgDataTruncated, 0},
      {"-0.5", SQL_NTS, true, 0, 1, kMsgDataTruncated, 0},
      {"1.5", SQL_NTS, true, 0, 1, kMsgDataTruncated, 1},
      {"2", SQL_NTS, true, 0, 1, kMsgOutOfRange, -999},
      {"abc", SQL_NTS, false, -kMax, kMax, kMsgAssignmentError, -999},
      {"1.2.3", SQL_NTS, false, -kMax, kMax, kMsgAssignmentError, -999},
      {"1e", SQL_NTS, false, -kMax, kMax, kMsgAssignmentError, -999},
      {".", SQL_NTS, false, -kMax, kMax, kMsgAssignmentError, -999},
      {"1 2", SQL_NTS, false, -kMax, kMax, kMsgAssignmentError, -999},
      {"inf", SQL_NTS, false, -kMax, kMax, kMsgAssignmentError, -999},
      {"nan", SQL_NTS, false, -kMax, kMax, kMsgAssignmentError, -999},
      {"0x10", SQL_NTS, false, -kMax, kMax, kMsgAssignmentError, -999},
      {"\t1", SQL_NTS, false, -kMax, kMax, kMsgAssignmentError, -999},
      {"1", -5, false, -kMax, kMax, kMsgAssignmentError, -999},
      {nullptr, SQL_NTS, false, -kMax, kMax, kMsgAssignmentError, -999},
  };
  for (const ParseCase& c : cases) {
    const char* label = c.text ? c.text : "(null)";
    double out = -999;
    EXPECT_EQ(ParseDoubleInRange(c.text, c.length, c.wholeNumber, c.minimum, c.maximum, out), c.id) << label;
    EXPECT_EQ(out, c.value) << label;
  }
}

TEST(ParseDoubleInRangeTest, NegativeZeroBecomesZero) {
  double out = 1;
  ASSERT_EQ(ParseDoubleInRange("-0.0", SQL_NTS, false, -1, 1, out), kMsgSuccess);
  EXPECT_FALSE(std::signbit(out));
  ASSERT_EQ(ParseDoubleInRange("-0.25", SQL_NTS, true, -1, 1, out), kMsgDataTruncated);
  EXPECT_FALSE(std::signbit(out));
}

TEST(ParseDoubleInRangeTest, ReadsBackWhatFormatWrites) {
  const double values[] = {0.1, -123.456, 98765.4321, 1e15, -7.0};
  for (double value : values) {
    char buffer[64];
    ASSERT_EQ(FormatDoubleText(value, false, buffer, sizeof buffer), 0);
    double out = 0;
    ASSERT_EQ(ParseDoubleInRange(buffer, SQL_NTS, false, -kMax, kMax, out), kMsgSuccess);
    EXPECT_DOUBLE_EQ(out, value) << buffer;
  }
}

// FNV-1a over every text a sweep writes. The expected digest was taken from
// the formatter's first form, built on to_chars, which fixed these texts.
struct TextDigest {
  std::uint64_t hash = 14695981039346656037ull;
  void Add(const char* text) {
    for (const char* c = text; *c != '\0'; ++c) hash = (hash ^ static_cast<unsigned char>(*c)) * 1099511628211ull;
    hash = (hash ^ '\n') * 1099511628211ull;
  }
};

// "%.15f" kept to fifteen significant digits, less trailing fraction zeros,
// as the standard library writes it.
std::string ReferenceFixedText(double value) {
  char work[400];
  auto r = std::to_chars(work, work + sizeof work, value, std::chars_format::fixed, 15);
  const std::string full(work, r.ptr);
  const std::size_t wholeDigits = full.find('.') - (full[0] == '-' ? 1 : 0);
  const bool wholeIsZero = full.compare(full[0] == '-' ? 1 : 0, 2, "0.") == 0;
  if (!wholeIsZero) {
    const int kept = wholeDigits >= 15 ? 0 : static_cast<int>(15 - wholeDigits);
    r = std::to_chars(work, work + sizeof work, value, std::chars_format::fixed, kept);
  }
  std::string text(work, r.ptr);
  if (text.find('.') != std::string::npos) {
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
  }
  return text == "-0" ? "0" : text;
}

// Doubles of every magnitude, random bit patterns, halfway cases of the
// fifteenth fraction digit, integers near the 64-bit limits and the
// non-finite values.
std::vector<double> SweepDoubles() {
  std::mt19937_64 random(4711);  // its sequence is fixed by the standard
  std::vector<double> values;
  for (int i = 0; i < 100000; ++i) values.push_back(std::bit_cast<double>(random()));
  for (int exponent = -330; exponent <= 310; ++exponent) {
    for (int i = 0; i < 60; ++i) {
      const double mantissa = static_cast<double>(random() >> 11) / 9007199254740992.0 * 10.0;
      values.push_back(mantissa * std::pow(10.0, exponent));
      values.push_back(-std::nextafter(mantissa, 20.0) * std::pow(10.0, exponent));
    }
  }
  for (int shift = 1; shift <= 64; ++shift) {
    for (int i = 0; i < 200; ++i) {
      values.push_back(std::ldexp(static_cast<double>(random() % 2000001) - 1000000.0, -shift));
    }
  }
  for (int i = 0; i < 20000; ++i) {
    const double tie = (static_cast<double>(random() % 20000000) + 0.5) * 1e-15;
    values.push_back(tie);
    values.push_back(std::nextafter(tie, 0.0));
    values.push_back(std::nextafter(tie, 1.0));
    values.push_back(static_cast<double>(random() % 100000) + tie);
  }
  for (double edge : {0.0, -0.0, 0.5, 1.0, 9.5, 1e15, 1e16, 9007199254740992.0, 9223372036854775807.0,
                      9223372036854775808.0, 18446744073709551615.0, 18446744073709551616.0, 3.4e38,
                      1.7976931348623157e308,
                      4.9e-324, 2.2250738585072014e-308, 5e-16, 4.9999999999999996e-16, 1.5e-15, 2.5e-15,
                      std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()}) {
    values.push_back(edge);
    values.push_back(-edge);
  }
  return values;
}

TEST(FormatDoubleTextTest, SweepMatchesTheLibraryFixedTextAndTheRecordedDigest) {
  TextDigest digest;
  for (double value : SweepDoubles()) {
    char buffer[400];
    FormatDoubleText(value, false, buffer, sizeof buffer);
    if (std::isfinite(value)) {
      ASSERT_EQ(buffer, ReferenceFixedText(value)) << std::bit_cast<std::uint64_t>(value);
    }
    digest.Add(buffer);
    for (std::size_t size : {std::size_t{400}, std::size_t{24}, std::size_t{13}, std::size_t{7}}) {
      char sized[401];
      std::memset(sized, 'X', sizeof sized);
      const std::uint8_t result = FormatDoubleText(value, true, sized, size);
      ASSERT_EQ(sized[size], 'X');
      digest.Add(sized);
      digest.Add(result == 0 ? "0" : "1");
    }
  }
  EXPECT_EQ(digest.hash, 12595174500242719ull);
}

}  // namespace
