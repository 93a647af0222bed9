// Moving a query result's cursor through a rowset: a scrollable cursor's
// rowset starts where the positioning rules put it and ends with the cursor
// on its first row; a forward-only cursor reads on from where it stands.
// TOP and SQL_ATTR_MAX_ROWS cut the result for every fetch function alike.
// Used by row_fetch.cc.
#pragma once

#include <cstdint>

#include "common/message_ids.h"
#include "sql/parse_tree.h"

struct StatementHandle;

// The bookmark of a SQL_FETCH_BOOKMARK fetch: SQLFetchScroll reads it
// through SQL_ATTR_FETCH_BOOKMARK_PTR and adds the fetch offset,
// SQLExtendedFetch takes the offset as the bookmark.
enum class BookmarkSource : std::uint8_t { kFetchBookmarkPointer, kOffset };

struct QueryRowset {
  NodeIndex select = kNoNode;
  bool scrollable = false;
  std::int64_t start = 0;  // the rowset's first row, 1-based
};

// Checks the orientation and the bookmark and puts the cursor where the
// rowset's first row is to be read from. 0; 1038 when the rowset holds no
// row (the cursor is then before the first or after the last row); 1007
// during data at execution; 1071 an orientation the cursor can't do; 1072
// a bookmark outside the result; 1088 the bookmark of an added row.
MessageId StartQueryRowset(StatementHandle& statement, std::uint16_t orientation, std::int64_t offset,
                           std::int64_t rowsetSize, BookmarkSource bookmarkSource, QueryRowset& rowset);

// Positions the cursor on the rowset's row at index (0 first). 0; 1038 no
// more rows; 1 a row that can't be positioned on any more; or a failure.
MessageId MoveToRowsetRow(StatementHandle& statement, const QueryRowset& rowset, std::int64_t index);

// After the rowset: a scrollable cursor goes back to the rowset's first row,
// and the current bookmark becomes the current row's number; a forward-only
// cursor's is its rowset's last row, even past the end (0 for no row).
MessageId FinishQueryRowset(StatementHandle& statement, const QueryRowset& rowset, std::int64_t rowsFetched);
