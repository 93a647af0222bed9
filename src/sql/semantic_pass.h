// The semantic pass: binds a parsed statement to the tables it names,
// resolving every name, typing every node and laying out the records that
// sorting, grouping and DISTINCT write. Called by the prepare core once per
// prepare, after parsing and before planning.
#pragma once

#include <cstdint>

#include "common/message_ids.h"
#include "sql/parse_tree.h"

struct StatementHandle;

// Binds the subtree at node. groupContext is 1 while binding what is
// evaluated once per group; joinScope is the join item whose tables an ON
// condition searches (none elsewhere); enclosing is the statement node whose
// tables column references resolve against (none at the root). Stops at the
// first failure, with the statement's detail text set where the message has
// a "%s".
MessageId BindStatementTree(StatementHandle& statement, ParseTree& tree, NodeIndex node, std::uint8_t groupContext,
                            std::uint8_t caseSensitive, NodeIndex joinScope, NodeIndex enclosing);

// Binds one SELECT node: its lists in their fixed order, the star forms, and
// the sort and DISTINCT specifications of its temporary files.
MessageId BindSelect(StatementHandle& statement, ParseTree& tree, NodeIndex select, std::uint8_t caseSensitive,
                     NodeIndex enclosing);

// Resolves one scalar-function call: its row of the function table, the
// words moved out of its arguments, its bound arguments and its result type.
MessageId ResolveScalarFunction(StatementHandle& statement, ParseTree& tree, NodeIndex node,
                                std::uint8_t groupContext, std::uint8_t caseSensitive, NodeIndex joinScope,
                                NodeIndex enclosing);

// Writes an aggregate's name (AVG, COUNT, MAX, MIN, SUM) into the statement's
// detail text; an unknown code writes the empty text.
void AggregateName(StatementHandle& statement, std::uint16_t code);
