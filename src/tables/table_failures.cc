// Recording table-access failures on the connection record for
// GetConnectionErrorText and the statement's diagnostic.
#include "tables/table_failures.h"

#include "common/diagnostics.h"
#include "handles/api_call_record.h"
#include "handles/connection_record.h"
#include "handles/statement_handle.h"

MessageId PostTableServiceFailure(ConnectionRecord& record, const ApiCallRecord& call) {
  PostServerError(record, call);
  return kMsgServerError;
}

MessageId RecordTableFailure(ConnectionRecord& record, MessageId id, const std::string& detail) {
  record.lastMessageId = id;
  record.lastMessageDetail = detail;
  record.lastMessageText = RenderMessage(id, detail, "").text;
  if (record.currentStatement != nullptr) record.currentStatement->diagnostic.detailText = detail;
  return id;
}
