// Exported diagnostic functions: SQLGetDiagRec, SQLGetDiagField, SQLError.
// Reading a diagnostic never records one, so their catch-alls only return
// SQL_ERROR.
#include <sql.h>

#include "odbc/diagnostic_fields.h"
#include "odbc/export_guard.h"
#include "odbc/exports/export_macros.h"

HELVANE_EXPORT SQLRETURN SQL_API SQLGetDiagRec(SQLSMALLINT HandleType, SQLHANDLE Handle, SQLSMALLINT RecNumber,
                                               SQLCHAR* Sqlstate, SQLINTEGER* NativeError, SQLCHAR* MessageText,
                                               SQLSMALLINT BufferLength, SQLSMALLINT* TextLength) {
  return GuardedDiagnosticRead(HandleType, Handle, "SQLGetDiagRec", [&] {
    return GetDiagnosticRecord(HandleType, Handle, RecNumber, Sqlstate, NativeError, MessageText, BufferLength,
                               TextLength);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLGetDiagField(SQLSMALLINT HandleType, SQLHANDLE Handle, SQLSMALLINT RecNumber,
                                                 SQLSMALLINT DiagIdentifier, SQLPOINTER DiagInfo,
                                                 SQLSMALLINT BufferLength, SQLSMALLINT* StringLength) {
  return GuardedDiagnosticRead(HandleType, Handle, "SQLGetDiagField", [&] {
    return GetDiagnosticField(HandleType, Handle, RecNumber, DiagIdentifier, DiagInfo, BufferLength, StringLength);
  });
}

// The statement's diagnostic, else the connection's, else the environment's.
HELVANE_EXPORT SQLRETURN SQL_API SQLError(SQLHENV EnvironmentHandle, SQLHDBC ConnectionHandle,
                                          SQLHSTMT StatementHandle, SQLCHAR* Sqlstate, SQLINTEGER* NativeError,
                                          SQLCHAR* MessageText, SQLSMALLINT BufferLength, SQLSMALLINT* TextLength) {
  SQLSMALLINT handleType = StatementHandle != nullptr    ? SQL_HANDLE_STMT
                           : ConnectionHandle != nullptr ? SQL_HANDLE_DBC
                                                         : SQL_HANDLE_ENV;
  SQLHANDLE handle = StatementHandle != nullptr    ? StatementHandle
                     : ConnectionHandle != nullptr ? ConnectionHandle
                                                   : EnvironmentHandle;
  return GuardedDiagnosticRead(handleType, handle, "SQLError", [&] {
    return ReportHandleError(EnvironmentHandle, ConnectionHandle, StatementHandle, Sqlstate, NativeError,
                             MessageText, BufferLength, TextLength);
  });
}
