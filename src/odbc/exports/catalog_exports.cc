// Exported catalog functions: SQLTables, SQLColumns, SQLStatistics,
// SQLSpecialColumns, SQLPrimaryKeys, SQLForeignKeys and SQLProcedures
// around their cores, the catalogs the service has nothing for, and
// SQLBrowseConnect. Schema names are not used: the service has none.
#include <sql.h>
#include <sqlext.h>

#include "odbc/catalog_functions.h"
#include "odbc/export_guard.h"
#include "odbc/exports/export_macros.h"

HELVANE_EXPORT SQLRETURN SQL_API SQLTables(SQLHSTMT StatementHandle, SQLCHAR* CatalogName, SQLSMALLINT NameLength1,
                                           SQLCHAR* SchemaName, SQLSMALLINT NameLength2, SQLCHAR* TableName,
                                           SQLSMALLINT NameLength3, SQLCHAR* TableType, SQLSMALLINT NameLength4) {
  return GuardedStatementCall(StatementHandle, "SQLTables", [&](::StatementHandle& statement) {
    return ListTables(statement, CatalogName, NameLength1, SchemaName, NameLength2, TableName, NameLength3, TableType,
                      NameLength4);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLColumns(SQLHSTMT StatementHandle, SQLCHAR* CatalogName, SQLSMALLINT NameLength1,
                                            SQLCHAR* SchemaName, SQLSMALLINT NameLength2, SQLCHAR* TableName,
                                            SQLSMALLINT NameLength3, SQLCHAR* ColumnName, SQLSMALLINT NameLength4) {
  (void)SchemaName;
  (void)NameLength2;
  return GuardedStatementCall(StatementHandle, "SQLColumns", [&](::StatementHandle& statement) {
    return ListColumns(statement, CatalogName, NameLength1, TableName, NameLength3, ColumnName, NameLength4);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLStatistics(SQLHSTMT StatementHandle, SQLCHAR* CatalogName,
                                               SQLSMALLINT NameLength1, SQLCHAR* SchemaName, SQLSMALLINT NameLength2,
                                               SQLCHAR* TableName, SQLSMALLINT NameLength3, SQLUSMALLINT Unique,
                                               SQLUSMALLINT Reserved) {
  (void)CatalogName, (void)NameLength1, (void)SchemaName, (void)NameLength2, (void)Unique, (void)Reserved;
  return GuardedStatementCall(StatementHandle, "SQLStatistics", [&](::StatementHandle& statement) {
    return ListStatistics(statement, TableName, NameLength3);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLSpecialColumns(SQLHSTMT StatementHandle, SQLUSMALLINT IdentifierType,
                                                   SQLCHAR* CatalogName, SQLSMALLINT NameLength1,
                                                   SQLCHAR* SchemaName, SQLSMALLINT NameLength2, SQLCHAR* TableName,
                                                   SQLSMALLINT NameLength3, SQLUSMALLINT Scope,
                                                   SQLUSMALLINT Nullable) {
  (void)CatalogName, (void)NameLength1, (void)SchemaName, (void)NameLength2, (void)Scope, (void)Nullable;
  return GuardedStatementCall(StatementHandle, "SQLSpecialColumns", [&](::StatementHandle& statement) {
    return ListSpecialColumns(statement, IdentifierType, TableName, NameLength3);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLPrimaryKeys(SQLHSTMT StatementHandle, SQLCHAR* CatalogName,
                                                SQLSMALLINT NameLength1, SQLCHAR* SchemaName, SQLSMALLINT NameLength2,
                                                SQLCHAR* TableName, SQLSMALLINT NameLength3) {
  (void)CatalogName, (void)NameLength1, (void)SchemaName, (void)NameLength2;
  return GuardedStatementCall(StatementHandle, "SQLPrimaryKeys", [&](::StatementHandle& statement) {
    return ListPrimaryKeys(statement, TableName, NameLength3);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLForeignKeys(SQLHSTMT StatementHandle, SQLCHAR* PKCatalogName,
                                                SQLSMALLINT NameLength1, SQLCHAR* PKSchemaName,
                                                SQLSMALLINT NameLength2, SQLCHAR* PKTableName, SQLSMALLINT NameLength3,
                                                SQLCHAR* FKCatalogName, SQLSMALLINT NameLength4,
                                                SQLCHAR* FKSchemaName, SQLSMALLINT NameLength5, SQLCHAR* FKTableName,
                                                SQLSMALLINT NameLength6) {
  (void)PKSchemaName, (void)NameLength2, (void)FKSchemaName, (void)NameLength5;
  return GuardedStatementCall(StatementHandle, "SQLForeignKeys", [&](::StatementHandle& statement) {
    return ListForeignKeys(statement, PKCatalogName, NameLength1, PKTableName, NameLength3, FKCatalogName,
                           NameLength4, FKTableName, NameLength6);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLProcedures(SQLHSTMT StatementHandle, SQLCHAR* CatalogName,
                                               SQLSMALLINT NameLength1, SQLCHAR* SchemaName, SQLSMALLINT NameLength2,
                                               SQLCHAR* ProcName, SQLSMALLINT NameLength3) {
  (void)CatalogName, (void)NameLength1, (void)SchemaName, (void)NameLength2, (void)ProcName, (void)NameLength3;
  return GuardedStatementCall(StatementHandle, "SQLProcedures",
                              [&](::StatementHandle& statement) { return ListProcedures(statement); });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLTablePrivileges(SQLHSTMT StatementHandle, SQLCHAR* CatalogName,
                                                    SQLSMALLINT NameLength1, SQLCHAR* SchemaName,
                                                    SQLSMALLINT NameLength2, SQLCHAR* TableName,
                                                    SQLSMALLINT NameLength3) {
  (void)CatalogName, (void)NameLength1, (void)SchemaName, (void)NameLength2, (void)TableName, (void)NameLength3;
  return GuardedStatementCall(StatementHandle, "SQLTablePrivileges", [&](::StatementHandle& statement) {
    return RefuseCatalogFunction(statement, "SQLTablePrivileges");
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLColumnPrivileges(SQLHSTMT StatementHandle, SQLCHAR* CatalogName,
                                                     SQLSMALLINT NameLength1, SQLCHAR* SchemaName,
                                                     SQLSMALLINT NameLength2, SQLCHAR* TableName,
                                                     SQLSMALLINT NameLength3, SQLCHAR* ColumnName,
                                                     SQLSMALLINT NameLength4) {
  (void)CatalogName, (void)NameLength1, (void)SchemaName, (void)NameLength2, (void)TableName, (void)NameLength3;
  (void)ColumnName, (void)NameLength4;
  return GuardedStatementCall(StatementHandle, "SQLColumnPrivileges", [&](::StatementHandle& statement) {
    return RefuseCatalogFunction(statement, "SQLColumnPrivileges");
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLProcedureColumns(SQLHSTMT StatementHandle, SQLCHAR* CatalogName,
                                                     SQLSMALLINT NameLength1, SQLCHAR* SchemaName,
                                                     SQLSMALLINT NameLength2, SQLCHAR* ProcName,
                                                     SQLSMALLINT NameLength3, SQLCHAR* ColumnName,
                                                     SQLSMALLINT NameLength4) {
  (void)CatalogName, (void)NameLength1, (void)SchemaName, (void)NameLength2, (void)ProcName, (void)NameLength3;
  (void)ColumnName, (void)NameLength4;
  return GuardedStatementCall(StatementHandle, "SQLProcedureColumns", [&](::StatementHandle& statement) {
    return RefuseCatalogFunction(statement, "SQLProcedureColumns");
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLBrowseConnect(SQLHDBC ConnectionHandle, SQLCHAR* InConnectionString,
                                                  SQLSMALLINT StringLength1, SQLCHAR* OutConnectionString,
                                                  SQLSMALLINT BufferLength, SQLSMALLINT* StringLength2Ptr) {
  (void)InConnectionString, (void)StringLength1, (void)OutConnectionString, (void)BufferLength;
  (void)StringLength2Ptr;
  return GuardedConnectionCall(ConnectionHandle, "SQLBrowseConnect",
                               [](::ConnectionHandle& connection) { return RefuseBrowseConnect(connection); });
}
