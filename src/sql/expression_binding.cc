// Binding of expressions and conditions: AND/OR/NOT, predicates, arithmetic,
// aggregates, scalar-function calls and literals, with the buffers their
// evaluation writes into.
#include <sqlext.h>

#include "connection/type_info.h"
#include "handles/connection_record.h"
#include "handles/handles.h"
#include "handles/statement_handle.h"
#include "platform/utf8_text.h"
#include "sql/bind_machine.h"
#include "sql/operand_types.h"
#include "sql/plan_text.h"
#include "sql/scalar_function_resolution.h"
#include "sql/semantic_pass.h"

namespace {

// The widest exact numbers the driver carries: NUMERIC and DECIMAL digits,
// and BIGINT digits with room for the sign.
inline constexpr std::int32_t kMaxNumericPrecision = 19;
inline constexpr std::int32_t kMaxBigintSize = 20;
// Extra digits a SUM gets over its argument, so that adding up many rows
// does not overflow the argument's own width.
inline constexpr std::int32_t kSumExtraDigits = 10;
inline constexpr std::int32_t kMaxLikeOperandSize = 255;
inline constexpr std::int32_t kMaxBinaryComparisonSize = 255;
// The widest field a group record holds for one value.
inline constexpr std::uint64_t kMaxAggregateTextBytes = 65534;

void SetConditionType(ValueCell& cell) {
  cell.valueType = kValueInteger;
  cell.sqlType = SQL_BIT;
  cell.size = 1;
  cell.digits = 0;
}

// The name a 1089 refers to: the column of a column reference.
std::string OperandName(BindMachine& m, NodeIndex operand) {
  if (operand == kNoNode || m.Node(operand).kind != kNodeColumnReference) return "<expression>";
  return GetValueText(m.tree, m.Fields(operand).columnReference.columnName);
}

MessageId CheckInListItem(std::uint16_t kind) {
  switch (kind) {
    case kNodeStringLiteral:
    case kNodeNumberLiteral:
    case kNodeParameter:
    case kNodeUser:
    case kNodeDateLiteral:
    case kNodeTimeLiteral:
    case kNodeTimestampLiteral: return kMsgSuccess;
    case kNodeArithmetic:
    case kNodeAggregate:
    case kNodeColumnReference:
    case kNodeNull:
    case kNodeScalarFunction: return kMsgInValueNotSimple;
    default: return kMsgInternalError;
  }
}

MessageId CheckInList(BindMachine& m, NodeIndex predicate) {
  const PredicateFields f = m.Fields(predicate).predicate;
  for (NodeIndex item = f.second; item != kNoNode; item = m.Fields(item).listItem.next) {
    const NodeIndex value = m.Fields(item).listItem.value;
    if (value == kNoNode) return kMsgInternalError;
    if (MessageId id = CheckInListItem(m.Node(value).kind)) return id;
    if (MessageId id = CheckOperatorTypes(m.statement, m.tree, f.left, value, f.op, &m.Node(predicate).cell))
      return id;
  }
  return kMsgSuccess;
}

// A comparison with a sub-select takes the type of its one select item, so
// the sub-select node can stand as the right operand.
MessageId TypeSubSelectOperand(BindMachine& m, const PredicateFields& f) {
  if (f.quantifier > kQuantifierSubSelect) return kMsgInternalError;
  const NodeIndex first = m.Fields(f.second).select.selectList;
  if (first == kNoNode || m.Fields(first).listItem.next != kNoNode) return kMsgSubqueryManyColumns;
  const NodeIndex value = m.Fields(first).listItem.value;
  if (value == kNoNode) return kMsgInternalError;
  const ValueCell item = m.Node(value).cell;
  if (item.sqlType == SQL_LONGVARCHAR || item.sqlType == SQL_LONGVARBINARY) {
    FormatPlanNode(m.statement, f.op, SQL_LONGVARBINARY, SQL_LONGVARCHAR);
    return kMsgOperatorTypeMismatch;
  }
  ValueCell& select = m.Node(f.second).cell;
  select.valueType = item.valueType;
  select.sqlType = item.sqlType;
  select.size = item.size;
  select.digits = item.digits;
  return kMsgSuccess;
}

MessageId CheckComparison(BindMachine& m, NodeIndex predicate) {
  const PredicateFields f = m.Fields(predicate).predicate;
  if (f.quantifier != kQuantifierNone) {
    if (f.second == kNoNode || m.Node(f.second).kind != kNodeSelect) return kMsgInternalError;
    if (MessageId id = TypeSubSelectOperand(m, f)) return id;
  }
  if (MessageId id = CheckOperatorTypes(m.statement, m.tree, f.left, f.second, f.op, &m.Node(predicate).cell))
    return id;
  if (f.op != kOpBetween && f.op != kOpNotBetween) return kMsgSuccess;
  return CheckOperatorTypes(m.statement, m.tree, f.left, f.third, f.op, &m.Node(predicate).cell);
}

// What the derived type of a predicate's operands allows.
MessageId CheckDerivedType(BindMachine& m, NodeIndex predicate) {
  const PredicateFields f = m.Fields(predicate).predicate;
  const ValueCell& derived = m.Node(predicate).cell;
  if (f.op == kOpLike || f.op == kOpNotLike) {
    if (derived.valueType != kValueCharacter) {
      FormatPlanNode(m.statement, f.op, kValueCharacter, kValueCharacter);
      return kMsgOperatorTypeMismatch;
    }
    if (derived.size > kMaxLikeOperandSize) {
      m.statement.diagnostic.detailText = OperandName(m, f.left);
      return kMsgLikeOnWideColumn;
    }
  }
  // IS [NOT] NULL compares no bytes, so an attachment of any size may be
  // tested for a value.
  const bool nullTest = f.second != kNoNode && m.Node(f.second).kind == kNodeNull;
  if (derived.valueType == kValueBinary && !nullTest &&
      ((f.op != kOpEqual && f.op != kOpNotEqual) || derived.size > kMaxBinaryComparisonSize)) {
    FormatPlanNode(m.statement, f.op, kValueBinary, kValueBinary);
    return kMsgOperatorTypeMismatch;
  }
  return kMsgSuccess;
}

MessageId FinishPredicate(BindMachine& m, NodeIndex predicate) {
  PredicateFields& f = m.Fields(predicate).predicate;
  const bool subSelect = f.second != kNoNode && m.Node(f.second).kind == kNodeSelect;
  if ((f.op == kOpIn || f.op == kOpNotIn) && subSelect) {
    f.quantifier = f.op == kOpIn ? kQuantifierAny : kQuantifierAll;
    f.op = f.op == kOpIn ? kOpEqual : kOpNotEqual;
  }
  const std::uint16_t op = f.op;
  if (op != kOpExists) {
    MessageId id = op == kOpIn || op == kOpNotIn ? CheckInList(m, predicate) : CheckComparison(m, predicate);
    if (id == kMsgSuccess) id = CheckDerivedType(m, predicate);
    if (id != kMsgSuccess) return id;
  }
  SetConditionType(m.Node(predicate).cell);
  return kMsgSuccess;
}

// The buffers an arithmetic result needs: text for characters, decimal text
// (with work space for * and /) for numbers.
MessageId ReserveArithmeticBuffers(BindMachine& m, NodeIndex node) {
  const ValueCell cell = m.Node(node).cell;
  const std::uint16_t op = m.Fields(node).arithmetic.op;
  switch (cell.valueType) {
    case kValueCharacter:
      return ReserveBuffer(m.tree, TextBufferBytes(cell.size), m.Fields(node).arithmetic.resultBuffer);
    case kValueNumeric: {
      if (MessageId id = ReserveBuffer(m.tree, cell.size + 3ull, m.Fields(node).arithmetic.resultBuffer)) return id;
      const int work = op == kOpMultiply ? 1 : op == kOpDivide ? 3 : 0;
      for (int i = 0; i < work; ++i) {
        if (MessageId id = ReserveBuffer(m.tree, cell.size + 3ull, m.Fields(node).arithmetic.workBuffers[i]))
          return id;
      }
      return kMsgSuccess;
    }
    case kValueInteger:
    case kValueDouble:
    case kValueDate: return kMsgSuccess;
    case kValueBinary:
    case kValueTime:
    case kValueTimestamp: FormatPlanNode(m.statement, op, cell.valueType, cell.valueType); return kMsgOperatorTypeMismatch;
    default: return kMsgNotSupportedDetail;
  }
}

// -5 is one literal: the negation node takes the literal's place with the
// value negated and the sign of its text turned over.
MessageId FoldNegatedLiteral(BindMachine& m, NodeIndex node) {
  const NodeIndex operand = m.Fields(node).arithmetic.left;
  const ParseNode literal = m.Node(operand);
  std::string text = literal.fields.numberLiteral.text == kNoValue
                         ? std::string()
                         : GetValueText(m.tree, literal.fields.numberLiteral.text);
  const double value = literal.fields.numberLiteral.number;
  if (value != 0) {
    if (text.starts_with('-')) text.erase(0, 1);
    else text.insert(0, 1, '-');
  }
  const ValueIndex textIndex = InternString(m.tree, text);
  if (textIndex == kNoValue) return kMsgMemoryAllocation;
  m.tree.values[textIndex].size = text.size() + 3;
  ParseNode& folded = m.Node(node);
  CopyParseNode(folded, literal);
  folded.fields.numberLiteral.number = value == 0 ? 0.0 : -value;
  folded.fields.numberLiteral.text = textIndex;
  return kMsgSuccess;
}

MessageId FinishArithmetic(BindMachine& m, NodeIndex node) {
  const ArithmeticFields f = m.Fields(node).arithmetic;
  if (MessageId id = CheckOperatorTypes(m.statement, m.tree, f.left, f.right, f.op, &m.Node(node).cell)) return id;
  if (MessageId id = ReserveArithmeticBuffers(m, node)) return id;
  if (f.op == kOpNegate && f.left != kNoNode && m.Node(f.left).kind == kNodeNumberLiteral)
    return FoldNegatedLiteral(m, node);
  return kMsgSuccess;
}

// A SUM keeps the argument's type but gets room for the digits that adding
// many rows brings, up to the widest number the type holds.
void WidenNumericSum(ValueCell& cell) {
  const std::int32_t cap = cell.sqlType == SQL_BIGINT ? kMaxBigintSize : kMaxNumericPrecision;
  if (cell.size < cap) cell.size = std::min(cell.size + kSumExtraDigits, cap);
}

MessageId TypeAggregate(BindMachine& m, NodeIndex node) {
  const AggregateFields f = m.Fields(node).aggregate;
  ValueCell& cell = m.Node(node).cell;
  if (f.code < kAggregateAvg || f.code > kAggregateSum) return kMsgInternalError;
  if (f.code == kAggregateCount) {
    cell.valueType = kValueInteger; cell.sqlType = SQL_INTEGER; cell.size = 10; cell.digits = 0;
    return kMsgSuccess;
  }
  const ValueCell argument = f.argument == kNoNode ? ValueCell{} : m.Node(f.argument).cell;
  const std::int16_t type = argument.valueType;
  const bool number = type == kValueNumeric || type == kValueInteger || type == kValueDouble;
  const bool ordered = number || type == kValueCharacter || type == kValueDate || type == kValueTime ||
                       type == kValueTimestamp;
  if (!ordered && type != kValueBinary) return kMsgNotSupportedDetail;
  const bool sums = f.code == kAggregateAvg || f.code == kAggregateSum;
  if (type == kValueBinary || (sums && !number)) {
    AggregateName(m.statement, f.code);
    return kMsgOperatorTypeMismatch;
  }
  if (f.code == kAggregateAvg) {
    cell.valueType = kValueDouble; cell.sqlType = SQL_DOUBLE; cell.size = 15; cell.digits = kNoDigits;
    return kMsgSuccess;
  }
  cell.valueType = argument.valueType;
  cell.sqlType = argument.sqlType;
  cell.size = argument.size;
  cell.digits = argument.digits;
  if (f.code == kAggregateSum && type == kValueNumeric) WidenNumericSum(cell);
  // A sum of checkboxes counts them: no BIT, TINYINT or SMALLINT holds it.
  if (f.code == kAggregateSum && type == kValueInteger && cell.sqlType != SQL_INTEGER) {
    cell.sqlType = SQL_INTEGER;
    cell.size = 10;
    cell.digits = 0;
  }
  return kMsgSuccess;
}

// A MAX or MIN of text holds the text whole in the group record, within
// the widest value a record field can take (a long text of many-byte
// characters may reach it).
std::uint32_t AggregateTextWidth(std::int32_t characters) {
  const std::uint64_t bytes = TextBufferBytes(characters) - 1;  // no NUL in a record
  return static_cast<std::uint32_t>(std::min(bytes, kMaxAggregateTextBytes));
}

// The bytes the aggregate's value takes in a sort or group record, and the
// buffer a text value needs.
MessageId SizeAggregateValue(BindMachine& m, NodeIndex node) {
  const ValueCell cell = m.Node(node).cell;
  AggregateFields& f = m.Fields(node).aggregate;
  std::uint32_t width = 0;
  switch (cell.valueType) {
    case kValueCharacter: width = AggregateTextWidth(cell.size); break;
    case kValueNumeric:
      if (cell.sqlType == SQL_BIGINT) width = static_cast<std::uint32_t>(cell.size) + 1;
      else if (cell.sqlType == SQL_NUMERIC || cell.sqlType == SQL_DECIMAL) width = static_cast<std::uint32_t>(cell.size) + 2;
      else return kMsgInternalError;
      break;
    case kValueInteger:
    case kValueDouble: f.groupWidth = 8; return kMsgSuccess;
    case kValueDate: f.groupWidth = 10; return kMsgSuccess;
    case kValueTime: f.groupWidth = 8; return kMsgSuccess;
    case kValueTimestamp: f.groupWidth = 23; return kMsgSuccess;
    default: return kMsgInternalError;
  }
  f.groupWidth = width;
  return ReserveBuffer(m.tree, width + 1ull, m.Fields(node).aggregate.resultBuffer);
}

MessageId AppendToAggregateList(BindMachine& m, NodeIndex node, NodeIndex select) {
  if (select == kNoNode || m.Node(select).kind != kNodeSelect) return kMsgInternalError;
  NodeIndex* link = &m.Fields(select).select.aggregateList;
  while (*link != kNoNode) link = &m.Fields(*link).aggregate.nextAggregate;
  *link = node;
  return kMsgSuccess;
}

MessageId ReserveFunctionBuffer(BindMachine& m, NodeIndex node) {
  const ValueCell cell = m.Node(node).cell;
  ValueIndex& buffer = m.Fields(node).scalarFunction.resultBuffer;
  switch (cell.valueType) {
    case kValueBinary: return ReserveBuffer(m.tree, cell.size + 8ull, buffer);
    case kValueCharacter: return ReserveBuffer(m.tree, TextBufferBytes(cell.size), buffer);
    case kValueNumeric: return ReserveBuffer(m.tree, cell.size + 4ull, buffer);
    case kValueInteger:
    case kValueDouble:
    case kValueDate:
    case kValueTime:
    case kValueTimestamp: return kMsgSuccess;
    default: return kMsgNotSupportedDetail;
  }
}

void TypeDateTimeLiteral(BindMachine& m, ValueCell& cell, std::int16_t valueType) {
  cell.valueType = valueType;
  if (cell.sqlType != 0) return;
  cell.sqlType = MapDateTypeForStatement(m.statement, valueType);
  cell.size = valueType == kValueDate ? 10 : valueType == kValueTime ? 8 : 23;
  cell.digits = valueType == kValueTimestamp ? 3 : kNoDigits;
}

}  // namespace

