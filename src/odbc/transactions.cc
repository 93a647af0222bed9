// Transaction completion on a connection and on a whole environment. The
// held-back writes are table access's write cache, reached through the
// pending-writes hooks of the connection layer.
#include "odbc/transactions.h"

#include "common/diagnostics.h"
#include "handles/connection_record.h"
#include "handles/handles.h"
#include "handles/statement_handle.h"
#include "odbc/descriptor_lifecycle.h"
#include "odbc/statement_free.h"
#include "tables/pending_writes.h"

namespace {

void CloseConnectionCursors(ConnectionHandle& connection, bool deletePrepared) {
  for (StatementHandle* statement = connection.firstStatement; statement != nullptr;
       statement = statement->nextStatement) {
    // Kind 0 first, so the close does not try to commit once more. Ending a
    // transaction is a call on the connection, not on its statements: each
    // keeps what its own last call left for SQLGetDiagRec, which another
    // thread may be about to read.
    statement->statementKind = kStatementNone;
    const MessageId kept = statement->diagnostic.messageId;
    const std::int32_t keptRowCount = statement->diagnosticRowCount;
    FreeStatement(statement, SQL_CLOSE);
    statement->diagnostic.messageId = kept;
    statement->diagnosticRowCount = keptRowCount;
    if (!deletePrepared || statement->parseTree == nullptr) continue;
    ReleasePreparedState(*statement);
  }
}

SQLRETURN EndOneConnection(ConnectionHandle& connection, SQLSMALLINT completionType) {
  ClearDiagnostic(connection.diagnostic);
  if (completionType != SQL_COMMIT && completionType != SQL_ROLLBACK) {
    SetDiagnostic(connection.diagnostic, kMsgInvalidTransactionCode);
    return SQL_ERROR;
  }
  MessageId id = EndConnectionTransaction(connection, completionType == SQL_COMMIT);
  connection.diagnostic.messageId = id;
  return id == kMsgSuccess ? SQL_SUCCESS : SQL_ERROR;
}

}  // namespace

MessageId EndConnectionTransaction(ConnectionHandle& connection, bool commit) {
  ConnectionRecord* record = connection.record;
  if (record == nullptr || record->transactionCapability == 0) return kMsgSuccess;
  CloseConnectionCursors(connection, record->commitDeletesPrepared != 0);
  MessageId id = commit ? CommitHeldWrites(*record) : DiscardHeldWrites(*record);
  if (id != kMsgSuccess) {
    GetConnectionErrorText(*record, connection.diagnostic.messageText);
    if (id != kMsgServerError) connection.diagnostic.detailText = record->lastMessageDetail;
    return id;
  }
  for (StatementHandle* statement = connection.firstStatement; statement != nullptr;
       statement = statement->nextStatement) {
    statement->transactionFlags[0] = 0;
    statement->transactionFlags[1] = 0;
  }
  return kMsgSuccess;
}

void DropUnsentWrites(ConnectionHandle& connection) {
  EndConnectionTransaction(connection, false);
  NoteHeldWritesDropped(*connection.record, connection.diagnostic);
}

SQLRETURN EndTransaction(EnvironmentHandle* environment, ConnectionHandle* connection,
                         SQLSMALLINT completionType) {
  if (connection != nullptr) return EndOneConnection(*connection, completionType);
  if (environment == nullptr) return SQL_INVALID_HANDLE;
  return EndEnvironmentTransaction(*environment, completionType,
                                   [](ConnectionHandle&, auto work) { return work(); });
}

SQLRETURN EndTransactionForEnvironment(EnvironmentHandle& environment, ConnectionHandle& connection,
                                       SQLSMALLINT completionType) {
  SQLRETURN result = EndOneConnection(connection, completionType);
  if (result != SQL_SUCCESS && result != SQL_SUCCESS_WITH_INFO) {
    environment.diagnostic.messageId = connection.diagnostic.messageId;
    CopyMessageTexts(environment.diagnostic, connection.diagnostic);
  }
  return result;
}

SQLRETURN EndTransactionByHandle(SQLSMALLINT handleType, SQLHANDLE handle, SQLSMALLINT completionType) {
  switch (handleType) {
    case SQL_HANDLE_ENV: return EndTransaction(static_cast<EnvironmentHandle*>(handle), nullptr, completionType);
    case SQL_HANDLE_DBC: return EndTransaction(nullptr, static_cast<ConnectionHandle*>(handle), completionType);
    case SQL_HANDLE_STMT:
      SetDiagnostic(static_cast<StatementHandle*>(handle)->diagnostic, kMsgInvalidAttribute);
      return SQL_ERROR;
    case SQL_HANDLE_DESC:
      SetDiagnostic(static_cast<DescriptorHandle*>(handle)->diagnostic, kMsgInvalidAttribute);
      return SQL_ERROR;
    default: return SQL_ERROR;
  }
}
