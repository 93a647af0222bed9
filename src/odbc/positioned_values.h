// What positioned writes take from the bound buffers, a rowset row at a time:
// each column's new value (ignored columns left out, data at execution
// deferred) and the row's bookmark. Used by the positioned operations.
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <cstdint>
#include <vector>

#include "common/message_ids.h"
#include "common/value_cell.h"
#include "odbc/bound_elements.h"
#include "sql/parse_tree.h"

struct StatementHandle;

// One bound column's new value for the row being written.
struct PendingColumnValue {
  std::uint16_t number = 0;
  NodeIndex column = kNoNode;  // the select item, a column reference
  SQLLEN bufferLength = 0;
  BoundElement element;  // the row's element of the column's buffers
  bool awaitingData = false;
  ValueCell value;
};

struct GatheredRow {
  std::vector<PendingColumnValue> columns;  // the columns to write, in the ARD's order
  MessageId warning = kMsgSuccess;          // 1002 when a value was cut
  bool deferred = false;                    // some column waits for data at execution
};

// A failure while gathering: whether it is the row's alone (a value that
// does not convert) or ends the whole call (a column that can't be written
// in any row).
struct GatherFailure {
  MessageId id = kMsgSuccess;
  bool endsCall = false;
};

// Gathers the bound values of the rowset's row at rowIndex (0 first) into
// row: every column not ignored, or with changedOnly only those whose buffers
// no longer hold what was last delivered to them (a positioned update, which
// must not write back a column the application never touched). No buffer is
// read past its length. Call-ending: 1008 a bound column beyond the select
// list, 1076 one whose select item is an expression, 1003 a column type
// without storage; the row's own: 1126 a column whose length says more than
// its buffer holds, ConvertCValueToNodeValue's failures.
GatherFailure GatherRowValues(StatementHandle& statement, std::int64_t rowIndex, bool changedOnly,
                              GatheredRow& row);
// The row's written columns now hold what its record was given.
void KeepWrittenValues(StatementHandle& statement, const GatheredRow& row, std::int64_t rowIndex);

// The bookmark bound as column 0 in the rowset's row at rowIndex. 0; 1084
// when column 0 is not bound with a length buffer, its value is NULL or no
// bookmark; 1088 the bookmark of a row added without a result file.
MessageId ReadRowBookmark(StatementHandle& statement, std::int64_t rowIndex, std::int64_t& bookmark);
// True when column 0 is bound as the bulk operations by bookmark need it.
bool BookmarkColumnBound(const StatementHandle& statement);

// Writes a new row's bookmark into column 0 of the rowset's row at rowIndex,
// when that column is bound. 0, or the conversion's failure.
MessageId DeliverRowBookmark(StatementHandle& statement, std::int64_t rowIndex, std::int64_t bookmark);
