// The seam between transactions and table access's write cache: commit and
// rollback reach the CSV batches and purge lists through these.
#include "tables/pending_writes.h"

#include "connection/quickbase_client.h"
#include "connection/table_caches.h"
#include "handles/connection_record.h"
#include "handles/handle_diagnostic.h"
#include "tables/write_cache.h"
#include "tables/write_flush.h"
#include "tables/write_outcome.h"

bool HasPendingWrites(const ConnectionRecord& record) { return HasQueuedWrites(record.client->caches.writes); }

MessageId CommitHeldWrites(ConnectionRecord& record) { return FlushPendingWrites(record); }

MessageId DiscardHeldWrites(ConnectionRecord& record) { return DiscardPendingWrites(record); }

void NoteHeldWritesDropped(ConnectionRecord& record, HandleDiagnostic& diagnostic) {
  if (RepostFlushWithUnsentDropped(record)) diagnostic.detailText = record.lastMessageDetail;
}

void SetHeldWriteSource(ConnectionRecord& record, std::int32_t parameterRow) { SetWriteSource(record, parameterRow); }

std::vector<std::int32_t> UnfinishedWriteRows(const ConnectionRecord& record) {
  return SourcesOfUnfinishedWrites(record);
}
