// Many threads through the unixODBC Driver Manager at once, with the driver
// registered without a Threading key, so the Driver Manager serialises
// nothing: a connection per thread on one environment, and one connection
// shared by every thread. The sanitizer builds turn any race or freed-memory
// access of the driver's handle lists into a failure.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "../odbc_test_support.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kThreads = 8;
constexpr auto kConnectionChurn = std::chrono::seconds(10);
constexpr auto kSharedConnectionRun = std::chrono::seconds(5);

SQLPOINTER Integer(SQLULEN value) { return reinterpret_cast<SQLPOINTER>(static_cast<uintptr_t>(value)); }

struct ThreadsTest : ::testing::Test {
  TempFolder folder;
  std::unique_ptr<Emulator> emulator;
  SQLHENV environment = SQL_NULL_HENV;

  void SetUp() override {
    emulator = std::make_unique<Emulator>(folder);
    ASSERT_NE(emulator->port, 0) << "the emulator did not start";
    WriteOdbcFiles(folder, {"QUICKBASESERVER=" + emulator->HttpUrl(), "UID=alice", "PWD=wonderland"});
    std::ifstream odbcinst(folder.path + "/odbcinst.ini");
    std::stringstream registration;
    registration << odbcinst.rdbuf();
    ASSERT_EQ(registration.str().find("Threading"), std::string::npos) << "the test needs an unserialised driver";
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment), SQL_SUCCESS);
    ASSERT_EQ(SQLSetEnvAttr(environment, SQL_ATTR_ODBC_VERSION, Integer(SQL_OV_ODBC3), 0), SQL_SUCCESS);
  }
  void TearDown() override {
    if (environment != SQL_NULL_HENV) {
      EXPECT_EQ(SQLFreeHandle(SQL_HANDLE_ENV, environment), SQL_SUCCESS);
    }
  }
};

// What one thread did and the first thing that went wrong, if anything.
struct ThreadTally {
  long rounds = 0;
  std::string failure;
  void Check(bool ok, const char* what, SQLSMALLINT type = 0, SQLHANDLE handle = nullptr) {
    if (ok || !failure.empty()) return;
    failure = what;
    if (handle != nullptr) failure += ": " + ReadDiagnostic(type, handle).text;
  }
};

template <typename Body>
std::vector<ThreadTally> RunThreads(std::chrono::seconds duration, Body body) {
  std::vector<ThreadTally> tallies(kThreads);
  std::vector<std::thread> threads;
  const Clock::time_point end = Clock::now() + duration;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      while (Clock::now() < end && tallies[t].failure.empty()) {
        body(t, tallies[t]);
        ++tallies[t].rounds;
      }
    });
  for (std::thread& thread : threads) thread.join();
  return tallies;
}

void ExpectEveryThreadWorked(const std::vector<ThreadTally>& tallies, const char* label) {
  long total = 0;
  for (std::size_t t = 0; t < tallies.size(); ++t) {
    EXPECT_EQ(tallies[t].failure, "") << "thread " << t;
    EXPECT_GT(tallies[t].rounds, 0) << "thread " << t;
    total += tallies[t].rounds;
  }
  std::printf("%s: %d threads, %ld rounds\n", label, kThreads, total);
}

// A query through the connection's service session, schema and row caches
// and the scalar functions' shared state: the 20 orders with the user and a
// random number. How many rows came, and how the fetching ended.
struct QueryOutcome {
  int rows = 0;
  SQLRETURN end = SQL_ERROR;
  std::string state;
};

QueryOutcome ReadOrders(SQLHSTMT statement) {
  static const char kQuery[] = "SELECT {fn USER()}, {fn RAND()} FROM \"Sales: Orders\"";
  QueryOutcome outcome;
  if (SQLExecDirect(statement, (SQLCHAR*)kQuery, SQL_NTS) == SQL_SUCCESS) {
    while ((outcome.end = SQLFetch(statement)) == SQL_SUCCESS) ++outcome.rows;
  }
  if (outcome.end == SQL_ERROR) outcome.state = ReadDiagnostic(SQL_HANDLE_STMT, statement).state;
  SQLFreeStmt(statement, SQL_CLOSE);
  return outcome;
}

