// The row loop behind SQLSetPos and SQLBulkOperations: a row waiting for data
// at execution suspends it until SQLParamData has the data; afterwards the
// cursor is back on its rowset, so the next fetch moves on from there.
#include "odbc/positioned_operations.h"

#include <sqlext.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/c_to_node.h"
#include "exec/row_positioning.h"
#include "handles/connection_record.h"
#include "handles/descriptor_handle.h"
#include "handles/statement_handle.h"
#include "odbc/bound_columns.h"
#include "odbc/data_at_execution.h"
#include "odbc/delivered_values.h"
#include "odbc/positioned_checks.h"
#include "odbc/positioned_values.h"
#include "odbc/positioned_write.h"
#include "odbc/statement_attributes.h"
#include "sql/parse_tree.h"

// Which row of the rowset a call acts on, and which row of the result it
// shows.
struct RowTarget {
  std::int64_t index = 0;      // in the rowset's buffers and status arrays, 0 first
  std::int64_t resultRow = 0;  // SQLSetPos's row of the result; the bulk operations read theirs from the bookmark
};

// What the rows have come to so far.
struct RowTally {
  std::int64_t acted = 0;
  std::int64_t failed = 0;
  std::int64_t written = 0;
  HandleDiagnostic failure;      // the last failed row's message
  HandleDiagnostic information;  // the last warning
};

struct PositionedOperation {
  std::uint16_t operation = SQL_POSITION;
  bool bulk = false;
  std::vector<RowTarget> rows;
  std::size_t next = 0;          // the row being worked on
  std::int64_t resultRow = 0;    // the result row of an update waiting for data
  bool moved = false;            // the cursor has left the row it stood on
  // A streamed rowset's reading, given back when the call ends.
  std::optional<SourceReadPositions> reading;
  GatheredRow gathered;          // the values of the row being written
  BoundColumns bound;            // where a refresh or a fetch by bookmark delivers
  RowTally tally;
};

