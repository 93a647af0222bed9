// Moving a SELECT's cursor: over its result file in any orientation, or
// forward through its row sources when the rows stream. Called by fetching,
// sub-select evaluation and the result passes.
#pragma once

#include <cstdint>

#include "common/message_ids.h"
#include "sql/parse_tree.h"

struct StatementHandle;

// Orientation codes are those of ODBC's SQL_FETCH_*: 1 NEXT, 2 FIRST,
// 3 LAST, 4 PRIOR, 5 ABSOLUTE, 6 RELATIVE, 8 BOOKMARK; offset is the 1-based
// row (ABSOLUTE, BOOKMARK) or the step (RELATIVE). 0 positioned; 1038 no row
// there (before the first or after the last row); 1019 an orientation a
// streaming cursor can't do; 1046 a result file that can't be read; 1071 an
// unknown orientation; 1072 a bookmark outside the result; or a failure of
// positioning a table on its record.
MessageId PositionCursor(StatementHandle& statement, ParseTree& tree, NodeIndex select, std::uint16_t orientation,
                         std::int64_t offset);
