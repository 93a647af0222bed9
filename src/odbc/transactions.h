// Ending a connection's transaction: the cores behind SQLEndTran and
// SQLTransact, also run when a writable result is closed under autocommit
// and when autocommit is switched on.
#pragma once

#include <sql.h>

#include "common/message_ids.h"
#include "handles/handles.h"

// With a connection: commit (0) or roll back (1) that connection. With only
// an environment: each of its connections, stopping at the first failure.
// Any other completion type ends nothing: 1093 (HY012) on the handle.
SQLRETURN EndTransaction(EnvironmentHandle* environment, ConnectionHandle* connection,
                         SQLSMALLINT completionType);

// EndTransaction on one connection, the failure's diagnostic also copied to
// the environment.
SQLRETURN EndTransactionForEnvironment(EnvironmentHandle& environment, ConnectionHandle& connection,
                                       SQLSMALLINT completionType);

// The environment's walk over its connections in list order; gate(connection,
// work) runs work() where that connection may be touched (the export wrapper
// takes the connection's lock around it).
template <typename Gate>
SQLRETURN EndEnvironmentTransaction(EnvironmentHandle& environment, SQLSMALLINT completionType, Gate&& gate) {
  ClearDiagnostic(environment.diagnostic);
  if (completionType != SQL_COMMIT && completionType != SQL_ROLLBACK) {
    SetDiagnostic(environment.diagnostic, kMsgInvalidTransactionCode);
    return SQL_ERROR;
  }
  for (ConnectionHandle* each = environment.firstConnection; each != nullptr; each = each->nextConnection) {
    SQLRETURN result =
        gate(*each, [&] { return EndTransactionForEnvironment(environment, *each, completionType); });
    if (result != SQL_SUCCESS && result != SQL_SUCCESS_WITH_INFO) return SQL_ERROR;
  }
  return SQL_SUCCESS;
}

// The SQLEndTran core: an environment or a connection ends its transactions;
// a statement or descriptor handle gets 1084; any other handle type fails.
SQLRETURN EndTransactionByHandle(SQLSMALLINT handleType, SQLHANDLE handle, SQLSMALLINT completionType);

// Closes every cursor of the connection, then sends (commit) or drops
// (rollback) the held-back writes. 0, or the failure's id with its text in
// the connection's message text.
MessageId EndConnectionTransaction(ConnectionHandle& connection, bool commit);

// Under autocommit, after a failed commit: the writes the service did not
// take are dropped, so that they hold up no later statement and no
// disconnect, and the commit's diagnostic on the connection says so. The
// rows the service took stay, since its API has no rollback.
void DropUnsentWrites(ConnectionHandle& connection);
