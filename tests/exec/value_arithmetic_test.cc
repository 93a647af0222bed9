// ApplyArithmetic's type matrix (exact NUMERIC results, doubles, text and
// dates), ValueToInteger's range, and date arithmetic over the whole
// calendar.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include <sqlext.h>

#include "exec/expression_evaluation.h"

namespace {

ValueCell Cell(std::int16_t valueType, std::int32_t size = 0, std::uint16_t digits = kNoDigits) {
  ValueCell cell;
  cell.valueType = valueType;
  cell.size = size;
  cell.digits = digits;
  cell.nullFlag = 0;
  return cell;
}

ValueCell Text(std::string text) {
  ValueCell cell = Cell(kValueCharacter, static_cast<std::int32_t>(text.size()));
  cell.bytes = std::move(text);
  return cell;
}

ValueCell Numeric(std::string text, std::int32_t size = 10, std::uint16_t digits = 2) {
  ValueCell cell = Cell(kValueNumeric, size, digits);
  cell.bytes = std::move(text);
  return cell;
}

ValueCell Integer(double value) {
  ValueCell cell = Cell(kValueInteger, 10, 0);
  cell.value.number = value;
  return cell;
}

ValueCell Double(double value) {
  ValueCell cell = Cell(kValueDouble, 15);
  cell.value.number = value;
  return cell;
}

ValueCell Date(SQLSMALLINT year, SQLUSMALLINT month, SQLUSMALLINT day) {
  ValueCell cell = Cell(kValueDate, 10);
  cell.value.date = {year, month, day};
  return cell;
}

std::string DateText(const SQL_DATE_STRUCT& d) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u", d.year, d.month, d.day);
  return text;
}

// What a result cell holds, as text: the bytes of text and NUMERIC results,
// the date, or the number.
std::string Shown(const ValueCell& cell) {
  switch (cell.valueType) {
    case kValueCharacter:
    case kValueNumeric: return cell.bytes;
    case kValueDate: return DateText(cell.value.date);
    default: {
      char text[64];
      std::snprintf(text, sizeof text, "%.17g", cell.value.number);
      return text;
    }
  }
}

struct Operation {
  const char* what;
  ValueCell result;  // typed as the binder types it
  ValueCell left;
  std::uint16_t op;
  ValueCell right;
  MessageId id;
  const char* shown;
};

