// The scalar functions that read the service or the connection's writes,
// against the emulator: USER's one request per connection (also when it
// fails), a user id longer than USER's column, and IDENTITY around a flush.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "connection/quickbase_client.h"
#include "handles/statement_handle.h"
#include "sql/semantic_pass.h"
#include "sql/statement_parser.h"
#include "support/scalar_test_support.h"
#include "tables/emulator_session.h"
#include "tables/write_cache.h"
#include "tables/write_flush.h"

namespace {

const char kFixture[] = "tests/exec/fixtures/scalar_values.json";

// One statement of the connection, prepared once and evaluated per row.
struct PreparedCall {
  EmulatorSession& emulator;
  StatementHandle statement;

  PreparedCall(EmulatorSession& session, const std::string& call) : emulator(session) {
    statement.connection = &emulator.connection;
    emulator.Record().currentStatement = &statement;
    const std::string text = "SELECT " + call + " FROM \"Fn: Values\"";
    EXPECT_EQ(ParseStatement(statement, &emulator.Record(), text.data(), text.size(), statement.parseTree),
              kMsgSuccess);
    EXPECT_EQ(BindStatementTree(statement, *statement.parseTree, 0, 0, 0, kNoNode, kNoNode), kMsgSuccess);
  }
  ~PreparedCall() {
    emulator.Record().currentStatement = nullptr;
    FreeParseTree(statement.parseTree);
  }

  std::string Row() {
    ParseTree& tree = *statement.parseTree;
    const NodeIndex expression = FirstSelectExpression(tree);
    const MessageId id = EvaluateTestExpression(statement, tree, expression,
                                                [](ParseTree&, NodeIndex) { return kMsgInternalError; });
    return id == kMsgSuccess ? tree.nodes[expression].cell.bytes : "error " + std::to_string(id);
  }
};

TEST(ScalarService, UserAsksTheServiceOncePerConnection) {
  EmulatorSession emulator;
  ASSERT_TRUE(emulator.Start(kFixture));
  emulator.Record().client->session.userId.clear();  // as if the sign-in had not told it
  emulator.ClearLog();
  for (int statement = 0; statement < 3; ++statement) {
    PreparedCall user(emulator, "{fn USER()}");
    for (int row = 0; row < 5; ++row) EXPECT_EQ(user.Row(), "56760200.cxjz");
  }
  EXPECT_EQ(emulator.Log("API_GetUserInfo").size(), 1u);
}

TEST(ScalarService, AFailedUserRequestIsNotRepeated) {
  EmulatorSession emulator;
  ASSERT_TRUE(emulator.Start(kFixture));
  emulator.Record().client->session.userId.clear();
  emulator.InjectFault("{\"action\": \"API_GetUserInfo\", \"count\": 10, \"errcode\": 2}");
  emulator.ClearLog();
  for (int statement = 0; statement < 2; ++statement) {
    PreparedCall user(emulator, "{fn USER()}");
    for (int row = 0; row < 4; ++row) EXPECT_EQ(user.Row(), "-");
  }
  EXPECT_EQ(emulator.Log("API_GetUserInfo").size(), 1u);
  EXPECT_EQ(emulator.Record().currentStatement, nullptr);
}

// The service's id of this user is 100 characters; USER's column holds 63.
TEST(ScalarService, ALongUserIdIsCutToItsColumn) {
  EmulatorSession emulator;
  ASSERT_TRUE(emulator.Start(kFixture, "UID=dora;PWD=explorer"));
  const std::string id = emulator.Record().client->session.userId;
  ASSERT_EQ(id.size(), 100u);
  emulator.ClearLog();
  PreparedCall user(emulator, "{fn USER()}");
  EXPECT_EQ(user.Row(), id.substr(0, 63));
  EXPECT_EQ(emulator.Log("API_GetUserInfo").size(), 0u);
}

TEST(ScalarService, IdentityFollowsTheLastFlush) {
  EmulatorSession emulator;
  ASSERT_TRUE(emulator.Start(kFixture));
  PreparedCall identity(emulator, "{fn CONVERT({fn IDENTITY()}, SQL_VARCHAR)}");
  EXPECT_EQ(identity.Row(), "0");
  CursorHolder holder;
  ASSERT_EQ(OpenTable(emulator.Record(), "Fn: Values", 0, holder.cursor), kMsgSuccess);
  ASSERT_EQ(NewInsertRow(*holder.cursor), kMsgSuccess);
  const std::string text = "added";
  ASSERT_EQ(UpdateRowValues(*holder.cursor, static_cast<std::uint16_t>(ColumnNamed(*holder.cursor, "Text")),
                            kValueCharacter, text.data(), static_cast<SQLLEN>(text.size())),
            kMsgSuccess);
  ASSERT_EQ(WriteRow(*holder.cursor), kMsgSuccess);
  EXPECT_EQ(identity.Row(), "0");
  ASSERT_EQ(FlushPendingWrites(emulator.Record()), kMsgSuccess);
  EXPECT_EQ(identity.Row(), "2");
}

}  // namespace
