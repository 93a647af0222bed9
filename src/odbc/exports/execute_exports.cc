// Exported execution functions: running a prepared statement, the
// data-at-execution pair and the row count, each around its core.
#include <sql.h>
#include <sqlext.h>

#include "handles/statement_handle.h"
#include "odbc/data_at_execution.h"
#include "odbc/direct_execution.h"
#include "odbc/export_guard.h"
#include "odbc/exports/export_macros.h"
#include "odbc/statement_execution.h"

HELVANE_EXPORT SQLRETURN SQL_API SQLExecute(SQLHSTMT StatementHandle) {
  return GuardedStatementCall(StatementHandle, "SQLExecute",
                              [&](::StatementHandle& statement) { return ExecutePrepared(statement); });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLExecDirect(SQLHSTMT StatementHandle, SQLCHAR* StatementText, SQLINTEGER TextLength) {
  return GuardedStatementCall(StatementHandle, "SQLExecDirect", [&](::StatementHandle& statement) {
    return ExecDirectStatement(statement, StatementText, TextLength);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLParamData(SQLHSTMT StatementHandle, SQLPOINTER* ValuePtrPtr) {
  return GuardedStatementCall(StatementHandle, "SQLParamData", [&](::StatementHandle& statement) {
    // A statement that came from SQLExecDirect is not prepared: once its data
    // has arrived and it ran, it finishes as a direct execution does. Data
    // for a positioned operation leaves the result as it is.
    const bool direct = statement.prepared == 0 && statement.dataAtExecution != 0 &&
                        statement.pendingOperation == kNoPendingOperation;
    const SQLRETURN result = ParamDataCore(statement, ValuePtrPtr);
    if (!direct || result == SQL_NEED_DATA) return result;
    return FinishDirectExecution(statement, result);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLPutData(SQLHSTMT StatementHandle, SQLPOINTER DataPtr, SQLLEN StrLen_or_Ind) {
  return GuardedStatementCall(StatementHandle, "SQLPutData", [&](::StatementHandle& statement) {
    return PutDataCore(statement, DataPtr, StrLen_or_Ind);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLRowCount(SQLHSTMT StatementHandle, SQLLEN* RowCountPtr) {
  return GuardedStatementCall(StatementHandle, "SQLRowCount", [&](::StatementHandle& statement) {
    statement.diagnosticRowCount = 0;
    const std::int32_t rows = statement.positionedRowCount >= 0 ? statement.positionedRowCount : statement.rowCount;
    if (RowCountPtr != nullptr) *RowCountPtr = static_cast<SQLLEN>(rows);
    return kMsgSuccess;
  });
}
