// Disconnecting and freeing connections: statements and application
// descriptors first, then the connection layer's record and list.
#include "odbc/connection_release.h"

#include "connection/connect_routine.h"
#include "connection/handle_lifecycle.h"
#include "handles/statement_handle.h"
#include "odbc/descriptor_lifecycle.h"
#include "odbc/statement_free.h"
#include "tables/pending_writes.h"

SQLRETURN DropConnectionStatements(ConnectionHandle& connection) {
  while (StatementHandle* statement = connection.firstStatement) {
    SQLRETURN result = FreeStatement(statement, SQL_DROP);
    if (result == SQL_SUCCESS || result == SQL_SUCCESS_WITH_INFO) continue;
    connection.diagnostic.messageId = statement->diagnostic.messageId;
    CopyMessageTexts(connection.diagnostic, statement->diagnostic);
    return result;
  }
  return SQL_SUCCESS;
}

MessageId Disconnect(ConnectionHandle& connection) {
  if (connection.record == nullptr) return kMsgConnectionNotOpen;
  // Dropping held-back writes would lose them silently; the application
  // must commit or roll back first.
  if (HasPendingWrites(*connection.record)) return kMsgTransactionActive;
  if (DropConnectionStatements(connection) != SQL_SUCCESS) return connection.diagnostic.messageId;
  CloseConnectionRecord(connection);
  return kMsgSuccess;
}

SQLRETURN ReleaseConnectionHandle(ConnectionHandle& connection) {
  ClearDiagnostic(connection.diagnostic);
  SQLRETURN result = DropConnectionStatements(connection);
  if (result != SQL_SUCCESS) return result;
  CloseConnectionRecord(connection);
  FreeApplicationDescriptors(connection);
  UnlinkConnection(connection);
  return SQL_SUCCESS;
}

SQLRETURN ReleaseDisconnectedConnection(ConnectionHandle& connection) {
  ClearDiagnostic(connection.diagnostic);
  if (connection.record != nullptr) {
    SetDiagnostic(connection.diagnostic, kMsgFunctionSequence);
    return SQL_ERROR;
  }
  return ReleaseConnectionHandle(connection);
}

SQLRETURN FreeConnectionHandle(ConnectionHandle* connection) {
  SQLRETURN result = ReleaseConnectionHandle(*connection);
  if (result == SQL_SUCCESS) delete connection;
  return result;
}
