// Where a scrollable cursor's rowset starts for every orientation, near both
// ends of a result and across rowset sizes.
#include "odbc/rowset_positions.h"

#include <gtest/gtest.h>

#include <sql.h>
#include <sqlext.h>

namespace {

constexpr std::int64_t B = kRowsetBeforeStart;
constexpr std::int64_t A = kRowsetAfterEnd;

TEST(RowsetPositions, NearBothEndsOfTenRows) {
  struct Case {
    const char* name;
    std::int64_t start;
    std::int64_t previousSize;
    std::uint16_t orientation;
    std::int64_t offset;
    std::int64_t size;
    std::int64_t expected;
  } const cases[] = {
      {"next from before the start", B, 1, SQL_FETCH_NEXT, 0, 3, 1},
      {"next steps by the previous size", 4, 3, SQL_FETCH_NEXT, 0, 5, 7},
      {"next past the last row", 9, 2, SQL_FETCH_NEXT, 0, 2, A},
      {"prior from the first row", 1, 3, SQL_FETCH_PRIOR, 0, 3, B},
      {"prior steps by the new size", 8, 2, SQL_FETCH_PRIOR, 0, 3, 5},
      {"prior that would cross the start", 3, 3, SQL_FETCH_PRIOR, 0, 3, 1},
      {"prior from after the end", A, 1, SQL_FETCH_PRIOR, 0, 3, 8},
      {"last", 2, 1, SQL_FETCH_LAST, 0, 3, 8},
      {"last with a rowset larger than the result", 2, 1, SQL_FETCH_LAST, 0, 20, 1},
      {"absolute from the end", 3, 1, SQL_FETCH_ABSOLUTE, -2, 3, 9},
      {"absolute beyond the end", 3, 1, SQL_FETCH_ABSOLUTE, 11, 3, A},
      {"absolute far before the start", 3, 1, SQL_FETCH_ABSOLUTE, -12, 1, B},
      {"absolute before the start within a rowset", 3, 1, SQL_FETCH_ABSOLUTE, -12, 12, 1},
      {"relative 0 keeps the rowset", 4, 3, SQL_FETCH_RELATIVE, 0, 3, 4},
      {"relative from before the start", B, 1, SQL_FETCH_RELATIVE, 4, 3, 4},
      {"relative backward from after the end", A, 1, SQL_FETCH_RELATIVE, -1, 3, 10},
      {"relative backward from the first row", 1, 3, SQL_FETCH_RELATIVE, -1, 3, B},
      {"relative backward crossing the start within a rowset", 2, 3, SQL_FETCH_RELATIVE, -3, 3, 1},
      {"relative backward crossing the start beyond a rowset", 2, 3, SQL_FETCH_RELATIVE, -5, 3, B},
      {"a bookmark's row plus an offset beyond the end", 7, 1, SQL_FETCH_BOOKMARK, 12, 3, A},
      {"a bookmark's row plus an offset before the start", 7, 1, SQL_FETCH_BOOKMARK, 0, 3, B},
  };
  for (const Case& c : cases) {
    const RowsetCursor cursor{c.start, c.previousSize, 10};
    EXPECT_EQ(ScrollRowsetStart(cursor, c.orientation, c.offset, c.size), c.expected) << c.name;
  }
  for (std::uint16_t orientation : {SQL_FETCH_FIRST, SQL_FETCH_LAST, SQL_FETCH_PRIOR}) {
    const std::int64_t start = ScrollRowsetStart(RowsetCursor{A, 1, 0}, orientation, 0, 3);
    EXPECT_TRUE(start == B || start == A) << "an empty result: " << orientation;
  }
}

}  // namespace
