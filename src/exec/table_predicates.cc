// Push-down collection for one table: a walk over the condition on an
// explicit stack (AND/OR chains run 100,000 deep), deciding per predicate
// whether the service can evaluate it before the table's rows are read.
#include "exec/table_predicates.h"

#include <map>
#include <vector>

#include "tables/table_cursor.h"

namespace {

// Whether a predicate or operand can go to the service.
enum class Verdict { kSendable, kLocal, kInvalid };

struct PendingNode {
  NodeIndex node;
  std::uint16_t parentOperator;  // 0 for the condition itself
};

struct Collection {
  ParseTree& tree;
  NodeIndex table;
  NodeIndex statement;
  TableCursor& cursor;
  // The last collected predicate of each rank, so an insertion in rank order
  // costs no walk along the list however long it grows.
  std::map<std::uint16_t, NodeIndex> lastOfRank;

  ParseNode& Node(NodeIndex index) { return tree.nodes[index]; }
  TableReferenceFields& Table() { return tree.nodes[table].fields.tableReference; }
};

std::uint16_t KindOf(const ParseTree& tree, NodeIndex node) {
  return IsTreeNode(tree, node) ? tree.nodes[node].kind : kNodeNone;
}

NodeIndex TableOfColumn(const ParseTree& tree, NodeIndex column) {
  return tree.nodes[column].fields.columnReference.tableReference;
}

// A column's value is known when this table's query is built only if its
// table is read before this one: walking the FROM list, the other table must
// come first. A column of an enclosing statement is not looked for there and
// stays local.
bool ComesBefore(Collection& c, NodeIndex other) {
  if (KindOf(c.tree, c.statement) != kNodeSelect) return false;
  for (NodeIndex item = c.Node(c.statement).fields.select.fromList; IsTreeNode(c.tree, item);
       item = c.Node(item).fields.joinItem.next) {
    const NodeIndex table = c.Node(item).fields.joinItem.tableReference;
    if (table == c.table) return false;
    if (table == other) return true;
  }
  return false;
}

// Literals, parameter markers, USER and NULL: known before any row is read.
bool IsConstantKind(std::uint16_t kind) { return kind >= kNodeStringLiteral && kind <= kNodeTimestampLiteral; }

// An IN-list value is computed when the query is built: constants, columns
// of earlier tables and arithmetic over them only.
bool IsKnownBeforeTable(Collection& c, NodeIndex value) {
  std::vector<NodeIndex> stack{value};
  while (!stack.empty()) {
    const NodeIndex node = stack.back();
    stack.pop_back();
    const std::uint16_t kind = KindOf(c.tree, node);
    if (IsConstantKind(kind)) continue;
    if (kind == kNodeColumnReference && ComesBefore(c, TableOfColumn(c.tree, node))) continue;
    if (kind != kNodeArithmetic) return false;
    const ArithmeticFields& f = c.Node(node).fields.arithmetic;
    stack.push_back(f.left);
    if (f.right != kNoNode) stack.push_back(f.right);
  }
  return true;
}

bool IsSendableList(Collection& c, NodeIndex item) {
  for (; KindOf(c.tree, item) == kNodeListItem; item = c.Node(item).fields.listItem.next) {
    if (!IsKnownBeforeTable(c, c.Node(item).fields.listItem.value)) return false;
  }
  return item == kNoNode;
}

// The value side of a predicate: what the query can carry as a criterion.
Verdict JudgeValueOperand(Collection& c, NodeIndex operand) {
  const std::uint16_t kind = KindOf(c.tree, operand);
  if (IsConstantKind(kind)) return Verdict::kSendable;
  switch (kind) {
    case kNodeColumnReference:
      return ComesBefore(c, TableOfColumn(c.tree, operand)) ? Verdict::kSendable : Verdict::kLocal;
    case kNodeListItem: return IsSendableList(c, operand) ? Verdict::kSendable : Verdict::kLocal;
    case kNodeSelect:
    case kNodeArithmetic:
    case kNodeAggregate:
    case kNodeScalarFunction: return Verdict::kLocal;
    default: return Verdict::kInvalid;
  }
}

bool IsBetween(std::uint16_t op) { return op == kOpBetween || op == kOpNotBetween; }

// <= and >= swap, < and > swap; =, <>, IN and NOT IN read the same both ways.
std::uint16_t MirroredOperator(std::uint16_t op) {
  switch (op) {
    case kOpLessOrEqual: return kOpGreaterOrEqual;
    case kOpGreaterOrEqual: return kOpLessOrEqual;
    case kOpLess: return kOpGreater;
    case kOpGreater: return kOpLess;
    default: return op;
  }
}

// Chains the predicate behind every collected one of its rank or higher.
void InsertByRank(Collection& c, NodeIndex predicate, std::uint16_t rank) {
  TableReferenceFields& table = c.Table();
  auto after = c.lastOfRank.lower_bound(rank);
  NodeIndex& link = after == c.lastOfRank.end() ? table.firstPushed : c.Node(after->second).fields.predicate.nextPushed;
  c.Node(predicate).fields.predicate.nextPushed = link;
  link = predicate;
  c.lastOfRank[rank] = predicate;
  // The list may outgrow the count; a query stops taking criteria long before.
  if (table.pushedCount < 0xFFFF) ++table.pushedCount;
}

// Which operand is the table's column: the left one, else the right one;
// for a comparison of two columns, the one of this table, provided the
// other table's row is already current when this table's query is built.
Verdict FindColumnSide(Collection& c, const PredicateFields& p, bool& columnOnRight) {
  const bool leftIsColumn = KindOf(c.tree, p.left) == kNodeColumnReference;
  const bool rightIsColumn = KindOf(c.tree, p.second) == kNodeColumnReference;
  if (!leftIsColumn && !rightIsColumn) return Verdict::kLocal;
  columnOnRight = !leftIsColumn;
  if (!leftIsColumn || !rightIsColumn) return Verdict::kSendable;
  if (KindOf(c.tree, c.statement) != kNodeSelect) return Verdict::kLocal;
  columnOnRight = TableOfColumn(c.tree, p.second) == c.table;
  return ComesBefore(c, TableOfColumn(c.tree, columnOnRight ? p.left : p.second)) ? Verdict::kSendable
                                                                                   : Verdict::kLocal;
}

Verdict JudgeOperands(Collection& c, const PredicateFields& p, bool columnOnRight) {
  Verdict verdict = JudgeValueOperand(c, columnOnRight ? p.left : p.second);
  if (verdict == Verdict::kSendable && IsBetween(p.op) && p.third != kNoNode) verdict = JudgeValueOperand(c, p.third);
  if (verdict != Verdict::kSendable) return verdict;
  const NodeIndex column = columnOnRight ? p.second : p.left;
  if (TableOfColumn(c.tree, column) != c.table) return Verdict::kLocal;
  // A range or a pattern reads one way only: "? BETWEEN t.lo AND t.hi" has
  // no form with the column first, so it is evaluated here.
  if (columnOnRight && (IsBetween(p.op) || p.op == kOpLike || p.op == kOpNotLike)) return Verdict::kLocal;
  return Verdict::kSendable;
}

void NoteCriteriaShape(TableCursor& cursor, std::uint16_t op) {
  // A range becomes two criteria that only an AND joins; the negated range
  // would need an OR inside an AND set, which no single query expresses.
  if (op == kOpBetween) cursor.orJoin = 0;
  if (op == kOpNotBetween) cursor.pushDown = 0;
}

MessageId CollectPredicate(Collection& c, NodeIndex predicate, bool& collected) {
  collected = false;
  const PredicateFields p = c.Node(predicate).fields.predicate;
  if (p.op == kOpExists) return kMsgSuccess;
  if (p.op < kOpEqual || p.op > kOpNotLike) return kMsgInternalError;
  bool columnOnRight = false;
  Verdict verdict = FindColumnSide(c, p, columnOnRight);
  if (verdict == Verdict::kSendable) verdict = JudgeOperands(c, p, columnOnRight);
  if (verdict == Verdict::kInvalid) return kMsgInternalError;
  if (verdict == Verdict::kLocal) return kMsgSuccess;
  const std::uint32_t columnNumber = c.Node(columnOnRight ? p.second : p.left).fields.columnReference.columnNumber;
  if (columnNumber >= c.cursor.columns.size()) return kMsgInternalError;
  const std::uint16_t rank = c.cursor.columns[columnNumber].pushDownRank;
  PredicateFields& target = c.Node(predicate).fields.predicate;
  target.pushdownRank = rank;
  if (rank == 0) return kMsgSuccess;
  NoteCriteriaShape(c.cursor, p.op);
  // Rewritten once: afterwards the column stands on the left, so collecting
  // the same predicate again leaves it as it is.
  if (columnOnRight) {
    target.left = p.second;
    target.second = p.left;
    target.op = MirroredOperator(p.op);
  }
  InsertByRank(c, predicate, rank);
  collected = true;
  return kMsgSuccess;
}

// An AND/OR/NOT node: the criteria of one table are joined by one operator,
// so a nested operator of another kind ends the collection below it; under
// an OR that leaves alternatives out, so nothing may be sent at all. Under
// an AND, the criteria collected beside the nested node still narrow the
// table, joined by AND.
void VisitBoolean(Collection& c, NodeIndex node, std::vector<PendingNode>& stack) {
  const BooleanFields f = c.Node(node).fields.boolean;
  TableCursor& cursor = c.cursor;
  if (f.op != kOpOr) cursor.orJoin = 0;
  if (cursor.joinOperator != 0 && f.op != cursor.joinOperator) {
    if (cursor.joinOperator == kCriteriaJoinOr) cursor.pushDown = 0;
    return;
  }
  cursor.joinOperator = f.op;
  if (f.op != kOpAnd && f.op != kOpOr) {
    cursor.orJoin = 0;
    cursor.pushDown = 0;
    return;
  }
  stack.push_back({f.second, f.op});
  stack.push_back({f.first, f.op});
}

void ResetCollection(Collection& c) {
  c.Table().pushedCount = 0;
  c.Table().firstPushed = kNoNode;
  c.cursor.joinOperator = 0;
  c.cursor.orJoin = 1;
  c.cursor.pushDown = 1;
}

}  // namespace

MessageId PlanTablePredicates(ParseTree& tree, NodeIndex tableReference, NodeIndex condition,
                              NodeIndex statementNode) {
  if (KindOf(tree, tableReference) != kNodeTableReference) return kMsgInternalError;
  TableCursor* cursor = tree.nodes[tableReference].fields.tableReference.cursor;
  if (cursor == nullptr) return kMsgInternalError;
  Collection c{tree, tableReference, statementNode, *cursor, {}};
  ResetCollection(c);
  if (condition == kNoNode) return kMsgSuccess;
  std::vector<PendingNode> stack{{condition, 0}};
  while (!stack.empty()) {
    const PendingNode pending = stack.back();
    stack.pop_back();
    const std::uint16_t kind = KindOf(tree, pending.node);
    if (kind == kNodeBoolean) {
      VisitBoolean(c, pending.node, stack);
      continue;
    }
    if (kind != kNodePredicate) return kMsgInternalError;
    bool collected = false;
    if (MessageId id = CollectPredicate(c, pending.node, collected)) return id;
    // An alternative left out would lose its rows: the others alone
    // can't stand for the OR.
    if (!collected && pending.parentOperator == kOpOr) cursor->pushDown = 0;
  }
  return kMsgSuccess;
}
