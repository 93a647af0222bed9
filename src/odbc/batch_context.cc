// The context of a batch's failure, kept short: it is added after the
// failing statement's own message, which gives up its end to make room
// within the 511 bytes a message may have.
#include "odbc/batch_context.h"

#include <string>
#include <string_view>

#include "common/ascii_text.h"
#include "common/utf16_text.h"
#include "handles/statement_handle.h"

namespace {

constexpr std::size_t kFirstWordsBytes = 60;
constexpr std::size_t kRowCountsBytes = 100;

// Statement k's own text: up to the ';' before the next statement, or to the
// end of the text when no later statement is known.
std::string_view StatementText(const StatementHandle& statement, std::size_t k) {
  const std::vector<std::size_t>& starts = statement.batch.starts;
  const std::string_view text = statement.sqlText;
  const std::size_t start = k < starts.size() ? starts[k] : text.size();
  const std::size_t end = k + 1 < starts.size() ? starts[k + 1] - 1 : text.size();
  return text.substr(start, end - start);
}

// The start of a statement as one line, enough to recognise it.
std::string FirstWords(std::string_view text) {
  std::string words;
  for (char c : text) {
    if (IsBlank(c)) {
      if (!words.empty() && words.back() != ' ') words += ' ';
      continue;
    }
    words += c;
    if (words.size() > kFirstWordsBytes) break;
  }
  if (!words.empty() && words.back() == ' ') words.pop_back();
  if (words.size() <= kFirstWordsBytes) return words;
  const std::size_t blank = words.rfind(' ', kFirstWordsBytes);
  words.resize(blank != std::string::npos ? blank : CutUtf8(words, kFirstWordsBytes));
  return words + "...";
}

std::string NameStatement(const StatementHandle& statement, std::size_t k) {
  return "batch statement " + std::to_string(k + 1) + ", " + FirstWords(StatementText(statement, k));
}

// The row counts of the statements that ran, one by one while they fit.
std::string RowCounts(const std::vector<std::int64_t>& counts) {
  std::string list;
  std::int64_t total = 0;
  for (std::int64_t count : counts) {
    list += (list.empty() ? "" : ", ") + std::to_string(count);
    total += count > 0 ? count : 0;
  }
  return list.size() <= kRowCountsBytes ? "rows: " + list : "rows in all: " + std::to_string(total);
}

std::string WhatRan(const StatementHandle& statement) {
  const std::vector<std::int64_t>& counts = statement.batch.rowCounts;
  if (counts.empty()) return "the statements after it did not run";
  const std::string ran =
      counts.size() == 1 ? "statement 1 ran" : "statements 1-" + std::to_string(counts.size()) + " ran";
  return ran + ", " + RowCounts(counts);
}

}  // namespace

void AddPrepareFailureContext(StatementHandle& statement, std::size_t failed, const char* what) {
  statement.diagnostic.contextText = "(" + NameStatement(statement, failed) + ", " + what + "; no statement ran)";
}

void AddRunFailureContext(StatementHandle& statement) {
  statement.diagnostic.contextText =
      "(" + NameStatement(statement, statement.batch.current) + ", failed; " + WhatRan(statement) + ")";
}
