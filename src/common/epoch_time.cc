// Calendar arithmetic on 32-bit day counts and the conversions between SQL
// date-time values and the service's epoch milliseconds.
#include "common/epoch_time.h"

#include <chrono>
#include <cmath>

#include "common/datetime_text.h"
#include "platform/local_time.h"

namespace {


std::int64_t FloorDivide(std::int64_t value, std::int64_t divisor) {
  const std::int64_t quotient = value / divisor;
  return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

// Milliseconds of a wall-clock timestamp read as if it were UTC.
std::int64_t WallClockMs(const SQL_TIMESTAMP_STRUCT& t) {
  const std::int64_t days = DaysFromCivil(t.year, t.month, t.day);
  const std::int64_t seconds = days * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
  return seconds * 1000 + t.fraction / 1000000;
}

std::int64_t ProcessZoneOffsetSeconds(std::int64_t utcSeconds, const TimeZoneRule& rule) {
  LocalOffsetMemo* memo = rule.memo;
  if (memo == nullptr) return LocalUtcOffsetSeconds(utcSeconds);
  for (std::size_t i = 0; i < memo->used; ++i)
    if (memo->utcSeconds[i] == utcSeconds) return memo->offsetSeconds[i];
  const std::int32_t offset = LocalUtcOffsetSeconds(utcSeconds);
  const std::size_t slot = memo->next;
  memo->utcSeconds[slot] = utcSeconds;
  memo->offsetSeconds[slot] = offset;
  memo->next = (slot + 1) % LocalOffsetMemo::kEntries;
  if (memo->used < LocalOffsetMemo::kEntries) ++memo->used;
  return offset;
}

// The rule's offset, in milliseconds east, for a wall-clock instant: the zone
// offset can change between the wall clock and its UTC instant, so the
// process zone is asked again at the first guess.
std::int64_t OffsetForWallClock(std::int64_t wallMs, const TimeZoneRule& rule) {
  if (rule.fixedOffset) return std::int64_t{rule.offsetMinutes} * 60000;
  const std::int64_t wallSeconds = FloorDivide(wallMs, 1000);
  const std::int64_t first = ProcessZoneOffsetSeconds(wallSeconds, rule);
  const std::int64_t second = ProcessZoneOffsetSeconds(wallSeconds - first, rule);
  return second * 1000;
}

std::int64_t OffsetForUtc(std::int64_t utcMs, const TimeZoneRule& rule) {
  if (rule.fixedOffset) return std::int64_t{rule.offsetMinutes} * 60000;
  return ProcessZoneOffsetSeconds(FloorDivide(utcMs, 1000), rule) * 1000;
}

bool DayInRange(std::int64_t day) { return IsCalendarDay(day); }

void SplitCivilDay(std::int64_t day, SQL_DATE_STRUCT& date) {
  int year = 0;
  unsigned month = 0, dayOfMonth = 0;
  CivilFromDays(static_cast<std::int32_t>(day), year, month, dayOfMonth);
  date = SQL_DATE_STRUCT{static_cast<SQLSMALLINT>(year), static_cast<SQLUSMALLINT>(month),
                         static_cast<SQLUSMALLINT>(dayOfMonth)};
}

double EffectiveMultiplier(double multiplier) {
  return (std::isfinite(multiplier) && multiplier > 0) ? multiplier : 1.0;
}

}  // namespace

std::int32_t DaysFromCivil(int year, unsigned month, unsigned day) {
  const int y = year - (month <= 2 ? 1 : 0);
  const int era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yearOfEra = static_cast<unsigned>(y - era * 400);
  const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + static_cast<int>(dayOfEra) - 719468;
}

void CivilFromDays(std::int32_t days, int& year, unsigned& month, unsigned& day) {
  const std::int32_t z = days + 719468;
  const std::int32_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned dayOfEra = static_cast<unsigned>(z - era * 146097);
  const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const unsigned mp = (5 * dayOfYear + 2) / 153;
  day = dayOfYear - (153 * mp + 2) / 5 + 1;
  month = mp < 10 ? mp + 3 : mp - 9;
  year = static_cast<int>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0);
}

MessageId AddDaysToCivilDate(const SQL_DATE_STRUCT& date, std::int32_t days, SQL_DATE_STRUCT& out) {
  if (date.year < 1 || date.year > 9999) return kMsgOutOfRange;
  if (!IsValidDate(date.year, date.month, date.day, false)) return kMsgConversionError;
  // The sum is taken in 64 bits: a count near the 32-bit limits must fail the
  // range check, not wrap into it.
  const std::int64_t day = std::int64_t{DaysFromCivil(date.year, date.month, date.day)} + days;
  if (!DayInRange(day)) return kMsgOutOfRange;
  SplitCivilDay(day, out);
  return kMsgSuccess;
}

std::int32_t CivilDaysBetween(const SQL_DATE_STRUCT& a, const SQL_DATE_STRUCT& b) {
  return DaysFromCivil(a.year, a.month, a.day) - DaysFromCivil(b.year, b.month, b.day);
}

unsigned DayOfWeekFromDays(std::int64_t days) {
  const std::int64_t shifted = (days + 4) % 7;
  return static_cast<unsigned>(shifted < 0 ? shifted + 7 : shifted);
}