TEST(ApplyArithmetic, TheTypeMatrix) {
  const Operation cases[] = {
      {"concatenation", Cell(kValueCharacter, 6), Text("abc"), kOpAdd, Text("DEF"), 0, "abcDEF"},
      {"keeps a CHAR's blanks", Cell(kValueCharacter, 6), Text("ab "), kOpAdd, Text("c"), 0, "ab c"},
      {"beyond the result's size", Cell(kValueCharacter, 5), Text("abc"), kOpAdd, Text("DEF"),
       kMsgConcatenationOverflow, ""},
      {"sizes count characters", Cell(kValueCharacter, 2), Text("\xC3\xA9"), kOpAdd, Text("\xE2\x82\xAC"), 0,
       "\xC3\xA9\xE2\x82\xAC"},
      {"text has no minus", Cell(kValueCharacter, 6), Text("a"), kOpSubtract, Text("b"), kMsgInternalError, ""},
      {"text plus a number", Cell(kValueCharacter, 6), Text("a"), kOpAdd, Integer(1), kMsgInternalError, ""},
      {"exact sum", Numeric("", 19, 2), Numeric("0.10"), kOpAdd, Numeric("0.20"), 0, ".30"},
      {"exact beyond doubles", Numeric("", 19, 1), Numeric("12345678901234567.1"), kOpAdd, Numeric(".1"), 0,
       "12345678901234567.2"},
      {"exact product", Numeric("", 19, 4), Numeric("1.25"), kOpMultiply, Numeric("-0.03"), 0, "-.0375"},
      {"exact quotient", Numeric("", 19, 4), Numeric("1"), kOpDivide, Numeric("3"), 0, ".3333"},
      {"NUMERIC divided by zero", Numeric("", 19, 2), Numeric("1"), kOpDivide, Numeric(""), kMsgDivisionByZero, ""},
      {"NUMERIC negated", Numeric("", 10, 2), Numeric("2.50"), kOpNegate, Numeric(""), 0, "-2.50"},
      {"NUMERIC plus an integer beyond 32 bits", Numeric("", 19, 1), Numeric("0.5"), kOpAdd, Integer(5000000000.0),
       0, "5000000000.5"},
      {"an integer plus NUMERIC", Numeric("", 19, 1), Integer(-3), kOpAdd, Numeric("0.5"), 0, "-2.5"},
      {"an integer minus NUMERIC to zero", Numeric("", 19, 0), Integer(2), kOpSubtract, Numeric("2"), 0, ""},
      {"NUMERIC times a double", Double(0), Numeric("1.5"), kOpMultiply, Double(2), 0, "3"},
      {"a double minus NUMERIC", Double(0), Double(1), kOpSubtract, Numeric(".25"), 0, "0.75"},
      {"NUMERIC plus text", Numeric("", 10, 2), Numeric("1"), kOpAdd, Text("1"), kMsgInternalError, ""},
      {"NUMERIC plus a date", Numeric("", 10, 2), Numeric("1"), kOpAdd, Date(2000, 1, 1), kMsgInternalError, ""},
      {"doubles", Double(0), Double(0.5), kOpAdd, Double(0.25), 0, "0.75"},
      {"integer division keeps the whole part", Integer(0), Integer(7), kOpDivide, Integer(2), 0, "3"},
      {"and truncates toward zero", Integer(0), Integer(-7), kOpDivide, Integer(2), 0, "-3"},
      {"a double quotient", Double(0), Integer(7), kOpDivide, Double(2), 0, "3.5"},
      {"an integer divided by zero", Integer(0), Integer(1), kOpDivide, Integer(0), kMsgDivisionByZero, ""},
      {"a double divided by zero", Double(0), Double(1), kOpDivide, Double(0), kMsgDivisionByZero, ""},
      {"negation", Double(0), Double(2), kOpNegate, Double(0), 0, "-2"},
      {"no negative zero", Double(0), Double(0), kOpNegate, Double(0), 0, "0"},
      {"an overflowing product", Double(0), Double(1e300), kOpMultiply, Double(1e300), kMsgOutOfRange, ""},
      {"days plus a date", Date(1, 1, 1), Integer(1), kOpAdd, Date(1999, 12, 31), 0, "2000-01-01"},
      {"days minus a date", Date(1, 1, 1), Integer(1), kOpSubtract, Date(1999, 12, 31), kMsgInternalError, ""},
      {"a number plus text", Double(0), Double(1), kOpAdd, Text("x"), kMsgInternalError, ""},
      {"a date plus days", Date(1, 1, 1), Date(2024, 1, 31), kOpAdd, Integer(29), 0, "2024-02-29"},
      {"a date plus NUMERIC days, truncated", Date(1, 1, 1), Date(2024, 2, 28), kOpAdd, Numeric("1.9"), 0,
       "2024-02-29"},
      {"a date minus double days", Date(1, 1, 1), Date(2024, 3, 1), kOpSubtract, Double(1), 0, "2024-02-29"},
      {"a date minus a date", Integer(0), Date(2000, 3, 1), kOpSubtract, Date(2000, 2, 1), 0, "29"},
      {"a later date minus an earlier one", Integer(0), Date(1850, 1, 1), kOpSubtract, Date(2500, 1, 1), 0,
       "-237408"},
      {"a date plus a date", Date(1, 1, 1), Date(2000, 3, 1), kOpAdd, Date(2000, 2, 1), kMsgInternalError, ""},
      {"a date times days", Date(1, 1, 1), Date(2000, 3, 1), kOpMultiply, Integer(2), kMsgInternalError, ""},
      {"a date negated", Date(1, 1, 1), Date(2000, 3, 1), kOpNegate, Date(1, 1, 1), kMsgInternalError, ""},
      {"a date minus a timestamp", Integer(0), Date(2000, 3, 1), kOpSubtract, Cell(kValueTimestamp),
       kMsgNotSupportedDetail, ""},
      {"a date minus a time", Integer(0), Date(2000, 3, 1), kOpSubtract, Cell(kValueTime), kMsgInternalError, ""},
      {"past the calendar's end", Date(1, 1, 1), Date(9999, 12, 31), kOpAdd, Integer(1), kMsgOutOfRange, ""},
      {"before its start", Date(1, 1, 1), Date(1, 1, 1), kOpSubtract, Integer(1), kMsgOutOfRange, ""},
      {"days beyond 32 bits", Date(1, 1, 1), Date(2000, 1, 1), kOpAdd, Double(4294967296.0 + 1), kMsgOutOfRange,
       ""},
      {"the most negative count, taken back", Date(1, 1, 1), Date(2000, 1, 1), kOpSubtract, Integer(-2147483648.0),
       kMsgOutOfRange, ""},
      {"binary", Cell(kValueBinary), Cell(kValueBinary), kOpAdd, Cell(kValueBinary), kMsgInternalError, ""},
      {"time", Cell(kValueTime), Cell(kValueTime), kOpAdd, Integer(1), kMsgInternalError, ""},
      {"timestamp", Cell(kValueTimestamp), Cell(kValueTimestamp), kOpAdd, Integer(1), kMsgInternalError, ""},
      {"an unknown type", Cell(77), Cell(77), kOpAdd, Cell(77), kMsgNotSupportedDetail, ""},
      {"no such operator", Double(0), Double(1), kOpEqual, Double(1), kMsgInternalError, ""},
  };
  for (const Operation& c : cases) {
    ValueCell result = c.result;
    const ValueCell* right = c.op == kOpNegate ? nullptr : &c.right;
    ASSERT_EQ(ApplyArithmetic(result, c.left, c.op, right), c.id) << c.what;
    if (c.id != kMsgSuccess) continue;
    EXPECT_EQ(Shown(result), c.shown) << c.what;
  }
}

