// CONVERT's result for every type word and every sized argument type, and
// IFNULL's common type of two arguments.
#include <gtest/gtest.h>

#include <string>

#include "sql/scalar_function_result_types.h"
#include "type_shape.h"

namespace {

constexpr TypeShape kText40 = Varchar(40);
constexpr TypeShape kChar10 = Char(10);
constexpr TypeShape kBinary16 = Binary(SQL_BINARY, 16);
constexpr TypeShape kVarbinary200 = Binary(SQL_VARBINARY, 200);
constexpr TypeShape kNumeric10_2 = Numeric(10, 2);
constexpr TypeShape kDecimal10_0 = Decimal(10, 0);
constexpr TypeShape kUnusedValueType{3, SQL_DECIMAL, 5, 0};

ValueCell CellOf(const TypeShape& shape) {
  ValueCell cell;
  SetShape(cell, shape);
  return cell;
}

struct ConvertCase {
  const char* word;
  TypeShape argument;
  MessageId id;
  TypeShape result;
};

void ExpectConvert(const ConvertCase& c) {
  ValueCell result;
  const std::string label = std::string(c.word) + " of {" + std::to_string(c.argument.sqlType) + "}";
  EXPECT_EQ(ConvertResultType(c.word, CellOf(c.argument), result), c.id) << label;
  if (c.id == kMsgSuccess) {
    EXPECT_EQ(ShapeOf(result), c.result) << label;
  }
}

TEST(ScalarFunctionResultTypes, ConvertTypeWords) {
  const ConvertCase cases[] = {
      {"SQL_BIGINT", kText40, 0, {kValueNumeric, SQL_BIGINT, 20, 0}},
      {"SQL_BINARY", kText40, 0, {kValueBinary, SQL_BINARY, 160, kNone}},
      {"SQL_VARBINARY", kText40, 0, {kValueBinary, SQL_VARBINARY, 160, kNone}},
      {"SQL_BIT", kText40, 0, kBit},
      {"SQL_CHAR", kText40, 0, {kValueCharacter, SQL_CHAR, 40, kNone}},
      {"SQL_VARCHAR", kText40, 0, kText40},
      {"SQL_DATE", kText40, 0, kDate},
      {"SQL_TYPE_DATE", kText40, 0, kTypeDate},
      {"SQL_DECIMAL", kText40, 0, {kValueNumeric, SQL_DECIMAL, 19, 3}},
      {"SQL_NUMERIC", kText40, 0, {kValueNumeric, SQL_NUMERIC, 19, 3}},
      {"SQL_DOUBLE", kText40, 0, kDouble},
      {"SQL_FLOAT", kText40, 0, kFloat},
      {"SQL_INTEGER", kText40, 0, kInteger},
      {"SQL_LONGVARBINARY", kText40, kMsgNotSupportedDetail, {}},
      {"SQL_LONGVARCHAR", kText40, kMsgNotSupportedDetail, {}},
      {"SQL_REAL", kText40, 0, kReal},
      {"SQL_SMALLINT", kText40, 0, kSmallint},
      {"SQL_TIME", kText40, 0, kTime},  // hh:mm:ss takes 8
      {"SQL_TYPE_TIME", kText40, 0, kTypeTime},
      {"SQL_TIMESTAMP", kText40, 0, kTimestamp},
      {"SQL_TYPE_TIMESTAMP", kText40, 0, kTypeTimestamp},
      {"SQL_TINYINT", kText40, 0, kTinyint},
      {"sql_Integer", kText40, 0, kInteger},
      {"SQL_WCHAR", kText40, kMsgInvalidScalarArgument, {}},
  };
  for (const ConvertCase& c : cases) ExpectConvert(c);
}

TEST(ScalarFunctionResultTypes, ConvertToExactNumbersByArgumentValueType) {
  const ConvertCase cases[] = {
      {"SQL_BIGINT", kBinary16, 0, {kValueNumeric, SQL_BIGINT, 16, 0}},
      {"SQL_BIGINT", kNumeric10_2, 0, {kValueNumeric, SQL_BIGINT, 10, 0}},
      {"SQL_BIGINT", kInteger, 0, {kValueNumeric, SQL_BIGINT, 10, 0}},
      {"SQL_BIGINT", kDouble, 0, {kValueNumeric, SQL_BIGINT, 15, 0}},
      {"SQL_BIGINT", kDate, kMsgConversionError, {}},
      {"SQL_BIGINT", kUnusedValueType, kMsgNotSupportedDetail, {}},
      {"SQL_DECIMAL", kBinary16, 0, {kValueNumeric, SQL_DECIMAL, 16, 3}},
      {"SQL_DECIMAL", kDouble, 0, {kValueNumeric, SQL_DECIMAL, 15, 3}},
      {"SQL_NUMERIC", kNumeric10_2, 0, kNumeric10_2},
      {"SQL_NUMERIC", kTypeDate, kMsgConversionError, {}},
      {"SQL_NUMERIC", kUnusedValueType, kMsgNotSupportedDetail, {}},
  };
  for (const ConvertCase& c : cases) ExpectConvert(c);
}

struct RenderedCase {
  TypeShape argument;
  std::int32_t binarySize;  // 0: refused with 1003
  std::int32_t characterSize;
};

// A decimal's text holds its digits, the sign and the point whatever its
// scale, so NUMERIC(10,2) needs 12 characters, not 11. A text's bytes take
// up to four a character, within a bounded binary value's 255.
TEST(ScalarFunctionResultTypes, ConvertToTextAndBytesSizedByArgumentSqlType) {
  const RenderedCase cases[] = {
      {kBit, 1, 1},           {kTinyint, 1, 4},          {kBigint, 21, 21},
      {kNumeric10_2, 12, 12}, {kDecimal10_0, 12, 12},    {kBinary16, 16, 32},
      {kVarbinary200, 200, 255}, {kChar10, 40, 10},      {kText40, 160, 40},
      {Varchar(200), 255, 200}, {Varchar(254), 255, 254},
      {kInteger, 4, 11},      {kSmallint, 2, 6},         {kFloat, 8, 22},
      {kDouble, 8, 22},       {kReal, 4, 13},            {kDate, 6, 10},
      {kTypeDate, 6, 10},     {kTime, 6, 8},             {kTypeTime, 6, 8},
      {kTimestamp, 16, 23},   {kTypeTimestamp, 16, 23},  {kLongText, 0, 0},
      {Binary(SQL_LONGVARBINARY, 1000), 0, 0},
  };
  for (const RenderedCase& c : cases) {
    const MessageId id = c.binarySize == 0 ? kMsgNotSupportedDetail : kMsgSuccess;
    ExpectConvert({"SQL_VARBINARY", c.argument, id, {kValueBinary, SQL_VARBINARY, c.binarySize, kNone}});
    ExpectConvert({"SQL_CHAR", c.argument, id, {kValueCharacter, SQL_CHAR, c.characterSize, kNone}});
  }
}

struct IfNullCase {
  const char* name;
  TypeShape first;
  TypeShape second;
  MessageId id;
  TypeShape result;
};

TEST(ScalarFunctionResultTypes, IfNullCommonType) {
  const IfNullCase cases[] = {
      {"integer, double", kInteger, kDouble, 0, kDouble},
      {"integer, numeric", kInteger, kNumeric10_2, 0, {kValueNumeric, SQL_NUMERIC, 12, 2}},
      {"decimal wins", kDecimal10_0, kNumeric10_2, 0, {kValueNumeric, SQL_DECIMAL, 12, 2}},
      {"bigint, integer", kBigint, kInteger, 0, {kValueNumeric, SQL_BIGINT, 19, 0}},
      {"integer, smallint", kInteger, kSmallint, 0, kInteger},
      {"bit, tinyint", kBit, kTinyint, 0, {kValueInteger, SQL_TINYINT, 3, 0}},
      {"integer, real", kInteger, kReal, 0, kReal},
      {"float, double", kFloat, kDouble, 0, kDouble},
      {"float, real", kFloat, kReal, 0, kFloat},
      {"real, integer", kReal, kInteger, 0, kReal},
      {"double, real", kDouble, kReal, 0, kDouble},
      {"varchar, char", kText40, kChar10, 0, kText40},
      {"char, char", kChar10, {kValueCharacter, SQL_CHAR, 30, kNone}, 0, {kValueCharacter, SQL_CHAR, 30, kNone}},
      {"binary, varbinary", kBinary16, kVarbinary200, 0, kVarbinary200},
      {"date, ODBC 3 date", kDate, kTypeDate, 0, kDate},
      {"timestamp, timestamp", kTimestamp, kTimestamp, 0, kTimestamp},
      {"text, integer", kText40, kInteger, kMsgInvalidScalarArgument, {}},
      {"date, timestamp", kDate, kTimestamp, kMsgInvalidScalarArgument, {}},
      {"long text", kLongText, kText40, kMsgInternalError, {}},
      {"integer held as text type", kInteger, {kValueInteger, SQL_VARCHAR, 4, 0}, kMsgInternalError, {}},
      {"unknown second type", kInteger, {kValueInteger, 99, 4, 0}, kMsgNotSupportedDetail, {}},
  };
  for (const IfNullCase& c : cases) {
    ValueCell result;
    EXPECT_EQ(IfNullResultType(CellOf(c.first), CellOf(c.second), result), c.id) << c.name;
    if (c.id == kMsgSuccess) {
      EXPECT_EQ(ShapeOf(result), c.result) << c.name;
    }
  }
}

}  // namespace
