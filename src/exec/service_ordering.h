// Whether a SELECT's ORDER BY can be left to the service: all its keys plain
// columns of one table, which then drives the nested loop. Called by the plan
// pass; the executor may still decline when the service can't sort so.
#pragma once

#include "common/message_ids.h"
#include "sql/parse_tree.h"

// Marks the table whose query could carry the ORDER BY (its sort-key number,
// key count and first key), moves it to the head of the FROM list and sets
// the SELECT's sorted-by-source flag; otherwise leaves every table unmarked
// and the flag clear. Only a forward-only cursor qualifies: a scrollable one
// revisits rows through its own result file.
MessageId PlanServiceOrdering(ParseTree& tree, NodeIndex select, bool forwardOnly);
