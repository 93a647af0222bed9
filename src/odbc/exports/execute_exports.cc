// Exported execution functions: running a prepared statement, the
// data-at-execution pair and the row count, each around its core.
#include <sql.h>
#include <sqlext.h>

#include "handles/statement_handle.h"
#include "odbc/batch_execution.h"
#include "odbc/data_at_execution.h"
#include "odbc/direct_execution.h"
#include "odbc/export_guard.h"
#include "odbc/exports/export_macros.h"

HELVANE_EXPORT SQLRETURN SQL_API SQLExecute(SQLHSTMT StatementHandle) {
  return GuardedStatementCall(StatementHandle, "SQLExecute",
                              [&](::StatementHandle& statement) { return ExecuteBatch(statement); });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLExecDirect(SQLHSTMT StatementHandle, SQLCHAR* StatementText, SQLINTEGER TextLength) {
  return GuardedStatementCall(StatementHandle, "SQLExecDirect", [&](::StatementHandle& statement) {
    return ExecDirectStatement(statement, StatementText, TextLength);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLParamData(SQLHSTMT StatementHandle, SQLPOINTER* ValuePtrPtr) {
  return GuardedStatementCall(StatementHandle, "SQLParamData", [&](::StatementHandle& statement) {
    return ParamDataInBatch(statement, ValuePtrPtr);
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
