// Entry, return codes and diagnostics of the exported functions.
#include "odbc/export_guard.h"

#include <cstring>

#include "handles/handles.h"
#include "handles/statement_handle.h"
#include "platform/message_resources.h"

EnvironmentHandle& StartEnvironmentCall(SQLHENV handle) {
  auto& environment = *static_cast<EnvironmentHandle*>(handle);
  ClearDiagnostic(environment.diagnostic);
  return environment;
}

ConnectionHandle& StartConnectionCall(SQLHDBC handle) {
  auto& connection = *static_cast<ConnectionHandle*>(handle);
  ClearDiagnostic(connection.diagnostic);
  return connection;
}

StatementHandle& StartStatementCall(SQLHSTMT handle) {
  auto& statement = *static_cast<StatementHandle*>(handle);
  ClearDiagnostic(statement.diagnostic);
  statement.diagnosticRowCount = 0;
  return statement;
}

SQLRETURN ReturnCodeFor(MessageId id) {
  if (id == kMsgSuccess) return SQL_SUCCESS;
  const char* text = LoadMessageResource(id);
  bool warning = text != nullptr && std::strlen(text) >= 12 && text[6] == '0' && text[7] == '1';
  return warning ? SQL_SUCCESS_WITH_INFO : SQL_ERROR;
}

SQLRETURN FinishCall(HandleDiagnostic& diagnostic, MessageId id) {
  if (id != kMsgSuccess && diagnostic.messageId != id) SetDiagnostic(diagnostic, id);
  return ReturnCodeFor(id);
}