MessageId DateToEpochMs(const SQL_DATE_STRUCT& date, std::int64_t& ms) {
  if (date.year < 1 || date.year > 9999) return kMsgOutOfRange;
  if (!IsValidDate(date.year, date.month, date.day, false)) return kMsgConversionError;
  ms = std::int64_t{DaysFromCivil(date.year, date.month, date.day)} * kMillisecondsPerDay;
  return kMsgSuccess;
}

MessageId EpochMsToDate(std::int64_t ms, SQL_DATE_STRUCT& date) {
  const std::int64_t day = FloorDivide(ms, kMillisecondsPerDay);
  if (!DayInRange(day)) return kMsgOutOfRange;
  SplitCivilDay(day, date);
  return kMsgSuccess;
}

MessageId TimestampToEpochMs(const SQL_TIMESTAMP_STRUCT& timestamp, const TimeZoneRule& rule, std::int64_t& ms) {
  if (timestamp.year < 1 || timestamp.year > 9999) return kMsgOutOfRange;
  if (!IsValidDate(timestamp.year, timestamp.month, timestamp.day, false) ||
      !IsValidTimeOfDay(timestamp.hour, timestamp.minute, timestamp.second) || timestamp.fraction > 999999999) {
    return kMsgConversionError;
  }
  const std::int64_t wallMs = WallClockMs(timestamp);
  const std::int64_t utcMs = wallMs - OffsetForWallClock(wallMs, rule);
  if (!DayInRange(FloorDivide(utcMs, kMillisecondsPerDay))) return kMsgOutOfRange;
  ms = utcMs;
  return kMsgSuccess;
}

MessageId EpochMsToTimestamp(std::int64_t ms, const TimeZoneRule& rule, SQL_TIMESTAMP_STRUCT& timestamp) {
  // Far outside the calendar the offset no longer matters and the sum could overflow.
  if (!DayInRange(FloorDivide(ms, kMillisecondsPerDay))) return kMsgOutOfRange;
  const std::int64_t wallMs = ms + OffsetForUtc(ms, rule);
  const std::int64_t day = FloorDivide(wallMs, kMillisecondsPerDay);
  if (!DayInRange(day)) return kMsgOutOfRange;
  SQL_DATE_STRUCT date{};
  SplitCivilDay(day, date);
  const std::int64_t inDay = wallMs - day * kMillisecondsPerDay;
  const std::int64_t seconds = inDay / 1000;
  timestamp = SQL_TIMESTAMP_STRUCT{date.year,
                                   date.month,
                                   date.day,
                                   static_cast<SQLUSMALLINT>(seconds / 3600),
                                   static_cast<SQLUSMALLINT>(seconds / 60 % 60),
                                   static_cast<SQLUSMALLINT>(seconds % 60),
                                   static_cast<SQLUINTEGER>(inDay % 1000 * 1000000)};
  return kMsgSuccess;
}

bool OffsetSteadyAround(const SQL_TIMESTAMP_STRUCT& timestamp, const TimeZoneRule& rule) {
  if (rule.fixedOffset) return true;
  std::int64_t ms = 0;
  if (TimestampToEpochMs(timestamp, rule, ms) != kMsgSuccess) return false;
  return OffsetForUtc(ms - kMillisecondsPerDay, rule) == OffsetForUtc(ms + kMillisecondsPerDay, rule);
}

MessageId TimeToDayMs(const SQL_TIME_STRUCT& time, std::int64_t& ms) {
  if (!IsValidTimeOfDay(time.hour, time.minute, time.second)) return kMsgConversionError;
  ms = (std::int64_t{time.hour} * 3600 + time.minute * 60 + time.second) * 1000;
  return kMsgSuccess;
}

MessageId DayMsToTime(std::int64_t ms, SQL_TIME_STRUCT& time) {
  if (ms < 0 || ms >= kMillisecondsPerDay) return kMsgOutOfRange;
  const std::int64_t seconds = ms / 1000;
  time = SQL_TIME_STRUCT{static_cast<SQLUSMALLINT>(seconds / 3600), static_cast<SQLUSMALLINT>(seconds / 60 % 60),
                         static_cast<SQLUSMALLINT>(seconds % 60)};
  return kMsgSuccess;
}

double DurationMsToValue(double ms, double multiplier) { return ms / EffectiveMultiplier(multiplier); }

double DurationValueToMs(double value, double multiplier) { return value * EffectiveMultiplier(multiplier); }

SQL_DATE_STRUCT LocalDateToday() {
  const std::int64_t ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
          .count();
  SQL_TIMESTAMP_STRUCT now{};
  if (EpochMsToTimestamp(ms, TimeZoneRule{}, now) != kMsgSuccess) return SQL_DATE_STRUCT{1970, 1, 1};
  return SQL_DATE_STRUCT{now.year, now.month, now.day};
}

SQL_TIMESTAMP_STRUCT TimeOfDayToday(const SQL_TIMESTAMP_STRUCT& time) {
  const SQL_DATE_STRUCT today = LocalDateToday();
  return SQL_TIMESTAMP_STRUCT{today.year, today.month, today.day, time.hour, time.minute, time.second, 0};
}