// The right-hand chain of AND/OR nodes is followed in this frame, so only
// the left operands are bound as children.
MessageId StepBoolean(BindMachine& m, BindFrame& frame) {
  if (frame.phase == 0) {
    SetConditionType(m.Node(frame.node).cell);
    frame.cursor = frame.node;
    frame.phase = 1;
    return m.Bind(m.Fields(frame.node).boolean.first, frame.context);
  }
  const NodeIndex right = m.Fields(frame.cursor).boolean.second;
  if (right != kNoNode && m.Node(right).kind == kNodeBoolean) {
    SetConditionType(m.Node(right).cell);
    frame.cursor = right;
    return m.Bind(m.Fields(right).boolean.first, frame.context);
  }
  frame.phase = kFrameDone;
  return m.Bind(right, frame.context);
}

MessageId StepPredicate(BindMachine& m, BindFrame& frame) {
  const PredicateFields f = m.Fields(frame.node).predicate;
  switch (frame.phase) {
    case 0: frame.phase = 1; return m.Bind(f.left, frame.context);
    case 1: frame.phase = 2; return m.Bind(f.second, frame.context);
    case 2:
      frame.phase = 3;
      return m.Bind(f.op == kOpBetween || f.op == kOpNotBetween ? f.third : kNoNode, frame.context);
    default: frame.phase = kFrameDone; return FinishPredicate(m, frame.node);
  }
}

