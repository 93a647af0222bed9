// Which conditions of a statement travel with one table's query to the
// service. Called by the plan pass for every table of a statement, and by the
// batched key lookup once per alternative.
#pragma once

#include "common/message_ids.h"
#include "sql/parse_tree.h"

// Collects, from scratch, the predicates of condition that can narrow the
// query of tableReference (a table of statementNode, whose FROM list orders
// the tables): they are chained from the table's first pushed predicate in
// descending push-down rank, each rewritten with its column on the left, and
// the table's cursor records how they may be joined (its criteria-join
// state, reset first). A set the service can't filter exactly as SQL would
// is marked unsendable on the cursor rather than narrowed, because the
// service must never drop a row that the condition keeps. 0, or 1019 for a
// node that can't stand in a condition.
MessageId PlanTablePredicates(ParseTree& tree, NodeIndex tableReference, NodeIndex condition,
                              NodeIndex statementNode);
