// Keeping an uncorrelated sub-select's rows for one execution: the test for
// correlation over the bound tree, and the one reading of the rows.
#include "exec/sub_select_rows.h"

#include <sqlext.h>

#include <set>

#include "exec/expression_evaluation.h"
#include "exec/row_positioning.h"
#include "exec/statement_executor.h"

namespace {

// Whether the SELECT statement is select itself or nested in it.
bool LiesWithin(const ParseTree& tree, NodeIndex statement, NodeIndex select) {
  for (NodeIndex s = statement; IsTreeNode(tree, s) && tree.nodes[s].kind == kNodeSelect;
       s = tree.nodes[s].fields.select.enclosingSelect) {
    if (s == select) return true;
  }
  return false;
}

// A column bound inside select whose table is no FROM table of select or of
// a SELECT inside it comes from an enclosing statement's current row.
bool IsCorrelated(const ParseTree& tree, NodeIndex select) {
  std::set<NodeIndex> ownTables;
  for (NodeIndex node = 0; node < tree.nodes.size(); ++node) {
    if (tree.nodes[node].kind != kNodeSelect || !LiesWithin(tree, node, select)) continue;
    for (NodeIndex item = tree.nodes[node].fields.select.fromList; IsTreeNode(tree, item);
         item = tree.nodes[item].fields.joinItem.next)
      ownTables.insert(tree.nodes[item].fields.joinItem.tableReference);
  }
  for (const ParseNode& node : tree.nodes) {
    if (node.kind != kNodeColumnReference) continue;
    const ColumnReferenceFields& column = node.fields.columnReference;
    if (LiesWithin(tree, column.owningStatement, select) && ownTables.count(column.tableReference) == 0) return true;
  }
  return false;
}

// 0 and 1002 go on, the warning remembered for every later use.
bool GoesOn(MessageId id, SubSelectRows& rows) {
  if (id == kMsgDataTruncated) rows.truncated = true;
  return id == kMsgSuccess || id == kMsgDataTruncated;
}

MessageId ReadRows(StatementHandle& statement, ParseTree& tree, NodeIndex select, NodeIndex item,
                   std::uint32_t limit, SubSelectRows& rows) {
  MessageId id = ExecuteStatementTree(statement, tree, select);
  if (id == kMsgNoDataFound) return kMsgSuccess;
  if (!GoesOn(id, rows)) return id;
  while (rows.count < limit) {
    id = PositionCursor(statement, tree, select, SQL_FETCH_NEXT, 0);
    if (id == kMsgNoDataFound) return kMsgSuccess;
    if (!GoesOn(id, rows)) return id;
    ++rows.count;
    if (item == kNoNode) continue;
    id = EvaluateRowExpression(statement, tree, item);
    if (!GoesOn(id, rows)) return id;
    rows.firstItems.push_back(tree.nodes[item].cell);
  }
  return kMsgSuccess;
}

}  // namespace

MessageId KeptSubSelectRows(StatementHandle& statement, ParseTree& tree, NodeIndex select, NodeIndex item,
                            std::uint32_t limit, const SubSelectRows*& kept) {
  kept = nullptr;
  auto [entry, fresh] = tree.subSelectRows.try_emplace(select);
  if (fresh) entry->second.correlated = IsCorrelated(tree, select);
  if (entry->second.correlated) return kMsgSuccess;
  if (!entry->second.read) {
    // Reading runs the sub-select's own conditions, whose sub-selects may be
    // kept too: the map's entries stay where they are while it grows.
    SubSelectRows& rows = entry->second;
    if (MessageId id = ReadRows(statement, tree, select, item, limit, rows)) {
      rows = SubSelectRows{};
      return id;
    }
    rows.read = true;
  }
  kept = &entry->second;
  return kept->truncated ? kMsgDataTruncated : kMsgSuccess;
}

void ForgetSubSelectRows(ParseTree& tree) {
  for (auto& entry : tree.subSelectRows) {
    const bool correlated = entry.second.correlated;
    entry.second = SubSelectRows{};
    entry.second.correlated = correlated;
  }
}
