// ParseStatement's effects on the statement handle, the nesting limit, long
// chains, and the smaller tree walks (aggregate detection, plan text).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "handles/statement_handle.h"
#include "sql/parse_tree.h"
#include "sql/plan_text.h"
#include "sql/statement_parser.h"
#include "sql/tree_walks.h"
#include "tree_dump.h"

namespace {

MessageId Parse(StatementHandle& statement, const std::string& text) {
  return ParseStatement(statement, nullptr, text.data(), text.size(), statement.parseTree);
}

std::string Repeat(const std::string& piece, int count, const std::string& separator = "") {
  std::string text;
  for (int i = 0; i < count; ++i) text += (i ? separator : "") + piece;
  return text;
}

TEST(ParseStatement, EachParseStartsFromCleanStatementFields) {
  StatementHandle statement;
  statement.maxRows = 4;
  ASSERT_EQ(Parse(statement, "INSERTOQ INTO t VALUES (1); SELECT 1 FROM u"), kMsgSuccess);
  EXPECT_EQ(statement.passThrough, 1);
  EXPECT_EQ(statement.remainingBatch, " SELECT 1 FROM u");
  EXPECT_EQ(statement.rowLimit, 4);

  ASSERT_EQ(Parse(statement, "SELECT TOP 2 a FROM t"), kMsgSuccess);
  EXPECT_EQ(statement.passThrough, 0);
  EXPECT_EQ(statement.remainingBatch, "");
  EXPECT_EQ(statement.rowLimit, 2);

  // A failed parse leaves no tree, no batch and no TOP limit behind.
  ASSERT_EQ(Parse(statement, "SELECT TOP 1 a FROM t; x"), kMsgSuccess);
  EXPECT_EQ(Parse(statement, "SELECT a FROM t x y z,"), kMsgElementMissing);
  EXPECT_EQ(statement.parseTree, nullptr);
  EXPECT_EQ(statement.remainingBatch, "");
  EXPECT_EQ(statement.rowLimit, 4);

  statement.maxRows = 0;
  ASSERT_EQ(Parse(statement, "DELETE FROM t"), kMsgSuccess);
  EXPECT_EQ(statement.rowLimit, kNoRowLimit);
  FreeParseTree(statement.parseTree);
}

TEST(ParseStatement, RootNamesConnectionAndStatement) {
  StatementHandle statement;
  auto* connection = reinterpret_cast<ConnectionRecord*>(&statement);
  const std::string text = "UPDATE t SET a = 1";
  ASSERT_EQ(ParseStatement(statement, connection, text.data(), text.size(), statement.parseTree), kMsgSuccess);
  const RootFields& root = statement.parseTree->nodes[0].fields.root;
  EXPECT_EQ(statement.parseTree->nodes[0].kind, kNodeRoot);
  EXPECT_EQ(root.connection, connection);
  EXPECT_EQ(statement.parseTree->nodes[root.statementNode].kind, kNodeUpdate);
  EXPECT_EQ(root.parameterChainFlag, 0);
  FreeParseTree(statement.parseTree);
}

struct NestingCase {
  const char* name;
  std::string text;
  bool parses;
};

// Hostile nesting ends in 1015 at the limit instead of exhausting the stack;
// nesting well inside the limit still parses.
TEST(ParseStatement, NestingStopsAtTheLimit) {
  const NestingCase cases[] = {
      {"parentheses 100", "SELECT " + Repeat("(", 100) + "1" + Repeat(")", 100) + " FROM t", true},
      {"parentheses 5000", "SELECT " + Repeat("(", 5000) + "1" + Repeat(")", 5000) + " FROM t", false},
      {"unclosed parentheses", "SELECT " + Repeat("(", 100000) + " FROM t", false},
      {"conditions 5000", "SELECT a FROM t WHERE " + Repeat("(", 5000) + "a = 1" + Repeat(")", 5000), false},
      {"sub-selects 50", "SELECT a FROM t WHERE " + Repeat("a IN (SELECT a FROM t WHERE ", 50) + "a = 1" +
                             Repeat(")", 50), true},
      {"sub-selects 400", "SELECT a FROM t WHERE " + Repeat("a IN (SELECT a FROM t WHERE ", 400) + "a = 1" +
                              Repeat(")", 400), false},
      {"functions 400", "SELECT " + Repeat("{fn A(", 400) + "1" + Repeat(")}", 400) + " FROM t", false},
      {"aggregates 400", "SELECT " + Repeat("SUM(", 400) + "1" + Repeat(")", 400) + " FROM t", false},
      {"negations 5000", "SELECT " + Repeat("-(", 5000) + "1" + Repeat(")", 5000) + " FROM t", false},
      {"joins 400", "SELECT * FROM " + Repeat("(", 400) + "a" + Repeat(" INNER JOIN b ON a.k = b.k)", 400), false},
      {"join chain 400", "SELECT * FROM a" + Repeat(" INNER JOIN b", 400) + Repeat(" ON a.k = b.k", 400), false},
  };
  for (const NestingCase& c : cases) {
    StatementHandle statement;
    MessageId id = Parse(statement, c.text);
    if (c.parses) {
      EXPECT_EQ(id, kMsgSuccess) << c.name << ": " << statement.diagnostic.detailText;
    } else {
      EXPECT_EQ(id, kMsgElementMissing) << c.name;
      EXPECT_EQ(statement.diagnostic.detailText.rfind("Statement nested deeper than 256 levels", 0), 0u)
          << c.name << ": " << statement.diagnostic.detailText.substr(0, 80);
    }
    FreeParseTree(statement.parseTree);
  }
}

// Chains the grammar repeats (AND, OR, lists, arithmetic) are built in loops
// and walked in loops, so their length costs no stack.
TEST(ParseStatement, LongChainsParseAndRelease) {
  const int n = 20000;
  struct ChainCase {
    const char* name;
    std::string text;
  };
  const ChainCase cases[] = {
      {"AND", "SELECT a FROM t WHERE " + Repeat("a = 1", n, " AND ")},
      {"OR", "SELECT a FROM t WHERE " + Repeat("a = b", n, " OR ")},
      {"IN list", "SELECT a FROM t WHERE a IN (" + Repeat("1", n, ",") + ")"},
      {"select list", "SELECT " + Repeat("a", n, ",") + " FROM t"},
      {"FROM list", "SELECT * FROM " + Repeat("[t]", n, ",")},
      {"sum", "SELECT " + Repeat("a", n, "+") + " FROM t"},
      {"product", "SELECT " + Repeat("MAX(a)", n, "*") + " FROM t"},
      {"VALUES", "INSERT INTO t VALUES (" + Repeat("?", n, ",") + ")"},
      {"65535 markers", "SELECT a FROM t WHERE a IN (" + Repeat("?", 65535, ",") + ")"},
      {"SET", "UPDATE t SET " + Repeat("a = 1", n, ",")},
      {"ORDER BY", "SELECT a FROM t ORDER BY " + Repeat("1", n, ",")},
  };
  for (const ChainCase& c : cases) {
    StatementHandle statement;
    ASSERT_EQ(Parse(statement, c.text), kMsgSuccess) << c.name;
    const ParseTree& tree = *statement.parseTree;
    for (const ParseNode& node : tree.nodes) {
      if (node.kind == kNodeSelect) ContainsAggregate(tree, node.fields.select.selectList);
    }
    FreeParseTree(statement.parseTree);
  }
}

TEST(ParseStatement, ParameterNumbersContinueAfterAFailedAlternative) {
  StatementHandle statement;
  ASSERT_EQ(Parse(statement, "SELECT ? FROM t WHERE (? * 2) > ? AND ((?)) = ?"), kMsgSuccess);
  EXPECT_NE(DumpParseResult(statement, statement.parseTree, kMsgSuccess).find("params: 1 2 3 4 5\n"),
            std::string::npos);
  FreeParseTree(statement.parseTree);

  // Numbers are 16-bit: a 65536th marker could never be bound.
  StatementHandle crowded;
  EXPECT_EQ(Parse(crowded, "SELECT a FROM t WHERE a IN (" + Repeat("?", 65536, ",") + ")"), kMsgElementMissing);
  EXPECT_EQ(crowded.diagnostic.detailText, "More than 65535 parameter markers");
  EXPECT_EQ(crowded.parseTree, nullptr);
}

TEST(ParseTree, Primitives) {
  ParseTree tree;
  EXPECT_EQ(AddValueBuffer(tree, 0), 0u);
  EXPECT_EQ(tree.values[0].size, 0u);
  EXPECT_GE(tree.values.capacity(), kInitialValueBuffers);
  const ValueIndex empty = InternString(tree, "");
  EXPECT_EQ(tree.values[empty].size, 1u);
  EXPECT_EQ(GetValueText(tree, empty), "");
  EXPECT_EQ(GetValueText(tree, InternString(tree, "Sales Orders")), "Sales Orders");

  const NodeIndex first = AddParseNode(tree, kNodeSelect);
  for (int i = 0; i < 5000; ++i) AddParseNode(tree, kNodeNull);
  EXPECT_EQ(GetParseNode(tree, first).kind, kNodeSelect);
  EXPECT_EQ(GetParseNode(tree, first).fields.select.resultFile, kNoResultFile);
  EXPECT_EQ(GetParseNode(tree, first).fields.select.currentRow, kRowAfterLast);
  EXPECT_EQ(GetParseNode(tree, first).cell.digits, kNoDigits);
  EXPECT_EQ(GetParseNode(tree, first).cell.nullFlag, 1);

  ParseNode copy;
  CopyParseNode(copy, GetParseNode(tree, first));
  copy.cell.text = "carried";
  PushParseNode(tree, copy);
  EXPECT_EQ(tree.nodes.back().cell.text, "carried");
  EXPECT_EQ(tree.nodes.back().fields.select.orderBy, kNoNode);
}

struct AggregateCase {
  const char* selectList;
  bool contains;
};

TEST(TreeWalks, ContainsAggregate) {
  const AggregateCase cases[] = {
      {"SUM(a) + 1", true},    {"1 + SUM(a)", true},           {"{fn ABS(MAX(a))}", true},
      {"{fn F(1, COUNT(*))}", true}, {"-MIN(a)", true},        {"a + b", false},
      {"a", false},            {"{fn F(a, b)}", false},        {"'x'", false},
  };
  for (const AggregateCase& c : cases) {
    StatementHandle statement;
    ASSERT_EQ(Parse(statement, std::string("SELECT ") + c.selectList + " FROM t"), kMsgSuccess) << c.selectList;
    const ParseTree& tree = *statement.parseTree;
    const NodeIndex select = tree.nodes[0].fields.root.statementNode;
    const NodeIndex item = tree.nodes[select].fields.select.selectList;
    EXPECT_EQ(ContainsAggregate(tree, tree.nodes[item].fields.listItem.value), c.contains) << c.selectList;
    FreeParseTree(statement.parseTree);
  }
  // A list whose second item holds the aggregate; none.
  StatementHandle statement;
  ASSERT_EQ(Parse(statement, "SELECT a, COUNT(*) FROM t"), kMsgSuccess);
  const ParseTree& tree = *statement.parseTree;
  EXPECT_TRUE(ContainsAggregate(tree, tree.nodes[tree.nodes[0].fields.root.statementNode].fields.select.selectList));
  EXPECT_FALSE(ContainsAggregate(tree, kNoNode));
  FreeParseTree(statement.parseTree);
}

TEST(PlanText, FormatPlanNode) {
  struct Case {
    std::uint16_t op;
    std::int16_t left;
    std::int16_t right;
    const char* text;
  };
  const Case cases[] = {
      {11, 4, 4, "SQL_INTEGER LIKE SQL_INTEGER"},
      {0, 12, -4, "SQL_VARCHAR <assignment> SQL_LONGVARBINARY"},
      {99, 0, 50, "unknown type unknown operator unknown type"},
      {14, 1, 4, "SQL_CHAR + SQL_INTEGER"},
      {13, 8, 0, "SQL_DOUBLE - unknown type"},
      {15, 93, 91, "SQL_TYPE_TIMESTAMP - SQL_TYPE_DATE"},
      {21, -7, 92, "SQL_BIT EXISTS SQL_TYPE_TIME"},
      {8, 2, 3, "SQL_NUMERIC NOT BETWEEN SQL_DECIMAL"},
  };
  for (const Case& c : cases) {
    StatementHandle statement;
    statement.diagnostic.detailText = "previous";
    FormatPlanNode(statement, c.op, c.left, c.right);
    EXPECT_EQ(statement.diagnostic.detailText, c.text);
  }
}

}  // namespace
