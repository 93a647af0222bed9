// Exported handle functions: SQLAllocHandle, SQLAllocStmt, SQLFreeHandle,
// SQLFreeStmt, SQLCancel and SQLCloseCursor. Allocating and freeing take the
// parent's lock (export_guard.h).
#include <sql.h>

#include "odbc/export_guard.h"
#include "odbc/exports/export_macros.h"
#include "odbc/handle_dispatch.h"
#include "odbc/statement_free.h"

HELVANE_EXPORT SQLRETURN SQL_API SQLAllocHandle(SQLSMALLINT HandleType, SQLHANDLE InputHandle,
                                                SQLHANDLE* OutputHandle) {
  switch (HandleType) {
    case SQL_HANDLE_ENV:
      return GuardedCall(nullptr, "SQLAllocHandle",
                         [&] { return AllocHandleByKind(SQL_HANDLE_ENV, nullptr, OutputHandle); });
    case SQL_HANDLE_DBC:
      return GuardedEnvironmentCall(InputHandle, "SQLAllocHandle", [&](EnvironmentHandle& environment) {
        return AllocHandleByKind(SQL_HANDLE_DBC, &environment, OutputHandle);
      });
    case SQL_HANDLE_STMT:
    case SQL_HANDLE_DESC:
      return GuardedConnectionCall(InputHandle, "SQLAllocHandle", [&](ConnectionHandle& connection) {
        return AllocHandleByKind(HandleType, &connection, OutputHandle);
      });
    default: return SQL_ERROR;
  }
}

HELVANE_EXPORT SQLRETURN SQL_API SQLAllocStmt(SQLHDBC ConnectionHandle, SQLHSTMT* StatementHandle) {
  return GuardedConnectionCall(ConnectionHandle, "SQLAllocStmt", [&](::ConnectionHandle& connection) {
    return AllocHandleByKind(SQL_HANDLE_STMT, &connection, StatementHandle);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLFreeHandle(SQLSMALLINT HandleType, SQLHANDLE Handle) {
  switch (HandleType) {
    case SQL_HANDLE_ENV: return GuardedEnvironmentFree(Handle);
    case SQL_HANDLE_DBC: return GuardedConnectionFree(Handle);
    case SQL_HANDLE_STMT:
      return GuardedStatementCall(Handle, "SQLFreeHandle", [](StatementHandle& statement) {
        return FreeHandleByKind(SQL_HANDLE_STMT, &statement);
      });
    case SQL_HANDLE_DESC:
      return GuardedDescriptorCall(Handle, "SQLFreeHandle", [](DescriptorHandle& descriptor) {
        return FreeHandleByKind(SQL_HANDLE_DESC, &descriptor);
      });
    default: return Handle == nullptr ? SQL_INVALID_HANDLE : SQL_ERROR;
  }
}

HELVANE_EXPORT SQLRETURN SQL_API SQLFreeStmt(SQLHSTMT StatementHandle, SQLUSMALLINT Option) {
  return GuardedStatementCall(StatementHandle, "SQLFreeStmt",
                              [&](::StatementHandle& statement) { return FreeStatement(&statement, Option); });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLCancel(SQLHSTMT StatementHandle) { return GuardedCancel(StatementHandle); }

HELVANE_EXPORT SQLRETURN SQL_API SQLCloseCursor(SQLHSTMT StatementHandle) {
  return GuardedStatementCall(StatementHandle, "SQLCloseCursor",
                              [](::StatementHandle& statement) { return CloseStatementCursor(statement); });
}
