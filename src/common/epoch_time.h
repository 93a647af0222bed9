// Calendar arithmetic and the service's millisecond forms of dates, times of
// day, timestamps and durations; called by the service-text readers and
// writers and by the date scalar functions.
#pragma once

#include <cstddef>
#include <cstdint>

#include <sqltypes.h>

#include "common/message_ids.h"

// The process zone's offsets at the last few UTC seconds asked about.
// Tables often hold one instant many times over (created and modified
// stamps, rows imported together), and each question to the C library costs
// far more than the conversion around it. A few entries, because a row's
// other timestamp columns come between two reads of the repeated instant.
// The owner clears it when the zone may have been reloaded since.
struct LocalOffsetMemo {
  static constexpr std::size_t kEntries = 4;
  std::int64_t utcSeconds[kEntries] = {};
  std::int32_t offsetSeconds[kEntries] = {};
  std::size_t used = 0;  // entries filled, up to kEntries
  std::size_t next = 0;  // the entry the next new instant replaces
};

// How wall-clock timestamps map to the service's UTC milliseconds: a fixed
// offset (the connection's TIMEZONEOFFSET) or the process's time zone (TZ).
struct TimeZoneRule {
  bool fixedOffset = false;
  std::int32_t offsetMinutes = 0;    // east of UTC; read only with fixedOffset
  LocalOffsetMemo* memo = nullptr;   // optional; remembers the process zone's last answers
};

inline constexpr std::int64_t kMillisecondsPerDay = 86400000;

// Days since 1970-01-01 of a proleptic Gregorian date, and back. Both are
// exact for every date of years -32768..32767, so callers can range-check
// the result instead of trusting mktime's limits.
std::int32_t DaysFromCivil(int year, unsigned month, unsigned day);
void CivilFromDays(std::int32_t days, int& year, unsigned& month, unsigned& day);

// Calendar days added to a date (a negative count goes back): 0; 1009 for
// a date that does not exist; 1011 when the date or the result lies outside
// years 1..9999 (the all-zero date included). out is unchanged on failure.
MessageId AddDaysToCivilDate(const SQL_DATE_STRUCT& date, std::int32_t days, SQL_DATE_STRUCT& out);
// The days from b to a (negative when a is earlier). Exact for any two dates
// of years 1..9999, whose distance always fits 32 bits.
std::int32_t CivilDaysBetween(const SQL_DATE_STRUCT& a, const SQL_DATE_STRUCT& b);

// The day counts of 0001-01-01 and 9999-12-31: calendar arithmetic whose
// result falls outside them answers 1011.
inline constexpr std::int32_t kFirstCalendarDay = -719162;
inline constexpr std::int32_t kLastCalendarDay = 2932896;
inline bool IsCalendarDay(std::int64_t days) { return days >= kFirstCalendarDay && days <= kLastCalendarDay; }

// 0 for Sunday to 6 for Saturday; 1970-01-01 was a Thursday.
unsigned DayOfWeekFromDays(std::int64_t days);

// Dates: milliseconds of midnight UTC. 1009 for a date that does not exist,
// 1011 outside years 1..9999 (the all-zero date included).
MessageId DateToEpochMs(const SQL_DATE_STRUCT& date, std::int64_t& ms);
MessageId EpochMsToDate(std::int64_t ms, SQL_DATE_STRUCT& date);

// Timestamps: wall-clock time through the rule. The fraction keeps
// milliseconds (nanoseconds below a millisecond are dropped). 1009 for
// fields that do not make a timestamp, 1011 outside years 1..9999.
MessageId TimestampToEpochMs(const SQL_TIMESTAMP_STRUCT& timestamp, const TimeZoneRule& rule, std::int64_t& ms);
MessageId EpochMsToTimestamp(std::int64_t ms, const TimeZoneRule& rule, SQL_TIMESTAMP_STRUCT& timestamp);

// Whether the rule's offset is the same a day before and after the
// timestamp's instant, so that near it wall-clock order is the order of UTC
// instants. Not so where the process zone's clocks go back (an hour comes
// twice) or forward: a wall-clock comparison there keeps instants on both
// sides of the UTC one. A fixed offset is always steady.
bool OffsetSteadyAround(const SQL_TIMESTAMP_STRUCT& timestamp, const TimeZoneRule& rule);

// Today's date in the process's time zone: the date ODBC gives a time of
// day that becomes a timestamp.
SQL_DATE_STRUCT LocalDateToday();
// The time of day of a timestamp (its date and fraction ignored) on today's
// date, as such a time becomes a timestamp.
SQL_TIMESTAMP_STRUCT TimeOfDayToday(const SQL_TIMESTAMP_STRUCT& time);

// Times of day: milliseconds since midnight. 1009 for an invalid time; 1011
// for milliseconds outside one day. Milliseconds below a second are dropped.
MessageId TimeToDayMs(const SQL_TIME_STRUCT& time, std::int64_t& ms);
MessageId DayMsToTime(std::int64_t ms, SQL_TIME_STRUCT& time);

// Durations: the service counts milliseconds, SQL sees them divided by the
// connection's DURATION multiplier. A multiplier that is not a positive
// number counts as the default 1, so a bad setting can't divide by zero.
double DurationMsToValue(double ms, double multiplier);
double DurationValueToMs(double value, double multiplier);
