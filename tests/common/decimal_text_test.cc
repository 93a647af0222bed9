// Decimal-text operators, comparison and normaliser: fixed cases, a
// differential check against 128-bit integers, and identities on long texts.
#include "common/decimal_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

using Int128 = __int128;

ValueCell Numeric(const std::string& text) {
  ValueCell cell;
  cell.valueType = kValueNumeric;
  cell.nullFlag = 0;
  cell.bytes = text;
  return cell;
}

ValueCell NumericResult(std::int32_t size, std::uint16_t digits) {
  ValueCell cell = Numeric("unset");
  cell.size = size;
  cell.digits = digits;
  return cell;
}

struct FitCase {
  const char* text;
  std::size_t outSize;
  std::uint16_t precision;
  std::uint16_t scale;
  MessageId id;
  const char* out;  // expected text; unchanged ("keep") on failure
};

TEST(FitNumericTextTest, NormalFormCutsAndLimits) {
  const FitCase cases[] = {
      {"  00123.4500", 20, 10, 2, kMsgSuccess, "123.45"},
      {"123.456", 20, 10, 2, kMsgDataTruncated, "123.45"},
      {"-123.459", 20, 10, 2, kMsgDataTruncated, "-123.45"},
      {"1.999", 20, 10, 0, kMsgDataTruncated, "1"},
      {"-0.001", 20, 10, 2, kMsgDataTruncated, ".00"},
      {"-0", 20, 10, 0, kMsgSuccess, ""},
      {"0.5", 20, 10, 1, kMsgSuccess, ".5"},
      {"5", 20, 10, 3, kMsgSuccess, "5.000"},
      {"12.5  ", 20, 10, 1, kMsgSuccess, "12.5"},
      {"", 20, 10, 0, kMsgSuccess, ""},
      {"   ", 20, 10, 2, kMsgSuccess, ".00"},
      {"12.3400", 20, 10, kNoDigits, kMsgSuccess, "12.34"},
      {"1234", 20, 5, 1, kMsgSuccess, "1234.0"},
      {"12345", 20, 5, 1, kMsgOutOfRange, "keep"},
      {"-99999.9", 20, 5, 0, kMsgDataTruncated, "-99999"},
      {"-999999.9", 20, 5, 0, kMsgOutOfRange, "keep"},
      {"1234", 5, 5, 1, kMsgOutOfRange, "keep"},
      {"-1234", 5, 5, 0, kMsgSuccess, "-1234"},
      {"0.5", 20, 1, 3, kMsgSuccess, ".500"},
      {"1.5", 20, 1, 3, kMsgOutOfRange, "keep"},
      {"1", 20, 10, 60000, kMsgOutOfRange, "keep"},
      {"abc", 20, 10, 0, kMsgConversionError, "keep"},
      {"1.2.3", 20, 10, 0, kMsgConversionError, "keep"},
      {"-", 20, 10, 0, kMsgConversionError, "keep"},
      {"1e5", 20, 10, 0, kMsgConversionError, "keep"},
  };
  for (const FitCase& c : cases) {
    std::string out = "keep";
    EXPECT_EQ(FitNumericText(c.text, out, c.outSize, c.precision, c.scale), c.id) << c.text;
    EXPECT_EQ(out, c.out) << c.text;
  }
}

TEST(FitNumericTextTest, RewritesItsOwnText) {
  std::string text = "  -000042.500";
  EXPECT_EQ(FitNumericText(text, text, 20, 10, 2), kMsgSuccess);
  EXPECT_EQ(text, "-42.50");
}

struct OperatorCase {
  const char* left;
  std::uint16_t op;
  const char* right;  // nullptr for negate
  std::int32_t size;
  std::uint16_t digits;
  MessageId id;
  const char* text;
};

