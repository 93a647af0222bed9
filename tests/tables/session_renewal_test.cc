// The session's credentials on calls made after connecting, against the
// emulator: an expired ticket is renewed once and the call sent again; a
// wrong application token surfaces the service's own error.
#include <gtest/gtest.h>

#include <sql.h>
#include <sqlext.h>

#include "common/diagnostics.h"
#include "connection/quickbase_client.h"
#include "handles/statement_handle.h"
#include "tables/emulator_session.h"
#include "tables/table_cursor.h"

namespace {

int CountAction(const std::vector<LoggedRequest>& log, const std::string& action) {
  int count = 0;
  for (const LoggedRequest& entry : log) count += entry.action == action ? 1 : 0;
  return count;
}

}  // namespace

TEST(SessionRenewal, ExpiredTicketIsRenewedOnceAndTheCallRepeated) {
  EmulatorSession emulator;
  ASSERT_TRUE(emulator.Start("emulator/fixtures/demo.json"));
  const std::string firstTicket = emulator.Record().client->session.ticket;
  ASSERT_FALSE(firstTicket.empty());

  // Tickets last 12 hours; move the service's clock past that.
  emulator.Admin("POST", "clock", "{\"advance_seconds\": 50000}");
  emulator.ClearLog();

  TableCursor* cursor = nullptr;
  ASSERT_EQ(OpenTable(emulator.Record(), "Sales: Customers", 0, cursor), kMsgSuccess);
  ASSERT_NE(cursor, nullptr);
  ApplyFlushCacheCommand(cursor);

  std::vector<LoggedRequest> log = emulator.Log();
  EXPECT_EQ(CountAction(log, "API_Authenticate"), 1);
  EXPECT_NE(emulator.Record().client->session.ticket, firstTicket);
  // The refused request went out twice: once with the old ticket, once after renewal.
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log[1].action, "API_Authenticate");
  EXPECT_EQ(log[2].action, log[0].action);
}

TEST(SessionRenewal, WrongApplicationTokenGivesTheServiceError) {
  EmulatorSession emulator;
  ASSERT_TRUE(emulator.Start("emulator/fixtures/demo.json", "APPTOKEN=not_the_token"));
  StatementHandle statement;
  emulator.Record().currentStatement = &statement;

  TableCursor* cursor = nullptr;
  MessageId id = OpenTable(emulator.Record(), "Archive: Old Orders", 0, cursor);
  emulator.Record().currentStatement = nullptr;
  if (cursor != nullptr) ApplyFlushCacheCommand(cursor);

  ASSERT_NE(id, kMsgSuccess);
  EXPECT_EQ(emulator.Record().lastServerError.errcode, "24");
  std::string text;
  GetConnectionErrorText(emulator.Record(), text);
  EXPECT_NE(text.find("[Tarvox][QuickBase]"), std::string::npos) << text;
  EXPECT_NE(text.find(emulator.Record().lastServerError.errtext), std::string::npos) << text;
}

TEST(SessionRenewal, RightApplicationTokenOpensTheTable) {
  EmulatorSession emulator;
  ASSERT_TRUE(emulator.Start("emulator/fixtures/demo.json", "APPTOKEN=demo_archive_apptoken"));
  TableCursor* cursor = nullptr;
  ASSERT_EQ(OpenTable(emulator.Record(), "Archive: Old Orders", 0, cursor), kMsgSuccess);
  ApplyFlushCacheCommand(cursor);
}
