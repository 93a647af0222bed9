// Exported transaction functions: SQLEndTran and its ODBC 2 form SQLTransact.
#include <sql.h>

#include "handles/handles.h"
#include "odbc/export_guard.h"
#include "odbc/exports/export_macros.h"
#include "odbc/handle_dispatch.h"
#include "odbc/transactions.h"

HELVANE_EXPORT SQLRETURN SQL_API SQLEndTran(SQLSMALLINT HandleType, SQLHANDLE Handle, SQLSMALLINT CompletionType) {
  if (Handle == nullptr) return SQL_INVALID_HANDLE;
  HandleDiagnostic* diagnostic = DiagnosticOfHandle(HandleType, Handle);
  if (diagnostic != nullptr) ClearDiagnostic(*diagnostic);
  return GuardedCall(diagnostic, "SQLEndTran",
                     [&] { return EndTransactionByHandle(HandleType, Handle, CompletionType); });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLTransact(SQLHENV EnvironmentHandle, SQLHDBC ConnectionHandle,
                                             SQLUSMALLINT CompletionType) {
  auto* environment = static_cast<::EnvironmentHandle*>(EnvironmentHandle);
  auto* connection = static_cast<::ConnectionHandle*>(ConnectionHandle);
  HandleDiagnostic* diagnostic = connection != nullptr ? &connection->diagnostic
                                 : environment != nullptr ? &environment->diagnostic
                                                          : nullptr;
  if (diagnostic != nullptr) ClearDiagnostic(*diagnostic);
  return GuardedCall(diagnostic, "SQLTransact", [&] {
    return EndTransaction(environment, connection, static_cast<SQLSMALLINT>(CompletionType));
  });
}
