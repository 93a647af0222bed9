// The ORDER BY walk of the plan pass: which table's keys the ORDER BY is made
// of, and that table moved ahead of the others.
#include "exec/service_ordering.h"

namespace {

NodeIndex JoinItemOfTable(const ParseTree& tree, NodeIndex select, NodeIndex table) {
  for (NodeIndex item = tree.nodes[select].fields.select.fromList; IsTreeNode(tree, item);
       item = tree.nodes[item].fields.joinItem.next) {
    if (tree.nodes[item].fields.joinItem.tableReference == table) return item;
  }
  return kNoNode;
}

void ClearSortMarks(ParseTree& tree, NodeIndex select) {
  for (NodeIndex item = tree.nodes[select].fields.select.fromList; IsTreeNode(tree, item);
       item = tree.nodes[item].fields.joinItem.next) {
    TableReferenceFields& table = tree.nodes[tree.nodes[item].fields.joinItem.tableReference].fields.tableReference;
    table.sortKeyNumber = 0;
    table.pushedSortCount = 0;
    table.firstPushedSort = kNoNode;
  }
}

bool MayOrderBySource(const SelectFields& f) {
  return f.orderBy != kNoNode && f.groupBy == kNoNode && f.aggregatesWithoutGroupBy == 0 && f.distinct == 0;
}

// The right side of a join can't lead the nested loop: its ON condition
// reads the row of the table it joins, which is only current after that
// table (an inner join would lose its rows); and the right side of an outer
// join yields rows of NULLs the service never sends.
bool IsJoinedSide(const TableReferenceFields& table) { return table.joinCondition != kNoNode; }

// Gives each table its ORDER BY keys while they come in one run per table.
// True when every item was taken; tablesWithKeys counts the tables marked.
bool MarkSortKeys(ParseTree& tree, NodeIndex select, std::uint16_t& tablesWithKeys) {
  for (NodeIndex item = tree.nodes[select].fields.select.orderBy; IsTreeNode(tree, item);
       item = tree.nodes[item].fields.sortItem.next) {
    const NodeIndex value = tree.nodes[item].fields.sortItem.value;
    if (!IsTreeNode(tree, value) || tree.nodes[value].kind != kNodeColumnReference) return false;
    const NodeIndex tableNode = tree.nodes[value].fields.columnReference.tableReference;
    // A column of an enclosing SELECT is one value for all rows here.
    if (JoinItemOfTable(tree, select, tableNode) == kNoNode) return false;
    TableReferenceFields& table = tree.nodes[tableNode].fields.tableReference;
    if (IsJoinedSide(table)) return false;
    if (table.sortKeyNumber == 0) {
      table.sortKeyNumber = ++tablesWithKeys;
      table.pushedSortCount = 1;
      table.firstPushedSort = item;
    } else if (table.sortKeyNumber == tablesWithKeys) {
      ++table.pushedSortCount;
    } else {
      return false;
    }
  }
  return true;
}

void MoveToHead(ParseTree& tree, NodeIndex select, NodeIndex item) {
  SelectFields& f = tree.nodes[select].fields.select;
  if (f.fromList == item) return;
  for (NodeIndex previous = f.fromList; IsTreeNode(tree, previous); previous = tree.nodes[previous].fields.joinItem.next) {
    if (tree.nodes[previous].fields.joinItem.next != item) continue;
    tree.nodes[previous].fields.joinItem.next = tree.nodes[item].fields.joinItem.next;
    tree.nodes[item].fields.joinItem.next = f.fromList;
    f.fromList = item;
    return;
  }
}

NodeIndex TableWithSortKeys(const ParseTree& tree, NodeIndex select) {
  for (NodeIndex item = tree.nodes[select].fields.select.fromList; IsTreeNode(tree, item);
       item = tree.nodes[item].fields.joinItem.next) {
    if (tree.nodes[tree.nodes[item].fields.joinItem.tableReference].fields.tableReference.sortKeyNumber != 0)
      return item;
  }
  return kNoNode;
}

}  // namespace

MessageId PlanServiceOrdering(ParseTree& tree, NodeIndex select, bool forwardOnly) {
  if (!IsTreeNode(tree, select) || tree.nodes[select].kind != kNodeSelect) return kMsgInternalError;
  ClearSortMarks(tree, select);
  tree.nodes[select].fields.select.sortedBySource = 0;
  if (!forwardOnly || !MayOrderBySource(tree.nodes[select].fields.select)) return kMsgSuccess;
  std::uint16_t tablesWithKeys = 0;
  if (!MarkSortKeys(tree, select, tablesWithKeys) || tablesWithKeys != 1) {
    ClearSortMarks(tree, select);
    return kMsgSuccess;
  }
  MoveToHead(tree, select, TableWithSortKeys(tree, select));
  tree.nodes[select].fields.select.sortedBySource = 1;
  return kMsgSuccess;
}
