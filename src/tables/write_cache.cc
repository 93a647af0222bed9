// Rows under construction and the write cache: new and changed rows join a
// CSV batch whose field list is exactly their own; deletions queue for a
// purge; rows with a new attachment go to the service at once.
#include "tables/write_cache.h"

#include <algorithm>

#include "common/service_text.h"
#include "connection/quickbase_client.h"
#include "handles/connection_record.h"
#include "tables/added_row_ids.h"
#include "tables/attachment_files.h"
#include "tables/pseudo_tables.h"
#include "tables/table_failures.h"
#include "tables/table_select.h"
#include "tables/write_flush.h"
#include "tables/write_values.h"

namespace {

TableWrites& WritesOf(TableCursor& cursor) { return cursor.connection->client->caches.writes.tables[cursor.tableId]; }

std::vector<std::string> FieldListOf(const std::map<std::string, std::string>& values) {
  std::vector<std::string> fields;
  for (const auto& entry : values)
    if (entry.first != "3") fields.push_back(entry.first);
  return fields;
}

// Joins the last batch only: joining an earlier one could put a value
// behind a later batch that writes the same field of the same row.
void AppendToBatches(TableWrites& writes, PendingRow row) {
  std::vector<std::string> fields = FieldListOf(row.values);
  if (writes.batches.empty() || writes.batches.back().fieldIds != fields) {
    writes.batches.emplace_back();
    writes.batches.back().fieldIds = std::move(fields);
  }
  writes.batches.back().rows.push_back(std::move(row));
}

// Takes a pending insert out of its batch (dropping a batch left empty).
bool TakePendingInsert(TableWrites& writes, std::uint32_t recordId, PendingRow& taken) {
  for (auto batch = writes.batches.begin(); batch != writes.batches.end(); ++batch) {
    auto row = std::find_if(batch->rows.begin(), batch->rows.end(),
                            [&](const PendingRow& r) { return r.recordId == recordId; });
    if (row == batch->rows.end()) continue;
    taken = std::move(*row);
    batch->rows.erase(row);
    if (batch->rows.empty()) writes.batches.erase(batch);
    return true;
  }
  return false;
}

void QueueInsert(TableCursor& cursor, std::map<std::string, std::string> values) {
  WriteCache& cache = cursor.connection->client->caches.writes;
  TableWrites& writes = WritesOf(cursor);
  std::uint32_t recordId = cache.nextProvisionalId++;
  writes.overlay[recordId] = values;
  writes.inserts.push_back(recordId);
  AppendToBatches(writes, PendingRow{recordId, std::move(values)});
  cursor.recordId = recordId;
}

// A pending insert that changes again is re-queued whole, so that no edit
// ever names a record id the service has not given out.
void QueueEditOfPendingInsert(TableCursor& cursor, const std::map<std::string, std::string>& values) {
  TableWrites& writes = WritesOf(cursor);
  PendingRow row;
  if (!TakePendingInsert(writes, cursor.pending.recordId, row)) return;
  for (const auto& entry : values) row.values[entry.first] = entry.second;
  writes.overlay[row.recordId] = row.values;
  AppendToBatches(writes, std::move(row));
}

void QueueEdit(TableCursor& cursor, const std::map<std::string, std::string>& values) {
  TableWrites& writes = WritesOf(cursor);
  std::map<std::string, std::string>& shown = writes.overlay[cursor.pending.recordId];
  for (const auto& entry : values) shown[entry.first] = entry.second;
  AppendToBatches(writes, PendingRow{cursor.pending.recordId, values});
}

std::vector<RecordField> AttachmentFields(const TableCursor& cursor) {
  std::vector<RecordField> fields;
  for (const auto& entry : cursor.pending.attachments) {
    std::string name = "attachment";
    for (const ColumnDescriptor& column : cursor.columns)
      if (column.fieldIdText == entry.first && !column.name.empty()) name = column.name;
    fields.push_back(RecordField{entry.first, EncodeBase64(entry.second), name});
  }
  return fields;
}

// A row with a new attachment: an add goes out whole at once; an edit sends
// only its files at once and batches the rest behind earlier changes.
MessageId SendAttachmentRow(TableCursor& cursor, std::map<std::string, std::string>& batchedValues,
                            std::uint32_t& sentRecordId) {
  ConnectionRecord& record = *cursor.connection;
  std::vector<RecordField> fields = AttachmentFields(cursor);
  RecordWriteOptions options;
  options.msInUtc = true;
  options.msAsDurationDefault = false;
  RecordWriteReply reply;
  MessageId id;
  if (cursor.pending.isInsert) {
    for (const auto& entry : batchedValues) fields.push_back(RecordField{entry.first, entry.second, ""});
    batchedValues.clear();
    id = ApiAddRecord(record.client->session, cursor.callRecord, cursor.tableId, fields, options, reply);
  } else {
    id = ApiEditRecord(record.client->session, cursor.callRecord, cursor.tableId,
                       std::to_string(cursor.pending.recordId), "", fields, options, reply);
  }
  if (id != kMsgSuccess) return PostTableServiceFailure(record, cursor.callRecord);
  sentRecordId = ParseRecordId(reply.rid);
  for (const auto& entry : cursor.pending.attachments)
    ForgetAttachment(cursor, cursor.pending.recordId, entry.first);
  return kMsgSuccess;
}

// The values of a pending insert with the new ones laid over them.
std::map<std::string, std::string> MergedPendingInsert(TableCursor& cursor,
                                                       const std::map<std::string, std::string>& values) {
  TableWrites& writes = WritesOf(cursor);
  std::map<std::string, std::string> merged = writes.overlay[cursor.pending.recordId];
  for (const auto& entry : values) merged[entry.first] = entry.second;
  return merged;
}

MessageId StartEditOfCurrentRow(TableCursor& cursor) {
  if (!CursorHasRow(cursor)) return kMsgInvalidCursorPosition;
  cursor.pending = RowUnderConstruction{};
  cursor.pending.active = true;
  cursor.pending.recordId = cursor.recordId;
  return kMsgSuccess;
}

void DeletePendingInsert(TableCursor& cursor, std::uint32_t recordId) {
  TableWrites& writes = WritesOf(cursor);
  PendingRow dropped;
  TakePendingInsert(writes, recordId, dropped);
  writes.overlay.erase(recordId);
  writes.inserts.erase(std::remove(writes.inserts.begin(), writes.inserts.end(), recordId), writes.inserts.end());
}

}  // namespace

