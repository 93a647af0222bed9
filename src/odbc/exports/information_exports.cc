// Exported information functions: SQLGetInfo and SQLGetFunctions on a
// connection, SQLGetTypeInfo on a statement, each around its core.
#include <sql.h>

#include "odbc/driver_information.h"
#include "odbc/export_guard.h"
#include "odbc/exports/export_macros.h"
#include "odbc/supported_functions.h"
#include "odbc/type_info_result.h"

HELVANE_EXPORT SQLRETURN SQL_API SQLGetInfo(SQLHDBC ConnectionHandle, SQLUSMALLINT InfoType, SQLPOINTER InfoValuePtr,
                                            SQLSMALLINT BufferLength, SQLSMALLINT* StringLengthPtr) {
  return GuardedConnectionCall(ConnectionHandle, "SQLGetInfo", [&](::ConnectionHandle& connection) {
    return GetInfoValue(connection, InfoType, InfoValuePtr, BufferLength, StringLengthPtr);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLGetFunctions(SQLHDBC ConnectionHandle, SQLUSMALLINT FunctionId,
                                                 SQLUSMALLINT* SupportedPtr) {
  return GuardedConnectionCall(ConnectionHandle, "SQLGetFunctions", [&](::ConnectionHandle& connection) {
    return FillSupportedFunctions(connection, FunctionId, SupportedPtr);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLGetTypeInfo(SQLHSTMT StatementHandle, SQLSMALLINT DataType) {
  return GuardedStatementCall(StatementHandle, "SQLGetTypeInfo",
                              [&](::StatementHandle& statement) { return OpenTypeInfoResult(statement, DataType); });
}
