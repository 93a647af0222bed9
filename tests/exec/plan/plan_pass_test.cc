// The plan pass on trees the golden transcript can't show: chains as deep as
// the parser builds them, and a table's collection run again with another
// condition, as the batched lookup does once per alternative.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "exec/plan_pass.h"
#include "exec/table_predicates.h"
#include "handles/statement_handle.h"
#include "sql/parse_tree.h"
#include "sql/semantic_pass.h"
#include "sql/statement_parser.h"
#include "tables/emulator_session.h"

namespace {

class PlanPass : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    emulator_ = new EmulatorSession;
    ASSERT_TRUE(emulator_->Start("tests/sql/fixtures/bind_schema.json"));
  }
  static void TearDownTestSuite() {
    delete emulator_;
    emulator_ = nullptr;
  }
  void SetUp() override {
    statement_.connection = &emulator_->connection;
    emulator_->Record().currentStatement = &statement_;
  }
  void TearDown() override {
    emulator_->Record().currentStatement = nullptr;
    FreeParseTree(statement_.parseTree);
  }

  // Parses and binds; the plan is left to each test.
  MessageId Bind(const std::string& text) {
    MessageId id = ParseStatement(statement_, &emulator_->Record(), text.data(), text.size(), statement_.parseTree);
    if (id != kMsgSuccess) return id;
    return BindStatementTree(statement_, Tree(), 0, 0, 0, kNoNode, kNoNode);
  }
  ParseTree& Tree() { return *statement_.parseTree; }
  NodeIndex StatementNode() { return Tree().nodes[0].fields.root.statementNode; }
  const SelectFields& Select() { return Tree().nodes[StatementNode()].fields.select; }
  NodeIndex FirstTable() { return Tree().nodes[Select().fromList].fields.joinItem.tableReference; }
  const TableReferenceFields& Table(NodeIndex table) { return Tree().nodes[table].fields.tableReference; }
  std::size_t ListLength(NodeIndex table) {
    std::size_t length = 0;
    for (NodeIndex p = Table(table).firstPushed; p != kNoNode; p = Tree().nodes[p].fields.predicate.nextPushed)
      ++length;
    return length;
  }

  static EmulatorSession* emulator_;
  StatementHandle statement_;
};

EmulatorSession* PlanPass::emulator_ = nullptr;

constexpr std::uint32_t kDeep = 100000;

// The WHERE predicate copied count times into a right-leaning chain of op,
// as the parser would build it, without parsing a text of that size.
void ChainCopies(ParseTree& tree, NodeIndex select, std::uint16_t op, std::uint32_t count) {
  const NodeIndex predicate = tree.nodes[select].fields.select.where;
  NodeIndex chain = predicate;
  for (std::uint32_t i = 1; i < count; ++i) {
    PushParseNode(tree, tree.nodes[predicate]);
    const NodeIndex copy = static_cast<NodeIndex>(tree.nodes.size() - 1);
    const NodeIndex joined = AddParseNode(tree, kNodeBoolean);
    tree.nodes[joined].fields.boolean = BooleanFields{op, copy, chain};
    chain = joined;
  }
  tree.nodes[select].fields.select.where = chain;
}

TEST_F(PlanPass, ChainsAsDeepAsTheParserBuildsThemArePlannedInLoops) {
  for (std::uint16_t op : {kOpAnd, kOpOr}) {
    SCOPED_TRACE(op);
    ASSERT_EQ(Bind("SELECT Name FROM \"Shop: Orders\" WHERE 1 < Amount"), kMsgSuccess);
    ChainCopies(Tree(), StatementNode(), op, kDeep);
    ASSERT_EQ(PlanStatementTree(statement_, Tree(), StatementNode()), kMsgSuccess);
    const TableReferenceFields& table = Table(FirstTable());
    EXPECT_EQ(table.cursor->joinOperator, op);
    EXPECT_EQ(table.cursor->pushDown, 1);
    // The count stops at its width; the list keeps every predicate.
    EXPECT_EQ(table.pushedCount, 0xFFFF);
    EXPECT_EQ(ListLength(FirstTable()), static_cast<std::size_t>(kDeep));
    EXPECT_EQ(Tree().nodes[table.firstPushed].fields.predicate.op, kOpGreater);
    EXPECT_EQ(Select().batchedKeyLookup, 0);
    FreeParseTree(statement_.parseTree);
  }
}

// The batched lookup collects per alternative on the same cursor: what one
// collection learnt about its condition must not decide the next.
TEST_F(PlanPass, EachCollectionStartsFromAFreshCriteriaJoinState) {
  ASSERT_EQ(Bind("SELECT Name FROM \"Shop: Orders\" WHERE (Amount BETWEEN 1 AND 2 OR Status NOT BETWEEN 'a' AND 'b') "
                 "AND Amount = ?"),
            kMsgSuccess);
  const NodeIndex where = Select().where;
  const NodeIndex orCondition = Tree().nodes[where].fields.boolean.first;
  const NodeIndex lastTest = Tree().nodes[where].fields.boolean.second;
  ASSERT_EQ(PlanTablePredicates(Tree(), FirstTable(), orCondition, StatementNode()), kMsgSuccess);
  EXPECT_EQ(Table(FirstTable()).cursor->pushDown, 0);
  EXPECT_EQ(Table(FirstTable()).cursor->orJoin, 0);
  EXPECT_EQ(Table(FirstTable()).pushedCount, 2);

  ASSERT_EQ(PlanTablePredicates(Tree(), FirstTable(), lastTest, StatementNode()), kMsgSuccess);
  const TableCursor& cursor = *Table(FirstTable()).cursor;
  EXPECT_EQ(cursor.joinOperator, 0);
  EXPECT_EQ(cursor.orJoin, 1);
  EXPECT_EQ(cursor.pushDown, 1);
  EXPECT_EQ(Table(FirstTable()).pushedCount, 1);
  EXPECT_EQ(Table(FirstTable()).firstPushed, lastTest);
  EXPECT_EQ(Tree().nodes[lastTest].fields.predicate.nextPushed, kNoNode);
}

TEST_F(PlanPass, NodesThatCantStandInAConditionAreInternalErrors) {
  ASSERT_EQ(Bind("SELECT Name FROM \"Shop: Orders\" WHERE Amount = 1"), kMsgSuccess);
  const NodeIndex where = Select().where;
  const NodeIndex column = Tree().nodes[where].fields.predicate.left;
  EXPECT_EQ(PlanTablePredicates(Tree(), FirstTable(), column, StatementNode()), kMsgInternalError);
  EXPECT_EQ(PlanTablePredicates(Tree(), column, where, StatementNode()), kMsgInternalError);
  EXPECT_EQ(PlanStatementTree(statement_, Tree(), 0), kMsgInternalError);  // the root is no statement
  EXPECT_EQ(PlanStatementTree(statement_, Tree(), kNoNode), kMsgSuccess);
  Tree().nodes[where].fields.predicate.op = kOpNot;
  EXPECT_EQ(PlanStatementTree(statement_, Tree(), StatementNode()), kMsgInternalError);
}

}  // namespace