TEST(ApplyDecimalOperatorTest, FixedCases) {
  const OperatorCase cases[] = {
      {"1.50", 14, "1.50", 5, 2, kMsgSuccess, "3.00"},
      {"1.5", 14, "-1.5", 5, 1, kMsgSuccess, ".0"},
      {"1.5", 14, "-1.5", 5, 0, kMsgSuccess, ""},
      {"-0", 13, nullptr, 5, 0, kMsgSuccess, ""},
      {".00", 13, nullptr, 5, 2, kMsgSuccess, ".00"},
      {"12.34", 13, nullptr, 4, 2, kMsgSuccess, "-12.34"},
      {"0.5", 13, nullptr, 1, 1, kMsgSuccess, "-.5"},
      {"12.50", 14, "1", 4, 2, kMsgSuccess, "13.50"},
      {"1.00", 17, "3.00", 6, 4, kMsgSuccess, ".3333"},
      {"-2", 17, "3", 10, 2, kMsgSuccess, "-.66"},
      {"2", 17, "3", 10, 0, kMsgSuccess, ""},
      {"-1", 17, "3", 10, 0, kMsgSuccess, ""},
      {"9.99", 17, ".01", 6, 4, kMsgSuccess, "999.0000"},
      {"1", 17, "", 5, 0, kMsgDivisionByZero, "unset"},
      {"1", 17, "-0.00", 5, 0, kMsgDivisionByZero, "unset"},
      {"9999999999.99", 16, "9999999999.99", 19, 4, kMsgOutOfRange, "unset"},
      {"99", 14, "1", 1, 0, kMsgSuccess, "100"},
      // Products that just fit: their integer digits are not overestimated.
      {"10", 16, "10", 1, 0, kMsgSuccess, "100"},
      {"10000000000", 16, "10000000000", 19, 0, kMsgSuccess, "100000000000000000000"},
      {"-99", 15, "1", 1, 0, kMsgOutOfRange, "unset"},
      {"1", 14, "1", 3, 9, kMsgOutOfRange, "unset"},
      {"1x", 14, "1", 5, 0, kMsgInternalError, "unset"},
      {"1", 18, "1", 5, 0, kMsgInternalError, "unset"},
      {"1", 14, nullptr, 5, 0, kMsgInternalError, "unset"},
  };
  for (const OperatorCase& c : cases) {
    ValueCell result = NumericResult(c.size, c.digits);
    ValueCell left = Numeric(c.left);
    ValueCell right = Numeric(c.right ? c.right : "");
    EXPECT_EQ(ApplyDecimalOperator(result, left, c.op, c.right ? &right : nullptr), c.id)
        << c.left << " op " << c.op << " " << (c.right ? c.right : "");
    EXPECT_EQ(result.bytes, c.text) << c.left << " op " << c.op;
  }
  ValueCell result = NumericResult(10, 0);
  ValueCell integer = Numeric("1");
  integer.valueType = kValueInteger;
  EXPECT_EQ(ApplyDecimalOperator(result, integer, 14, &result), kMsgInternalError);
  EXPECT_EQ(ApplyDecimalOperator(integer, Numeric("1"), 13, nullptr), kMsgInternalError);
}

TEST(ApplyDecimalOperatorTest, ResultMayBeAnOperand) {
  ValueCell cell = Numeric("12.50");
  cell.size = 4;
  cell.digits = 2;
  ValueCell one = Numeric("1");
  ASSERT_EQ(ApplyDecimalOperator(cell, cell, 16, &cell), kMsgSuccess);
  EXPECT_EQ(cell.bytes, "156.25");
  ASSERT_EQ(ApplyDecimalOperator(cell, one, 15, &cell), kMsgOutOfRange);  // 7 characters > 6
  cell.size = 10;
  ASSERT_EQ(ApplyDecimalOperator(cell, one, 15, &cell), kMsgSuccess);
  EXPECT_EQ(cell.bytes, "-155.25");
}

TEST(ApplyDecimalOperatorTest, RefusesOversizedResultsOfHugeOperands) {
  ValueCell result = NumericResult(19, 0);
  ValueCell big = Numeric("1" + std::string(100000, '0'));
  ValueCell tiny = Numeric("." + std::string(100000, '0') + "1");
  EXPECT_EQ(ApplyDecimalOperator(result, big, 16, &big), kMsgOutOfRange);
  EXPECT_EQ(ApplyDecimalOperator(result, big, 17, &tiny), kMsgOutOfRange);
}

TEST(ApplyDecimalOperatorTest, CarriesAcrossLongRunsOfNines) {
  const std::string nines(300, '9');
  ValueCell result = NumericResult(1000, 0);
  ValueCell a = Numeric(nines);
  ASSERT_EQ(ApplyDecimalOperator(result, a, 16, &a), kMsgSuccess);
  EXPECT_EQ(result.bytes, std::string(299, '9') + "8" + std::string(299, '0') + "1");
  ValueCell one = Numeric("1");
  ASSERT_EQ(ApplyDecimalOperator(result, a, 14, &one), kMsgSuccess);
  EXPECT_EQ(result.bytes, "1" + std::string(300, '0'));
}

// Operands that fit 128-bit arithmetic with room for the aligned quotient.
struct Operand {
  Int128 coefficient = 0;
  int scale = 0;
  std::string text;
};

