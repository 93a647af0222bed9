// Scalar functions through the Driver Manager: NaN and infinity read into
// character and double buffers, and USER's request for the user id, made
// at most once per connection whatever it answers.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "odbc_test_support.h"

namespace {

struct ScalarFunctionsTest : ::testing::Test {
  TempFolder folder;
  Emulator emulator{folder};

  void SetUp() override {
    ASSERT_NE(emulator.port, 0);
    WriteOdbcFiles(folder, {"QUICKBASESERVER=" + emulator.HttpUrl(), "UID=alice", "PWD=wonderland"});
  }
  std::unique_ptr<OdbcHandles> Connect() {
    auto handles = std::make_unique<OdbcHandles>();
    EXPECT_EQ(handles->Connect("demo"), SQL_SUCCESS) << handles->ConnectionDiagnostic().text;
    return handles;
  }
};

SQLHSTMT Execute(SQLHDBC connection, const std::string& sql) {
  SQLHSTMT statement = SQL_NULL_HSTMT;
  SQLAllocHandle(SQL_HANDLE_STMT, connection, &statement);
  EXPECT_EQ(SQLExecDirect(statement, (SQLCHAR*)sql.c_str(), SQL_NTS), SQL_SUCCESS)
      << sql << ": " << ReadDiagnostic(SQL_HANDLE_STMT, statement).text;
  return statement;
}

// Every buffer is a heap block of exactly its size, so the sanitizer build
// catches a write past it; a refused value leaves the buffer as it was.
void ExpectRefusedIntact(SQLHSTMT statement, SQLSMALLINT cType, std::size_t size, const char* call) {
  std::vector<unsigned char> buffer(size, 0x5A);
  SQLLEN length = 0;
  EXPECT_EQ(SQLGetData(statement, 1, cType, buffer.data(), static_cast<SQLLEN>(size), &length), SQL_ERROR)
      << call << " into " << size;
  EXPECT_EQ(ReadDiagnostic(SQL_HANDLE_STMT, statement).state, "22003") << call << " into " << size;
  EXPECT_EQ(buffer, std::vector<unsigned char>(size, 0x5A)) << call << " into " << size;
}

// No number stands for these in SQL, so no C type receives them: the fetch
// reports 22003, and the statement goes on.
TEST_F(ScalarFunctionsTest, NaNAndInfinityAreRefusedWithoutTouchingTheBuffer) {
  const auto handles = Connect();
  for (const char* call : {"{fn LOG(-1E0)}", "{fn SQRT(-1E0)}", "{fn LOG(0E0)}", "{fn EXP(1000E0)}"}) {
    const std::string sql = std::string("SELECT ") + call + " FROM \"Sales: Orders\"";
    SQLHSTMT statement = Execute(handles->connection, sql);
    ASSERT_EQ(SQLFetch(statement), SQL_SUCCESS) << call;
    for (std::size_t size = 1; size <= 24; ++size) ExpectRefusedIntact(statement, SQL_C_CHAR, size, call);
    ExpectRefusedIntact(statement, SQL_C_DOUBLE, sizeof(double), call);

    double bound = 7.0;
    SQLLEN indicator = 0;
    SQLBindCol(statement, 1, SQL_C_DOUBLE, &bound, sizeof bound, &indicator);
    EXPECT_EQ(SQLFetch(statement), SQL_ERROR) << call;
    EXPECT_EQ(ReadDiagnostic(SQL_HANDLE_STMT, statement).state, "22003") << call;
    EXPECT_EQ(bound, 7.0) << call;
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
  }
  SQLHSTMT after = Execute(handles->connection, "SELECT {fn SQRT(6.25E0)} FROM \"Sales: Orders\"");
  ASSERT_EQ(SQLFetch(after), SQL_SUCCESS);
  char text[32] = {0};
  SQLLEN length = 0;
  EXPECT_EQ(SQLGetData(after, 1, SQL_C_CHAR, text, sizeof text, &length), SQL_SUCCESS);
  EXPECT_STREQ(text, "2.5");
  SQLFreeHandle(SQL_HANDLE_STMT, after);
}

struct UserCase {
  const char* name;
  std::vector<std::string> faults;  // injected before connecting
  std::size_t requests;             // API_GetUserInfo sent by the connection
  const char* user;                 // what USER answers on every row
};

const UserCase kUserCases[] = {
    {"the sign-in names the user", {}, 0, "56760200.cxjz"},
    {"the sign-in does not", {R"({"action": "API_Authenticate", "omit": "userid"})"}, 1, "56760200.cxjz"},
    {"nor does the request",
     {R"({"action": "API_Authenticate", "omit": "userid"})", R"({"action": "API_GetUserInfo", "errcode": 2})"},
     1,
     "-"},
};

// Three statements over the 20 orders on one connection.
TEST_F(ScalarFunctionsTest, UserAsksForTheUserIdAtMostOncePerConnection) {
  for (const UserCase& c : kUserCases) {
    SCOPED_TRACE(c.name);
    for (const std::string& fault : c.faults) emulator.Admin("faults", fault);
    const auto handles = Connect();
    emulator.Admin("log/clear", "{}");
    std::vector<std::string> users;
    for (int run = 0; run < 3; ++run) {
      SQLHSTMT statement = Execute(handles->connection, "SELECT {fn USER()} FROM \"Sales: Orders\"");
      while (SQL_SUCCEEDED(SQLFetch(statement))) {
        char user[64] = {0};
        SQLLEN length = 0;
        SQLGetData(statement, 1, SQL_C_CHAR, user, sizeof user, &length);
        users.push_back(user);
      }
      SQLFreeHandle(SQL_HANDLE_STMT, statement);
    }
    EXPECT_EQ(users, std::vector<std::string>(60, c.user));
    // Counted by path: a faulted entry names its action once more, in the
    // fault's description.
    EXPECT_EQ(LoggedRequests(emulator, "API_GetUserInfo", "path").size(), c.requests);
  }
}

}  // namespace
