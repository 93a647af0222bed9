// Flushing and discarding the write cache. A record leaves the cache only
// once the service accepted it, or once it may have (the request went out and
// no verdict came back): so a failed flush never loses a row silently and no
// row is ever sent twice.
#include "tables/write_flush.h"

#include <algorithm>
#include <span>

#include "connection/quickbase_client.h"
#include "connection/table_caches.h"
#include "handles/connection_record.h"
#include "tables/added_row_ids.h"
#include "tables/table_failures.h"
#include "tables/write_outcome.h"

namespace {

constexpr std::size_t kPurgeGroupSize = 100;
// The most rows one import carries. Its reply names each row's record id,
// and a reply of a million elements is refused as hostile: a commit of a
// million rows would be written by the service yet reported as failed.
constexpr std::size_t kImportRowLimit = 100000;

void AppendCsvValue(std::string& csv, const std::string& value) {
  csv += '"';
  for (char c : value) {
    if (c == '"') csv += '"';
    csv += c;
  }
  csv += '"';
}

std::string BatchFieldList(const CsvBatch& batch) {
  std::string clist = "3";
  for (const std::string& fid : batch.fieldIds) clist += "." + fid;
  return clist;
}

// A record that goes out in a batch, with its pending write.
using BatchRecord = std::pair<std::uint32_t, const PendingRow*>;

// The records that still go out in the batch, in order of queueing. Looked
// up once: a table of 100,000 pending rows no longer fits the caches.
std::vector<BatchRecord> RecordsOfBatch(const TableWrites& writes, std::size_t batchIndex) {
  const CsvBatch& batch = writes.batches[batchIndex];
  std::vector<BatchRecord> records;
  records.reserve(batch.rowCount);
  for (std::size_t slot = 0; slot < batch.recordIds.size(); ++slot) {
    auto found = writes.rows.find(batch.recordIds[slot]);
    if (found != writes.rows.end() && found->second.batch == batchIndex && found->second.slot == slot)
      records.emplace_back(found->first, &found->second);
  }
  return records;
}

std::vector<std::uint32_t> BatchRecordIds(std::span<const BatchRecord> records) {
  std::vector<std::uint32_t> recordIds;
  recordIds.reserve(records.size());
  for (const auto& entry : records) recordIds.push_back(entry.first);
  return recordIds;
}

// The records_csv text: record id first (empty for an add, quoted so that a
// row without fields is not a blank line), every value quoted.
std::string BuildBatchCsv(const CsvBatch& batch, std::span<const BatchRecord> records) {
  // Room for every row at once: a text of megabytes grown by doubling would
  // be copied and touched twice over.
  std::size_t size = 0;
  for (const auto& [recordId, row] : records) {
    size += 12 + 3 * batch.fieldIds.size();
    for (const auto& entry : row->values) size += entry.second.size();
  }
  std::string csv;
  csv.reserve(size);
  for (const auto& [recordId, row] : records) {
    if (recordId < kFirstProvisionalRecordId)
      csv += std::to_string(recordId);
    else
      csv += "\"\"";
    for (const std::string& fid : batch.fieldIds) {
      csv += ',';
      auto value = row->values.find(fid);
      AppendCsvValue(csv, value == row->values.end() ? std::string() : value->second);
    }
    csv += '\n';
  }
  return csv;
}

// Records of the batch leave the cache; those the service may or may not
// have taken are noted by their parameter rows.
void ReleaseRecords(TableWrites& writes, std::size_t batchIndex, std::span<const BatchRecord> records,
                    std::vector<std::int32_t>* unsettled) {
  if (unsettled != nullptr)
    for (const auto& [recordId, row] : records) unsettled->insert(unsettled->end(), row->sources.begin(), row->sources.end());
  // Most often one batch holds every pending row of its table.
  if (records.size() == writes.rows.size())
    writes.rows.clear();
  else
    for (const auto& [recordId, row] : records) writes.rows.erase(recordId);
  CsvBatch& batch = writes.batches[batchIndex];
  batch.rowCount -= std::min(batch.rowCount, records.size());
}

void ClearBatch(CsvBatch& batch) {
  batch.recordIds.clear();
  batch.rowCount = 0;
}

// The counts of the flush under way, for its diagnostic should it fail.
TableWriteCounts& FlushCounts(ConnectionRecord& record, const std::string& tableId, const TableWrites& writes) {
  return CountsOfTable(record.client->caches.writes.lastFlush, tableId, writes.tableName);
}

// One import of records of the batch. False when it failed; the failure is
// kept for the flush's account.
bool SendImport(ConnectionRecord& record, const std::string& tableId, TableWrites& writes, std::size_t batchIndex,
                std::span<const BatchRecord> records) {
  const CsvBatch& batch = writes.batches[batchIndex];
  ImportOptions options;
  options.msInUtc = true;
  options.decimalPercent = true;
  ImportReply reply;
  WriteCache& cache = record.client->caches.writes;
  ApiCallRecord call;
  if (ApiImportFromCsv(record.client->session, call, tableId, BuildBatchCsv(batch, records),
                       BatchFieldList(batch), options, reply) != kMsgSuccess) {
    record.lastImportRecordId = 0;
    cache.lastFlush.failure = call;
    if (call.outcomeUnknown) {
      FlushCounts(record, tableId, writes).unknown += records.size();
      ReleaseRecords(writes, batchIndex, records, &cache.unsettledSources);
    }
    return false;
  }
  FlushCounts(record, tableId, writes).written += records.size();
  record.lastImportRecordId = reply.rids.empty() ? 0 : ParseRecordId(reply.rids.back());
  NoteSentRowIds(cache, BatchRecordIds(records), reply.rids);
  ReleaseRecords(writes, batchIndex, records, nullptr);
  return true;
}

// The batch in imports of at most kImportRowLimit rows, in order of
// queueing. A failed import stops the batch: the imports before it stay
// written, and its rows (unless of unknown fate) and the later ones stay
// pending.
bool SendBatch(ConnectionRecord& record, const std::string& tableId, TableWrites& writes, std::size_t batchIndex) {
  const std::vector<BatchRecord> records = RecordsOfBatch(writes, batchIndex);
  const std::span<const BatchRecord> all(records);
  for (std::size_t first = 0; first < all.size(); first += kImportRowLimit) {
    const std::size_t count = std::min(kImportRowLimit, all.size() - first);
    if (!SendImport(record, tableId, writes, batchIndex, all.subspan(first, count))) return false;
  }
  ClearBatch(writes.batches[batchIndex]);
  return true;
}

bool SendBatches(ConnectionRecord& record, const std::string& tableId, TableWrites& writes) {
  bool sent = true;
  for (std::size_t i = 0; i < writes.batches.size() && sent; ++i) {
    if (writes.batches[i].recordIds.empty()) continue;
    sent = SendBatch(record, tableId, writes, i);
    RenewTableCache(*record.client, tableId);
  }
  std::erase_if(writes.inserts, [&](std::uint32_t recordId) { return writes.rows.count(recordId) == 0; });
  return sent;
}

std::string PurgeQuery(const std::vector<PendingDeletion>& deletions, std::size_t first, std::size_t count) {
  std::string query;
  for (std::size_t i = first; i < first + count; ++i) {
    if (!query.empty()) query += "OR";
    query += "{3.EX.'" + std::to_string(deletions[i].recordId) + "'}";
  }
  return query;
}

// Groups of at most 100 record ids; a group leaves the list once purged, or
// once it may have been. False when a purge failed; the failure is kept for
// the flush's account.
bool SendDeletions(ConnectionRecord& record, const std::string& tableId, TableWrites& writes) {
  WriteCache& cache = record.client->caches.writes;
  TableWriteCounts& counts = FlushCounts(record, tableId, writes);
  std::size_t done = 0;
  bool sent = true;
  while (done < writes.deletions.size() && sent) {
    const std::size_t count = std::min(kPurgeGroupSize, writes.deletions.size() - done);
    ApiCallRecord call;
    std::int64_t deleted = 0;
    sent = ApiPurgeRecords(record.client->session, call, tableId, PurgeQuery(writes.deletions, done, count),
                           deleted) == kMsgSuccess;
    if (sent) {
      counts.deleted += count;
    } else {
      cache.lastFlush.failure = call;
      if (!call.outcomeUnknown) break;
      counts.unknown += count;
      for (std::size_t i = done; i < done + count; ++i) cache.unsettledSources.push_back(writes.deletions[i].source);
    }
    for (std::size_t i = done; i < done + count; ++i) writes.deleted.erase(writes.deletions[i].recordId);
    done += count;
  }
  writes.deletions.erase(writes.deletions.begin(), writes.deletions.begin() + static_cast<std::ptrdiff_t>(done));
  return sent;
}

// The rows a failed flush leaves unsent: the table's pending rows, and its
// pending deletions when the flush was to send them.
void CountUnsentWrites(ConnectionRecord& record, const std::string& tableId, const TableWrites& writes,
                       bool withDeletions) {
  if (writes.rows.empty() && (!withDeletions || writes.deletions.empty())) return;
  TableWriteCounts& counts = FlushCounts(record, tableId, writes);
  counts.notWritten += writes.rows.size();
  if (withDeletions) counts.notDeleted += writes.deletions.size();
}

void BeginFlush(WriteCache& cache) {
  cache.unsettledSources.clear();
  cache.lastFlush = WriteOutcome{};
}

void DropEmptyTables(WriteCache& cache) {
  std::erase_if(cache.tables, [](const auto& entry) { return !HasQueuedWrites(entry.second); });
}

}  // namespace

