// EvaluateRowExpression: the machine's loop and dispatch, and the steps of
// AND, OR and NOT, arithmetic, aggregates and scalar-function calls.
#include "exec/expression_evaluation.h"

#include "exec/evaluation_machine.h"
#include "exec/number_operands.h"
#include "exec/scalar_functions.h"
#include "exec/spool_files.h"
#include "sql/scalar_function_table.h"

namespace {

MessageId DispatchStep(EvalMachine& m, EvalFrame& frame) {
  switch (m.Node(frame.node).kind) {
    case kNodeBoolean: return StepBoolean(m, frame);
    case kNodePredicate: return StepPredicate(m, frame);
    case kNodeArithmetic: return StepArithmetic(m, frame);
    case kNodeAggregate: return StepAggregate(m, frame);
    case kNodeColumnReference: return StepColumnReference(m, frame);
    case kNodeScalarFunction: return StepScalarFunction(m, frame);
    case kNodeStringLiteral:
    case kNodeNumberLiteral:
    case kNodeParameter:
    case kNodeUser:
    case kNodeNull:
    case kNodeDateLiteral:
    case kNodeTimeLiteral:
    case kNodeTimestampLiteral: return StepLiteral(m, frame);
    default: return kMsgInternalError;
  }
}

MessageId RunEvaluation(EvalMachine& m, NodeIndex start) {
  if (!IsTreeNode(m.tree, start)) return kMsgInternalError;
  m.frames.push_back(EvalFrame{start});
  while (!m.frames.empty()) {
    EvalFrame frame = m.frames.back();
    m.childRequested = false;
    if (MessageId id = DispatchStep(m, frame)) return id;
    m.frames.back() = frame;
    if (frame.phase == kEvalDone) m.frames.pop_back();
    if (!m.childRequested) continue;
    if (!IsTreeNode(m.tree, m.child)) return kMsgInternalError;
    m.frames.push_back(EvalFrame{m.child});
  }
  return m.truncated ? kMsgDataTruncated : kMsgSuccess;
}

MessageId StepNot(EvalMachine& m, EvalFrame& frame, const BooleanFields& f) {
  if (frame.phase == 0) {
    frame.phase = 1;
    return m.Evaluate(f.first);
  }
  frame.phase = kEvalDone;
  const ValueCell operand = m.Cell(f.first);
  if (operand.nullFlag != 0) SetUnknown(m.Cell(frame.node));
  else SetTruth(m.Cell(frame.node), operand.value.number == 0.0);
  return kMsgSuccess;
}

// Both operands are evaluated, then true wins over unknown, and unknown
// over false.
MessageId StepOr(EvalMachine& m, EvalFrame& frame, const BooleanFields& f) {
  switch (frame.phase) {
    case 0: frame.phase = 1; return m.Evaluate(f.first);
    case 1: frame.phase = 2; return m.Evaluate(f.second);
    default: break;
  }
  frame.phase = kEvalDone;
  const ValueCell& first = m.Cell(f.first);
  const ValueCell& second = m.Cell(f.second);
  ValueCell& result = m.Cell(frame.node);
  if (IsTrue(first) || IsTrue(second)) SetTruth(result, true);
  else if (first.nullFlag != 0 || second.nullFlag != 0) SetUnknown(result);
  else SetTruth(result, false);
  return kMsgSuccess;
}

// a AND (b AND (c ...)) is walked in this one frame, left to right, and
// stops at the first operand that is false: the operands after it are never
// evaluated, so a later division by zero can't fail the row.
MessageId StepAndChain(EvalMachine& m, EvalFrame& frame) {
  if (frame.phase == 0) {
    frame.phase = 1;
    frame.cursor = frame.node;
    return m.Evaluate(m.Fields(frame.node).boolean.first);
  }
  const BooleanFields link = m.Fields(frame.cursor).boolean;
  const ValueCell& operand = m.Cell(frame.phase == 1 ? link.first : link.second);
  ValueCell& result = m.Cell(frame.node);
  if (IsFalse(operand)) {
    frame.phase = kEvalDone;
    SetTruth(result, false);
    return kMsgSuccess;
  }
  if (operand.nullFlag != 0) frame.sawNull = 1;
  if (frame.phase == 2) {
    frame.phase = kEvalDone;
    if (frame.sawNull != 0) SetUnknown(result);
    else SetTruth(result, true);
    return kMsgSuccess;
  }
  const NodeIndex next = link.second;
  if (IsTreeNode(m.tree, next) && m.Node(next).kind == kNodeBoolean && m.Fields(next).boolean.op == kOpAnd) {
    frame.cursor = next;
    return m.Evaluate(m.Fields(next).boolean.first);
  }
  frame.phase = 2;
  return m.Evaluate(next);
}

MessageId ComputeArithmetic(EvalMachine& m, NodeIndex node, const ArithmeticFields& f) {
  const ValueCell& left = m.Cell(f.left);
  const ValueCell* right = f.right == kNoNode ? nullptr : &m.Cell(f.right);
  ValueCell& result = m.Cell(node);
  if (left.nullFlag != 0 || (right != nullptr && right->nullFlag != 0)) {
    SetNullValue(result);
    return kMsgSuccess;
  }
  result.nullFlag = 0;
  return m.Note(ApplyArithmetic(result, left, f.op, right));
}

MessageId ReadDistinctValue(EvalMachine& m, EvalFrame& frame, NodeIndex owner, std::uint32_t position,
                            std::uint32_t width) {
  frame.phase = kEvalDone;
  return m.Note(ReadSpooledColumnValue(m.tree, owner, m.Cell(frame.node), position, width));
}

MessageId CallFunction(EvalMachine& m, EvalFrame& frame) {
  frame.phase = kEvalDone;
  return m.Note(CallScalarFunction(m.statement, m.tree, frame.node));
}

// Moves to the next argument to evaluate, or makes the call when none is
// left.
MessageId NextArgument(EvalMachine& m, EvalFrame& frame) {
  while (frame.cursor != kNoNode) {
    if (!IsTreeNode(m.tree, frame.cursor) || m.Node(frame.cursor).kind != kNodeListItem) return kMsgInternalError;
    const NodeIndex value = m.Fields(frame.cursor).listItem.value;
    if (value != kNoNode) {
      frame.phase = 1;
      return m.Evaluate(value);
    }
    frame.cursor = m.Fields(frame.cursor).listItem.next;
  }
  return CallFunction(m, frame);
}

}  // namespace

