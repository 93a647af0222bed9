// The values of a result's columns converted into a target: a query result's
// select item read straight from its table or evaluated for the current row,
// and any value handed over with its SQL type (bookmarks, catalog rows).
// Used by column_data.cc.
#pragma once

#include <sql.h>

#include <cstdint>

#include "common/message_ids.h"
#include "odbc/column_data.h"

struct StatementHandle;

// The resolved C type (no SQL_C_DEFAULT), the element of the row and the
// long value's position, which the conversions advance.
struct ValueTarget {
  SQLSMALLINT cType = SQL_C_CHAR;
  std::int32_t precision = 0;
  std::int32_t scale = 0;
  void* data = nullptr;
  SQLLEN length = 0;
  SQLLEN* pieceOffset = nullptr;
};

// A value of an SQL type (ConvertSqlValueToCType's source forms) into the
// target. 0, 1002, 1038 (returned completely before) or a conversion's id;
// outLength -1 for NULL.
MessageId ConvertColumnValue(const StatementHandle& statement, SQLSMALLINT sqlType, const void* source,
                             SQLLEN sourceLength, const ValueTarget& target, SQLLEN& outLength);

// The select item's value of the current row into the target: a column read
// from its table in pieces, or the evaluated expression. Ids as above, or
// the failures of evaluation and table access (their text on the statement).
MessageId ReadQueryColumn(StatementHandle& statement, const ColumnSource& source, const ValueTarget& target,
                          SQLLEN& outLength);

// True when a column reference of this SELECT reads its value from its
// table's current record: not from a spooled, grouped or DISTINCT record.
bool ReadsFromTable(const ParseTree& tree, NodeIndex select, NodeIndex value);