MessageId NewInsertRow(TableCursor& cursor) {
  cursor.pending = RowUnderConstruction{};
  cursor.pending.active = true;
  cursor.pending.isInsert = true;
  return kMsgSuccess;
}

MessageId UpdateRowValues(TableCursor& cursor, std::uint16_t column, std::int16_t valueType, const void* value,
                          SQLLEN length) {
  if (column >= cursor.columns.size()) return kMsgInvalidColumnId;
  if (!cursor.pending.active) {
    MessageId id = StartEditOfCurrentRow(cursor);
    if (id != kMsgSuccess) return id;
  }
  const ColumnDescriptor& descriptor = cursor.columns[column];
  if (descriptor.updatable == SQL_ATTR_READONLY && cursor.pseudoTable == PseudoTable::kNone)
    return RecordTableFailure(*cursor.connection, kMsgFieldNotWritable, descriptor.name);
  std::string text;
  MessageId id = RenderWriteValue(cursor, descriptor, valueType, value, length, text);
  if (id != kMsgSuccess && id != kMsgCut) return id;
  if (descriptor.fieldKind == FieldKind::kFile)
    cursor.pending.attachments[descriptor.fieldIdText] = std::move(text);
  else
    cursor.pending.values[descriptor.fieldIdText] = std::move(text);
  return id;
}

MessageId WriteRow(TableCursor& cursor) {
  if (cursor.pseudoTable != PseudoTable::kNone) return WritePseudoRow(cursor);
  if (!cursor.pending.active) return kMsgSuccess;
  std::map<std::string, std::string> values = std::move(cursor.pending.values);
  bool provisional = cursor.pending.recordId >= kFirstProvisionalRecordId;
  if (!cursor.pending.attachments.empty()) {
    // A pending insert that gains a file goes out whole; it leaves the batch
    // only once the service has it.
    if (provisional) values = MergedPendingInsert(cursor, values);
    const bool newRow = cursor.pending.isInsert;
    cursor.pending.isInsert = cursor.pending.isInsert || provisional;
    std::uint32_t sentRecordId = 0;
    MessageId id = SendAttachmentRow(cursor, values, sentRecordId);
    if (id != kMsgSuccess) return id;
    if (provisional) {
      NoteSentRowId(cursor.connection->client->caches.writes, cursor.pending.recordId, sentRecordId);
      DeletePendingInsert(cursor, cursor.pending.recordId);
    }
    // The new row's id, as a queued add leaves its provisional one.
    if (newRow) cursor.recordId = sentRecordId;
  }
  if (cursor.pending.isInsert && !values.empty()) {
    QueueInsert(cursor, std::move(values));
  } else if (cursor.pending.isInsert && cursor.pending.attachments.empty()) {
    QueueInsert(cursor, {});
  } else if (provisional) {
    QueueEditOfPendingInsert(cursor, values);
  } else if (!values.empty()) {
    QueueEdit(cursor, values);
  }
  cursor.pending = RowUnderConstruction{};
  RenewTableCache(*cursor.connection->client, cursor.tableId);
  return kMsgSuccess;
}

void DiscardRowUnderConstruction(TableCursor& cursor) { cursor.pending = RowUnderConstruction{}; }

MessageId DeleteCurrentRow(TableCursor& cursor) {
  if (cursor.pseudoTable != PseudoTable::kNone) return DeletePseudoRow(cursor);
  bool buildingInsert = cursor.pending.active && cursor.pending.isInsert;
  cursor.pending = RowUnderConstruction{};
  if (buildingInsert) return kMsgSuccess;
  if (!CursorHasRow(cursor)) return kMsgInvalidCursorPosition;
  if (cursor.recordId >= kFirstProvisionalRecordId) {
    DeletePendingInsert(cursor, cursor.recordId);
  } else {
    TableWrites& writes = WritesOf(cursor);
    if (writes.deleted.insert(cursor.recordId).second) writes.deletions.push_back(cursor.recordId);
  }
  RenewTableCache(*cursor.connection->client, cursor.tableId);
  return kMsgSuccess;
}
