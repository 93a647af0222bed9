// Keeping and giving back a table cursor's place among its query's rows.
#include "tables/read_position.h"

namespace {

std::unique_ptr<CachedRow> CopyOf(const std::unique_ptr<CachedRow>& row) {
  return row == nullptr ? nullptr : std::make_unique<CachedRow>(*row);
}

}  // namespace

TableReadPosition KeepReadPosition(const TableCursor& cursor) {
  TableReadPosition position;
  position.result = cursor.result;
  position.rowIndex = cursor.rowIndex;
  position.recordId = cursor.recordId;
  position.onPendingInsert = cursor.onPendingInsert;
  position.onLoneRow = cursor.onLoneRow;
  position.loneRow = CopyOf(cursor.loneRow);
  position.pseudoRow = cursor.pseudoRow;
  return position;
}

void RestoreReadPosition(TableCursor& cursor, const TableReadPosition& position) {
  cursor.result = position.result;
  cursor.rowIndex = position.rowIndex;
  cursor.recordId = position.recordId;
  cursor.onPendingInsert = position.onPendingInsert;
  cursor.onLoneRow = position.onLoneRow;
  cursor.loneRow = CopyOf(position.loneRow);
  cursor.pseudoRow = position.pseudoRow;
}
