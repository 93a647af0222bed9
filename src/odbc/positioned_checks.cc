// The refusals of SQLSetPos and SQLBulkOperations, in their order.
#include "odbc/positioned_checks.h"

#include <sql.h>
#include <sqlext.h>

#include "handles/statement_handle.h"
#include "odbc/positioned_values.h"
#include "sql/parse_tree.h"

namespace {

const SelectFields& SelectOf(const StatementHandle& statement) {
  const ParseTree& tree = *statement.parseTree;
  return tree.nodes[RootStatementNode(tree)].fields.select;
}

// Only a plain SELECT's rows stand for records of a table.
MessageId CheckQueryResult(StatementHandle& statement) {
  if (statement.statementKind != kStatementQueryResult || statement.parseTree == nullptr ||
      statement.parseTree->nodes.empty()) {
    statement.diagnostic.detailText = "positioned operations without a query result";
    return kMsgNotSupportedDetail;
  }
  if (statement.dataAtExecution != 0) return kMsgInvalidCursorState;
  const ParseTree& tree = *statement.parseTree;
  const NodeIndex select = RootStatementNode(tree);
  if (select == kNoNode || tree.nodes[select].kind != kNodeSelect) return kMsgInternalError;
  const SelectFields& f = SelectOf(statement);
  if (f.groupBy != kNoNode || f.aggregatesWithoutGroupBy != 0 || f.distinctRows != 0) {
    statement.diagnostic.detailText = "positioned operations on grouped or DISTINCT rows";
    return kMsgNotSupportedDetail;
  }
  return kMsgSuccess;
}

bool OverSeveralTables(const StatementHandle& statement) {
  const ParseTree& tree = *statement.parseTree;
  const NodeIndex first = SelectOf(statement).fromList;
  return first != kNoNode && tree.nodes[first].fields.joinItem.next != kNoNode;
}

bool ReadOnly(const StatementHandle& statement) { return statement.concurrency == SQL_CONCUR_READ_ONLY; }

bool HasResultFile(const StatementHandle& statement) { return SelectOf(statement).resultFile != kNoResultFile; }

MessageId CheckCurrentRow(const StatementHandle& statement, std::uint64_t rowNumber) {
  if (statement.currentBookmark == 0) return kMsgInvalidCursorState;
  if (statement.currentBookmark == kAddedRowBookmark) return kMsgPositionOnAddedRow;
  return rowNumber > static_cast<std::uint64_t>(statement.rowsetRows) ? kMsgRowValueOutOfRange : kMsgSuccess;
}

MessageId CheckSetPosOperation(const StatementHandle& statement, std::uint64_t rowNumber, std::uint16_t operation) {
  switch (operation) {
    case SQL_POSITION:
    case SQL_REFRESH: return CheckCurrentRow(statement, rowNumber);
    case SQL_UPDATE:
    case SQL_DELETE:
      if (MessageId id = CheckCurrentRow(statement, rowNumber)) return id;
      return ReadOnly(statement) ? kMsgCursorReadOnly : kMsgSuccess;
    case SQL_ADD:
      if (ReadOnly(statement)) return kMsgCursorReadOnly;
      return rowNumber > static_cast<std::uint64_t>(PositionedRowsetSize(statement)) ? kMsgRowValueOutOfRange
                                                                                      : kMsgSuccess;
    default: return kMsgDriverNotCapable;
  }
}

MessageId CheckBulkOperationKind(const StatementHandle& statement, std::uint16_t operation) {
  switch (operation) {
    case SQL_ADD: return ReadOnly(statement) ? kMsgInvalidAttribute : kMsgSuccess;
    case SQL_UPDATE_BY_BOOKMARK:
    case SQL_DELETE_BY_BOOKMARK:
      return !HasResultFile(statement) || ReadOnly(statement) ? kMsgInvalidAttribute : kMsgSuccess;
    case SQL_FETCH_BY_BOOKMARK: return HasResultFile(statement) ? kMsgSuccess : kMsgInvalidAttribute;
    default: return kMsgDriverNotCapable;
  }
}

}  // namespace

MessageId CheckSetPos(StatementHandle& statement, std::uint64_t rowNumber, std::uint16_t operation,
                      std::uint16_t lockType) {
  if (lockType != SQL_LOCK_NO_CHANGE) return kMsgDriverNotCapable;
  if (MessageId id = CheckQueryResult(statement)) return id;
  if (MessageId id = CheckSetPosOperation(statement, rowNumber, operation)) return id;
  const bool writes = operation == SQL_UPDATE || operation == SQL_DELETE || operation == SQL_ADD;
  return writes && OverSeveralTables(statement) ? kMsgDriverNotCapable : kMsgSuccess;
}

MessageId CheckBulkOperation(StatementHandle& statement, std::uint16_t operation) {
  if (MessageId id = CheckQueryResult(statement)) return id;
  if (MessageId id = CheckBulkOperationKind(statement, operation)) return id;
  if (operation != SQL_FETCH_BY_BOOKMARK && OverSeveralTables(statement)) return kMsgDriverNotCapable;
  if (operation != SQL_ADD && !BookmarkColumnBound(statement)) return kMsgInvalidAttribute;
  return kMsgSuccess;
}
