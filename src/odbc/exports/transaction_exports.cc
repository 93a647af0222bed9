// Exported transaction functions: SQLEndTran and its ODBC 2 form SQLTransact.
// An environment ends its connections' transactions one by one, each under
// that connection's lock, the environment's held throughout.
#include <sql.h>

#include "odbc/export_guard.h"
#include "odbc/exports/export_macros.h"
#include "odbc/transactions.h"

namespace {

SQLRETURN EndUnderConnectionLocks(SQLHENV handle, const char* functionName, SQLSMALLINT completionType) {
  return GuardedEnvironmentCall(handle, functionName, [&](EnvironmentHandle& environment) {
    return EndEnvironmentTransaction(environment, completionType, [](ConnectionHandle& connection, auto work) {
      std::lock_guard<std::mutex> lock(connection.mutex);
      return work();
    });
  });
}

SQLRETURN EndConnection(SQLHDBC handle, const char* functionName, SQLSMALLINT completionType) {
  return GuardedConnectionCall(handle, functionName, [&](ConnectionHandle& connection) {
    return EndTransaction(nullptr, &connection, completionType);
  });
}

}  // namespace

HELVANE_EXPORT SQLRETURN SQL_API SQLEndTran(SQLSMALLINT HandleType, SQLHANDLE Handle, SQLSMALLINT CompletionType) {
  switch (HandleType) {
    case SQL_HANDLE_ENV: return EndUnderConnectionLocks(Handle, "SQLEndTran", CompletionType);
    case SQL_HANDLE_DBC: return EndConnection(Handle, "SQLEndTran", CompletionType);
    case SQL_HANDLE_STMT:
      return GuardedStatementCall(Handle, "SQLEndTran", [&](StatementHandle& statement) {
        return EndTransactionByHandle(SQL_HANDLE_STMT, &statement, CompletionType);
      });
    case SQL_HANDLE_DESC:
      return GuardedDescriptorCall(Handle, "SQLEndTran", [&](DescriptorHandle& descriptor) {
        return EndTransactionByHandle(SQL_HANDLE_DESC, &descriptor, CompletionType);
      });
    default: return Handle == nullptr ? SQL_INVALID_HANDLE : SQL_ERROR;
  }
}

HELVANE_EXPORT SQLRETURN SQL_API SQLTransact(SQLHENV EnvironmentHandle, SQLHDBC ConnectionHandle,
                                             SQLUSMALLINT CompletionType) {
  const auto completionType = static_cast<SQLSMALLINT>(CompletionType);
  if (ConnectionHandle != nullptr) return EndConnection(ConnectionHandle, "SQLTransact", completionType);
  return EndUnderConnectionLocks(EnvironmentHandle, "SQLTransact", completionType);
}
