// Writing one gathered row through the table's cursor: the values into the
// row under construction, the row into the write cache, and for a new row
// its place at the end of the result file and its bookmark.
#include "odbc/positioned_write.h"

#include <sqlext.h>

#include "exec/expression_evaluation.h"
#include "exec/row_writes.h"
#include "exec/source_queries.h"
#include "exec/spool_files.h"
#include "handles/statement_handle.h"
#include "odbc/positioned_values.h"
#include "tables/added_row_ids.h"
#include "tables/table_cursor.h"
#include "tables/table_select.h"
#include "tables/write_cache.h"

namespace {

// The cursor of the result's one table.
TableCursor* ResultTableCursor(const StatementHandle& statement) {
  const ParseTree& tree = *statement.parseTree;
  const NodeIndex select = RootStatementNode(tree);
  const NodeIndex item = select == kNoNode ? kNoNode : tree.nodes[select].fields.select.fromList;
  if (item == kNoNode) return nullptr;
  return tree.nodes[tree.nodes[item].fields.joinItem.tableReference].fields.tableReference.cursor;
}

std::uint16_t ColumnIndexOf(const ParseTree& tree, const PendingColumnValue& pending) {
  return static_cast<std::uint16_t>(tree.nodes[pending.column].fields.columnReference.columnNumber);
}

bool IsReadOnly(const TableCursor& cursor, std::uint16_t column) {
  return cursor.pseudoTable == PseudoTable::kNone && column < cursor.columns.size() &&
         cursor.columns[column].updatable == SQL_ATTR_READONLY;
}

// Both NULL, or equal as the driver compares values.
bool HoldsCurrentValue(StatementHandle& statement, ParseTree& tree, const PendingColumnValue& pending) {
  const MessageId evaluated = EvaluateRowExpression(statement, tree, pending.column);
  if (evaluated != kMsgSuccess && evaluated != kMsgDataTruncated) return false;
  const ValueCell& current = tree.nodes[pending.column].cell;
  if (current.nullFlag != 0 || pending.value.nullFlag != 0) return current.nullFlag != 0 && pending.value.nullFlag != 0;
  ValueCell equal;
  equal.valueType = kValueInteger;
  return CompareValues(equal, current, kOpEqual, pending.value) == kMsgSuccess && equal.value.number == 1.0;
}

// An application that binds every column of the result hands back the
// record id, formulas and built-in fields too: writing them would change
// nothing, so they stay out of the write instead of failing it.
bool LeftOut(StatementHandle& statement, ParseTree& tree, const TableCursor& cursor,
             const PendingColumnValue& pending, bool add) {
  if (!IsReadOnly(cursor, ColumnIndexOf(tree, pending))) return false;
  if (add) return pending.value.nullFlag != 0;
  return HoldsCurrentValue(statement, tree, pending);
}

MessageId StoreValuesAndWrite(StatementHandle& statement, ParseTree& tree, TableCursor& cursor,
                              const GatheredRow& row, bool add, MessageId& warning) {
  for (const PendingColumnValue& pending : row.columns) {
    if (LeftOut(statement, tree, cursor, pending, add)) continue;
    const MessageId id =
        StoreCellValue(cursor, ColumnIndexOf(tree, pending), tree.nodes[pending.column].cell, pending.value);
    if (id == kMsgDataTruncated) warning = id;
    else if (id != kMsgSuccess) return id;
    statement.transactionFlags[0] = 1;
  }
  return WriteRow(cursor);
}

RowOutcome Failed(StatementHandle& statement, MessageId id) {
  PostTableFailure(statement, id);
  statement.diagnostic.messageId = id;
  return RowOutcome{SQL_ROW_ERROR, id, true};
}

RowOutcome Written(MessageId warning, SQLUSMALLINT status) {
  return RowOutcome{warning != kMsgSuccess ? static_cast<SQLUSMALLINT>(SQL_ROW_SUCCESS_WITH_INFO) : status, warning,
                    false};
}

// A new row that can't be given its place in the result is taken back while
// it is only in the write cache, so that no failure leaves a written row.
void TakeBackAddedRow(TableCursor& cursor, std::uint32_t recordId) {
  if (recordId < kFirstProvisionalRecordId) return;
  if (PositionOnRow(cursor, recordId) == kMsgSuccess) DeleteCurrentRow(cursor);
}

RowOutcome FinishAddedRow(StatementHandle& statement, ParseTree& tree, NodeIndex select, TableCursor& cursor,
                          std::int64_t rowIndex, MessageId warning) {
  std::uint32_t recordId = 0;
  GetCursorRecordId(cursor, recordId);
  std::int64_t bookmark = kAddedRowBookmark;
  if (tree.nodes[select].fields.select.resultFile != kNoResultFile) {
    if (MessageId id = AppendResultRow(tree, select, recordId)) {
      TakeBackAddedRow(cursor, recordId);
      return Failed(statement, id);
    }
    KeepAddedRowId(cursor, recordId);
    bookmark = tree.nodes[select].fields.select.rowCount;
  }
  if (MessageId id = DeliverRowBookmark(statement, rowIndex, bookmark)) return Failed(statement, id);
  return Written(warning, SQL_ROW_ADDED);
}

}  // namespace

RowOutcome WritePositionedRow(StatementHandle& statement, GatheredRow& row, bool add, std::int64_t rowIndex) {
  ParseTree& tree = *statement.parseTree;
  TableCursor* cursor = ResultTableCursor(statement);
  if (cursor == nullptr) return Failed(statement, kMsgInternalError);
  // An update of a row the application did not change sends nothing.
  if (!add && row.columns.empty()) return Written(row.warning, SQL_ROW_UPDATED);
  // An add moves the table's cursor to the new record; the result's current
  // row must still read the record it stood on.
  const std::uint32_t standingOn = cursor->recordId;
  const bool onRow = CursorHasRow(*cursor);
  if (add) {
    if (MessageId id = NewInsertRow(*cursor)) return Failed(statement, id);
    statement.transactionFlags[0] = 1;
  }
  MessageId warning = row.warning;
  if (MessageId id = StoreValuesAndWrite(statement, tree, *cursor, row, add, warning)) {
    DiscardRowUnderConstruction(*cursor);
    return Failed(statement, id);
  }
  statement.transactionFlags[0] = 1;
  if (!add) return Written(warning, SQL_ROW_UPDATED);
  const RowOutcome outcome = FinishAddedRow(statement, tree, RootStatementNode(tree), *cursor, rowIndex, warning);
  if (onRow) PositionOnRow(*cursor, standingOn);
  return outcome;
}

RowOutcome DeletePositionedRow(StatementHandle& statement) {
  TableCursor* cursor = ResultTableCursor(statement);
  if (cursor == nullptr) return Failed(statement, kMsgInternalError);
  if (MessageId id = DeleteCurrentRow(*cursor)) return Failed(statement, id);
  statement.transactionFlags[0] = 1;
  return RowOutcome{SQL_ROW_DELETED, kMsgSuccess, false};
}
