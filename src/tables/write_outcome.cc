// The account of a failed write. The counts come first and the service's
// words after them, so that a long errdetail never pushes the counts out of
// the 511 bytes a message may hold.
#include "tables/write_outcome.h"

#include <vector>

#include "common/diagnostics.h"
#include "common/utf16_text.h"
#include "connection/quickbase_client.h"
#include "handles/connection_record.h"
#include "tables/table_failures.h"

namespace {

// The most of the service's text an account keeps.
constexpr std::size_t kMaxCause = 160;

constexpr const char* kUnknownNote =
    "The service may or may not have taken the rows counted unknown; they are not sent again. ";

bool AnyDone(const TableWriteCounts& counts) { return counts.written + counts.deleted > 0; }
bool AnyUnsent(const TableWriteCounts& counts) { return counts.notWritten + counts.notDeleted > 0; }
bool AnyCount(const TableWriteCounts& counts) { return AnyDone(counts) || AnyUnsent(counts) || counts.unknown > 0; }

template <typename Test>
bool AnyTable(const WriteOutcome& outcome, Test test) {
  for (const auto& entry : outcome.tables)
    if (test(entry.second)) return true;
  return false;
}

bool AnyUnknown(const WriteOutcome& outcome) {
  return AnyTable(outcome, [](const TableWriteCounts& counts) { return counts.unknown > 0; });
}

MessageId PartialOutcomeId(const ApiCallRecord& failure, bool anyUnknown) {
  if (anyUnknown) return kMsgOutcomeUnknown;
  switch (failure.origin) {
    case ApiFailureOrigin::kHttp: return kMsgWritesPartlyDoneHttp;
    case ApiFailureOrigin::kTimeout: return kMsgWritesPartlyDoneTimeout;
    case ApiFailureOrigin::kCanceled: return kMsgWritesPartlyDoneCanceled;
    default: return kMsgWritesPartlyDone;
  }
}

// "'Sales: Order Lines' 600 deleted, 100 unknown, 1300 not deleted (dropped)"
std::string DescribeTable(const TableWriteCounts& counts, const std::string& unsentFate) {
  std::string text = "'" + counts.tableName + "'";
  const char* separator = " ";
  auto add = [&](std::size_t count, const std::string& what) {
    if (count == 0) return;
    text += separator + std::to_string(count) + " " + what;
    separator = ", ";
  };
  add(counts.written, "written");
  add(counts.deleted, "deleted");
  add(counts.unknown, "unknown");
  add(counts.notWritten, "not written (" + unsentFate + ")");
  add(counts.notDeleted, "not deleted (" + unsentFate + ")");
  return text;
}

std::string MoreTables(std::size_t count) {
  return "; ... and " + std::to_string(count) + (count == 1 ? " more table" : " more tables");
}

// As many tables as fit in budget bytes, always the first; the rest counted.
std::string JoinTables(const std::vector<std::string>& tables, std::size_t budget) {
  std::string text;
  for (std::size_t k = 0; k < tables.size(); ++k) {
    std::string next = text + (k == 0 ? "" : "; ") + tables[k];
    const std::size_t reserve = k + 1 < tables.size() ? MoreTables(tables.size() - k - 1).size() : 0;
    if (k > 0 && next.size() + reserve > budget) return text + MoreTables(tables.size() - k);
    text = std::move(next);
  }
  return text;
}

// The tables in the order they were sent, except that one with rows of
// unknown fate comes first: the list may be cut, and that is the table an
// application most needs to hear of.
std::vector<std::string> DescribeTables(const WriteOutcome& outcome) {
  const std::string fate = outcome.unsentDropped ? "dropped" : "still pending";
  std::vector<std::string> tables;
  for (const auto& entry : outcome.tables) {
    if (!AnyCount(entry.second)) continue;
    const std::string text = DescribeTable(entry.second, fate);
    if (entry.second.unknown > 0)
      tables.insert(tables.begin(), text);
    else
      tables.push_back(text);
  }
  return tables;
}

std::string DescribeOutcome(const WriteOutcome& outcome) {
  const std::vector<std::string> tables = DescribeTables(outcome);
  std::string cause = ServerErrorCause(outcome.failure);
  cause.resize(CutUtf8(cause, kMaxCause));
  const std::string tail = ". " + std::string(AnyUnknown(outcome) ? kUnknownNote : "") + cause;
  const std::size_t used = RenderMessage(outcome.messageId, "", "").text.size() + tail.size();
  return JoinTables(tables, used < kMaxMessageText ? kMaxMessageText - used : 0) + tail;
}

}  // namespace

TableWriteCounts& CountsOfTable(WriteOutcome& outcome, const std::string& tableId, const std::string& tableName) {
  TableWriteCounts& counts = outcome.tables[tableId];
  counts.tableName = tableName;
  return counts;
}

MessageId PostWriteOutcome(ConnectionRecord& record, WriteOutcome& outcome) {
  if (!AnyTable(outcome, AnyDone) && !AnyUnknown(outcome)) {
    outcome.messageId = kMsgSuccess;
    return PostTableServiceFailure(record, outcome.failure);
  }
  outcome.messageId = PartialOutcomeId(outcome.failure, AnyUnknown(outcome));
  return RecordTableFailure(record, outcome.messageId, DescribeOutcome(outcome));
}

MessageId PostRowWriteFailure(ConnectionRecord& record, const ApiCallRecord& call, const std::string& tableName) {
  WriteOutcome outcome;
  outcome.failure = call;
  if (call.outcomeUnknown) CountsOfTable(outcome, std::string(), tableName).unknown = 1;
  return PostWriteOutcome(record, outcome);
}

bool RepostFlushWithUnsentDropped(ConnectionRecord& record) {
  WriteOutcome& outcome = record.client->caches.writes.lastFlush;
  if (outcome.messageId == kMsgSuccess || outcome.unsentDropped || !AnyTable(outcome, AnyUnsent)) return false;
  outcome.unsentDropped = true;
  RecordTableFailure(record, outcome.messageId, DescribeOutcome(outcome));
  return true;
}
