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

MessageId PostWriteFailure(ConnectionRecord& record, const ApiCallRecord& call, const std::string& tableName,
                           std::size_t rows, const char* done) {
  if (!call.outcomeUnknown) return PostTableServiceFailure(record, call);
  std::string cause = call.errtext;
  if (!call.errdetail.empty()) cause += ": " + call.errdetail;
  return RecordTableFailure(record, kMsgOutcomeUnknown,
                            "the service may or may not have " + std::string(done) + " " + std::to_string(rows) +
                                (rows == 1 ? " row of '" : " rows of '") + tableName +
                                "'; they are not sent again (" + cause + ")");
}

MessageId RecordTableFailure(ConnectionRecord& record, MessageId id, const std::string& detail) {
  record.lastMessageId = id;
  record.lastMessageDetail = detail;
  record.lastMessageText = RenderMessage(id, detail, "").text;
  if (record.currentStatement != nullptr) record.currentStatement->diagnostic.detailText = detail;
  return id;
}