namespace {

// One row's step: its outcome, or that it waits for data, or a failure that
// ends the call (a column no row can write).
struct RowStep {
  RowOutcome outcome;
  bool deferred = false;
  bool endsCall = false;
};

SQLRETURN Fail(StatementHandle& statement, MessageId id) {
  statement.diagnostic.messageId = id;
  return SQL_ERROR;
}

SelectFields& SelectOf(StatementHandle& statement) {
  return statement.parseTree->nodes[RootStatementNode(*statement.parseTree)].fields.select;
}

bool WritesRows(std::uint16_t operation) {
  return operation == SQL_UPDATE || operation == SQL_DELETE || operation == SQL_ADD ||
         operation == SQL_UPDATE_BY_BOOKMARK || operation == SQL_DELETE_BY_BOOKMARK;
}

// After a fetch a scrollable cursor stands on the rowset's first row, a
// forward-only one on its last.
std::int64_t RowsetFirstRow(StatementHandle& statement) {
  const bool scrollable = statement.cursorType != kCursorForwardOnly && SelectOf(statement).resultFile != kNoResultFile;
  return scrollable ? statement.currentBookmark : statement.currentBookmark - statement.rowsetRows + 1;
}

// The row operation array lets through the statuses of rows that are there,
// so the fetch's status array serves as one.
bool Proceeds(SQLUSMALLINT entry) {
  return entry == SQL_ROW_PROCEED || entry == SQL_ROW_ADDED || entry == SQL_ROW_SUCCESS_WITH_INFO;
}

std::vector<RowTarget> SetPosRows(StatementHandle& statement, std::uint64_t rowNumber, std::uint16_t operation) {
  const std::int64_t first = RowsetFirstRow(statement);
  if (rowNumber > 0) {
    const auto index = static_cast<std::int64_t>(rowNumber) - 1;
    return {RowTarget{index, first + index}};
  }
  const std::int64_t count = operation == SQL_ADD ? PositionedRowsetSize(statement) : statement.rowsetRows;
  const auto* operations = static_cast<const SQLUSMALLINT*>(statement.currentArd->arrayStatusPointer);
  std::vector<RowTarget> rows;
  for (std::int64_t i = 0; i < count; ++i)
    if (operations == nullptr || i >= statement.rowArraySize || Proceeds(operations[i]))
      rows.push_back(RowTarget{i, first + i});
  return rows;
}

std::vector<RowTarget> BulkRows(const StatementHandle& statement) {
  std::vector<RowTarget> rows;
  for (std::int64_t i = 0; i < statement.rowArraySize; ++i) rows.push_back(RowTarget{i, 0});
  return rows;
}

// Rows read straight from the tables, without a result file to go back to.
bool Streams(StatementHandle& statement) { return SelectOf(statement).resultFile == kNoResultFile; }

// A result file's row is found by its number; a streamed row, which can't be
// read again, by the records its rowset kept for it.
MessageId PositionOnResultRow(StatementHandle& statement, std::int64_t row, std::int64_t rowsetIndex) {
  ParseTree& tree = *statement.parseTree;
  const NodeIndex select = RootStatementNode(tree);
  if (!Streams(statement)) return PositionCursor(statement, tree, select, SQL_FETCH_BOOKMARK, row);
  if (rowsetIndex < 0 || rowsetIndex >= static_cast<std::int64_t>(statement.streamedRowsetIds.size()))
    return kMsgInvalidCursorPosition;
  return PositionOnStreamedRow(statement, tree, select, row,
                               statement.streamedRowsetIds[static_cast<std::size_t>(rowsetIndex)]);
}

MessageId LocateRow(StatementHandle& statement, PositionedOperation& op, const RowTarget& target,
                    std::int64_t& resultRow) {
  resultRow = target.resultRow;
  if (op.bulk) {
    if (MessageId id = ReadRowBookmark(statement, target.index, resultRow)) return id;
  }
  op.moved = true;
  return PositionOnResultRow(statement, resultRow, target.index);
}

RowOutcome Failure(StatementHandle& statement, MessageId id, SQLUSMALLINT status = SQL_ROW_ERROR) {
  statement.diagnostic.messageId = id;
  return RowOutcome{status, id, true};
}

// A row whose record is gone shows the status lostStatus.
RowOutcome LocateFailure(StatementHandle& statement, MessageId id, SQLUSMALLINT lostStatus) {
  return Failure(statement, id, id == kMsgInvalidCursorPosition ? lostStatus : SQL_ROW_ERROR);
}

RowOutcome Delivered(StatementHandle& statement, const PositionedOperation& op, const RowTarget& target) {
  const RowDelivery delivery = DeliverBoundRow(statement, op.bound, target.index);
  if (delivery.result == SQL_ERROR) {
    ForgetDeliveredRow(statement, target.index);
    return Failure(statement, delivery.id);
  }
  KeepDeliveredRow(statement, target.index);
  if (delivery.result == SQL_SUCCESS_WITH_INFO) return RowOutcome{SQL_ROW_SUCCESS_WITH_INFO, delivery.id, false};
  return RowOutcome{};
}

// A refreshed row that is gone is reported, not failed: it is deleted.
RowStep Refresh(StatementHandle& statement, PositionedOperation& op, const RowTarget& target) {
  std::int64_t row = 0;
  const MessageId id = LocateRow(statement, op, target, row);
  if (id == kMsgInvalidCursorPosition) {
    statement.diagnostic.messageId = id;
    return {RowOutcome{SQL_ROW_DELETED, id, false}};
  }
  if (id != kMsgSuccess) return {Failure(statement, id)};
  return {Delivered(statement, op, target)};
}

RowStep FetchByBookmark(StatementHandle& statement, PositionedOperation& op, const RowTarget& target) {
  std::int64_t row = 0;
  if (MessageId id = LocateRow(statement, op, target, row)) return {LocateFailure(statement, id, SQL_ROW_DELETED)};
  return {Delivered(statement, op, target)};
}

RowStep Delete(StatementHandle& statement, PositionedOperation& op, const RowTarget& target) {
  std::int64_t row = 0;
  if (MessageId id = LocateRow(statement, op, target, row))
    return {LocateFailure(statement, id, op.bulk ? SQL_ROW_DELETED : SQL_ROW_ERROR)};
  return {DeletePositionedRow(statement)};
}

// SQLSetPos's update writes only what the application changed in the row
// since it was delivered; an update by bookmark, whose buffers need not hold
// a fetched row, and an add write every column not ignored.
bool WritesChangedColumnsOnly(const PositionedOperation& op) { return op.operation == SQL_UPDATE && !op.bulk; }

RowOutcome WriteGatheredRow(StatementHandle& statement, PositionedOperation& op, std::int64_t index) {
  const RowOutcome outcome = WritePositionedRow(statement, op.gathered, op.operation == SQL_ADD, index);
  if (!outcome.failed && WritesChangedColumnsOnly(op)) KeepWrittenValues(statement, op.gathered, index);
  return outcome;
}

RowStep Write(StatementHandle& statement, PositionedOperation& op, const RowTarget& target) {
  if (op.operation != SQL_ADD) {
    if (MessageId id = LocateRow(statement, op, target, op.resultRow))
      return {LocateFailure(statement, id, SQL_ROW_DELETED)};
  }
  const GatherFailure failure =
      GatherRowValues(statement, target.index, WritesChangedColumnsOnly(op), op.gathered);
  if (failure.id != kMsgSuccess) return {Failure(statement, failure.id), false, failure.endsCall};
  if (op.gathered.deferred) return {RowOutcome{}, true, false};
  return {WriteGatheredRow(statement, op, target.index)};
}

RowStep ActOnRow(StatementHandle& statement, PositionedOperation& op, const RowTarget& target) {
  switch (op.operation) {
    case SQL_POSITION: return {RowOutcome{}};
    case SQL_REFRESH: return Refresh(statement, op, target);
    case SQL_DELETE:
    case SQL_DELETE_BY_BOOKMARK: return Delete(statement, op, target);
    case SQL_FETCH_BY_BOOKMARK: return FetchByBookmark(statement, op, target);
    default: return Write(statement, op, target);
  }
}

// The row's data has arrived: an update goes back to its record first.
RowOutcome WriteCompletedRow(StatementHandle& statement, PositionedOperation& op) {
  const std::int64_t index = op.rows[op.next].index;
  if (op.operation != SQL_ADD) {
    if (MessageId id = PositionOnResultRow(statement, op.resultRow, index))
      return LocateFailure(statement, id, SQL_ROW_DELETED);
  }
  return WriteGatheredRow(statement, op, index);
}

// SQLSetPos also reports into the status array of the last SQLExtendedFetch;
// each array only within its rowset.
void SetRowStatus(StatementHandle& statement, const PositionedOperation& op, std::int64_t index,
                  SQLUSMALLINT status) {
  auto* ird = static_cast<SQLUSMALLINT*>(statement.ird.arrayStatusPointer);
  if (ird != nullptr && index < statement.rowArraySize) ird[index] = status;
  if (!op.bulk && statement.rowsetStatusArray != nullptr && index < statement.rowsetSize)
    statement.rowsetStatusArray[index] = status;
}

void Record(StatementHandle& statement, PositionedOperation& op, const RowTarget& target, const RowOutcome& outcome) {
  SetRowStatus(statement, op, target.index, outcome.status);
  RowTally& tally = op.tally;
  ++tally.acted;
  if (outcome.id != kMsgSuccess) statement.diagnostic.messageId = outcome.id;
  if (outcome.failed) {
    ++tally.failed;
    tally.failure = statement.diagnostic;
    return;
  }
  if (outcome.id != kMsgSuccess) tally.information = statement.diagnostic;
  if (WritesRows(op.operation)) ++tally.written;
}

void EndPositionedOperation(StatementHandle& statement) {
  EndDataAtExecution(statement);
  statement.pendingOperation = kNoPendingOperation;
  statement.positionedOperation.reset();
}

// The cursor goes back to where the fetch left it: a streamed rowset's
// tables to where their reading stopped, so the next fetch reads on after
// the rowset.
void ReturnToRowset(StatementHandle& statement, const PositionedOperation& op) {
  ParseTree& tree = *statement.parseTree;
  const NodeIndex select = RootStatementNode(tree);
  if (op.reading) {
    RestoreSourceReadPositions(tree, select, *op.reading);
    return;
  }
  if (op.moved && statement.currentBookmark > 0)
    PositionCursor(statement, tree, select, SQL_FETCH_BOOKMARK, statement.currentBookmark);
}

void ReportRows(StatementHandle& statement, const PositionedOperation& op) {
  const std::int64_t acted = op.tally.acted;
  if (statement.ird.rowsProcessedPointer != nullptr)
    *static_cast<SQLULEN*>(statement.ird.rowsProcessedPointer) = static_cast<SQLULEN>(acted);
  if (op.bulk && op.operation != SQL_ADD && statement.ipd.rowsProcessedPointer != nullptr)
    *static_cast<SQLULEN*>(statement.ipd.rowsProcessedPointer) = static_cast<SQLULEN>(acted);
  if (!WritesRows(op.operation)) return;
  statement.positionedRowCount = static_cast<std::int32_t>(op.tally.written);
  statement.diagnosticRowCount = static_cast<std::int32_t>(op.tally.written);
}

// Some rows failing is a warning; all of them, an error.
SQLRETURN CallResult(StatementHandle& statement, const RowTally& tally) {
  if (tally.failed > 0) {
    statement.diagnostic = tally.failure;
    return tally.failed == tally.acted ? SQL_ERROR : SQL_SUCCESS_WITH_INFO;
  }
  if (tally.information.messageId != kMsgSuccess) {
    statement.diagnostic = tally.information;
    return SQL_SUCCESS_WITH_INFO;
  }
  ClearDiagnostic(statement.diagnostic);
  return SQL_SUCCESS;
}

// The cursor goes back to its rowset and the rows acted on are counted.
void LeaveRows(StatementHandle& statement, const PositionedOperation& op) {
  ReturnToRowset(statement, op);
  statement.rowsetRowIndex = 0;
  ReportRows(statement, op);
}

SQLRETURN Finish(StatementHandle& statement, PositionedOperation& op) {
  LeaveRows(statement, op);
  const SQLRETURN result = CallResult(statement, op.tally);
  EndPositionedOperation(statement);
  return result;
}

SQLRETURN EndCall(StatementHandle& statement, PositionedOperation& op, MessageId id) {
  const HandleDiagnostic failure = statement.diagnostic;
  LeaveRows(statement, op);
  EndPositionedOperation(statement);
  statement.diagnostic = failure;
  return Fail(statement, id);
}

SQLRETURN AwaitData(StatementHandle& statement, const PositionedOperation& op) {
  statement.dataAtExecution = 1;
  statement.dataAtExecutionPosition = kNoDataAtExecutionPosition;
  statement.pieceOffset = 0;
  statement.pendingOperation = op.operation == SQL_ADD ? op.rows[op.next].index + 1 : 0;
  return SQL_NEED_DATA;
}

SQLRETURN RunRows(StatementHandle& statement, PositionedOperation& op) {
  for (; op.next < op.rows.size(); ++op.next) {
    ClearDiagnostic(statement.diagnostic);
    const RowTarget target = op.rows[op.next];
    const RowStep step = ActOnRow(statement, op, target);
    if (step.endsCall) return EndCall(statement, op, step.outcome.id);
    if (step.deferred) return AwaitData(statement, op);
    Record(statement, op, target, step.outcome);
  }
  return Finish(statement, op);
}

SQLRETURN Start(StatementHandle& statement, std::uint16_t operation, bool bulk, std::vector<RowTarget> rows) {
  // Failures of table access are posted to the connection's current statement.
  if (ConnectionRecord* record = statement.connection->record) record->currentStatement = &statement;
  // Held here as well, so the operation outlives its own end.
  const auto op = std::make_shared<PositionedOperation>();
  op->operation = operation;
  op->bulk = bulk;
  op->rows = std::move(rows);
  if (operation == SQL_REFRESH || operation == SQL_FETCH_BY_BOOKMARK) ResolveBoundColumns(statement, op->bound);
  if (Streams(statement))
    op->reading = KeepSourceReadPositions(*statement.parseTree, RootStatementNode(*statement.parseTree));
  statement.positionedOperation = op;
  statement.positionedRowCount = -1;
  return RunRows(statement, *op);
}

// Announces the row's next column that waits for data; false when none does.
bool AnnounceNextColumn(StatementHandle& statement, PositionedOperation& op, SQLPOINTER* valuePointer) {
  for (PendingColumnValue& column : op.gathered.columns) {
    if (!column.awaitingData) continue;
    column.awaitingData = false;
    statement.dataAtExecutionPosition = column.number;
    statement.pieceOffset = kNoPieceOffset;
    if (valuePointer != nullptr) *valuePointer = column.element.data;
    return true;
  }
  return false;
}

PendingColumnValue* AnnouncedColumn(PositionedOperation& op, std::uint32_t number) {
  for (PendingColumnValue& column : op.gathered.columns)
    if (column.number == number && !column.awaitingData) return &column;
  return nullptr;
}

}  // namespace

