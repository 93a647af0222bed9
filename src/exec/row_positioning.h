// Moves a SELECT's cursor among its rows (fetch orientations), putting every table on the row's records.
#pragma once

#include <cstdint>

#include "common/message_ids.h"
#include "sql/parse_tree.h"

struct StatementHandle;

MessageId PositionCursor(StatementHandle& statement, ParseTree& tree, NodeIndex select, std::uint16_t orientation,
                         std::int64_t offset);
