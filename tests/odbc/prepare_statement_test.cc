// The prepare core over the driver's own pseudo-tables, which open without
// the service: the special statements, busy statements, parameter buffers,
// generated cursor names and the connection's current statement. The same
// texts against the emulator go through the Driver Manager in the
// integration tests.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/message_ids.h"
#include "odbc/column_attributes.h"
#include "odbc/handle_dispatch.h"
#include "odbc/prepare_statement.h"
#include "odbc/special_statement.h"
#include "odbc_test_handles.h"
#include "sql/parse_tree.h"
#include "tables/emulator_session.h"

namespace {

const char kIdentityQuery[] = "SELECT IDENTITY FROM \"@@identity\"";

SQLRETURN Prepare(StatementHandle& statement, const std::string& text, SQLINTEGER length = SQL_NTS) {
  return PrepareStatement(statement, reinterpret_cast<const SQLCHAR*>(text.c_str()), length);
}

std::string PreparedTableName(const StatementHandle& statement) {
  const ParseTree& tree = *statement.parseTree;
  const NodeIndex select = tree.nodes[0].fields.root.statementNode;
  const NodeIndex item = tree.nodes[select].fields.select.fromList;
  return GetValueText(tree, tree.nodes[tree.nodes[item].fields.joinItem.tableReference].fields.tableReference.tableName);
}

// Each row: a text, what prepare answers, and what the statement then holds.
struct PrepareCase {
  const char* text;
  SQLRETURN result;
  MessageId id;
  bool identity;  // a SpecialStatement and the identity pseudo-table
};

TEST(PrepareStatement, SpecialStatementsOnlyAsWritten) {
  const PrepareCase cases[] = {
      {"select @@identity", SQL_SUCCESS, kMsgSuccess, true},
      {"SELECT @@IDENTITY", SQL_SUCCESS, kMsgSuccess, true},
      {"Select @@Identity", SQL_SUCCESS, kMsgSuccess, true},
      {" select @@identity", SQL_ERROR, kMsgUnexpectedEnd, false},
      {"select @@identity;", SQL_ERROR, kMsgElementMissing, false},
      {"SELECT Config, nValue FROM MSysConf", SQL_ERROR, kMsgStatus5, false},
      {kIdentityQuery, SQL_SUCCESS, kMsgSuccess, false},
  };
  for (const PrepareCase& c : cases) {
    SCOPED_TRACE(c.text);
    Connection connection(kConnected);
    StatementHandle* s = connection.NewStatement();
    EXPECT_EQ(Prepare(*s, c.text), c.result);
    EXPECT_EQ(s->diagnostic.messageId, c.id);
    EXPECT_EQ(s->sqlText, c.text);
    EXPECT_EQ(s->specialStatement != nullptr, c.identity);
    EXPECT_EQ(s->prepared, c.result == SQL_SUCCESS ? 1 : 0);
    EXPECT_EQ(s->parseTree != nullptr, c.result == SQL_SUCCESS);
    if (c.result == SQL_SUCCESS) {
      EXPECT_EQ(PreparedTableName(*s), "@@identity");
    }
    EXPECT_EQ(s->transactionFlags[0], c.identity ? 1 : 0);
  }
}

TEST(PrepareStatement, ExplicitLengthAndNulTerminatedTextPrepareAlike) {
  Connection connection(kConnected);
  StatementHandle* s = connection.NewStatement();
  const std::string longer = std::string(kIdentityQuery) + " WHERE nothing parses here";
  ASSERT_EQ(Prepare(*s, longer, static_cast<SQLINTEGER>(std::strlen(kIdentityQuery))), SQL_SUCCESS);
  EXPECT_EQ(s->sqlText, kIdentityQuery);
  const std::string identity = "select @@identityX";
  ASSERT_EQ(Prepare(*s, identity, 17), SQL_SUCCESS);
  EXPECT_NE(s->specialStatement, nullptr);
}

// Nothing opens a result before execution exists, so the kind is set here.
TEST(PrepareStatement, BusyStatementKeepsItsPreparedStatement) {
  Connection connection(kConnected);
  StatementHandle* s = connection.NewStatement();
  ASSERT_EQ(Prepare(*s, "select @@identity"), SQL_SUCCESS);
  ParseTree* tree = s->parseTree;
  for (int busy : {0, 1}) {
    s->statementKind = busy == 0 ? kStatementQueryResult : kStatementNone;
    s->dataAtExecution = busy == 1 ? 1 : 0;
    EXPECT_EQ(Prepare(*s, "SELECT qVALUE FROM \"TARVOX CONNECTION CONFIG\""), SQL_ERROR);
    EXPECT_EQ(s->diagnostic.messageId, kMsgInvalidCursorState);
    EXPECT_EQ(s->parseTree, tree);
    EXPECT_NE(s->specialStatement, nullptr);
    EXPECT_EQ(s->prepared, 1);
    EXPECT_EQ(s->sqlText, "select @@identity");
  }
}

TEST(PrepareStatement, PreparingAgainForgetsThePreviousStatement) {
  Connection connection(kConnected);
  StatementHandle* s = connection.NewStatement();
  SQLULEN fetched = 77;
  s->ird.rowsProcessedPointer = &fetched;
  ASSERT_EQ(Prepare(*s, "select @@identity"), SQL_SUCCESS);
  s->rowCount = 5;
  s->pendingOperation = 4;
  ASSERT_EQ(Prepare(*s, kIdentityQuery), SQL_SUCCESS);
  EXPECT_EQ(s->specialStatement, nullptr);
  EXPECT_EQ(s->rowCount, -1);
  EXPECT_EQ(s->pendingOperation, kNoPendingOperation);
  EXPECT_EQ(fetched, 0u);
  // A failed prepare leaves nothing to execute.
  EXPECT_EQ(Prepare(*s, "SELECT nothing FROM \"@@identity\""), SQL_ERROR);
  EXPECT_EQ(s->diagnostic.messageId, kMsgColumnNotFound);
  EXPECT_EQ(s->diagnostic.detailText, "nothing");
  EXPECT_EQ(s->parseTree, nullptr);
  EXPECT_EQ(s->prepared, 0);
}

// Each row: a statement, and its parameter's type and buffer size (0: none).
struct ParameterCase {
  const char* text;
  SQLRETURN result;
  MessageId id;
  std::uint64_t bufferSize;
};

TEST(PrepareStatement, ParameterBuffersFollowTheirTypes) {
  const ParameterCase cases[] = {
      {"SELECT IDENTITY FROM \"@@identity\" WHERE IDENTITY = ?", SQL_SUCCESS, kMsgSuccess, 0},
      {"SELECT qVALUE FROM \"TARVOX CONNECTION CONFIG\" WHERE qPARAMETER = ?", SQL_SUCCESS, kMsgSuccess,
       254 * 4 + 1},
      {"SELECT IDENTITY FROM \"@@identity\" WHERE IDENTITY = ? * 2.50", SQL_SUCCESS, kMsgSuccess, 19 + 3},
      {"SELECT ? FROM \"@@identity\"", SQL_ERROR, kMsgParameterInSelectList, 0},
  };
  for (const ParameterCase& c : cases) {
    SCOPED_TRACE(c.text);
    Connection connection(kConnected);
    StatementHandle* s = connection.NewStatement();
    EXPECT_EQ(Prepare(*s, c.text), c.result);
    EXPECT_EQ(s->diagnostic.messageId, c.id);
    ASSERT_NE(s->parseTree, nullptr);  // kept after 1054 too, though not prepared
    const ParseTree& tree = *s->parseTree;
    const ParameterFields& marker = tree.nodes[tree.nodes[0].fields.root.firstParameter].fields.parameter;
    if (c.bufferSize == 0) {
      EXPECT_EQ(marker.resultBuffer, kNoValue);
    } else {
      ASSERT_NE(marker.resultBuffer, kNoValue);
      EXPECT_EQ(tree.values[marker.resultBuffer].size, c.bufferSize);
    }
    EXPECT_EQ(s->diagnostic.detailText, c.result == SQL_ERROR ? "parameter 1" : "");
  }
}

// ODBC numbers result columns in an SQLSMALLINT: a wider result is refused
// at prepare, where it used to wrap in every answer about it. Each c.*
// stands for the settings table's two columns.
TEST(PrepareStatement, ResultsWiderThanOdbcCountsAreRefused) {
  const struct {
    const char* last;  // after 16383 of c.*
    SQLRETURN result;
  } cases[] = {{"qVALUE", SQL_SUCCESS}, {"c.*", SQL_ERROR}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.last);
    std::string text = "SELECT ";
    for (int i = 0; i < 16383; ++i) text += "c.*, ";
    text += c.last + std::string(" FROM \"TARVOX CONNECTION CONFIG\" c");
    Connection connection(kConnected);
    StatementHandle* s = connection.NewStatement();
    ASSERT_EQ(Prepare(*s, text), c.result);
    SQLSMALLINT count = -1;
    if (c.result == SQL_SUCCESS) {
      ASSERT_EQ(CountResultColumns(*s, &count), SQL_SUCCESS);
      EXPECT_EQ(count, 32767);
      continue;
    }
    EXPECT_EQ(s->diagnostic.messageId, kMsgTooManyResultColumns);
    EXPECT_EQ(s->diagnostic.detailText, "32768");
    EXPECT_EQ(s->parseTree, nullptr);
  }
}

