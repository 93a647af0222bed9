// INSERT, UPDATE and DELETE: rows built or changed through table access,
// which holds them in the write cache until the transaction commits.
// Called by the executor; positioned writes store their values here too.
#pragma once

#include <cstdint>

#include "common/message_ids.h"
#include "common/value_cell.h"
#include "sql/parse_tree.h"

struct StatementHandle;
struct TableCursor;

MessageId ExecuteInsert(StatementHandle& statement, ParseTree& tree, NodeIndex insert);
MessageId ExecuteUpdate(StatementHandle& statement, ParseTree& tree, NodeIndex update);
MessageId ExecuteDelete(StatementHandle& statement, ParseTree& tree, NodeIndex remove);

// Hands the evaluated value node to the table's row under construction for
// the column that the column reference names, converted by the column's
// type; a text goes whole. 0, 1002 when a decimal lost digits of its
// fraction (the caller goes on), or a failure (kMsgValueTooLong for a text longer than
// its field's maxlength).
MessageId StoreColumnValue(ParseTree& tree, NodeIndex columnReference, NodeIndex value);
// The same for a value held outside the tree: source converted by the type
// of target (the column's own cell) into the row the cursor is building.
MessageId StoreCellValue(TableCursor& cursor, std::uint16_t column, const ValueCell& target, const ValueCell& source);
