// The catalog functions: which result each one opens, over which tables,
// with which patterns.
#include "odbc/catalog_functions.h"

#include "handles/connection_record.h"
#include "handles/handles.h"
#include "handles/statement_handle.h"
#include "odbc/catalog_call.h"
#include "tables/catalog_sources.h"
#include "tables/table_names.h"

namespace {

SQLRETURN Refuse(StatementHandle& statement, MessageId id) {
  statement.diagnostic.messageId = id;
  return SQL_ERROR;
}

std::int32_t TablesSubMode(const std::string& catalog, const std::string& schema, const std::string& table,
                           const std::string& type) {
  if (type == "SYSTEM TABLE" || type == "ALIAS" || type == "SYNONYM") return kTablesSystemTables;
  if (type == "VIEW") return kTablesViews;
  const bool noSchemaOrTable = schema.empty() && table.empty();
  if (noSchemaOrTable && catalog == "%") return kTablesCatalogs;
  if (noSchemaOrTable && catalog.empty() && type == "%") return kTablesTypes;
  return kTablesList;
}

MessageId StartGrantedRequest(StatementHandle& statement, const std::string& pattern) {
  const MessageId id = FetchGrantedDatabases(statement, pattern);
  if (id == kMsgSuccess) MarkCatalogRead(statement);
  return id;
}

SQLRETURN OpenTableResult(StatementHandle& statement, std::int32_t kind, const SQLCHAR* tableName,
                          SQLSMALLINT tableLength) {
  if (!AreNameLengths({tableLength})) return Refuse(statement, kMsgInvalidBufferLength);
  if (MessageId id = BeginCatalogCall(statement)) return Refuse(statement, id);
  OpenCatalogTable(statement, CatalogArgument(tableName, tableLength));
  statement.catalogTableName.clear();
  OpenCatalogResult(statement, kind, 0);
  return SQL_SUCCESS;
}

// Candidate tables of the application that holds the named table.
std::string SameApplicationPattern(const std::string& tableName) {
  return EscapeCatalogPattern(ApplicationPart(tableName)) + ":%";
}

}  // namespace

SQLRETURN ListTables(StatementHandle& statement, const SQLCHAR* catalogName, SQLSMALLINT catalogLength,
                     const SQLCHAR* schemaName, SQLSMALLINT schemaLength, const SQLCHAR* tableName,
                     SQLSMALLINT tableLength, const SQLCHAR* tableType, SQLSMALLINT typeLength) {
  if (!AreNameLengths({catalogLength, schemaLength, tableLength, typeLength}))
    return Refuse(statement, kMsgInvalidBufferLength);
  if (MessageId id = BeginCatalogCall(statement)) return Refuse(statement, id);
  const std::int32_t subMode =
      TablesSubMode(CatalogArgument(catalogName, catalogLength), CatalogArgument(schemaName, schemaLength),
                    CatalogArgument(tableName, tableLength), CatalogArgument(tableType, typeLength));
  // The request lists applications rather than tables in this sub-mode.
  statement.catalogSubMode = subMode;
  statement.catalogPattern = subMode == kTablesList ? CatalogFilter(statement, catalogName, catalogLength) : "";
  const std::string pattern =
      subMode == kTablesCatalogs ? std::string("%") : CatalogNamePattern(statement, tableName, tableLength);
  if (MessageId id = StartGrantedRequest(statement, pattern)) return FailCatalogCall(statement, id);
  statement.catalogTableName = pattern;
  // The table-type row names no application of an earlier call.
  if (subMode == kTablesTypes) statement.catalogName = statement.connection->currentCatalog;
  OpenCatalogResult(statement, kStatementTables, subMode);
  return SQL_SUCCESS;
}

SQLRETURN ListColumns(StatementHandle& statement, const SQLCHAR* catalogName, SQLSMALLINT catalogLength,
                      const SQLCHAR* tableName, SQLSMALLINT tableLength, const SQLCHAR* columnName,
                      SQLSMALLINT columnLength) {
  if (!AreNameLengths({catalogLength, tableLength, columnLength})) return Refuse(statement, kMsgInvalidBufferLength);
  if (MessageId id = BeginCatalogCall(statement)) return Refuse(statement, id);
  statement.catalogSubMode = 0;
  statement.catalogPattern = CatalogFilter(statement, catalogName, catalogLength);
  const std::string pattern = CatalogNamePattern(statement, tableName, tableLength);
  if (MessageId id = StartGrantedRequest(statement, pattern)) return FailCatalogCall(statement, id);
  statement.catalogColumnName = CatalogNamePattern(statement, columnName, columnLength);
  statement.catalogTableName.clear();
  OpenCatalogResult(statement, kStatementColumns, 0);
  return SQL_SUCCESS;
}