MessageId StepArithmetic(BindMachine& m, BindFrame& frame) {
  ArithmeticFields& f = m.Fields(frame.node).arithmetic;
  switch (frame.phase) {
    case 0:
      f.owningStatement = frame.context.enclosing;
      frame.phase = 1;
      return m.Bind(f.left, frame.context);
    case 1: frame.phase = 2; return m.Bind(f.right, frame.context);
    default: frame.phase = kFrameDone; return FinishArithmetic(m, frame.node);
  }
}

MessageId StepAggregate(BindMachine& m, BindFrame& frame) {
  AggregateFields& f = m.Fields(frame.node).aggregate;
  if (frame.phase == 0) {
    f.owningStatement = frame.context.enclosing;
    if (frame.context.groupContext == 0) {
      AggregateName(m.statement, f.code);
      return kMsgAggregateNotAllowed;
    }
    frame.phase = 1;
    BindContext inner = frame.context;
    inner.groupContext = 0;
    return m.Bind(f.argument, inner);
  }
  frame.phase = kFrameDone;
  if (MessageId id = TypeAggregate(m, frame.node)) return id;
  if (MessageId id = SizeAggregateValue(m, frame.node)) return id;
  return AppendToAggregateList(m, frame.node, frame.context.enclosing);
}

MessageId StepScalarFunction(BindMachine& m, BindFrame& frame) {
  if (frame.phase == 0) {
    m.Fields(frame.node).scalarFunction.owningStatement = frame.context.enclosing;
    if (MessageId id = StartScalarFunctionResolution(m.statement, m.tree, frame.node)) return id;
    frame.phase = 1;
    return m.Bind(m.Fields(frame.node).scalarFunction.firstArgument, frame.context);
  }
  frame.phase = kFrameDone;
  if (MessageId id = FinishScalarFunctionResolution(m.statement, m.tree, frame.node)) return id;
  return ReserveFunctionBuffer(m, frame.node);
}

