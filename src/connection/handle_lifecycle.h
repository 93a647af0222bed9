// Allocation and release of environment and connection handles, behind
// SQLAllocHandle and SQLFreeHandle of the ODBC layer, which frees a
// connection's statements and descriptors before its handle.
#pragma once

#include <sql.h>

#include "handles/handles.h"

// A new environment (ODBC version 3); SQL_ERROR when memory runs out.
SQLRETURN AllocEnvironmentHandle(EnvironmentHandle** out);
// A new connection on the environment's list; 1001 on the environment when
// memory runs out.
SQLRETURN AllocConnectionHandle(EnvironmentHandle& environment, ConnectionHandle** out);
// Takes the connection off its environment's list: the last step of freeing
// a connection handle, which the ODBC layer takes once the connection's
// statements, record and application descriptors are gone. The caller then
// deletes the handle.
void UnlinkConnection(ConnectionHandle& connection);
// Frees the environment; while connections remain on it, 1079 (HY010) on the
// environment and nothing changes.
SQLRETURN FreeEnvironmentHandle(EnvironmentHandle* environment);
