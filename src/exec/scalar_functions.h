// Scalar-function calls evaluated for the current row; called by the expression evaluator.
#pragma once

#include "common/message_ids.h"
#include "sql/parse_tree.h"

struct StatementHandle;

// Computes a scalar-function call for the current row from its arguments, which the evaluator has already
// evaluated in order, stopping after the first NULL argument except for IFNULL. A NULL argument (IFNULL excepted)
// makes the result NULL with its value cleared by type, without looking at the later arguments.
MessageId CallScalarFunction(StatementHandle& statement, ParseTree& tree, NodeIndex node);
