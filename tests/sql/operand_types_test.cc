// CheckOperatorTypes over pairs of typed operands, operands that take their
// type from their partner, and unary minus.
#include <gtest/gtest.h>

#include "handles/statement_handle.h"
#include "sql/operand_types.h"
#include "sql/parse_tree.h"
#include "type_shape.h"

namespace {

// Unary minus cases have no right operand.
struct OperatorCase {
  const char* name;
  TypeShape left;
  std::uint16_t op;
  TypeShape right;
  MessageId id;
  TypeShape result;     // when id is 0
  const char* detail;   // when id is 1024
  TypeShape typedAs{};  // the untyped operand afterwards, when just one is untyped
};

NodeIndex AddTyped(ParseTree& tree, const TypeShape& shape) {
  const NodeIndex node = AddParseNode(tree, kNodeColumnReference);
  SetShape(tree.nodes[node].cell, shape);
  return node;
}

void RunCases(const OperatorCase* begin, const OperatorCase* end) {
  for (const OperatorCase* c = begin; c != end; ++c) {
    StatementHandle statement;
    ParseTree tree;
    AddParseNode(tree, kNodeRoot);
    const NodeIndex left = AddTyped(tree, c->left);
    const NodeIndex right = c->op == kOpNegate ? kNoNode : AddTyped(tree, c->right);
    ValueCell result;
    result.nullFlag = 0;
    EXPECT_EQ(CheckOperatorTypes(statement, tree, left, right, c->op, &result), c->id) << c->name;
    if (c->id == kMsgSuccess) {
      EXPECT_EQ(ShapeOf(result), c->result) << c->name;
      EXPECT_EQ(result.nullFlag, 0) << c->name;
    }
    if (c->id == kMsgOperatorTypeMismatch) {
      EXPECT_EQ(statement.diagnostic.detailText, c->detail) << c->name;
    }
    if (right != kNoNode && (c->left == kUntyped) != (c->right == kUntyped)) {
      EXPECT_EQ(ShapeOf(tree.nodes[c->left == kUntyped ? left : right].cell), c->typedAs) << c->name;
    }
  }
}

TEST(OperandTypes, TypedOperands) {
  const OperatorCase cases[] = {
      {"integer + smallint", kInteger, kOpAdd, kSmallint, 0, kInteger, ""},
      {"decimal sum widens", Numeric(10, 2), kOpAdd, Numeric(8, 4), 0, Numeric(13, 4), ""},
      {"decimal sum stops at 19", Numeric(19, 0), kOpSubtract, Numeric(19, 0), 0, Numeric(19, 0), ""},
      {"bigint sum stops at 20", kBigint, kOpAdd, kBigint, 0, {kValueNumeric, SQL_BIGINT, 20, 0}, ""},
      {"numeric + integer", Numeric(10, 2), kOpAdd, kInteger, 0, Numeric(13, 2), ""},
      {"decimal wins over numeric", Numeric(4, 1), kOpAdd, Decimal(4, 2), 0, Decimal(6, 2), ""},
      {"product size capped", Numeric(12, 2), kOpMultiply, Numeric(12, 2), 0, Numeric(19, 4), ""},
      {"product digits capped at size", Numeric(12, 10), kOpMultiply, Numeric(12, 10), 0, Numeric(19, 19), ""},
      {"quotient digits capped", Decimal(15, 12), kOpDivide, Numeric(10, 9), 0, Decimal(19, 19), ""},
      {"comparison keeps left size", Numeric(10, 2), kOpLess, Numeric(4, 1), 0, Numeric(10, 2), ""},
      {"exact vs approximate", kInteger, kOpEqual, kDouble, 0, kDouble, ""},
      {"double vs exact keeps left size", {kValueDouble, SQL_DOUBLE, 17, kNone}, kOpLess, kInteger, 0,
       {kValueDouble, SQL_DOUBLE, 17, kNone}, ""},
      {"float vs real", kFloat, kOpEqual, kReal, 0, kFloat, ""},
      {"integer LIKE names SQL types", kSmallint, kOpLike, kInteger, kMsgOperatorTypeMismatch, {},
       "SQL_SMALLINT LIKE SQL_INTEGER"},
      {"AND of numbers names value types", kSmallint, kOpAnd, kInteger, kMsgOperatorTypeMismatch, {},
       "SQL_INTEGER AND SQL_INTEGER"},
      {"char + varchar", Char(200), kOpAdd, Varchar(100), 0, Varchar(255), ""},
      {"char + char", Char(20), kOpAdd, Char(30), 0, Char(50), ""},
      {"long text + text", kLongText, kOpAdd, Varchar(10), kMsgOperatorTypeMismatch, {}, "SQL_CHAR + SQL_CHAR"},
      {"text + long text", Varchar(10), kOpAdd, kLongText, kMsgOperatorTypeMismatch, {}, "SQL_CHAR + SQL_CHAR"},
      {"long text = shorter text", {kValueCharacter, SQL_LONGVARCHAR, 100, kNone}, kOpEqual, Varchar(200), 0,
       {kValueCharacter, SQL_LONGVARCHAR, 200, kNone}, ""},
      {"long text = long text", kLongText, kOpEqual, {kValueCharacter, SQL_LONGVARCHAR, 9, kNone}, 0,
       {kValueCharacter, SQL_LONGVARCHAR, 9, kNone}, ""},
      {"varchar = char keeps varchar", Varchar(40), kOpEqual, Char(10), 0, Varchar(40), ""},
      {"text - text", Varchar(5), kOpSubtract, Varchar(5), kMsgOperatorTypeMismatch, {}, "SQL_CHAR - SQL_CHAR"},
      {"varchar LIKE char keeps varchar", Varchar(5), kOpLike, Char(7), 0, Varchar(5), ""},
      {"text = double", Varchar(5), kOpEqual, kDouble, kMsgOperatorTypeMismatch, {}, "SQL_CHAR = SQL_DOUBLE"},
      {"date - date", kDate, kOpSubtract, kDate, 0, kInteger, ""},
      {"date + date", kDate, kOpAdd, kDate, kMsgOperatorTypeMismatch, {}, "SQL_DATE + SQL_DATE"},
      {"date LIKE date", kDate, kOpLike, kDate, kMsgOperatorTypeMismatch, {}, "SQL_DATE LIKE SQL_DATE"},
      {"date = ODBC 3 date", kDate, kOpEqual, kTypeDate, 0, kDate, ""},
      {"ODBC 3 date + 3", kTypeDate, kOpAdd, kInteger, 0, kTypeDate, ""},
      {"3 + date", kInteger, kOpAdd, kTypeDate, 0, kTypeDate, ""},
      {"3 - date", kInteger, kOpSubtract, kDate, kMsgOperatorTypeMismatch, {}, "SQL_INTEGER - SQL_DATE"},
      {"date * 2", kDate, kOpMultiply, kInteger, kMsgOperatorTypeMismatch, {}, "SQL_DATE * SQL_INTEGER"},
      {"time = ODBC 3 time", kTime, kOpEqual, kTypeTime, 0, kTypeTime, ""},
      {"timestamp < timestamp", {kValueTimestamp, SQL_TYPE_TIMESTAMP, 19, 0}, kOpLess, kTimestamp, 0, kTimestamp, ""},
      {"binary = varbinary", Binary(SQL_BINARY, 10), kOpEqual, Binary(SQL_VARBINARY, 20), 0,
       Binary(SQL_VARBINARY, 20), ""},
      {"long binary = binary", Binary(SQL_LONGVARBINARY, 99), kOpEqual, Binary(SQL_BINARY, 20), 0,
       Binary(SQL_LONGVARBINARY, 99), ""},
      {"unknown SQL type", {kValueInteger, 99, 10, 0}, kOpEqual, kInteger, kMsgNotSupportedDetail, {}, ""},
      {"known pair outside the rules", {kValueCharacter, SQL_INTEGER, 10, 0}, kOpEqual, Varchar(5),
       kMsgInternalError, {}, ""},
  };
  RunCases(std::begin(cases), std::end(cases));
}

TEST(OperandTypes, UntypedOperandTakesPartnersType) {
  const OperatorCase cases[] = {
      {"? = varchar", kUntyped, kOpEqual, Varchar(40), 0, Varchar(40), "", Varchar(40)},
      {"char + ?", Char(10), kOpAdd, kUntyped, 0, Varchar(255), "", Varchar(255)},
      {"? LIKE text", kUntyped, kOpLike, Varchar(40), 0, Varchar(40), "", Varchar(40)},
      {"long text + ?", kLongText, kOpAdd, kUntyped, kMsgOperatorTypeMismatch, {}, "SQL_CHAR + unknown type",
       kUntyped},
      {"? - text", kUntyped, kOpSubtract, Varchar(4), kMsgOperatorTypeMismatch, {}, "unknown type - SQL_CHAR",
       kUntyped},
      {"? = numeric", kUntyped, kOpEqual, Numeric(10, 2), 0, Numeric(19, 2), "", Numeric(19, 2)},
      {"bigint = ?", kBigint, kOpEqual, kUntyped, 0, {kValueNumeric, SQL_BIGINT, 20, 0}, "",
       {kValueNumeric, SQL_BIGINT, 20, 0}},
      {"numeric held as integer", {kValueNumeric, SQL_INTEGER, 10, 0}, kOpEqual, kUntyped, kMsgInternalError, {},
       "", kUntyped},
      {"numeric of unknown type", {kValueNumeric, 99, 10, 0}, kOpEqual, kUntyped, kMsgNotSupportedDetail, {}, "",
       kUntyped},
      {"date + ?", kDate, kOpAdd, kUntyped, 0, {kValueDate, SQL_DATE, 10, 0}, "", kInteger},
      {"? + ODBC 3 date", kUntyped, kOpAdd, kTypeDate, 0, kTypeDate, "", kInteger},
      {"date - ?", kDate, kOpSubtract, kUntyped, 0, kInteger, "", kDate},
      {"date = ?", kDate, kOpEqual, kUntyped, 0, kDate, "", kDate},
      {"date LIKE ?", kDate, kOpLike, kUntyped, kMsgOperatorTypeMismatch, {}, "SQL_DATE LIKE unknown type",
       kUntyped},
      {"? * date", kUntyped, kOpMultiply, kDate, kMsgOperatorTypeMismatch, {}, "unknown type * SQL_DATE",
       kUntyped},
      {"? = ?", kUntyped, kOpEqual, kUntyped, kMsgParameterTypeUnknown, {}, ""},
  };
  RunCases(std::begin(cases), std::end(cases));
}

TEST(OperandTypes, UnaryMinusChecksTheOperandAgainstItself) {
  const OperatorCase cases[] = {
      {"-integer", kInteger, kOpNegate, {}, 0, kInteger, ""},
      {"-numeric", Numeric(8, 3), kOpNegate, {}, 0, Numeric(8, 3), ""},
      {"-text", Varchar(3), kOpNegate, {}, kMsgOperatorTypeMismatch, {}, "SQL_CHAR - SQL_CHAR"},
      {"-date", kDate, kOpNegate, {}, kMsgOperatorTypeMismatch, {}, "SQL_DATE - SQL_DATE"},
      {"-?", kUntyped, kOpNegate, {}, kMsgParameterTypeUnknown, {}, ""},
  };
  RunCases(std::begin(cases), std::end(cases));
}

TEST(OperandTypes, MissingOperandsAndCheckOnly) {
  StatementHandle statement;
  ParseTree tree;
  AddParseNode(tree, kNodeRoot);
  const NodeIndex column = AddTyped(tree, Varchar(40));
  const NodeIndex marker = AddTyped(tree, kUntyped);
  EXPECT_EQ(CheckOperatorTypes(statement, tree, kNoNode, column, kOpEqual, nullptr), kMsgInternalError);
  EXPECT_EQ(CheckOperatorTypes(statement, tree, column, kNoNode, kOpAdd, nullptr), kMsgInternalError);
  // An assignment only checks, but the marker still learns its type.
  EXPECT_EQ(CheckOperatorTypes(statement, tree, column, marker, kOpAssignment, nullptr), kMsgSuccess);
  EXPECT_EQ(ShapeOf(tree.nodes[marker].cell), Varchar(40));
}

}  // namespace
