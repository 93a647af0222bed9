// Keeping and giving back a table cursor's place among its query's rows.
#include "tables/read_position.h"

namespace {

// The cursor and the kept position name their fields alike, so one copy
// serves both ways.
template <typename From, typename To>
void CopyReadPosition(const From& from, To& to) {
  to.result = from.result;
  to.rowIndex = from.rowIndex;
  to.recordId = from.recordId;
  to.onPendingInsert = from.onPendingInsert;
  to.onLoneRow = from.onLoneRow;
  to.loneRow = from.loneRow == nullptr ? nullptr : std::make_unique<CachedRow>(*from.loneRow);
  to.pseudoRow = from.pseudoRow;
}

}  // namespace

TableReadPosition KeepReadPosition(const TableCursor& cursor) {
  TableReadPosition position;
  CopyReadPosition(cursor, position);
  return position;
}

void RestoreReadPosition(TableCursor& cursor, const TableReadPosition& position) {
  CopyReadPosition(position, cursor);
}
