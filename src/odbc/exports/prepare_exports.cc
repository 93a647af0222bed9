// Exported statement-text functions: SQLPrepare and SQLNativeSql, and the
// cursor-name functions SQLSetCursorName and SQLGetCursorName. Each goes
// through the guard helpers of odbc/export_guard.h around its core.
#include <sql.h>
#include <sqlext.h>

#include "odbc/cursor_names.h"
#include "odbc/export_guard.h"
#include "odbc/exports/export_macros.h"
#include "odbc/native_sql.h"
#include "odbc/prepare_statement.h"

HELVANE_EXPORT SQLRETURN SQL_API SQLPrepare(SQLHSTMT StatementHandle, SQLCHAR* StatementText, SQLINTEGER TextLength) {
  return GuardedStatementCall(StatementHandle, "SQLPrepare", [&](::StatementHandle& statement) {
    return PrepareStatement(statement, StatementText, TextLength);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLNativeSql(SQLHDBC ConnectionHandle, SQLCHAR* InStatementText,
                                              SQLINTEGER TextLength1, SQLCHAR* OutStatementText,
                                              SQLINTEGER BufferLength, SQLINTEGER* TextLength2Ptr) {
  return GuardedConnectionCall(ConnectionHandle, "SQLNativeSql", [&](::ConnectionHandle& connection) {
    return NativeSql(connection, InStatementText, TextLength1, OutStatementText, BufferLength, TextLength2Ptr);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLSetCursorName(SQLHSTMT StatementHandle, SQLCHAR* CursorName,
                                                  SQLSMALLINT NameLength) {
  return GuardedStatementCall(StatementHandle, "SQLSetCursorName", [&](::StatementHandle& statement) {
    return SetCursorName(statement, CursorName, NameLength);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLGetCursorName(SQLHSTMT StatementHandle, SQLCHAR* CursorName,
                                                  SQLSMALLINT BufferLength, SQLSMALLINT* NameLengthPtr) {
  return GuardedStatementCall(StatementHandle, "SQLGetCursorName", [&](::StatementHandle& statement) {
    return GetCursorName(statement, CursorName, BufferLength, NameLengthPtr);
  });
}
