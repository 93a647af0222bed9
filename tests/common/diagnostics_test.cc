// Rendering stored diagnostics and posting the service's failures.
#include <gtest/gtest.h>

#include "common/diagnostics.h"
#include "handles/connection_record.h"
#include "handles/handles.h"
#include "handles/statement_handle.h"

TEST(Diagnostics, RendersTableMessagesForBothOdbcVersions) {
  struct Case { MessageId id; const char* detail; const char* odbc2; const char* odbc3; const char* text; };
  const Case cases[] = {
      {kMsgMemoryAllocation, "", "S1001", "HY001", "[Tarvox ODBC]Memory allocation error"},
      {kMsgUnknownException, "SQLTables", "S0000", "S0000", "[Tarvox ODBC]Unknown try catch error in SQLTables"},
      {kMsgElementMissing, "100%s done", "37000", "42000", "[Tarvox ODBC]SQL statement element missing: 100%s done"},
      {kMsgOptionValueChanged, "", "01S02", "01S02", "[Tarvox ODBC]Option value changed."},
  };
  for (const Case& c : cases) {
    RenderedMessage m = RenderMessage(c.id, c.detail, "");
    EXPECT_EQ(SqlStateForVersion(m, 2), c.odbc2) << c.id;
    EXPECT_EQ(SqlStateForVersion(m, 3), c.odbc3) << c.id;
    EXPECT_EQ(m.text, c.text) << c.id;
  }
}

TEST(Diagnostics, LongDetailIsCutTo511BytesOnACharacterBoundary) {
  std::string detail(600, 'a');
  detail.replace(480, 2, "\xC3\xA4");  // a two-byte character somewhere near the cut
  std::string detailAtCut = std::string(497, 'b') + "\xE2\x82\xAC" + "tail";  // euro sign across byte 511
  RenderedMessage m = RenderMessage(kMsgElementMissing, detailAtCut, "");
  EXPECT_LE(m.text.size(), kMaxMessageText);
  EXPECT_NE(static_cast<unsigned char>(m.text.back()) & 0xC0, 0x80u);
  EXPECT_EQ(RenderMessage(kMsgElementMissing, detail, "").text.size(), kMaxMessageText);
}

// Where the failure happened follows the message whole, however long the
// message: the message gives up its end, on a character boundary.
TEST(Diagnostics, ContextFollowsTheMessageWithinTheLimit) {
  const std::string context = "(batch statement 2, INSERT INTO t, failed; statement 1 ran, rows: 1)";
  struct Case { std::string detail; std::string text; };
  const Case cases[] = {
      {"x", "[Tarvox ODBC]SQL statement element missing: x " + context},
      {std::string(600, 'a'), ""},
      {std::string(397, 'b') + "\xE2\x82\xAC", ""},  // a euro sign across the message's share
  };
  for (const Case& c : cases) {
    HandleDiagnostic diagnostic;
    SetDiagnostic(diagnostic, kMsgElementMissing, c.detail);
    diagnostic.contextText = context;
    const RenderedMessage m = RenderDiagnostic(diagnostic);
    EXPECT_EQ(m.odbc3State, "42000");
    if (!c.text.empty()) {
      EXPECT_EQ(m.text, c.text);
    }
    EXPECT_LE(m.text.size(), kMaxMessageText);
    ASSERT_GT(m.text.size(), context.size());
    EXPECT_EQ(m.text.substr(m.text.size() - context.size()), context);
    const std::string message = m.text.substr(0, m.text.size() - context.size() - 1);
    EXPECT_NE(static_cast<unsigned char>(message.back()) & 0xC0, 0x80u);
  }
}

TEST(Diagnostics, ServiceFailureReachesStatementAndConnection) {
  ConnectionHandle connection;
  StatementHandle statement;
  ConnectionRecord record;
  record.connection = &connection;
  record.currentStatement = &statement;

  ApiCallRecord call;
  call.errcode = "6";
  call.errtext = "Syntax error";
  call.errdetail = "Bad query: 50%s off";  // a service text is data, never a format
  PostServerError(record, call);

  EXPECT_EQ(statement.diagnostic.messageId, kMsgServerError);
  EXPECT_EQ(statement.diagnostic.detailText, call.errdetail);
  RenderedMessage m = RenderDiagnostic(statement.diagnostic);
  EXPECT_EQ(m.odbc3State, "HY000");
  EXPECT_EQ(m.odbc2State, "S1000");
  EXPECT_EQ(m.text, "[Tarvox][QuickBase]Syntax error Bad query: 50%s off");
  EXPECT_EQ(connection.diagnostic.messageText, statement.diagnostic.messageText);

  std::string text;
  GetConnectionErrorText(record, text);
  EXPECT_EQ(text, "S1000 HY000 [Tarvox][QuickBase]Syntax error Bad query: 50%s off");
}

TEST(Diagnostics, TransportFailuresCarryTheirOwnStates) {
  ApiCallRecord call;
  call.errtext = "Could not connect to 127.0.0.1";
  call.origin = ApiFailureOrigin::kHttp;
  EXPECT_EQ(FormatServerErrorText(call), "08S01 08S01 [Tarvox][HTTP]Could not connect to 127.0.0.1");
  call.origin = ApiFailureOrigin::kTimeout;
  call.errtext = "Timed out";
  EXPECT_EQ(FormatServerErrorText(call), "S1T00 HYT00 [Tarvox][HTTP]Timed out");
}

TEST(Diagnostics, ConnectionErrorTextOfATableMessage) {
  ConnectionRecord record;
  record.lastMessageId = kMsgTransactionActive;
  std::string text;
  GetConnectionErrorText(record, text);
  EXPECT_EQ(text, "25000 25000 [Tarvox ODBC]Transaction still active");
}
