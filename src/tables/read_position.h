// Where a table cursor stands among its query's rows. The positioned
// operations keep it while they stand on other rows of a streamed rowset and
// give it back afterwards, so the next fetch reads on from where it stopped.
#pragma once

#include <cstdint>
#include <memory>

#include "tables/table_cursor.h"

struct TableReadPosition {
  std::shared_ptr<QueryResult> result;
  std::int64_t rowIndex = -1;
  std::uint32_t recordId = 0;
  bool onPendingInsert = false;
  bool onLoneRow = false;
  std::unique_ptr<CachedRow> loneRow;
  std::int64_t pseudoRow = -1;
};

TableReadPosition KeepReadPosition(const TableCursor& cursor);
// The cursor stands where it stood when the position was kept.
void RestoreReadPosition(TableCursor& cursor, const TableReadPosition& position);
