// The columns of the current catalog row: the checks every kind shares, the
// rows of tables, statistics, primary keys and foreign keys, and the value
// handed on in its column's SQL type.
#include <sqlext.h>

#include "connection/quickbase_client.h"
#include "handles/catalog_request.h"
#include "handles/connection_record.h"
#include "handles/handles.h"
#include "handles/statement_handle.h"
#include "odbc/catalog_column_tables.h"
#include "odbc/catalog_functions.h"
#include "odbc/catalog_row_values.h"
#include "tables/catalog_sources.h"
#include "tables/table_cursor.h"

namespace {

constexpr std::uint16_t kNoRule = 65535;
constexpr const char* kTableType = "TABLE";
constexpr const char* kTableRemarks = "from QuickBase";
constexpr const char* kKeyIndexName = "PrimaryKey";

void ReadTablesValue(const StatementHandle& statement, std::uint16_t column, CatalogValue& value) {
  switch (column) {
    case 1: {
      const std::string name = CatalogNameOf(statement, statement.catalogName);
      if (name.empty()) SetCatalogNull(value);
      else SetCatalogText(value, name);
      break;
    }
    case 3:
      if (statement.catalogSubMode == kTablesList) SetCatalogText(value, statement.catalogTableName);
      break;
    case 4: SetCatalogText(value, kTableType); break;
    case 5: SetCatalogText(value, kTableRemarks); break;
    default: break;  // TABLE_SCHEM
  }
}

// TABLE_CAT of a described table: its application, found by its table id.
std::string DescribedTableCatalog(const StatementHandle& statement, const TableCursor& cursor) {
  std::string application;
  if (const ConnectionRecord* record = statement.connection->record)
    GetTableApplicationName(*record->client, application, cursor.tableId);
  return CatalogNameOf(statement, application);
}

MessageId ReadStatisticsValue(const StatementHandle& statement, std::uint16_t column, CatalogValue& value) {
  const TableCursor& cursor = *statement.catalogCursor;
  const std::int32_t row = statement.catalogRow;
  // Row 0 describes the table; rows 1 to K its key columns in key order.
  const bool tableRow = row == 0;
  switch (column) {
    case 1: SetCatalogText(value, DescribedTableCatalog(statement, cursor)); break;
    case 3: SetCatalogText(value, cursor.tableName); break;
    case 4:
      if (!tableRow) SetCatalogNumber(value, 0);
      break;
    case 6:
      if (!tableRow) SetCatalogText(value, kKeyIndexName);
      break;
    case 7: SetCatalogNumber(value, tableRow ? SQL_TABLE_STAT : SQL_INDEX_OTHER); break;
    case 8:
      if (!tableRow) SetCatalogNumber(value, row);
      break;
    case 9:
      if (tableRow) break;
      if (const ColumnDescriptor* key = FindKeyColumn(cursor, static_cast<std::uint16_t>(row))) {
        SetCatalogText(value, key->name);
        break;
      }
      return kMsgQuickBaseError;
    default: break;  // schema, index qualifier, order, cardinality, pages, filter
  }
  return kMsgSuccess;
}

MessageId ReadPrimaryKeysValue(const StatementHandle& statement, std::uint16_t column, CatalogValue& value) {
  const TableCursor& cursor = *statement.catalogCursor;
  const auto position = static_cast<std::uint16_t>(statement.catalogRow + 1);
  switch (column) {
    case 1: SetCatalogText(value, DescribedTableCatalog(statement, cursor)); break;
    case 3: SetCatalogText(value, cursor.tableName); break;
    case 4:
      if (const ColumnDescriptor* key = FindKeyColumn(cursor, position)) {
        SetCatalogText(value, key->name);
        break;
      }
      return kMsgQuickBaseError;
    case 5: SetCatalogNumber(value, position); break;
    case 6:
      if (!cursor.keyName.empty()) SetCatalogText(value, cursor.keyName);
      break;
    default: break;  // TABLE_SCHEM
  }
  return kMsgSuccess;
}

MessageId ReadForeignKeysValue(const StatementHandle& statement, std::uint16_t column, CatalogValue& value) {
  const CatalogRowWork* work = statement.catalogRowWork;
  if (work == nullptr || work->counter == 0 || work->counter > kCatalogKeyColumns) return kMsgQuickBaseError;
  const std::uint16_t pair = work->counter - 1;
  switch (column) {
    case 1: SetCatalogText(value, CatalogNameOf(statement, statement.catalogName)); break;
    case 3: SetCatalogText(value, statement.primaryKeyTableName); break;
    case 4: SetCatalogText(value, work->primaryColumns[pair]); break;
    case 5: SetCatalogText(value, CatalogNameOf(statement, statement.foreignKeyCatalogName)); break;
    case 7: SetCatalogText(value, statement.catalogTableName); break;
    case 8: SetCatalogText(value, work->foreignColumns[pair]); break;
    case 9: SetCatalogNumber(value, work->counter); break;
    case 10: SetCatalogNumberOrNull(value, work->updateRule, kNoRule); break;
    case 11: SetCatalogNumberOrNull(value, work->deleteRule, kNoRule); break;
    case 12:
      if (!work->foreignKeyName.empty()) SetCatalogText(value, work->foreignColumns[pair]);
      break;
    case 13:
      if (!work->primaryKeyName.empty()) SetCatalogText(value, work->primaryColumns[pair]);
      break;
    case 14: SetCatalogNumberOrNull(value, work->deferrability, kNoRule); break;
    default: break;  // the schemas
  }
  return kMsgSuccess;
}

MessageId ReadKindValue(StatementHandle& statement, std::uint16_t column, SQLSMALLINT cType, SQLLEN bufferLength,
                        CatalogValue& value) {
  const bool described = statement.catalogCursor != nullptr;
  switch (statement.statementKind) {
    case kStatementTables: ReadTablesValue(statement, column, value); return kMsgSuccess;
    case kStatementColumns: return ReadColumnsValue(statement, column, cType, bufferLength, value);
    case kStatementStatistics:
      return described ? ReadStatisticsValue(statement, column, value) : kMsgQuickBaseError;
    case kStatementSpecialColumns: return ReadSpecialColumnsValue(statement, column, value);
    case kStatementTypeInfo: return ReadTypeInfoValue(statement, column, value);
    case kStatementPrimaryKeys:
      return described ? ReadPrimaryKeysValue(statement, column, value) : kMsgQuickBaseError;
    case kStatementForeignKeys: return ReadForeignKeysValue(statement, column, value);
    default: return kMsgInvalidCursorState;
  }
}

// The value in its column's SQL type: numbers in the width of SMALLINT or
// INTEGER, texts as they are.
void PlaceValue(CatalogColumnType type, CatalogValue& value) {
  value.sqlType = CatalogColumnSqlType(type);
  if (value.isNull) {
    value.data = nullptr;
    value.length = SQL_NULL_DATA;
  } else if (value.sqlType == SQL_SMALLINT) {
    value.smallNumber = static_cast<std::int16_t>(value.number);
    value.data = &value.smallNumber;
    value.length = sizeof value.smallNumber;
  } else if (value.sqlType == SQL_INTEGER) {
    value.data = &value.number;
    value.length = sizeof value.number;
  } else {
    value.data = value.text.c_str();
    value.length = static_cast<SQLLEN>(value.text.size());
  }
}

}  // namespace

