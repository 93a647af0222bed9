// GoogleTest fixtures for tests through the Driver Manager against the demo
// fixture: the emulator started in a folder of the test's own, the data
// source "demo" pointed at it as alice, and the request log at hand; the
// second adds a connection as alice with one statement handle.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "odbc_test_support.h"

struct DemoDataSourceTest : ::testing::Test {
  TempFolder folder;
  Emulator emulator{folder};

  void SetUp() override {
    ASSERT_NE(emulator.port, 0) << "the emulator did not start";
    WriteOdbcFiles(folder, {"QUICKBASESERVER=" + emulator.HttpUrl(), "UID=alice", "PWD=wonderland"});
  }
  void ClearLog() const { emulator.Admin("log/clear", "{}"); }
  // The bodies of the API_DoQuery requests logged since the last clearing.
  std::vector<std::string> QueryBodies() const { return LoggedRequests(emulator, "API_DoQuery"); }
};

struct DemoConnectionTest : DemoDataSourceTest {
  // The Driver Manager reads the odbc files when the environment is made, so
  // the handles come after the files.
  std::unique_ptr<OdbcHandles> owned;
  SQLHSTMT statement = SQL_NULL_HSTMT;

  void SetUp() override {
    DemoDataSourceTest::SetUp();
    if (HasFatalFailure()) return;
    owned = std::make_unique<OdbcHandles>();
    ASSERT_TRUE(SQL_SUCCEEDED(owned->Connect("demo"))) << owned->ConnectionDiagnostic().text;
    ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, owned->connection, &statement)));
  }
  void TearDown() override {
    if (statement != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, statement);
  }
};
