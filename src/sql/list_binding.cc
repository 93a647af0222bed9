// Binding of the chained lists (select and value lists, insert columns, sort
// and group items, SET assignments), of FROM lists and of table references.
#include <cmath>

#include "connection/type_info.h"
#include "common/diagnostics.h"
#include "handles/connection_record.h"
#include "handles/handles.h"
#include "handles/statement_handle.h"
#include "platform/text_fold.h"
#include "platform/utf8_text.h"
#include "sql/bind_machine.h"
#include "sql/node_defaults.h"
#include "sql/operand_types.h"
#include "tables/table_cursor.h"

namespace {

NodeIndex NextItem(const ParseNode& item) {
  switch (item.kind) {
    case kNodeListItem: return item.fields.listItem.next;
    case kNodeInsertColumn: return item.fields.insertColumn.next;
    case kNodeSortItem: return item.fields.sortItem.next;
    case kNodeGroupItem: return item.fields.groupItem.next;
    case kNodeAssignment: return item.fields.assignment.next;
    default: return kNoNode;
  }
}

// The one node each item of the plain chains binds.
NodeIndex ItemValue(const ParseNode& item) {
  switch (item.kind) {
    case kNodeListItem: return item.fields.listItem.value;
    case kNodeInsertColumn: return item.fields.insertColumn.columnReference;
    case kNodeGroupItem: return item.fields.groupItem.columnReference;
    default: return kNoNode;
  }
}

// The column an insert column or a SET assignment writes.
NodeIndex WrittenColumn(const ParseNode& item) {
  return item.kind == kNodeInsertColumn ? item.fields.insertColumn.columnReference
                                        : item.fields.assignment.columnReference;
}

// No column is written twice by one INSERT or UPDATE. Two items name the
// same column when they resolved to the same ordinal: a label and its fid
// form, or two spellings of one name, collide.
MessageId CheckRepeatedColumns(BindMachine& m, NodeIndex first) {
  for (NodeIndex a = first; a != kNoNode; a = NextItem(m.Node(a))) {
    const ColumnReferenceFields& left = m.Fields(WrittenColumn(m.Node(a))).columnReference;
    for (NodeIndex b = NextItem(m.Node(a)); b != kNoNode; b = NextItem(m.Node(b))) {
      const ColumnReferenceFields& right = m.Fields(WrittenColumn(m.Node(b))).columnReference;
      if (left.tableReference != right.tableReference || left.columnNumber != right.columnNumber) continue;
      m.statement.diagnostic.detailText = GetValueText(m.tree, right.columnName);
      return kMsgDuplicateColumn;
    }
  }
  return kMsgSuccess;
}

// List, insert-column and group items: one node per item.
MessageId StepPlainChain(BindMachine& m, BindFrame& frame) {
  if (frame.phase == 0) {
    frame.cursor = frame.node;
    frame.phase = 1;
  }
  if (frame.cursor == kNoNode) {
    frame.phase = kFrameDone;
    if (m.Node(frame.node).kind == kNodeInsertColumn) return CheckRepeatedColumns(m, frame.node);
    return kMsgSuccess;
  }
  const ParseNode& item = m.Node(frame.cursor);
  frame.cursor = NextItem(item);
  return m.Bind(ItemValue(item), frame.context);
}

std::uint32_t CountSelectItems(BindMachine& m, NodeIndex item) {
  std::uint32_t count = 0;
  for (; item != kNoNode; item = m.Fields(item).listItem.next) ++count;
  return count;
}

// The ordinal's select item, found by truncating toward zero and counting
// from 1; a fraction never rounds up and no ordinal wraps around.
MessageId FindOrdinalItem(BindMachine& m, double ordinal, NodeIndex select, NodeIndex& item) {
  const NodeIndex first = m.Fields(select).select.selectList;
  const double whole = std::trunc(ordinal);
  if (!(whole >= 1) || whole > CountSelectItems(m, first)) return kMsgOrderByOrdinalTooLarge;
  item = first;
  for (double position = 1; position < whole; ++position) item = m.Fields(item).listItem.next;
  return kMsgSuccess;
}

// ORDER BY n: the number literal becomes a reference to the column of the
// n-th select item and is bound again as one.
MessageId RewriteOrdinal(BindMachine& m, const BindFrame& frame, NodeIndex literal) {
  const NodeIndex select = frame.context.enclosing;
  if (select == kNoNode || m.Node(select).kind != kNodeSelect) return kMsgInternalError;
  NodeIndex item = kNoNode;
  if (MessageId id = FindOrdinalItem(m, m.Fields(literal).numberLiteral.number, select, item)) return id;
  const NodeIndex expression = m.Fields(item).listItem.value;
  if (expression == kNoNode || m.Node(expression).kind != kNodeColumnReference) return kMsgOrderByExpression;
  const ColumnReferenceFields source = m.Fields(expression).columnReference;
  ParseNode& node = m.Node(literal);
  node.kind = kNodeColumnReference;
  node.cell = ValueCell{};
  SetNodeDefaults(node);
  node.fields.columnReference.qualifier = source.qualifier;
  node.fields.columnReference.columnName = source.columnName;
  return kMsgSuccess;
}

// Sort items: bind the value; a number literal is an ordinal, rewritten and
// bound again.
MessageId StepSortChain(BindMachine& m, BindFrame& frame) {
  switch (frame.phase) {
    case 0: frame.cursor = frame.node; [[fallthrough]];
    case 1:
      if (frame.cursor == kNoNode) {
        frame.phase = kFrameDone;
        return kMsgSuccess;
      }
      frame.phase = 2;
      return m.Bind(m.Fields(frame.cursor).sortItem.value, frame.context);
    case 2: {
      const NodeIndex value = m.Fields(frame.cursor).sortItem.value;
      frame.phase = 3;
      if (value == kNoNode || m.Node(value).kind != kNodeNumberLiteral) return kMsgSuccess;
      if (MessageId id = RewriteOrdinal(m, frame, value)) return id;
      return m.Bind(value, frame.context);
    }
    default:
      frame.cursor = m.Fields(frame.cursor).sortItem.next;
      frame.phase = 1;
      return kMsgSuccess;
  }
}

MessageId StepAssignmentChain(BindMachine& m, BindFrame& frame) {
  switch (frame.phase) {
    case 0: frame.cursor = frame.node; [[fallthrough]];
    case 1:
      if (frame.cursor == kNoNode) {
        frame.phase = kFrameDone;
        return CheckRepeatedColumns(m, frame.node);
      }
      frame.phase = 2;
      return m.Bind(m.Fields(frame.cursor).assignment.columnReference, frame.context);
    case 2: frame.phase = 3; return m.Bind(m.Fields(frame.cursor).assignment.value, frame.context);
    default: {
      const AssignmentFields f = m.Fields(frame.cursor).assignment;
      if (MessageId id = CheckOperatorTypes(m.statement, m.tree, f.columnReference, f.value, kOpAssignment, nullptr))
        return id;
      frame.cursor = f.next;
      frame.phase = 1;
      return kMsgSuccess;
    }
  }
}

NodeIndex TableOfItem(BindMachine& m, NodeIndex joinItem) { return m.Fields(joinItem).joinItem.tableReference; }

NodeIndex NthJoinItem(BindMachine& m, NodeIndex first, std::uint32_t n) {
  for (; n > 0 && first != kNoNode; --n) first = m.Fields(first).joinItem.next;
  return first;
}

bool EqualNames(std::string_view a, std::string_view b, std::uint8_t caseSensitive) {
  return caseSensitive != 0 ? a == b : EqualFoldedAZ(a, b);
}

MessageId CheckAliasAgainstLater(BindMachine& m, const BindFrame& frame, NodeIndex item) {
  const std::string& alias = GetValueText(m.tree, m.Fields(TableOfItem(m, item)).tableReference.alias);
  for (NodeIndex later = m.Fields(item).joinItem.next; later != kNoNode; later = m.Fields(later).joinItem.next) {
    const std::string& other = GetValueText(m.tree, m.Fields(TableOfItem(m, later)).tableReference.alias);
    if (!EqualNames(alias, other, frame.context.caseSensitive)) continue;
    m.statement.diagnostic.detailText = alias;
    return kMsgDuplicateAlias;
  }
  return kMsgSuccess;
}

}  // namespace

