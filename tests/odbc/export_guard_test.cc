// The wrapper helpers every export goes through: SQLCancel from another
// thread reaches a running statement call without waiting for its lock, an
// idle cancel neither waits for another statement's call nor leaves
// anything behind for the next call, and a record that has been destroyed
// no longer passes for a handle of its kind.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <new>
#include <thread>

#include "common/diagnostics.h"
#include "connection/connect_routine.h"
#include "connection/quickbase_client.h"
#include "odbc/connection_release.h"
#include "odbc/export_guard.h"
#include "odbc_test_handles.h"
#include "qbapi/api_operations.h"
#include "qbapi/canned_http_server.h"

namespace {

using Clock = std::chrono::steady_clock;

// Waits for flag; false after a generous while, so a lock that wrongly
// blocks fails the test instead of hanging it.
bool AwaitFlag(const std::atomic<bool>& flag) {
  const Clock::time_point limit = Clock::now() + std::chrono::seconds(20);
  while (!flag.load()) {
    if (Clock::now() > limit) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

struct ServedConnection {
  CannedHttpServer server;
  Connection handles{kConnected};
  explicit ServedConnection(std::vector<CannedReply> replies) : server(std::move(replies)) {
    ApiSession& session = Session();
    session.transport.settings.baseUrl = server.Url();
    session.transport.settings.receiveTimeoutMs = 5000;
    session.ticket = "T";
  }
  ApiSession& Session() { return handles.connection->record->client->session; }
  // A statement call that sends one request, failures posted as a core would.
  SQLRETURN RequestOn(StatementHandle* statement, const std::function<void()>& beforeSending = [] {}) {
    return GuardedStatementCall(statement, "SQLTest", [&](StatementHandle& running) {
      ConnectionRecord& record = *handles.connection->record;
      record.currentStatement = &running;
      beforeSending();
      ApiCallRecord call;
      MessageId id = ApiSetKeyField(Session(), call, "bqx7zzzzz", "6");
      if (id != kMsgSuccess) PostServerError(record, call);
      return id;
    });
  }
};

TEST(ExportGuard, CancelFromAnotherThreadReachesTheRunningCall) {
  ServedConnection served({Envelope("0")});
  StatementHandle* statement = served.handles.NewStatement();
  std::atomic<bool> running{false};
  std::atomic<bool> cancelReturned{false};
  SQLRETURN cancelResult = SQL_ERROR;
  std::thread canceller([&] {
    if (!AwaitFlag(running)) return;
    cancelResult = GuardedCancel(statement);
    cancelReturned = true;
  });
  // The call holds the connection's lock until the cancel has returned: a
  // cancel that waited for the lock would never return.
  SQLRETURN result = served.RequestOn(statement, [&] {
    running = true;
    EXPECT_TRUE(AwaitFlag(cancelReturned)) << "SQLCancel waited for the running call";
  });
  canceller.join();
  EXPECT_EQ(cancelResult, SQL_SUCCESS);
  EXPECT_EQ(result, SQL_ERROR);
  EXPECT_EQ(RenderDiagnostic(statement->diagnostic).odbc3State, "HY008");
  EXPECT_EQ(served.server.Requests().size(), 0u);
  // The request was used up: the statement's next call runs normally.
  EXPECT_EQ(served.RequestOn(statement), SQL_SUCCESS);
  EXPECT_EQ(served.server.Requests().size(), 1u);
}

TEST(ExportGuard, IdleCancelEndsDataAtExecutionAndLeavesNothingBehind) {
  ServedConnection served({Envelope("0")});
  StatementHandle* statement = served.handles.NewStatement();
  statement->dataAtExecution = 1;
  statement->pendingOperation = 4;  // a positioned operation awaiting data
  EXPECT_EQ(GuardedCancel(statement), SQL_SUCCESS);
  EXPECT_EQ(statement->dataAtExecution, 0);
  EXPECT_EQ(statement->pendingOperation, kNoPendingOperation);
  EXPECT_FALSE(statement->cancelRequested.load());
  EXPECT_EQ(served.RequestOn(statement), SQL_SUCCESS);
}

// Cancelling an idle statement while another statement of the same
// connection waits for a delayed reply returns at once: it does not wait for
// the connection's lock, and the running call is not disturbed.
TEST(ExportGuard, CancelOfAnIdleStatementReturnsWhileAnotherOneRuns) {
  CannedReply delayed = Envelope("0");
  delayed.delayMs = 1500;
  ServedConnection served({delayed});
  StatementHandle* busy = served.handles.NewStatement();
  StatementHandle* idle = served.handles.NewStatement();
  std::atomic<bool> running{false};
  std::atomic<bool> busyDone{false};
  bool returnedWhileBusy = false;
  SQLRETURN cancelResult = SQL_ERROR;
  std::thread canceller([&] {
    if (!AwaitFlag(running)) return;
    cancelResult = GuardedCancel(idle);
    returnedWhileBusy = !busyDone.load();
  });
  SQLRETURN result = served.RequestOn(busy, [&] { running = true; });
  busyDone = true;
  canceller.join();
  EXPECT_EQ(result, SQL_SUCCESS);
  EXPECT_EQ(cancelResult, SQL_SUCCESS);
  EXPECT_TRUE(returnedWhileBusy) << "SQLCancel waited for the other statement's call";
  EXPECT_EQ(served.server.Requests().size(), 1u);
}

template <typename Record>
std::int16_t KindAfterDestruction() {
  alignas(Record) unsigned char storage[sizeof(Record)];
  auto* record = new (storage) Record;
  EXPECT_NE(HandleKind(storage), 0);
  record->~Record();
  return HandleKind(storage);
}

// SQLFreeHandle of a connection still connected answers HY010, as the Driver
// Manager would, and drops nothing; once disconnected the handle goes.
TEST(ExportGuard, AConnectedConnectionIsNotFreed) {
  Connection handles;
  ConnectionHandle* connected = nullptr;
  ASSERT_EQ(AllocConnectionHandle(*handles.environment, &connected), SQL_SUCCESS);
  MarkConnected(*connected);
  EXPECT_EQ(GuardedConnectionFree(connected), SQL_ERROR);
  EXPECT_EQ(RenderDiagnostic(connected->diagnostic).odbc3State, "HY010");
  ASSERT_NE(connected->record, nullptr);
  ASSERT_EQ(Disconnect(*connected), kMsgSuccess);
  EXPECT_EQ(connected->record, nullptr);
  EXPECT_EQ(Disconnect(*connected), kMsgConnectionNotOpen);
  EXPECT_EQ(GuardedConnectionFree(connected), SQL_SUCCESS);
  EXPECT_EQ(handles.environment->firstConnection, handles.connection);
}

TEST(ExportGuard, DestroyedRecordsLoseTheirKind) {
  EXPECT_EQ(KindAfterDestruction<EnvironmentHandle>(), 0);
  EXPECT_EQ(KindAfterDestruction<ConnectionHandle>(), 0);
  EXPECT_EQ(KindAfterDestruction<StatementHandle>(), 0);
  EXPECT_EQ(KindAfterDestruction<DescriptorHandle>(), 0);
}

}  // namespace
