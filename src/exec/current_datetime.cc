// The clock read through the connection's zone rule.
#include "exec/current_datetime.h"

#include <chrono>

#include "common/epoch_time.h"
#include "handles/handles.h"
#include "handles/statement_handle.h"

MessageId CurrentLocalTimestamp(const StatementHandle& statement, SQL_TIMESTAMP_STRUCT& now) {
  TimeZoneRule rule;
  if (statement.connection != nullptr && statement.connection->timezoneOffsetSet) {
    rule.fixedOffset = true;
    rule.offsetMinutes = statement.connection->timezoneOffsetMinutes;
  }
  const std::int64_t seconds =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
  if (MessageId id = EpochMsToTimestamp(seconds * 1000, rule, now)) return id;
  now.fraction = 0;
  return kMsgSuccess;
}
