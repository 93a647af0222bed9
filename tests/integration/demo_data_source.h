// A GoogleTest fixture for tests through the Driver Manager against the
// demo fixture: the emulator started in a folder of the test's own, the
// data source "demo" pointed at it as alice, and the request log at hand.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "odbc_test_support.h"

struct DemoDataSourceTest : ::testing::Test {
  TempFolder folder;
  std::unique_ptr<Emulator> emulator;

  void SetUp() override {
    emulator = std::make_unique<Emulator>(folder);
    ASSERT_NE(emulator->port, 0) << "the emulator did not start";
    WriteOdbcFiles(folder, {"QUICKBASESERVER=" + emulator->HttpUrl(), "UID=alice", "PWD=wonderland"});
  }
  void ClearLog() const { emulator->Admin("log/clear", "{}"); }
  // The bodies of the API_DoQuery requests logged since the last clearing.
  std::vector<std::string> QueryBodies() const { return LoggedRequests(*emulator, "API_DoQuery"); }
};
