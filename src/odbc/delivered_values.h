// What the last fetch, refresh or positioned update left in each bound column
// of each row of the rowset, so that a positioned update writes only the
// columns the application changed since: a column it never touched must not
// overwrite what another user committed meanwhile. Kept by the fetches and
// the positioned operations, only for a query result that may be updated.
#pragma once

#include <sql.h>

#include <cstdint>
#include <string>
#include <vector>

#include "odbc/bound_elements.h"

struct StatementHandle;

// One column's element as it was left, its bytes in the rowset's store.
struct DeliveredCell {
  std::uint16_t number = 0;
  BoundElementKind kind = BoundElementKind::kValue;
  SQLSMALLINT cType = SQL_C_DEFAULT;
  SQLLEN length = 0;
  std::size_t offset = 0;
  std::size_t size = 0;
};

struct DeliveredRow {
  bool known = false;  // false: every column of the row counts as changed
  std::vector<DeliveredCell> cells;
};

// The rows are reused from one fetch to the next, and the bytes are only
// what the buffers hold (at most their lengths), so a large rowset costs no
// more than its values, once.
struct DeliveredRowset {
  std::vector<DeliveredRow> rows;
  std::string bytes;
};

// A fetch of a rowset of rows rows starts: nothing is delivered yet. Any
// other statement than an updatable query result keeps nothing.
void StartDeliveredRowset(StatementHandle& statement, std::int64_t rows);
// The bound columns of the rowset's row at rowIndex hold what was just
// delivered to them (a fetch or a refresh).
void KeepDeliveredRow(StatementHandle& statement, std::int64_t rowIndex);
// The row's delivery failed part-way: what its buffers hold is unknown.
void ForgetDeliveredRow(StatementHandle& statement, std::int64_t rowIndex);
// A positioned update wrote element as column number's value of the row.
void KeepWrittenElement(StatementHandle& statement, std::int64_t rowIndex, std::uint16_t number,
                        const BoundElement& element);
// True when element still holds exactly the bytes (and, for a value the
// fetch cut, the length) last delivered to column number in that row.
bool HoldsDeliveredElement(const StatementHandle& statement, std::int64_t rowIndex, std::uint16_t number,
                           const BoundElement& element);
