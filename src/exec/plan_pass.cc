// PlanStatementTree: finds every statement of the tree on an explicit stack,
// then plans each on its own: service-side ordering, push-down per table and
// the batched lookup.
#include "exec/plan_pass.h"

#include <vector>

#include "exec/batched_lookup.h"
#include "exec/service_ordering.h"
#include "exec/table_predicates.h"
#include "handles/statement_handle.h"
#include "sql/select_layout.h"

namespace {

constexpr std::uint32_t kRecordIdBytes = 4;
// The statement's cursor type as the attribute functions keep it.
constexpr std::uint16_t kForwardOnlyCursor = 0;

bool IsPlannableKind(std::uint16_t kind) { return kind >= kNodeCreateTable && kind <= kNodeKindLast; }

void PushIfPresent(std::vector<NodeIndex>& stack, NodeIndex node) {
  if (node != kNoNode) stack.push_back(node);
}

// The children through which a nested statement can be reached: conditions
// and their predicates' sub-selects, join conditions, an INSERT's SELECT.
// Expressions can't hold a SELECT, so they are not entered.
void PushStatementPaths(const ParseTree& tree, NodeIndex node, std::vector<NodeIndex>& stack) {
  const NodeFields& f = tree.nodes[node].fields;
  switch (tree.nodes[node].kind) {
    case kNodeSelect:
      PushIfPresent(stack, f.select.fromList);
      PushIfPresent(stack, f.select.where);
      PushIfPresent(stack, f.select.having);
      break;
    case kNodeInsert:
      if (IsTreeNode(tree, f.insert.source) && tree.nodes[f.insert.source].kind == kNodeSelect)
        stack.push_back(f.insert.source);
      break;
    case kNodeDelete: PushIfPresent(stack, f.deleteStatement.where); break;
    case kNodeUpdate: PushIfPresent(stack, f.update.where); break;
    case kNodeJoinItem:
      PushIfPresent(stack, f.joinItem.tableReference);
      PushIfPresent(stack, f.joinItem.next);
      break;
    case kNodeTableReference: PushIfPresent(stack, f.tableReference.joinCondition); break;
    case kNodeBoolean:
      PushIfPresent(stack, f.boolean.first);
      PushIfPresent(stack, f.boolean.second);
      break;
    case kNodePredicate:
      for (NodeIndex operand : {f.predicate.left, f.predicate.second, f.predicate.third}) {
        if (IsTreeNode(tree, operand) && tree.nodes[operand].kind == kNodeSelect) stack.push_back(operand);
      }
      break;
    default: break;
  }
}

// Every SELECT, UPDATE and DELETE at or below node, outermost first.
MessageId FindStatements(const ParseTree& tree, NodeIndex node, std::vector<NodeIndex>& statements) {
  std::vector<NodeIndex> stack{node};
  while (!stack.empty()) {
    const NodeIndex current = stack.back();
    stack.pop_back();
    if (!IsTreeNode(tree, current) || !IsPlannableKind(tree.nodes[current].kind)) return kMsgInternalError;
    const std::uint16_t kind = tree.nodes[current].kind;
    if (kind == kNodeSelect || kind == kNodeUpdate || kind == kNodeDelete) statements.push_back(current);
    PushStatementPaths(tree, current, stack);
  }
  return kMsgSuccess;
}

// Each table's own ON condition decides what narrows it; the WHERE only
// narrows tables outside joins, whose rows it filters directly.
MessageId PlanSelectTables(ParseTree& tree, NodeIndex select) {
  for (NodeIndex item = tree.nodes[select].fields.select.fromList; IsTreeNode(tree, item);
       item = tree.nodes[item].fields.joinItem.next) {
    const NodeIndex table = tree.nodes[item].fields.joinItem.tableReference;
    if (!IsTreeNode(tree, table) || tree.nodes[table].kind != kNodeTableReference) return kMsgInternalError;
    const NodeIndex on = tree.nodes[table].fields.tableReference.joinCondition;
    const NodeIndex condition = on != kNoNode ? on : tree.nodes[select].fields.select.where;
    if (MessageId id = PlanTablePredicates(tree, table, condition, select)) return id;
  }
  return kMsgSuccess;
}

std::uint32_t CountFromTables(const ParseTree& tree, NodeIndex select) {
  std::uint32_t count = 0;
  for (NodeIndex item = tree.nodes[select].fields.select.fromList; IsTreeNode(tree, item);
       item = tree.nodes[item].fields.joinItem.next)
    ++count;
  return count;
}

// Aggregates are excluded too: their one record would be overwritten by the
// record-id rows of the lookup.
bool MayBeBatchedLookup(const ParseTree& tree, NodeIndex select) {
  const SelectFields& f = tree.nodes[select].fields.select;
  return f.distinct == 0 && f.aggregatesWithoutGroupBy == 0 && f.groupBy == kNoNode && f.having == kNoNode &&
         f.orderBy == kNoNode && CountFromTables(tree, select) == 1 && select == RootStatementNode(tree);
}

// The lookup's rows are a row number and one record id.
void MarkBatchedLookup(ParseTree& tree, NodeIndex select) {
  const bool batched = MayBeBatchedLookup(tree, select) && IsBatchedKeyLookup(tree, tree.nodes[select].fields.select.where);
  SelectFields& f = tree.nodes[select].fields.select;
  f.batchedKeyLookup = batched ? 1 : 0;
  if (!batched) return;
  f.sortRecordLength = kRowNumberWidth + kRecordIdBytes;
  f.recordIdPosition = kRowNumberWidth + 1;
}

MessageId PlanSelect(const StatementHandle& statement, ParseTree& tree, NodeIndex select) {
  if (MessageId id = PlanServiceOrdering(tree, select, statement.cursorType == kForwardOnlyCursor)) return id;
  if (MessageId id = PlanSelectTables(tree, select)) return id;
  MarkBatchedLookup(tree, select);
  return kMsgSuccess;
}

MessageId PlanOneStatement(const StatementHandle& statement, ParseTree& tree, NodeIndex node) {
  const NodeFields& f = tree.nodes[node].fields;
  switch (tree.nodes[node].kind) {
    case kNodeSelect: return PlanSelect(statement, tree, node);
    case kNodeUpdate: return PlanTablePredicates(tree, f.update.tableReference, f.update.where, node);
    case kNodeDelete:
      return PlanTablePredicates(tree, f.deleteStatement.tableReference, f.deleteStatement.where, node);
    default: return kMsgSuccess;
  }
}

}  // namespace

MessageId PlanStatementTree(const StatementHandle& statement, ParseTree& tree, NodeIndex node) {
  if (node == kNoNode) return kMsgSuccess;
  std::vector<NodeIndex> statements;
  if (MessageId id = FindStatements(tree, node, statements)) return id;
  for (NodeIndex statementNode : statements) {
    if (MessageId id = PlanOneStatement(statement, tree, statementNode)) return id;
  }
  return kMsgSuccess;
}
