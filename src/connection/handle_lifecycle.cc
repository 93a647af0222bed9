// Environment and connection handles: allocation, linking and release.
#include "connection/handle_lifecycle.h"
#include "common/message_ids.h"

#include <new>

#include "handles/connection_record.h"
#include "handles/statement_handle.h"
#include "odbc/descriptor_lifecycle.h"
#include "odbc/statement_free.h"

namespace {

void UnlinkConnection(ConnectionHandle& connection) {
  EnvironmentHandle* environment = connection.environment;
  if (environment == nullptr) return;
  for (ConnectionHandle** link = &environment->firstConnection; *link != nullptr; link = &(*link)->nextConnection) {
    if (*link == &connection) {
      *link = connection.nextConnection;
      return;
    }
  }
}

}  // namespace

SQLRETURN AllocEnvironmentHandle(EnvironmentHandle** out) {
  auto* environment = new (std::nothrow) EnvironmentHandle;
  if (environment == nullptr) return SQL_ERROR;
  *out = environment;
  return SQL_SUCCESS;
}

SQLRETURN AllocConnectionHandle(EnvironmentHandle& environment, ConnectionHandle** out) {
  ClearDiagnostic(environment.diagnostic);
  auto* connection = new (std::nothrow) ConnectionHandle;
  if (connection == nullptr) {
    SetDiagnostic(environment.diagnostic, kMsgMemoryAllocation);
    return SQL_ERROR;
  }
  connection->environment = &environment;
  connection->nextConnection = environment.firstConnection;
  environment.firstConnection = connection;
  *out = connection;
  return SQL_SUCCESS;
}

SQLRETURN DropConnectionStatements(ConnectionHandle& connection) {
  while (StatementHandle* statement = connection.firstStatement) {
    SQLRETURN result = FreeStatement(statement, SQL_DROP);
    if (result == SQL_SUCCESS || result == SQL_SUCCESS_WITH_INFO) continue;
    connection.diagnostic.messageId = statement->diagnostic.messageId;
    connection.diagnostic.detailText = statement->diagnostic.detailText;
    connection.diagnostic.messageText = statement->diagnostic.messageText;
    return result;
  }
  return SQL_SUCCESS;
}

SQLRETURN ReleaseConnectionHandle(ConnectionHandle& connection) {
  ClearDiagnostic(connection.diagnostic);
  SQLRETURN result = DropConnectionStatements(connection);
  if (result != SQL_SUCCESS) return result;
  delete connection.record;
  connection.record = nullptr;
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

SQLRETURN FreeEnvironmentHandle(EnvironmentHandle* environment) {
  ClearDiagnostic(environment->diagnostic);
  // Freeing the connections here would pull handles from under an
  // application that still holds them.
  if (environment->firstConnection != nullptr) {
    SetDiagnostic(environment->diagnostic, kMsgFunctionSequence);
    return SQL_ERROR;
  }
  delete environment;
  return SQL_SUCCESS;
}
