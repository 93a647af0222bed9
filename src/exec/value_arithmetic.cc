// Arithmetic on two values of the current row, by the left operand's type
// and then the right's: concatenation, exact NUMERIC arithmetic, doubles,
// and days on and off dates; and the integer reading of a number value.
#include <algorithm>
#include <cmath>
#include <limits>

#include "common/decimal_text.h"
#include "common/epoch_time.h"
#include "common/exact_number.h"
#include "exec/expression_evaluation.h"
#include "exec/number_operands.h"
#include "platform/utf8_text.h"

namespace {

// Unknown types are refused as unsupported; known ones without a rule for
// this pair are the caller's mistake.
MessageId RefusePair(const ValueCell& right) {
  return IsKnownValueType(right.valueType) ? kMsgInternalError : kMsgNotSupportedDetail;
}

MessageId Concatenate(ValueCell& result, const ValueCell& left, std::uint16_t op, const ValueCell& right) {
  if (op != kOpAdd || right.valueType != kValueCharacter) return RefusePair(right);
  // The result's size counts characters, not bytes.
  const std::size_t room = static_cast<std::size_t>(std::max<std::int32_t>(result.size, 0));
  if (CountUtf8Characters(left.bytes) + CountUtf8Characters(right.bytes) > room) return kMsgConcatenationOverflow;
  std::string joined;
  joined.reserve(left.bytes.size() + right.bytes.size());
  joined.append(left.bytes).append(right.bytes);
  result.bytes = std::move(joined);
  return kMsgSuccess;
}

// An integer-typed result of a division keeps the whole part, so the value
// agrees with the INTEGER type the result column reports. A result no
// double can hold is refused rather than carried on as infinity or NaN.
MessageId ApplyDoubleOperator(ValueCell& result, double a, std::uint16_t op, double b) {
  double value = 0;
  switch (op) {
    case kOpNegate: value = 0.0 - a; break;
    case kOpAdd: value = a + b; break;
    case kOpSubtract: value = a - b; break;
    case kOpMultiply: value = a * b; break;
    default:
      if (b == 0.0) return kMsgDivisionByZero;
      value = a / b;
      break;
  }
  if (!std::isfinite(value)) return kMsgOutOfRange;
  if (result.valueType == kValueInteger) value = std::trunc(value);
  result.value.number = value == 0.0 ? 0.0 : value;  // no negative zero
  return kMsgSuccess;
}

MessageId ApplyDecimal(ValueCell& result, const ValueCell& left, std::uint16_t op, const ValueCell& right) {
  return ApplyDecimalOperator(result, left, op, op == kOpNegate ? nullptr : &right);
}

MessageId NumericLeft(ValueCell& result, const ValueCell& left, std::uint16_t op, const ValueCell& right) {
  switch (right.valueType) {
    case kValueNumeric: return ApplyDecimal(result, left, op, right);
    case kValueInteger: {
      ValueCell exact;
      if (MessageId id = IntegerAsNumeric(right, exact)) return id;
      return ApplyDecimal(result, left, op, exact);
    }
    case kValueDouble: {
      double a = 0;
      if (MessageId id = NumericAsDouble(left, a)) return id;
      return ApplyDoubleOperator(result, a, op, right.value.number);
    }
    default: return RefusePair(right);
  }
}

MessageId MoveDateByValue(ValueCell& result, const SQL_DATE_STRUCT& date, const ValueCell& days, bool back) {
  std::int32_t count = 0;
  if (MessageId id = ValueToInteger(days, count)) return id;
  // Going back by the most negative count would overflow its negation; no
  // date lies that far off anyway.
  if (back && count == std::numeric_limits<std::int32_t>::min()) return kMsgOutOfRange;
  return AddDaysToDate(date, back ? -count : count, result.value.date);
}

MessageId NumberLeft(ValueCell& result, const ValueCell& left, std::uint16_t op, const ValueCell& right) {
  switch (right.valueType) {
    case kValueInteger:
    case kValueDouble: return ApplyDoubleOperator(result, left.value.number, op, right.value.number);
    case kValueNumeric: {
      if (left.valueType == kValueInteger) {
        ValueCell exact;
        if (MessageId id = IntegerAsNumeric(left, exact)) return id;
        return ApplyDecimal(result, exact, op, right);
      }
      double b = 0;
      if (MessageId id = NumericAsDouble(right, b)) return id;
      return ApplyDoubleOperator(result, left.value.number, op, b);
    }
    case kValueDate:
      if (op != kOpAdd) return kMsgInternalError;
      return MoveDateByValue(result, right.value.date, left, false);
    default: return RefusePair(right);
  }
}

MessageId DateLeft(ValueCell& result, const ValueCell& left, std::uint16_t op, const ValueCell& right) {
  if (op != kOpAdd && op != kOpSubtract) return kMsgInternalError;
  if (IsNumberValue(right.valueType)) return MoveDateByValue(result, left.value.date, right, op == kOpSubtract);
  if (op == kOpSubtract && right.valueType == kValueDate) {
    result.value.number = DaysBetweenDates(left.value.date, right.value.date);
    return kMsgSuccess;
  }
  if (op == kOpSubtract && right.valueType == kValueTimestamp) return kMsgNotSupportedDetail;
  return RefusePair(right);
}

}  // namespace

