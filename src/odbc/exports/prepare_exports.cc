// Exported statement-text functions: SQLPrepare and SQLNativeSql, and the
// cursor-name functions SQLSetCursorName and SQLGetCursorName.
#include <sql.h>
#include <sqlext.h>

#include "handles/handles.h"
#include "handles/statement_handle.h"
#include "odbc/cursor_names.h"
#include "odbc/export_guard.h"
#include "odbc/exports/export_macros.h"
#include "odbc/native_sql.h"
#include "odbc/prepare_statement.h"

HELVANE_EXPORT SQLRETURN SQL_API SQLPrepare(SQLHSTMT StatementHandle, SQLCHAR* StatementText, SQLINTEGER TextLength) {
  if (StatementHandle == nullptr) return SQL_INVALID_HANDLE;
  auto& statement = StartStatementCall(StatementHandle);
  return GuardedCall(&statement.diagnostic, "SQLPrepare",
                     [&] { return PrepareStatement(statement, StatementText, TextLength); });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLNativeSql(SQLHDBC ConnectionHandle, SQLCHAR* InStatementText,
                                              SQLINTEGER TextLength1, SQLCHAR* OutStatementText,
                                              SQLINTEGER BufferLength, SQLINTEGER* TextLength2Ptr) {
  if (ConnectionHandle == nullptr) return SQL_INVALID_HANDLE;
  auto& connection = StartConnectionCall(ConnectionHandle);
  return GuardedCall(&connection.diagnostic, "SQLNativeSql", [&] {
    return FinishCall(connection.diagnostic, NativeSql(connection, InStatementText, TextLength1, OutStatementText,
                                                       BufferLength, TextLength2Ptr));
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLSetCursorName(SQLHSTMT StatementHandle, SQLCHAR* CursorName,
                                                  SQLSMALLINT NameLength) {
  if (StatementHandle == nullptr) return SQL_INVALID_HANDLE;
  auto& statement = StartStatementCall(StatementHandle);
  return GuardedCall(&statement.diagnostic, "SQLSetCursorName", [&] {
    return FinishCall(statement.diagnostic, SetCursorName(statement, CursorName, NameLength));
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLGetCursorName(SQLHSTMT StatementHandle, SQLCHAR* CursorName,
                                                  SQLSMALLINT BufferLength, SQLSMALLINT* NameLengthPtr) {
  if (StatementHandle == nullptr) return SQL_INVALID_HANDLE;
  auto& statement = StartStatementCall(StatementHandle);
  return GuardedCall(&statement.diagnostic, "SQLGetCursorName", [&] {
    return FinishCall(statement.diagnostic, GetCursorName(statement, CursorName, BufferLength, NameLengthPtr));
  });
}