MessageId StepLiteral(BindMachine& m, BindFrame& frame) {
  frame.phase = kFrameDone;
  ParseNode& node = m.Node(frame.node);
  ValueCell& cell = node.cell;
  switch (node.kind) {
    case kNodeStringLiteral:
      cell.valueType = kValueCharacter;
      cell.sqlType = SQL_VARCHAR;
      cell.size = static_cast<std::int32_t>(CountUtf8Characters(GetValueText(m.tree, node.fields.stringLiteral.text)));
      cell.digits = kNoDigits;
      return kMsgSuccess;
    case kNodeNumberLiteral:
      if (cell.valueType == kValueUntyped) {
        cell.valueType = kValueDouble; cell.sqlType = SQL_DOUBLE; cell.size = 15; cell.digits = kNoDigits;
      }
      return kMsgSuccess;
    case kNodeParameter:
    case kNodeNull:
      cell.valueType = kValueUntyped; cell.sqlType = 0; cell.size = 0; cell.digits = kNoDigits;
      return kMsgSuccess;
    case kNodeUser: {
      const ConnectionRecord* record = m.statement.connection != nullptr ? m.statement.connection->record : nullptr;
      cell.valueType = kValueCharacter;
      cell.sqlType = SQL_VARCHAR;
      const std::size_t characters = record != nullptr ? CountUtf8Characters(GetConnectionUserName(*record)) : 0;
      cell.size = static_cast<std::int32_t>(characters);
      cell.digits = kNoDigits;
      return kMsgSuccess;
    }
    case kNodeDateLiteral: TypeDateTimeLiteral(m, cell, kValueDate); return kMsgSuccess;
    case kNodeTimeLiteral: TypeDateTimeLiteral(m, cell, kValueTime); return kMsgSuccess;
    case kNodeTimestampLiteral: TypeDateTimeLiteral(m, cell, kValueTimestamp); return kMsgSuccess;
    default: return kMsgInternalError;
  }
}
