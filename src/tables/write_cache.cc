// Rows under construction and the write cache: new and changed rows join a
// CSV batch whose field list is exactly their own; deletions queue for a
// purge; rows with a new or removed attachment go to the service at once.
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
#include "tables/write_outcome.h"
#include "tables/write_values.h"

namespace {

TableWrites& WritesOf(TableCursor& cursor) {
  TableWrites& writes = cursor.connection->client->caches.writes.tables[cursor.tableId];
  if (writes.tableName.empty()) writes.tableName = cursor.tableName;
  return writes;
}

std::int32_t CurrentSource(const TableCursor& cursor) { return cursor.connection->client->caches.writes.source; }

std::vector<std::string> FieldListOf(const std::map<std::string, std::string>& values) {
  std::vector<std::string> fields;
  fields.reserve(values.size());
  for (const auto& entry : values)
    if (entry.first != "3") fields.push_back(entry.first);
  return fields;
}

// A record goes out in the batch of its field list; batches of different
// lists touch different records, so they may go out in any order.
void PlaceInBatch(TableWrites& writes, std::uint32_t recordId, PendingRow& row) {
  std::vector<std::string> fields = FieldListOf(row.values);
  auto [entry, added] = writes.batchOfFields.try_emplace(fields, writes.batches.size());
  if (added) {
    writes.batches.emplace_back();
    writes.batches.back().fieldIds = std::move(fields);
  }
  CsvBatch& batch = writes.batches[entry->second];
  row.batch = entry->second;
  row.slot = batch.recordIds.size();
  batch.recordIds.push_back(recordId);
  ++batch.rowCount;
}

void AddSource(PendingRow& row, std::int32_t source) {
  if (row.sources.empty() || row.sources.back() != source) row.sources.push_back(source);
}

// Drops a record's pending write (a pending insert deleted, an edit made
// moot by a deletion); false when it had none.
bool DropPendingRow(TableWrites& writes, std::uint32_t recordId) {
  auto found = writes.rows.find(recordId);
  if (found == writes.rows.end()) return false;
  --writes.batches[found->second.batch].rowCount;
  writes.rows.erase(found);
  return true;
}

void QueueInsert(TableCursor& cursor, std::map<std::string, std::string> values) {
  WriteCache& cache = cursor.connection->client->caches.writes;
  TableWrites& writes = WritesOf(cursor);
  std::uint32_t recordId = cache.nextProvisionalId++;
  PendingRow& row = writes.rows[recordId];
  row.values = std::move(values);
  AddSource(row, cache.source);
  PlaceInBatch(writes, recordId, row);
  writes.inserts.push_back(recordId);
  cursor.recordId = recordId;
}

// The changed fields join the record's pending write. A pending insert thus
// stays one add, so no edit ever names a record id the service has not
// given out; a record edited twice goes out once, with its last values.
void QueueChange(TableCursor& cursor, std::uint32_t recordId, const std::map<std::string, std::string>& values) {
  TableWrites& writes = WritesOf(cursor);
  auto [found, added] = writes.rows.try_emplace(recordId);
  PendingRow& row = found->second;
  bool newFields = added;
  for (const auto& entry : values) {
    auto [value, inserted] = row.values.insert_or_assign(entry.first, entry.second);
    (void)value;
    newFields = newFields || inserted;
  }
  AddSource(row, CurrentSource(cursor));
  if (!newFields) return;
  if (!added) --writes.batches[row.batch].rowCount;
  PlaceInBatch(writes, recordId, row);
}

std::vector<RecordField> AttachmentFields(const TableCursor& cursor) {
  std::vector<RecordField> fields;
  for (const auto& [fieldId, bytes] : cursor.pending.attachments) {
    // The service removes a file given neither a name nor content; a name
    // with no content would store an empty file instead.
    if (!bytes) {
      fields.push_back(RecordField{fieldId, "", ""});
      continue;
    }
    std::string name = "attachment";
    for (const ColumnDescriptor& column : cursor.columns)
      if (column.fieldIdText == fieldId && !column.name.empty()) name = column.name;
    fields.push_back(RecordField{fieldId, EncodeBase64(*bytes), name});
  }
  return fields;
}

// NULL removes a stored file. A row the service doesn't hold yet has none
// to remove, so it sends no file field at all.
void SetPendingAttachment(RowUnderConstruction& row, const std::string& fieldId, bool isNull, std::string bytes) {
  if (!isNull)
    row.attachments[fieldId] = std::move(bytes);
  else if (row.isInsert || row.recordId >= kFirstProvisionalRecordId)
    row.attachments.erase(fieldId);
  else
    row.attachments[fieldId] = std::nullopt;
}

// A row with a new attachment: an add goes out whole at once; an edit sends
// only its files at once and queues the rest.
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
  if (id != kMsgSuccess) return PostRowWriteFailure(record, cursor.callRecord, WritesOf(cursor).tableName);
  sentRecordId = ParseRecordId(reply.rid);
  for (const auto& entry : cursor.pending.attachments)
    ForgetAttachment(cursor, cursor.pending.recordId, entry.first);
  return kMsgSuccess;
}

// The values of a pending insert with the new ones laid over them.
std::map<std::string, std::string> MergedPendingInsert(TableCursor& cursor,
                                                       const std::map<std::string, std::string>& values) {
  TableWrites& writes = WritesOf(cursor);
  std::map<std::string, std::string> merged;
  if (auto found = writes.rows.find(cursor.pending.recordId); found != writes.rows.end()) merged = found->second.values;
  for (const auto& entry : values) merged[entry.first] = entry.second;
  return merged;
}

