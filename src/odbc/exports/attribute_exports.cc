// Exported attribute and option functions of environments, connections and
// statements, ODBC 3 and ODBC 2 forms, and SQLSetScrollOptions.
#include <sql.h>
#include <sqlext.h>

#include "odbc/connection_attributes.h"
#include "odbc/environment_attributes.h"
#include "odbc/export_guard.h"
#include "odbc/exports/export_macros.h"
#include "odbc/statement_attributes.h"

HELVANE_EXPORT SQLRETURN SQL_API SQLSetEnvAttr(SQLHENV EnvironmentHandle, SQLINTEGER Attribute, SQLPOINTER Value,
                                               SQLINTEGER StringLength) {
  (void)StringLength;  // every environment attribute is an integer
  return GuardedEnvironmentCall(EnvironmentHandle, "SQLSetEnvAttr", [&](::EnvironmentHandle& environment) {
    return SetEnvironmentAttribute(environment, Attribute, Value);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLGetEnvAttr(SQLHENV EnvironmentHandle, SQLINTEGER Attribute, SQLPOINTER Value,
                                               SQLINTEGER BufferLength, SQLINTEGER* StringLength) {
  (void)BufferLength;
  return GuardedEnvironmentCall(EnvironmentHandle, "SQLGetEnvAttr", [&](::EnvironmentHandle& environment) {
    return GetEnvironmentAttribute(environment, Attribute, Value, StringLength);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLSetConnectAttr(SQLHDBC ConnectionHandle, SQLINTEGER Attribute, SQLPOINTER Value,
                                                   SQLINTEGER StringLength) {
  return GuardedConnectionCall(ConnectionHandle, "SQLSetConnectAttr", [&](::ConnectionHandle& connection) {
    return SetConnectionAttribute(connection, Attribute, Value, StringLength);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLGetConnectAttr(SQLHDBC ConnectionHandle, SQLINTEGER Attribute, SQLPOINTER Value,
                                                   SQLINTEGER BufferLength, SQLINTEGER* StringLength) {
  return GuardedConnectionCall(ConnectionHandle, "SQLGetConnectAttr", [&](::ConnectionHandle& connection) {
    return GetConnectionAttribute(connection, Attribute, Value, BufferLength, StringLength);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLSetConnectOption(SQLHDBC ConnectionHandle, SQLUSMALLINT Option, SQLULEN Value) {
  return GuardedConnectionCall(ConnectionHandle, "SQLSetConnectOption", [&](::ConnectionHandle& connection) {
    return SetConnectionOption(connection, Option, Value);
  });
}

// ODBC 2 gives no buffer length: a text option's buffer holds
// SQL_MAX_OPTION_STRING_LENGTH bytes.
HELVANE_EXPORT SQLRETURN SQL_API SQLGetConnectOption(SQLHDBC ConnectionHandle, SQLUSMALLINT Option, SQLPOINTER Value) {
  return GuardedConnectionCall(ConnectionHandle, "SQLGetConnectOption", [&](::ConnectionHandle& connection) {
    ConnectionAnswer answer;
    MessageId id = GetConnectionOption(connection, Option, answer);
    if (id == kMsgSuccess) id = WriteConnectionAnswer(answer, Value, SQL_MAX_OPTION_STRING_LENGTH, nullptr);
    return id;
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLSetStmtAttr(SQLHSTMT StatementHandle, SQLINTEGER Attribute, SQLPOINTER Value,
                                                SQLINTEGER StringLength) {
  (void)StringLength;  // every statement attribute is an integer or a pointer
  return GuardedStatementCall(StatementHandle, "SQLSetStmtAttr", [&](::StatementHandle& statement) {
    return SetStatementAttribute(statement, Attribute, Value);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLSetStmtOption(SQLHSTMT StatementHandle, SQLUSMALLINT Option, SQLULEN Value) {
  return GuardedStatementCall(StatementHandle, "SQLSetStmtOption", [&](::StatementHandle& statement) {
    return SetStatementOption(statement, Option, Value);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLGetStmtOption(SQLHSTMT StatementHandle, SQLUSMALLINT Option, SQLPOINTER Value) {
  return GuardedStatementCall(StatementHandle, "SQLGetStmtOption", [&](::StatementHandle& statement) {
    SQLULEN answer = 0;
    MessageId id = GetStatementOption(statement, Option, answer);
    if (id == kMsgSuccess) WriteStatementOption(Option, answer, Value);
    return id;
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLSetScrollOptions(SQLHSTMT StatementHandle, SQLUSMALLINT fConcurrency,
                                                     SQLLEN crowKeyset, SQLUSMALLINT crowRowset) {
  return GuardedStatementCall(StatementHandle, "SQLSetScrollOptions", [&](::StatementHandle& statement) {
    return SetScrollOptions(statement, fConcurrency, crowKeyset, crowRowset);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLGetStmtAttr(SQLHSTMT StatementHandle, SQLINTEGER Attribute, SQLPOINTER Value,
                                                SQLINTEGER BufferLength, SQLINTEGER* StringLength) {
  return GuardedStatementCall(StatementHandle, "SQLGetStmtAttr", [&](::StatementHandle& statement) {
    return GetStatementAttribute(statement, Attribute, Value, BufferLength, StringLength);
  });
}
