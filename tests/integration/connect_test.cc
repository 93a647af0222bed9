// Connecting through the unixODBC Driver Manager to the emulator: by data
// source and by driver string, the failures an application must be able to
// tell apart, and statement handles.
#include <gtest/gtest.h>

#include "odbc_test_support.h"

namespace {

struct ConnectTest : ::testing::Test {
  TempFolder folder;
  std::unique_ptr<Emulator> emulator;

  void StartEmulator(const std::string& extra = "") {
    emulator = std::make_unique<Emulator>(folder, extra);
    ASSERT_NE(emulator->port, 0) << "the emulator did not start";
  }
  void SetUp() override {
    StartEmulator();
    WriteOdbcFiles(folder, {"QUICKBASESERVER=" + emulator->HttpUrl(), "UID=alice", "PWD=wonderland"});
  }
  std::string DriverString(const std::string& keys) const {
    return std::string("DRIVER={") + kDriverName + "};QUICKBASESERVER=" + emulator->HttpUrl() + ";" + keys;
  }
};

TEST_F(ConnectTest, ByDataSourceName) {
  OdbcHandles handles;
  ASSERT_EQ(handles.Connect("demo"), SQL_SUCCESS) << handles.ConnectionDiagnostic().text;
  EXPECT_NE(emulator->Log().find("API_Authenticate"), std::string::npos);
  EXPECT_EQ(SQLDisconnect(handles.connection), SQL_SUCCESS);
  handles.connected = false;
}

TEST_F(ConnectTest, ArgumentsOverrideDataSourceKeys) {
  OdbcHandles handles;
  EXPECT_EQ(handles.Connect("demo", "bob", "builder"), SQL_SUCCESS) << handles.ConnectionDiagnostic().text;
  EXPECT_NE(emulator->Log().find("bob"), std::string::npos);
}

TEST_F(ConnectTest, ByDriverStringWithOutString) {
  OdbcHandles handles;
  std::string out;
  ASSERT_EQ(handles.DriverConnect(DriverString("UID=chloe;PWD={cr\xC3\xA8me}"), &out), SQL_SUCCESS)
      << handles.ConnectionDiagnostic().text;
  EXPECT_EQ(out.rfind(std::string("DRIVER={") + kDriverName + "};", 0), 0u) << out;
  EXPECT_NE(out.find("UID=chloe;"), std::string::npos) << out;
  EXPECT_NE(out.find("QUICKBASESERVER=" + emulator->HttpUrl() + ";"), std::string::npos) << out;
}

TEST_F(ConnectTest, DataSourceOutStringAndShortBuffer) {
  OdbcHandles handles;
  std::string out;
  ASSERT_EQ(handles.DriverConnect("DSN=demo", &out), SQL_SUCCESS) << handles.ConnectionDiagnostic().text;
  EXPECT_EQ(out.rfind("DSN=demo;", 0), 0u) << out;
  EXPECT_NE(out.find("UID=alice;"), std::string::npos) << out;
  OdbcHandles shortBuffer;
  EXPECT_EQ(shortBuffer.DriverConnect("DSN=demo", &out, 8), SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(out, "DSN=dem");
  EXPECT_EQ(shortBuffer.ConnectionDiagnostic().state, "01004");
}

// The data source's stored password stays in odbc.ini; a password or token
// the application gave comes back, at the end.
TEST_F(ConnectTest, OutStringRepeatsOnlyTheApplicationsSecrets) {
  struct {
    std::string in;
    const char* endsWith;
    int passwords;  // how often PWD= appears
  } cases[] = {
      {"DSN=demo", "UID=alice;", 0},
      {"DSN=demo;PWD=wonderland", "UID=alice;PWD=wonderland;", 1},
      {DriverString("UID=chloe;APPTOKEN=demo_archive_apptoken;PWD=cr\xC3\xA8me"),
       "UID=chloe;PWD=cr\xC3\xA8me;APPTOKEN=demo_archive_apptoken;", 1},
  };
  for (const auto& c : cases) {
    OdbcHandles handles;
    std::string out;
    ASSERT_EQ(handles.DriverConnect(c.in, &out), SQL_SUCCESS) << c.in << ": " << handles.ConnectionDiagnostic().text;
    const std::string tail = c.endsWith;
    ASSERT_GE(out.size(), tail.size()) << out;
    EXPECT_EQ(out.substr(out.size() - tail.size()), tail) << out;
    int passwords = 0;
    for (std::size_t at = out.find("PWD="); at != std::string::npos; at = out.find("PWD=", at + 1)) ++passwords;
    EXPECT_EQ(passwords, c.passwords) << out;
  }
}

// A data source's server and proxy URLs that hold a user name and password
// stay in odbc.ini too. (no_proxy lets the connection past the proxy.)
TEST_F(ConnectTest, OutStringLeavesOutTheDataSourcesUrlCredentials) {
  const std::string server = "http://bob:s3cr3t@" + emulator->HttpUrl().substr(7);
  WriteOdbcFiles(folder, {"QUICKBASESERVER=" + server, "WINHTTPPROXYNAME=bob:s3/cr3t@proxy.invalid:3128",
                          "UID=alice", "PWD=wonderland"});
  setenv("no_proxy", "127.0.0.1", 1);
  OdbcHandles handles;
  std::string out;
  EXPECT_EQ(handles.DriverConnect("DSN=demo", &out), SQL_SUCCESS) << handles.ConnectionDiagnostic().text;
  EXPECT_EQ(out, "DSN=demo;UID=alice;");
  OdbcHandles again;
  EXPECT_EQ(again.DriverConnect("DSN=demo;QUICKBASESERVER=" + server, &out), SQL_SUCCESS)
      << again.ConnectionDiagnostic().text;
  EXPECT_EQ(out, "DSN=demo;QUICKBASESERVER=" + server + ";UID=alice;");
  unsetenv("no_proxy");
}

TEST_F(ConnectTest, WrongPasswordCarriesServiceText) {
  std::string errtext = RunCommand("/usr/bin/python3 -c 'import sys; sys.path.insert(0, \"" +
                                   std::string(HELVANE_EMULATOR_DIR) +
                                   "\"); from qbemu.errors import errtext; print(errtext(20), end=\"\")'");
  ASSERT_FALSE(errtext.empty());
  OdbcHandles handles;
  EXPECT_EQ(handles.Connect("demo", "alice", "not-the-password"), SQL_ERROR);
  Diagnostic diagnostic = handles.ConnectionDiagnostic();
  EXPECT_EQ(diagnostic.state, "HY000");
  EXPECT_EQ(diagnostic.native, 999);
  EXPECT_NE(diagnostic.text.find("[Tarvox][QuickBase]" + errtext), std::string::npos) << diagnostic.text;
}

TEST_F(ConnectTest, MissingCredentials) {
  struct {
    const char* keys;
    const char* named;
  } cases[] = {{"UID=alice", "password (PWD)"}, {"PWD=wonderland", "user name (UID)"}};
  for (const auto& c : cases) {
    OdbcHandles handles;
    EXPECT_EQ(handles.DriverConnect(DriverString(c.keys)), SQL_ERROR) << c.keys;
    Diagnostic diagnostic = handles.ConnectionDiagnostic();
    EXPECT_EQ(diagnostic.state, "28000") << c.keys;
    EXPECT_NE(diagnostic.text.find(c.named), std::string::npos) << diagnostic.text;
  }
}

TEST_F(ConnectTest, ServerDownIsCommunicationLinkFailure) {
  OdbcHandles handles;
  std::string keys = "QUICKBASESERVER=http://127.0.0.1:" + std::to_string(UnusedPort()) + ";UID=alice;PWD=x";
  EXPECT_EQ(handles.DriverConnect(std::string("DRIVER={") + kDriverName + "};" + keys), SQL_ERROR);
  Diagnostic diagnostic = handles.ConnectionDiagnostic();
  EXPECT_EQ(diagnostic.state, "08S01");
  EXPECT_NE(diagnostic.text.find("[Tarvox][HTTP]"), std::string::npos) << diagnostic.text;
}

TEST_F(ConnectTest, StalledServerTimesOut) {
  emulator->Admin("faults", R"({"action": "API_Authenticate", "delay": 8})");
  OdbcHandles handles;
  EXPECT_EQ(handles.DriverConnect(DriverString("UID=alice;PWD=wonderland;WINHTTPTIMEOUTS=2000,2000,2000,700")),
            SQL_ERROR);
  Diagnostic diagnostic = handles.ConnectionDiagnostic();
  EXPECT_EQ(diagnostic.state, "HYT00");
  EXPECT_NE(diagnostic.text.find("[Tarvox][HTTP]"), std::string::npos) << diagnostic.text;
}

TEST_F(ConnectTest, InjectedServiceErrorKeepsCodeAndDetail) {
  emulator->Admin("faults", R"({"action": "API_Authenticate", "errcode": 24, "errdetail": "token 100% wrong"})");
  OdbcHandles handles;
  EXPECT_EQ(handles.DriverConnect(DriverString("UID=alice;PWD=wonderland;APPTOKEN=bogus")), SQL_ERROR);
  Diagnostic diagnostic = handles.ConnectionDiagnostic();
  EXPECT_EQ(diagnostic.state, "HY000");
  EXPECT_NE(diagnostic.text.find("token 100% wrong"), std::string::npos) << diagnostic.text;
}

TEST_F(ConnectTest, SqlStatesOfOdbc2AndOdbc3) {
  struct {
    SQLINTEGER version;
    const char* state;
  } cases[] = {{SQL_OV_ODBC2, "S1000"}, {SQL_OV_ODBC3, "HY000"}, {SQL_OV_ODBC3_80, "HY000"}};
  for (const auto& c : cases) {
    OdbcHandles handles(c.version);
    EXPECT_EQ(handles.Connect("demo", "alice", "wrong"), SQL_ERROR);
    EXPECT_EQ(handles.ConnectionDiagnostic().state, c.state) << c.version;
  }
}

TEST_F(ConnectTest, HundredStatements) {
  OdbcHandles handles;
  ASSERT_EQ(handles.Connect("demo"), SQL_SUCCESS) << handles.ConnectionDiagnostic().text;
  std::vector<SQLHSTMT> statements(100);
  for (SQLHSTMT& statement : statements)
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, handles.connection, &statement), SQL_SUCCESS);
  SQLHDESC descriptor = SQL_NULL_HDESC;
  EXPECT_EQ(SQLGetStmtAttr(statements[0], SQL_ATTR_APP_ROW_DESC, &descriptor, 0, nullptr), SQL_SUCCESS);
  EXPECT_NE(descriptor, nullptr);
  for (std::size_t i = 0; i < statements.size(); i += 2)
    EXPECT_EQ(SQLFreeHandle(SQL_HANDLE_STMT, statements[i]), SQL_SUCCESS);
  EXPECT_EQ(SQLFreeStmt(statements[1], SQL_CLOSE), SQL_SUCCESS);
  EXPECT_EQ(SQLCloseCursor(statements[1]), SQL_ERROR);
  EXPECT_EQ(ReadDiagnostic(SQL_HANDLE_STMT, statements[1]).state, "24000");
  // The remaining statements go with the disconnect.
  EXPECT_EQ(SQLDisconnect(handles.connection), SQL_SUCCESS);
  handles.connected = false;
}