// The value the row being changed holds now, compared whole. A stored text
// may be longer than its field allows (the service does not enforce the
// size, and a size can be lowered after values were stored): written back,
// as by "SET S = S" or a grid that writes every bound column, it is no new
// text and stays whole.
bool RowHoldsValue(const TableCursor& cursor, const ColumnDescriptor& column, const std::string& text) {
  if (cursor.pseudoTable != PseudoTable::kNone || cursor.pending.isInsert ||
      cursor.recordId != cursor.pending.recordId)
    return false;
  const std::string* held = CurrentFieldText(cursor, column);
  return held != nullptr && *held == text;
}

// A text is never cut: one longer than its field's maxlength is refused.
MessageId CheckWrittenText(const TableCursor& cursor, const ColumnDescriptor& column, const std::string& text) {
  if (RowHoldsValue(cursor, column, text)) return kMsgSuccess;
  return CheckTextLength(cursor, column, text);
}

MessageId StartEditOfCurrentRow(TableCursor& cursor) {
  if (!CursorHasRow(cursor)) return kMsgInvalidCursorPosition;
  cursor.pending = RowUnderConstruction{};
  cursor.pending.active = true;
  cursor.pending.recordId = cursor.recordId;
  return kMsgSuccess;
}

}  // namespace

void SetWriteSource(ConnectionRecord& record, std::int32_t parameterRow) {
  record.client->caches.writes.source = parameterRow;
}

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
  if (MessageId id = RenderWriteValue(cursor, descriptor, valueType, value, length, text)) return id;
  if (MessageId id = CheckWrittenText(cursor, descriptor, text)) return id;
  if (descriptor.fieldKind == FieldKind::kFile)
    SetPendingAttachment(cursor.pending, descriptor.fieldIdText, length == SQL_NULL_DATA || value == nullptr,
                         std::move(text));
  else
    cursor.pending.values[descriptor.fieldIdText] = std::move(text);
  return kMsgSuccess;
}

MessageId WriteRow(TableCursor& cursor) {
  if (cursor.pseudoTable != PseudoTable::kNone) return WritePseudoRow(cursor);
  if (!cursor.pending.active) return kMsgSuccess;
  std::map<std::string, std::string> values = std::move(cursor.pending.values);
  const std::uint32_t recordId = cursor.pending.recordId;
  bool provisional = recordId >= kFirstProvisionalRecordId;
  if (!cursor.pending.attachments.empty()) {
    // A pending insert that gains a file goes out whole; it leaves the batch
    // once the service has it, or may have it.
    if (provisional) values = MergedPendingInsert(cursor, values);
    const bool newRow = cursor.pending.isInsert;
    cursor.pending.isInsert = cursor.pending.isInsert || provisional;
    std::uint32_t sentRecordId = 0;
    MessageId id = SendAttachmentRow(cursor, values, sentRecordId);
    if (provisional && (id == kMsgSuccess || id == kMsgOutcomeUnknown)) DropPendingRow(WritesOf(cursor), recordId);
    if (id != kMsgSuccess) return id;
    if (provisional) NoteSentRowId(cursor.connection->client->caches.writes, recordId, sentRecordId);
    // The new row's id, as a queued add leaves its provisional one.
    if (newRow) cursor.recordId = sentRecordId;
  }
  if (cursor.pending.isInsert && (!values.empty() || cursor.pending.attachments.empty())) {
    QueueInsert(cursor, std::move(values));
  } else if (!values.empty()) {
    QueueChange(cursor, recordId, values);
  }
  cursor.pending = RowUnderConstruction{};
  RenewTableCache(*cursor.connection->client, cursor.tableId);
  return kMsgSuccess;
}

MessageId SetRowAside(TableCursor& cursor, std::vector<RowUnderConstruction>& rows) {
  // The settings pseudo-table writes by the cursor's position.
  if (cursor.pseudoTable != PseudoTable::kNone) return WriteRow(cursor);
  rows.push_back(std::move(cursor.pending));
  cursor.pending = RowUnderConstruction{};
  return kMsgSuccess;
}

MessageId WriteRowsSetAside(TableCursor& cursor, std::vector<RowUnderConstruction>& rows) {
  for (RowUnderConstruction& row : rows) {
    cursor.pending = std::move(row);
    if (MessageId id = WriteRow(cursor)) {
      DiscardRowUnderConstruction(cursor);
      return id;
    }
  }
  rows.clear();
  return kMsgSuccess;
}

void DiscardRowUnderConstruction(TableCursor& cursor) { cursor.pending = RowUnderConstruction{}; }

MessageId DeleteCurrentRow(TableCursor& cursor) {
  if (cursor.pseudoTable != PseudoTable::kNone) return DeletePseudoRow(cursor);
  bool buildingInsert = cursor.pending.active && cursor.pending.isInsert;
  cursor.pending = RowUnderConstruction{};
  if (buildingInsert) return kMsgSuccess;
  if (!CursorHasRow(cursor)) return kMsgInvalidCursorPosition;
  TableWrites& writes = WritesOf(cursor);
  // A deleted record's pending edit would only be undone by the purge.
  DropPendingRow(writes, cursor.recordId);
  if (cursor.recordId < kFirstProvisionalRecordId && writes.deleted.insert(cursor.recordId).second)
    writes.deletions.push_back(PendingDeletion{cursor.recordId, CurrentSource(cursor)});
  RenewTableCache(*cursor.connection->client, cursor.tableId);
  return kMsgSuccess;
}
