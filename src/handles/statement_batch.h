// The statements of one SQL text separated by ';', as the prepare core found
// them, and how far the execution running them has got. Kept in the
// statement handle; the batch runner of the ODBC layer reads and advances it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct StatementBatch {
  // Where each statement begins in the statement's SQL text; a statement's
  // text runs from there to the end (the parser stops at its ';'). One entry
  // for a text that is no batch; none before a prepare succeeded.
  std::vector<std::size_t> starts;
  std::uint32_t parameterCount = 0;  // the markers of every statement
  std::size_t markerStatement = 0;   // the one statement that holds markers, if any
  std::size_t current = 0;           // the statement whose tree the handle holds
  bool direct = false;               // run by SQLExecDirect: each tree goes once it has run
  // SQLRowCount of each statement the running execution has finished.
  std::vector<std::int64_t> rowCounts;
};

inline bool IsBatch(const StatementBatch& batch) { return batch.starts.size() > 1; }
