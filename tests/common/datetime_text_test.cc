// Date, time and timestamp literals and their fixed texts.
#include "common/datetime_text.h"

#include <gtest/gtest.h>

#include <sql.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>

#include "common/epoch_time.h"

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

// FNV-1a over every text a sweep writes: a change to any one byte of any
// text changes the digest. The expected digests were taken from the
// formatters' first, printf-based form, which fixed these texts.
struct TextDigest {
  std::uint64_t hash = 14695981039346656037ull;
  void Add(const char* text) {
    for (const char* c = text; *c != '\0'; ++c) hash = (hash ^ static_cast<unsigned char>(*c)) * 1099511628211ull;
    hash = (hash ^ '\n') * 1099511628211ull;
  }
};

// Formats into a guarded buffer and fails on a byte written past size.
template <typename Value, typename Format>
void FormatGuarded(const Value& value, std::size_t size, Format format, TextDigest& digest) {
  char buffer[48];
  std::memset(buffer, 'x', sizeof buffer);
  format(value, buffer);
  ASSERT_LT(std::strlen(buffer), size);
  for (std::size_t i = size; i < sizeof buffer; ++i) ASSERT_EQ(buffer[i], 'x');
  digest.Add(buffer);
}

// Field values beyond their ranges, which the fixed texts must still cut
// the same way.
constexpr unsigned kOddFields[] = {0, 1, 9, 10, 12, 31, 59, 99, 100, 999, 1000, 9999, 10000, 65535};

TEST(DateTimeText, DateTextsOverTheWholeCalendarAndOddFields) {
  TextDigest digest;
  for (std::int32_t day = DaysFromCivil(1, 1, 1); day <= DaysFromCivil(9999, 12, 31); day += 3) {
    int year = 0;
    unsigned month = 0, dayOfMonth = 0;
    CivilFromDays(day, year, month, dayOfMonth);
    const SQL_DATE_STRUCT date{static_cast<SQLSMALLINT>(year), static_cast<SQLUSMALLINT>(month),
                               static_cast<SQLUSMALLINT>(dayOfMonth)};
    FormatGuarded(date, 11, FormatDateText, digest);
  }
  for (int year = -32768; year <= 32767; year += 97) {
    for (unsigned month : kOddFields) {
      for (unsigned day : {0u, 7u, 31u, 100u, 65535u}) {
        const SQL_DATE_STRUCT date{static_cast<SQLSMALLINT>(year), static_cast<SQLUSMALLINT>(month),
                                   static_cast<SQLUSMALLINT>(day)};
        FormatGuarded(date, 11, FormatDateText, digest);
      }
    }
  }
  EXPECT_EQ(digest.hash, 6883209614196763778ull);
}

TEST(DateTimeText, TimeTextsOverEveryFieldUpToTwoDigitsAndBeyond) {
  TextDigest digest;
  for (unsigned hour = 0; hour < 100; ++hour) {
    for (unsigned minute = 0; minute < 100; ++minute) {
      for (unsigned second = hour % 7; second < 100; second += 7) {
        const SQL_TIME_STRUCT time{static_cast<SQLUSMALLINT>(hour), static_cast<SQLUSMALLINT>(minute),
                                   static_cast<SQLUSMALLINT>(second)};
        FormatGuarded(time, 9, FormatTimeText, digest);
      }
    }
  }
  for (unsigned hour : kOddFields) {
    for (unsigned minute : kOddFields) {
      for (unsigned second : kOddFields) {
        const SQL_TIME_STRUCT time{static_cast<SQLUSMALLINT>(hour), static_cast<SQLUSMALLINT>(minute),
                                   static_cast<SQLUSMALLINT>(second)};
        FormatGuarded(time, 9, FormatTimeText, digest);
      }
    }
  }
  EXPECT_EQ(digest.hash, 17383823271985127913ull);
}

TEST(DateTimeText, TimestampTextsOfRandomFieldsWithFractions) {
  std::mt19937_64 random(20240229);  // its sequence is fixed by the standard
  TextDigest digest;
  for (int i = 0; i < 300000; ++i) {
    const std::uint64_t r = random();
    const SQL_TIMESTAMP_STRUCT t{static_cast<SQLSMALLINT>(r % 10000),
                                 static_cast<SQLUSMALLINT>(r / 10000 % 13),
                                 static_cast<SQLUSMALLINT>(r / 130000 % 32),
                                 static_cast<SQLUSMALLINT>(r / 4160000 % 24),
                                 static_cast<SQLUSMALLINT>(r / 99840000 % 60),
                                 static_cast<SQLUSMALLINT>(r / 5990400000 % 60),
                                 static_cast<SQLUINTEGER>(random() % 1000000000)};
    FormatGuarded(t, 24, FormatTimestampText, digest);
  }
  for (int i = 0; i < 100000; ++i) {
    const std::uint64_t r = random();
    const SQL_TIMESTAMP_STRUCT t{static_cast<SQLSMALLINT>(r), static_cast<SQLUSMALLINT>(r >> 16),
                                 static_cast<SQLUSMALLINT>(r >> 32), static_cast<SQLUSMALLINT>(r >> 48),
                                 static_cast<SQLUSMALLINT>(random() % 200), static_cast<SQLUSMALLINT>(random() % 200),
                                 static_cast<SQLUINTEGER>(random())};
    FormatGuarded(t, 24, FormatTimestampText, digest);
  }
  EXPECT_EQ(digest.hash, 16888412698368400078ull);
}

struct TextCase {
  SQL_TIMESTAMP_STRUCT value;
  const char* date;
  const char* time;
  const char* stamp;
};

TEST(DateTimeText, FixedTextsAtTheFieldLimits) {
  const TextCase cases[] = {
      {{1, 1, 1, 0, 0, 0, 0}, "0001-01-01", "00:00:00", "0001-01-01 00:00:00.000"},
      {{9999, 12, 31, 23, 59, 59, 999999999}, "9999-12-31", "23:59:59", "9999-12-31 23:59:59.999"},
      {{0, 0, 0, 0, 0, 0, 999999}, "0000-00-00", "00:00:00", "0000-00-00 00:00:00.000"},
      {{-5, 1, 2, 3, 4, 5, 1000000}, "-005-01-02", "03:04:05", "-005-01-02 03:04:05.001"},
      {{-32768, 10, 20, 100, 7, 8, 0}, "-32768-10-", "100:07:0", "-32768-10-20 100:07:08."},
      {{12345, 6, 7, 8, 9, 10, 11000000}, "12345-06-0", "08:09:10", "12345-06-07 08:09:10.01"},
      {{2024, 65535, 9, 1, 65535, 2, 4294967295u}, "2024-65535", "01:65535", "2024-65535-09 01:65535:"},
      {{2024, 2, 29, 12, 0, 0, 1000000000}, "2024-02-29", "12:00:00", "2024-02-29 12:00:00.100"},
  };
  for (const TextCase& c : cases) {
    char date[11], time[9], stamp[24];
    FormatDateText(SQL_DATE_STRUCT{c.value.year, c.value.month, c.value.day}, date);
    FormatTimeText(SQL_TIME_STRUCT{c.value.hour, c.value.minute, c.value.second}, time);
    FormatTimestampText(c.value, stamp);
    EXPECT_STREQ(date, c.date);
    EXPECT_STREQ(time, c.time);
    EXPECT_STREQ(stamp, c.stamp);
  }
}

}  // namespace