Int128 Power10(int n) {
  Int128 p = 1;
  while (n-- > 0) p *= 10;
  return p;
}

Operand RandomOperand(std::mt19937& random) {
  std::uniform_int_distribution<int> digitCount(0, 9);
  std::uniform_int_distribution<int> fractionCount(0, 6);
  std::uniform_int_distribution<int> digit(0, 9);
  std::uniform_int_distribution<int> coin(0, 3);
  Operand o;
  std::string whole;
  std::string fraction;
  for (int i = digitCount(random); i > 0; --i) whole.push_back(static_cast<char>('0' + digit(random)));
  for (int i = fractionCount(random); i > 0; --i) fraction.push_back(static_cast<char>('0' + digit(random)));
  for (char c : whole + fraction) o.coefficient = o.coefficient * 10 + (c - '0');
  o.scale = static_cast<int>(fraction.size());
  bool negative = coin(random) == 0;
  if (negative) o.coefficient = -o.coefficient;
  o.text = std::string(coin(random) == 0 ? " " : "") + (negative ? "-" : (coin(random) == 0 ? "+" : ""));
  o.text += std::string(coin(random) == 0 ? 2 : 0, '0') + whole;
  if (!fraction.empty()) o.text += "." + fraction + std::string(coin(random) == 0 ? 1 : 0, '0');
  bool hasSign = o.text.find_first_of("+-") != std::string::npos;
  if (whole.empty() && fraction.empty() && (hasSign || coin(random) != 0)) o.text += "0";
  return o;
}

std::string ReferenceText(Int128 value, int scale, int digits) {
  while (scale > digits && value % 10 == 0) {
    value /= 10;
    --scale;
  }
  while (scale < digits) {
    value *= 10;
    ++scale;
  }
  bool negative = value < 0;
  std::string all;
  for (Int128 v = negative ? -value : value; v != 0; v /= 10)
    all.insert(all.begin(), static_cast<char>('0' + static_cast<int>(v % 10)));
  if (static_cast<int>(all.size()) < scale) all.insert(0, static_cast<std::size_t>(scale) - all.size(), '0');
  std::string text = negative ? "-" : "";
  text += all.substr(0, all.size() - static_cast<std::size_t>(scale));
  if (scale > 0) text += "." + all.substr(all.size() - static_cast<std::size_t>(scale));
  return text;
}

// The exact result as coefficient and scale; false for a zero divisor.
bool ReferenceResult(const Operand& a, std::uint16_t op, const Operand& b, int quotientScale, Int128& value,
                     int& scale) {
  int common = std::max(a.scale, b.scale);
  Int128 x = a.coefficient * Power10(common - a.scale);
  Int128 y = b.coefficient * Power10(common - b.scale);
  switch (op) {
    case 13: value = -a.coefficient, scale = a.scale; return true;
    case 14: value = x + y, scale = common; return true;
    case 15: value = x - y, scale = common; return true;
    case 16: value = a.coefficient * b.coefficient, scale = a.scale + b.scale; return true;
    default: break;
  }
  if (b.coefficient == 0) return false;
  int k = b.scale + quotientScale - a.scale;
  Int128 n = a.coefficient * (k >= 0 ? Power10(k) : 1);
  Int128 d = b.coefficient * (k < 0 ? Power10(-k) : 1);
  value = n / d;
  scale = quotientScale;
  return true;
}

TEST(ApplyDecimalOperatorTest, AgreesWithExactIntegerArithmetic) {
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> opPick(13, 17);
  std::uniform_int_distribution<int> digitsPick(0, 12);
  std::uniform_int_distribution<int> sizePick(1, 45);
  for (int i = 0; i < 20000; ++i) {
    Operand a = RandomOperand(random);
    Operand b = RandomOperand(random);
    std::uint16_t op = static_cast<std::uint16_t>(opPick(random));
    int digits = digitsPick(random);
    ValueCell result = NumericResult(sizePick(random), static_cast<std::uint16_t>(digits));
    ValueCell left = Numeric(a.text);
    ValueCell right = Numeric(b.text);
    MessageId id = ApplyDecimalOperator(result, left, op, op == 13 ? nullptr : &right);
    Int128 value = 0;
    int scale = 0;
    std::string context =
        a.text + " op " + std::to_string(op) + " " + b.text + " digits " + std::to_string(digits);
    if (!ReferenceResult(a, op, b, digits, value, scale)) {
      EXPECT_EQ(id, kMsgDivisionByZero) << context;
      continue;
    }
    std::string expected = ReferenceText(value, scale, digits);
    if (expected.size() > static_cast<std::size_t>(result.size) + 2) {
      EXPECT_EQ(id, kMsgOutOfRange) << context;
    } else {
      ASSERT_EQ(id, kMsgSuccess) << context;
      ASSERT_EQ(result.bytes, expected) << context;
    }
  }
}

