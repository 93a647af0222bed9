// Comparison of two values of the current row: CompareValues by the left
// operand's type, the numeric rules of CompareNumericValues, and the
// blank-padded, case-folded text order.
#include <algorithm>
#include <cmath>
#include <tuple>

#include "common/decimal_text.h"
#include "common/like_pattern.h"
#include "exec/expression_evaluation.h"
#include "exec/number_operands.h"
#include "platform/text_fold.h"

namespace {

// LIKE patterns escape with the backslash.
inline constexpr char kLikeEscape = '\\';

bool IsOrderOperator(std::uint16_t op) { return op >= kOpEqual && op <= kOpGreater; }

bool OrderHolds(int order, std::uint16_t op) {
  switch (op) {
    case kOpEqual: return order == 0;
    case kOpNotEqual: return order != 0;
    case kOpLessOrEqual: return order <= 0;
    case kOpLess: return order < 0;
    case kOpGreaterOrEqual: return order >= 0;
    default: return order > 0;
  }
}

// The operator that gives the same answer with the operands exchanged.
std::uint16_t MirrorOperator(std::uint16_t op) {
  switch (op) {
    case kOpLessOrEqual: return kOpGreaterOrEqual;
    case kOpLess: return kOpGreater;
    case kOpGreaterOrEqual: return kOpLessOrEqual;
    case kOpGreater: return kOpLess;
    default: return op;
  }
}

MessageId StoreTruth(ValueCell& result, bool truth) {
  result.value.number = truth ? 1.0 : 0.0;
  return kMsgSuccess;
}

template <typename T>
int OrderOf(const T& a, const T& b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

int OrderOfDates(const SQL_DATE_STRUCT& a, const SQL_DATE_STRUCT& b) {
  return OrderOf(std::tie(a.year, a.month, a.day), std::tie(b.year, b.month, b.day));
}

int OrderOfTimes(const SQL_TIME_STRUCT& a, const SQL_TIME_STRUCT& b) {
  return OrderOf(std::tie(a.hour, a.minute, a.second), std::tie(b.hour, b.minute, b.second));
}

int OrderOfTimestamps(const SQL_TIMESTAMP_STRUCT& a, const SQL_TIMESTAMP_STRUCT& b) {
  return OrderOf(std::tie(a.year, a.month, a.day, a.hour, a.minute, a.second, a.fraction),
                 std::tie(b.year, b.month, b.day, b.hour, b.minute, b.second, b.fraction));
}

// Every member read below is the one the right operand's type fills, so a
// pair of different types is refused before any is read.
MessageId CompareDateTimes(ValueCell& result, const ValueCell& left, std::uint16_t op, const ValueCell& right) {
  if (!IsOrderOperator(op) || right.valueType != left.valueType) return kMsgInternalError;
  int order = 0;
  if (left.valueType == kValueDate) order = OrderOfDates(left.value.date, right.value.date);
  else if (left.valueType == kValueTime) order = OrderOfTimes(left.value.time, right.value.time);
  else order = OrderOfTimestamps(left.value.timestamp, right.value.timestamp);
  return StoreTruth(result, OrderHolds(order, op));
}

MessageId CompareBinary(ValueCell& result, const ValueCell& left, std::uint16_t op, const ValueCell& right) {
  if ((op != kOpEqual && op != kOpNotEqual) || right.valueType != kValueBinary) return kMsgInternalError;
  return StoreTruth(result, (left.bytes == right.bytes) == (op == kOpEqual));
}

MessageId CompareCharacters(ValueCell& result, const ValueCell& left, std::uint16_t op, const ValueCell& right) {
  if (right.valueType != kValueCharacter) return kMsgInternalError;
  if (IsOrderOperator(op)) return StoreTruth(result, OrderHolds(ComparePaddedText(left.bytes, right.bytes), op));
  if (op != kOpLike && op != kOpNotLike) return kMsgInternalError;
  const bool matches = MatchLikePattern(kLikeEscape, left.bytes.data(), static_cast<SQLLEN>(left.bytes.size()),
                                        right.bytes.data(), static_cast<SQLLEN>(right.bytes.size()), false);
  return StoreTruth(result, matches == (op == kOpLike));
}

MessageId CompareDecimalTexts(ValueCell& result, const ValueCell& left, std::uint16_t op, const ValueCell& right) {
  ValueCell truth;
  truth.valueType = kValueInteger;
  if (MessageId id = EvaluateDecimalComparison(truth, left, op, right)) return id;
  result.value.number = truth.value.number;
  return kMsgSuccess;
}

MessageId CompareDoubles(ValueCell& result, double a, std::uint16_t op, double b) {
  if (std::isnan(a) || std::isnan(b)) return StoreTruth(result, op == kOpNotEqual);
  return StoreTruth(result, OrderHolds(OrderOf(a, b), op));
}

}  // namespace

int ComparePaddedText(std::string_view a, std::string_view b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const auto x = static_cast<unsigned char>(FoldToLowerAZ(a[i]));
    const auto y = static_cast<unsigned char>(FoldToLowerAZ(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  const bool aLonger = a.size() > b.size();
  const std::string_view rest = aLonger ? a.substr(common) : b.substr(common);
  for (char c : rest) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == ' ') continue;
    const int sign = byte < ' ' ? -1 : 1;
    return aLonger ? sign : -sign;
  }
  return 0;
}

MessageId CompareValues(ValueCell& result, const ValueCell& left, std::uint16_t op, const ValueCell& right) {
  result.nullFlag = 0;
  switch (left.valueType) {
    case kValueBinary: return CompareBinary(result, left, op, right);
    case kValueCharacter: return CompareCharacters(result, left, op, right);
    case kValueNumeric:
    case kValueInteger:
    case kValueDouble: return CompareNumericValues(result, left, op, right);
    case kValueDate:
    case kValueTime:
    case kValueTimestamp: return CompareDateTimes(result, left, op, right);
    default: return kMsgNotSupportedDetail;
  }
}

MessageId CompareNumericValues(ValueCell& result, const ValueCell& left, std::uint16_t op, const ValueCell& right) {
  if (!IsOrderOperator(op)) return kMsgInternalError;
  if (!IsKnownValueType(left.valueType) || !IsKnownValueType(right.valueType)) return kMsgNotSupportedDetail;
  if (!IsNumberValue(left.valueType) || !IsNumberValue(right.valueType)) return kMsgInternalError;
  result.nullFlag = 0;
  const bool leftNumeric = left.valueType == kValueNumeric;
  const bool rightNumeric = right.valueType == kValueNumeric;
  if (leftNumeric && rightNumeric) return CompareDecimalTexts(result, left, op, right);
  if (leftNumeric) return CompareNumericValues(result, right, MirrorOperator(op), left);
  if (!rightNumeric) return CompareDoubles(result, left.value.number, op, right.value.number);
  if (left.valueType == kValueInteger) {
    ValueCell exact;
    if (MessageId id = IntegerAsNumeric(left, exact)) return id;
    return CompareDecimalTexts(result, exact, op, right);
  }
  double rightNumber = 0;
  if (MessageId id = NumericAsDouble(right, rightNumber)) return id;
  return CompareDoubles(result, left.value.number, op, rightNumber);
}
