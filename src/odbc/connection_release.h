// The cores of SQLDisconnect and of freeing a connection handle: the
// connection's statements and application descriptors go here, before the
// connection layer lets go of the record and the handle.
#pragma once

#include <sql.h>

#include "common/message_ids.h"
#include "handles/handles.h"

// Drops every statement of the connection (newest first); on a failure the
// statement's diagnostic is copied to the connection and its result returned.
SQLRETURN DropConnectionStatements(ConnectionHandle& connection);
// SQLDisconnect: refuses while writes are pending (1061), drops the
// statements and deletes the connection record.
MessageId Disconnect(ConnectionHandle& connection);
// Drops the connection's statements, its connection record and its
// application descriptors and unlinks it from its environment; the caller
// then deletes the record. When a statement cannot be dropped, that result is
// returned with the statement's diagnostic on the connection, and the
// connection stays.
SQLRETURN ReleaseConnectionHandle(ConnectionHandle& connection);
// What SQLFreeHandle does: a connection still connected answers 1079
// (HY010) on itself and loses nothing, as the Driver Manager would have it;
// otherwise ReleaseConnectionHandle.
SQLRETURN ReleaseDisconnectedConnection(ConnectionHandle& connection);
// ReleaseConnectionHandle, then the record is deleted.
SQLRETURN FreeConnectionHandle(ConnectionHandle* connection);
