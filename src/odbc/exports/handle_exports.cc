// Exported handle functions: SQLAllocHandle, SQLAllocStmt, SQLFreeHandle,
// SQLFreeStmt, SQLCancel and SQLCloseCursor.
#include <sql.h>

#include "handles/handles.h"
#include "odbc/export_guard.h"
#include "odbc/exports/export_macros.h"
#include "handles/statement_handle.h"
#include "odbc/handle_dispatch.h"
#include "odbc/statement_free.h"

namespace {

// The handle that receives the diagnostic of a failed allocation.
HandleDiagnostic* AllocationDiagnostic(SQLSMALLINT handleType, SQLHANDLE input) {
  if (input == nullptr) return nullptr;
  if (handleType == SQL_HANDLE_DBC) return &static_cast<EnvironmentHandle*>(input)->diagnostic;
  if (handleType == SQL_HANDLE_STMT || handleType == SQL_HANDLE_DESC)
    return &static_cast<ConnectionHandle*>(input)->diagnostic;
  return nullptr;
}

}  // namespace

HELVANE_EXPORT SQLRETURN SQL_API SQLAllocHandle(SQLSMALLINT HandleType, SQLHANDLE InputHandle,
                                                SQLHANDLE* OutputHandle) {
  if (HandleType != SQL_HANDLE_ENV && InputHandle == nullptr) return SQL_INVALID_HANDLE;
  return GuardedCall(AllocationDiagnostic(HandleType, InputHandle), "SQLAllocHandle",
                     [&] { return AllocHandleByKind(HandleType, InputHandle, OutputHandle); });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLAllocStmt(SQLHDBC ConnectionHandle, SQLHSTMT* StatementHandle) {
  if (ConnectionHandle == nullptr) return SQL_INVALID_HANDLE;
  return GuardedCall(AllocationDiagnostic(SQL_HANDLE_STMT, ConnectionHandle), "SQLAllocStmt",
                     [&] { return AllocHandleByKind(SQL_HANDLE_STMT, ConnectionHandle, StatementHandle); });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLFreeHandle(SQLSMALLINT HandleType, SQLHANDLE Handle) {
  if (Handle == nullptr) return SQL_INVALID_HANDLE;
  return GuardedCall(DiagnosticOfHandle(HandleType, Handle), "SQLFreeHandle",
                     [&] { return FreeHandleByKind(HandleType, Handle); });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLFreeStmt(SQLHSTMT StatementHandle, SQLUSMALLINT Option) {
  if (StatementHandle == nullptr) return SQL_INVALID_HANDLE;
  auto* statement = static_cast<::StatementHandle*>(StatementHandle);
  return GuardedCall(&statement->diagnostic, "SQLFreeStmt", [&] { return FreeStatement(statement, Option); });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLCancel(SQLHSTMT StatementHandle) {
  if (StatementHandle == nullptr) return SQL_INVALID_HANDLE;
  auto* statement = static_cast<::StatementHandle*>(StatementHandle);
  return GuardedCall(&statement->diagnostic, "SQLCancel", [&] { return CancelStatement(*statement); });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLCloseCursor(SQLHSTMT StatementHandle) {
  if (StatementHandle == nullptr) return SQL_INVALID_HANDLE;
  auto* statement = static_cast<::StatementHandle*>(StatementHandle);
  return GuardedCall(&statement->diagnostic, "SQLCloseCursor", [&] { return CloseStatementCursor(*statement); });
}
