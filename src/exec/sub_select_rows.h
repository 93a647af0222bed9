// Sub-selects read once per execution: one that reads no column of the
// statements around it gives every outer row the same rows, so the
// evaluator keeps them in the tree after the first reading instead of
// running the sub-select again for each outer row.
#pragma once

#include <cstdint>

#include "common/message_ids.h"
#include "sql/parse_tree.h"

struct StatementHandle;

inline constexpr std::uint32_t kEveryRow = 0xFFFFFFFFu;

// The kept rows of select, read now when this execution has not read them
// yet: at most limit rows, each with its value of item (kNoNode: the rows
// are only counted). kept is null for a correlated sub-select, which the
// caller runs for each outer row itself. 0; 1002 on every use when the
// reading cut a value; or the failure of running the sub-select, moving
// through its rows or evaluating item, after which nothing is kept.
MessageId KeptSubSelectRows(StatementHandle& statement, ParseTree& tree, NodeIndex select, NodeIndex item,
                            std::uint32_t limit, const SubSelectRows*& kept);

// A new execution reads every sub-select afresh (its parameters may differ);
// whether one is correlated depends on the bound tree alone and stays known.
void ForgetSubSelectRows(ParseTree& tree);
