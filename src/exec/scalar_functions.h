// Evaluation of scalar-function calls for the current row: the frame every
// row of the scalar-function table shares (arguments in order, the NULL rule,
// the result bounded by the call's column) and the dispatch to the string,
// numeric, date-time, system and conversion groups. Called by the expression
// evaluator for each node of kind scalar function.
#pragma once

#include "common/message_ids.h"
#include "sql/parse_tree.h"

struct StatementHandle;

// Computes a scalar-function call for the current row from its arguments, which the evaluator has already
// evaluated in order, stopping after the first NULL argument except for IFNULL. A NULL argument (IFNULL excepted)
// makes the result NULL with its value cleared by type, without looking at the later arguments.
MessageId CallScalarFunction(StatementHandle& statement, ParseTree& tree, NodeIndex node);

// The same without the guard: an exception leaves it. On failure the call's
// value is undefined but never longer than its column allows.
MessageId EvaluateScalarFunction(StatementHandle& statement, ParseTree& tree, NodeIndex node);
