// Date, time and timestamp literals and their fixed texts.
#include "common/datetime_text.h"

#include <gtest/gtest.h>

#include <sql.h>

#include <cstring>
#include <string>

namespace {

struct DateCase {
  const char* text;
  bool ok;
  int year;
  unsigned month;
  unsigned day;
};

TEST(DateTimeText, ParsesDateLiteralsAndTheirEscapes) {
  const DateCase cases[] = {
      {"2024-02-29", true, 2024, 2, 29},
      {"2023-02-29", false, 0, 0, 0},
      {"1900-02-29", false, 0, 0, 0},  // divisible by 100, not by 400
      {"2000-02-29", true, 2000, 2, 29},
      {"2024-4-31", false, 0, 0, 0},
      {"2024-4-3", true, 2024, 4, 3},
      {"0000-00-00", true, 0, 0, 0},
      {"0000-01-01", false, 0, 0, 0},
      {"2024-00-10", false, 0, 0, 0},
      {"2024-13-01", false, 0, 0, 0},
      {"24-01-01", false, 0, 0, 0},
      {"2024-01-01x", false, 0, 0, 0},
      {"2024 -01-01", false, 0, 0, 0},
      {"  2024-01-02  ", true, 2024, 1, 2},
      {"{d '2024-03-04'}", true, 2024, 3, 4},
      {"{ D  '2024-03-04' } ", true, 2024, 3, 4},
      {"{ts '2024-03-04'}", false, 0, 0, 0},
      {"{d '2024-03-04'", false, 0, 0, 0},
      {"--(*vendor(Microsoft),product(ODBC) d '1999-12-31' *)--", true, 1999, 12, 31},
      {"-- ( * VENDOR ( microsoft ) , Product ( odbc ) D '1999-12-31' * ) --", true, 1999, 12, 31},
      {"--(*vendor(Other),product(ODBC) d '1999-12-31' *)--", false, 0, 0, 0},
      {"--(*vendor(Microsoft),product(ODBC) d '1999-12-31' *)", false, 0, 0, 0},
      {"", false, 0, 0, 0},
  };
  for (const DateCase& c : cases) {
    SQL_DATE_STRUCT date{7, 7, 7};
    const MessageId id = ParseDateLiteral(c.text, SQL_NTS, date);
    EXPECT_EQ(id, c.ok ? kMsgSuccess : kMsgConversionError) << c.text;
    if (c.ok) {
      EXPECT_EQ(date.year, c.year) << c.text;
      EXPECT_EQ(date.month, c.month) << c.text;
      EXPECT_EQ(date.day, c.day) << c.text;
    } else {
      EXPECT_EQ(date.year, 7) << "untouched on failure: " << c.text;
    }
  }
}

TEST(DateTimeText, ParsesTimeLiterals) {
  struct Case {
    const char* text;
    bool ok;
    unsigned hour, minute, second;
  };
  const Case cases[] = {
      {"23:59:59", true, 23, 59, 59}, {"24:00:00", false, 0, 0, 0},   {"12:60:00", false, 0, 0, 0},
      {"1:2:3", true, 1, 2, 3},       {"{t '08:09:10'}", true, 8, 9, 10}, {"{d '08:09:10'}", false, 0, 0, 0},
      {"--(*vendor(Microsoft),product(ODBC) t '08:09:10' *)--", true, 8, 9, 10},
      {"08:09", false, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SQL_TIME_STRUCT time{};
    EXPECT_EQ(ParseTimeLiteral(c.text, SQL_NTS, time), c.ok ? kMsgSuccess : kMsgConversionError) << c.text;
    if (c.ok) {
      EXPECT_EQ((time.hour * 100 + time.minute) * 100 + time.second, (c.hour * 100 + c.minute) * 100 + c.second);
    }
  }
}

TEST(DateTimeText, ParsesTimestampLiterals) {
  struct Case {
    const char* text;
    bool ok;
    unsigned day, hour;
    SQLUINTEGER fraction;
  };
  const Case cases[] = {
      {"2024-02-29 13:14:15", true, 29, 13, 0},
      {"2024-02-29 13:14:15.5", true, 29, 13, 500000000},
      {"2024-02-29  13:14:15.123456789", true, 29, 13, 123456789},
      {"2024-02-29 13:14:15.1234567891", false, 0, 0, 0},
      {"2024-02-29 13:14:15.", false, 0, 0, 0},
      {"2023-02-29 13:14:15", false, 0, 0, 0},
      {"2024-02-29", false, 0, 0, 0},  // a date alone is no timestamp
      {"2024-02-2913:14:15", false, 0, 0, 0},
      {"0000-00-00 00:00:00.000", true, 0, 0, 0},
      {"{ts '2024-01-31 23:59:59.999'}", true, 31, 23, 999000000},
      {"--(*vendor(Microsoft),product(ODBC) ts '2024-01-31 01:00:00' *)--", true, 31, 1, 0},
      {"--(*vendor(Microsoft),product(ODBC) t '2024-01-31 01:00:00' *)--", false, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SQL_TIMESTAMP_STRUCT t{};
    EXPECT_EQ(ParseTimestampLiteral(c.text, SQL_NTS, t), c.ok ? kMsgSuccess : kMsgConversionError) << c.text;
    if (c.ok) {
      EXPECT_EQ(t.day, c.day) << c.text;
      EXPECT_EQ(t.hour, c.hour) << c.text;
      EXPECT_EQ(t.fraction, c.fraction) << c.text;
    }
  }
}

TEST(DateTimeText, HonoursAnExplicitLengthOverTheTerminator) {
  SQL_DATE_STRUCT date{};
  EXPECT_EQ(ParseDateLiteral("2024-01-05junk", 10, date), kMsgSuccess);
  EXPECT_EQ(date.day, 5);
  EXPECT_EQ(ParseDateLiteral("2024-01-05", 9, date), kMsgConversionError);  // reads "2024-01-0"
}

TEST(DateTimeText, FormatsFixedWidthTextsThatParseBack) {
  char date[11], time[9], stamp[24];
  FormatDateText(SQL_DATE_STRUCT{5, 1, 2}, date);
  FormatTimeText(SQL_TIME_STRUCT{3, 4, 5}, time);
  FormatTimestampText(SQL_TIMESTAMP_STRUCT{2024, 12, 31, 23, 59, 58, 987654321}, stamp);
  EXPECT_STREQ(date, "0005-01-02");
  EXPECT_STREQ(time, "03:04:05");
  EXPECT_STREQ(stamp, "2024-12-31 23:59:58.987");
  SQL_TIMESTAMP_STRUCT back{};
  ASSERT_EQ(ParseTimestampLiteral(stamp, SQL_NTS, back), kMsgSuccess);
  EXPECT_EQ(back.fraction, 987000000u);
}

TEST(DateTimeText, OutOfRangeFieldsNeverOverrunTheFixedBuffer) {
  char guard[40];
  std::memset(guard, 'x', sizeof guard);
  FormatTimestampText(SQL_TIMESTAMP_STRUCT{-32768, 65535, 65535, 65535, 65535, 65535, 4294967295u}, guard);
  EXPECT_EQ(std::strlen(guard), 23u);
  EXPECT_EQ(guard[24], 'x');
}

}  // namespace
