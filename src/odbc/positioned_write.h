// WritePositionedRow: a gathered row into the write cache as the changes to
// the current record or as a new record, which joins the result file and gets
// its bookmark; and the positioned delete. Called by positioned_operations.cc.
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <cstdint>

#include "common/message_ids.h"

struct GatheredRow;
struct StatementHandle;

// How one row of a positioned operation came out: its row status, and the
// message it leaves (0, a warning, or the failure when failed is set).
struct RowOutcome {
  SQLUSMALLINT status = SQL_ROW_SUCCESS;
  MessageId id = kMsgSuccess;
  bool failed = false;
};

// Writes the row. An update needs the table's cursor on the row's record.
// A bound read-only column is left out while it holds the record's current
// value (update) or NULL (add); any other value in it fails the row with
// 1044. A failed row leaves nothing behind: no half-built record, no result
// row, no bookmark. An added row's bookmark goes into column 0 of the
// rowset's row at rowIndex when that column is bound.
RowOutcome WritePositionedRow(StatementHandle& statement, GatheredRow& row, bool add, std::int64_t rowIndex);

// Queues the record the table's cursor stands on for deletion: status
// SQL_ROW_DELETED, or the failure with SQL_ROW_ERROR.
RowOutcome DeletePositionedRow(StatementHandle& statement);
