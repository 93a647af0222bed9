// The one place that asks the C library about the process's time zone; the
// calendar arithmetic itself stays in common/datetime_text.cc.
#include "platform/local_time.h"

#include <ctime>

namespace {

void LoadTimeZoneOnce() {
  // localtime_r need not read TZ itself; one tzset keeps each query cheap.
  static const bool loaded = [] {
    tzset();
    return true;
  }();
  (void)loaded;
}

}  // namespace

std::int32_t LocalUtcOffsetSeconds(std::int64_t utcSeconds) {
  LoadTimeZoneOnce();
  const auto when = static_cast<std::time_t>(utcSeconds);
  std::tm fields{};
  if (localtime_r(&when, &fields) == nullptr) return 0;
  return static_cast<std::int32_t>(fields.tm_gmtoff);
}

void ReloadLocalTimeZone() { tzset(); }
