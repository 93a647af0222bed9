// Reading a handle's diagnostic: the cores of SQLGetDiagField, SQLGetDiagRec
// and SQLError. The SQLSTATE follows the environment's ODBC version.
#pragma once

#include <sql.h>

SQLRETURN GetDiagnosticField(SQLSMALLINT handleType, SQLHANDLE handle, SQLSMALLINT recordNumber,
                             SQLSMALLINT identifier, SQLPOINTER value, SQLSMALLINT bufferLength,
                             SQLSMALLINT* stringLength);

SQLRETURN GetDiagnosticRecord(SQLSMALLINT handleType, SQLHANDLE handle, SQLSMALLINT recordNumber,
                              SQLCHAR* sqlState, SQLINTEGER* nativeError, SQLCHAR* messageText,
                              SQLSMALLINT bufferLength, SQLSMALLINT* textLength);

// Reports the diagnostic of the statement, else the connection, else the
// environment, once: reading it clears the message id.
SQLRETURN ReportHandleError(SQLHENV environment, SQLHDBC connection, SQLHSTMT statement, SQLCHAR* sqlState,
                            SQLINTEGER* nativeError, SQLCHAR* messageText, SQLSMALLINT bufferLength,
                            SQLSMALLINT* textLength);
