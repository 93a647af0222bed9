// INSERT, UPDATE and DELETE. UPDATE and DELETE first collect the record ids
// of the rows their condition selects and only then write, so that a
// changed or deleted row can never make the scan skip or repeat one. INSERT
// and UPDATE build every row before any reaches the write cache: a value
// refused in any row leaves nothing of the statement to send.
#include "exec/row_writes.h"

#include <vector>

#include "common/decimal_text.h"
#include "common/number_text.h"
#include "exec/expression_evaluation.h"
#include "exec/row_positioning.h"
#include "exec/row_sources.h"
#include "exec/source_queries.h"
#include "exec/statement_executor.h"
#include "handles/statement_handle.h"
#include "tables/table_cursor.h"
#include "tables/table_select.h"
#include "tables/write_cache.h"

namespace {

inline constexpr double kDoubleLimit = 1.7e308;
inline constexpr std::uint16_t kFetchNext = 1;

TableCursor* CursorOf(ParseTree& tree, NodeIndex tableReference) {
  return tree.nodes[tableReference].fields.tableReference.cursor;
}

// A numeric column takes decimal text fitted to its precision and scale.
MessageId NumericText(const ValueCell& column, const ValueCell& value, std::string& text) {
  if (value.valueType == kValueNumeric) {
    text = value.bytes;
  } else if (value.valueType == kValueInteger || value.valueType == kValueDouble) {
    std::string buffer(static_cast<std::size_t>(column.size) + 3, '\0');
    FormatDoubleText(value.value.number, false, buffer.data(), buffer.size());
    text.assign(buffer.c_str());
  } else {
    return kMsgInternalError;
  }
  return FitNumericText(text, text, static_cast<std::size_t>(column.size) + 2, static_cast<std::uint16_t>(column.size),
                        column.digits == kNoDigits ? 0 : column.digits);
}

MessageId NumberOf(const ValueCell& value, double& number) {
  if (value.valueType == kValueInteger || value.valueType == kValueDouble) {
    number = value.value.number;
    return kMsgSuccess;
  }
  if (value.valueType != kValueNumeric) return kMsgInternalError;
  return ParseDoubleInRange(value.bytes.c_str(), static_cast<SQLLEN>(value.bytes.size()), false, -kDoubleLimit,
                            kDoubleLimit, number);
}

const void* InPlaceValue(const ValueCell& value, std::int16_t type, SQLLEN& length) {
  switch (type) {
    case kValueDate: length = sizeof(SQL_DATE_STRUCT); return &value.value.date;
    case kValueTime: length = sizeof(SQL_TIME_STRUCT); return &value.value.time;
    default: length = sizeof(SQL_TIMESTAMP_STRUCT); return &value.value.timestamp;
  }
}

// Rows of the source of an INSERT: one for VALUES, each row of a SELECT.
MessageId NextSourceRow(StatementHandle& statement, ParseTree& tree, NodeIndex source, bool& first, bool& more) {
  if (tree.nodes[source].kind != kNodeSelect) {
    more = first;
    first = false;
    return kMsgSuccess;
  }
  first = false;
  const MessageId id = PositionCursor(statement, tree, source, kFetchNext, 0);
  more = id == kMsgSuccess;
  return id == kMsgNoDataFound ? kMsgSuccess : id;
}

NodeIndex ValueOfItem(ParseTree& tree, NodeIndex item) { return tree.nodes[item].fields.listItem.value; }

// One row of an INSERT: every column of the list with its value, set aside
// in built. A row that fails is dropped.
MessageId InsertOneRow(StatementHandle& statement, ParseTree& tree, const InsertFields& insert, TableCursor& cursor,
                       std::vector<RowUnderConstruction>& built, MessageId& remembered) {
  statement.transactionFlags[1] = 1;
  if (MessageId id = PostTableFailure(statement, NewInsertRow(cursor))) return id;
  statement.transactionFlags[0] = 1;
  const bool fromSelect = tree.nodes[insert.source].kind == kNodeSelect;
  NodeIndex item = fromSelect ? tree.nodes[insert.source].fields.select.selectList : insert.source;
  for (NodeIndex column = insert.columnList; column != kNoNode && item != kNoNode;
       column = tree.nodes[column].fields.insertColumn.next, item = tree.nodes[item].fields.listItem.next) {
    MessageId id = EvaluateRowExpression(statement, tree, ValueOfItem(tree, item));
    if (id == kMsgSuccess || id == kMsgDataTruncated) {
      if (id != kMsgSuccess) remembered = id;
      id = StoreColumnValue(tree, tree.nodes[column].fields.insertColumn.columnReference,
                            ValueOfItem(tree, item));
    }
    if (id == kMsgDataTruncated) {
      remembered = id;
      continue;
    }
    if (id != kMsgSuccess) {
      DeleteCurrentRow(cursor);
      return PostTableFailure(statement, id);
    }
  }
  if (MessageId id = PostTableFailure(statement, SetRowAside(cursor, built))) {
    DeleteCurrentRow(cursor);
    return id;
  }
  ++statement.diagnosticRowCount;
  return kMsgSuccess;
}

// The record ids of every row the condition selects, before any is changed.
MessageId CollectQualifyingRows(StatementHandle& statement, ParseTree& tree, NodeIndex table, NodeIndex where,
                                std::vector<std::uint32_t>& recordIds) {
  statement.transactionFlags[1] = 1;
  if (TableCursor* cursor = CursorOf(tree, table)) cursor->keepsEveryPage = true;
  const MessageId opened = OpenSourceQuery(statement, tree, table);
  if (opened == kMsgNoDataFound) return kMsgSuccess;
  if (opened != kMsgSuccess) return opened;
  for (;;) {
    const MessageId id = FetchNextQualifyingRow(statement, tree, table, where, 0);
    if (id == kMsgNoDataFound) return kMsgSuccess;
    if (id != kMsgSuccess) return id;
    std::uint32_t recordId = 0;
    GetCursorRecordId(*CursorOf(tree, table), recordId);
    recordIds.push_back(recordId);
  }
}

// The current row with every assignment applied, set aside in built.
MessageId UpdateOneRow(StatementHandle& statement, ParseTree& tree, const UpdateFields& update, TableCursor& cursor,
                       std::vector<RowUnderConstruction>& built, MessageId& remembered) {
  for (NodeIndex set = update.firstAssignment; set != kNoNode; set = tree.nodes[set].fields.assignment.next) {
    const AssignmentFields a = tree.nodes[set].fields.assignment;
    MessageId id = EvaluateRowExpression(statement, tree, a.value);
    if (id != kMsgSuccess && id != kMsgDataTruncated) return id;
    if (id != kMsgSuccess) remembered = id;
    id = StoreColumnValue(tree, a.columnReference, a.value);
    if (id == kMsgDataTruncated) remembered = id;
    else if (id != kMsgSuccess) return PostTableFailure(statement, id);
  }
  if (MessageId id = PostTableFailure(statement, SetRowAside(cursor, built))) return id;
  statement.transactionFlags[0] = 1;
  ++statement.diagnosticRowCount;
  return kMsgSuccess;
}

// The rows set aside, once every row of the statement is built.
MessageId WriteBuiltRows(StatementHandle& statement, TableCursor& cursor, std::vector<RowUnderConstruction>& built) {
  if (MessageId id = PostTableFailure(statement, WriteRowsSetAside(cursor, built))) return id;
  statement.transactionFlags[0] = 1;
  return kMsgSuccess;
}

}  // namespace

