// SQL's rules where evaluation meets an edge, through the Driver Manager
// against the demo fixture: a NULL left operand of IN, NOT IN, ANY and ALL
// over sub-selects with and without rows, and date, time and timestamp
// literals beside a column in a DISTINCT list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "demo_data_source.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;

struct EvaluationRulesTest : DemoConnectionTest {
  Rows Query(const std::string& sql) {
    const SQLRETURN result = SQLExecDirect(statement, (SQLCHAR*)sql.c_str(), SQL_NTS);
    EXPECT_EQ(result, SQL_SUCCESS) << ReadDiagnostic(SQL_HANDLE_STMT, statement).text;
    return SQL_SUCCEEDED(result) ? FetchRowsAsText(statement) : Rows();
  }
};

// One order line has no unit price: its NULL meets each quantified
// comparison. Over no rows ALL and NOT IN hold and ANY and IN fail, for it
// too; over rows it is unknown, so NOT of it drops the line as well.
TEST_F(EvaluationRulesTest, NullLeftOperandOverSubSelects) {
  const std::string lines = "SELECT COUNT(*) FROM \"Sales: Order Lines\" l WHERE ";
  const std::string none = "(SELECT Quantity FROM \"Sales: Order Lines\" WHERE Quantity > 100)";
  const std::string ones = "(SELECT Quantity FROM \"Sales: Order Lines\" WHERE Quantity = 1)";
  const std::string correlatedNone =
      "(SELECT q.Quantity FROM \"Sales: Order Lines\" q WHERE q.Quantity > 100 AND q.Product = l.Product)";
  const struct {
    std::string condition;
    const char* count;
  } cases[] = {
      {"\"Unit Price\" NOT IN " + none, "30"},
      {"\"Unit Price\" IN " + none, "0"},
      {"\"Unit Price\" > ALL " + none, "30"},
      {"\"Unit Price\" > ANY " + none, "0"},
      {"NOT (\"Unit Price\" IN " + none + ")", "30"},
      {"\"Unit Price\" NOT IN " + correlatedNone, "30"},
      {"\"Unit Price\" NOT IN " + ones, "29"},
      {"\"Unit Price\" > ALL " + ones, "29"},
      {"NOT (\"Unit Price\" IN " + ones + ")", "29"},
      {"NOT (\"Unit Price\" > ANY " + ones + ")", "0"},
  };
  for (const auto& c : cases) EXPECT_EQ(Query(lines + c.condition), Rows{{c.count}}) << c.condition;
}

// A literal takes no place in a DISTINCT record, whatever its kind: each
// product is one row.
TEST_F(EvaluationRulesTest, DateAndTimeLiteralsInADistinctList) {
  const char* products[] = {"Doohickey", "Gadget", "Gizmo", "Sprocket", "Thingamajig", "widget", "Ünïcode Thing"};
  const struct {
    const char* literal;
    const char* shown;
  } cases[] = {
      {"{d '2020-01-02'}", "2020-01-02"},
      {"{t '03:04:05'}", "03:04:05"},
      {"{ts '2020-01-02 03:04:05'}", "2020-01-02 03:04:05.000"},
  };
  for (const auto& c : cases) {
    Rows expected;
    for (const char* product : products) expected.push_back({c.shown, product});
    EXPECT_EQ(Query(std::string("SELECT DISTINCT ") + c.literal + ", Product FROM \"Sales: Order Lines\""), expected)
        << c.literal;
  }
}

}  // namespace
