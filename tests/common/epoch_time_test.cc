// Calendar arithmetic and the service's millisecond forms.
#include "common/epoch_time.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/local_time.h"

namespace {

// Puts the process in a zone for one test and restores the previous TZ on
// every way out, a failed ASSERT included, so later tests see their zone.
struct ScopedZone {
  explicit ScopedZone(const char* name) : hadZone(std::getenv("TZ") != nullptr) {
    if (hadZone) previous = std::getenv("TZ");
    Switch(name);
  }
  ScopedZone(const ScopedZone&) = delete;
  ScopedZone& operator=(const ScopedZone&) = delete;
  ~ScopedZone() {
    if (hadZone) {
      setenv("TZ", previous.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    ReloadLocalTimeZone();
  }
  void Switch(const char* name) const {
    setenv("TZ", name, 1);
    ReloadLocalTimeZone();
  }
  bool hadZone;
  std::string previous;
};

TEST(EpochTime, DatesRoundTripAtCalendarBoundaries) {
  struct Case {
    SQL_DATE_STRUCT date;
    std::int64_t ms;
  };
  const Case cases[] = {
      {{1970, 1, 1}, 0},
      {{1969, 12, 31}, -86400000},
      {{2000, 2, 29}, 951782400000},
      {{1900, 3, 1}, -2203891200000},
      {{1, 1, 1}, -62135596800000},
      {{9999, 12, 31}, 253402214400000},
  };
  for (const Case& c : cases) {
    std::int64_t ms = 1;
    ASSERT_EQ(DateToEpochMs(c.date, ms), kMsgSuccess) << c.date.year;
    EXPECT_EQ(ms, c.ms) << c.date.year;
    SQL_DATE_STRUCT back{};
    ASSERT_EQ(EpochMsToDate(c.ms + 86399999, back), kMsgSuccess);  // any instant of that UTC day
    EXPECT_EQ(back.year, c.date.year);
    EXPECT_EQ(back.month, c.date.month);
    EXPECT_EQ(back.day, c.date.day);
  }
}

TEST(EpochTime, RefusesDatesOutsideTheCalendar) {
  std::int64_t ms = 0;
  SQL_DATE_STRUCT date{};
  EXPECT_EQ(DateToEpochMs(SQL_DATE_STRUCT{0, 0, 0}, ms), kMsgOutOfRange);
  EXPECT_EQ(DateToEpochMs(SQL_DATE_STRUCT{2023, 2, 29}, ms), kMsgConversionError);
  EXPECT_EQ(EpochMsToDate(-62135596800001, date), kMsgOutOfRange);
  EXPECT_EQ(EpochMsToDate(253402300800000, date), kMsgOutOfRange);
  EXPECT_EQ(EpochMsToDate(INT64_MIN, date), kMsgOutOfRange);
}

TEST(EpochTime, TimestampsFollowAFixedOffset) {
  struct Case {
    SQL_TIMESTAMP_STRUCT wall;
    std::int32_t offsetMinutes;
    std::int64_t ms;
  };
  const Case cases[] = {
      {{1970, 1, 1, 0, 0, 0, 0}, 0, 0},
      {{1970, 1, 1, 1, 0, 0, 123000000}, 60, 123},
      {{1969, 12, 31, 19, 0, 0, 0}, -300, 0},
      {{1, 1, 1, 0, 0, 0, 0}, 0, -62135596800000},
      {{9999, 12, 31, 23, 59, 59, 999000000}, 0, 253402300799999},
  };
  for (const Case& c : cases) {
    const TimeZoneRule rule{true, c.offsetMinutes};
    std::int64_t ms = 0;
    ASSERT_EQ(TimestampToEpochMs(c.wall, rule, ms), kMsgSuccess);
    EXPECT_EQ(ms, c.ms);
    SQL_TIMESTAMP_STRUCT back{};
    ASSERT_EQ(EpochMsToTimestamp(c.ms, rule, back), kMsgSuccess);
    EXPECT_EQ(back.year, c.wall.year);
    EXPECT_EQ(back.hour, c.wall.hour);
    EXPECT_EQ(back.fraction, c.wall.fraction);
  }
  std::int64_t ms = 0;
  // Midnight of year 1 at UTC+1 is still in year 0 in UTC.
  EXPECT_EQ(TimestampToEpochMs(SQL_TIMESTAMP_STRUCT{1, 1, 1, 0, 0, 0, 0}, TimeZoneRule{true, 60}, ms), kMsgOutOfRange);
  SQL_TIMESTAMP_STRUCT t{};
  EXPECT_EQ(EpochMsToTimestamp(253402300799999, TimeZoneRule{true, 60}, t), kMsgOutOfRange);
}

TEST(EpochTime, TimestampsFollowTheProcessZone) {
  const ScopedZone zone("America/New_York");
  const TimeZoneRule rule{};
  struct Case {
    SQL_TIMESTAMP_STRUCT wall;
    std::int64_t ms;
  };
  const Case cases[] = {
      {{2024, 1, 15, 12, 0, 0, 0}, 1705338000000},  // EST, UTC-5
      {{2024, 7, 15, 12, 0, 0, 0}, 1721059200000},  // EDT, UTC-4
      {{1950, 7, 1, 0, 0, 0, 0}, -615499200000},    // before 1970, EDT
  };
  for (const Case& c : cases) {
    std::int64_t ms = 0;
    ASSERT_EQ(TimestampToEpochMs(c.wall, rule, ms), kMsgSuccess);
    EXPECT_EQ(ms, c.ms);
    SQL_TIMESTAMP_STRUCT back{};
    ASSERT_EQ(EpochMsToTimestamp(c.ms, rule, back), kMsgSuccess);
    EXPECT_EQ(back.month, c.wall.month);
    EXPECT_EQ(back.hour, c.wall.hour);
  }
}

// Near a change of the zone's clocks, wall-clock order and UTC order part.
TEST(EpochTime, OffsetIsSteadyOnlyAwayFromClockChanges) {
  const ScopedZone zone("America/New_York");
  const struct {
    SQL_TIMESTAMP_STRUCT wall;
    bool steady;
  } cases[] = {
      {{2020, 11, 1, 1, 30, 0, 0}, false},  // the hour that comes twice
      {{2020, 10, 31, 12, 0, 0, 0}, false},  // a day before it
      {{2020, 3, 8, 2, 30, 0, 0}, false},   // the hour that never comes
      {{2020, 11, 3, 12, 0, 0, 0}, true},
      {{2020, 1, 20, 12, 0, 0, 0}, true},
  };
  for (const auto& c : cases) EXPECT_EQ(OffsetSteadyAround(c.wall, TimeZoneRule{}), c.steady) << c.wall.month;
  EXPECT_TRUE(OffsetSteadyAround(SQL_TIMESTAMP_STRUCT{2020, 11, 1, 1, 30, 0, 0}, TimeZoneRule{true, -300}));
}

// The memo may only save questions to the C library, never change an answer:
// instants on both sides of the New York transitions, repeated and
// interleaved with more distinct instants than the memo holds, convert as
// they do without it; a cleared memo follows a reloaded zone.
TEST(EpochTime, OffsetMemoNeverChangesAnAnswer) {
  const ScopedZone zone("America/New_York");
  const std::int64_t instants[] = {
      1710054000000, 1710054000000,  // 2024-03-10 07:00Z, as EDT begins
      1710053999000, 1710054000000,  // a second before it, then again
      1730613600000, 1730613599000,  // 2024-11-03 06:00Z, as EDT ends, and a second before
      1705338000000, 1721059200000, -615499200000, 1710054000000, 1705338000000, 0,
  };
  LocalOffsetMemo memo;
  const TimeZoneRule plain{};
  const TimeZoneRule memoised{false, 0, &memo};
  for (std::int64_t ms : instants) {
    SQL_TIMESTAMP_STRUCT expected{}, got{};
    ASSERT_EQ(EpochMsToTimestamp(ms, plain, expected), kMsgSuccess);
    ASSERT_EQ(EpochMsToTimestamp(ms, memoised, got), kMsgSuccess);
    EXPECT_EQ(std::memcmp(&expected, &got, sizeof got), 0) << ms;
    std::int64_t back = 0, backMemoised = 0;
    ASSERT_EQ(TimestampToEpochMs(expected, plain, back), kMsgSuccess);
    ASSERT_EQ(TimestampToEpochMs(expected, memoised, backMemoised), kMsgSuccess);
    EXPECT_EQ(back, backMemoised) << ms;
  }
  zone.Switch("UTC");
  memo = LocalOffsetMemo{};
  SQL_TIMESTAMP_STRUCT utc{};
  ASSERT_EQ(EpochMsToTimestamp(1705338000000, memoised, utc), kMsgSuccess);
  EXPECT_EQ(utc.hour, 17);
}

TEST(EpochTime, TimesOfDayAndDurations) {
  std::int64_t ms = 0;
  ASSERT_EQ(TimeToDayMs(SQL_TIME_STRUCT{23, 59, 59}, ms), kMsgSuccess);
  EXPECT_EQ(ms, 86399000);
  SQL_TIME_STRUCT time{};
  ASSERT_EQ(DayMsToTime(45296789, time), kMsgSuccess);
  EXPECT_EQ(time.hour * 10000 + time.minute * 100 + time.second, 123456);
  EXPECT_EQ(DayMsToTime(86400000, time), kMsgOutOfRange);
  EXPECT_EQ(DayMsToTime(-1, time), kMsgOutOfRange);
  EXPECT_EQ(TimeToDayMs(SQL_TIME_STRUCT{24, 0, 0}, ms), kMsgConversionError);
  EXPECT_DOUBLE_EQ(DurationMsToValue(86400000, 86400000), 1.0);
  EXPECT_DOUBLE_EQ(DurationMsToValue(1500, 0), 1500.0);  // a zero multiplier counts as 1
  EXPECT_DOUBLE_EQ(DurationValueToMs(2, 3600000), 7200000.0);
}

}  // namespace