MessageId StoreColumnValue(ParseTree& tree, NodeIndex columnReference, NodeIndex value) {
  const ColumnReferenceFields& c = tree.nodes[columnReference].fields.columnReference;
  TableCursor* cursor = CursorOf(tree, c.tableReference);
  if (cursor == nullptr) return kMsgInternalError;
  return StoreCellValue(*cursor, static_cast<std::uint16_t>(c.columnNumber), tree.nodes[columnReference].cell,
                        tree.nodes[value].cell);
}

MessageId StoreCellValue(TableCursor& cursor, std::uint16_t column, const ValueCell& target, const ValueCell& source) {
  const bool isNull = source.nullFlag != 0;
  MessageId fitted = kMsgSuccess;
  std::int16_t type = kValueCharacter;
  std::string text;
  double number = 0;
  const void* data = nullptr;
  SQLLEN length = 0;
  switch (target.valueType) {
    case kValueBinary:
    case kValueCharacter:
      type = target.valueType;
      data = source.bytes.data();
      length = static_cast<SQLLEN>(source.bytes.size());
      break;
    case kValueNumeric:
      if (!isNull) {
        fitted = NumericText(target, source, text);
        if (fitted != kMsgSuccess && fitted != kMsgDataTruncated) return fitted;
      }
      data = text.data();
      length = static_cast<SQLLEN>(text.size());
      break;
    case kValueInteger:
    case kValueDouble:
      type = kValueDouble;
      if (!isNull) {
        if (MessageId id = NumberOf(source, number); id != kMsgSuccess) return id;
      }
      data = &number;
      length = sizeof number;
      break;
    case kValueDate:
    case kValueTime:
    case kValueTimestamp:
      type = target.valueType;
      data = InPlaceValue(source, type, length);
      break;
    default: return kMsgInternalError;
  }
  const MessageId id = UpdateRowValues(cursor, column, type, isNull ? nullptr : data, isNull ? SQL_NULL_DATA : length);
  return id != kMsgSuccess ? id : fitted;
}