MessageId StepListChain(BindMachine& m, BindFrame& frame) {
  switch (m.Node(frame.node).kind) {
    case kNodeSortItem: return StepSortChain(m, frame);
    case kNodeAssignment: return StepAssignmentChain(m, frame);
    default: return StepPlainChain(m, frame);
  }
}

// Every table of the list is opened first, in order; then, from the last
// item back, each item's alias is compared with the later ones and its ON
// condition is bound against the tables of its join.
MessageId StepJoinList(BindMachine& m, BindFrame& frame) {
  switch (frame.phase) {
    case 0: frame.cursor = frame.node; frame.phase = 1; [[fallthrough]];
    case 1:
      if (frame.cursor != kNoNode) {
        const NodeIndex item = frame.cursor;
        frame.cursor = m.Fields(item).joinItem.next;
        ++frame.count;
        return m.Bind(TableOfItem(m, item), frame.context);
      }
      frame.phase = 2;
      return kMsgSuccess;
    default: {
      if (frame.count == 0) {
        frame.phase = kFrameDone;
        return kMsgSuccess;
      }
      --frame.count;
      const NodeIndex item = NthJoinItem(m, frame.node, frame.count);
      if (MessageId id = CheckAliasAgainstLater(m, frame, item)) return id;
      const TableReferenceFields& table = m.Fields(TableOfItem(m, item)).tableReference;
      return m.Bind(table.joinCondition,
                    BindContext{0, frame.context.caseSensitive, table.joinLeft, frame.context.enclosing});
    }
  }
}

MessageId StepTableReference(BindMachine& m, BindFrame& frame) {
  frame.phase = kFrameDone;
  const std::string name = GetValueText(m.tree, m.Fields(frame.node).tableReference.tableName);
  ConnectionRecord* record = m.statement.connection != nullptr ? m.statement.connection->record : nullptr;
  if (record == nullptr) return kMsgConnectionNotOpen;
  if (CountUtf8Characters(name) > GetMaxTableNameLength(*record)) {
    m.statement.diagnostic.detailText = name;
    return kMsgInvalidTableName;
  }
  const NodeIndex enclosing = frame.context.enclosing;
  const std::uint16_t kind = enclosing == kNoNode ? kNodeNone : m.Node(enclosing).kind;
  if (kind != kNodeSelect && kind != kNodeInsert && kind != kNodeDelete && kind != kNodeUpdate &&
      kind != kNodeCreateIndex && kind != kNodeDropIndex)
    return kMsgInternalError;
  TableCursor* cursor = nullptr;
  if (MessageId id = OpenTable(*record, name, 0, cursor)) {
    m.Fields(frame.node).tableReference.cursor = nullptr;
    GetConnectionErrorText(*record, m.statement.diagnostic.messageText);
    return id;
  }
  TableReferenceFields& table = m.Fields(frame.node).tableReference;
  table.cursor = cursor;
  if (record->commitDeletesPrepared != 0) m.statement.transactionFlags[0] = 1;
  if (table.alias == kNoValue) table.alias = table.tableName;
  return kMsgSuccess;
}
