// The catalog functions' cores: each checks the statement, records its
// arguments, starts the request for the granted tables or opens the one
// table it describes, and leaves a catalog result whose rows are produced
// as they are fetched (catalog_rows.h). Called by the catalog exports.
#pragma once

#include <sql.h>

#include <cstdint>

#include "common/message_ids.h"

struct ConnectionHandle;
struct StatementHandle;

// Catalog sub-modes of SQLTables and SQLForeignKeys.
inline constexpr std::int32_t kTablesList = 1;
inline constexpr std::int32_t kTablesTypes = 2;
inline constexpr std::int32_t kForeignKeysBothNamed = 3;
inline constexpr std::int32_t kForeignKeysOfForeignTable = 4;
inline constexpr std::int32_t kForeignKeysOfPrimaryTable = 5;
inline constexpr std::int32_t kTablesCatalogs = 6;
inline constexpr std::int32_t kTablesSystemTables = 7;
inline constexpr std::int32_t kTablesViews = 8;

// SQLTables: the tables, the applications (catalog "%"), the table types
// (type "%") or nothing (system tables, aliases, synonyms, views).
SQLRETURN ListTables(StatementHandle& statement, const SQLCHAR* catalogName, SQLSMALLINT catalogLength,
                     const SQLCHAR* schemaName, SQLSMALLINT schemaLength, const SQLCHAR* tableName,
                     SQLSMALLINT tableLength, const SQLCHAR* tableType, SQLSMALLINT typeLength);
SQLRETURN ListColumns(StatementHandle& statement, const SQLCHAR* catalogName, SQLSMALLINT catalogLength,
                      const SQLCHAR* tableName, SQLSMALLINT tableLength, const SQLCHAR* columnName,
                      SQLSMALLINT columnLength);
// SQLStatistics and SQLPrimaryKeys: a table that can't be opened gives an
// empty result, not a failure.
SQLRETURN ListStatistics(StatementHandle& statement, const SQLCHAR* tableName, SQLSMALLINT tableLength);
SQLRETURN ListPrimaryKeys(StatementHandle& statement, const SQLCHAR* tableName, SQLSMALLINT tableLength);
// SQL_BEST_ROWID gives the key columns, SQL_ROWVER none; another
// identifier type is 1003.
SQLRETURN ListSpecialColumns(StatementHandle& statement, SQLUSMALLINT identifierType, const SQLCHAR* tableName,
                             SQLSMALLINT tableLength);
SQLRETURN ListForeignKeys(StatementHandle& statement, const SQLCHAR* primaryCatalog, SQLSMALLINT primaryCatalogLength,
                          const SQLCHAR* primaryTable, SQLSMALLINT primaryTableLength, const SQLCHAR* foreignCatalog,
                          SQLSMALLINT foreignCatalogLength, const SQLCHAR* foreignTable,
                          SQLSMALLINT foreignTableLength);
// SQLProcedures: the service has none, so the result has ODBC's columns and
// no rows (1007 while a result is open).
SQLRETURN ListProcedures(StatementHandle& statement);
// The catalog functions the service has nothing for (privileges, procedure
// columns): 1003 naming the function.
SQLRETURN RefuseCatalogFunction(StatementHandle& statement, const char* functionName);
// SQLBrowseConnect: 1003 on the connection.
MessageId RefuseBrowseConnect(ConnectionHandle& connection);
