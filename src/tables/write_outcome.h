// The one diagnostic of a write that failed after some of its rows may have
// gone through: per table, the rows the service took, those of unknown fate
// and those it did not get. Posted by the write flush and by a row sent on
// its own; rephrased once autocommit has dropped the rows not sent.
#pragma once

#include <string>

#include "common/message_ids.h"
#include "connection/table_caches.h"

struct ConnectionRecord;

// The table's counts in the account, made on first use.
TableWriteCounts& CountsOfTable(WriteOutcome& outcome, const std::string& tableId, const std::string& tableName);

// Posts the account of a write stopped by outcome.failure. When no row went
// through and none may have, that is the service's own error (999); else one
// message naming each table's counts within the message limit: 1096 (08007)
// when any row's fate is unknown, else 1122 to 1125 by the failure's SQLSTATE.
MessageId PostWriteOutcome(ConnectionRecord& record, WriteOutcome& outcome);

// A row sent on its own (it carries a new attachment) failed at call.
MessageId PostRowWriteFailure(ConnectionRecord& record, const ApiCallRecord& call, const std::string& tableName);

// The last flush's account, posted again saying that its rows not sent were
// dropped; false when that account counted none or was not posted.
bool RepostFlushWithUnsentDropped(ConnectionRecord& record);