SQLRETURN SetPosCore(StatementHandle& statement, std::uint64_t rowNumber, std::uint16_t operation,
                     std::uint16_t lockType) {
  statement.diagnostic.messageId = kMsgSuccess;
  statement.diagnosticRowCount = 0;
  if (MessageId id = CheckSetPos(statement, rowNumber, operation, lockType)) return Fail(statement, id);
  return Start(statement, operation, false, SetPosRows(statement, rowNumber, operation));
}

SQLRETURN BulkOperationsCore(StatementHandle& statement, std::uint16_t operation) {
  statement.diagnostic.messageId = kMsgSuccess;
  statement.diagnosticRowCount = 0;
  if (MessageId id = CheckBulkOperation(statement, operation)) return Fail(statement, id);
  statement.rowsetStatusArray = nullptr;
  return Start(statement, operation, true, BulkRows(statement));
}

SQLRETURN PositionedParamData(StatementHandle& statement, SQLPOINTER* valuePointer) {
  const std::shared_ptr<PositionedOperation> op = statement.positionedOperation;
  if (op == nullptr || op->next >= op->rows.size()) {
    EndPositionedOperation(statement);
    return Fail(statement, kMsgInternalError);
  }
  if (statement.heldHighSurrogate != 0) {
    // The last piece ended with half a surrogate pair.
    EndPositionedOperation(statement);
    return Fail(statement, kMsgAssignmentError);
  }
  if (AnnounceNextColumn(statement, *op, valuePointer)) return SQL_NEED_DATA;
  EndDataAtExecution(statement);
  ClearDiagnostic(statement.diagnostic);
  Record(statement, *op, op->rows[op->next], WriteCompletedRow(statement, *op));
  ++op->next;
  const SQLRETURN result = RunRows(statement, *op);
  // A later row waiting for data of its own is announced at once.
  if (result == SQL_NEED_DATA) AnnounceNextColumn(statement, *op, valuePointer);
  return result;
}

