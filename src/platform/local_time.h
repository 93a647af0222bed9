// The process's time zone (TZ), for timestamps converted between the service's
// UTC milliseconds and local wall-clock time when the connection sets no
// TIMEZONEOFFSET; called by the date-time conversions in common/.
#pragma once

#include <cstdint>

// The local time zone's offset from UTC, in seconds east, at the given UTC
// instant (daylight saving included); 0 when the C library can't tell.
std::int32_t LocalUtcOffsetSeconds(std::int64_t utcSeconds);

// Makes the next offset query read TZ again (after a change of TZ).
void ReloadLocalTimeZone();
