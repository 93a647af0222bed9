// Query-result rowsets over PositionCursor: the row limit, the start of a
// scrollable rowset, bookmarks and the cursor's place afterwards.
#include "odbc/query_rowsets.h"

#include <sqlext.h>

#include <cstring>

#include "exec/row_positioning.h"
#include "handles/statement_handle.h"
#include "odbc/rowset_positions.h"
#include "odbc/statement_attributes.h"

namespace {

SelectFields& SelectOf(StatementHandle& statement, const QueryRowset& rowset) {
  return statement.parseTree->nodes[rowset.select].fields.select;
}

bool KnownOrientation(std::uint16_t orientation) {
  return (orientation >= SQL_FETCH_NEXT && orientation <= SQL_FETCH_RELATIVE) || orientation == SQL_FETCH_BOOKMARK;
}

// TOP n and SQL_ATTR_MAX_ROWS: a result file is cut to the limit once, so
// every orientation sees the same last row.
void ApplyRowLimit(const StatementHandle& statement, SelectFields& select) {
  if (statement.rowLimit < 0 || select.resultFile == kNoResultFile) return;
  if (static_cast<std::int64_t>(select.rowCount) > statement.rowLimit)
    select.rowCount = static_cast<std::uint32_t>(statement.rowLimit);
}

// Streaming rows have no count to cut: the limit stops the reading.
bool StreamingLimitReached(const StatementHandle& statement, const SelectFields& select) {
  if (statement.rowLimit < 0 || select.resultFile != kNoResultFile) return false;
  if (select.currentRow == kRowAfterLast) return true;
  return select.currentRow + 1 >= statement.rowLimit;
}

MessageId ReadBookmark(const StatementHandle& statement, const SelectFields& select, std::int64_t offset,
                       BookmarkSource source, std::int64_t& row) {
  if (statement.useBookmarks == SQL_UB_OFF) return kMsgFetchTypeOutOfRange;
  std::int32_t bookmark = 0;
  if (source == BookmarkSource::kOffset) {
    bookmark = static_cast<std::int32_t>(offset);
  } else {
    if (statement.fetchBookmarkPointer == nullptr) return kMsgInvalidBookmark;
    std::memcpy(&bookmark, statement.fetchBookmarkPointer, sizeof bookmark);
  }
  if (bookmark == kAddedRowBookmark) return kMsgPositionOnAddedRow;
  if (bookmark < 1 || static_cast<std::int64_t>(bookmark) > static_cast<std::int64_t>(select.rowCount))
    return kMsgInvalidBookmark;
  row = source == BookmarkSource::kOffset ? bookmark : bookmark + offset;
  return kMsgSuccess;
}

RowsetCursor CursorState(const StatementHandle& statement, const SelectFields& select) {
  RowsetCursor cursor;
  cursor.rowCount = select.rowCount;
  cursor.previousSize = statement.previousRowsetSize > 0 ? statement.previousRowsetSize : 1;
  if (select.currentRow == kRowAfterLast) cursor.start = kRowsetAfterEnd;
  else if (select.currentRow < 0) cursor.start = kRowsetBeforeStart;
  else cursor.start = select.currentRow + 1;
  return cursor;
}

MessageId StartScrollable(StatementHandle& statement, std::uint16_t orientation, std::int64_t offset,
                          std::int64_t rowsetSize, QueryRowset& rowset) {
  SelectFields& select = SelectOf(statement, rowset);
  rowset.start = ScrollRowsetStart(CursorState(statement, select), orientation, offset, rowsetSize);
  if (rowset.start == kRowsetBeforeStart || rowset.start == kRowsetAfterEnd) {
    select.currentRow = rowset.start == kRowsetBeforeStart ? kRowBeforeFirst : kRowAfterLast;
    return kMsgNoDataFound;
  }
  return kMsgSuccess;
}

}  // namespace

MessageId StartQueryRowset(StatementHandle& statement, std::uint16_t orientation, std::int64_t offset,
                           std::int64_t rowsetSize, BookmarkSource bookmarkSource, QueryRowset& rowset) {
  ParseTree& tree = *statement.parseTree;
  rowset.select = RootStatementNode(tree);
  if (rowset.select == kNoNode || tree.nodes[rowset.select].kind != kNodeSelect) return kMsgInternalError;
  if (statement.dataAtExecution != 0 || statement.dataAtExecutionPosition != kNoDataAtExecutionPosition)
    return kMsgInvalidCursorState;
  if (!KnownOrientation(orientation)) return kMsgFetchTypeOutOfRange;
  SelectFields& select = SelectOf(statement, rowset);
  // Every cursor that scrolls is a static one, over its result file.
  rowset.scrollable = statement.cursorType != kCursorForwardOnly && select.resultFile != kNoResultFile;
  if (orientation != SQL_FETCH_NEXT && !rowset.scrollable) return kMsgFetchTypeOutOfRange;
  ApplyRowLimit(statement, select);
  if (orientation == SQL_FETCH_BOOKMARK) {
    if (MessageId id = ReadBookmark(statement, select, offset, bookmarkSource, offset)) return id;
  }
  if (rowset.scrollable) return StartScrollable(statement, orientation, offset, rowsetSize, rowset);
  // A forward-only rowset starts after the row the cursor stands on.
  rowset.start = select.currentRow < 0 ? 1 : select.currentRow + 2;
  return kMsgSuccess;
}

MessageId MoveToRowsetRow(StatementHandle& statement, const QueryRowset& rowset, std::int64_t index) {
  ParseTree& tree = *statement.parseTree;
  if (rowset.scrollable) {
    if (index == 0) return PositionCursor(statement, tree, rowset.select, SQL_FETCH_ABSOLUTE, rowset.start);
    return PositionCursor(statement, tree, rowset.select, SQL_FETCH_NEXT, 0);
  }
  SelectFields& select = SelectOf(statement, rowset);
  if (StreamingLimitReached(statement, select)) {
    select.currentRow = kRowAfterLast;
    return kMsgNoDataFound;
  }
  const bool streams = select.resultFile == kNoResultFile;
  const MessageId id = PositionCursor(statement, tree, rowset.select, SQL_FETCH_NEXT, 0);
  if (id == kMsgSuccess && streams) statement.streamedRowsetIds.push_back(CurrentRecordIds(tree, rowset.select));
  return id;
}

MessageId FinishQueryRowset(StatementHandle& statement, const QueryRowset& rowset, std::int64_t rowsFetched) {
  // A forward-only cursor stands on the rowset's last row, also when the
  // rowset ran past the end of the result: its rows can still be acted on.
  if (!rowset.scrollable) {
    statement.currentBookmark = rowsFetched > 0 ? rowset.start + rowsFetched - 1 : 0;
    return kMsgSuccess;
  }
  MessageId id = kMsgSuccess;
  // The rowset may have run past the last row, which leaves the cursor
  // after the end.
  if (rowsFetched > 0 && SelectOf(statement, rowset).currentRow != rowset.start - 1)
    id = PositionCursor(statement, *statement.parseTree, rowset.select, SQL_FETCH_ABSOLUTE, rowset.start);
  // The cursor stands on its first row even when that row's record is gone;
  // the row's status already says so.
  if (id == kMsgNoMoreRows || id == kMsgInvalidCursorPosition) id = kMsgSuccess;
  const std::int64_t row = SelectOf(statement, rowset).currentRow;
  statement.currentBookmark = row >= 0 ? row + 1 : 0;
  return id;
}
