// The SQLFreeStmt core and the cores of SQLCancel and SQLCloseCursor, which
// close, unbind, reset or drop a statement. Transactions and the freeing of
// a connection call FreeStatement too.
#pragma once

#include <sql.h>

struct StatementHandle;

// SQL_CLOSE, SQL_DROP, SQL_UNBIND, SQL_RESET_PARAMS; other options succeed
// without effect. SQL_DROP frees the statement only when its close succeeded.
SQLRETURN FreeStatement(StatementHandle* statement, SQLUSMALLINT option);
SQLRETURN CancelStatement(StatementHandle& statement);
SQLRETURN CloseStatementCursor(StatementHandle& statement);
// The statement's parse tree and special statement go; it is no longer
// prepared.
void ReleasePreparedState(StatementHandle& statement);
