// SQLGetTypeInfo: opens the statement's result of type-information rows.
// The rows themselves come from the driver's type table as they are fetched.
#pragma once

#include <sql.h>

struct StatementHandle;

// Drops what an earlier prepare left and opens the type-information result
// for dataType (SQL_ALL_TYPES for every listed type; date-time codes in
// either ODBC form). 1007 while a result is open or data at execution is
// awaited.
SQLRETURN OpenTypeInfoResult(StatementHandle& statement, SQLSMALLINT dataType);
