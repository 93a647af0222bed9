// Splitting a prepared text into the statements of its batch. Called by the
// prepare core once the first statement has parsed.
#pragma once

#include "common/message_ids.h"

struct ConnectionRecord;
struct StatementHandle;

// Parses each statement after the first (the parser left the rest of the
// text in the statement's remaining batch) and records where each begins,
// so that a syntax error anywhere runs none of them. None is bound here: a
// statement may use a table that an earlier one creates. Refuses a batch
// whose parameter markers are in more than one statement, which would each
// number theirs from 1, and one holding a statement that is always refused
// (3). 0, or the failure's id with the diagnostic naming the statement.
MessageId SplitStatementBatch(StatementHandle& statement, ConnectionRecord& record);
