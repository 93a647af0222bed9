// The plan pass: after binding, marks per table which conditions travel with
// its query to the service, whether the service could give a SELECT its
// ORDER BY, and whether a SELECT is a batched lookup by key. Called by the
// prepare core once per prepare; the executor acts on the marks.
#pragma once

#include "common/message_ids.h"
#include "sql/parse_tree.h"

struct StatementHandle;

// Plans the statement at node and every statement nested in it (sub-selects
// in conditions, the source of INSERT ... SELECT). Only a forward-only
// cursor (the statement's cursor type) may take its order from the service.
// 0, or 1019 for a node that can't stand where it stands.
MessageId PlanStatementTree(const StatementHandle& statement, ParseTree& tree, NodeIndex node);
