// SQLMoreResults over the close of the statement's cursor.
#include "odbc/more_results.h"

#include "handles/statement_handle.h"
#include "odbc/statement_free.h"

SQLRETURN MoreResults(StatementHandle& statement) {
  statement.diagnostic.messageId = kMsgSuccess;
  statement.diagnosticRowCount = 0;
  const SQLRETURN closed = FreeStatement(&statement, SQL_CLOSE);
  return closed == SQL_SUCCESS || closed == SQL_SUCCESS_WITH_INFO ? SQL_NO_DATA : closed;
}
