// Predicates: comparisons with their NULL tests, BETWEEN, IN over a value
// list, comparisons quantified over a sub-select (ALL, ANY, single row) and
// EXISTS.
#include <sqlext.h>

#include "exec/evaluation_machine.h"
#include "exec/expression_evaluation.h"
#include "exec/row_positioning.h"
#include "exec/statement_executor.h"
#include "exec/sub_select_rows.h"

namespace {

inline constexpr std::uint16_t kLeftDone = 1;
inline constexpr std::uint16_t kRightDone = 2;
inline constexpr std::uint16_t kThirdDone = 3;
inline constexpr std::uint16_t kSubSelectRowDone = 4;
inline constexpr std::uint16_t kListItemDone = 5;

bool IsBetween(std::uint16_t op) { return op == kOpBetween || op == kOpNotBetween; }

MessageId Finish(EvalFrame& frame) {
  frame.phase = kEvalDone;
  return kMsgSuccess;
}

// A sub-select runs through the executor, which evaluates the sub-select's
// own conditions with EvaluateRowExpression again. That recursion follows
// the nesting of sub-selects, which the parser bounds at 256 levels, never
// the length of a chain. An empty result (1038) is no failure here.
MessageId ExecuteSubSelect(EvalMachine& m, NodeIndex select, bool& empty) {
  const MessageId id = ExecuteStatementTree(m.statement, m.tree, select);
  empty = id == kMsgNoDataFound;
  return empty ? kMsgSuccess : m.Note(id);
}

MessageId NextSubSelectRow(EvalMachine& m, NodeIndex select, bool& row) {
  const MessageId id = PositionCursor(m.statement, m.tree, select, SQL_FETCH_NEXT, 0);
  row = id == kMsgSuccess || id == kMsgDataTruncated;
  return id == kMsgNoDataFound ? kMsgSuccess : m.Note(id);
}

NodeIndex FirstSelectItem(const ParseTree& tree, NodeIndex select) {
  const NodeIndex item = tree.nodes[select].fields.select.selectList;
  if (!IsTreeNode(tree, item) || tree.nodes[item].kind != kNodeListItem) return kNoNode;
  return tree.nodes[item].fields.listItem.value;
}

// The result once the rows are through. A NULL row makes an undecided ALL
// or ANY unknown. A single-row comparison over no row is unknown too, as a
// scalar sub-query without a row is NULL.
MessageId FinishQuantified(EvalMachine& m, EvalFrame& frame, const PredicateFields& f) {
  ValueCell& result = m.Cell(frame.node);
  if (frame.sawNull != 0) SetUnknown(result);
  else if (f.quantifier == kQuantifierAll) SetTruth(result, true);
  else if (f.quantifier == kQuantifierAny) SetTruth(result, false);
  else if (frame.rows == 0) SetUnknown(result);
  else SetTruth(result, frame.held != 0);
  return Finish(frame);
}

// A single-row comparison fails at its second row.
MessageId CountSubSelectRow(EvalFrame& frame, const PredicateFields& f) {
  if (f.quantifier == kQuantifierSubSelect && frame.rows > 0) return kMsgSubqueryManyRows;
  ++frame.rows;
  return kMsgSuccess;
}

MessageId FetchSubSelectRow(EvalMachine& m, EvalFrame& frame, const PredicateFields& f) {
  bool row = false;
  if (MessageId id = NextSubSelectRow(m, f.second, row)) return id;
  if (!row) return FinishQuantified(m, frame, f);
  if (MessageId id = CountSubSelectRow(frame, f)) return id;
  const NodeIndex item = FirstSelectItem(m.tree, f.second);
  if (item == kNoNode) return kMsgInternalError;
  frame.phase = kSubSelectRowDone;
  return m.Evaluate(item);
}

// ALL is decided by the first comparison that fails, ANY by the first that
// holds; a NULL row is remembered and decides nothing. A NULL left operand
// makes every comparison unknown, so its first row decides ALL and ANY.
MessageId WeighSubSelectRow(EvalMachine& m, EvalFrame& frame, const PredicateFields& f, const ValueCell& item,
                            bool& decided) {
  ValueCell& result = m.Cell(frame.node);
  decided = false;
  if (m.Cell(f.left).nullFlag != 0) {
    frame.sawNull = 1;
    decided = f.quantifier != kQuantifierSubSelect;
    if (decided) SetUnknown(result);
    return kMsgSuccess;
  }
  if (item.nullFlag != 0) {
    frame.sawNull = 1;
    return kMsgSuccess;
  }
  if (MessageId id = CompareValues(result, m.Cell(f.left), f.op, item)) return id;
  const bool holds = IsTrue(result);
  decided = (f.quantifier == kQuantifierAll && !holds) || (f.quantifier == kQuantifierAny && holds);
  frame.held = holds ? 1 : 0;
  return kMsgSuccess;
}

// The rows an earlier outer row read, weighed as fetched ones would be.
MessageId WeighKeptRows(EvalMachine& m, EvalFrame& frame, const PredicateFields& f, const SubSelectRows& kept) {
  for (const ValueCell& item : kept.firstItems) {
    if (MessageId id = CountSubSelectRow(frame, f)) return id;
    bool decided = false;
    if (MessageId id = WeighSubSelectRow(m, frame, f, item, decided)) return id;
    if (decided) return Finish(frame);
  }
  return FinishQuantified(m, frame, f);
}

// A single-row comparison needs two rows at most to know its answer. A
// NULL left operand still reads the sub-select: over no row, ALL holds and
// ANY fails whatever the operand, so x NOT IN (an empty result) is true.
MessageId StartSubSelect(EvalMachine& m, EvalFrame& frame, const PredicateFields& f) {
  if (f.quantifier > kQuantifierSubSelect || !IsSelectNode(m.tree, f.second)) return kMsgInternalError;
  const NodeIndex item = FirstSelectItem(m.tree, f.second);
  if (item != kNoNode) {
    const SubSelectRows* kept = nullptr;
    const std::uint32_t limit = f.quantifier == kQuantifierSubSelect ? 2 : kEveryRow;
    if (MessageId id = m.Note(KeptSubSelectRows(m.statement, m.tree, f.second, item, limit, kept))) return id;
    if (kept != nullptr) return WeighKeptRows(m, frame, f, *kept);
  }
  bool empty = false;
  if (MessageId id = ExecuteSubSelect(m, f.second, empty)) return id;
  if (empty) return FinishQuantified(m, frame, f);
  return FetchSubSelectRow(m, frame, f);
}

// A single-row comparison fetches once more to make sure no second row
// follows.
MessageId OnSubSelectRow(EvalMachine& m, EvalFrame& frame, const PredicateFields& f) {
  bool decided = false;
  if (MessageId id = WeighSubSelectRow(m, frame, f, m.Cell(FirstSelectItem(m.tree, f.second)), decided)) return id;
  return decided ? Finish(frame) : FetchSubSelectRow(m, frame, f);
}

MessageId FinishInList(EvalMachine& m, EvalFrame& frame, const PredicateFields& f) {
  ValueCell& result = m.Cell(frame.node);
  const bool found = IsTrue(result);
  SetTruth(result, f.op == kOpIn ? found : !found);
  return Finish(frame);
}

MessageId NextListItem(EvalMachine& m, EvalFrame& frame, const PredicateFields& f) {
  while (frame.cursor != kNoNode) {
    if (!IsTreeNode(m.tree, frame.cursor) || m.Node(frame.cursor).kind != kNodeListItem) return kMsgInternalError;
    const NodeIndex value = m.Fields(frame.cursor).listItem.value;
    if (value != kNoNode) {
      frame.phase = kListItemDone;
      return m.Evaluate(value);
    }
    frame.cursor = m.Fields(frame.cursor).listItem.next;
  }
  return FinishInList(m, frame, f);
}

// The list's NULL items are passed over, so x IN (1, NULL) is false, not
// unknown, for x = 2.
MessageId StartInList(EvalMachine& m, EvalFrame& frame, const PredicateFields& f) {
  ValueCell& result = m.Cell(frame.node);
  if (m.Cell(f.left).nullFlag != 0) {
    SetUnknown(result);
    return Finish(frame);
  }
  SetTruth(result, false);
  frame.cursor = f.second;
  return NextListItem(m, frame, f);
}

MessageId OnListItem(EvalMachine& m, EvalFrame& frame, const PredicateFields& f) {
  const NodeIndex value = m.Fields(frame.cursor).listItem.value;
  if (m.Cell(value).nullFlag == 0) {
    ValueCell& result = m.Cell(frame.node);
    if (MessageId id = CompareValues(result, m.Cell(f.left), kOpEqual, m.Cell(value))) return id;
    if (IsTrue(result)) return FinishInList(m, frame, f);
  }
  frame.cursor = m.Fields(frame.cursor).listItem.next;
  return NextListItem(m, frame, f);
}

MessageId Holds(const ValueCell& left, std::uint16_t op, const ValueCell& right, bool& holds) {
  ValueCell truth;
  truth.valueType = kValueInteger;
  if (MessageId id = CompareValues(truth, left, op, right)) return id;
  holds = IsTrue(truth);
  return kMsgSuccess;
}

// BETWEEN takes its bounds in either order: x lies between a and b when it
// equals a, or lies on a's side toward b no further than b.
MessageId EvaluateBetween(ValueCell& result, std::uint16_t op, const ValueCell& x, const ValueCell& a,
                          const ValueCell& b) {
  bool inside = false;
  bool beside = false;
  if (MessageId id = Holds(x, kOpEqual, a, inside)) return id;
  if (!inside) {
    if (MessageId id = Holds(x, kOpGreater, a, beside)) return id;
    if (beside) {
      if (MessageId id = Holds(x, kOpLessOrEqual, b, inside)) return id;
    } else {
      if (MessageId id = Holds(x, kOpLess, a, beside)) return id;
      if (beside) {
        if (MessageId id = Holds(x, kOpGreaterOrEqual, b, inside)) return id;
      }
    }
  }
  SetTruth(result, op == kOpBetween ? inside : !inside);
  return kMsgSuccess;
}

// x = NULL and x = ? with a NULL value test x for NULL (and <> for not
// NULL) instead of being unknown. The marker may stand on either side: the
// plan pass puts the column first only where it sends the predicate to the
// service, and ? = x must not answer otherwise than x = ?.
bool IsNullOperand(const EvalMachine& m, NodeIndex operand) {
  const std::uint16_t kind = m.tree.nodes[operand].kind;
  return (kind == kNodeNull || kind == kNodeParameter) && m.tree.nodes[operand].cell.nullFlag != 0;
}

// The operand a NULL test looks at, or none when the comparison is none.
NodeIndex NullTestedOperand(const EvalMachine& m, const PredicateFields& f) {
  if (f.op != kOpEqual && f.op != kOpNotEqual) return kNoNode;
  if (IsNullOperand(m, f.second)) return f.left;
  if (IsNullOperand(m, f.left)) return f.second;
  return kNoNode;
}

bool IsComparisonOperator(std::uint16_t op) {
  return (op >= kOpEqual && op <= kOpGreater) || op == kOpLike || op == kOpNotLike;
}

MessageId FinishComparison(EvalMachine& m, EvalFrame& frame, const PredicateFields& f) {
  frame.phase = kEvalDone;
  const ValueCell& left = m.Cell(f.left);
  const ValueCell& right = m.Cell(f.second);
  ValueCell& result = m.Cell(frame.node);
  if (const NodeIndex tested = NullTestedOperand(m, f); tested != kNoNode) {
    SetTruth(result, (m.Cell(tested).nullFlag != 0) == (f.op == kOpEqual));
    return kMsgSuccess;
  }
  const bool between = IsBetween(f.op);
  if (left.nullFlag != 0 || right.nullFlag != 0 || (between && m.Cell(f.third).nullFlag != 0)) {
    SetUnknown(result);
    return kMsgSuccess;
  }
  if (between) return EvaluateBetween(result, f.op, left, right, m.Cell(f.third));
  if (!IsComparisonOperator(f.op)) return kMsgInternalError;
  return CompareValues(result, left, f.op, right);
}

// Never unknown: a sub-select either has a row or it has none.
MessageId EvaluateExists(EvalMachine& m, EvalFrame& frame, const PredicateFields& f) {
  frame.phase = kEvalDone;
  if (!IsSelectNode(m.tree, f.left)) return kMsgInternalError;
  const SubSelectRows* kept = nullptr;
  if (MessageId id = m.Note(KeptSubSelectRows(m.statement, m.tree, f.left, kNoNode, 1, kept))) return id;
  if (kept != nullptr) {
    SetTruth(m.Cell(frame.node), kept->count > 0);
    return kMsgSuccess;
  }
  bool empty = false;
  if (MessageId id = ExecuteSubSelect(m, f.left, empty)) return id;
  bool row = false;
  if (!empty) {
    if (MessageId id = NextSubSelectRow(m, f.left, row)) return id;
  }
  SetTruth(m.Cell(frame.node), row);
  return kMsgSuccess;
}

}  // namespace

MessageId StepPredicate(EvalMachine& m, EvalFrame& frame) {
  const PredicateFields f = m.Fields(frame.node).predicate;
  switch (frame.phase) {
    case 0:
      if (f.op == kOpExists) return EvaluateExists(m, frame, f);
      frame.phase = kLeftDone;
      return m.Evaluate(f.left);
    case kLeftDone:
      if (f.quantifier != kQuantifierNone) return StartSubSelect(m, frame, f);
      if (f.op == kOpIn || f.op == kOpNotIn) return StartInList(m, frame, f);
      frame.phase = kRightDone;
      return m.Evaluate(f.second);
    case kRightDone:
      if (IsBetween(f.op)) {
        frame.phase = kThirdDone;
        return m.Evaluate(f.third);
      }
      return FinishComparison(m, frame, f);
    case kThirdDone: return FinishComparison(m, frame, f);
    case kSubSelectRowDone: return OnSubSelectRow(m, frame, f);
    case kListItemDone: return OnListItem(m, frame, f);
    default: return kMsgInternalError;
  }
}
