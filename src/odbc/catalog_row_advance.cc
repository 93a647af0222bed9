// Stepping a catalog result to its next row, by statement kind: the next
// granted table or application, the next matching column of the next table
// that opens, the described table's key rows, the next listed type, and the
// column pairs of the next relationship.
#include <sqlext.h>

#include "connection/type_info.h"
#include "handles/catalog_request.h"
#include "handles/connection_record.h"
#include "handles/handles.h"
#include "handles/statement_handle.h"
#include "odbc/catalog_call.h"
#include "odbc/catalog_functions.h"
#include "odbc/catalog_row_values.h"
#include "odbc/catalog_rows.h"
#include "tables/catalog_sources.h"
#include "tables/table_cursor.h"

namespace {

constexpr std::int32_t kAfterLast = -2;

SQLRETURN End(StatementHandle& statement) {
  statement.catalogRow = kAfterLast;
  return SQL_NO_DATA;
}

SQLRETURN Ready(StatementHandle& statement, std::int32_t row) {
  statement.catalogRow = row;
  return SQL_SUCCESS;
}

bool NextGrantedTable(StatementHandle& statement, std::string& catalogName, std::string& tableName) {
  if (statement.pendingCatalogRequest == nullptr) return false;
  if (NextCatalogTableRow(*statement.pendingCatalogRequest, catalogName, tableName, statement.catalogPattern) !=
      kMsgSuccess)
    return false;
  MarkCatalogRead(statement);
  return true;
}

SQLRETURN AdvanceTables(StatementHandle& statement) {
  switch (statement.catalogSubMode) {
    case kTablesList:
    case kTablesCatalogs:
      if (!NextGrantedTable(statement, statement.catalogName, statement.catalogTableName)) return End(statement);
      return Ready(statement, statement.catalogRow + 1);
    case kTablesTypes: return statement.catalogRow < 0 ? Ready(statement, 0) : End(statement);
    default: return End(statement);  // system tables, aliases, synonyms and views: none
  }
}

void ReleaseCatalogCursor(StatementHandle& statement) {
  if (statement.catalogCursor != nullptr) ApplyFlushCacheCommand(statement.catalogCursor);
  statement.catalogCursor = nullptr;
}

// The catalog row is the index of the current table's column.
SQLRETURN AdvanceColumns(StatementHandle& statement) {
  if (statement.pendingCatalogRequest == nullptr) return End(statement);
  std::int32_t next = statement.catalogRow + 1;
  for (;;) {
    if (const TableCursor* cursor = statement.catalogCursor) {
      for (; next < cursor->columnCount; ++next)
        if (MatchesCatalogPattern(cursor->columns[next].name, statement.catalogColumnName))
          return Ready(statement, next);
    }
    if (!NextGrantedTable(statement, statement.catalogName, statement.catalogTableName)) return End(statement);
    ReleaseCatalogCursor(statement);
    OpenCatalogTable(statement, statement.catalogTableName);
    next = 0;
  }
}

// Rows 0 to last of the described table.
SQLRETURN AdvanceKeyRows(StatementHandle& statement, std::int32_t last) {
  if (statement.catalogCursor == nullptr || statement.catalogRow >= last) return End(statement);
  return Ready(statement, statement.catalogRow + 1);
}

std::int32_t KeyCount(const StatementHandle& statement) {
  return statement.catalogCursor == nullptr ? 0 : CountKeyColumns(*statement.catalogCursor);
}

bool IsRequestedType(const StatementHandle& statement, const TypeInfoRow& row) {
  if (row.listed == 0) return false;
  return statement.requestedType == SQL_ALL_TYPES ||
         MapDateTypeForStatement(statement, row.dataType) == statement.requestedType;
}

SQLRETURN AdvanceTypeInfo(StatementHandle& statement) {
  const TypeInfoRow* rows = GetTypeInfoTable();
  for (std::int32_t next = statement.catalogRow + 1; next < GetTypeInfoRowCount(); ++next)
    if (IsRequestedType(statement, rows[next])) return Ready(statement, next);
  return End(statement);
}

// The next table of the request in the role the call left open: the
// primary-key table when only the foreign-key table was named, else the
// foreign-key table.
bool NextCandidateTable(StatementHandle& statement) {
  std::string catalogName;
  std::string& role = statement.catalogSubMode == kForeignKeysOfForeignTable ? statement.primaryKeyTableName
                                                                             : statement.catalogTableName;
  return NextGrantedTable(statement, catalogName, role);
}

SQLRETURN AdvanceForeignKeys(StatementHandle& statement) {
  bool firstSearch = statement.catalogRowWork == nullptr;
  if (firstSearch) statement.catalogRowWork = new CatalogRowWork;
  CatalogRowWork& work = *statement.catalogRowWork;
  const bool bothNamed = statement.catalogSubMode == kForeignKeysBothNamed;
  while (work.counter >= work.count) {
    // Both tables named: one relationship at most.
    if (bothNamed ? !firstSearch : !NextCandidateTable(statement)) return End(statement);
    firstSearch = false;
    if (BuildForeignKeyRow(statement, statement.primaryKeyTableName, statement.catalogTableName, work) !=
        kMsgSuccess) {
      work.count = 0;
      continue;
    }
    MarkCatalogRead(statement);
    work.counter = 0;
  }
  ++work.counter;
  return Ready(statement, statement.catalogRow + 1);
}

}  // namespace

SQLRETURN AdvanceCatalogRow(StatementHandle& statement) {
  if (statement.catalogRow == kAfterLast) return SQL_NO_DATA;
  switch (statement.statementKind) {
    case kStatementTables: return AdvanceTables(statement);
    case kStatementColumns: return AdvanceColumns(statement);
    case kStatementStatistics: return AdvanceKeyRows(statement, KeyCount(statement));
    case kStatementSpecialColumns:
    case kStatementPrimaryKeys: return AdvanceKeyRows(statement, KeyCount(statement) - 1);
    case kStatementTypeInfo: return AdvanceTypeInfo(statement);
    case kStatementForeignKeys: return AdvanceForeignKeys(statement);
    default: return End(statement);  // procedures: the service has none
  }
}