std::string CatalogNameOf(const StatementHandle& statement, const std::string& applicationName) {
  const std::string& global = LookupSetting(statement.connection->settings, "GLOBALCATALOG");
  return global.empty() ? applicationName : global;
}

std::uint16_t CountKeyColumns(const TableCursor& cursor) {
  std::uint16_t count = 0;
  for (const ColumnDescriptor& column : cursor.columns)
    if (column.keyPosition != 0) ++count;
  return count;
}

const ColumnDescriptor* FindKeyColumn(const TableCursor& cursor, std::uint16_t position, std::uint32_t* index) {
  for (std::size_t i = 0; i < cursor.columns.size(); ++i) {
    if (cursor.columns[i].keyPosition != position) continue;
    if (index != nullptr) *index = static_cast<std::uint32_t>(i);
    return &cursor.columns[i];
  }
  return nullptr;
}

MessageId ReadCatalogValue(StatementHandle& statement, std::uint16_t column, SQLSMALLINT cType,
                           SQLLEN bufferLength, CatalogValue& value) {
  const CatalogColumnTable* table = GetCatalogColumnTable(statement);
  if (table == nullptr || column < 1 || column > table->count) return kMsgInvalidColumnId;
  if (statement.catalogRow < 0) return kMsgInvalidCursorState;
  SetCatalogNull(value);
  if (MessageId id = ReadKindValue(statement, column, cType, bufferLength, value)) return id;
  PlaceValue(table->columns[column - 1].type, value);
  return kMsgSuccess;
}