TEST(ApplyArithmetic, MayWriteIntoItsOperand) {
  ValueCell cell = Text("ab");
  cell.size = 4;
  ASSERT_EQ(ApplyArithmetic(cell, cell, kOpAdd, &cell), kMsgSuccess);
  EXPECT_EQ(cell.bytes, "abab");
}

TEST(ValueToInteger, TruncatesTowardZeroWithinThirtyTwoBits) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    ValueCell cell;
    MessageId id;
    std::int32_t out;
  } cases[] = {
      {Double(2.9), 0, 2},
      {Double(-2.9), 0, -2},
      {Integer(2147483647), 0, 2147483647},
      {Integer(-2147483648.0), 0, -2147483647 - 1},
      {Double(2147483648.0), kMsgOutOfRange, 0},
      {Double(-2147483649.0), kMsgOutOfRange, 0},
      {Double(1e300), kMsgOutOfRange, 0},
      {Double(nan), kMsgOutOfRange, 0},
      {Numeric("-12.75"), 0, -12},
      {Numeric(""), 0, 0},
      {Numeric("2147483648"), kMsgOutOfRange, 0},
      {Numeric("1.2.3"), kMsgAssignmentError, 0},
      {Text("5"), kMsgInternalError, 0},
  };
  for (const Case& c : cases) {
    std::int32_t out = 77;
    ASSERT_EQ(ValueToInteger(c.cell, out), c.id) << Shown(c.cell);
    if (c.id != kMsgSuccess) continue;
    EXPECT_EQ(out, c.out) << Shown(c.cell);
  }
}

// Days on and off dates across month, year and leap-day ends, and far from
// the years a 1970-based clock knows.
TEST(DateArithmetic, ThirtyTwoBitDayCountsOverTheWholeCalendar) {
  struct Case {
    SQL_DATE_STRUCT date;
    std::int32_t days;
    MessageId id;
    const char* shown;
  } cases[] = {
      {{2024, 1, 31}, 1, 0, "2024-02-01"},
      {{2023, 12, 31}, 1, 0, "2024-01-01"},
      {{2024, 2, 28}, 1, 0, "2024-02-29"},
      {{2023, 2, 28}, 1, 0, "2023-03-01"},
      {{1900, 2, 28}, 1, 0, "1900-03-01"},
      {{2000, 2, 28}, 1, 0, "2000-02-29"},
      {{2024, 3, 1}, -1, 0, "2024-02-29"},
      {{1850, 6, 15}, 40000, 0, "1959-12-21"},
      {{2500, 2, 28}, 1, 0, "2500-03-01"},
      {{1850, 1, 1}, 237408, 0, "2500-01-01"},
      {{1, 1, 1}, 3652058, 0, "9999-12-31"},
      {{9999, 12, 31}, 1, kMsgOutOfRange, ""},
      {{1, 1, 1}, -1, kMsgOutOfRange, ""},
      {{2000, 1, 1}, 2147483647, kMsgOutOfRange, ""},
      {{2000, 1, 1}, -2147483647 - 1, kMsgOutOfRange, ""},
      {{0, 0, 0}, 1, kMsgOutOfRange, ""},
      {{2023, 2, 29}, 1, kMsgConversionError, ""},
  };
  for (const Case& c : cases) {
    SQL_DATE_STRUCT out{7, 7, 7};
    ASSERT_EQ(AddDaysToDate(c.date, c.days, out), c.id) << DateText(c.date) << " + " << c.days;
    if (c.id != kMsgSuccess) {
      EXPECT_EQ(DateText(out), "0007-07-07") << "untouched on failure";
      continue;
    }
    EXPECT_EQ(DateText(out), c.shown) << DateText(c.date) << " + " << c.days;
    EXPECT_EQ(DaysBetweenDates(out, c.date), c.days) << DateText(c.date);
  }
}

}  // namespace
