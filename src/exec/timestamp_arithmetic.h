// TIMESTAMPADD, TIMESTAMPDIFF and WEEK on calendar records: wall-clock
// arithmetic on day counts, so a daylight-saving change never shifts an
// answer and every zone gives the same one.
#pragma once

#include <cstdint>

#include <sqltypes.h>

#include "common/message_ids.h"
#include "exec/calendar_record.h"

// count intervals added to start; a day beyond the end of the new month runs
// into the next month (31 January + 1 month is 3 March, 2 March in a leap
// year). 1011 outside years 1 to 9999, 1019 for an unknown interval.
MessageId AddIntervals(std::uint16_t interval, std::int32_t count, const CalendarRecord& start,
                       std::int64_t startSeconds, SQL_TIMESTAMP_STRUCT& out);

// Whole intervals from first to second, truncated toward zero; months,
// quarters and years count calendar fields only. 1011 when the count leaves
// the 32-bit range, 1019 for an unknown interval.
MessageId CountIntervals(std::uint16_t interval, const CalendarRecord& first, std::int64_t firstSeconds,
                         const CalendarRecord& second, std::int64_t secondSeconds, double& out);

// Weeks begin on Sunday and week 1 holds 1 January.
unsigned WeekOfYear(const CalendarRecord& day);
