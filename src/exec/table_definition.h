// CREATE TABLE and ALTER TABLE ADD: the table and its fields made on the
// service, then the key field and the foreign-key marks. Called by the
// executor.
#pragma once

#include "common/message_ids.h"
#include "sql/parse_tree.h"

struct StatementHandle;

// 0, 1021 for a key or reference naming no column of the table, 1111 for a
// new column whose name the table or the statement already has, or a
// failure of table or field creation (posted into the statement).
MessageId ExecuteTableDefinition(StatementHandle& statement, ParseTree& tree, NodeIndex definition);