TEST(EvaluateDecimalComparisonTest, AgreesWithExactIntegerComparison) {
  std::mt19937 random(77);
  std::uniform_int_distribution<int> opPick(1, 6);
  for (int i = 0; i < 5000; ++i) {
    Operand a = RandomOperand(random);
    Operand b = i % 4 == 0 ? a : RandomOperand(random);
    std::uint16_t op = static_cast<std::uint16_t>(opPick(random));
    int common = std::max(a.scale, b.scale);
    Int128 x = a.coefficient * Power10(common - a.scale);
    Int128 y = b.coefficient * Power10(common - b.scale);
    const bool expected[] = {x == y, x != y, x <= y, x < y, x >= y, x > y};
    ValueCell result;
    result.valueType = kValueInteger;
    ASSERT_EQ(EvaluateDecimalComparison(result, Numeric(a.text), op, Numeric(b.text)), kMsgSuccess);
    EXPECT_EQ(result.value.number, expected[op - 1] ? 1.0 : 0.0) << a.text << " op " << op << " " << b.text;
  }
}

TEST(EvaluateDecimalComparisonTest, RefusesWrongTypesAndOperators) {
  ValueCell result;
  result.valueType = kValueInteger;
  ValueCell character = Numeric("1");
  character.valueType = kValueCharacter;
  EXPECT_EQ(EvaluateDecimalComparison(result, Numeric("1"), 0, Numeric("1")), kMsgInternalError);
  EXPECT_EQ(EvaluateDecimalComparison(result, Numeric("1"), 7, Numeric("1")), kMsgInternalError);
  EXPECT_EQ(EvaluateDecimalComparison(result, character, 1, Numeric("1")), kMsgInternalError);
  EXPECT_EQ(EvaluateDecimalComparison(result, Numeric("1"), 1, Numeric("one")), kMsgInternalError);
  result.valueType = kValueDouble;
  EXPECT_EQ(EvaluateDecimalComparison(result, Numeric("1"), 1, Numeric("1")), kMsgInternalError);
}

std::string RandomLongText(std::mt19937& random) {
  std::uniform_int_distribution<int> length(1, 150);
  std::uniform_int_distribution<int> digit(0, 9);
  std::string whole(1, static_cast<char>('1' + digit(random) % 9));
  std::string fraction;
  for (int i = length(random); i > 0; --i) whole.push_back(static_cast<char>('0' + digit(random)));
  for (int i = length(random) / 3; i > 0; --i) fraction.push_back(static_cast<char>('0' + digit(random)));
  fraction.push_back('7');  // no trailing zero, so the text is already in normal form
  return (digit(random) < 5 ? "-" : "") + whole + "." + fraction;
}

TEST(ApplyDecimalOperatorTest, LongOperandsSatisfyIdentities) {
  std::mt19937 random(5);
  for (int i = 0; i < 100; ++i) {
    ValueCell a = Numeric(RandomLongText(random));
    ValueCell b = Numeric(RandomLongText(random));
    auto aScale = static_cast<std::uint16_t>(a.bytes.size() - a.bytes.find('.') - 1);
    ValueCell sum = NumericResult(1000, kNoDigits);
    ASSERT_EQ(ApplyDecimalOperator(sum, a, 14, &b), kMsgSuccess);
    ValueCell difference = NumericResult(1000, aScale);
    ASSERT_EQ(ApplyDecimalOperator(difference, sum, 15, &b), kMsgSuccess);
    EXPECT_EQ(difference.bytes, a.bytes);

    ValueCell product = NumericResult(1000, kNoDigits);
    ASSERT_EQ(ApplyDecimalOperator(product, a, 16, &b), kMsgSuccess);
    ValueCell quotient = NumericResult(1000, aScale);
    ASSERT_EQ(ApplyDecimalOperator(quotient, product, 17, &b), kMsgSuccess);
    EXPECT_EQ(quotient.bytes, a.bytes);

    ValueCell below;
    below.valueType = kValueInteger;
    ASSERT_EQ(EvaluateDecimalComparison(below, sum, 4, a), kMsgSuccess);
    EXPECT_EQ(below.value.number, b.bytes[0] == '-' ? 1.0 : 0.0);
  }
}

}  // namespace
