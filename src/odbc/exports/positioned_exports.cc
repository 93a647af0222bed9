// Exported positioned operations: SQLSetPos and SQLBulkOperations, each
// through the guarded statement call (export_guard.h).
#include <sql.h>
#include <sqlext.h>

#include "odbc/export_guard.h"
#include "odbc/exports/export_macros.h"
#include "odbc/positioned_operations.h"

HELVANE_EXPORT SQLRETURN SQL_API SQLSetPos(SQLHSTMT StatementHandle, SQLSETPOSIROW RowNumber, SQLUSMALLINT Operation,
                                           SQLUSMALLINT LockType) {
  return GuardedStatementCall(StatementHandle, "SQLSetPos", [&](::StatementHandle& statement) {
    return SetPosCore(statement, RowNumber, Operation, LockType);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLBulkOperations(SQLHSTMT StatementHandle, SQLSMALLINT Operation) {
  return GuardedStatementCall(StatementHandle, "SQLBulkOperations", [&](::StatementHandle& statement) {
    return BulkOperationsCore(statement, static_cast<std::uint16_t>(Operation));
  });
}
