// ReleasePlan and FreeParseTree with table access and the file layer faked:
// every result file closed once (which deletes it: it has no name), every
// cursor handed back once, parameter data freed, and a second release doing
// nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "handles/statement_handle.h"
#include "platform/files.h"
#include "sql/parse_tree.h"
#include "sql/statement_parser.h"
#include "sql/tree_walks.h"
#include <sqlext.h>  // ahead of table_cursor.h, whose column defaults use its constants

#include "tables/table_cursor.h"

namespace {

struct FakeServices {
  std::map<TableCursor*, int> handedBack;
  std::vector<PlatformFile> closed;
};
FakeServices* fakes = nullptr;

}  // namespace

// The cursors are stand-in addresses that are never dereferenced, so the
// fake only records them.
MessageId ApplyFlushCacheCommand(TableCursor* cursor) {
  if (fakes != nullptr) ++fakes->handedBack[cursor];
  return kMsgSuccess;
}

void CloseFile(PlatformFile& file) {
  if (fakes != nullptr) fakes->closed.push_back(file);
  file = kNoFile;
}

namespace {

// The nodes a statement's tree reaches from its root, found independently
// of ReleasePlan's own walk.
void CollectReachable(const ParseTree& tree, NodeIndex node, std::vector<NodeIndex>& out) {
  if (node == kNoNode) return;
  out.push_back(node);
  const NodeFields& f = tree.nodes[node].fields;
  std::vector<NodeIndex> children;
  switch (tree.nodes[node].kind) {
    case kNodeRoot: children = {f.root.statementNode}; break;
    case kNodeSelect:
      children = {f.select.selectList, f.select.fromList, f.select.where, f.select.groupBy, f.select.having,
                  f.select.orderBy};
      break;
    case kNodeInsert: children = {f.insert.tableReference, f.insert.columnList, f.insert.source}; break;
    case kNodeUpdate: children = {f.update.tableReference, f.update.firstAssignment, f.update.where}; break;
    case kNodeDelete: children = {f.deleteStatement.tableReference, f.deleteStatement.where}; break;
    case kNodeCreateIndex: children = {f.createIndex.tableReference, f.createIndex.firstColumn}; break;
    case kNodeJoinItem: children = {f.joinItem.tableReference, f.joinItem.next}; break;
    case kNodeTableReference: children = {f.tableReference.joinCondition}; break;
    case kNodeListItem: children = {f.listItem.value, f.listItem.next}; break;
    case kNodeSortItem: children = {f.sortItem.value, f.sortItem.next}; break;
    case kNodeGroupItem: children = {f.groupItem.columnReference, f.groupItem.next}; break;
    case kNodeInsertColumn: children = {f.insertColumn.columnReference, f.insertColumn.next}; break;
    case kNodeAssignment: children = {f.assignment.columnReference, f.assignment.value, f.assignment.next}; break;
    case kNodeBoolean: children = {f.boolean.first, f.boolean.second}; break;
    case kNodePredicate: children = {f.predicate.left, f.predicate.second, f.predicate.third}; break;
    case kNodeArithmetic: children = {f.arithmetic.left, f.arithmetic.right}; break;
    case kNodeAggregate: children = {f.aggregate.argument}; break;
    case kNodeScalarFunction: children = {f.scalarFunction.firstArgument}; break;
    default: break;
  }
  for (NodeIndex child : children) CollectReachable(tree, child, out);
}

struct Attached {
  std::vector<TableCursor*> cursors;
  std::vector<PlatformFile> files;
};

int cursorSlots[64];

// Gives every reachable SELECT an open result file and every reachable
// table reference a cursor, as execution would.
Attached AttachExecutionState(ParseTree& tree) {
  Attached attached;
  std::vector<NodeIndex> reachable;
  CollectReachable(tree, 0, reachable);
  int fileNumber = 100;
  for (NodeIndex node : reachable) {
    ParseNode& n = tree.nodes[node];
    if (n.kind == kNodeTableReference) {
      n.fields.tableReference.cursor = reinterpret_cast<TableCursor*>(&cursorSlots[attached.cursors.size()]);
      attached.cursors.push_back(n.fields.tableReference.cursor);
    } else if (n.kind == kNodeSelect) {
      n.fields.select.resultFile = fileNumber;
      attached.files.push_back(fileNumber++);
    }
  }
  return attached;
}

struct ReleaseCase {
  const char* sql;
  std::size_t cursors;
  std::size_t files;
};

TEST(ReleasePlan, ReleasesEveryCursorAndResultFileOnce) {
  const ReleaseCase cases[] = {
      {"SELECT a FROM t", 1, 1},
      {"SELECT a FROM t, u WHERE a IN (SELECT b FROM v WHERE EXISTS (SELECT * FROM w))", 4, 3},
      {"SELECT a, COUNT(*) FROM t GROUP BY a HAVING COUNT(*) > (SELECT MAX(b) FROM u)", 2, 2},
      {"SELECT * FROM a LEFT OUTER JOIN b ON b.k IN (SELECT k FROM c) ORDER BY 1", 3, 2},
      {"SELECT * FROM {oj a LEFT OUTER JOIN b LEFT OUTER JOIN c ON b.x = c.x ON a.x = b.x}", 3, 1},
      {"INSERT INTO t (a, b) SELECT c, d FROM u WHERE c = ANY (SELECT e FROM v)", 3, 2},
      {"INSERT INTO t VALUES (1, NULL, 'x')", 1, 0},
      {"UPDATE t SET a = NULL, b = b + 1 WHERE c IN (SELECT c FROM u)", 2, 1},
      {"DELETE FROM t WHERE NOT EXISTS (SELECT * FROM u WHERE u.k = t.k)", 2, 1},
      {"CREATE UNIQUE INDEX ix ON Sales Orders (Customer Name DESC, Id)", 1, 0},
      {"CREATE TABLE t (a INTEGER, CONSTRAINT pk PRIMARY KEY (a))", 0, 0},
      {"DROP TABLE t", 0, 0},
  };
  for (const ReleaseCase& c : cases) {
    FakeServices services;
    fakes = &services;
    StatementHandle statement;
    ASSERT_EQ(ParseStatement(statement, nullptr, c.sql, std::strlen(c.sql), statement.parseTree), kMsgSuccess)
        << c.sql << ": " << statement.diagnostic.detailText;
    ParseTree& tree = *statement.parseTree;
    Attached attached = AttachExecutionState(tree);
    ASSERT_EQ(attached.cursors.size(), c.cursors) << c.sql;
    ASSERT_EQ(attached.files.size(), c.files) << c.sql;

    ReleasePlan(tree, 0);
    EXPECT_EQ(services.handedBack.size(), c.cursors) << c.sql;
    for (TableCursor* cursor : attached.cursors) EXPECT_EQ(services.handedBack[cursor], 1) << c.sql;
    std::vector<PlatformFile> closed = services.closed;
    std::sort(closed.begin(), closed.end());
    EXPECT_EQ(closed, attached.files) << c.sql;
    for (const ParseNode& node : tree.nodes) {
      if (node.kind == kNodeSelect) {
        EXPECT_EQ(node.fields.select.resultFile, kNoResultFile) << c.sql;
      }
      if (node.kind == kNodeTableReference) {
        EXPECT_EQ(node.fields.tableReference.cursor, nullptr) << c.sql;
      }
    }

    // A second release finds nothing left, and freeing the tree after it
    // releases nothing more.
    ReleasePlan(tree, 0);
    FreeParseTree(statement.parseTree);
    EXPECT_EQ(services.handedBack.size(), c.cursors) << c.sql;
    EXPECT_EQ(services.closed.size(), c.files) << c.sql;
    EXPECT_EQ(statement.parseTree, nullptr);
    fakes = nullptr;
  }
}

TEST(ReleasePlan, FreeParseTreeReleasesBeforeFreeingAndEmptiesTheHolder) {
  FakeServices services;
  fakes = &services;
  StatementHandle statement;
  const char* sql = "SELECT a FROM t WHERE b IN (SELECT c FROM u)";
  ASSERT_EQ(ParseStatement(statement, nullptr, sql, std::strlen(sql), statement.parseTree), kMsgSuccess);
  Attached attached = AttachExecutionState(*statement.parseTree);
  FreeParseTree(statement.parseTree);
  EXPECT_EQ(statement.parseTree, nullptr);
  EXPECT_EQ(services.handedBack.size(), attached.cursors.size());
  EXPECT_EQ(services.closed.size(), attached.files.size());
  FreeParseTree(statement.parseTree);  // an empty holder is left alone
  EXPECT_EQ(services.handedBack.size(), attached.cursors.size());
  fakes = nullptr;
}

// Parameter data is freed through the chain only once prepare has linked
// it; ASan reports a leak or a double free if either path is wrong.
TEST(ReleasePlan, ParameterDataFollowsTheChainFlag) {
  for (std::uint8_t chainFlag : {0, 1}) {
    StatementHandle statement;
    const char* sql = "SELECT a FROM t WHERE a = ? AND b LIKE ?";
    ASSERT_EQ(ParseStatement(statement, nullptr, sql, std::strlen(sql), statement.parseTree), kMsgSuccess);
    ParseTree& tree = *statement.parseTree;
    tree.nodes[0].fields.root.parameterChainFlag = chainFlag;
    std::vector<NodeIndex> markers;
    for (NodeIndex m = tree.nodes[0].fields.root.firstParameter; m != kNoNode; m = tree.nodes[m].fields.parameter.next) {
      tree.nodes[m].fields.parameter.data = new unsigned char[16];
      tree.nodes[m].fields.parameter.dataPresent = 1;
      markers.push_back(m);
    }
    ASSERT_EQ(markers.size(), 2u);
    ReleasePlan(tree, 0);
    // Markers reached through the WHERE condition are released either way.
    for (NodeIndex m : markers) {
      EXPECT_EQ(tree.nodes[m].fields.parameter.data, nullptr);
      EXPECT_EQ(tree.nodes[m].fields.parameter.dataPresent, 0u);
    }
    FreeParseTree(statement.parseTree);
  }
}

TEST(ReleasePlan, NoneAndUnknownKindsStop) {
  ParseTree tree;
  ASSERT_EQ(AddParseNode(tree, kNodeRoot), 0u);
  ReleasePlan(tree, kNoNode);
  tree.nodes[0].kind = 99;
  ReleasePlan(tree, 0);
  SUCCEED();
}

}  // namespace
