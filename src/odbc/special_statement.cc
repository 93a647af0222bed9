// Recognising the statements answered without parsing, and the executor's
// services for them.
#include "odbc/special_statement.h"

#include <new>

#include "handles/connection_record.h"
#include "platform/text_fold.h"

namespace {

constexpr std::int32_t kDynamicSelectCursor = 85;
constexpr std::string_view kIdentityQuery = "select @@identity";

void ClearLastMessage(SpecialStatement& statement) {
  if (statement.connection != nullptr) statement.connection->lastMessageId = kMsgSuccess;
}

}  // namespace

MessageId FilterSpecialStatement(ConnectionRecord* connection, std::string_view text, SpecialStatement*& slot,
                                 std::string& rewritten) {
  // Only the exact texts: a leading blank or a terminating semicolon makes
  // them ordinary statements.
  if (text == kConfigurationProbe) return kConfigurationProbeRefused;
  if (!EqualFoldedAZ(text, kIdentityQuery)) return kNotSpecialStatement;
  slot = new (std::nothrow) SpecialStatement{kSpecialIdentity, connection};
  if (slot == nullptr) return kMsgOutOfMemory;
  rewritten += kIdentityTable;
  return kSpecialStatementFound;
}

std::uint16_t RunSpecialStatement(SpecialStatement& statement, std::int32_t& rowCount,
                                  std::int32_t& dynamicFunctionCode) {
  ClearLastMessage(statement);
  if (statement.kind == kSpecialIdentity) {
    rowCount = 1;
    dynamicFunctionCode = kDynamicSelectCursor;
  }
  return kMsgSuccess;
}

void FreeSpecialStatement(SpecialStatement* statement) {
  if (statement == nullptr) return;
  ClearLastMessage(*statement);
  delete statement;
}
