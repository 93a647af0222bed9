// The semantic pass on statements over the driver's own pseudo-tables, which
// open without the service: chains of any length, re-entry through the
// public entry points, and what the pass leaves for release.
#include <gtest/gtest.h>

#include <string>

#include "common/message_ids.h"
#include "handles/connection_record.h"
#include "handles/handles.h"
#include "handles/statement_handle.h"
#include "sql/parse_tree.h"
#include "sql/semantic_pass.h"
#include "sql/statement_parser.h"

namespace {

struct PseudoConnection {
  EnvironmentHandle environment;
  ConnectionHandle connection;
  ConnectionRecord record;
  StatementHandle statement;

  PseudoConnection() {
    connection.environment = &environment;
    connection.record = &record;
    record.connection = &connection;
    statement.connection = &connection;
    record.currentStatement = &statement;
  }
  ~PseudoConnection() { FreeParseTree(statement.parseTree); }

  MessageId Bind(const std::string& text) {
    MessageId id = ParseStatement(statement, &record, text.data(), text.size(), statement.parseTree);
    if (id != kMsgSuccess) return id;
    statement.diagnostic.detailText.clear();
    return BindStatementTree(statement, *statement.parseTree, 0, 0, 0, kNoNode, kNoNode);
  }
  const ParseNode& Root() const { return statement.parseTree->nodes[0]; }
  const ParseNode& Node(NodeIndex index) const { return statement.parseTree->nodes[index]; }
};

std::string Repeat(const std::string& text, int count, const std::string& separator) {
  std::string out;
  for (int i = 0; i < count; ++i) out += (i ? separator : "") + text;
  return out;
}

const char kIdentity[] = " FROM \"@@identity\"";

// The parser builds these chains 100,000 links deep; binding one recursively
// would overflow the stack long before the end.
TEST(SemanticPass, LongChainsBindInLoops) {
  const int deep = 100000;
  const int n = 20000;
  const std::string cases[] = {
      "SELECT " + Repeat("IDENTITY", deep, " + ") + kIdentity,
      "SELECT IDENTITY" + std::string(kIdentity) + " WHERE " + Repeat("IDENTITY = 1", n, " AND "),
      "SELECT IDENTITY" + std::string(kIdentity) + " WHERE " + Repeat("IDENTITY = ?", n / 2, " OR "),
      "SELECT IDENTITY" + std::string(kIdentity) + " WHERE IDENTITY IN (" + Repeat("1", n, ",") + ")",
      "SELECT " + Repeat("IDENTITY", n, ", ") + kIdentity,
  };
  for (const std::string& text : cases) {
    PseudoConnection c;
    ASSERT_EQ(c.Bind(text), kMsgSuccess) << text.substr(0, 60) << " " << c.statement.diagnostic.detailText;
  }
}

TEST(SemanticPass, FailuresCarryTheirDetail) {
  struct Case {
    std::string text;
    MessageId id;
    const char* detail;
  } cases[] = {
      {"SELECT Missing" + std::string(kIdentity), kMsgColumnNotFound, "Missing"},
      {"SELECT x.IDENTITY" + std::string(kIdentity), kMsgColumnNotFound, "IDENTITY"},
      {"SELECT COUNT(*)" + std::string(kIdentity) + " WHERE SUM(IDENTITY) > 1", kMsgAggregateNotAllowed, "SUM"},
      {"SELECT IDENTITY" + std::string(kIdentity) + " ORDER BY 2", kMsgOrderByOrdinalTooLarge, ""},
      {"SELECT * FROM \"@@identity\" a, \"@@identity\" A", kMsgDuplicateAlias, "a"},
      {"SELECT qVALUE FROM \"TARVOX CONNECTION CONFIG\" s, \"@@identity\" i WHERE s.qPARAMETER = s.qVALUE AND i.IDENTITY = 1",
       kMsgSuccess, ""},
  };
  for (const Case& c : cases) {
    PseudoConnection connection;
    EXPECT_EQ(connection.Bind(c.text), c.id) << c.text;
    EXPECT_EQ(connection.statement.diagnostic.detailText, c.detail) << c.text;
  }
}

// A statement bound once and released once hands its cursors back; the
// public entry points accept none as "nothing to bind".
TEST(SemanticPass, EntryPointsAndRelease) {
  PseudoConnection c;
  ASSERT_EQ(c.Bind("SELECT IDENTITY, IDENTITY + 1" + std::string(kIdentity) + " ORDER BY 1 DESC"), kMsgSuccess);
  EXPECT_EQ(BindSelect(c.statement, *c.statement.parseTree, kNoNode, 0, kNoNode), kMsgSuccess);
  EXPECT_EQ(ResolveScalarFunction(c.statement, *c.statement.parseTree, kNoNode, 0, 0, kNoNode, kNoNode), kMsgSuccess);
  const NodeIndex select = c.Root().fields.root.statementNode;
  ASSERT_EQ(c.Node(select).kind, kNodeSelect);
  const SelectFields& f = c.Node(select).fields.select;
  EXPECT_EQ(f.keyLength, 9u);
  EXPECT_EQ(f.recordIdPosition, 10u);
  EXPECT_EQ(f.sortRecordLength, 13u);
  const NodeIndex table = c.Node(f.fromList).fields.joinItem.tableReference;
  EXPECT_NE(c.Node(table).fields.tableReference.cursor, nullptr);
  FreeParseTree(c.statement.parseTree);
  EXPECT_EQ(c.statement.parseTree, nullptr);
}

}  // namespace
