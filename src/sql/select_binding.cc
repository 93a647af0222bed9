// Binding of one SELECT: its lists in their fixed order, the star forms, the
// grouping decision and the GROUP BY columns appended to ORDER BY; then the
// layout of its temporary-file records.
#include <string>

#include "handles/statement_handle.h"
#include "platform/text_fold.h"
#include "sql/bind_machine.h"
#include "sql/select_layout.h"
#include "sql/tree_walks.h"
#include "tables/table_cursor.h"

namespace {

enum SelectPhase : std::uint16_t {
  kBindFrom,
  kBindGroupBy,
  kBindOrderBy,
  kAppendGroupColumns,
  kBindSelectList,
  kBindWhere,
  kBindHaving,
  kLayOut,
};

BindContext ListContext(const BindFrame& frame, std::uint8_t groupContext) {
  return BindContext{groupContext, frame.context.caseSensitive, kNoNode, frame.node};
}

bool SelectListHasAggregate(BindMachine& m, NodeIndex select) {
  for (NodeIndex item = m.Fields(select).select.selectList; item != kNoNode; item = m.Fields(item).listItem.next) {
    if (ContainsAggregate(m.tree, m.Fields(item).listItem.value)) return true;
  }
  return false;
}

// A select item naming one column of a table, already resolved.
MessageId MakeColumnItem(BindMachine& m, NodeIndex table, std::size_t ordinal, NodeIndex& item) {
  const TableCursor& cursor = *m.Fields(table).tableReference.cursor;
  const ValueIndex name = InternString(m.tree, cursor.columns[ordinal].name);
  const NodeIndex reference = AddParseNode(m.tree, kNodeColumnReference);
  item = AddParseNode(m.tree, kNodeListItem);
  if (name == kNoValue || reference == kNoNode || item == kNoNode) return kMsgMemoryAllocation;
  ColumnReferenceFields& r = m.Fields(reference).columnReference;
  r.qualifier = m.Fields(table).tableReference.alias;
  r.columnName = name;
  r.tableReference = table;
  r.columnNumber = static_cast<std::uint32_t>(ordinal);
  ListItemFields& f = m.Fields(item).listItem;
  f.value = reference;
  f.name = kNoValue;
  f.next = kNoNode;
  return kMsgSuccess;
}

// One select item per column of the table, chained; first stays none for a
// table without columns.
MessageId MakeTableItems(BindMachine& m, NodeIndex table, NodeIndex& first, NodeIndex& last) {
  const TableCursor* cursor = m.Fields(table).tableReference.cursor;
  if (cursor == nullptr) return kMsgInternalError;
  for (std::size_t i = 0; i < cursor->columns.size(); ++i) {
    NodeIndex item = kNoNode;
    if (MessageId id = MakeColumnItem(m, table, i, item)) return id;
    if (last == kNoNode) first = item;
    else m.Fields(last).listItem.next = item;
    last = item;
  }
  return kMsgSuccess;
}

// SELECT *: every column of every FROM table, in FROM order.
MessageId ExpandStar(BindMachine& m, NodeIndex select) {
  NodeIndex first = kNoNode;
  NodeIndex last = kNoNode;
  for (NodeIndex item = m.Fields(select).select.fromList; item != kNoNode; item = m.Fields(item).joinItem.next) {
    if (MessageId id = MakeTableItems(m, m.Fields(item).joinItem.tableReference, first, last)) return id;
  }
  m.Fields(select).select.selectList = first;
  return kMsgSuccess;
}

NodeIndex FindTableByAlias(BindMachine& m, const BindFrame& frame, const std::string& alias) {
  for (NodeIndex item = m.Fields(frame.node).select.fromList; item != kNoNode; item = m.Fields(item).joinItem.next) {
    const NodeIndex table = m.Fields(item).joinItem.tableReference;
    const std::string& name = GetValueText(m.tree, m.Fields(table).tableReference.alias);
    if (frame.context.caseSensitive != 0 ? name == alias : EqualFoldedAZ(name, alias)) return table;
  }
  return kNoNode;
}

// Each qualifier.* item is replaced, where it stands, by the columns of the
// table with that alias.
MessageId ExpandQualifierStars(BindMachine& m, const BindFrame& frame) {
  NodeIndex previous = kNoNode;
  NodeIndex item = m.Fields(frame.node).select.selectList;
  while (item != kNoNode) {
    const ListItemFields f = m.Fields(item).listItem;
    if (f.value != kNoNode) {
      previous = item;
      item = f.next;
      continue;
    }
    const std::string& qualifier = GetValueText(m.tree, f.name);
    const NodeIndex table = FindTableByAlias(m, frame, qualifier);
    if (table == kNoNode) {
      m.statement.diagnostic.detailText = qualifier;
      return kMsgTableNotFound;
    }
    NodeIndex first = kNoNode;
    NodeIndex last = kNoNode;
    if (MessageId id = MakeTableItems(m, table, first, last)) return id;
    if (first == kNoNode) first = f.next;
    else m.Fields(last).listItem.next = f.next;
    if (previous == kNoNode) m.Fields(frame.node).select.selectList = first;
    else m.Fields(previous).listItem.next = first;
    previous = last;
    item = f.next;
  }
  return kMsgSuccess;
}

bool OrderByHasColumn(BindMachine& m, NodeIndex select, const ColumnReferenceFields& column) {
  for (NodeIndex item = m.Fields(select).select.orderBy; item != kNoNode; item = m.Fields(item).sortItem.next) {
    const NodeIndex value = m.Fields(item).sortItem.value;
    if (value == kNoNode || m.Node(value).kind != kNodeColumnReference) continue;
    const ColumnReferenceFields& f = m.Fields(value).columnReference;
    if (f.tableReference == column.tableReference && f.columnNumber == column.columnNumber) return true;
  }
  return false;
}

// A grouped SELECT sorts by every GROUP BY column: those ORDER BY lacks are
// appended, ascending, after the items it has. Answers the first appended.
MessageId AppendGroupColumns(BindMachine& m, NodeIndex select, NodeIndex& firstAppended) {
  NodeIndex last = kNoNode;
  for (NodeIndex item = m.Fields(select).select.orderBy; item != kNoNode; item = m.Fields(item).sortItem.next)
    last = item;
  for (NodeIndex group = m.Fields(select).select.groupBy; group != kNoNode; group = m.Fields(group).groupItem.next) {
    const ColumnReferenceFields column = m.Fields(m.Fields(group).groupItem.columnReference).columnReference;
    if (OrderByHasColumn(m, select, column)) continue;
    const NodeIndex reference = AddParseNode(m.tree, kNodeColumnReference);
    const NodeIndex item = AddParseNode(m.tree, kNodeSortItem);
    if (reference == kNoNode || item == kNoNode) return kMsgMemoryAllocation;
    ColumnReferenceFields& r = m.Fields(reference).columnReference;
    r.qualifier = column.qualifier;
    r.columnName = column.columnName;
    r.tableReference = column.tableReference;
    r.columnNumber = column.columnNumber;
    m.Fields(item).sortItem.value = reference;
    if (last == kNoNode) m.Fields(select).select.orderBy = item;
    else m.Fields(last).sortItem.next = item;
    if (firstAppended == kNoNode) firstAppended = item;
    last = item;
  }
  return kMsgSuccess;
}

// Decides the group context of the later lists (kept in frame.count) and
// expands the star forms.
MessageId PrepareLists(BindMachine& m, BindFrame& frame) {
  SelectFields& f = m.Fields(frame.node).select;
  if (f.groupBy == kNoNode) {
    if (SelectListHasAggregate(m, frame.node)) {
      m.Fields(frame.node).select.aggregatesWithoutGroupBy = 1;
      frame.count = 1;
    } else if (f.having != kNoNode) {
      return kMsgHavingWithoutGroupBy;
    }
  } else {
    if (f.selectList == kNoNode) return kMsgStarWithGroupBy;
    if (MessageId id = LayOutGroupColumns(m.statement, m.tree, frame.node)) return id;
    frame.count = 1;
  }
  if (m.Fields(frame.node).select.selectList == kNoNode) {
    if (MessageId id = ExpandStar(m, frame.node)) return id;
  }
  return ExpandQualifierStars(m, frame);
}

// A result wider than ODBC can number is refused here, before its column
// count wraps in every answer about it.
MessageId IndexResultColumns(StatementHandle& statement, ParseTree& tree, NodeIndex select) {
  tree.resultColumns.clear();
  for (NodeIndex item = tree.nodes[select].fields.select.selectList; item != kNoNode;
       item = tree.nodes[item].fields.listItem.next)
    tree.resultColumns.push_back(item);
  if (tree.resultColumns.size() <= kMaxResultColumns) return kMsgSuccess;
  statement.diagnostic.detailText = std::to_string(tree.resultColumns.size());
  tree.resultColumns.clear();
  return kMsgTooManyResultColumns;
}

}  // namespace

