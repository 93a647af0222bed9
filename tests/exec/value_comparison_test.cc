// CompareValues and CompareNumericValues over every pair of value types they
// meet: text with case and trailing blanks, LIKE with escapes, exact NUMERIC
// against integers and doubles, NaN, dates and times field by field, and the
// pairs that have no rule.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include <sqlext.h>

#include "exec/expression_evaluation.h"

namespace {

ValueCell Cell(std::int16_t valueType) {
  ValueCell cell;
  cell.valueType = valueType;
  cell.nullFlag = 0;
  return cell;
}

ValueCell Text(std::string text) {
  ValueCell cell = Cell(kValueCharacter);
  cell.bytes = std::move(text);
  return cell;
}

ValueCell Bytes(std::string bytes) {
  ValueCell cell = Cell(kValueBinary);
  cell.bytes = std::move(bytes);
  return cell;
}

ValueCell Numeric(std::string text) {
  ValueCell cell = Cell(kValueNumeric);
  cell.bytes = std::move(text);
  return cell;
}

ValueCell Integer(double value) {
  ValueCell cell = Cell(kValueInteger);
  cell.value.number = value;
  return cell;
}

ValueCell Double(double value) {
  ValueCell cell = Cell(kValueDouble);
  cell.value.number = value;
  return cell;
}

ValueCell Date(SQLSMALLINT year, SQLUSMALLINT month, SQLUSMALLINT day) {
  ValueCell cell = Cell(kValueDate);
  cell.value.date = {year, month, day};
  return cell;
}

ValueCell Time(SQLUSMALLINT hour, SQLUSMALLINT minute, SQLUSMALLINT second) {
  ValueCell cell = Cell(kValueTime);
  cell.value.time = {hour, minute, second};
  return cell;
}

ValueCell Stamp(SQLUSMALLINT second, SQLUINTEGER fraction) {
  ValueCell cell = Cell(kValueTimestamp);
  cell.value.timestamp = {2024, 5, 6, 7, 8, second, fraction};
  return cell;
}

struct Comparison {
  const char* what;
  ValueCell left;
  std::uint16_t op;
  ValueCell right;
  MessageId id;
  double truth;  // read only when id is 0
};

TEST(CompareValues, EveryPairAndOperator) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Comparison cases[] = {
      {"case and trailing blanks are ignored", Text("abc"), kOpEqual, Text("ABC  "), 0, 1},
      {"trailing blanks on the left", Text("abc  "), kOpEqual, Text("abc"), 0, 1},
      {"a byte below the blank sorts before the padding", Text("ab\t"), kOpLess, Text("ab"), 0, 1},
      {"a letter after it", Text("abc"), kOpGreater, Text("ab "), 0, 1},
      {"_ sorts before letters", Text("_"), kOpLess, Text("a"), 0, 1},
      {"only A-Z fold", Text("\xC3\xA9"), kOpNotEqual, Text("\xC3\x89"), 0, 1},
      {"bytes above 127 after ASCII", Text("z"), kOpLess, Text("\xC3\xA9"), 0, 1},
      {"<= on equal texts", Text("Same"), kOpLessOrEqual, Text("same"), 0, 1},
      {">= on a smaller text", Text("a"), kOpGreaterOrEqual, Text("b"), 0, 0},
      {"LIKE without case", Text("abc"), kOpLike, Text("A%"), 0, 1},
      {"LIKE one character", Text("abc"), kOpLike, Text("a_c"), 0, 1},
      {"NOT LIKE", Text("abc"), kOpNotLike, Text("b%"), 0, 1},
      {"an escaped percent is literal", Text("50%"), kOpLike, Text("50\\%"), 0, 1},
      {"and does not match any run", Text("500"), kOpLike, Text("50\\%"), 0, 0},
      {"an escaped underscore", Text("a_b"), kOpLike, Text("a\\_b"), 0, 1},
      {"an escaped backslash", Text("a\\b"), kOpLike, Text("a\\\\b"), 0, 1},
      {"text with a number", Text("1"), kOpEqual, Integer(1), kMsgInternalError, 0},
      {"text with a date", Text("2024-01-01"), kOpEqual, Date(2024, 1, 1), kMsgInternalError, 0},
      {"text with no operator", Text("a"), kOpAdd, Text("a"), kMsgInternalError, 0},
      {"binary equal", Bytes(std::string("\0\1", 2)), kOpEqual, Bytes(std::string("\0\1", 2)), 0, 1},
      {"binary of other length", Bytes("ab"), kOpNotEqual, Bytes(std::string("ab\0", 3)), 0, 1},
      {"binary has no order", Bytes("a"), kOpLess, Bytes("b"), kMsgInternalError, 0},
      {"binary with text", Bytes("a"), kOpEqual, Text("a"), kMsgInternalError, 0},
      {"numeric exactly", Numeric("1.50"), kOpEqual, Numeric("1.5"), 0, 1},
      {"numeric beyond doubles", Numeric("12345678901234567.1"), kOpGreater, Numeric("12345678901234567"), 0, 1},
      {"integer with numeric, exactly", Integer(9007199254740993.0 - 1), kOpLess, Numeric("9007199254740992.5"), 0, 1},
      {"numeric with integer, mirrored", Numeric("2.5"), kOpGreater, Integer(2), 0, 1},
      {"numeric with double, mirrored", Numeric("-0.5"), kOpLess, Double(0.25), 0, 1},
      {"double with numeric", Double(0.1), kOpEqual, Numeric(".1"), 0, 1},
      {"integer with double", Integer(3), kOpGreaterOrEqual, Double(2.999), 0, 1},
      {"NaN is not equal", Double(nan), kOpEqual, Double(nan), 0, 0},
      {"NaN is unequal", Double(nan), kOpNotEqual, Double(1), 0, 1},
      {"NaN is not below", Double(nan), kOpLess, Double(1), 0, 0},
      {"a number with text", Integer(1), kOpEqual, Text("1"), kMsgInternalError, 0},
      {"a number with LIKE", Integer(1), kOpLike, Integer(1), kMsgInternalError, 0},
      {"dates by year first", Date(2023, 12, 31), kOpLess, Date(2024, 1, 1), 0, 1},
      {"dates by day", Date(2024, 2, 29), kOpGreater, Date(2024, 2, 28), 0, 1},
      {"a date with a time", Date(2024, 1, 1), kOpEqual, Time(0, 0, 0), kMsgInternalError, 0},
      {"a date with a number", Date(2024, 1, 1), kOpEqual, Integer(1), kMsgInternalError, 0},
      {"times", Time(10, 0, 1), kOpGreater, Time(9, 59, 59), 0, 1},
      {"timestamps down to the fraction", Stamp(5, 1), kOpGreater, Stamp(5, 0), 0, 1},
      {"timestamps equal", Stamp(5, 1), kOpEqual, Stamp(5, 1), 0, 1},
      {"dates have no LIKE", Date(1, 1, 1), kOpLike, Date(1, 1, 1), kMsgInternalError, 0},
      {"an unknown type", Cell(77), kOpEqual, Cell(77), kMsgNotSupportedDetail, 0},
      {"an unknown right type", Integer(1), kOpEqual, Cell(77), kMsgNotSupportedDetail, 0},
  };
  for (const Comparison& c : cases) {
    ValueCell result = Cell(kValueInteger);
    result.nullFlag = 1;
    result.value.number = 0.5;
    ASSERT_EQ(CompareValues(result, c.left, c.op, c.right), c.id) << c.what;
    if (c.id != kMsgSuccess) continue;
    EXPECT_EQ(result.nullFlag, 0) << c.what;
    EXPECT_EQ(result.value.number, c.truth) << c.what;
  }
}

