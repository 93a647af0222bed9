// Environment and connection handles: allocation, linking and release.
#include "connection/handle_lifecycle.h"
#include "common/message_ids.h"

#include <new>

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
