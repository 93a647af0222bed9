// The executor's services for statements answered without parsing.
#include "odbc/special_statement.h"

#include "common/message_ids.h"
#include "handles/connection_record.h"

namespace {

constexpr std::int32_t kDynamicSelectCursor = 85;

void ClearLastMessage(SpecialStatement& statement) {
  if (statement.connection != nullptr) statement.connection->lastMessageId = kMsgSuccess;
}

}  // namespace

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
