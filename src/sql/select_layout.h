// The record layouts of a SELECT's temporary files and the sort texts that
// describe them to the sort engine: sort or group records for ORDER BY and
// GROUP BY, and DISTINCT records.
#pragma once

#include <cstdint>
#include <string>

#include "common/message_ids.h"
#include "common/value_cell.h"
#include "sql/parse_tree.h"

struct StatementHandle;

// DISTINCT and key-lookup records begin with the row's ordinal in this many
// decimal digits, which bounds no result below ten billion rows.
inline constexpr std::uint32_t kRowNumberWidth = 10;

// How a value is written as a key: its width in the record (a NULL-marker
// byte follows it) and the sort engine's type letter. A text takes four
// bytes a character (sizes count characters), a binary value its size plus
// a two-byte length.
struct KeyShape {
  std::uint32_t width = 0;
  char letter = 0;
};

// What a diagnostic about a key calls it: a column's name, or
// "<expression>" for any other value.
std::string KeyName(const ParseTree& tree, NodeIndex value);

// The key form of a value of this type; false when it has none (a text
// wider than 255 characters, a binary value wider than 255 bytes, or a type
// without an encoding).
bool ShapeOfKey(const ValueCell& cell, KeyShape& shape);

// GROUP BY columns as the leading keys of the sort record: each column's
// position and width, and the SELECT's key length. 1047 for more than 20
// columns, 1048 for a column that can't be a key.
MessageId LayOutGroupColumns(StatementHandle& statement, ParseTree& tree, NodeIndex select);

// The rest of the layout once every list is bound: aggregate and ORDER BY
// positions, record ids, and the sort, group-order and DISTINCT texts.
MessageId LayOutSelect(StatementHandle& statement, ParseTree& tree, NodeIndex select);