SQLRETURN ListStatistics(StatementHandle& statement, const SQLCHAR* tableName, SQLSMALLINT tableLength) {
  return OpenTableResult(statement, kStatementStatistics, tableName, tableLength);
}

SQLRETURN ListPrimaryKeys(StatementHandle& statement, const SQLCHAR* tableName, SQLSMALLINT tableLength) {
  return OpenTableResult(statement, kStatementPrimaryKeys, tableName, tableLength);
}

SQLRETURN ListSpecialColumns(StatementHandle& statement, SQLUSMALLINT identifierType, const SQLCHAR* tableName,
                             SQLSMALLINT tableLength) {
  if (!AreNameLengths({tableLength})) return Refuse(statement, kMsgInvalidBufferLength);
  if (MessageId id = BeginCatalogCall(statement)) return Refuse(statement, id);
  if (identifierType != SQL_BEST_ROWID && identifierType != SQL_ROWVER) {
    statement.diagnostic.detailText = "SQLSpecialColumns identifier type " + std::to_string(identifierType);
    return Refuse(statement, kMsgNotSupportedDetail);
  }
  // The service keeps no row versions: SQL_ROWVER has no columns.
  if (identifierType == SQL_BEST_ROWID) OpenCatalogTable(statement, CatalogArgument(tableName, tableLength));
  OpenCatalogResult(statement, kStatementSpecialColumns, 0);
  return SQL_SUCCESS;
}

SQLRETURN ListForeignKeys(StatementHandle& statement, const SQLCHAR* primaryCatalog, SQLSMALLINT primaryCatalogLength,
                          const SQLCHAR* primaryTable, SQLSMALLINT primaryTableLength, const SQLCHAR* foreignCatalog,
                          SQLSMALLINT foreignCatalogLength, const SQLCHAR* foreignTable,
                          SQLSMALLINT foreignTableLength) {
  if (!AreNameLengths({primaryCatalogLength, primaryTableLength, foreignCatalogLength, foreignTableLength}))
    return Refuse(statement, kMsgInvalidBufferLength);
  if (MessageId id = BeginCatalogCall(statement)) return Refuse(statement, id);
  statement.primaryKeyTableName = CatalogArgument(primaryTable, primaryTableLength);
  statement.catalogTableName = CatalogArgument(foreignTable, foreignTableLength);
  const bool crossApplication = !LookupSetting(statement.connection->settings, "CROSSAPP").empty();
  // The named table's application bounds the candidates, unless foreign
  // keys may reach other applications.
  const std::string& named =
      statement.primaryKeyTableName.empty() ? statement.catalogTableName : statement.primaryKeyTableName;
  const bool sameApplication = !crossApplication && named.find(':') != std::string::npos;
  const std::string pattern = sameApplication ? SameApplicationPattern(named) : std::string("%");
  std::int32_t subMode = kForeignKeysOfForeignTable;
  if (statement.primaryKeyTableName.empty()) {
    statement.catalogPattern = CatalogFilter(statement, primaryCatalog, primaryCatalogLength);
  } else {
    subMode = statement.catalogTableName.empty() ? kForeignKeysOfPrimaryTable : kForeignKeysBothNamed;
    statement.catalogPattern = CatalogFilter(statement, foreignCatalog, foreignCatalogLength);
  }
  statement.catalogSubMode = subMode;
  if (subMode != kForeignKeysBothNamed) {
    if (MessageId id = StartGrantedRequest(statement, pattern)) return FailCatalogCall(statement, id);
  }
  OpenCatalogResult(statement, kStatementForeignKeys, subMode);
  return SQL_SUCCESS;
}

SQLRETURN ListProcedures(StatementHandle& statement) {
  if (MessageId id = BeginCatalogCall(statement)) return Refuse(statement, id);
  OpenCatalogResult(statement, kStatementProcedures, 0);
  return SQL_SUCCESS;
}

SQLRETURN RefuseCatalogFunction(StatementHandle& statement, const char* functionName) {
  statement.diagnosticRowCount = 0;
  statement.diagnostic.detailText = functionName;
  return Refuse(statement, kMsgNotSupportedDetail);
}

MessageId RefuseBrowseConnect(ConnectionHandle& connection) {
  SetDiagnostic(connection.diagnostic, kMsgNotSupportedDetail, "SQLBrowseConnect");
  return kMsgNotSupportedDetail;
}
