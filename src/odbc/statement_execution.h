// The execute core behind SQLExecute, SQLExecDirect and SQLParamData: the
// application's parameter values moved into the parameter nodes row by row
// of a parameter array, the statement run, the data-definition policy
// inside a transaction, and the commit of autocommit.
#pragma once

#include <sql.h>

#include <cstdint>

#include "common/message_ids.h"

struct DescriptorRecord;
struct StatementHandle;

// Runs the prepared statement for every row of the parameter array from the
// statement's current parameter-set row. SQL_NEED_DATA when a row has data
// at execution (the row stays current for SQLParamData); otherwise the
// statement's message id holds the outcome.
SQLRETURN ExecutePrepared(StatementHandle& statement);

// Refuses the execution before any parameter row runs: every status entry
// says unused, none processed; SQL_ERROR with id.
SQLRETURN RefuseExecution(StatementHandle& statement, MessageId id);

// After the data of a row's data-at-execution parameters has arrived: runs
// that row and the rows after it.
SQLRETURN ContinueParameterRows(StatementHandle& statement);

// What a data-definition statement does inside an open transaction, by the
// connection's transaction capability: 0, 1062 refused, 1063 ignored, 1064
// or 1065 committed first, or a failed commit's id.
MessageId ApplyDdlTransactionPolicy(StatementHandle& statement);

// The application parameter descriptor's record of a parameter, or nullptr.
DescriptorRecord* FindParameterRecord(StatementHandle& statement, std::uint16_t number);