TEST(PrepareStatement, SelectsGetTheFirstFreeCursorNames) {
  Connection connection(kConnected);
  StatementHandle* first = connection.NewStatement();
  StatementHandle* second = connection.NewStatement();
  StatementHandle* named = connection.NewStatement();
  StatementHandle* table = connection.NewStatement();
  named->cursorName = "mine";
  for (StatementHandle* s : {first, second, named}) ASSERT_EQ(Prepare(*s, kIdentityQuery), SQL_SUCCESS);
  ASSERT_EQ(Prepare(*table, "CREATE TABLE t (a INTEGER)"), SQL_SUCCESS);
  EXPECT_EQ(first->cursorName, "SQL_CUR_0");
  EXPECT_EQ(second->cursorName, "SQL_CUR_1");
  EXPECT_EQ(named->cursorName, "mine");
  EXPECT_EQ(table->cursorName, "");
  // A name, once given, stays through later prepares.
  ASSERT_EQ(Prepare(*second, "select @@identity"), SQL_SUCCESS);
  EXPECT_EQ(second->cursorName, "SQL_CUR_1");
}

TEST(PrepareStatement, DroppedStatementIsNoLongerCurrent) {
  Connection connection(kConnected);
  StatementHandle* kept = connection.NewStatement();
  StatementHandle* dropped = connection.NewStatement();
  ASSERT_EQ(Prepare(*kept, kIdentityQuery), SQL_SUCCESS);
  EXPECT_EQ(connection.connection->record->currentStatement, kept);
  ASSERT_EQ(FreeHandleByKind(SQL_HANDLE_STMT, dropped), SQL_SUCCESS);
  EXPECT_EQ(connection.connection->record->currentStatement, kept);
  ASSERT_EQ(FreeHandleByKind(SQL_HANDLE_STMT, kept), SQL_SUCCESS);
  EXPECT_EQ(connection.connection->record->currentStatement, nullptr);
}

