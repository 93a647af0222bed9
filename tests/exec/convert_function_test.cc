// CONVERT over its matrix of argument and result types, with the range
// checks, the whole-number rule of texts, and results that always stay
// within the column (the sanitizer build checks every write).
#include <gtest/gtest.h>

#include <string>

#include "scalar_call_fixture.h"

namespace {

struct Case {
  std::string call;
  std::string expected;  // ShowValue of the result, or "error <id>"
  std::string shape;     // ShowShape of the call, where the case checks it
};

TEST(ConvertFunction, Matrix) {
  const Case cases[] = {
      {"{fn CONVERT('12', SQL_INTEGER)}", "12", "4 size 10 digits 0"},
      {"{fn CONVERT('12.5', SQL_INTEGER)}", "error 1009", ""},
      {"{fn CONVERT('x', SQL_INTEGER)}", "error 1009", ""},
      {"{fn CONVERT(12.5E0, SQL_INTEGER)}", "12", ""},
      {"{fn CONVERT(-12.5E0, SQL_SMALLINT)}", "-12", ""},
      {"{fn CONVERT(3000000000E0, SQL_INTEGER)}", "error 1011", ""},
      {"{fn CONVERT('100', SQL_TINYINT)}", "100", "-6 size 3 digits 0"},
      {"{fn CONVERT('200', SQL_TINYINT)}", "error 1011", ""},
      {"{fn CONVERT(' 1 ', SQL_BIT)}", "1", "-7 size 1 digits 0"},
      {"{fn CONVERT(2, SQL_BIT)}", "error 1011", ""},
      {"{fn CONVERT(12.25, SQL_DOUBLE)}", "12.25", "8 size 15 digits -"},
      {"{fn CONVERT('1e300', SQL_REAL)}", "error 1011", ""},
      {"{fn CONVERT('1e300', SQL_FLOAT)}", "1.000000E+300", "6 size 15 digits -"},
      {"{fn CONVERT({d '2024-01-02'}, SQL_INTEGER)}", "error 1009", ""},
      {"{fn CONVERT(-12345678.90, SQL_CHAR)}", "'-12345678.90'", "1 size 12 digits -"},
      {"{fn CONVERT(12.5, SQL_CHAR)}", "'12.5 '", "1 size 5 digits -"},
      {"{fn CONVERT(-12345678.90, SQL_BINARY)}", "0x2D31323334353637382E3930", "-2 size 12 digits -"},
      {"{fn CONVERT(12.5, SQL_BINARY)}", "0x31322E3500", "-2 size 5 digits -"},
      {"{fn CONVERT(258, SQL_BINARY)}", "0x02010000", "-2 size 4 digits -"},
      {"{fn CONVERT(1.5E0, SQL_BINARY)}", "0x000000000000F83F", ""},
      {"{fn CONVERT({fn CONVERT(258, SQL_BINARY)}, SQL_INTEGER)}", "258", ""},
      {"{fn CONVERT({fn CONVERT(258, SQL_BINARY)}, SQL_SMALLINT)}", "error 1009", ""},
      {"{fn CONVERT({fn CONVERT(-1, SQL_BINARY)}, SQL_INTEGER)}", "-1", ""},
      {"{fn CONVERT({fn CONVERT(3, SQL_BINARY)}, SQL_INTEGER)}", "3", ""},
      {"{fn CONVERT({fn CONVERT('ab', SQL_BINARY)}, SQL_CHAR)}", "'6162            '", "1 size 16 digits -"},
      {"{fn CONVERT({fn CONVERT('ab', SQL_BINARY)}, SQL_VARCHAR)}", "'6162'", ""},
      {"{fn CONVERT({fn CONVERT(' 4  ', SQL_BINARY)}, SQL_DECIMAL)}", "'4.000'", "3 size 16 digits 3"},
      {"{fn CONVERT({fn CONVERT(' 42 ', SQL_BINARY)}, SQL_DECIMAL)}", "'42.000'", ""},
      {"{fn CONVERT({fn CONVERT('ab', SQL_BINARY)}, SQL_DECIMAL)}", "error 1009", ""},
      {"{fn CONVERT({fn CONVERT('ab', SQL_BINARY)}, SQL_DATE)}", "error 1009", ""},
      {"{fn CONVERT({fn CONVERT({d '2024-02-29'}, SQL_BINARY)}, SQL_DATE)}", "2024-02-29", ""},
      {"{fn CONVERT({fn CONVERT({t '23:59:58'}, SQL_BINARY)}, SQL_TIME)}", "23:59:58", ""},
      {"{fn CONVERT({fn CONVERT({ts '2024-02-29 01:02:03.25'}, SQL_BINARY)}, SQL_TIMESTAMP)}",
       "2024-02-29 01:02:03.250", ""},
      {"{fn CONVERT({fn CONVERT('abc  ', SQL_CHAR)}, SQL_VARCHAR)}", "'abc'", "12 size 5 digits -"},
      {"{fn CONVERT('ab', SQL_CHAR)}", "'ab'", "1 size 2 digits -"},
      {"{fn CONVERT({d '2024-01-02'}, SQL_TIMESTAMP)}", "2024-01-02 00:00:00.000", "93 size 23 digits 3"},
      {"{fn CONVERT({d '2024-01-02'}, SQL_TIME)}", "error 1009", ""},
      {"{fn CONVERT({ts '2024-01-02 03:04:05.5'}, SQL_DATE)}", "2024-01-02", "91 size 10 digits -"},
      {"{fn CONVERT({ts '2024-01-02 03:04:05.5'}, SQL_TIME)}", "03:04:05", ""},
      {"{fn CONVERT({ts '2024-01-02 03:04:05.5'}, SQL_CHAR)}", "'2024-01-02 03:04:05.500'", "1 size 23 digits -"},
      {"{fn CONVERT({d '2024-01-02'}, SQL_VARCHAR)}", "'2024-01-02'", ""},
      {"{fn CONVERT({t '03:04:05'}, SQL_CHAR)}", "'03:04:05'", ""},
      {"{fn CONVERT('2024-01-02', SQL_DATE)}", "2024-01-02", ""},
      {"{fn CONVERT('2024-01-02', SQL_TIMESTAMP)}", "error 1009", ""},
      {"{fn CONVERT('03:04:05', SQL_TIME)}", "03:04:05", ""},
      {"{fn CONVERT(12, SQL_DATE)}", "error 1009", ""},
      {"{fn CONVERT(12.5E0, SQL_DECIMAL)}", "'12.500'", "3 size 15 digits 3"},
      {"{fn CONVERT(1E20, SQL_DECIMAL)}", "error 1011", ""},
      {"{fn CONVERT(12, SQL_NUMERIC)}", "'12'", "2 size 10 digits 0"},
      {"{fn CONVERT(-12345678.90, SQL_DECIMAL)}", "'-12345678.90'", "3 size 10 digits 2"},
      {"{fn CONVERT('  00012.5', SQL_DECIMAL)}", "'12.500'", "3 size 19 digits 3"},
      {"{fn CONVERT('1.5e3', SQL_NUMERIC)}", "'1500.000'", ""},
      {"{fn CONVERT('12x', SQL_DECIMAL)}", "error 1009", ""},
      {"{fn CONVERT('99999999999999999999', SQL_DECIMAL)}", "error 1011", ""},
      {"{fn CONVERT('123', SQL_BIGINT)}", "'123'", "-5 size 20 digits 0"},
      {"{fn CONVERT('1.5', SQL_BIGINT)}", "'1'", ""},
      {"{fn CONVERT(1.5, SQL_BIGINT)}", "'1'", ""},
      {"{fn CONVERT({d '2024-01-02'}, SQL_DECIMAL)}", "error 1009", ""},
      {"{fn CONVERT(1E300, SQL_CHAR)}", "'1.000000E+300         '", "1 size 22 digits -"},
      {"{fn CONVERT(-2147483648E0, SQL_INTEGER)}", "-2147483648", ""},
      {"{fn CONVERT('x', SQL_LONGVARCHAR)}", "error 1003", ""},
      {"{fn CONVERT('x', SQL_NOSUCHTYPE)}", "error 1059", ""},
  };
  for (const Case& c : cases) {
    ScalarCallFixture f;
    const CallOutcome outcome = f.Run(c.call);
    EXPECT_EQ(outcome.Text(), c.expected) << c.call;
    if (!c.shape.empty()) {
      EXPECT_EQ(ShowShape(outcome.cell), c.shape) << c.call;
    }
  }
}

// A text of 200 characters, blanks and zeros before a 1, converts into a
// decimal column of 19 digits.
TEST(ConvertFunction, LongNumberTextNormalisesIntoItsColumn) {
  ScalarCallFixture f;
  const std::string text = "   " + std::string(196, '0') + "1";
  const CallOutcome outcome = f.Run("{fn CONVERT('" + text + "', SQL_DECIMAL)}");
  EXPECT_EQ(outcome.Text(), "'1.000'");
  EXPECT_LE(outcome.cell.bytes.size(), 21u);
}

// Bytes of the wrong width, or whose structure holds no date or time, are
// not read as one.
TEST(ConvertFunction, BinaryOfTheWrongShape) {
  ScalarCallFixture f;
  ASSERT_EQ(f.Prepare("{fn CONVERT({fn CONVERT('abcdef', SQL_BINARY)}, SQL_DATE)}").id, kMsgSuccess);
  EXPECT_EQ(f.Evaluate().id, kMsgConversionError);
  ASSERT_EQ(f.Prepare("{fn CONVERT({fn CONVERT('1234', SQL_BINARY)}, SQL_REAL)}").id, kMsgSuccess);
  const CallOutcome real = f.Evaluate();
  EXPECT_EQ(real.id, kMsgSuccess);
  ASSERT_EQ(f.Prepare("{fn CONVERT({fn CONVERT('12345678', SQL_BINARY)}, SQL_DOUBLE)}").id, kMsgSuccess);
  EXPECT_EQ(f.Evaluate().id, kMsgSuccess);
}

// An INTEGER column's value beyond 32 bits (an overflowed sum) can't become
// the four bytes of an INTEGER.
TEST(ConvertFunction, NumberBytesOutsideTheirType) {
  ScalarCallFixture f;
  f.identity.nullFlag = 0;
  f.identity.value.number = 4294967296.0;
  EXPECT_EQ(f.Run("{fn CONVERT(IDENTITY, SQL_BINARY)}").id, kMsgOutOfRange);
  EXPECT_EQ(f.Run("{fn CONVERT(IDENTITY, SQL_VARCHAR)}").Text(), "'4294967296'");
  f.identity.value.number = 1e300;
  EXPECT_EQ(f.Run("{fn CONVERT(IDENTITY, SQL_VARCHAR)}").id, kMsgOutOfRange);
}

}  // namespace
