// The driver called directly, as a program linked to it without a Driver
// Manager would: LASTERROR on one thread's statement hands out the
// environment's message while another thread posts and reads that message
// through the environment. The sanitizer builds see any unguarded access.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <set>
#include <string>
#include <thread>

#include "../../odbc/driver_library.h"
#include "../odbc_test_support.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string EnvironmentMessage(const DriverLibrary& library, SQLHENV environment) {
  SQLCHAR state[6] = {0};
  SQLINTEGER native = 0;
  SQLCHAR text[512] = {0};
  SQLSMALLINT length = 0;
  EXPORT(SQLGetDiagRec)(SQL_HANDLE_ENV, environment, 1, state, &native, text, sizeof text, &length);
  return reinterpret_cast<char*>(text);
}

TEST(DirectThreads, LastErrorBesideEnvironmentCalls) {
  TempFolder folder;
  Emulator emulator{folder};
  ASSERT_NE(emulator.port, 0) << "the emulator did not start";
  DriverLibrary library;
  ASSERT_NE(library.handle, nullptr) << dlerror();
  SQLHENV environment = SQL_NULL_HENV;
  SQLHDBC connection = SQL_NULL_HDBC;
  SQLHSTMT statement = SQL_NULL_HSTMT;
  ASSERT_EQ(EXPORT(SQLAllocHandle)(SQL_HANDLE_ENV, nullptr, &environment), SQL_SUCCESS);
  ASSERT_EQ(EXPORT(SQLAllocHandle)(SQL_HANDLE_DBC, environment, &connection), SQL_SUCCESS);
  const std::string connect = "QUICKBASESERVER=" + emulator.HttpUrl() + ";UID=alice;PWD=wonderland";
  ASSERT_EQ(EXPORT(SQLDriverConnect)(connection, nullptr, (SQLCHAR*)connect.c_str(), SQL_NTS, nullptr, 0, nullptr,
                                     SQL_DRIVER_NOPROMPT),
            SQL_SUCCESS);
  ASSERT_EQ(EXPORT(SQLAllocHandle)(SQL_HANDLE_STMT, connection, &statement), SQL_SUCCESS);

  // An unknown completion type leaves HY012 on the environment.
  auto endTransactions = EXPORT(SQLEndTran);
  ASSERT_EQ(endTransactions(SQL_HANDLE_ENV, environment, 99), SQL_ERROR);
  const std::string message = EnvironmentMessage(library, environment);
  ASSERT_NE(message, "");

  std::atomic<bool> done{false};
  std::thread environmentThread([&] {
    while (!done.load()) {
      endTransactions(SQL_HANDLE_ENV, environment, 99);
      EnvironmentMessage(library, environment);
    }
  });
  std::set<std::string> answers;
  const std::string sql = "SELECT {fn LASTERROR()} FROM \"Sales: Orders\"";
  const Clock::time_point end = Clock::now() + std::chrono::seconds(2);
  while (Clock::now() < end) {
    ASSERT_EQ(EXPORT(SQLExecDirect)(statement, (SQLCHAR*)sql.c_str(), SQL_NTS), SQL_SUCCESS);
    while (EXPORT(SQLFetch)(statement) == SQL_SUCCESS) {
      char text[600] = {0};
      SQLLEN length = 0;
      EXPORT(SQLGetData)(statement, 1, SQL_C_CHAR, text, sizeof text, &length);
      answers.insert(text);
    }
    EXPORT(SQLFreeStmt)(statement, SQL_CLOSE);
  }
  done.store(true);
  environmentThread.join();
  // Each row hands out the environment's message or, once it was taken or
  // while the other thread holds the environment, nothing.
  answers.erase("");
  answers.erase(message);
  EXPECT_TRUE(answers.empty()) << *answers.begin();

  EXPECT_EQ(EXPORT(SQLFreeHandle)(SQL_HANDLE_STMT, statement), SQL_SUCCESS);
  EXPECT_EQ(EXPORT(SQLDisconnect)(connection), SQL_SUCCESS);
  EXPECT_EQ(EXPORT(SQLFreeHandle)(SQL_HANDLE_DBC, connection), SQL_SUCCESS);
  EXPECT_EQ(EXPORT(SQLFreeHandle)(SQL_HANDLE_ENV, environment), SQL_SUCCESS);
}

}  // namespace
