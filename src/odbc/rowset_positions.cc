// The positioning rules of rowsets, one function per orientation.
#include "odbc/rowset_positions.h"

#include <sql.h>
#include <sqlext.h>

namespace {

std::int64_t Within(std::int64_t row, std::int64_t n) {
  if (row < 1) return kRowsetBeforeStart;
  return row > n ? kRowsetAfterEnd : row;
}

std::int64_t Next(const RowsetCursor& c) {
  if (c.start == kRowsetBeforeStart) return Within(1, c.rowCount);
  if (c.start == kRowsetAfterEnd) return kRowsetAfterEnd;
  return c.start + c.previousSize > c.rowCount ? kRowsetAfterEnd : c.start + c.previousSize;
}

std::int64_t Prior(const RowsetCursor& c, std::int64_t size) {
  if (c.start == kRowsetBeforeStart || c.start == 1) return kRowsetBeforeStart;
  if (c.start == kRowsetAfterEnd) return c.rowCount == 0 ? kRowsetBeforeStart : (c.rowCount < size ? 1 : c.rowCount - size + 1);
  return c.start <= size ? 1 : c.start - size;
}

std::int64_t Absolute(std::int64_t k, std::int64_t n, std::int64_t size) {
  if (k > 0) return Within(k, n);
  if (k == 0) return kRowsetBeforeStart;
  if (-k <= n) return n + k + 1;
  // Before the first row, yet close enough for the rowset to reach it.
  return -k <= size && n > 0 ? 1 : kRowsetBeforeStart;
}

std::int64_t Relative(const RowsetCursor& c, std::int64_t k, std::int64_t size) {
  if ((c.start == kRowsetBeforeStart && k > 0) || (c.start == kRowsetAfterEnd && k < 0))
    return Absolute(k, c.rowCount, size);
  if (c.start == kRowsetBeforeStart) return kRowsetBeforeStart;
  if (c.start == kRowsetAfterEnd) return kRowsetAfterEnd;
  const std::int64_t row = c.start + k;
  if (row < 1) return c.start > 1 && -k <= size ? 1 : kRowsetBeforeStart;
  return Within(row, c.rowCount);
}

std::int64_t Last(std::int64_t n, std::int64_t size) {
  if (n == 0) return kRowsetAfterEnd;
  return size >= n ? 1 : n - size + 1;
}

}  // namespace

std::int64_t ScrollRowsetStart(const RowsetCursor& cursor, std::uint16_t orientation, std::int64_t offset,
                               std::int64_t rowsetSize) {
  const std::int64_t size = rowsetSize < 1 ? 1 : rowsetSize;
  switch (orientation) {
    case SQL_FETCH_NEXT: return Next(cursor);
    case SQL_FETCH_PRIOR: return Prior(cursor, size);
    case SQL_FETCH_FIRST: return Within(1, cursor.rowCount);
    case SQL_FETCH_LAST: return Last(cursor.rowCount, size);
    case SQL_FETCH_ABSOLUTE: return Absolute(offset, cursor.rowCount, size);
    case SQL_FETCH_RELATIVE: return Relative(cursor, offset, size);
    default: return Within(offset, cursor.rowCount);  // a bookmark's row
  }
}
