// A GoogleTest fixture on the demo data: a fresh emulator with the demo
// fixture, the data source "demo" and a connection as alice with one
// statement handle.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "odbc_test_support.h"

struct DemoConnectionTest : ::testing::Test {
  TempFolder folder;
  Emulator emulator{folder};
  // The Driver Manager reads the odbc files when the environment is made, so
  // the handles come after the files.
  std::unique_ptr<OdbcHandles> owned;
  SQLHSTMT statement = SQL_NULL_HSTMT;

  void SetUp() override {
    ASSERT_NE(emulator.port, 0);
    WriteOdbcFiles(folder, {"QUICKBASESERVER=" + emulator.HttpUrl(), "UID=alice", "PWD=wonderland"});
    owned = std::make_unique<OdbcHandles>();
    ASSERT_TRUE(SQL_SUCCEEDED(owned->Connect("demo"))) << owned->ConnectionDiagnostic().text;
    ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, owned->connection, &statement)));
  }
  void TearDown() override {
    if (statement != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, statement);
  }
  void ClearLog() { emulator.Admin("log/clear", "{}"); }
};
