// Ending a connection's transaction: the cores behind SQLEndTran and
// SQLTransact, also run when a writable result is closed under autocommit
// and when autocommit is switched on.
#pragma once

#include <sql.h>

#include "common/message_ids.h"

struct ConnectionHandle;
struct EnvironmentHandle;

// With a connection: commit (0) or roll back (1) that connection; another
// completion type does nothing. With only an environment: each of its
// connections, stopping at the first failure.
SQLRETURN EndTransaction(EnvironmentHandle* environment, ConnectionHandle* connection,
                         SQLSMALLINT completionType);

// The SQLEndTran core: an environment or a connection ends its transactions;
// a statement or descriptor handle gets 1084; any other handle type fails.
SQLRETURN EndTransactionByHandle(SQLSMALLINT handleType, SQLHANDLE handle, SQLSMALLINT completionType);

// Closes every cursor of the connection, then sends (commit) or drops
// (rollback) the held-back writes. 0, or the failure's id with its text in
// the connection's message text.
MessageId EndConnectionTransaction(ConnectionHandle& connection, bool commit);
