// Moving a SELECT's cursor: over its result file in any orientation, or
// forward through its row sources when the rows stream. Called by fetching,
// sub-select evaluation and the result passes.
#pragma once

#include <cstdint>
#include <vector>

#include "common/message_ids.h"
#include "sql/parse_tree.h"
#include "tables/read_position.h"

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

// A streamed row can't be read again, so a rowset keeps the records each of
// its rows stood on: one id per FROM table in FROM order, all ones for a
// table in its NULL row.
std::vector<std::uint32_t> CurrentRecordIds(ParseTree& tree, NodeIndex select);
// The cursor stands on the streamed row (1-based) again, every FROM table
// on its record of recordIds: 0, 1074 when a record is gone for this
// connection, or a failure of positioning a table.
MessageId PositionOnStreamedRow(StatementHandle& statement, ParseTree& tree, NodeIndex select, std::int64_t row,
                                const std::vector<std::uint32_t>& recordIds);

// Where a streaming SELECT's reading stands (its current row and the FROM
// tables' places), kept while positioned operations stand on other rows,
// so that the next fetch reads on from there.
struct SourceReadPositions {
  std::int64_t currentRow = 0;
  std::vector<TableReadPosition> tables;
  std::vector<std::uint8_t> nullRows;
};
SourceReadPositions KeepSourceReadPositions(ParseTree& tree, NodeIndex select);
void RestoreSourceReadPositions(ParseTree& tree, NodeIndex select, const SourceReadPositions& kept);
