// Where a rowset of a scrollable cursor starts, by ODBC's cursor positioning
// rules: NEXT steps by the previous rowset's size, PRIOR and the rest count
// with the new one, and a rowset that would start before the first row but
// still reaches it starts at the first row. Used by the fetch functions.
#pragma once

#include <cstdint>

// Positions besides 1-based row numbers.
inline constexpr std::int64_t kRowsetBeforeStart = 0;
inline constexpr std::int64_t kRowsetAfterEnd = -1;

struct RowsetCursor {
  std::int64_t start = kRowsetBeforeStart;  // the current rowset's first row, or one of the marks above
  std::int64_t previousSize = 1;            // rows the previous fetch asked for
  std::int64_t rowCount = 0;                // rows of the result
};

// The first row of the new rowset of rowsetSize rows, or kRowsetBeforeStart
// or kRowsetAfterEnd when it holds no row. Orientations are SQL_FETCH_NEXT
// .. SQL_FETCH_RELATIVE and SQL_FETCH_BOOKMARK, whose offset is the row the
// bookmark names plus the fetch offset.
std::int64_t ScrollRowsetStart(const RowsetCursor& cursor, std::uint16_t orientation, std::int64_t offset,
                               std::int64_t rowsetSize);
