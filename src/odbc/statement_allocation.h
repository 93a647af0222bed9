// Creating a statement on a connection (SQLAllocHandle, SQLAllocStmt) and
// destroying its record once SQL_DROP has released what it holds.
#pragma once

#include <sql.h>

struct ConnectionHandle;
struct StatementHandle;

// A new statement at the head of the connection's list, its four embedded
// descriptors on the connection's descriptor list; 1001 on the connection
// when memory runs out.
SQLRETURN AllocateStatement(ConnectionHandle& connection, StatementHandle** out);

// Unlinks the statement and its embedded descriptors from the connection and
// frees it; application descriptors on the list keep their order.
void DestroyStatementHandle(StatementHandle* statement);
