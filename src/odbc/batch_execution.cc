// The batch runner. A prepared execution keeps each statement's tree until
// the next statement takes its place, so that SQLExecute can run the batch
// again; a direct one lets each tree go once it has no result to fetch.
// Under autocommit every statement commits as it completes, so what the
// failure of a later one reports as run is on the service.
#include "odbc/batch_execution.h"

#include <sqlext.h>

#include "handles/statement_handle.h"
#include "odbc/batch_context.h"
#include "odbc/data_at_execution.h"
#include "odbc/prepare_statement.h"
#include "odbc/statement_execution.h"
#include "odbc/statement_free.h"

namespace {

bool Succeeded(SQLRETURN result) { return result == SQL_SUCCESS || result == SQL_SUCCESS_WITH_INFO; }

void DropStatementTree(StatementHandle& statement) {
  ReleasePreparedState(statement);
  EndDataAtExecution(statement);
}

// Runs the statement the handle holds. A direct execution whose data
// definition's commit deleted the prepared statement prepares it once more.
SQLRETURN RunCurrentStatement(StatementHandle& statement) {
  SQLRETURN result = ExecutePrepared(statement);
  if (result != SQL_ERROR || statement.diagnostic.messageId != kMsgPreparedDdlDeleted || !statement.batch.direct)
    return result;
  ForgetFailedDirectExecution(statement);
  result = PrepareBatchStatement(statement, statement.batch.current);
  if (result == SQL_SUCCESS) result = ExecutePrepared(statement);
  if (!Succeeded(result)) return result;
  statement.diagnostic.messageId = kMsgCommittedBeforeDdl;
  return SQL_SUCCESS_WITH_INFO;
}

SQLRETURN RunStatement(StatementHandle& statement, std::size_t k) {
  const SQLRETURN prepared = PrepareBatchStatement(statement, k);
  return prepared == SQL_SUCCESS ? RunCurrentStatement(statement) : prepared;
}

// A statement that reported success yet left a service failure behind did
// not succeed. A direct execution's tree goes once it has no result to
// fetch and awaits no data; closing the statement lets it go otherwise.
SQLRETURN SettleStatement(StatementHandle& statement, SQLRETURN result) {
  if (result == SQL_ERROR) return result;
  if (statement.statementKind == kStatementQueryResult || result == SQL_NEED_DATA) {
    if (statement.batch.direct) statement.prepared = 0;
    return result;
  }
  if (statement.batch.direct) DropStatementTree(statement);
  return statement.diagnostic.messageId == kMsgServerError ? SQL_ERROR : result;
}

// A result set an earlier statement left open goes with the failure: the
// application, told that the call failed, has no cursor to close.
void CloseEarlierResult(StatementHandle& statement) {
  if (statement.statementKind != kStatementQueryResult) return;
  const HandleDiagnostic failure = statement.diagnostic;
  FreeStatement(&statement, SQL_CLOSE);
  statement.diagnostic = failure;
}

SQLRETURN FailBatch(StatementHandle& statement) {
  if (IsBatch(statement.batch)) AddRunFailureContext(statement);
  CloseEarlierResult(statement);
  if (statement.batch.direct) ForgetFailedDirectExecution(statement);
  return SQL_ERROR;
}

// From the outcome of the current statement: the statements after it, while
// each succeeds; the last one's result is the call's.
SQLRETURN RunRestOfBatch(StatementHandle& statement, SQLRETURN result) {
  StatementBatch& batch = statement.batch;
  for (;;) {
    result = SettleStatement(statement, result);
    if (result == SQL_NEED_DATA) return result;
    if (result == SQL_ERROR) return FailBatch(statement);
    batch.rowCounts.push_back(statement.rowCount);
    if (batch.current + 1 >= batch.starts.size()) return result;
    result = RunStatement(statement, batch.current + 1);
  }
}

}  // namespace

SQLRETURN ExecuteBatch(StatementHandle& statement) {
  // A refused call leaves an open result or a data-at-execution sequence as
  // it is.
  if (statement.statementKind != kStatementNone || statement.dataAtExecution != 0) {
    statement.diagnostic.messageId = kMsgInvalidCursorState;
    return SQL_ERROR;
  }
  StatementBatch& batch = statement.batch;
  batch.rowCounts.clear();
  // Each statement would run the whole array before the next one began: a
  // row failing in a later statement, or never reached, would find the
  // earlier statements' writes for it done.
  if (IsBatch(batch) && statement.paramsetSize > 1) {
    const SQLRETURN refused = RefuseExecution(statement, kMsgParameterArrayInBatch);
    if (batch.direct) ForgetFailedDirectExecution(statement);
    return refused;
  }
  const bool restart = IsBatch(batch) && batch.current != 0;
  return RunRestOfBatch(statement, restart ? RunStatement(statement, 0) : RunCurrentStatement(statement));
}

SQLRETURN ParamDataInBatch(StatementHandle& statement, SQLPOINTER* valuePointer) {
  const bool parameters = statement.dataAtExecution != 0 && statement.pendingOperation == kNoPendingOperation;
  const SQLRETURN result = ParamDataCore(statement, valuePointer);
  if (!parameters || result == SQL_NEED_DATA) return result;
  // Refused within the sequence, which goes on: nothing ran. A direct
  // execution ends with any failure.
  if (result == SQL_ERROR && statement.dataAtExecution != 0 && !statement.batch.direct) return result;
  return RunRestOfBatch(statement, result);
}

void ForgetFailedDirectExecution(StatementHandle& statement) {
  DropStatementTree(statement);
  statement.diagnosticRowCount = 0;
  statement.rowCount = -1;
  statement.currentBookmark = 0;
  statement.rowsetStatusArray = nullptr;
  statement.pendingOperation = kNoPendingOperation;
}
