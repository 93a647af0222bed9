// Closing and dropping statements: the autocommit commit of a writable
// result, the release of catalog and parse state, and unbinding.
#include "odbc/statement_free.h"
#include "odbc/descriptor_lifecycle.h"

#include "handles/connection_record.h"
#include "handles/handles.h"
#include "handles/statement_handle.h"
#include "odbc/catalog_request.h"
#include "odbc/data_at_execution.h"
#include "odbc/positioned_operations.h"
#include "odbc/special_statement.h"
#include "odbc/statement_allocation.h"
#include "odbc/transactions.h"
#include "sql/parse_tree.h"
#include "tables/table_cursor.h"

namespace {

bool ClosingCommits(const StatementHandle& statement) {
  const ConnectionHandle& connection = *statement.connection;
  return statement.statementKind == kStatementQueryResult && statement.concurrency != SQL_CONCUR_READ_ONLY &&
         connection.record != nullptr && connection.record->transactionCapability != 0 &&
         connection.autocommit != 0;
}

void ReleaseCatalogState(StatementHandle& statement) {
  statement.statementKind = kStatementNone;
  statement.catalogSubMode = 0;
  statement.catalogRow = -2;
  statement.requestedType = 0;
  ReleaseCatalogRequest(statement.pendingCatalogRequest);
  statement.pendingCatalogRequest = nullptr;
  statement.catalogTableName.clear();
  if (statement.catalogCursor != nullptr) ApplyFlushCacheCommand(statement.catalogCursor);
  statement.catalogCursor = nullptr;
  statement.catalogColumnName.clear();
  DestroyCatalogRowWork(statement.catalogRowWork, true);
  statement.catalogRowWork = nullptr;
}

// An attachment's file lasts no longer than the cursor that read it, also
// when a prepared statement keeps its tables open for its next execution.
void ReleaseAttachmentFiles(StatementHandle& statement) {
  if (statement.parseTree == nullptr) return;
  for (ParseNode& node : statement.parseTree->nodes) {
    if (node.kind == kNodeTableReference && node.fields.tableReference.cursor != nullptr)
      node.fields.tableReference.cursor->attachments.Close();
  }
}

void ResetExecutionState(StatementHandle& statement) {
  EndDataAtExecution(statement);
  statement.currentBookmark = 0;
  statement.rowsetStatusArray = nullptr;
  statement.pendingOperation = kNoPendingOperation;
  statement.positionedRowCount = -1;
  statement.rowsetRows = 0;
  statement.streamedRowsetIds.clear();
  statement.deliveredRowset.reset();
}

// Under autocommit a read's transaction ends when its cursor closes, so that
// data definition after a finished SELECT is not refused.
bool ClosingEndsRead(const StatementHandle& statement) {
  const ConnectionHandle& connection = *statement.connection;
  return connection.record != nullptr && connection.autocommit != 0;
}

// The positioned writes of a result are its transaction under autocommit:
// when their commit fails, what the service did not take is dropped as a
// write statement's would be.
SQLRETURN CloseStatement(StatementHandle& statement) {
  if (ClosingCommits(statement)) {
    ConnectionHandle& connection = *statement.connection;
    SQLRETURN result = EndTransaction(nullptr, &connection, SQL_COMMIT);
    if (result != SQL_SUCCESS && result != SQL_SUCCESS_WITH_INFO) {
      DropUnsentWrites(connection);
      statement.diagnostic.messageId = connection.diagnostic.messageId;
      CopyMessageTexts(statement.diagnostic, connection.diagnostic);
      return result;
    }
  }
  ReleaseCatalogState(statement);
  ReleaseAttachmentFiles(statement);
  if (statement.parseTree != nullptr && statement.prepared == 0) ReleasePreparedState(statement);
  ResetExecutionState(statement);
  statement.longDataColumn = 0;
  statement.longDataOffset = 0;
  if (ClosingEndsRead(statement)) {
    statement.transactionFlags[0] = 0;
    statement.transactionFlags[1] = 0;
  }
  return SQL_SUCCESS;
}

// Service failures are posted to the connection's current statement; once
// this one is gone they must find none rather than its freed memory.
void ForgetAsCurrentStatement(StatementHandle& statement) {
  ConnectionRecord* record = statement.connection != nullptr ? statement.connection->record : nullptr;
  if (record != nullptr && record->currentStatement == &statement) record->currentStatement = nullptr;
}

// A drop whose close could not commit fails and keeps the statement, so that
// the application can still read what was written and what was dropped (the
// Driver Manager keeps its handle when a free fails); the close has ended
// the result, so a second free goes through.
SQLRETURN DropStatement(StatementHandle* statement) {
  SQLRETURN result = CloseStatement(*statement);
  if (result != SQL_SUCCESS) return result;
  ReleasePreparedState(*statement);
  ResetExecutionState(*statement);
  // The rows-fetched buffer is left alone: the application may already have
  // released it, and nothing can read the count of a freed statement.
  ForgetAsCurrentStatement(*statement);
  DestroyStatementHandle(statement);
  return SQL_SUCCESS;
}

SQLRETURN ResetParameters(StatementHandle& statement) {
  if (statement.dataAtExecution != 0) {
    statement.diagnostic.messageId = kMsgInvalidCursorState;
    return SQL_ERROR;
  }
  ReleaseDescriptorRecords(*statement.currentApd, true);
  return SQL_SUCCESS;
}

}  // namespace

SQLRETURN FreeStatement(StatementHandle* statement, SQLUSMALLINT option) {
  statement->diagnostic.messageId = kMsgSuccess;
  statement->diagnosticRowCount = 0;
  switch (option) {
    case SQL_CLOSE: return CloseStatement(*statement);
    case SQL_DROP: return DropStatement(statement);
    case SQL_UNBIND: ReleaseDescriptorRecords(*statement->currentArd, true); return SQL_SUCCESS;
    case SQL_RESET_PARAMS: return ResetParameters(*statement);
    default: return SQL_SUCCESS;
  }
}

SQLRETURN CancelStatement(StatementHandle& statement) {
  statement.diagnostic.messageId = kMsgSuccess;
  if (statement.dataAtExecution == 0) return SQL_SUCCESS;
  if (statement.pendingOperation == kNoPendingOperation) return FreeStatement(&statement, SQL_CLOSE);
  CancelPositionedOperation(statement);
  return SQL_SUCCESS;
}

SQLRETURN CloseStatementCursor(StatementHandle& statement) {
  statement.diagnostic.messageId = kMsgSuccess;
  statement.diagnosticRowCount = 0;
  if (statement.statementKind == kStatementNone) {
    statement.diagnostic.messageId = kMsgInvalidCursorState;
    return SQL_ERROR;
  }
  return FreeStatement(&statement, SQL_CLOSE);
}

void ReleasePreparedState(StatementHandle& statement) {
  FreeParseTree(statement.parseTree);
  FreeSpecialStatement(statement.specialStatement);
  statement.specialStatement = nullptr;
  statement.prepared = 0;
}
