// The cores of SQLAllocHandle and SQLFreeHandle: one entry for the four
// handle kinds, dispatching to the environment, connection, statement and
// descriptor lifecycles.
#pragma once

#include <sql.h>

struct HandleDiagnostic;

SQLRETURN AllocHandleByKind(SQLSMALLINT handleType, SQLHANDLE input, SQLHANDLE* output);
SQLRETURN FreeHandleByKind(SQLSMALLINT handleType, SQLHANDLE handle);

// The diagnostic an exported function given this handle reports through;
// nullptr for an unknown handle type.
HandleDiagnostic* DiagnosticOfHandle(SQLSMALLINT handleType, SQLHANDLE handle);
