// Double formatting at buffer boundaries and number parsing with ranges.
#include "common/number_text.h"

#include <gtest/gtest.h>
#include <sql.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <string>

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

}  // namespace
