// The account of a failed write: which message it is posted as, and how a
// long list of tables still fits the message limit, the table of unknown
// fate first and the failure's cause last.
#include "tables/write_outcome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "common/diagnostics.h"
#include "handles/connection_record.h"

namespace {

ApiCallRecord Failure(ApiFailureOrigin origin) {
  ApiCallRecord call;
  call.errcode = "77";
  call.errtext = "Request limit exceeded";
  call.origin = origin;
  return call;
}

TEST(WriteOutcome, PostedAsTheFailureAndTheCountsSay) {
  const struct {
    const char* label;
    ApiFailureOrigin origin;
    TableWriteCounts counts;
    MessageId expected;
  } cases[] = {
      {"nothing went through", ApiFailureOrigin::kService, {"T", 0, 0, 0, 5, 0}, kMsgServerError},
      {"service refused", ApiFailureOrigin::kService, {"T", 1, 0, 0, 5, 0}, kMsgWritesPartlyDone},
      {"HTTP refused", ApiFailureOrigin::kHttp, {"T", 0, 2, 0, 0, 5}, kMsgWritesPartlyDoneHttp},
      {"time-out", ApiFailureOrigin::kTimeout, {"T", 1, 0, 0, 5, 0}, kMsgWritesPartlyDoneTimeout},
      {"canceled", ApiFailureOrigin::kCanceled, {"T", 1, 0, 0, 5, 0}, kMsgWritesPartlyDoneCanceled},
      {"only unknown", ApiFailureOrigin::kHttp, {"T", 0, 0, 5, 0, 0}, kMsgOutcomeUnknown},
  };
  for (const auto& c : cases) {
    ConnectionRecord record;
    WriteOutcome outcome;
    outcome.failure = Failure(c.origin);
    CountsOfTable(outcome, "bxxxxxx", "T") = c.counts;
    EXPECT_EQ(PostWriteOutcome(record, outcome), c.expected) << c.label;
    EXPECT_EQ(record.lastMessageId, c.expected) << c.label;
  }
}

TEST(WriteOutcome, TablesThatDoNotFitAreCountedAndTheCauseStays) {
  ConnectionRecord record;
  WriteOutcome outcome;
  outcome.failure = Failure(ApiFailureOrigin::kService);
  outcome.failure.errdetail = std::string(400, 'x');
  constexpr int kTables = 40;
  for (int i = 0; i < kTables; ++i) {
    const std::string id = "b" + std::to_string(100 + i);
    CountsOfTable(outcome, id, "Application: Table " + std::to_string(100 + i)).written = 10;
  }
  CountsOfTable(outcome, "b199", "Application: Last").unknown = 7;
  ASSERT_EQ(PostWriteOutcome(record, outcome), kMsgOutcomeUnknown);
  const std::string text = RenderMessage(record.lastMessageId, record.lastMessageDetail, "").text;
  EXPECT_LE(text.size(), kMaxMessageText);
  const std::size_t more = text.find("; ... and ");
  ASSERT_NE(more, std::string::npos) << text;
  const int listed = static_cast<int>(std::count(text.begin(), text.begin() + more, '\'') / 2);
  EXPECT_EQ(listed + std::atoi(text.c_str() + more + 10), kTables + 1) << text;
  // The table whose rows' fate is unknown leads; the service's words follow the list.
  EXPECT_EQ(text.find("'Application: Last' 7 unknown; 'Application: Table 100'"), text.find(": ") + 2) << text;
  EXPECT_NE(text.find(" more tables. The service may or may not"), std::string::npos) << text;
  EXPECT_NE(text.find("[QuickBase]Request limit exceeded xxx"), std::string::npos) << text;
}

}  // namespace