TEST_F(ConnectTest, DiagnosticFieldsWithoutLengthPointers) {
  OdbcHandles handles;
  ASSERT_EQ(handles.Connect("demo", "alice", "wrong"), SQL_ERROR);
  SQLINTEGER number = 0;
  EXPECT_EQ(SQLGetDiagField(SQL_HANDLE_DBC, handles.connection, 0, SQL_DIAG_NUMBER, &number, 0, nullptr),
            SQL_SUCCESS);
  EXPECT_EQ(number, 1);
  SQLRETURN code = 0;
  EXPECT_EQ(SQLGetDiagField(SQL_HANDLE_DBC, handles.connection, 0, SQL_DIAG_RETURNCODE, &code, 0, nullptr),
            SQL_SUCCESS);
  struct {
    SQLSMALLINT identifier;
    const char* expected;
  } texts[] = {{SQL_DIAG_SQLSTATE, "HY000"}};
  for (const auto& t : texts) {
    char value[256] = {0};
    EXPECT_EQ(SQLGetDiagField(SQL_HANDLE_DBC, handles.connection, 1, t.identifier, value, sizeof value, nullptr),
              SQL_SUCCESS)
        << t.identifier;
    EXPECT_STREQ(value, t.expected) << t.identifier;
  }
  char message[512] = {0};
  EXPECT_EQ(SQLGetDiagField(SQL_HANDLE_DBC, handles.connection, 1, SQL_DIAG_MESSAGE_TEXT, message, sizeof message,
                            nullptr),
            SQL_SUCCESS);
  EXPECT_NE(std::string(message).find("[Tarvox][QuickBase]"), std::string::npos) << message;
  SQLINTEGER native = 0;
  EXPECT_EQ(SQLGetDiagField(SQL_HANDLE_DBC, handles.connection, 1, SQL_DIAG_NATIVE, &native, 0, nullptr),
            SQL_SUCCESS);
  EXPECT_EQ(native, 999);
  EXPECT_EQ(SQLGetDiagField(SQL_HANDLE_DBC, handles.connection, 2, SQL_DIAG_SQLSTATE, message, sizeof message,
                            nullptr),
            SQL_NO_DATA);
}

}  // namespace
