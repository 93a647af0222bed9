// Held-back writes under the test's control, replacing table access's
// hooks: a failing commit posts a service error as a real flush does.
#include "controlled_pending_writes.h"

#include "common/diagnostics.h"
#include "handles/connection_record.h"
#include "tables/pending_writes.h"

ControlledWrites& Writes() {
  static ControlledWrites writes;
  return writes;
}

bool HasPendingWrites(const ConnectionRecord&) { return Writes().pending; }

MessageId CommitHeldWrites(ConnectionRecord& record) {
  ++Writes().commits;
  if (!Writes().commitFails) {
    Writes().pending = false;
    return kMsgSuccess;
  }
  if (Writes().partlyDone != nullptr) {
    record.lastMessageId = kMsgWritesPartlyDone;
    record.lastMessageDetail = Writes().partlyDone;
    return kMsgWritesPartlyDone;
  }
  ApiCallRecord call;
  call.errcode = "77";
  call.errtext = "Request limit exceeded";
  PostServerError(record, call);
  return kMsgServerError;
}

MessageId DiscardHeldWrites(ConnectionRecord&) {
  ++Writes().rollbacks;
  Writes().pending = false;
  return kMsgSuccess;
}

void NoteHeldWritesDropped(ConnectionRecord&, HandleDiagnostic&) {}

void SetHeldWriteSource(ConnectionRecord&, std::int32_t) {}

std::vector<std::int32_t> UnfinishedWriteRows(const ConnectionRecord&) { return {}; }
