// SQLBindCol: a column's buffers as a record of the statement's current
// application row descriptor, which every fetch fills.
#pragma once

#include <sql.h>

struct StatementHandle;

// Binds (or with a null target unbinds) the column; column 0 is the
// bookmark column. Column numbers are checked when rows are delivered. 1007
// during data at execution; 1092 a negative buffer length; 1001 when the
// record can't be made.
SQLRETURN BindColumn(StatementHandle& statement, SQLUSMALLINT column, SQLSMALLINT targetType, SQLPOINTER target,
                     SQLLEN bufferLength, SQLLEN* lengthOrIndicator);