void CancelPositionedOperation(StatementHandle& statement) {
  if (const std::shared_ptr<PositionedOperation> op = statement.positionedOperation) ReturnToRowset(statement, *op);
  EndPositionedOperation(statement);
}

SQLRETURN PositionedPutData(StatementHandle& statement, SQLPOINTER data, SQLLEN lengthOrIndicator) {
  const std::shared_ptr<PositionedOperation> op = statement.positionedOperation;
  PendingColumnValue* column = op == nullptr ? nullptr : AnnouncedColumn(*op, statement.dataAtExecutionPosition);
  if (column == nullptr || op->next >= op->rows.size()) return Fail(statement, kMsgInternalError);
  if (statement.pieceOffset == kNoPieceOffset) statement.pieceOffset = 0;
  SQLLEN offset = static_cast<SQLLEN>(statement.pieceOffset);
  std::string joined;
  if (column->element.cType == SQL_C_WCHAR)
    JoinSurrogateHalves(statement, column->bufferLength, data, lengthOrIndicator, joined);
  const MessageId id = ConvertCValueToNodeValue(&statement, column->value, &offset, column->element.cType, data,
                                                lengthOrIndicator, 0, column->bufferLength);
  statement.pieceOffset = offset;
  if (id == kMsgSuccess) return SQL_SUCCESS;
  if (id == kMsgDataTruncated) {
    op->gathered.warning = id;
    SetRowStatus(statement, *op, op->rows[op->next].index, SQL_ROW_SUCCESS_WITH_INFO);
    statement.diagnostic.messageId = id;
    return SQL_SUCCESS_WITH_INFO;
  }
  EndPositionedOperation(statement);
  return Fail(statement, id);
}
