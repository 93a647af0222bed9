// Interval arithmetic for TIMESTAMPADD and TIMESTAMPDIFF, and WEEK.
#include "exec/timestamp_arithmetic.h"

#include <algorithm>
#include <limits>

#include "common/epoch_time.h"
#include "sql/scalar_function_table.h"

namespace {

inline constexpr std::int64_t kSecondsPerDay = 86400;

std::int64_t FloorDivide(std::int64_t value, std::int64_t divisor) {
  const std::int64_t quotient = value / divisor;
  return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

// Seconds in one interval of the fixed-length kinds; 0 for the calendar ones.
std::int64_t SecondsPerInterval(std::uint16_t interval) {
  switch (interval) {
    case kIntervalSecond: return 1;
    case kIntervalMinute: return 60;
    case kIntervalHour: return 3600;
    case kIntervalDay: return kSecondsPerDay;
    case kIntervalWeek: return 7 * kSecondsPerDay;
    default: return 0;
  }
}

std::int64_t MonthsPerInterval(std::uint16_t interval) {
  switch (interval) {
    case kIntervalMonth: return 1;
    case kIntervalQuarter: return 3;
    case kIntervalYear: return 12;
    default: return 0;
  }
}

MessageId FromSeconds(std::int64_t seconds, SQL_TIMESTAMP_STRUCT& out) {
  const std::int64_t days = FloorDivide(seconds, kSecondsPerDay);
  CalendarRecord record;
  if (MessageId id = CalendarFromDaysAndSeconds(days, seconds - days * kSecondsPerDay, record)) return id;
  out = CalendarToTimestamp(record);
  return kMsgSuccess;
}

// The day of month keeps its number in the new month and runs over into
// the following one when the month is shorter.
MessageId AddMonths(std::int64_t months, const CalendarRecord& start, SQL_TIMESTAMP_STRUCT& out) {
  const std::int64_t index = std::int64_t{start.year} * 12 + (start.month - 1) + months;
  const std::int64_t year = FloorDivide(index, 12);
  if (year < 1 || year > 9999) return kMsgOutOfRange;
  const auto month = static_cast<unsigned>(index - year * 12 + 1);
  const std::int64_t days = std::int64_t{DaysFromCivil(static_cast<int>(year), month, 1)} + start.day - 1;
  const std::int64_t secondOfDay = start.hour * 3600 + start.minute * 60 + start.second;
  CalendarRecord record;
  if (MessageId id = CalendarFromDaysAndSeconds(days, secondOfDay, record)) return id;
  out = CalendarToTimestamp(record);
  return kMsgSuccess;
}

}  // namespace

MessageId AddIntervals(std::uint16_t interval, std::int32_t count, const CalendarRecord& start,
                       std::int64_t startSeconds, SQL_TIMESTAMP_STRUCT& out) {
  if (const std::int64_t unit = SecondsPerInterval(interval)) return FromSeconds(startSeconds + count * unit, out);
  if (const std::int64_t months = MonthsPerInterval(interval)) return AddMonths(count * months, start, out);
  return kMsgInternalError;
}

MessageId CountIntervals(std::uint16_t interval, const CalendarRecord& first, std::int64_t firstSeconds,
                         const CalendarRecord& second, std::int64_t secondSeconds, double& out) {
  std::int64_t count = 0;
  const std::int64_t months =
      (std::int64_t{second.year} - first.year) * 12 + (std::int64_t{second.month} - first.month);
  if (const std::int64_t unit = SecondsPerInterval(interval)) {
    count = (secondSeconds - firstSeconds) / unit;
  } else if (interval == kIntervalMonth) {
    count = months;
  } else if (interval == kIntervalQuarter) {
    count = months / 3;
  } else if (interval == kIntervalYear) {
    count = std::int64_t{second.year} - first.year;
  } else {
    return kMsgInternalError;
  }
  if (count < std::numeric_limits<std::int32_t>::min() || count > std::numeric_limits<std::int32_t>::max()) {
    return kMsgOutOfRange;
  }
  out = static_cast<double>(count);
  return kMsgSuccess;
}

unsigned WeekOfYear(const CalendarRecord& day) {
  // Back to the Sunday on or before the day, or to 1 January when that
  // Sunday lies in the year before.
  const unsigned sunday = day.dayOfYear - std::min(day.dayOfYear, day.dayOfWeek);
  return 1 + (sunday + 6) / 7;
}
