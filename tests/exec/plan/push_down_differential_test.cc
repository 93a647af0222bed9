// The plan's push-down against the same statements evaluated wholly in the
// driver: over the demo data, every SELECT must yield the same rows with
// its pushed predicates sent to the service as without them, since the
// service may only narrow what the SQL condition keeps.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "exec/row_sources.h"
#include "exec/statement_executor.h"
#include "handles/statement_handle.h"
#include "odbc/prepare_statement.h"
#include "sql/parse_tree.h"
#include "tables/emulator_session.h"

namespace {

using Row = std::vector<std::uint32_t>;

class PushDownDifferential : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    emulator_ = new EmulatorSession;
    ASSERT_TRUE(emulator_->Start("emulator/fixtures/demo.json"));
  }
  static void TearDownTestSuite() {
    delete emulator_;
    emulator_ = nullptr;
  }

  // The record ids of every row, one per FROM table, in the order they came;
  // sent tells whether any table's query carried criteria.
  std::vector<Row> Rows(const std::string& text, bool pushDown, bool& sent) {
    StatementHandle statement;
    statement.connection = &emulator_->connection;
    std::vector<Row> rows;
    EXPECT_EQ(PrepareStatement(statement, reinterpret_cast<const SQLCHAR*>(text.c_str()), SQL_NTS), SQL_SUCCESS)
        << statement.diagnostic.messageId << " " << statement.diagnostic.detailText;
    if (statement.parseTree == nullptr) return rows;
    ParseTree& tree = *statement.parseTree;
    if (!pushDown) ForgetPushedPredicates(tree);
    EXPECT_EQ(ExecuteStatementTree(statement, tree, kNoNode), kMsgSuccess) << statement.diagnostic.detailText;
    const NodeIndex select = tree.nodes[0].fields.root.statementNode;
    MessageId id = kMsgSuccess;
    while ((id = FetchNextSelectRow(statement, tree, select)) == kMsgSuccess) rows.push_back(CurrentRow(tree, select));
    EXPECT_EQ(id, kMsgNoDataFound) << statement.diagnostic.messageText;
    sent = AnyCriteriaSent(tree);
    emulator_->Record().currentStatement = nullptr;
    FreeParseTree(statement.parseTree);
    return rows;
  }

  static void ForgetPushedPredicates(ParseTree& tree) {
    for (ParseNode& node : tree.nodes) {
      if (node.kind != kNodeTableReference) continue;
      node.fields.tableReference.firstPushed = kNoNode;
      node.fields.tableReference.pushedCount = 0;
    }
  }
  static Row CurrentRow(const ParseTree& tree, NodeIndex select) {
    Row row;
    for (NodeIndex item = tree.nodes[select].fields.select.fromList; item != kNoNode;
         item = tree.nodes[item].fields.joinItem.next) {
      const TableReferenceFields& t = tree.nodes[tree.nodes[item].fields.joinItem.tableReference].fields.tableReference;
      row.push_back(t.nullRow != 0 ? 0xFFFFFFFFu : t.cursor->recordId);
    }
    return row;
  }
  static bool AnyCriteriaSent(const ParseTree& tree) {
    for (const ParseNode& node : tree.nodes) {
      const TableCursor* cursor = node.kind == kNodeTableReference ? node.fields.tableReference.cursor : nullptr;
      if (cursor != nullptr && !cursor->queryText.empty()) return true;
    }
    return false;
  }

  static EmulatorSession* emulator_;
};

EmulatorSession* PushDownDifferential::emulator_ = nullptr;

// Each row: a WHERE (or a whole SELECT) over the demo data, and whether its
// plan lets the service narrow any table's rows.
struct DifferentialCase {
  const char* text;
  bool sends;
};

TEST_F(PushDownDifferential, ServiceNarrowsButNeverDropsARow) {
  const std::string orders = "SELECT \"Order No\" FROM \"Sales: Orders\" o WHERE ";
  const DifferentialCase cases[] = {
      {"o.Amount > 1000", true},
      {"1000 < o.Amount", true},
      {"o.Amount BETWEEN 500 AND 2000", true},
      {"o.Amount BETWEEN 2000 AND 500", true},
      {"o.Amount NOT BETWEEN 500 AND 2000", false},
      {"o.\"Order No\" IN ('SO-0001', 'so-0003', 'SO-0099')", true},
      {"o.\"Order No\" NOT IN ('SO-0001', 'SO-0002')", true},
      {"o.\"Order No\" LIKE 'SO-000%'", true},
      {"o.\"Order No\" LIKE '%-001%'", true},
      // Patterns that only ask for a value, or hold an inner wildcard, stay here.
      {"o.\"Order No\" LIKE '%'", false},
      {"o.\"Order No\" LIKE '%%'", false},
      {"o.\"Order No\" LIKE 'SO-00_1'", false},
      {"o.Amount > 1000 OR o.Discount > 0.05", false},
      {"o.Amount > 3000 OR o.\"Order No\" = 'SO-0002'", true},
      {"o.Amount > 3000 OR o.Amount + 0 < 400", false},
      {"o.Amount > 500 AND (o.Shipped = 1 OR o.Discount = 0)", true},
      {"o.Shipped = 1 AND NOT o.Amount > 3000", true},
      {"1600 BETWEEN o.\"Net Amount\" AND o.Amount", false},
      {"o.\"Delivery Time\" IS NULL OR o.Amount < 500", true},
      {"o.\"Related Customer\" <> 3 AND o.Amount >= 400", true},
  };
  for (const DifferentialCase& c : cases) {
    const std::string text = orders + c.text;
    SCOPED_TRACE(text);
    bool sent = false;
    bool unused = false;
    std::vector<Row> pushed = Rows(text, true, sent);
    std::vector<Row> local = Rows(text, false, unused);
    EXPECT_EQ(sent, c.sends);
    EXPECT_FALSE(local.empty());
    std::sort(pushed.begin(), pushed.end());
    std::sort(local.begin(), local.end());
    EXPECT_EQ(pushed, local);
  }
}

TEST_F(PushDownDifferential, JoinConditionsCarryTheOuterRow) {
  const DifferentialCase cases[] = {
      {"SELECT l.Product FROM \"Sales: Orders\" o, \"Sales: Order Lines\" l "
       "WHERE l.\"Related Order\" = o.\"Record ID#\" AND o.Amount > 700",
       true},
      {"SELECT l.Product FROM \"Sales: Order Lines\" l, \"Sales: Orders\" o "
       "WHERE l.\"Related Order\" = o.\"Record ID#\" OR o.Amount > 3000",
       true},
      {"SELECT l.Product FROM \"Sales: Orders\" o LEFT OUTER JOIN \"Sales: Order Lines\" l "
       "ON l.\"Related Order\" = o.\"Record ID#\" AND l.Quantity > 3 WHERE o.Amount < 1000",
       true},
  };
  for (const DifferentialCase& c : cases) {
    SCOPED_TRACE(c.text);
    bool sent = false;
    bool unused = false;
    std::vector<Row> pushed = Rows(c.text, true, sent);
    std::vector<Row> local = Rows(c.text, false, unused);
    EXPECT_EQ(sent, c.sends);
    EXPECT_FALSE(local.empty());
    std::sort(pushed.begin(), pushed.end());
    std::sort(local.begin(), local.end());
    EXPECT_EQ(pushed, local);
  }
}

}  // namespace