void RenewTableCache(QuickBaseClient& client, const std::string& tableId) {
  TableCache& table = client.caches.tables[tableId];
  ++table.generation;
  table.lastResult.reset();
}

MessageId FlushTableBatches(ConnectionRecord& record, const std::string& tableId) {
  WriteCache& cache = record.client->caches.writes;
  auto found = cache.tables.find(tableId);
  if (found == cache.tables.end() || found->second.rows.empty())
    return RecordTableFailure(record, kMsgCacheNotFound, tableId);
  BeginFlush(cache);
  MessageId id = kMsgSuccess;
  if (!SendBatches(record, tableId, found->second)) {
    CountUnsentWrites(record, tableId, found->second, false);
    id = PostWriteOutcome(record, cache.lastFlush);
  }
  DropEmptyTables(cache);
  return id;
}

MessageId FlushPendingWrites(ConnectionRecord& record) {
  WriteCache& cache = record.client->caches.writes;
  BeginFlush(cache);
  bool sent = true;
  for (auto& entry : cache.tables) {
    sent = SendBatches(record, entry.first, entry.second);
    if (!sent) break;
  }
  for (auto& entry : cache.tables) {
    if (!sent) break;
    if (entry.second.deletions.empty()) continue;
    sent = SendDeletions(record, entry.first, entry.second);
    RenewTableCache(*record.client, entry.first);
  }
  MessageId id = kMsgSuccess;
  if (!sent) {
    for (const auto& entry : cache.tables) CountUnsentWrites(record, entry.first, entry.second, true);
    id = PostWriteOutcome(record, cache.lastFlush);
  }
  DropEmptyTables(cache);
  return id;
}

MessageId DiscardPendingWrites(ConnectionRecord& record) {
  TableAccessCaches& caches = record.client->caches;
  caches.writes.tables.clear();
  caches.writes.unsettledSources.clear();
  for (const auto& entry : caches.tables) RenewTableCache(*record.client, entry.first);
  return kMsgSuccess;
}

std::vector<std::int32_t> SourcesOfUnfinishedWrites(const ConnectionRecord& record) {
  const WriteCache& cache = record.client->caches.writes;
  std::vector<std::int32_t> sources = cache.unsettledSources;
  for (const auto& [tableId, writes] : cache.tables) {
    for (const auto& [recordId, row] : writes.rows) sources.insert(sources.end(), row.sources.begin(), row.sources.end());
    for (const PendingDeletion& deletion : writes.deletions) sources.push_back(deletion.source);
  }
  std::sort(sources.begin(), sources.end());
  sources.erase(std::unique(sources.begin(), sources.end()), sources.end());
  return sources;
}