TEST(PrepareStatement, UnconnectedStatementIsRefused) {
  Connection connection;
  StatementHandle* s = connection.NewStatement();
  EXPECT_EQ(Prepare(*s, kIdentityQuery), SQL_ERROR);
  EXPECT_EQ(s->diagnostic.messageId, kMsgConnectionNotOpen);
}

}  // namespace

namespace {

// Statements over service tables, bound on the emulator.
class PrepareOnService : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    emulator_ = new EmulatorSession;
    ASSERT_TRUE(emulator_->Start("tests/sql/fixtures/bind_schema.json"));
  }
  static void TearDownTestSuite() {
    delete emulator_;
    emulator_ = nullptr;
  }
  void SetUp() override { statement_.connection = &emulator_->connection; }
  void TearDown() override {
    emulator_->Record().currentStatement = nullptr;
    FreeParseTree(statement_.parseTree);
    FreeSpecialStatement(statement_.specialStatement);
  }
  // The size of a marker's value buffer; 0 when it has none.
  std::uint64_t ParameterBuffer(std::uint16_t number) {
    const ParseTree& tree = *statement_.parseTree;
    NodeIndex marker = tree.nodes[0].fields.root.firstParameter;
    while (tree.nodes[marker].fields.parameter.number != number) marker = tree.nodes[marker].fields.parameter.next;
    const ValueIndex buffer = tree.nodes[marker].fields.parameter.resultBuffer;
    return buffer == kNoValue ? 0 : tree.values[buffer].size;
  }

  static EmulatorSession* emulator_;
  StatementHandle statement_;
};

EmulatorSession* PrepareOnService::emulator_ = nullptr;

// Only the probe's exact text is refused; other spellings are ordinary
// queries on a table that does not exist.
TEST_F(PrepareOnService, ProbeSpellingsOtherThanTheExactOneAreQueries) {
  for (const char* text : {"select config, nvalue from msysconf", "SELECT Config, nValue FROM MSysConf ",
                           "SELECT Config, nValue FROM MSysConf;"}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(Prepare(statement_, text), SQL_ERROR);
    EXPECT_EQ(statement_.diagnostic.messageId, kMsgQuickBaseTableNotFound);
    EXPECT_EQ(statement_.diagnostic.detailText, text[0] == 's' ? "msysconf" : "MSysConf");
  }
}

// Text and binary buffers grow with the column the marker stands for.
TEST_F(PrepareOnService, ParameterBuffersHoldWhatTheirColumnsHold) {
  ASSERT_EQ(Prepare(statement_, "INSERT INTO \"Shop: Customers\" (Name, Notes, Logo, Balance) VALUES (?, ?, ?, ?)"),
            SQL_SUCCESS)
      << statement_.diagnostic.detailText;
  EXPECT_EQ(ParameterBuffer(1), 256u);
  EXPECT_EQ(ParameterBuffer(2), 65534u * 4 + 1);  // four bytes a character
  EXPECT_EQ(ParameterBuffer(3), 2147483647u + 8u);
  EXPECT_EQ(ParameterBuffer(4), 0u);  // a number lives in the node itself
  EXPECT_EQ(statement_.cursorName, "");
}

}  // namespace
