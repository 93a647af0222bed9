// Exported result-set description functions: SQLNumResultCols,
// SQLDescribeCol, SQLColAttribute, SQLColAttributes and SQLMoreResults.
// Each goes through the guarded statement call (export_guard.h).
#include <sql.h>
#include <sqlext.h>

#include "odbc/column_attribute_fields.h"
#include "odbc/column_attributes.h"
#include "odbc/export_guard.h"
#include "odbc/exports/export_macros.h"
#include "odbc/more_results.h"

HELVANE_EXPORT SQLRETURN SQL_API SQLNumResultCols(SQLHSTMT StatementHandle, SQLSMALLINT* ColumnCountPtr) {
  return GuardedStatementCall(StatementHandle, "SQLNumResultCols", [&](::StatementHandle& statement) -> SQLRETURN {
    if (ColumnCountPtr == nullptr) return SQL_SUCCESS;
    return CountResultColumns(statement, ColumnCountPtr);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLDescribeCol(SQLHSTMT StatementHandle, SQLUSMALLINT ColumnNumber,
                                                SQLCHAR* ColumnName, SQLSMALLINT BufferLength,
                                                SQLSMALLINT* NameLengthPtr, SQLSMALLINT* DataTypePtr,
                                                SQLULEN* ColumnSizePtr, SQLSMALLINT* DecimalDigitsPtr,
                                                SQLSMALLINT* NullablePtr) {
  return GuardedStatementCall(StatementHandle, "SQLDescribeCol", [&](::StatementHandle& statement) {
    return DescribeResultColumn(statement, ColumnNumber, ColumnName, BufferLength, NameLengthPtr, DataTypePtr,
                                ColumnSizePtr, DecimalDigitsPtr, NullablePtr);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLColAttribute(SQLHSTMT StatementHandle, SQLUSMALLINT ColumnNumber,
                                                 SQLUSMALLINT FieldIdentifier, SQLPOINTER CharacterAttributePtr,
                                                 SQLSMALLINT BufferLength, SQLSMALLINT* StringLengthPtr,
                                                 SQLLEN* NumericAttributePtr) {
  return GuardedStatementCall(StatementHandle, "SQLColAttribute", [&](::StatementHandle& statement) {
    return ColumnAttributeCore(statement, ColumnNumber, FieldIdentifier, CharacterAttributePtr, BufferLength,
                               StringLengthPtr, NumericAttributePtr);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLColAttributes(SQLHSTMT StatementHandle, SQLUSMALLINT ColumnNumber,
                                                  SQLUSMALLINT FieldIdentifier, SQLPOINTER CharacterAttributePtr,
                                                  SQLSMALLINT BufferLength, SQLSMALLINT* StringLengthPtr,
                                                  SQLLEN* NumericAttributePtr) {
  return GuardedStatementCall(StatementHandle, "SQLColAttributes", [&](::StatementHandle& statement) {
    return GetColumnAttribute(statement, ColumnNumber, FieldIdentifier, static_cast<SQLCHAR*>(CharacterAttributePtr),
                              BufferLength, StringLengthPtr, NumericAttributePtr);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLMoreResults(SQLHSTMT StatementHandle) {
  return GuardedStatementCall(StatementHandle, "SQLMoreResults",
                              [](::StatementHandle& statement) { return MoreResults(statement); });
}