TEST_F(ThreadsTest, ConnectionPerThreadOnOneEnvironment) {
  const std::string connectString = "DSN=demo";
  auto tallies = RunThreads(kConnectionChurn, [&](int, ThreadTally& tally) {
    SQLHDBC connection = SQL_NULL_HDBC;
    if (SQLAllocHandle(SQL_HANDLE_DBC, environment, &connection) != SQL_SUCCESS) {
      tally.Check(false, "allocating a connection", SQL_HANDLE_ENV, environment);
      return;
    }
    SQLRETURN connected = SQLDriverConnect(connection, nullptr, (SQLCHAR*)connectString.c_str(), SQL_NTS, nullptr,
                                           0, nullptr, SQL_DRIVER_NOPROMPT);
    tally.Check(SQL_SUCCEEDED(connected), "connecting", SQL_HANDLE_DBC, connection);
    if (SQL_SUCCEEDED(connected)) {
      SQLHSTMT statements[5] = {};
      for (SQLHSTMT& statement : statements)
        tally.Check(SQLAllocHandle(SQL_HANDLE_STMT, connection, &statement) == SQL_SUCCESS, "allocating a statement",
                    SQL_HANDLE_DBC, connection);
      if (statements[0] != SQL_NULL_HSTMT) {
        const QueryOutcome orders = ReadOrders(statements[0]);
        tally.Check(orders.end == SQL_NO_DATA && orders.rows == 20, "reading the orders", SQL_HANDLE_STMT,
                    statements[0]);
      }
      for (SQLHSTMT statement : statements)
        if (statement != SQL_NULL_HSTMT)
          tally.Check(SQLFreeHandle(SQL_HANDLE_STMT, statement) == SQL_SUCCESS, "freeing a statement");
      tally.Check(SQLDisconnect(connection) == SQL_SUCCESS, "disconnecting", SQL_HANDLE_DBC, connection);
    }
    tally.Check(SQLFreeHandle(SQL_HANDLE_DBC, connection) == SQL_SUCCESS, "freeing a connection");
  });
  ExpectEveryThreadWorked(tallies, "connection per thread");
}

