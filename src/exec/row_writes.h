// INSERT, UPDATE and DELETE: rows built or changed through table access,
// which holds them in the write cache until the transaction commits.
// Called by the executor.
#pragma once

#include "common/message_ids.h"
#include "sql/parse_tree.h"

struct StatementHandle;

MessageId ExecuteInsert(StatementHandle& statement, ParseTree& tree, NodeIndex insert);
MessageId ExecuteUpdate(StatementHandle& statement, ParseTree& tree, NodeIndex update);
MessageId ExecuteDelete(StatementHandle& statement, ParseTree& tree, NodeIndex remove);

// Hands the evaluated value node to the table's row under construction for
// the column that the column reference names, converted by the column's
// type. 0, 1002 when cut (the caller goes on), or a failure.
MessageId StoreColumnValue(ParseTree& tree, NodeIndex columnReference, NodeIndex value);
