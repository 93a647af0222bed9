// Walks over a parse tree shared by the binder and the release path:
// aggregate detection and the release of what execution attached.
#pragma once

#include "sql/parse_tree.h"

// True when the expression at node holds an aggregate. Conditions,
// predicates, literals and column references are not searched.
bool ContainsAggregate(const ParseTree& tree, NodeIndex node);

// Releases what execution attached to the subtree at node: closes the
// SELECTs' result files, hands every table cursor to ApplyFlushCacheCommand
// and frees parameter data. Idempotent: a second walk finds nothing left to
// release.
void ReleasePlan(ParseTree& tree, NodeIndex node);

// Closes a SELECT's result file, if it has one. The file has no name, so
// closing it deletes it.
void CloseResultFile(SelectFields& select);
