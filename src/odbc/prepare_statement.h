// The prepare core: SQL text to a bound, planned statement ready to execute.
// Called by SQLPrepare and, as its first half, by SQLExecDirect.
#pragma once

#include <sql.h>

#include <cstddef>

#include "common/message_ids.h"

struct StatementHandle;

// Runs the special-statement filter, the parser, the semantic pass and the
// plan pass over text (length or SQL_NTS), reserves each parameter's value
// buffer and names a SELECT's cursor. SQL_SUCCESS, or SQL_ERROR with the
// statement's message id set. A statement with an open result or awaiting
// data at execution is refused with 1007 and keeps its previous statement.
// Every statement of a batch is parsed; only the first is bound and planned.
SQLRETURN PrepareStatement(StatementHandle& statement, const SQLCHAR* text, SQLINTEGER length);

// Prepares statement k (0-based) of the prepared batch in place of the
// statement the handle holds, when the batch runner comes to it; the SQL
// text and the batch stay.
SQLRETURN PrepareBatchStatement(StatementHandle& statement, std::size_t k);

// Parses and binds statement k of the prepared batch on aside, a statement
// of no application, leaving the handle's own statement as it is: what a
// later statement's parameters are before its turn comes. 0, or the
// failure's id with its texts in aside's diagnostic. The caller releases
// aside's tree.
MessageId BindBatchStatementAside(StatementHandle& statement, std::size_t k, StatementHandle& aside);
