// Exported attribute and option functions of environments, connections and
// statements, ODBC 3 and ODBC 2 forms, and SQLSetScrollOptions.
#include <sql.h>
#include <sqlext.h>

#include "handles/handles.h"
#include "odbc/connection_attributes.h"
#include "odbc/environment_attributes.h"
#include "odbc/export_guard.h"
#include "odbc/exports/export_macros.h"
#include "handles/statement_handle.h"
#include "odbc/statement_attributes.h"

HELVANE_EXPORT SQLRETURN SQL_API SQLSetEnvAttr(SQLHENV EnvironmentHandle, SQLINTEGER Attribute, SQLPOINTER Value,
                                               SQLINTEGER StringLength) {
  (void)StringLength;
  if (EnvironmentHandle == nullptr) return SQL_INVALID_HANDLE;
  auto& environment = StartEnvironmentCall(EnvironmentHandle);
  return GuardedCall(&environment.diagnostic, "SQLSetEnvAttr", [&] {
    return FinishCall(environment.diagnostic, SetEnvironmentAttribute(environment, Attribute, Value));
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLGetEnvAttr(SQLHENV EnvironmentHandle, SQLINTEGER Attribute, SQLPOINTER Value,
                                               SQLINTEGER BufferLength, SQLINTEGER* StringLength) {
  (void)BufferLength;
  if (EnvironmentHandle == nullptr) return SQL_INVALID_HANDLE;
  auto& environment = StartEnvironmentCall(EnvironmentHandle);
  return GuardedCall(&environment.diagnostic, "SQLGetEnvAttr", [&] {
    return FinishCall(environment.diagnostic, GetEnvironmentAttribute(environment, Attribute, Value, StringLength));
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLSetConnectAttr(SQLHDBC ConnectionHandle, SQLINTEGER Attribute, SQLPOINTER Value,
                                                   SQLINTEGER StringLength) {
  if (ConnectionHandle == nullptr) return SQL_INVALID_HANDLE;
  auto& connection = StartConnectionCall(ConnectionHandle);
  return GuardedCall(&connection.diagnostic, "SQLSetConnectAttr", [&] {
    return FinishCall(connection.diagnostic, SetConnectionAttribute(connection, Attribute, Value, StringLength));
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLGetConnectAttr(SQLHDBC ConnectionHandle, SQLINTEGER Attribute, SQLPOINTER Value,
                                                   SQLINTEGER BufferLength, SQLINTEGER* StringLength) {
  if (ConnectionHandle == nullptr) return SQL_INVALID_HANDLE;
  auto& connection = StartConnectionCall(ConnectionHandle);
  return GuardedCall(&connection.diagnostic, "SQLGetConnectAttr", [&] {
    return FinishCall(connection.diagnostic,
                      GetConnectionAttribute(connection, Attribute, Value, BufferLength, StringLength));
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLSetConnectOption(SQLHDBC ConnectionHandle, SQLUSMALLINT Option, SQLULEN Value) {
  if (ConnectionHandle == nullptr) return SQL_INVALID_HANDLE;
  auto& connection = StartConnectionCall(ConnectionHandle);
  return GuardedCall(&connection.diagnostic, "SQLSetConnectOption", [&] {
    return FinishCall(connection.diagnostic, SetConnectionOption(connection, Option, Value));
  });
}

// ODBC 2 gives no buffer length: a text option's buffer holds
// SQL_MAX_OPTION_STRING_LENGTH bytes.
HELVANE_EXPORT SQLRETURN SQL_API SQLGetConnectOption(SQLHDBC ConnectionHandle, SQLUSMALLINT Option, SQLPOINTER Value) {
  if (ConnectionHandle == nullptr) return SQL_INVALID_HANDLE;
  auto& connection = StartConnectionCall(ConnectionHandle);
  return GuardedCall(&connection.diagnostic, "SQLGetConnectOption", [&] {
    ConnectionAnswer answer;
    MessageId id = GetConnectionOption(connection, Option, answer);
    if (id == kMsgSuccess) id = WriteConnectionAnswer(answer, Value, SQL_MAX_OPTION_STRING_LENGTH, nullptr);
    return FinishCall(connection.diagnostic, id);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLSetStmtAttr(SQLHSTMT StatementHandle, SQLINTEGER Attribute, SQLPOINTER Value,
                                                SQLINTEGER StringLength) {
  (void)StringLength;  // every statement attribute is an integer or a pointer
  if (StatementHandle == nullptr) return SQL_INVALID_HANDLE;
  auto& statement = StartStatementCall(StatementHandle);
  return GuardedCall(&statement.diagnostic, "SQLSetStmtAttr", [&] {
    return FinishCall(statement.diagnostic, SetStatementAttribute(statement, Attribute, Value));
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLSetStmtOption(SQLHSTMT StatementHandle, SQLUSMALLINT Option, SQLULEN Value) {
  if (StatementHandle == nullptr) return SQL_INVALID_HANDLE;
  auto& statement = StartStatementCall(StatementHandle);
  return GuardedCall(&statement.diagnostic, "SQLSetStmtOption", [&] {
    return FinishCall(statement.diagnostic, SetStatementOption(statement, Option, Value));
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLGetStmtOption(SQLHSTMT StatementHandle, SQLUSMALLINT Option, SQLPOINTER Value) {
  if (StatementHandle == nullptr) return SQL_INVALID_HANDLE;
  auto& statement = StartStatementCall(StatementHandle);
  return GuardedCall(&statement.diagnostic, "SQLGetStmtOption", [&] {
    SQLULEN answer = 0;
    MessageId id = GetStatementOption(statement, Option, answer);
    if (id == kMsgSuccess && Value != nullptr) *static_cast<SQLULEN*>(Value) = answer;
    return FinishCall(statement.diagnostic, id);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLSetScrollOptions(SQLHSTMT StatementHandle, SQLUSMALLINT fConcurrency,
                                                     SQLLEN crowKeyset, SQLUSMALLINT crowRowset) {
  if (StatementHandle == nullptr) return SQL_INVALID_HANDLE;
  auto& statement = StartStatementCall(StatementHandle);
  return GuardedCall(&statement.diagnostic, "SQLSetScrollOptions", [&] {
    return FinishCall(statement.diagnostic, SetScrollOptions(statement, fConcurrency, crowKeyset, crowRowset));
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLGetStmtAttr(SQLHSTMT StatementHandle, SQLINTEGER Attribute, SQLPOINTER Value,
                                                SQLINTEGER BufferLength, SQLINTEGER* StringLength) {
  if (StatementHandle == nullptr) return SQL_INVALID_HANDLE;
  auto& statement = StartStatementCall(StatementHandle);
  return GuardedCall(&statement.diagnostic, "SQLGetStmtAttr", [&] {
    return FinishCall(statement.diagnostic,
                      GetStatementAttribute(statement, Attribute, Value, BufferLength, StringLength));
  });
}
