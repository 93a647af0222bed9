// The current date and time for the date-time scalar functions and CONVERT:
// the only values of those functions that depend on a time zone, the
// connection's TIMEZONEOFFSET when it is set, else the process's TZ.
#pragma once

#include <sqltypes.h>

#include "common/message_ids.h"

struct StatementHandle;

// The wall-clock time now in the statement's connection zone, whole seconds
// (fraction 0). 1011 only for a clock outside the calendar's years.
MessageId CurrentLocalTimestamp(const StatementHandle& statement, SQL_TIMESTAMP_STRUCT& now);
