// Exported parameter functions: binding, description and the ODBC 2 array
// form, each around its core.
#include <sql.h>
#include <sqlext.h>

#include "odbc/export_guard.h"
#include "odbc/exports/export_macros.h"
#include "odbc/parameter_binding.h"

HELVANE_EXPORT SQLRETURN SQL_API SQLBindParameter(SQLHSTMT StatementHandle, SQLUSMALLINT ParameterNumber,
                                                  SQLSMALLINT InputOutputType, SQLSMALLINT ValueType,
                                                  SQLSMALLINT ParameterType, SQLULEN ColumnSize,
                                                  SQLSMALLINT DecimalDigits, SQLPOINTER ParameterValuePtr,
                                                  SQLLEN BufferLength, SQLLEN* StrLen_or_IndPtr) {
  (void)DecimalDigits;  // the parameter's digits come from prepare, not from the application
  return GuardedStatementCall(StatementHandle, "SQLBindParameter", [&](::StatementHandle& statement) {
    return BindParameterCore(statement, ParameterNumber, InputOutputType, ValueType, ParameterType, ColumnSize,
                             ParameterValuePtr, BufferLength, StrLen_or_IndPtr);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLDescribeParam(SQLHSTMT StatementHandle, SQLUSMALLINT ParameterNumber,
                                                  SQLSMALLINT* DataTypePtr, SQLULEN* ParameterSizePtr,
                                                  SQLSMALLINT* DecimalDigitsPtr, SQLSMALLINT* NullablePtr) {
  return GuardedStatementCall(StatementHandle, "SQLDescribeParam", [&](::StatementHandle& statement) {
    return DescribeParameterCore(statement, ParameterNumber, DataTypePtr, ParameterSizePtr, DecimalDigitsPtr,
                                 NullablePtr);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLNumParams(SQLHSTMT StatementHandle, SQLSMALLINT* ParameterCountPtr) {
  return GuardedStatementCall(StatementHandle, "SQLNumParams", [&](::StatementHandle& statement) {
    return CountParametersCore(statement, ParameterCountPtr);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLParamOptions(SQLHSTMT StatementHandle, SQLULEN crow, SQLULEN* pirow) {
  return GuardedStatementCall(StatementHandle, "SQLParamOptions", [&](::StatementHandle& statement) {
    return ParameterOptionsCore(statement, crow, pirow);
  });
}
