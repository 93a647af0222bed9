// SQLMoreResults: a statement never has a second result set, so asking for
// one closes the cursor.
#pragma once

#include <sql.h>

struct StatementHandle;

// SQL_NO_DATA once the cursor is closed, or the failure of the close (its
// commit under autocommit).
SQLRETURN MoreResults(StatementHandle& statement);
