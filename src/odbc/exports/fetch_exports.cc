// Exported fetch and data functions: SQLBindCol, SQLFetch, SQLFetchScroll,
// SQLExtendedFetch and SQLGetData, each through the guarded statement call
// (export_guard.h).
#include <sql.h>
#include <sqlext.h>

#include "odbc/column_binding.h"
#include "odbc/column_data.h"
#include "odbc/export_guard.h"
#include "odbc/exports/export_macros.h"
#include "odbc/row_fetch.h"

HELVANE_EXPORT SQLRETURN SQL_API SQLBindCol(SQLHSTMT StatementHandle, SQLUSMALLINT ColumnNumber,
                                            SQLSMALLINT TargetType, SQLPOINTER TargetValuePtr, SQLLEN BufferLength,
                                            SQLLEN* StrLen_or_IndPtr) {
  return GuardedStatementCall(StatementHandle, "SQLBindCol", [&](::StatementHandle& statement) {
    return BindColumn(statement, ColumnNumber, TargetType, TargetValuePtr, BufferLength, StrLen_or_IndPtr);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLFetch(SQLHSTMT StatementHandle) {
  return GuardedStatementCall(StatementHandle, "SQLFetch",
                              [](::StatementHandle& statement) { return FetchRow(statement); });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLFetchScroll(SQLHSTMT StatementHandle, SQLSMALLINT FetchOrientation,
                                                SQLLEN FetchOffset) {
  return GuardedStatementCall(StatementHandle, "SQLFetchScroll", [&](::StatementHandle& statement) {
    return FetchScroll(statement, static_cast<std::uint16_t>(FetchOrientation), FetchOffset);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLExtendedFetch(SQLHSTMT StatementHandle, SQLUSMALLINT FetchOrientation,
                                                  SQLLEN FetchOffset, SQLULEN* RowCountPtr,
                                                  SQLUSMALLINT* RowStatusArray) {
  return GuardedStatementCall(StatementHandle, "SQLExtendedFetch", [&](::StatementHandle& statement) {
    return ExtendedFetch(statement, FetchOrientation, FetchOffset, RowCountPtr, RowStatusArray);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLGetData(SQLHSTMT StatementHandle, SQLUSMALLINT Col_or_Param_Num,
                                            SQLSMALLINT TargetType, SQLPOINTER TargetValuePtr, SQLLEN BufferLength,
                                            SQLLEN* StrLen_or_IndPtr) {
  return GuardedStatementCall(StatementHandle, "SQLGetData", [&](::StatementHandle& statement) {
    return GetData(statement, Col_or_Param_Num, TargetType, TargetValuePtr, BufferLength, StrLen_or_IndPtr);
  });
}