// Every operator on each numeric pair agrees with the order of the values.
TEST(CompareNumericValues, OperatorsFollowTheOrder) {
  struct Pair {
    ValueCell a;
    ValueCell b;
    int order;
  } pairs[] = {
      {Numeric("-2"), Numeric("-10"), 1},
      {Numeric(""), Numeric("-0.0"), 0},
      {Integer(-3), Numeric("-2.5"), -1},
      {Numeric("7"), Double(7), 0},
      {Double(1e300), Numeric("1"), 1},
  };
  const std::uint16_t ops[] = {kOpEqual, kOpNotEqual, kOpLessOrEqual, kOpLess, kOpGreaterOrEqual, kOpGreater};
  for (const Pair& p : pairs) {
    const bool expected[] = {p.order == 0, p.order != 0, p.order <= 0, p.order < 0, p.order >= 0, p.order > 0};
    for (int i = 0; i < 6; ++i) {
      ValueCell result = Cell(kValueInteger);
      ASSERT_EQ(CompareNumericValues(result, p.a, ops[i], p.b), kMsgSuccess) << i;
      EXPECT_EQ(result.value.number, expected[i] ? 1.0 : 0.0) << p.a.bytes << " op " << ops[i];
    }
  }
  ValueCell result = Cell(kValueInteger);
  EXPECT_EQ(CompareNumericValues(result, Integer(1), kOpLike, Integer(1)), kMsgInternalError);
  EXPECT_EQ(CompareNumericValues(result, Double(1), kOpEqual, Numeric("x")), kMsgAssignmentError);
}

}  // namespace
