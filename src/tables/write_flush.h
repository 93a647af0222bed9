// Sending and dropping the connection's pending writes: each table's imports,
// one per field list, then the purge lists. Called at commit and rollback,
// and by the flush command of the settings pseudo-table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/message_ids.h"

struct ConnectionRecord;
struct QuickBaseClient;

// Every pending import, then every pending deletion. A failure stops at once:
// what the service refused and everything not yet sent stay pending; rows
// whose request went out without a verdict leave the cache. 0, or the
// account of write_outcome.h: 999 posted when nothing went through, else
// 1096 or 1122 to 1125 with each table's counts.
MessageId FlushPendingWrites(ConnectionRecord& record);
// Drops every pending write and the row caches; 0.
MessageId DiscardPendingWrites(ConnectionRecord& record);
// The pending imports of one table (the flush command). 0, 1042 when the
// table has none, or the account of a failure as above.
MessageId FlushTableBatches(ConnectionRecord& record, const std::string& tableId);
// The parameter rows whose writes the service has not surely taken since the
// last flush began: those still pending and those whose outcome is unknown.
std::vector<std::int32_t> SourcesOfUnfinishedWrites(const ConnectionRecord& record);

// The rows of the table may have changed: no earlier result is reused.
void RenewTableCache(QuickBaseClient& client, const std::string& tableId);
