// A service error text of megabytes is kept cut where it is recorded: in the
// call record, the statement's detail text and, at connect, the
// connection's message text; the message an application reads keeps its
// own cut. Against the emulator, whose fault carries the long text.
#include <gtest/gtest.h>

#include <string>

#include "common/diagnostics.h"
#include "common/utf16_text.h"
#include "connection/connect_routine.h"
#include "handles/connection_record.h"
#include "handles/statement_handle.h"
#include "odbc/direct_execution.h"
#include "odbc/handle_dispatch.h"
#include "odbc/statement_allocation.h"
#include "tables/emulator_session.h"

namespace {

// 5 MB of two-byte characters after one ASCII letter, so that the bound
// falls inside a character.
std::string LongDetail() {
  std::string text = "x";
  while (text.size() < 5u * 1024 * 1024) text += "\xC3\xA9";
  return text;
}

void ExpectCut(const std::string& text, const char* where) {
  const std::string marker(kCutMarker);
  EXPECT_LE(text.size(), kMaxRecordedText) << where;
  EXPECT_GE(text.size(), kMaxRecordedText - 1) << where;
  EXPECT_EQ(text.substr(text.size() - marker.size()), marker) << where;
  EXPECT_TRUE(IsValidUtf8(text)) << where;
}

TEST(ServiceErrorTexts, AreCutWhereTheyAreRecorded) {
  EmulatorSession emulator;
  ASSERT_TRUE(emulator.Start("emulator/fixtures/demo.json"));
  const std::string fault = "\", \"errcode\": 75, \"errdetail\": \"" + LongDetail() + "\"}";
  emulator.InjectFault("{\"action\": \"API_DoQuery" + fault);
  StatementHandle* statement = nullptr;
  ASSERT_EQ(AllocateStatement(emulator.connection, &statement), SQL_SUCCESS);
  const std::string sql = "SELECT Name FROM \"Sales: Customers\"";
  EXPECT_EQ(ExecDirectStatement(*statement, reinterpret_cast<const SQLCHAR*>(sql.c_str()), SQL_NTS), SQL_ERROR);
  ExpectCut(emulator.Record().lastServerError.errdetail, "call record");
  ExpectCut(statement->diagnostic.detailText, "statement detail");
  EXPECT_LE(RenderDiagnostic(statement->diagnostic).text.size(), kMaxMessageText);
  FreeHandleByKind(SQL_HANDLE_STMT, statement);

  ConnectionHandle refused;
  refused.environment = &emulator.environment;
  refused.settings = emulator.connection.settings;
  emulator.InjectFault("{\"action\": \"API_Authenticate" + fault);
  EXPECT_EQ(OpenConnection(refused), kMsgServerError);
  ExpectCut(refused.diagnostic.detailText, "connection detail");
  ExpectCut(refused.diagnostic.messageText, "connection message");
  EXPECT_LE(RenderDiagnostic(refused.diagnostic).text.size(), kMaxMessageText);
}

}  // namespace
