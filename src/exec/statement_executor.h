// Runs a bound statement tree: the executor behind execute, and the sub-selects of EXISTS and quantified comparisons.
#pragma once

#include "common/message_ids.h"
#include "sql/parse_tree.h"

struct StatementHandle;

MessageId ExecuteStatementTree(StatementHandle& statement, ParseTree& tree, NodeIndex statementNode);
