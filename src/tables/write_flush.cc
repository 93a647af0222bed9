// Flushing and discarding the write cache. A batch leaves the cache only
// after the service accepted it, so a failed flush neither loses nor repeats
// a row: the failed batch and the later ones wait for the next flush.
#include "tables/write_flush.h"

#include "connection/quickbase_client.h"
#include "handles/connection_record.h"
#include "tables/added_row_ids.h"
#include "tables/table_caches.h"
#include "tables/table_failures.h"

namespace {

constexpr std::size_t kPurgeGroupSize = 100;

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

std::vector<std::uint32_t> BatchRecordIds(const CsvBatch& batch) {
  std::vector<std::uint32_t> recordIds;
  for (const PendingRow& row : batch.rows) recordIds.push_back(row.recordId);
  return recordIds;
}

// The front batch of a table goes out; on success it leaves the cache.
MessageId SendFrontBatch(ConnectionRecord& record, const std::string& tableId, TableWrites& writes) {
  const CsvBatch& batch = writes.batches.front();
  ImportOptions options;
  options.msInUtc = true;
  options.decimalPercent = true;
  ImportReply reply;
  ApiCallRecord call;
  if (ApiImportFromCsv(record.client->session, call, tableId, BuildBatchCsv(batch), BatchFieldList(batch), options,
                       reply) != kMsgSuccess) {
    record.lastImportRecordId = 0;
    return PostTableServiceFailure(record, call);
  }
  record.lastImportRecordId = reply.rids.empty() ? 0 : ParseRecordId(reply.rids.back());
  NoteSentRowIds(record.client->caches.writes, BatchRecordIds(batch), reply.rids);
  for (const PendingRow& row : batch.rows)
    if (row.recordId >= kFirstProvisionalRecordId) std::erase(writes.inserts, row.recordId);
  writes.batches.erase(writes.batches.begin());
  RebuildPendingOverlay(writes);
  return kMsgSuccess;
}

std::string PurgeQuery(const std::vector<std::uint32_t>& recordIds, std::size_t first, std::size_t count) {
  std::string query;
  for (std::size_t i = first; i < first + count; ++i) {
    if (!query.empty()) query += "OR";
    query += "{3.EX.'" + std::to_string(recordIds[i]) + "'}";
  }
  return query;
}

// Groups of at most 100 record ids; a group leaves the list once purged.
MessageId SendDeletions(ConnectionRecord& record, const std::string& tableId, TableWrites& writes) {
  while (!writes.deletions.empty()) {
    std::size_t count = std::min(kPurgeGroupSize, writes.deletions.size());
    std::string query = PurgeQuery(writes.deletions, 0, count);
    ApiCallRecord call;
    std::int64_t deleted = 0;
    if (ApiPurgeRecords(record.client->session, call, tableId, query, deleted) != kMsgSuccess)
      return PostTableServiceFailure(record, call);
    for (std::size_t i = 0; i < count; ++i) writes.deleted.erase(writes.deletions[i]);
    writes.deletions.erase(writes.deletions.begin(), writes.deletions.begin() + static_cast<std::ptrdiff_t>(count));
  }
  return kMsgSuccess;
}

MessageId SendBatches(ConnectionRecord& record, const std::string& tableId, TableWrites& writes) {
  while (!writes.batches.empty()) {
    MessageId id = SendFrontBatch(record, tableId, writes);
    RenewTableCache(*record.client, tableId);
    if (id != kMsgSuccess) return id;
  }
  return kMsgSuccess;
}

void DropEmptyTables(WriteCache& cache) {
  std::erase_if(cache.tables, [](const auto& entry) {
    const TableWrites& writes = entry.second;
    return writes.batches.empty() && writes.deletions.empty() && writes.inserts.empty() && writes.overlay.empty();
  });
}

}  // namespace

std::string BuildBatchCsv(const CsvBatch& batch) {
  std::string csv;
  for (const PendingRow& row : batch.rows) {
    // An add leaves the record id empty (quoted, so that a row without
    // fields is not a blank line); an edit names its record.
    if (row.recordId < kFirstProvisionalRecordId)
      csv += std::to_string(row.recordId);
    else
      csv += "\"\"";
    for (const std::string& fid : batch.fieldIds) {
      csv += ',';
      auto value = row.values.find(fid);
      AppendCsvValue(csv, value == row.values.end() ? std::string() : value->second);
    }
    csv += '\n';
  }
  return csv;
}

void RebuildPendingOverlay(TableWrites& writes) {
  writes.overlay.clear();
  for (const CsvBatch& batch : writes.batches)
    for (const PendingRow& row : batch.rows)
      for (const auto& entry : row.values) writes.overlay[row.recordId][entry.first] = entry.second;
}

void RenewTableCache(QuickBaseClient& client, const std::string& tableId) {
  TableCache& table = client.caches.tables[tableId];
  ++table.generation;
  table.lastResult.reset();
}

MessageId FlushTableBatches(ConnectionRecord& record, const std::string& tableId) {
  WriteCache& cache = record.client->caches.writes;
  auto found = cache.tables.find(tableId);
  if (found == cache.tables.end() || found->second.batches.empty())
    return RecordTableFailure(record, kMsgCacheNotFound, tableId);
  MessageId id = SendBatches(record, tableId, found->second);
  DropEmptyTables(cache);
  return id;
}

MessageId FlushPendingWrites(ConnectionRecord& record) {
  WriteCache& cache = record.client->caches.writes;
  MessageId id = kMsgSuccess;
  for (auto& entry : cache.tables) {
    id = SendBatches(record, entry.first, entry.second);
    if (id != kMsgSuccess) break;
  }
  for (auto& entry : cache.tables) {
    if (id != kMsgSuccess) break;
    if (entry.second.deletions.empty()) continue;
    id = SendDeletions(record, entry.first, entry.second);
    RenewTableCache(*record.client, entry.first);
  }
  DropEmptyTables(cache);
  return id;
}

MessageId DiscardPendingWrites(ConnectionRecord& record) {
  TableAccessCaches& caches = record.client->caches;
  caches.writes.tables.clear();
  for (const auto& entry : caches.tables) RenewTableCache(*record.client, entry.first);
  return kMsgSuccess;
}
