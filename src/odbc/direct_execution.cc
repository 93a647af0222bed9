// Direct execution: the text prepared, every statement of its batch parsed,
// then run by the batch runner as a prepared statement is, each tree let go
// once it has run.
#include "odbc/direct_execution.h"

#include "common/odbc_text.h"
#include "handles/statement_handle.h"
#include "odbc/batch_execution.h"
#include "odbc/prepare_statement.h"

SQLRETURN ExecDirectStatement(StatementHandle& statement, const SQLCHAR* text, SQLINTEGER length) {
  if (!IsStringLength(length)) {
    SetDiagnostic(statement.diagnostic, kMsgInvalidBufferLength);
    return SQL_ERROR;
  }
  const SQLRETURN prepared = PrepareStatement(statement, text, length);
  if (prepared != SQL_SUCCESS) {
    ForgetFailedDirectExecution(statement);
    return prepared;
  }
  statement.batch.direct = true;
  return ExecuteBatch(statement);
}