MessageId ExecuteInsert(StatementHandle& statement, ParseTree& tree, NodeIndex insertNode) {
  const InsertFields insert = tree.nodes[insertNode].fields.insert;
  TableCursor* cursor = CursorOf(tree, insert.tableReference);
  if (cursor == nullptr || insert.source == kNoNode) return kMsgInternalError;
  MessageId remembered = kMsgSuccess;
  if (tree.nodes[insert.source].kind == kNodeSelect) {
    const MessageId id = ExecuteStatementTree(statement, tree, insert.source);
    if (id == kMsgDataTruncated) remembered = id;
    else if (id != kMsgSuccess && id != kMsgNoDataFound) return id;
  }
  statement.diagnosticRowCount = 0;
  std::vector<RowUnderConstruction> built;
  bool first = true;
  for (;;) {
    bool more = false;
    if (MessageId id = NextSourceRow(statement, tree, insert.source, first, more)) return id;
    if (!more) break;
    if (MessageId id = InsertOneRow(statement, tree, insert, *cursor, built, remembered)) return id;
  }
  if (MessageId id = WriteBuiltRows(statement, *cursor, built)) return id;
  statement.rowCount = statement.diagnosticRowCount;
  return remembered;
}

MessageId ExecuteUpdate(StatementHandle& statement, ParseTree& tree, NodeIndex updateNode) {
  const UpdateFields update = tree.nodes[updateNode].fields.update;
  TableCursor* cursor = CursorOf(tree, update.tableReference);
  if (cursor == nullptr) return kMsgInternalError;
  std::vector<std::uint32_t> recordIds;
  if (MessageId id = CollectQualifyingRows(statement, tree, update.tableReference, update.where, recordIds)) return id;
  statement.diagnosticRowCount = 0;
  MessageId remembered = kMsgSuccess;
  std::vector<RowUnderConstruction> built;
  for (std::uint32_t recordId : recordIds) {
    if (MessageId id = PostTableFailure(statement, PositionOnRow(*cursor, recordId))) return id;
    tree.nodes[update.tableReference].fields.tableReference.nullRow = 0;
    if (MessageId id = UpdateOneRow(statement, tree, update, *cursor, built, remembered)) {
      DiscardRowUnderConstruction(*cursor);
      return id;
    }
  }
  if (MessageId id = WriteBuiltRows(statement, *cursor, built)) return id;
  statement.rowCount = statement.diagnosticRowCount;
  return remembered;
}

MessageId ExecuteDelete(StatementHandle& statement, ParseTree& tree, NodeIndex deleteNode) {
  const DeleteFields remove = tree.nodes[deleteNode].fields.deleteStatement;
  TableCursor* cursor = CursorOf(tree, remove.tableReference);
  if (cursor == nullptr) return kMsgInternalError;
  std::vector<std::uint32_t> recordIds;
  if (MessageId id = CollectQualifyingRows(statement, tree, remove.tableReference, remove.where, recordIds)) return id;
  statement.diagnosticRowCount = 0;
  for (std::uint32_t recordId : recordIds) {
    if (MessageId id = PostTableFailure(statement, PositionOnRow(*cursor, recordId))) return id;
    if (MessageId id = PostTableFailure(statement, DeleteCurrentRow(*cursor))) return id;
    statement.transactionFlags[0] = 1;
    ++statement.diagnosticRowCount;
  }
  statement.rowCount = statement.diagnosticRowCount;
  return kMsgSuccess;
}
