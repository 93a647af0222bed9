// A date-time value taken apart for the date-time scalar functions: its
// wall-clock fields with the day counts that calendar arithmetic works on.
// Values are wall-clock fields; no zone enters once a value is read.
#pragma once

#include <cstdint>

#include <sqltypes.h>

#include "common/message_ids.h"
#include "common/value_cell.h"

struct StatementHandle;

struct CalendarRecord {
  int year = 0;
  unsigned month = 0;  // 1-12
  unsigned day = 0;
  unsigned hour = 0;
  unsigned minute = 0;
  unsigned second = 0;
  unsigned dayOfWeek = 0;  // 0 for Sunday
  unsigned dayOfYear = 0;  // 0 for 1 January
  std::int64_t days = 0;   // since 1970-01-01
};

// Character (a date literal), DATE or TIMESTAMP values at midnight of their
// day. 1019 for binary, numbers and times, 1003 for an untyped value, the
// literal parser's id for a text that is not a date, 1009 for fields that
// make no date, 1011 outside years 1 to 9999.
MessageId ValueToCalendarDate(const ValueCell& value, CalendarRecord& out);

// Character (a timestamp literal; a date alone is refused), DATE (at
// midnight), TIME (on today's date in the connection's zone) or TIMESTAMP
// values, the fraction dropped; seconds counts wall-clock seconds since
// 1970-01-01 00:00:00. Failures as ValueToCalendarDate.
MessageId ValueToCalendarTimestamp(const StatementHandle& statement, const ValueCell& value, CalendarRecord& out,
                                   std::int64_t& seconds);

// Builds the record of a day count and seconds within that day; 1011 when the
// day lies outside years 1 to 9999.
MessageId CalendarFromDaysAndSeconds(std::int64_t days, std::int64_t secondOfDay, CalendarRecord& out);

SQL_TIMESTAMP_STRUCT CalendarToTimestamp(const CalendarRecord& record);
