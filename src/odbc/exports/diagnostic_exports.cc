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
  if (Handle == nullptr) return SQL_INVALID_HANDLE;
  return GuardedCall(nullptr, "SQLGetDiagRec", [&] {
    return GetDiagnosticRecord(HandleType, Handle, RecNumber, Sqlstate, NativeError, MessageText, BufferLength,
                               TextLength);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLGetDiagField(SQLSMALLINT HandleType, SQLHANDLE Handle, SQLSMALLINT RecNumber,
                                                 SQLSMALLINT DiagIdentifier, SQLPOINTER DiagInfo,
                                                 SQLSMALLINT BufferLength, SQLSMALLINT* StringLength) {
  if (Handle == nullptr) return SQL_INVALID_HANDLE;
  return GuardedCall(nullptr, "SQLGetDiagField", [&] {
    return GetDiagnosticField(HandleType, Handle, RecNumber, DiagIdentifier, DiagInfo, BufferLength, StringLength);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLError(SQLHENV EnvironmentHandle, SQLHDBC ConnectionHandle,
                                          SQLHSTMT StatementHandle, SQLCHAR* Sqlstate, SQLINTEGER* NativeError,
                                          SQLCHAR* MessageText, SQLSMALLINT BufferLength, SQLSMALLINT* TextLength) {
  return GuardedCall(nullptr, "SQLError", [&] {
    return ReportHandleError(EnvironmentHandle, ConnectionHandle, StatementHandle, Sqlstate, NativeError,
                             MessageText, BufferLength, TextLength);
  });
}
