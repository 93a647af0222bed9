// The passes that turn a SELECT's rows into a result file, run by the
// executor in a fixed order: the sorted result, the groups, DISTINCT, the
// batched key lookup's record ids, and a scrollable cursor's keyset. Each
// installs its output as the SELECT's result file.
#pragma once

#include "common/message_ids.h"
#include "sql/parse_tree.h"

struct StatementHandle;

MessageId BuildSortedResult(StatementHandle& statement, ParseTree& tree, NodeIndex select);
MessageId AggregateGroups(StatementHandle& statement, ParseTree& tree, NodeIndex select);
MessageId RemoveDuplicateRows(StatementHandle& statement, ParseTree& tree, NodeIndex select);
MessageId RemoveDuplicateRecordIds(StatementHandle& statement, ParseTree& tree, NodeIndex select,
                                   NodeIndex statementNode);
MessageId BuildKeysetFile(StatementHandle& statement, ParseTree& tree, NodeIndex select);
