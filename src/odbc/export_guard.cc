// Return codes of the exported functions.
#include "odbc/export_guard.h"

#include <cstring>

#include "platform/message_resources.h"

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
