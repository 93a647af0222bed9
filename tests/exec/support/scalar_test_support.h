// Test support for scalar-function evaluation until the statement's own
// evaluator runs it: literals and column values loaded into their cells, calls
// evaluated inner first with the evaluator's NULL rule, and values shown as
// canonical text. Used by the exec unit tests and the scalar golden dump.
#pragma once

#include <functional>
#include <string>

#include "common/message_ids.h"
#include "common/value_cell.h"
#include "sql/parse_tree.h"

struct StatementHandle;

// Fills a column reference's cell for the current row.
using ColumnLoader = std::function<MessageId(ParseTree& tree, NodeIndex node)>;

// Evaluates an expression of literals, column references and scalar-function
// calls as the evaluator will: a call's arguments in order, stopping after
// the first NULL one unless the call is IFNULL, then CallScalarFunction.
MessageId EvaluateTestExpression(StatementHandle& statement, ParseTree& tree, NodeIndex expression,
                                 const ColumnLoader& loadColumn);

// The expression of the first select item of a bound SELECT; kNoNode when
// the tree holds none.
NodeIndex FirstSelectExpression(const ParseTree& tree);

// "NULL", or the value by its type: texts as they are, numbers in the
// driver's double text, dates and times in their literal forms, binary as
// 0x and upper-case hex.
std::string ShowValue(const ValueCell& cell);

// "SQLTYPE size N digits D" ("-" for no digits).
std::string ShowShape(const ValueCell& cell);