// Everything one round of a thread does on the shared connection: its own
// statements and descriptor, attributes of both, a refused attribute whose
// diagnostic the Driver Manager fetches from the driver, a query, and
// transactions.
//
// Errors stay on the statements: the Driver Manager keeps one list of errors
// per handle and, serialising nothing, corrupts a connection's list when
// threads post to it at once. Transactions end through SQLEndTran, inside
// which the Driver Manager asks the driver for the cursor behaviours, and
// through SQLTransact.
void SharedConnectionRound(SQLHDBC connection, ThreadTally& tally) {
  SQLHSTMT statements[3] = {};
  for (SQLHSTMT& statement : statements)
    tally.Check(SQLAllocHandle(SQL_HANDLE_STMT, connection, &statement) == SQL_SUCCESS, "allocating a statement",
                SQL_HANDLE_DBC, connection);
  SQLHDESC descriptor = SQL_NULL_HDESC;
  tally.Check(SQLAllocHandle(SQL_HANDLE_DESC, connection, &descriptor) == SQL_SUCCESS, "allocating a descriptor",
              SQL_HANDLE_DBC, connection);
  for (SQLHSTMT statement : statements) {
    if (statement == SQL_NULL_HSTMT) continue;
    tally.Check(SQLSetStmtAttr(statement, SQL_ATTR_APP_ROW_DESC, descriptor, 0) == SQL_SUCCESS, "setting the ARD",
                SQL_HANDLE_STMT, statement);
    tally.Check(SQLSetStmtAttr(statement, SQL_ATTR_MAX_ROWS, Integer(10), 0) == SQL_SUCCESS, "setting max rows",
                SQL_HANDLE_STMT, statement);
    SQLULEN maxRows = 0;
    tally.Check(SQLGetStmtAttr(statement, SQL_ATTR_MAX_ROWS, &maxRows, 0, nullptr) == SQL_SUCCESS && maxRows == 10,
                "reading max rows back", SQL_HANDLE_STMT, statement);
    SQLRETURN refused = SQLSetStmtAttr(statement, SQL_ATTR_CURSOR_SENSITIVITY, Integer(SQL_SENSITIVE), 0);
    Diagnostic diagnostic = ReadDiagnostic(SQL_HANDLE_STMT, statement);
    tally.Check(refused == SQL_ERROR && diagnostic.state == "HYC00", "reading a statement's diagnostic");
    tally.Check(SQLCancel(statement) == SQL_SUCCESS, "cancelling an idle statement", SQL_HANDLE_STMT, statement);
  }
  // Another thread's commit closes the cursor (commits close cursors), and
  // the next fetch then reports 24000 from the driver, or HY010 from the
  // Driver Manager when the commit went through it first and it moved the
  // statement's state back itself.
  if (statements[0] != SQL_NULL_HSTMT) {
    const QueryOutcome orders = ReadOrders(statements[0]);
    const bool closedUnderneath = orders.state == "24000" || orders.state == "HY010";
    tally.Check(orders.rows <= 10 && (orders.end == SQL_NO_DATA || closedUnderneath), "reading the orders");
  }
  SQLUINTEGER autocommit = 0;
  tally.Check(SQLGetConnectAttr(connection, SQL_ATTR_AUTOCOMMIT, &autocommit, 0, nullptr) == SQL_SUCCESS &&
                  autocommit == SQL_AUTOCOMMIT_ON,
              "reading autocommit", SQL_HANDLE_DBC, connection);
  tally.Check(SQLSetConnectAttr(connection, SQL_ATTR_CURRENT_CATALOG, (SQLPOINTER) "Everything", SQL_NTS) ==
                  SQL_SUCCESS,
              "setting the catalog", SQL_HANDLE_DBC, connection);
  tally.Check(SQLEndTran(SQL_HANDLE_DBC, connection, SQL_COMMIT) == SQL_SUCCESS, "committing", SQL_HANDLE_DBC,
              connection);
  tally.Check(SQLTransact(SQL_NULL_HENV, connection, SQL_ROLLBACK) == SQL_SUCCESS, "rolling back", SQL_HANDLE_DBC,
              connection);
  if (descriptor != SQL_NULL_HDESC)
    tally.Check(SQLFreeHandle(SQL_HANDLE_DESC, descriptor) == SQL_SUCCESS, "freeing a descriptor");
  for (SQLHSTMT statement : statements)
    if (statement != SQL_NULL_HSTMT)
      tally.Check(SQLFreeHandle(SQL_HANDLE_STMT, statement) == SQL_SUCCESS, "freeing a statement");
}

TEST_F(ThreadsTest, ThreadsShareOneConnection) {
  SQLHDBC connection = SQL_NULL_HDBC;
  ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_DBC, environment, &connection), SQL_SUCCESS);
  ASSERT_TRUE(SQL_SUCCEEDED(SQLConnect(connection, (SQLCHAR*)"demo", SQL_NTS, nullptr, 0, nullptr, 0)))
      << ReadDiagnostic(SQL_HANDLE_DBC, connection).text;
  auto tallies = RunThreads(kSharedConnectionRun, [&](int thread, ThreadTally& tally) {
    SharedConnectionRound(connection, tally);
    // One thread also ends the whole environment's transactions.
    if (thread == 0)
      tally.Check(SQLEndTran(SQL_HANDLE_ENV, environment, SQL_COMMIT) == SQL_SUCCESS, "committing the environment",
                  SQL_HANDLE_ENV, environment);
  });
  ExpectEveryThreadWorked(tallies, "shared connection");
  EXPECT_EQ(SQLDisconnect(connection), SQL_SUCCESS) << ReadDiagnostic(SQL_HANDLE_DBC, connection).text;
  EXPECT_EQ(SQLFreeHandle(SQL_HANDLE_DBC, connection), SQL_SUCCESS);
}

}  // namespace
