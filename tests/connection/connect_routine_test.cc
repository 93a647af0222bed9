// The connect routine against a loopback server: credentials checked at
// once, the service's refusal carried to the connection's diagnostic, and
// the environment's list of connections.
#include <gtest/gtest.h>

#include "common/diagnostics.h"
#include "connection/connect_routine.h"
#include "connection/handle_lifecycle.h"
#include "connection/quickbase_client.h"
#include "handles/connection_record.h"
#include "qbapi/canned_http_server.h"

namespace {

struct Handles {
  EnvironmentHandle* environment = nullptr;
  ConnectionHandle* connection = nullptr;
  Handles() {
    AllocEnvironmentHandle(&environment);
    AllocConnectionHandle(*environment, &connection);
  }
  ~Handles() {
    CloseConnectionRecord(*connection);
    UnlinkConnection(*connection);
    delete connection;
    FreeEnvironmentHandle(environment);
  }
};

TEST(ConnectRoutine, MissingCredentialsAreNamed) {
  struct {
    const char* text;
    const char* detail;
  } cases[] = {
      {"QUICKBASESERVER=http://127.0.0.1:1", "user name (UID) and password (PWD)"},
      {"UID=alice;QUICKBASESERVER=http://127.0.0.1:1", "password (PWD)"},
      {"PWD=pw;QUICKBASESERVER=http://127.0.0.1:1", "user name (UID)"},
  };
  for (const auto& c : cases) {
    Handles handles;
    std::string out;
    EXPECT_EQ(DriverConnect(*handles.connection, c.text, out), kMsgLoginMissing) << c.text;
    RenderedMessage message = RenderDiagnostic(handles.connection->diagnostic);
    EXPECT_EQ(message.odbc3State, "28000");
    EXPECT_EQ(message.text, std::string("[Tarvox ODBC]Login information missing: ") + c.detail);
    EXPECT_EQ(handles.connection->record, nullptr);
    EXPECT_TRUE(out.empty());
  }
}

TEST(ConnectRoutine, SuccessKeepsTicketAndReportsCompletedString) {
  CannedHttpServer server({Envelope("0", "<ticket>T-9</ticket><userid>56.x</userid>")});
  Handles handles;
  std::string out;
  std::string in = "UID=alice;PWD={p;w};QUICKBASESERVER=" + server.Url() + ";TIMEZONEOFFSET=-300;DURATION=60000";
  ASSERT_EQ(DriverConnect(*handles.connection, in, out), kMsgSuccess);
  ConnectionRecord* record = handles.connection->record;
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->client->session.ticket, "T-9");
  EXPECT_EQ(record->client->session.userId, "56.x");
  EXPECT_EQ(handles.connection->autocommit, 1);
  EXPECT_TRUE(handles.connection->timezoneOffsetSet);
  EXPECT_EQ(handles.connection->timezoneOffsetMinutes, -300);
  EXPECT_EQ(handles.connection->durationMultiplier, 60000.0);
  EXPECT_NE(out.find("PWD={p;w};"), std::string::npos) << out;
  EXPECT_NE(out.find("UID=alice;"), std::string::npos) << out;
  EXPECT_EQ(DriverConnect(*handles.connection, in, out), kMsgFunctionSequence);
}

TEST(ConnectRoutine, ServiceRefusalCarriesItsText) {
  CannedHttpServer server(
      {Envelope("20", "<errdetail>Sign in as 100% yourself</errdetail>", "Unknown username/password")});
  Handles handles;
  std::string out;
  std::string in = "UID=alice;PWD=wrong;QUICKBASESERVER=" + server.Url();
  EXPECT_EQ(DriverConnect(*handles.connection, in, out), kMsgServerError);
  EXPECT_EQ(handles.connection->record, nullptr);
  RenderedMessage message = RenderDiagnostic(handles.connection->diagnostic);
  EXPECT_EQ(message.odbc3State, "HY000");
  EXPECT_EQ(message.text, "[Tarvox][QuickBase]Unknown username/password Sign in as 100% yourself");
}

TEST(ConnectRoutine, UnclosedBraceIsRefused) {
  Handles handles;
  std::string out;
  EXPECT_EQ(DriverConnect(*handles.connection, "UID=a;PWD={x", out), kMsgUnableToConnect);
  EXPECT_EQ(RenderDiagnostic(handles.connection->diagnostic).odbc3State, "08001");
}

