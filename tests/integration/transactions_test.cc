// Commit and rollback through the unixODBC Driver Manager, judged by the
// emulator's request log: held-back rows reach the service once, on commit
// only; a rollback sends nothing; a commit the service refuses keeps the
// rows for the next one; autocommit switched off before connecting holds.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "demo_data_source.h"

namespace {

SQLPOINTER Integer(SQLULEN value) { return reinterpret_cast<SQLPOINTER>(static_cast<uintptr_t>(value)); }

// The logged requests of one action whose body holds text and that the
// service answered with errcode (any errcode when negative).
int CountInLog(const Emulator& emulator, const std::string& action, const std::string& text, int errcode = -1) {
  const std::string count = RunCommand(
      "curl -s '" + emulator.HttpUrl() + "/_emulator/log?action=" + action +
      "' | /usr/bin/python3 -c 'import json, sys; print(sum(1 for e in json.load(sys.stdin)[\"entries\"] "
      "if sys.argv[1] in e[\"body\"] and int(sys.argv[2]) in (-1, int(e[\"errcode\"] or 0))))' '" +
      text + "' " + std::to_string(errcode));
  return std::atoi(count.c_str());
}

struct TransactionsTest : DemoDataSourceTest {
  int Imports(const std::string& name) const { return CountInLog(emulator, "API_ImportFromCSV", name); }
};

SQLRETURN Insert(SQLHDBC connection, const std::string& name) {
  SQLHSTMT statement = SQL_NULL_HSTMT;
  if (SQLAllocHandle(SQL_HANDLE_STMT, connection, &statement) != SQL_SUCCESS) return SQL_ERROR;
  std::string text = "INSERT INTO \"Sales: Customers\" (Name) VALUES ('" + name + "')";
  SQLRETURN result = SQLExecDirect(statement, (SQLCHAR*)text.c_str(), SQL_NTS);
  EXPECT_TRUE(SQL_SUCCEEDED(result)) << ReadDiagnostic(SQL_HANDLE_STMT, statement).text;
  SQLFreeHandle(SQL_HANDLE_STMT, statement);
  return result;
}

TEST_F(TransactionsTest, CommitSendsRollbackDrops) {
  OdbcHandles handles;
  ASSERT_EQ(handles.Connect("demo"), SQL_SUCCESS) << handles.ConnectionDiagnostic().text;
  ASSERT_EQ(SQLSetConnectAttr(handles.connection, SQL_ATTR_AUTOCOMMIT, Integer(SQL_AUTOCOMMIT_OFF), 0), SQL_SUCCESS);
  ASSERT_TRUE(SQL_SUCCEEDED(Insert(handles.connection, "Dropped Dana")));
  EXPECT_EQ(Imports("Dropped Dana"), 0);
  EXPECT_EQ(SQLEndTran(SQL_HANDLE_DBC, handles.connection, SQL_ROLLBACK), SQL_SUCCESS);
  EXPECT_EQ(SQLEndTran(SQL_HANDLE_DBC, handles.connection, SQL_COMMIT), SQL_SUCCESS);
  EXPECT_EQ(Imports("Dropped Dana"), 0);
  ASSERT_TRUE(SQL_SUCCEEDED(Insert(handles.connection, "Kept Kim")));
  EXPECT_EQ(Imports("Kept Kim"), 0);
  EXPECT_EQ(SQLEndTran(SQL_HANDLE_DBC, handles.connection, SQL_COMMIT), SQL_SUCCESS);
  EXPECT_EQ(SQLGetDiagRec(SQL_HANDLE_DBC, handles.connection, 1, nullptr, nullptr, nullptr, 0, nullptr), SQL_NO_DATA);
  EXPECT_EQ(Imports("Kept Kim"), 1);
  // Nothing is pending any more: another commit sends nothing.
  EXPECT_EQ(SQLTransact(SQL_NULL_HENV, handles.connection, SQL_COMMIT), SQL_SUCCESS);
  EXPECT_EQ(Imports("Kept Kim"), 1);
  EXPECT_EQ(Imports("Dropped Dana"), 0);
}

TEST_F(TransactionsTest, RefusedCommitKeepsTheRows) {
  OdbcHandles handles;
  ASSERT_EQ(handles.Connect("demo"), SQL_SUCCESS) << handles.ConnectionDiagnostic().text;
  ASSERT_EQ(SQLSetConnectAttr(handles.connection, SQL_ATTR_AUTOCOMMIT, Integer(SQL_AUTOCOMMIT_OFF), 0), SQL_SUCCESS);
  ASSERT_TRUE(SQL_SUCCEEDED(Insert(handles.connection, "Patient Pat")));
  emulator.Admin("faults", R"({"action": "API_ImportFromCSV", "errcode": 77, "errdetail": "busy"})");
  EXPECT_EQ(SQLEndTran(SQL_HANDLE_DBC, handles.connection, SQL_COMMIT), SQL_ERROR);
  Diagnostic refused = handles.ConnectionDiagnostic();
  EXPECT_EQ(refused.state, "HY000");
  EXPECT_NE(refused.text.find("busy"), std::string::npos) << refused.text;
  // The refused batch is still pending: disconnecting would lose it.
  EXPECT_EQ(SQLDisconnect(handles.connection), SQL_ERROR);
  EXPECT_EQ(handles.ConnectionDiagnostic().state, "25000");
  EXPECT_EQ(SQLEndTran(SQL_HANDLE_DBC, handles.connection, SQL_COMMIT), SQL_SUCCESS);
  EXPECT_EQ(Imports("Patient Pat"), 2);  // the refused request and the one that went through
  EXPECT_EQ(CountInLog(emulator, "API_ImportFromCSV", "Patient Pat", 0), 1);
}

// Autocommit switched off before connecting stays off, so a rollback takes
// the row back; without that choice each write is committed at once.
TEST_F(TransactionsTest, AutocommitChosenBeforeConnecting) {
  struct {
    bool driverConnect;
    bool chooseOff;
    const char* name;
    int importsAfterRollback;
  } cases[] = {
      {true, true, "Before Bea", 0},
      {false, true, "Before Bo", 0},
      {true, false, "Default Dee", 1},
  };
  for (const auto& c : cases) {
    OdbcHandles handles;
    if (c.chooseOff) {
      ASSERT_EQ(SQLSetConnectAttr(handles.connection, SQL_ATTR_AUTOCOMMIT, Integer(SQL_AUTOCOMMIT_OFF), 0),
                SQL_SUCCESS);
    }
    SQLRETURN connected = c.driverConnect ? handles.DriverConnect("DSN=demo") : handles.Connect("demo");
    ASSERT_EQ(connected, SQL_SUCCESS) << handles.ConnectionDiagnostic().text;
    ASSERT_TRUE(SQL_SUCCEEDED(Insert(handles.connection, c.name)));
    EXPECT_EQ(SQLEndTran(SQL_HANDLE_DBC, handles.connection, SQL_ROLLBACK), SQL_SUCCESS);
    EXPECT_EQ(Imports(c.name), c.importsAfterRollback) << c.name;
  }
}

}  // namespace