MessageId ApplyArithmetic(ValueCell& result, const ValueCell& left, std::uint16_t op, const ValueCell* right) {
  if (op < kOpNegate || op > kOpDivide) return kMsgInternalError;
  if (op != kOpNegate && right == nullptr) return kMsgInternalError;
  // Negation has one operand; the rules read it as both.
  const ValueCell& other = op == kOpNegate ? left : *right;
  switch (left.valueType) {
    case kValueCharacter: return Concatenate(result, left, op, other);
    case kValueNumeric: return NumericLeft(result, left, op, other);
    case kValueInteger:
    case kValueDouble: return NumberLeft(result, left, op, other);
    case kValueDate: return DateLeft(result, left, op, other);
    case kValueBinary:
    case kValueTime:
    case kValueTimestamp: return kMsgInternalError;
    default: return kMsgNotSupportedDetail;
  }
}

MessageId ValueToInteger(const ValueCell& cell, std::int32_t& out) {
  constexpr std::int64_t kMinimum = std::numeric_limits<std::int32_t>::min();
  constexpr std::int64_t kMaximum = std::numeric_limits<std::int32_t>::max();
  if (cell.valueType == kValueNumeric) {
    if (cell.bytes.find_first_not_of(' ') == std::string::npos) {
      out = 0;  // the normal form of zero
      return kMsgSuccess;
    }
    ExactNumber exact;
    if (MessageId id = ReadExactNumber(cell.bytes, exact)) return id;
    std::int64_t whole = 0;
    const MessageId id = ExactNumberToInt64(exact, kMinimum, kMaximum, whole);
    if (id != kMsgSuccess && id != kMsgDataTruncated) return id;  // dropping the fraction is the point
    out = static_cast<std::int32_t>(whole);
    return kMsgSuccess;
  }
  if (cell.valueType != kValueInteger && cell.valueType != kValueDouble) return kMsgInternalError;
  const double whole = std::trunc(cell.value.number);
  // NaN fails both tests, so it is out of range as well.
  if (!(whole >= static_cast<double>(kMinimum) && whole <= static_cast<double>(kMaximum))) return kMsgOutOfRange;
  out = static_cast<std::int32_t>(whole);
  return kMsgSuccess;
}

MessageId AddDaysToDate(const SQL_DATE_STRUCT& date, std::int32_t days, SQL_DATE_STRUCT& out) {
  return AddDaysToCivilDate(date, days, out);
}

std::int32_t DaysBetweenDates(const SQL_DATE_STRUCT& a, const SQL_DATE_STRUCT& b) {
  return CivilDaysBetween(a, b);
}