MessageId CheckResultType(std::uint16_t kind, std::int16_t valueType) {
  if (!IsKnownValueType(valueType)) return kMsgNotSupportedDetail;
  if (valueType == kValueBinary && (kind == kNodeArithmetic || kind == kNodeAggregate)) return kMsgInternalError;
  return kMsgSuccess;
}

MessageId StepBoolean(EvalMachine& m, EvalFrame& frame) {
  const BooleanFields f = m.Fields(frame.node).boolean;
  switch (f.op) {
    case kOpNot: return StepNot(m, frame, f);
    case kOpOr: return StepOr(m, frame, f);
    case kOpAnd: return StepAndChain(m, frame);
    default: return kMsgInternalError;
  }
}

MessageId StepArithmetic(EvalMachine& m, EvalFrame& frame) {
  const ArithmeticFields f = m.Fields(frame.node).arithmetic;
  switch (frame.phase) {
    case 0:
      if (MessageId id = CheckResultType(kNodeArithmetic, m.Cell(frame.node).valueType)) return id;
      if (ReadsDistinctRecord(m.tree, f.owningStatement, f.distinctWidth))
        return ReadDistinctValue(m, frame, f.owningStatement, f.distinctPosition, f.distinctWidth);
      frame.phase = 1;
      return m.Evaluate(f.left);
    case 1:
      if (f.right != kNoNode) {
        frame.phase = 2;
        return m.Evaluate(f.right);
      }
      break;
    default: break;
  }
  frame.phase = kEvalDone;
  return ComputeArithmetic(m, frame.node, f);
}

// Aggregates are computed by the grouping pass; here they are only read
// back from the record that holds them.
MessageId StepAggregate(EvalMachine& m, EvalFrame& frame) {
  const AggregateFields f = m.Fields(frame.node).aggregate;
  if (MessageId id = CheckResultType(kNodeAggregate, m.Cell(frame.node).valueType)) return id;
  if (!IsSelectNode(m.tree, f.owningStatement)) return kMsgInternalError;
  if (ReadsDistinctRecord(m.tree, f.owningStatement, f.distinctWidth))
    return ReadDistinctValue(m, frame, f.owningStatement, f.distinctPosition, f.distinctWidth);
  return ReadDistinctValue(m, frame, f.owningStatement, f.groupPosition, f.groupWidth);
}

// The arguments are evaluated in order; after a NULL one the rest are left
// alone (the call is NULL whatever they hold), except for IFNULL, which
// needs both.
MessageId StepScalarFunction(EvalMachine& m, EvalFrame& frame) {
  const ScalarFunctionFields f = m.Fields(frame.node).scalarFunction;
  if (frame.phase == 0) {
    if (MessageId id = CheckResultType(kNodeScalarFunction, m.Cell(frame.node).valueType)) return id;
    if (ReadsDistinctRecord(m.tree, f.owningStatement, f.distinctWidth))
      return ReadDistinctValue(m, frame, f.owningStatement, f.distinctPosition, f.distinctWidth);
    frame.cursor = f.firstArgument;
    return NextArgument(m, frame);
  }
  const ListItemFields item = m.Fields(frame.cursor).listItem;
  if (m.Cell(item.value).nullFlag != 0 && f.functionRow != kFnIfNull) return CallFunction(m, frame);
  frame.cursor = item.next;
  return NextArgument(m, frame);
}

MessageId EvaluateRowExpression(StatementHandle& statement, ParseTree& tree, NodeIndex node) {
  EvalMachine m(statement, tree);
  return RunEvaluation(m, node);
}
