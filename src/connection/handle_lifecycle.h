// Allocation and release of environment and connection handles, behind
// SQLAllocHandle and SQLFreeHandle of the ODBC layer.
#pragma once

#include <sql.h>

#include "handles/handles.h"

// A new environment (ODBC version 3); SQL_ERROR when memory runs out.
SQLRETURN AllocEnvironmentHandle(EnvironmentHandle** out);
// A new connection on the environment's list; 1001 on the environment when
// memory runs out.
SQLRETURN AllocConnectionHandle(EnvironmentHandle& environment, ConnectionHandle** out);
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
// Frees the environment; while connections remain on it, 1079 (HY010) on the
// environment and nothing changes.
SQLRETURN FreeEnvironmentHandle(EnvironmentHandle* environment);

// Drops every statement of the connection (newest first); on a failure the
// statement's diagnostic is copied to the connection and its result returned.
SQLRETURN DropConnectionStatements(ConnectionHandle& connection);
