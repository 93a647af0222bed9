// Table schemas: loading API_GetSchema once per connection and table, and
// mapping the service's fields to the ColumnDescriptors that SQL sees.
// Called by OpenTable, table creation and the schema flush command.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/message_ids.h"
#include "connection/table_caches.h"
#include "qbapi/api_operations.h"
#include "tables/table_cursor.h"

struct ConnectionRecord;

// The cached schema of the table, loading it on first use. 0, 999 (posted),
// 1043 when the dbid names an application rather than a table.
MessageId LoadTableSchema(ConnectionRecord& record, const std::string& tableId,
                          std::shared_ptr<TableSchema>& schema);

// One field as a column. 0, or 4 for a base type without an SQL type.
MessageId MapFieldToColumn(const SchemaField& field, const std::string& keyFieldId, bool hostFlag,
                           bool hyphenFlag, ColumnDescriptor& column);
// Every field of the schema, in the schema's order; 4 at the first field
// that has no SQL type, whose label and types then go to unmapped.
MessageId BuildTableColumns(const TableSchema& schema, bool hostFlag, bool hyphenFlag,
                            std::vector<ColumnDescriptor>& columns, std::string* unmapped = nullptr);

// FIELDNAMEHYPHENS: hyphens of labels stay in column names.
bool HyphensKept(const ConnectionRecord& record);
// The column name a field of that label shows as on this connection.
std::string ColumnNameOfLabel(const ConnectionRecord& record, std::string_view label);

// Forgets the table's schema and cached rows (FLUSH_THIS_DBID_SCHEMA, DDL).
void DropTableSchema(QuickBaseClient& client, const std::string& tableId);
