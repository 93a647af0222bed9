// Opening a table for a statement (schema from the cache or the service,
// columns with SQL types) and registering the fields a statement reads.
// Called by the semantic pass, DDL execution and the catalog functions.
#include <algorithm>

#include "connection/quickbase_client.h"
#include "handles/connection_record.h"
#include "handles/handles.h"
#include "tables/pseudo_tables.h"
#include "tables/table_failures.h"
#include "tables/table_names.h"
#include "tables/table_schema.h"

namespace {

std::string KeyName(const std::vector<ColumnDescriptor>& columns) {
  for (const ColumnDescriptor& column : columns)
    if (column.keyPosition == 1) return column.name;
  return std::string();
}

MessageId OpenServiceTable(ConnectionRecord& record, const std::string& tableName, TableCursor& cursor) {
  std::string tableId;
  MessageId id = ResolveTableId(record, tableName, tableId);
  if (id != kMsgSuccess) return id;
  std::shared_ptr<TableSchema> schema;
  id = LoadTableSchema(record, tableId, schema);
  if (id != kMsgSuccess) return id;
  std::string unmapped;
  id = BuildTableColumns(*schema, record.hostIsAccessOrQuery != 0, HyphensKept(record), cursor.columns, &unmapped);
  // A field the driver can't map makes the whole table unusable; the message
  // names it so that the table's owner can tell which one.
  if (id != kMsgSuccess) return RecordTableFailure(record, kMsgNotSupportedDetail, "table '" + tableName + "': " + unmapped);
  cursor.tableId = tableId;
  cursor.keyName = KeyName(cursor.columns);
  // The record id identifies every fetched row, whatever the statement reads.
  AddFieldToFetch(*record.client, cursor, 3);
  return kMsgSuccess;
}

}  // namespace

MessageId OpenTable(ConnectionRecord& record, const std::string& tableName, std::uint16_t flag, TableCursor*& out) {
  (void)flag;
  out = nullptr;
  auto cursor = std::make_unique<TableCursor>();
  cursor->tableName = tableName;
  cursor->connection = &record;
  PseudoTable pseudo = PseudoTableOfName(tableName);
  if (pseudo != PseudoTable::kNone) {
    OpenPseudoTable(pseudo, *cursor);
  } else {
    MessageId id = OpenServiceTable(record, tableName, *cursor);
    if (id != kMsgSuccess) return id;
  }
  cursor->columnCount = static_cast<std::uint16_t>(cursor->columns.size());
  out = cursor.release();
  return kMsgSuccess;
}

void AddFieldToFetch(QuickBaseClient& client, TableCursor& cursor, std::uint32_t fieldId) {
  if (cursor.pseudoTable != PseudoTable::kNone || cursor.tableId.empty()) return;
  std::vector<std::uint32_t>& fields = client.caches.tables[cursor.tableId].fieldsToFetch;
  auto at = std::lower_bound(fields.begin(), fields.end(), fieldId);
  if (at == fields.end() || *at != fieldId) fields.insert(at, fieldId);
}
