// The operand rules behind CheckOperatorTypes: first by value type (what the
// evaluator can combine), then by SQL type (what the result column reports).
#include "sql/operand_types.h"

#include <algorithm>

#include "sql/plan_text.h"
#include "sql/sql_type_groups.h"

namespace {

struct TypeShape {
  std::int16_t valueType;
  std::int16_t sqlType;
  std::int32_t size;
  std::uint16_t digits;
};

inline constexpr TypeShape kDayCountShape{kValueInteger, SQL_INTEGER, 10, 0};
inline constexpr std::int32_t kMaxConcatenatedSize = 255;
inline constexpr std::int32_t kMaxNumericSize = 19;
inline constexpr std::int32_t kMaxBigintSize = 20;

TypeShape ShapeOf(const ValueCell& cell) { return {cell.valueType, cell.sqlType, cell.size, cell.digits}; }

void ApplyShape(ValueCell& cell, const TypeShape& shape) {
  cell.valueType = shape.valueType;
  cell.sqlType = shape.sqlType;
  cell.size = shape.size;
  cell.digits = shape.digits;
}

MessageId Refuse(StatementHandle& statement, std::uint16_t op, std::int16_t leftCode, std::int16_t rightCode) {
  FormatPlanNode(statement, op, leftCode, rightCode);
  return kMsgOperatorTypeMismatch;
}

bool IsLike(std::uint16_t op) { return op == kOpLike || op == kOpNotLike; }
// Comparisons, IN and assignment: the operators that yield no new value.
bool IsComparison(std::uint16_t op) { return op <= kOpNotIn; }
bool IsFromSubtractToExists(std::uint16_t op) { return op >= kOpSubtract && op <= kOpExists; }
bool IsFromMultiplyToExists(std::uint16_t op) { return op >= kOpMultiply && op <= kOpExists; }

// Text only concatenates with +; a long text cannot, because the result
// could not be held in a result buffer of bounded size.
bool CharacterRefuses(std::uint16_t op, std::int16_t leftSql, std::int16_t rightSql) {
  if (op == kOpNegate || IsFromSubtractToExists(op)) return true;
  return op == kOpAdd && (leftSql == SQL_LONGVARCHAR || rightSql == SQL_LONGVARCHAR);
}

// A date beside an untyped operand may still gain days with +; between two
// dates + has no meaning, so the typed pair refuses it as well.
bool DateRefuses(std::uint16_t op, bool refuseAdd) {
  return IsLike(op) || op == kOpNegate || IsFromMultiplyToExists(op) || (refuseAdd && op == kOpAdd);
}

bool IsNumberValue(std::int16_t valueType) {
  return valueType == kValueInteger || valueType == kValueNumeric || valueType == kValueDouble;
}

// A parameter beside a decimal column is given the widest size of its type,
// so that any value the application binds fits.
MessageId WidestNumericSize(std::int16_t sqlType, std::int32_t& size) {
  if (sqlType == SQL_BIGINT) {
    size = kMaxBigintSize;
  } else if (sqlType == SQL_NUMERIC || sqlType == SQL_DECIMAL) {
    size = kMaxNumericSize;
  } else {
    return IsKnownSqlType(sqlType) ? kMsgInternalError : kMsgNotSupportedDetail;
  }
  return kMsgSuccess;
}

// A date plus an untyped operand counts days: the operand becomes an integer.
TypeShape AddDaysToDate(const TypeShape& date, bool dateIsLeft, ValueCell& untyped) {
  ApplyShape(untyped, kDayCountShape);
  if (dateIsLeft) return {kValueDate, date.sqlType, 10, 0};
  return {kValueDate, date.sqlType, date.size, date.digits};
}

MessageId TypeUntypedOperand(StatementHandle& statement, std::uint16_t op, const TypeShape& typed, bool typedIsLeft,
                             ValueCell& untyped, TypeShape& result) {
  const std::int16_t t = typed.valueType;
  const bool refused = (t == kValueCharacter && CharacterRefuses(op, typed.sqlType, typed.sqlType)) ||
                       (t == kValueDate && DateRefuses(op, false));
  if (refused) {
    return typedIsLeft ? Refuse(statement, op, t, kValueUntyped) : Refuse(statement, op, kValueUntyped, t);
  }
  if (t == kValueDate && op == kOpAdd) {
    result = AddDaysToDate(typed, typedIsLeft, untyped);
    return kMsgSuccess;
  }
  TypeShape taken = typed;
  if (t == kValueCharacter && op == kOpAdd) {
    taken.sqlType = SQL_VARCHAR;
    taken.size = kMaxConcatenatedSize;
  } else if (t == kValueNumeric) {
    if (MessageId id = WidestNumericSize(typed.sqlType, taken.size)) return id;
  }
  ApplyShape(untyped, taken);
  result = (t == kValueDate && op == kOpSubtract) ? kDayCountShape : taken;
  return kMsgSuccess;
}

// Within each family of SQL types the wider one wins (REAL < FLOAT < DOUBLE,
// BINARY < VARBINARY < LONGVARBINARY, CHAR < VARCHAR < LONGVARCHAR; exact
// numbers below every approximate one); on a tie the right operand's type and
// size are kept.
int WidthRank(std::int16_t sqlType) {
  switch (sqlType) {
    case SQL_REAL:
    case SQL_BINARY:
    case SQL_CHAR: return 1;
    case SQL_FLOAT:
    case SQL_VARBINARY:
    case SQL_VARCHAR: return 2;
    case SQL_DOUBLE:
    case SQL_LONGVARBINARY:
    case SQL_LONGVARCHAR: return 3;
    default: return 0;
  }
}

TypeShape WiderOperand(std::int16_t valueType, const TypeShape& left, const TypeShape& right) {
  const TypeShape& wider = WidthRank(right.sqlType) >= WidthRank(left.sqlType) ? right : left;
  return {valueType, wider.sqlType, wider.size, kNoDigits};
}

TypeShape CharacterResult(std::uint16_t op, std::int16_t valueType, const TypeShape& left, const TypeShape& right) {
  TypeShape shape = WiderOperand(valueType, left, right);
  if (left.sqlType == SQL_LONGVARCHAR && right.sqlType != SQL_LONGVARCHAR) {
    shape.size = std::max(left.size, right.size);
  }
  if (op == kOpAdd) {
    const std::int64_t joined = std::int64_t{left.size} + right.size;
    shape.size = static_cast<std::int32_t>(std::min<std::int64_t>(joined, kMaxConcatenatedSize));
  }
  return shape;
}

MessageId DateResult(StatementHandle& statement, std::uint16_t op, const TypeShape& left, const TypeShape& right,
                     TypeShape& result) {
  if (IsComparison(op)) {
    result = left;
  } else if (op == kOpSubtract) {
    result = kDayCountShape;
  } else {
    return Refuse(statement, op, left.valueType, right.valueType);
  }
  return kMsgSuccess;
}

std::int32_t FixedExactSize(std::int16_t sqlType) {
  switch (sqlType) {
    case SQL_INTEGER: return 10;
    case SQL_SMALLINT: return 5;
    case SQL_TINYINT: return 3;
    default: return 1;  // BIT
  }
}

// Decimal sizes grow with the operation but stop at what a decimal value of
// the type can hold.
std::int32_t ExactSize(std::int16_t sqlType, std::int32_t decimalSize) {
  if (sqlType == SQL_NUMERIC || sqlType == SQL_DECIMAL) return std::min(decimalSize, kMaxNumericSize);
  if (sqlType == SQL_BIGINT) return std::min(decimalSize, kMaxBigintSize);
  return FixedExactSize(sqlType);
}

TypeShape SumOfExactNumbers(std::int16_t valueType, std::int16_t sqlType, const TypeShape& left,
                            const TypeShape& right) {
  const std::uint16_t digits = std::max(left.digits, right.digits);
  const std::int32_t integerPart = std::max(left.size - left.digits, right.size - right.digits);
  return {valueType, sqlType, ExactSize(sqlType, digits + integerPart + 1), digits};
}

// The digits of a product are capped at its size: a scale above the
// precision would describe a value that cannot exist.
TypeShape ProductOfExactNumbers(std::int16_t valueType, std::int16_t sqlType, const TypeShape& left,
                                const TypeShape& right) {
  const std::int32_t size = ExactSize(sqlType, left.size + right.size);
  const std::int32_t digits = std::min<std::int32_t>(std::int32_t{left.digits} + right.digits, size);
  return {valueType, sqlType, size, static_cast<std::uint16_t>(digits)};
}

MessageId ExactNumberResult(StatementHandle& statement, std::uint16_t op, std::int16_t valueType,
                            const TypeShape& left, const TypeShape& right, TypeShape& result) {
  const std::int16_t sqlType = WiderExactNumberType(left.sqlType, right.sqlType);
  if (IsLike(op)) return Refuse(statement, op, left.sqlType, right.sqlType);
  if (IsComparison(op) || op == kOpNegate) {
    result = {valueType, sqlType, left.size, left.digits};
  } else if (op == kOpAdd || op == kOpSubtract) {
    result = SumOfExactNumbers(valueType, sqlType, left, right);
  } else if (op == kOpMultiply || op == kOpDivide) {
    result = ProductOfExactNumbers(valueType, sqlType, left, right);
  } else if (op <= kOpExists) {
    return Refuse(statement, op, left.valueType, right.valueType);
  } else {
    return kMsgInternalError;
  }
  return kMsgSuccess;
}

// The SQL type, size and digits of a result whose value type is decided.
MessageId SqlTypeResult(StatementHandle& statement, std::uint16_t op, std::int16_t valueType, const TypeShape& left,
                        const TypeShape& right, TypeShape& result) {
  const SqlTypeGroup leftGroup = GroupOfSqlType(left.sqlType);
  const SqlTypeGroup rightGroup = GroupOfSqlType(right.sqlType);
  const bool bothNumbers = (leftGroup == SqlTypeGroup::kExactNumber || leftGroup == SqlTypeGroup::kApproximateNumber) &&
                           (rightGroup == SqlTypeGroup::kExactNumber || rightGroup == SqlTypeGroup::kApproximateNumber);
  if (leftGroup == SqlTypeGroup::kExactNumber && rightGroup == SqlTypeGroup::kExactNumber) {
    return ExactNumberResult(statement, op, valueType, left, right, result);
  }
  if (bothNumbers || (leftGroup == rightGroup && leftGroup == SqlTypeGroup::kBinary)) {
    result = WiderOperand(valueType, left, right);
    return kMsgSuccess;
  }
  if (leftGroup == rightGroup) {
    switch (leftGroup) {
      case SqlTypeGroup::kCharacter: result = CharacterResult(op, valueType, left, right); return kMsgSuccess;
      case SqlTypeGroup::kDate: return DateResult(statement, op, left, right, result);
      case SqlTypeGroup::kTime: result = {valueType, right.sqlType, right.size, kNoDigits}; return kMsgSuccess;
      case SqlTypeGroup::kTimestamp: result = {valueType, right.sqlType, right.size, 3}; return kMsgSuccess;
      default: break;
    }
  }
  return BothSqlTypesKnown(left.sqlType, right.sqlType) ? kMsgInternalError : kMsgNotSupportedDetail;
}

bool SameValueTypeRefuses(std::uint16_t op, const TypeShape& left, const TypeShape& right) {
  if (left.valueType == kValueCharacter) return CharacterRefuses(op, left.sqlType, right.sqlType);
  if (left.valueType == kValueDate) return DateRefuses(op, true);
  return false;
}

MessageId CheckTypedOperands(StatementHandle& statement, std::uint16_t op, const TypeShape& left,
                             const TypeShape& right, TypeShape& result) {
  const std::int16_t l = left.valueType;
  const std::int16_t r = right.valueType;
  if (l == r && !SameValueTypeRefuses(op, left, right)) {
    return SqlTypeResult(statement, op, l, left, right, result);
  }
  if (l != r && IsNumberValue(l) && IsNumberValue(r)) {
    const std::int16_t wider = (l == kValueDouble || r == kValueDouble) ? kValueDouble : kValueNumeric;
    return SqlTypeResult(statement, op, wider, left, right, result);
  }
  // Days added to or taken from a date keep the date's own type.
  if (l == kValueDate && IsNumberValue(r) && (op == kOpAdd || op == kOpSubtract)) {
    result = left;
    return kMsgSuccess;
  }
  if (IsNumberValue(l) && r == kValueDate && op == kOpAdd) {
    result = right;
    return kMsgSuccess;
  }
  return Refuse(statement, op, l, r);
}

MessageId CheckOperands(StatementHandle& statement, ParseTree& tree, NodeIndex left, NodeIndex right,
                        std::uint16_t op, TypeShape& result) {
  ValueCell& leftCell = GetParseNode(tree, left).cell;
  const TypeShape leftShape = ShapeOf(leftCell);
  if (right == kNoNode) {
    if (op != kOpNegate) return kMsgInternalError;
    if (leftShape.valueType == kValueUntyped) return kMsgParameterTypeUnknown;
    return CheckTypedOperands(statement, op, leftShape, leftShape, result);
  }
  ValueCell& rightCell = GetParseNode(tree, right).cell;
  const TypeShape rightShape = ShapeOf(rightCell);
  const bool leftUntyped = leftShape.valueType == kValueUntyped;
  const bool rightUntyped = rightShape.valueType == kValueUntyped;
  if (leftUntyped && rightUntyped) return kMsgParameterTypeUnknown;
  if (leftUntyped) return TypeUntypedOperand(statement, op, rightShape, false, leftCell, result);
  if (rightUntyped) return TypeUntypedOperand(statement, op, leftShape, true, rightCell, result);
  return CheckTypedOperands(statement, op, leftShape, rightShape, result);
}

}  // namespace

MessageId CheckOperatorTypes(StatementHandle& statement, ParseTree& tree, NodeIndex left, NodeIndex right,
                             std::uint16_t op, ValueCell* result) {
  if (left == kNoNode) return kMsgInternalError;
  TypeShape shape{};
  if (MessageId id = CheckOperands(statement, tree, left, right, op, shape)) return id;
  if (result != nullptr) ApplyShape(*result, shape);
  return kMsgSuccess;
}