MessageId StepSelect(BindMachine& m, BindFrame& frame) {
  const std::uint8_t grouped = static_cast<std::uint8_t>(frame.count);
  switch (frame.phase) {
    case kBindFrom:
      m.Fields(frame.node).select.enclosingSelect = frame.context.enclosing;
      frame.phase = kBindGroupBy;
      return m.Bind(m.Fields(frame.node).select.fromList, ListContext(frame, 0));
    case kBindGroupBy:
      frame.phase = kBindOrderBy;
      return m.Bind(m.Fields(frame.node).select.groupBy, ListContext(frame, 0));
    case kBindOrderBy:
      if (MessageId id = PrepareLists(m, frame)) return id;
      frame.phase = kAppendGroupColumns;
      return m.Bind(m.Fields(frame.node).select.orderBy, ListContext(frame, static_cast<std::uint8_t>(frame.count)));
    case kAppendGroupColumns: {
      NodeIndex firstAppended = kNoNode;
      if (MessageId id = AppendGroupColumns(m, frame.node, firstAppended)) return id;
      frame.phase = kBindSelectList;
      return m.Bind(firstAppended, ListContext(frame, grouped));
    }
    case kBindSelectList:
      frame.phase = kBindWhere;
      return m.Bind(m.Fields(frame.node).select.selectList, ListContext(frame, grouped));
    case kBindWhere:
      frame.phase = kBindHaving;
      return m.Bind(m.Fields(frame.node).select.where, ListContext(frame, 0));
    case kBindHaving:
      frame.phase = kLayOut;
      return m.Bind(m.Fields(frame.node).select.having, ListContext(frame, grouped));
    default:
      frame.phase = kFrameDone;
      if (frame.node == RootStatementNode(m.tree)) {
        if (MessageId id = IndexResultColumns(m.statement, m.tree, frame.node)) return id;
      }
      return LayOutSelect(m.statement, m.tree, frame.node);
  }
}
