// The connection's held-back writes as transactions, statement execution and
// disconnecting see them: whether any are pending, sending or dropping them,
// and which parameter rows a failed send leaves unfinished.
#pragma once

#include <cstdint>
#include <vector>

#include "common/message_ids.h"

struct ConnectionRecord;
struct HandleDiagnostic;

// True while CSV batches or deletions wait for a commit.
bool HasPendingWrites(const ConnectionRecord& record);
// Sends every held-back write; 0, or the failure's id (999 already posted,
// 1096 with its detail on the record).
MessageId CommitHeldWrites(ConnectionRecord& record);
// Drops every held-back write and the row caches; 0.
MessageId DiscardHeldWrites(ConnectionRecord& record);
// After a failed commit whose unsent writes were then dropped (autocommit
// does): where the commit's diagnostic counted rows not sent, it now says
// they were dropped rather than still pending.
void NoteHeldWritesDropped(ConnectionRecord& record, HandleDiagnostic& diagnostic);
// The writes queued from now on belong to this parameter row (-1: none).
void SetHeldWriteSource(ConnectionRecord& record, std::int32_t parameterRow);
// The parameter rows whose writes the service has not surely taken since the
// last commit began, ascending.
std::vector<std::int32_t> UnfinishedWriteRows(const ConnectionRecord& record);
