// Sending and dropping the connection's pending writes: the CSV batches in
// order, then the purge lists. Called at commit and rollback, and by the
// flush command of the settings pseudo-table.
#pragma once

#include <string>

#include "common/message_ids.h"

struct ConnectionRecord;
struct QuickBaseClient;

// Every pending batch, then every pending deletion. A failure stops at once:
// the failed batch and everything after it stay pending. 0, or 999 posted.
MessageId FlushPendingWrites(ConnectionRecord& record);
// Drops every pending write and the row caches; 0.
MessageId DiscardPendingWrites(ConnectionRecord& record);
// The pending batches of one table (the flush command). 0, 1042 when the
// table has none, 999 posted.
MessageId FlushTableBatches(ConnectionRecord& record, const std::string& tableId);

// The rows of the table may have changed: no earlier result is reused.
void RenewTableCache(QuickBaseClient& client, const std::string& tableId);
// Recomputes what reads must show from the batches still pending.
void RebuildPendingOverlay(struct TableWrites& writes);
// The records_csv text of a batch: record id first, every value quoted.
std::string BuildBatchCsv(const struct CsvBatch& batch);