// Nothing is sent for a string that is not text: a NUL would cut the value
// short inside a request.
TEST(ConnectRoutine, ValuesThatAreNotTextAreRefusedBeforeSending) {
  struct {
    std::string connectString;
    const char* detail;
  } cases[] = {
      {std::string("UID=alice;PWD=wonder") + '\0' + "land;", "the value of PWD holds a NUL byte"},
      {"UID=al\xFFice;PWD=wonderland;", "the value of UID is not UTF-8 text"},
  };
  for (const auto& c : cases) {
    CannedHttpServer server({Envelope("0", "<ticket>T</ticket>")});
    Handles handles;
    std::string out;
    EXPECT_EQ(DriverConnect(*handles.connection, c.connectString + "QUICKBASESERVER=" + server.Url(), out),
              kMsgUnableToConnect);
    RenderedMessage message = RenderDiagnostic(handles.connection->diagnostic);
    EXPECT_EQ(message.odbc3State, "08001");
    EXPECT_EQ(message.text, std::string("[Tarvox ODBC]Unable to connect: ") + c.detail);
    EXPECT_TRUE(server.Requests().empty()) << c.detail;
  }
}

// The offset the timestamps use, or a refusal before anything is sent: a
// value read as the process's zone would shift every timestamp unnoticed.
TEST(ConnectRoutine, TimezoneOffsetIsReadOrRefused) {
  struct {
    const char* value;
    bool connects;
    bool set;
    std::int32_t minutes;
  } cases[] = {
      {"+60", true, true, 60},     {"-300", true, true, -300}, {" 0 ", true, true, 0},
      {"+1439", true, true, 1439}, {"", true, false, 0},       {"  ", true, false, 0},
      {"abc", false, false, 0},    {"+", false, false, 0},     {"+-60", false, false, 0},
      {"++60", false, false, 0},   {"60min", false, false, 0}, {"1440", false, false, 0},
      {"6 0", false, false, 0},
  };
  for (const auto& c : cases) {
    CannedHttpServer server({Envelope("0", "<ticket>T</ticket>")});
    Handles handles;
    std::string out;
    std::string in = "UID=alice;PWD=pw;QUICKBASESERVER=" + server.Url() + ";TIMEZONEOFFSET={" + c.value + "}";
    MessageId id = DriverConnect(*handles.connection, in, out);
    EXPECT_EQ(id, c.connects ? kMsgSuccess : kMsgUnableToConnect) << c.value;
    EXPECT_EQ(handles.connection->timezoneOffsetSet, c.set) << c.value;
    EXPECT_EQ(handles.connection->timezoneOffsetMinutes, c.minutes) << c.value;
    if (c.connects) continue;
    RenderedMessage message = RenderDiagnostic(handles.connection->diagnostic);
    EXPECT_EQ(message.odbc3State, "08001");
    EXPECT_NE(message.text.find(std::string("TIMEZONEOFFSET '") + c.value + "'"), std::string::npos) << message.text;
    EXPECT_TRUE(server.Requests().empty()) << c.value;
  }
}

// Autocommit is on from allocation; an application's choice made before
// connecting survives connecting and reconnecting.
TEST(ConnectRoutine, AutocommitChosenBeforeConnectingIsKept) {
  for (std::uint8_t chosen : {0, 1}) {
    CannedHttpServer server({Envelope("0", "<ticket>T</ticket>"), Envelope("0", "<ticket>T</ticket>")});
    Handles handles;
    EXPECT_EQ(handles.connection->autocommit, 1);
    handles.connection->autocommit = chosen;
    std::string out;
    std::string in = "UID=alice;PWD=pw;QUICKBASESERVER=" + server.Url();
    ASSERT_EQ(DriverConnect(*handles.connection, in, out), kMsgSuccess);
    EXPECT_EQ(handles.connection->autocommit, chosen);
    CloseConnectionRecord(*handles.connection);
    ASSERT_EQ(DriverConnect(*handles.connection, in, out), kMsgSuccess);
    EXPECT_EQ(handles.connection->autocommit, chosen);
  }
}

TEST(HandleLifecycle, EnvironmentWithConnectionsIsNotFreed) {
  Handles handles;
  EXPECT_EQ(FreeEnvironmentHandle(handles.environment), SQL_ERROR);
  EXPECT_EQ(RenderDiagnostic(handles.environment->diagnostic).odbc3State, "HY010");
  EXPECT_EQ(handles.environment->firstConnection, handles.connection);
}

TEST(HandleLifecycle, ConnectionLists) {
  Handles handles;
  ConnectionHandle* second = nullptr;
  ASSERT_EQ(AllocConnectionHandle(*handles.environment, &second), SQL_SUCCESS);
  EXPECT_EQ(handles.environment->firstConnection, second);
  EXPECT_EQ(second->nextConnection, handles.connection);
  UnlinkConnection(*second);
  delete second;
  EXPECT_EQ(handles.environment->firstConnection, handles.connection);
}

}  // namespace
