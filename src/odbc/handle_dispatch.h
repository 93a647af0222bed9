// The cores of SQLAllocHandle and SQLFreeHandle: one entry for the four
// handle kinds, dispatching to the environment, connection, statement and
// descriptor lifecycles.
#pragma once

#include <sql.h>

SQLRETURN AllocHandleByKind(SQLSMALLINT handleType, SQLHANDLE input, SQLHANDLE* output);
SQLRETURN FreeHandleByKind(SQLSMALLINT handleType, SQLHANDLE handle);
