// Decimal-text operators, comparison and the numeric normaliser for the
// expression evaluator, scalar functions, executor and tokenizer.
#include "common/decimal_text.h"

#include <algorithm>

#include "common/decimal_digits.h"

namespace {

constexpr std::uint16_t kOpNegate = 13;
constexpr std::uint16_t kOpAdd = 14;
constexpr std::uint16_t kOpSubtract = 15;
constexpr std::uint16_t kOpMultiply = 16;
constexpr std::uint16_t kOpDivide = 17;

constexpr std::uint16_t kOpEqual = 1;
constexpr std::uint16_t kOpNotEqual = 2;
constexpr std::uint16_t kOpLessEqual = 3;
constexpr std::uint16_t kOpLess = 4;
constexpr std::uint16_t kOpGreaterEqual = 5;
constexpr std::uint16_t kOpGreater = 6;

// Sign and point come on top of the digits a numeric of this size holds.
std::size_t ResultTextLimit(const ValueCell& result) {
  return static_cast<std::size_t>(std::max<std::int32_t>(result.size, 0)) + 2;
}

bool ReadOperand(const ValueCell& cell, DecimalNumber& number) {
  return cell.valueType == kValueNumeric && ParseDecimalText(cell.bytes, number);
}

MessageId CheckArithmeticCells(const ValueCell& result, std::uint16_t op, const ValueCell* right) {
  if (result.valueType != kValueNumeric) return kMsgInternalError;
  if (op < kOpNegate || op > kOpDivide) return kMsgInternalError;
  if (op != kOpNegate && right == nullptr) return kMsgInternalError;
  return kMsgSuccess;
}

// Refuses a product or quotient whose integer part alone can't be held, before
// multiplying or dividing operands of any length.
bool IntegerPartTooLong(const DecimalNumber& a, const DecimalNumber& b, std::uint16_t op, std::size_t limit) {
  if (op == kOpMultiply) return ProductIntegerDigitsAtLeast(a, b) > limit;
  if (op == kOpDivide) return QuotientIntegerDigitsAtLeast(a, b) > limit;
  return false;
}

std::size_t QuotientScale(const ValueCell& result, const DecimalNumber& a, const DecimalNumber& b) {
  if (result.digits != kNoDigits) return result.digits;
  return std::max(a.scale, b.scale);
}

DecimalNumber Compute(const DecimalNumber& a, std::uint16_t op, const DecimalNumber& b,
                      std::size_t quotientScale) {
  switch (op) {
    case kOpNegate: return NegateDecimal(a);
    case kOpAdd: return AddDecimal(a, b);
    case kOpSubtract: return AddDecimal(a, NegateDecimal(b));
    case kOpMultiply: return MultiplyDecimal(a, b);
    default: return DivideDecimal(a, b, quotientScale);
  }
}

bool ComparisonHolds(int order, std::uint16_t op) {
  switch (op) {
    case kOpEqual: return order == 0;
    case kOpNotEqual: return order != 0;
    case kOpLessEqual: return order <= 0;
    case kOpLess: return order < 0;
    case kOpGreaterEqual: return order >= 0;
    default: return order > 0;
  }
}

}  // namespace

MessageId ApplyDecimalOperator(ValueCell& result, const ValueCell& left, std::uint16_t op,
                               const ValueCell* right) {
  MessageId check = CheckArithmeticCells(result, op, right);
  if (check != kMsgSuccess) return check;
  DecimalNumber a;
  DecimalNumber b;
  if (!ReadOperand(left, a)) return kMsgInternalError;
  if (op != kOpNegate && !ReadOperand(*right, b)) return kMsgInternalError;
  if (op == kOpDivide && b.digits.empty()) return kMsgDivisionByZero;

  std::size_t limit = ResultTextLimit(result);
  std::size_t minimumScale = result.digits == kNoDigits ? 0 : result.digits;
  // Padding alone to that many fraction digits would already be too long.
  if (minimumScale > 0 && minimumScale + 1 > limit) return kMsgOutOfRange;
  if (IntegerPartTooLong(a, b, op, limit)) return kMsgOutOfRange;

  DecimalNumber value = Compute(a, op, b, QuotientScale(result, a, b));
  TrimFractionZeros(value);
  PadScale(value, minimumScale);
  std::string text = RenderDecimalText(value);
  if (text.size() > limit) return kMsgOutOfRange;
  result.bytes = std::move(text);
  return kMsgSuccess;
}

MessageId EvaluateDecimalComparison(ValueCell& result, const ValueCell& left, std::uint16_t op,
                                    const ValueCell& right) {
  if (result.valueType != kValueInteger) return kMsgInternalError;
  if (op < kOpEqual || op > kOpGreater) return kMsgInternalError;
  DecimalNumber a;
  DecimalNumber b;
  if (!ReadOperand(left, a) || !ReadOperand(right, b)) return kMsgInternalError;
  result.value.number = ComparisonHolds(CompareDecimal(a, b), op) ? 1.0 : 0.0;
  return kMsgSuccess;
}

MessageId FitNumericText(std::string_view text, std::string& out, std::size_t outSize,
                         std::uint16_t precision, std::uint16_t scale) {
  DecimalNumber number;
  if (!ParseDecimalText(text, number)) return kMsgConversionError;
  TrimFractionZeros(number);
  std::size_t targetScale = scale == kNoDigits ? number.scale : scale;
  bool cut = CutScale(number, targetScale);
  std::size_t integerRoom = precision > targetScale ? precision - targetScale : 0;
  if (IntegerDigitCount(number) > integerRoom) return kMsgOutOfRange;
  // Both bounds are known before padding, so a huge scale never builds a
  // huge text.
  std::size_t length =
      (number.negative ? 1 : 0) + IntegerDigitCount(number) + (targetScale > 0 ? targetScale + 1 : 0);
  if (length > outSize) return kMsgOutOfRange;
  PadScale(number, targetScale);
  out = RenderDecimalText(number);
  return cut ? kMsgDataTruncated : kMsgSuccess;
}
