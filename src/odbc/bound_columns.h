// A fetch's bound columns: the ARD's records with their sources resolved
// once per fetch, and the delivery of one row of the rowset into them.
// Used by the fetch functions.
#pragma once

#include <sql.h>

#include <vector>

#include "common/message_ids.h"
#include "odbc/column_data.h"

struct StatementHandle;

struct BoundColumn {
  ColumnBinding binding;
  ColumnSource source;
  MessageId unresolved = kMsgSuccess;  // why the column has no source, delivered as its failure
};

struct BoundColumns {
  std::vector<BoundColumn> columns;
  std::uint64_t bindType = 0;
  std::int64_t bindOffset = 0;
};

// The current ARD's records in list order, and its bind type and offset.
void ResolveBoundColumns(StatementHandle& statement, BoundColumns& bound);

// What delivering one row came to: SQL_SUCCESS, SQL_SUCCESS_WITH_INFO with
// the warning's id, or SQL_ERROR with the failed column's id (the row's
// remaining columns are left alone).
struct RowDelivery {
  SQLRETURN result = SQL_SUCCESS;
  MessageId id = kMsgSuccess;
};

// Delivers the current row into the element rowIndex of every bound
// column. The long-data position starts and ends at nothing, so SQLGetData
// after the fetch starts every column afresh.
RowDelivery DeliverBoundRow(StatementHandle& statement, const BoundColumns& bound, std::int64_t rowIndex);
