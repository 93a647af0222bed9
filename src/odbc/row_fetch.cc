// The three fetch functions over one rowset loop: the cursor moves to each
// row of the rowset in turn (a catalog result or a query result), the bound
// columns receive it, and every row's status and the number of rows fetched
// are reported at the widths ODBC gives them.
#include "odbc/row_fetch.h"

#include <sqlext.h>

#include <string>

#include "handles/descriptor_handle.h"
#include "handles/statement_handle.h"
#include "odbc/bound_columns.h"
#include "odbc/catalog_column_tables.h"
#include "odbc/catalog_rows.h"
#include "odbc/delivered_values.h"
#include "odbc/query_rowsets.h"

namespace {

// Where a rowset's outcome is reported, and how it treats a row's failure:
// ODBC 2's SQLExtendedFetch marks the row and goes on.
struct RowsetReport {
  std::int64_t size = 1;
  SQLULEN* rowsFetched = nullptr;
  SQLUSMALLINT* statuses = nullptr;
  bool extended = false;
};

void SetFetched(const RowsetReport& report, std::int64_t rows) {
  if (report.rowsFetched != nullptr) *report.rowsFetched = static_cast<SQLULEN>(rows);
}

void SetStatus(const RowsetReport& report, std::int64_t index, SQLUSMALLINT status) {
  if (report.statuses != nullptr) report.statuses[index] = status;
}

void MarkNoRows(const RowsetReport& report, std::int64_t from) {
  for (std::int64_t i = from; i < report.size; ++i) SetStatus(report, i, SQL_ROW_NOROW);
}

SQLRETURN Fail(StatementHandle& statement, MessageId id) {
  statement.diagnostic.messageId = id;
  return SQL_ERROR;
}

// A row of a static cursor whose record the table no longer has.
bool IsLostRow(MessageId id) { return id == kMsgNoMoreRows || id == kMsgInvalidCursorPosition; }

RowDelivery DeliverRow(StatementHandle& statement, const BoundColumns& bound, MessageId moved,
                       std::int64_t index) {
  if (IsLostRow(moved)) return RowDelivery{SQL_ERROR, kMsgInvalidCursorPosition};
  return DeliverBoundRow(statement, bound, index);
}

SQLUSMALLINT StatusOf(const RowDelivery& row, MessageId moved) {
  if (IsLostRow(moved)) return SQL_ROW_DELETED;
  if (row.result == SQL_ERROR) return SQL_ROW_ERROR;
  return row.result == SQL_SUCCESS ? SQL_ROW_SUCCESS : SQL_ROW_SUCCESS_WITH_INFO;
}

// Fills the rowset: move(i) puts the cursor on its row i (0; 1038 at the
// end; a lost row's id; or a failure). A row's warning marks only that row
// and the rowset goes on. rowsFetched receives the rows read.
template <typename Move>
SQLRETURN FillRowset(StatementHandle& statement, const RowsetReport& report, Move move, std::int64_t& rowsFetched) {
  BoundColumns bound;
  ResolveBoundColumns(statement, bound);
  MessageId information = kMsgSuccess;
  rowsFetched = 0;
  for (std::int64_t i = 0; i < report.size; ++i) {
    const MessageId moved = move(i);
    if (moved == kMsgNoDataFound) break;
    if (moved != kMsgSuccess && !IsLostRow(moved)) {
      MarkNoRows(report, i);
      return Fail(statement, moved);
    }
    rowsFetched = i + 1;
    SetFetched(report, rowsFetched);
    const RowDelivery row = DeliverRow(statement, bound, moved, i);
    if (row.result != SQL_ERROR) KeepDeliveredRow(statement, i);
    SetStatus(report, i, StatusOf(row, moved));
    // A deleted row is a status of its own, not a failure of the rowset:
    // the rows around it are still delivered.
    if (row.result == SQL_ERROR && !report.extended && !IsLostRow(moved)) {
      MarkNoRows(report, i + 1);
      return Fail(statement, row.id);
    }
    if (row.result != SQL_SUCCESS) information = row.id;
  }
  MarkNoRows(report, rowsFetched);
  statement.diagnostic.messageId = rowsFetched == 0 ? kMsgSuccess : information;
  if (rowsFetched == 0) return SQL_NO_DATA;
  return information == kMsgSuccess ? SQL_SUCCESS : SQL_SUCCESS_WITH_INFO;
}

SQLRETURN FetchCatalogRowset(StatementHandle& statement, std::uint16_t orientation, const RowsetReport& report) {
  if (orientation != SQL_FETCH_NEXT) {
    statement.diagnostic.detailText = "fetch orientation " + std::to_string(orientation) + " on a catalog result";
    return Fail(statement, kMsgNotSupportedDetail);
  }
  auto move = [&statement](std::int64_t) -> MessageId {
    const SQLRETURN advanced = AdvanceCatalogRow(statement);
    if (advanced == SQL_NO_DATA) return kMsgNoDataFound;
    if (advanced == SQL_ERROR) return statement.diagnostic.messageId;
    ++statement.currentBookmark;
    return kMsgSuccess;
  };
  std::int64_t rows = 0;
  const SQLRETURN result = FillRowset(statement, report, move, rows);
  if (result == SQL_NO_DATA) statement.currentBookmark = 0;
  return result;
}

SQLRETURN FetchQueryRowset(StatementHandle& statement, std::uint16_t orientation, std::int64_t offset,
                           BookmarkSource bookmarks, const RowsetReport& report) {
  QueryRowset rowset;
  MessageId id = StartQueryRowset(statement, orientation, offset, report.size, bookmarks, rowset);
  // A refused fetch leaves the cursor, and the size its next NEXT steps by.
  if (id == kMsgSuccess || id == kMsgNoDataFound) statement.previousRowsetSize = report.size;
  if (id == kMsgNoDataFound) {
    statement.currentBookmark = 0;
    return SQL_NO_DATA;
  }
  if (id != kMsgSuccess) return Fail(statement, id);
  std::int64_t rows = 0;
  auto move = [&statement, &rowset](std::int64_t index) { return MoveToRowsetRow(statement, rowset, index); };
  const SQLRETURN result = FillRowset(statement, report, move, rows);
  statement.rowsetRows = rows;
  const MessageId kept = statement.diagnostic.messageId;
  id = FinishQueryRowset(statement, rowset, rows);
  if (id != kMsgSuccess) return Fail(statement, id);
  statement.diagnostic.messageId = kept;
  return result;
}

// Everything the three functions share: the reset of the last fetch's
// state, the report's starting values and the dispatch by statement kind.
SQLRETURN FetchRowset(StatementHandle& statement, std::uint16_t orientation, std::int64_t offset,
                      BookmarkSource bookmarks, const RowsetReport& report) {
  statement.diagnostic.messageId = kMsgSuccess;
  statement.diagnosticRowCount = 0;
  statement.rowsetStatusArray = nullptr;
  statement.pendingOperation = kNoPendingOperation;
  statement.positionedRowCount = -1;
  statement.rowsetRows = 0;
  statement.streamedRowsetIds.clear();
  StartDeliveredRowset(statement, report.size);
  SetFetched(report, 0);
  MarkNoRows(report, 0);
  SQLRETURN result = SQL_NO_DATA;
  if (GetCatalogColumnTable(statement) != nullptr) {
    result = FetchCatalogRowset(statement, orientation, report);
  } else if (statement.statementKind == kStatementQueryResult && statement.parseTree != nullptr) {
    result = FetchQueryRowset(statement, orientation, offset, bookmarks, report);
  } else if (statement.passThrough == 0) {
    statement.currentBookmark = 0;
    result = Fail(statement, kMsgInvalidCursorState);
  }
  statement.rowsetRowIndex = 0;
  return result;
}

RowsetReport ReportThroughIrd(StatementHandle& statement, std::int64_t size) {
  return RowsetReport{size, static_cast<SQLULEN*>(statement.ird.rowsProcessedPointer),
                      static_cast<SQLUSMALLINT*>(statement.ird.arrayStatusPointer), false};
}

}  // namespace

SQLRETURN FetchRow(StatementHandle& statement) {
  return FetchRowset(statement, SQL_FETCH_NEXT, 0, BookmarkSource::kFetchBookmarkPointer,
                     ReportThroughIrd(statement, statement.rowArraySize));
}

SQLRETURN FetchScroll(StatementHandle& statement, std::uint16_t orientation, std::int64_t offset) {
  return FetchRowset(statement, orientation, offset, BookmarkSource::kFetchBookmarkPointer,
                     ReportThroughIrd(statement, statement.rowArraySize));
}

SQLRETURN ExtendedFetch(StatementHandle& statement, std::uint16_t orientation, std::int64_t offset,
                        SQLULEN* rowCount, SQLUSMALLINT* rowStatus) {
  const RowsetReport report{statement.rowsetSize, rowCount, rowStatus, true};
  const SQLRETURN result = FetchRowset(statement, orientation, offset, BookmarkSource::kOffset, report);
  // SQLSetPos works on the rows of the status array that the last
  // SQLExtendedFetch filled.
  if (result == SQL_SUCCESS || result == SQL_SUCCESS_WITH_INFO) statement.rowsetStatusArray = rowStatus;
  return result;
}
