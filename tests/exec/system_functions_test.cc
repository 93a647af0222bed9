// IFNULL's choice and formatting, DATABASE and IDENTITY from the connection,
// LASTERROR's two sources, and the frame's NULL rule for every group.
#include <gtest/gtest.h>

#include <string>

#include "exec/scalar_functions.h"
#include "sql/scalar_function_table.h"
#include "scalar_call_fixture.h"

namespace {

struct Case {
  std::string call;
  std::string expected;  // ShowValue of the result, or "error <id>"
  std::string shape;
};

TEST(SystemFunctions, IfNullChoosesAndFormats) {
  const Case cases[] = {
      {"{fn IFNULL({fn CONVERT(IDENTITY, SQL_CHAR)}, {fn CONVERT('x', SQL_CHAR)})}", "'x          '",
       "1 size 11 digits -"},
      {"{fn IFNULL({fn CONVERT(IDENTITY, SQL_CHAR)}, 'x')}", "'x'", "12 size 11 digits -"},
      {"{fn IFNULL(IDENTITY, 2.5E0)}", "2.5", "8 size 15 digits -"},
      {"{fn IFNULL(IDENTITY, 2.5)}", "'2.5'", "3 size 11 digits 1"},
      {"{fn IFNULL(IDENTITY, {fn CONVERT(IDENTITY, SQL_DOUBLE)})}", "NULL", ""},
      {"{fn IFNULL({fn CONVERT(IDENTITY, SQL_BINARY)}, {fn CONVERT('a', SQL_BINARY)})}", "0x61000000",
       "-2 size 4 digits -"},
      {"{fn IFNULL({fn CONVERT(IDENTITY, SQL_DATE)}, {d '2024-01-02'})}", "2024-01-02", ""},
      {"{fn IFNULL(2.5, 3)}", "'2.5'", ""},
      {"{fn IFNULL({fn CONVERT(IDENTITY, SQL_TIMESTAMP)}, {ts '2024-01-02 03:04:05'})}", "2024-01-02 03:04:05.000", ""},
      {"{fn IFNULL({fn CONVERT(IDENTITY, SQL_DATE)}, 'x')}", "error 1059", ""},
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

TEST(SystemFunctions, IfNullOfAPresentValue) {
  ScalarCallFixture f;
  f.identity.nullFlag = 0;
  f.identity.value.number = 7;
  EXPECT_EQ(f.Run("{fn IFNULL(IDENTITY, 2.5E0)}").Text(), "7");
  EXPECT_EQ(f.Run("{fn IFNULL(IDENTITY, 2.5)}").Text(), "'7.0'");
  EXPECT_EQ(f.Run("{fn IFNULL({fn CONVERT(IDENTITY, SQL_CHAR)}, {fn CONVERT('x', SQL_CHAR)})}").Text(),
            "'7          '");
}

// Any NULL argument gives NULL, cleared by type, and arguments after it are
// never evaluated: MOD(1, 0) would fail.
TEST(SystemFunctions, NullRuleForEveryGroup) {
  const char* calls[] = {
      "{fn LEFT({fn CONVERT(IDENTITY, SQL_CHAR)}, {fn MOD(1, 0)})}",
      "{fn SUBSTRING({fn CONVERT(IDENTITY, SQL_VARCHAR)}, {fn MOD(1, 0)}, {fn MOD(1, 0)})}",
      "{fn ROUND({fn CONVERT(IDENTITY, SQL_DECIMAL)}, {fn MOD(1, 0)})}",
      "{fn MOD(IDENTITY, 0)}",
      "{fn TIMESTAMPADD(SQL_TSI_DAY, IDENTITY, {fn CONVERT('x', SQL_DATE)})}",
      "{fn CONVERT({fn CONVERT(IDENTITY, SQL_BINARY)}, SQL_INTEGER)}",
      "{fn DAYNAME({fn CONVERT(IDENTITY, SQL_CHAR)})}",
  };
  for (const char* call : calls) {
    ScalarCallFixture f;
    const CallOutcome outcome = f.Run(call);
    EXPECT_EQ(outcome.Text(), "NULL") << call;
    EXPECT_TRUE(outcome.cell.bytes.empty()) << call;
    EXPECT_EQ(outcome.cell.value.number, 0.0) << call;
  }
}

TEST(SystemFunctions, ConnectionValues) {
  ScalarCallFixture f;
  f.record.databaseName = std::string(200, 'd');
  const CallOutcome database = f.Run("{fn DATABASE()}");
  EXPECT_EQ(database.cell.bytes, std::string(127, 'd'));
  EXPECT_EQ(f.Run("{fn IDENTITY()}").Text(), "0");
  f.record.lastImportRecordId = 4000000000u;
  EXPECT_EQ(f.Run("{fn IDENTITY()}").Text(), "4000000000");
}

// The statement's own message while it has one; else the environment's,
// handed out once.
TEST(SystemFunctions, LastErrorSources) {
  ScalarCallFixture f;
  SetDiagnostic(f.environment.diagnostic, kMsgTransactionActive);
  SetDiagnostic(f.statement.diagnostic, kMsgColumnNotFound, "Missing");
  ASSERT_EQ(f.Prepare("{fn LASTERROR()}").id, kMsgSuccess);
  SetDiagnostic(f.statement.diagnostic, kMsgColumnNotFound, "Missing");
  const std::string statementText = "[Tarvox ODBC]The column named 'Missing' could not be found.";
  EXPECT_EQ(f.Evaluate().cell.bytes, statementText);
  EXPECT_EQ(f.Evaluate().cell.bytes, statementText);
  ClearDiagnostic(f.statement.diagnostic);
  EXPECT_EQ(f.Evaluate().cell.bytes, "[Tarvox ODBC]Transaction still active");
  EXPECT_EQ(f.Evaluate().cell.bytes, "");
  EXPECT_EQ(f.environment.diagnostic.messageId, kMsgSuccess);
}

TEST(SystemFunctions, ServiceErrorAsLastError) {
  ScalarCallFixture f;
  ASSERT_EQ(f.Prepare("{fn LASTERROR()}").id, kMsgSuccess);
  f.statement.diagnostic.messageId = kMsgServerError;
  f.statement.diagnostic.messageText = "S1000 HY000 [Tarvox][QuickBase]" + std::string(600, 'e');
  const CallOutcome outcome = f.Evaluate();
  EXPECT_EQ(outcome.cell.bytes.size(), 511u);
  EXPECT_EQ(outcome.cell.bytes.substr(0, 19), "[Tarvox][QuickBase]");
}

// A node that is no call, or a row past the table, is the driver's own fault.
TEST(SystemFunctions, FrameRefusesWhatIsNoCall) {
  ScalarCallFixture f;
  ASSERT_EQ(f.Prepare("{fn PI()}").id, kMsgSuccess);
  ParseTree& tree = *f.statement.parseTree;
  const NodeIndex call = FirstSelectExpression(tree);
  EXPECT_EQ(CallScalarFunction(f.statement, tree, 0), kMsgInternalError);
  EXPECT_EQ(CallScalarFunction(f.statement, tree, static_cast<NodeIndex>(tree.nodes.size())), kMsgInternalError);
  tree.nodes[call].fields.scalarFunction.functionRow = kScalarFunctionRowCount;
  EXPECT_EQ(CallScalarFunction(f.statement, tree, call), kMsgInternalError);
  tree.nodes[call].fields.scalarFunction.functionRow = kFnAbsDouble;  // wants one argument, has none
  EXPECT_EQ(CallScalarFunction(f.statement, tree, call), kMsgInternalError);
}

}  // namespace
