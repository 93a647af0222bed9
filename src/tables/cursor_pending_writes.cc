// Finding a cursor's table in the connection's write cache.
#include "tables/cursor_pending_writes.h"

#include "connection/quickbase_client.h"
#include "handles/connection_record.h"

const TableWrites* PendingWritesOf(const TableCursor& cursor) {
  if (cursor.connection == nullptr) return nullptr;
  const WriteCache& writes = cursor.connection->client->caches.writes;
  if (writes.tables.empty()) return nullptr;
  auto found = writes.tables.find(cursor.tableId);
  return found == writes.tables.end() ? nullptr : &found->second;
}

bool TableHasPendingWrites(const TableCursor& cursor) {
  const TableWrites* writes = PendingWritesOf(cursor);
  return writes != nullptr && HasQueuedWrites(*writes);
}

bool PendingEditChangesField(const TableCursor& cursor, const ColumnDescriptor& column) {
  if (column.fieldKind == FieldKind::kRecordId) return false;
  const TableWrites* writes = PendingWritesOf(cursor);
  if (writes == nullptr) return false;
  for (const auto& [recordId, row] : writes->rows) {
    if (recordId < kFirstProvisionalRecordId && row.values.count(column.fieldIdText) != 0) return true;
  }
  return false;
}
