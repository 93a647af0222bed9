// The rows of a statement's FROM list: opening it, and a nested loop over its
// tables in FROM order, supplying the rows of NULLs of LEFT OUTER joins.
// Called by the executor, the result passes and cursor positioning.
#pragma once

#include <cstdint>

#include "common/message_ids.h"
#include "sql/parse_tree.h"

struct StatementHandle;

// Advances a table reference or a join item (the FROM list from that item
// on) by one row combination: 0, 1038 when there is none, 1019 for another
// node, or a failure (table-access failures posted into the statement). The
// fetch flag goes on to table access.
MessageId FetchNextSourceRow(StatementHandle& statement, ParseTree& tree, NodeIndex source, std::uint16_t fetchFlag);

// Advances until the condition (none: any row) is exactly true: 0, 1038 or a
// failure.
MessageId FetchNextQualifyingRow(StatementHandle& statement, ParseTree& tree, NodeIndex source, NodeIndex condition,
                                 std::uint16_t fetchFlag);

// The next row of a SELECT's FROM list that meets its WHERE: 0, 1038 (also
// at once when the list opened without any row), or a failure.
MessageId FetchNextSelectRow(StatementHandle& statement, ParseTree& tree, NodeIndex select);

// A table reference or a join item (the FROM list from that item on). 0;
// 1038 when a join finds no row combination; 1019 for another node; or a
// failure of table access, posted into the statement.
MessageId OpenSourceQuery(StatementHandle& statement, ParseTree& tree, NodeIndex source);

// Opens the FROM list from a join item on, as the nested loop needs it: the
// item's table is opened and stands on its first row for which the rest of
// the list opens (the first row of the last table is left for the first
// fetch). 0, 1038 when no combination exists, or a failure.
MessageId OpenJoinSource(StatementHandle& statement, ParseTree& tree, NodeIndex joinItem);

// True when the condition's value is exactly 1.0 and not NULL.
bool IsTrue(const ParseTree& tree, NodeIndex condition);
