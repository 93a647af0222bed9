// Direct execution. A batch runs statement by statement in a loop: a
// statement that fails ends the batch with its error, one that waits for
// data keeps the rest until its data has arrived, and a rest of blanks is no
// statement.
#include "odbc/direct_execution.h"

#include <sqlext.h>

#include <string>

#include "common/odbc_text.h"
#include "handles/statement_handle.h"
#include "odbc/data_at_execution.h"
#include "odbc/prepare_statement.h"
#include "odbc/statement_execution.h"
#include "odbc/statement_free.h"

namespace {

bool Succeeded(SQLRETURN result) { return result == SQL_SUCCESS || result == SQL_SUCCESS_WITH_INFO; }

bool IsBlankText(const std::string& text) {
  return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

void DropStatementTree(StatementHandle& statement) {
  ReleasePreparedState(statement);
  EndDataAtExecution(statement);
}

void ResetAfterFailure(StatementHandle& statement) {
  DropStatementTree(statement);
  statement.diagnosticRowCount = 0;
  statement.rowCount = -1;
  statement.currentBookmark = 0;
  statement.rowsetStatusArray = nullptr;
  statement.pendingOperation = kNoPendingOperation;
}

// What a finished execution leaves: a result set keeps its tree until the
// cursor closes; anything else lets the tree go at once.
SQLRETURN SettleExecution(StatementHandle& statement, SQLRETURN result) {
  if (result == SQL_ERROR) {
    ResetAfterFailure(statement);
    return result;
  }
  if (statement.statementKind != kStatementQueryResult && result != SQL_NEED_DATA) {
    DropStatementTree(statement);
    if (statement.diagnostic.messageId == kMsgServerError) return SQL_ERROR;
  } else {
    statement.prepared = 0;
  }
  return result;
}

SQLRETURN PrepareAndExecute(StatementHandle& statement, const std::string& text) {
  statement.diagnostic.messageId = kMsgSuccess;
  statement.diagnosticRowCount = 0;
  SQLRETURN result = PrepareStatement(statement, reinterpret_cast<const SQLCHAR*>(text.c_str()),
                                      static_cast<SQLINTEGER>(text.size()));
  if (!Succeeded(result)) return result;
  return ExecutePrepared(statement);
}

// One statement of the batch; a data-definition statement whose commit
// deleted the prepared statement is prepared and run once more.
SQLRETURN RunOneStatement(StatementHandle& statement, const std::string& text) {
  SQLRETURN result = PrepareAndExecute(statement, text);
  if (result == SQL_ERROR && statement.diagnostic.messageId == kMsgPreparedDdlDeleted) {
    ResetAfterFailure(statement);
    result = SettleExecution(statement, PrepareAndExecute(statement, text));
    if (!Succeeded(result)) return result;
    statement.diagnostic.messageId = kMsgCommittedBeforeDdl;
    return SQL_SUCCESS_WITH_INFO;
  }
  return SettleExecution(statement, result);
}

// Runs the statements of the batch that follow, while each succeeds.
SQLRETURN RunBatchRest(StatementHandle& statement, SQLRETURN result) {
  for (;;) {
    if (result == SQL_NEED_DATA) return result;
    if (result == SQL_ERROR) {
      statement.remainingBatch.clear();
      return result;
    }
    std::string rest = std::move(statement.remainingBatch);
    statement.remainingBatch.clear();
    if (IsBlankText(rest)) return result;
    result = RunOneStatement(statement, rest);
  }
}

}  // namespace

SQLRETURN ExecDirectStatement(StatementHandle& statement, const SQLCHAR* text, SQLINTEGER length) {
  if (!IsStringLength(length)) {
    SetDiagnostic(statement.diagnostic, kMsgInvalidBufferLength);
    return SQL_ERROR;
  }
  std::string first;
  if (text != nullptr) {
    first = length == SQL_NTS ? std::string(reinterpret_cast<const char*>(text))
                              : std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(length));
  }
  return RunBatchRest(statement, RunOneStatement(statement, first));
}

SQLRETURN FinishDirectExecution(StatementHandle& statement, SQLRETURN result) {
  return RunBatchRest(statement, SettleExecution(statement, result));
}
