// The service's text forms: rendering values and reading reply values.
#include "common/service_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sql.h>
#include <limits>

namespace {

std::string Render(std::int16_t type, const void* value, SQLLEN length, bool utc = true, std::int32_t offset = 0) {
  std::string out = "stale";
  EXPECT_EQ(FormatCValueAsQuickBaseText(out, type, value, length, utc, offset), kMsgSuccess);
  return out;
}

TEST(ServiceText, RendersEachTypeCode) {
  const double third = 1.0 / 3.0, big = 1e20, tiny = 1.5e-7, negativeZero = -0.0;
  const SQL_DATE_STRUCT date{1969, 12, 31};
  const SQL_TIME_STRUCT time{1, 2, 3};
  const SQL_TIMESTAMP_STRUCT stamp{1970, 1, 1, 2, 0, 0, 7000000};
  EXPECT_EQ(Render(8, &third, 8), "0.3333333333333333");
  EXPECT_EQ(Render(8, &big, 8), "100000000000000000000");
  EXPECT_EQ(Render(8, &tiny, 8), "0.00000015");
  EXPECT_EQ(Render(8, &negativeZero, 8), "0");
  EXPECT_EQ(Render(9, &date, 6), "-86400000");
  EXPECT_EQ(Render(10, &time, 6), "3723000");
  EXPECT_EQ(Render(11, &stamp, 16), "7200007");
  EXPECT_EQ(Render(11, &stamp, 16, true, 120), "7");
  EXPECT_EQ(Render(1, "abc", 2), "ab");
  EXPECT_EQ(Render(1, "abc", SQL_NTS), "abc");
  EXPECT_EQ(Render(-2, "\x00\xFF\x10", 3), "AP8Q");
  EXPECT_EQ(Render(1, "abc", -1), "");
  EXPECT_EQ(Render(9, nullptr, 6), "");
}

TEST(ServiceText, ReportsValuesItCannotRender) {
  std::string out;
  const double infinite = std::numeric_limits<double>::infinity();
  const SQL_DATE_STRUCT zero{0, 0, 0};
  const SQL_TIMESTAMP_STRUCT badDay{2023, 2, 29, 0, 0, 0, 0};
  EXPECT_EQ(FormatCValueAsQuickBaseText(out, 8, &infinite, 8, true, 0), kMsgOutOfRange);
  EXPECT_EQ(FormatCValueAsQuickBaseText(out, 9, &zero, 6, true, 0), kMsgOutOfRange);
  EXPECT_EQ(FormatCValueAsQuickBaseText(out, 11, &badDay, 16, true, 0), kMsgConversionError);
  EXPECT_EQ(FormatCValueAsQuickBaseText(out, 4, &infinite, 8, true, 0), kMsgNotSupportedDetail);
  EXPECT_EQ(out, "");
}

TEST(ServiceText, ReadsDatesTimesAndTimestamps) {
  struct Case {
    const char* text;
    MessageId id;
    bool isNull;
  };
  const Case cases[] = {
      {"", kMsgSuccess, true},          {"  ", kMsgSuccess, true},
      {"951782400000", kMsgSuccess, false}, {"-62135596800000", kMsgSuccess, false},
      {"-62135596800001", kMsgOutOfRange, false}, {"99999999999999999999", kMsgOutOfRange, false},
      {"12a", kMsgConversionError, false}, {"1.5", kMsgConversionError, false},
  };
  for (const Case& c : cases) {
    SQL_DATE_STRUCT date{};
    bool isNull = false;
    EXPECT_EQ(ReadServiceDate(c.text, date, isNull), c.id) << c.text;
    EXPECT_EQ(isNull, c.isNull) << c.text;
  }
  SQL_DATE_STRUCT date{};
  bool isNull = true;
  ASSERT_EQ(ReadServiceDate("951782400000", date, isNull), kMsgSuccess);
  EXPECT_EQ(date.month * 100 + date.day, 229);

  SQL_TIMESTAMP_STRUCT stamp{};
  ASSERT_EQ(ReadServiceTimestamp("3600123", TimeZoneRule{true, -60}, stamp, isNull), kMsgSuccess);
  EXPECT_EQ(stamp.hour, 0);
  EXPECT_EQ(stamp.fraction, 123000000u);

  SQL_TIME_STRUCT time{};
  ASSERT_EQ(ReadServiceTimeOfDay("45296000", time, isNull), kMsgSuccess);
  EXPECT_EQ(time.hour * 10000 + time.minute * 100 + time.second, 123456);
  EXPECT_EQ(ReadServiceTimeOfDay("86400000", time, isNull), kMsgOutOfRange);
}

// The millisecond reader's edges, which follow from_chars: a sign only in
// front, overflow reported before anything that trails the digits.
TEST(ServiceText, ReadsMillisecondTextsAtTheirEdges) {
  struct Case {
    const char* text;
    MessageId id;
    int hhmmss;
  };
  const Case cases[] = {
      {"0", kMsgSuccess, 0},
      {"-0", kMsgSuccess, 0},
      {" 000086399999 ", kMsgSuccess, 235959},
      {"3723000", kMsgSuccess, 10203},
      {"-1", kMsgOutOfRange, 0},
      {"+5", kMsgConversionError, 0},
      {"-", kMsgConversionError, 0},
      {"--5", kMsgConversionError, 0},
      {"5-", kMsgConversionError, 0},
      {"1 2", kMsgConversionError, 0},
      {"x", kMsgConversionError, 0},
      {"9223372036854775807", kMsgOutOfRange, 0},
      {"9223372036854775808", kMsgOutOfRange, 0},
      {"-9223372036854775808", kMsgOutOfRange, 0},
      {"-9223372036854775809", kMsgOutOfRange, 0},
      {"99999999999999999999x", kMsgOutOfRange, 0},
      {"1e3", kMsgConversionError, 0},
  };
  for (const Case& c : cases) {
    SQL_TIME_STRUCT time{};
    bool isNull = true;
    EXPECT_EQ(ReadServiceTimeOfDay(c.text, time, isNull), c.id) << c.text;
    EXPECT_FALSE(isNull) << c.text;
    if (c.id == kMsgSuccess) {
      EXPECT_EQ(time.hour * 10000 + time.minute * 100 + time.second, c.hhmmss) << c.text;
    }
  }
  SQL_DATE_STRUCT date{};
  bool isNull = true;
  ASSERT_EQ(ReadServiceDate("-62135596800000", date, isNull), kMsgSuccess);  // the first day of year 1
  EXPECT_EQ(date.year * 10000 + date.month * 100 + date.day, 10101);
}

TEST(ServiceText, ReadsDurationsAndCheckboxes) {
  double value = 0;
  bool isNull = true;
  ASSERT_EQ(ReadServiceDuration("5400000", 3600000, value, isNull), kMsgSuccess);
  EXPECT_DOUBLE_EQ(value, 1.5);
  EXPECT_FALSE(isNull);
  EXPECT_EQ(ReadServiceDuration("abc", 1, value, isNull), kMsgConversionError);
  struct Case {
    const char* text;
    MessageId id;
    bool checked;
  };
  const Case cases[] = {{"1", kMsgSuccess, true},   {"0", kMsgSuccess, false}, {"TRUE", kMsgSuccess, true},
                        {"off", kMsgSuccess, false}, {"2", kMsgConversionError, false}};
  for (const Case& c : cases) {
    bool checked = !c.checked;
    EXPECT_EQ(ReadServiceCheckbox(c.text, checked, isNull), c.id) << c.text;
    if (c.id == kMsgSuccess) {
      EXPECT_EQ(checked, c.checked) << c.text;
    }
  }
}

TEST(ServiceText, Base64RoundTripsAndRejectsGarbage) {
  const std::string samples[] = {"", "f", "fo", "foo", "foob", std::string("\0\xFF\xFE", 3)};
  for (const std::string& bytes : samples) {
    std::string back = "x";
    ASSERT_TRUE(DecodeBase64(EncodeBase64(bytes), back));
    EXPECT_EQ(back, bytes);
  }
  std::string out;
  EXPECT_TRUE(DecodeBase64("Zm9v\r\nYg==", out));
  EXPECT_EQ(out, "foob");
  for (const char* bad : {"Zm9v!", "Z", "Zg==Zg==", "=Zg"}) EXPECT_FALSE(DecodeBase64(bad, out)) << bad;
}

}  // namespace
