// The date and time scalar functions on literals: field functions of the
// three overloads, day and week numbers, interval arithmetic over month
// ends, leap days, daylight-saving changes and the calendar's ends, and the
// current date and time in the connection's zone.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>

#include "common/epoch_time.h"
#include "exec/calendar_record.h"
#include "platform/local_time.h"
#include "scalar_call_fixture.h"

namespace {

struct Case {
  std::string call;
  std::string expected;  // ShowValue of the result, or "error <id>"
};

TEST(DateTimeFunctions, FieldsNamesAndNumbers) {
  const Case cases[] = {
      {"{fn DAYOFWEEK({d '2024-06-02'})}", "1"},
      {"{fn DAYOFWEEK({d '2024-06-08'})}", "7"},
      {"{fn DAYNAME({d '2024-06-02'})}", "'Sunday'"},
      {"{fn DAYNAME('2024-06-08')}", "'Saturday'"},
      {"{fn DAYNAME({ts '0001-01-01 00:00:00'})}", "'Monday'"},
      {"{fn DAYOFYEAR({d '2024-12-31'})}", "366"},
      {"{fn DAYOFYEAR({d '2023-12-31'})}", "365"},
      {"{fn DAYOFMONTH('2024-02-29')}", "29"},
      {"{fn DAYOFMONTH({ts '2024-02-29 10:00:00'})}", "29"},
      {"{fn DAYOFMONTH('2023-02-29')}", "error 1009"},
      {"{fn QUARTER({d '2024-10-01'})}", "4"},
      {"{fn QUARTER('2024-03-31')}", "1"},
      {"{fn WEEK({d '2025-01-01'})}", "1"},
      {"{fn WEEK({d '2025-01-04'})}", "1"},
      {"{fn WEEK({d '2025-01-05'})}", "2"},
      {"{fn WEEK({d '2025-01-12'})}", "3"},
      {"{fn WEEK({d '2024-12-31'})}", "53"},
      {"{fn WEEK({d '2022-01-01'})}", "1"},
      {"{fn WEEK({d '2022-01-02'})}", "2"},
      {"{fn MONTH({ts '2024-11-05 01:02:03'})}", "11"},
      {"{fn MONTHNAME({d '2024-11-05'})}", "'November'"},
      {"{fn MONTHNAME('0000-00-00')}", "''"},
      {"{fn YEAR('9999-12-31')}", "9999"},
      {"{fn HOUR({t '13:14:15'})}", "13"},
      {"{fn MINUTE('13:14:15')}", "14"},
      {"{fn SECOND({ts '2024-01-01 13:14:15.5'})}", "15"},
      {"{fn HOUR('2024-01-01 13:14:15')}", "error 1009"},
      {"{fn EXTRACT(MONTH FROM {ts '2024-11-05 01:02:03'})}", "11"},
      {"{fn EXTRACT(SECOND FROM {t '01:02:03'})}", "3"},
      {"{fn EXTRACT(YEAR FROM {d '2024-11-05'})}", "2024"},
      {"{fn EXTRACT(DAY FROM '2024-11-05')}", "error 1009"},
      {"{fn EXTRACT(MINUTE FROM '2024-11-05 07:08:09')}", "8"},
      {"{fn DAYOFWEEK('0000-00-00')}", "error 1011"},
  };
  for (const Case& c : cases) {
    ScalarCallFixture f;
    EXPECT_EQ(f.Run(c.call).Text(), c.expected) << c.call;
  }
}

TEST(DateTimeFunctions, IntervalArithmetic) {
  const Case cases[] = {
      {"{fn TIMESTAMPADD(SQL_TSI_MONTH, 1, {ts '2023-01-31 10:20:30.5'})}", "2023-03-03 10:20:30.000"},
      {"{fn TIMESTAMPADD(SQL_TSI_MONTH, 1, {ts '2024-01-31 10:20:30'})}", "2024-03-02 10:20:30.000"},
      {"{fn TIMESTAMPADD(SQL_TSI_QUARTER, -1, {d '2024-05-15'})}", "2024-02-15 00:00:00.000"},
      {"{fn TIMESTAMPADD(SQL_TSI_YEAR, 1, {d '2024-02-29'})}", "2025-03-01 00:00:00.000"},
      {"{fn TIMESTAMPADD(SQL_TSI_DAY, 1, {d '2024-02-28'})}", "2024-02-29 00:00:00.000"},
      {"{fn TIMESTAMPADD(SQL_TSI_SECOND, 86400, {ts '2024-03-09 12:00:00'})}", "2024-03-10 12:00:00.000"},
      {"{fn TIMESTAMPADD(SQL_TSI_HOUR, 1, {ts '2024-03-10 01:30:00'})}", "2024-03-10 02:30:00.000"},
      {"{fn TIMESTAMPADD(SQL_TSI_HOUR, 24, {ts '2024-11-02 12:00:00'})}", "2024-11-03 12:00:00.000"},
      {"{fn TIMESTAMPADD(SQL_TSI_WEEK, -1, '1970-01-05 00:00:00')}", "1969-12-29 00:00:00.000"},
      {"{fn TIMESTAMPADD(SQL_TSI_MINUTE, -1, {d '0001-01-01'})}", "error 1011"},
      {"{fn TIMESTAMPADD(SQL_TSI_SECOND, 1, {ts '9999-12-31 23:59:59'})}", "error 1011"},
      {"{fn TIMESTAMPADD(SQL_TSI_YEAR, 999999999, {d '2024-01-01'})}", "error 1011"},
      {"{fn TIMESTAMPADD(SQL_TSI_MONTH, -1, {d '0001-01-31'})}", "error 1011"},
      {"{fn TIMESTAMPADD(SQL_TSI_DAY, 0, {d '9999-12-31'})}", "9999-12-31 00:00:00.000"},
      {"{fn TIMESTAMPDIFF(SQL_TSI_DAY, {ts '2024-01-01 00:00:00'}, {ts '2024-01-02 12:00:00'})}", "1"},
      {"{fn TIMESTAMPDIFF(SQL_TSI_MINUTE, {ts '2024-01-01 00:00:00'}, {ts '2024-01-01 00:01:30'})}", "1"},
      {"{fn TIMESTAMPDIFF(SQL_TSI_MINUTE, {ts '2024-01-01 00:01:30'}, {ts '2024-01-01 00:00:00'})}", "-1"},
      {"{fn TIMESTAMPDIFF(SQL_TSI_MONTH, {d '2024-01-31'}, {d '2024-02-01'})}", "1"},
      {"{fn TIMESTAMPDIFF(SQL_TSI_YEAR, {d '2023-12-31'}, {d '2024-01-01'})}", "1"},
      {"{fn TIMESTAMPDIFF(SQL_TSI_QUARTER, {d '2024-01-01'}, {d '2023-02-01'})}", "-3"},
      {"{fn TIMESTAMPDIFF(SQL_TSI_WEEK, {d '1969-12-01'}, {d '1970-01-05'})}", "5"},
      {"{fn TIMESTAMPDIFF(SQL_TSI_HOUR, {ts '2024-03-10 00:00:00'}, {ts '2024-03-10 05:00:00'})}", "5"},
      {"{fn TIMESTAMPDIFF(SQL_TSI_DAY, {d '0001-01-01'}, {d '9999-12-31'})}", "3652058"},
      {"{fn TIMESTAMPDIFF(SQL_TSI_SECOND, {d '0001-01-01'}, {d '9999-12-31'})}", "error 1011"},
      {"{fn TIMESTAMPDIFF(SQL_TSI_DAY, '2024-01-01', {d '2024-01-02'})}", "error 1009"},
  };
  for (const Case& c : cases) {
    ScalarCallFixture f;
    EXPECT_EQ(f.Run(c.call).Text(), c.expected) << c.call;
  }
}

// The count of TIMESTAMPADD is a 32-bit number: 65536 seconds is not 0.
TEST(DateTimeFunctions, IntervalCountsAreThirtyTwoBits) {
  ScalarCallFixture f;
  EXPECT_EQ(f.Run("{fn TIMESTAMPADD(SQL_TSI_SECOND, 65536, {d '2024-01-01'})}").Text(), "2024-01-01 18:12:16.000");
  EXPECT_EQ(f.Run("{fn TIMESTAMPADD(SQL_TSI_DAY, 100000, {d '2000-01-01'})}").Text(), "2273-10-16 00:00:00.000");
}

// The calendar record of every day of a span agrees with a day-by-day walk.
TEST(DateTimeFunctions, CalendarDatesWalkDayByDay) {
  const std::int64_t first = DaysFromCivil(1969, 12, 25);
  unsigned weekday = DayOfWeekFromDays(first);
  for (std::int64_t days = first; days < first + 800; ++days) {
    CalendarRecord record;
    ASSERT_EQ(CalendarFromDaysAndSeconds(days, 0, record), kMsgSuccess);
    ValueCell cell;
    cell.valueType = kValueDate;
    cell.value.date = SQL_DATE_STRUCT{static_cast<SQLSMALLINT>(record.year), static_cast<SQLUSMALLINT>(record.month),
                                      static_cast<SQLUSMALLINT>(record.day)};
    CalendarRecord read;
    ASSERT_EQ(ValueToCalendarDate(cell, read), kMsgSuccess);
    EXPECT_EQ(read.days, days);
    EXPECT_EQ(read.dayOfWeek, weekday);
    EXPECT_EQ(read.dayOfYear, days - DaysFromCivil(record.year, 1, 1));
    weekday = (weekday + 1) % 7;
  }
}

TEST(DateTimeFunctions, CalendarReadersRefuseOtherValues) {
  ValueCell cell;
  CalendarRecord record;
  cell.valueType = kValueTime;
  EXPECT_EQ(ValueToCalendarDate(cell, record), kMsgInternalError);
  cell.valueType = kValueDouble;
  EXPECT_EQ(ValueToCalendarDate(cell, record), kMsgInternalError);
  cell.valueType = kValueUntyped;
  EXPECT_EQ(ValueToCalendarDate(cell, record), kMsgNotSupportedDetail);
  cell.valueType = kValueDate;
  cell.value.date = SQL_DATE_STRUCT{2024, 13, 1};
  EXPECT_EQ(ValueToCalendarDate(cell, record), kMsgConversionError);
  cell.value.date = SQL_DATE_STRUCT{10000, 1, 1};
  EXPECT_EQ(ValueToCalendarDate(cell, record), kMsgOutOfRange);
}

std::int64_t NowSeconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// Wall-clock seconds of a timestamp result, read as if UTC.
std::int64_t WallSeconds(const SQL_TIMESTAMP_STRUCT& t) {
  return std::int64_t{DaysFromCivil(t.year, t.month, t.day)} * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

// The current date and time follow TIMEZONEOFFSET when it is set, else TZ.
TEST(DateTimeFunctions, CurrentTimeInTheConnectionsZone) {
  ScalarCallFixture f;
  f.connection.timezoneOffsetSet = true;
  f.connection.timezoneOffsetMinutes = -150;
  CallOutcome now = f.Run("{fn NOW()}");
  ASSERT_EQ(now.id, kMsgSuccess);
  EXPECT_NEAR(WallSeconds(now.cell.value.timestamp), NowSeconds() - 150 * 60, 2);
  EXPECT_EQ(now.cell.value.timestamp.fraction, 0u);

  const char* saved = std::getenv("TZ");
  const std::string savedZone = saved != nullptr ? saved : "";
  setenv("TZ", "America/New_York", 1);
  ReloadLocalTimeZone();
  f.connection.timezoneOffsetSet = false;
  for (const char* call : {"{fn CURRENT_TIMESTAMP()}", "{fn CURRENT_TIMESTAMP(3)}"}) {
    now = f.Run(call);
    ASSERT_EQ(now.id, kMsgSuccess) << call;
    const std::int64_t utc = NowSeconds();
    EXPECT_NEAR(WallSeconds(now.cell.value.timestamp), utc + LocalUtcOffsetSeconds(utc), 2) << call;
  }
  const CallOutcome date = f.Run("{fn CURDATE()}");
  const CallOutcome time = f.Run("{fn CURTIME()}");
  const std::int64_t utc = NowSeconds();
  const std::int64_t wall = utc + LocalUtcOffsetSeconds(utc);
  const std::int64_t shown = std::int64_t{DaysFromCivil(date.cell.value.date.year, date.cell.value.date.month,
                                                        date.cell.value.date.day)} * 86400 +
                             time.cell.value.time.hour * 3600 + time.cell.value.time.minute * 60 +
                             time.cell.value.time.second;
  EXPECT_NEAR(shown, wall, 2);
  if (saved != nullptr) setenv("TZ", savedZone.c_str(), 1);
  else unsetenv("TZ");
  ReloadLocalTimeZone();
}

// A time of day becomes a timestamp on today's date in the connection's zone.
TEST(DateTimeFunctions, TimeOfDayTakesTodaysDate) {
  ScalarCallFixture f;
  f.connection.timezoneOffsetSet = true;
  f.connection.timezoneOffsetMinutes = 600;
  const CallOutcome stamp = f.Run("{fn CONVERT({t '01:02:03'}, SQL_TIMESTAMP)}");
  const std::int64_t wallDay = (NowSeconds() + 600 * 60) / 86400;
  EXPECT_EQ(DaysFromCivil(stamp.cell.value.timestamp.year, stamp.cell.value.timestamp.month,
                          stamp.cell.value.timestamp.day),
            wallDay);
  EXPECT_EQ(stamp.cell.value.timestamp.hour, 1);
  EXPECT_EQ(f.Run("{fn EXTRACT(HOUR FROM {t '01:02:03'})}").Text(), "1");
}

}  // namespace
