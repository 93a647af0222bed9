// The connection's held-back writes as the connection and transaction code
// see them: whether any are pending, and sending or dropping them.
#pragma once

#include "common/message_ids.h"

struct ConnectionRecord;

// True while CSV batches or deletions wait for a commit.
bool HasPendingWrites(const ConnectionRecord& record);
// Sends every held-back write; 0, or the failure's id (999 already posted).
MessageId CommitHeldWrites(ConnectionRecord& record);
// Drops every held-back write and the row caches; 0.
MessageId DiscardHeldWrites(ConnectionRecord& record);
