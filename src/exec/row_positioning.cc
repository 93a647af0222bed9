// Cursor positioning: the arithmetic of scrolling over a result file's rows,
// then putting every FROM table on the records of the chosen row; or, for a
// streaming forward-only result, the next qualifying row of the sources.
#include "exec/row_positioning.h"

#include <cstring>

#include "exec/row_sources.h"
#include "exec/source_queries.h"
#include "exec/spool_files.h"
#include "handles/statement_handle.h"
#include "platform/files.h"
#include "tables/table_cursor.h"
#include "tables/table_select.h"

namespace {

inline constexpr std::uint16_t kFetchNext = 1;
inline constexpr std::uint16_t kFetchFirst = 2;
inline constexpr std::uint16_t kFetchLast = 3;
inline constexpr std::uint16_t kFetchPrior = 4;
inline constexpr std::uint16_t kFetchAbsolute = 5;
inline constexpr std::uint16_t kFetchRelative = 6;
inline constexpr std::uint16_t kFetchBookmark = 8;

// The move of one orientation over n rows from row c: the new row, or
// kRowBeforeFirst / kRowAfterLast with 1038, or 1072 (row unchanged).
struct Move {
  std::int64_t row;
  MessageId id;
};

Move Absolute(std::int64_t k, std::int64_t n) {
  if (k == 0) return {kRowBeforeFirst, kMsgNoDataFound};
  if (k < 0) return n + k >= 0 ? Move{n + k, kMsgSuccess} : Move{kRowBeforeFirst, kMsgNoDataFound};
  if (k > n) return {kRowAfterLast, kMsgNoDataFound};
  return {k - 1, kMsgSuccess};
}

Move Relative(std::int64_t c, std::int64_t k, std::int64_t n) {
  const bool before = c == kRowBeforeFirst;
  const bool after = c == kRowAfterLast;
  if (k == 0) return {c, before || after ? kMsgNoDataFound : kMsgSuccess};
  if ((before && k > 0) || (after && k < 0)) return Absolute(k, n);
  if (after) return {kRowAfterLast, kMsgNoDataFound};
  if (before) return {kRowBeforeFirst, kMsgNoDataFound};
  if (k < 0) return c + k >= 0 ? Move{c + k, kMsgSuccess} : Move{kRowBeforeFirst, kMsgNoDataFound};
  return c + k < n ? Move{c + k, kMsgSuccess} : Move{kRowAfterLast, kMsgNoDataFound};
}

Move Scroll(std::uint16_t orientation, std::int64_t c, std::int64_t k, std::int64_t n) {
  switch (orientation) {
    case kFetchNext:
      if (c == kRowBeforeFirst) return Scroll(kFetchFirst, c, k, n);
      if (c == kRowAfterLast || c >= n - 1) return {kRowAfterLast, kMsgNoDataFound};
      return {c + 1, kMsgSuccess};
    case kFetchFirst: return n == 0 ? Move{kRowAfterLast, kMsgNoDataFound} : Move{0, kMsgSuccess};
    case kFetchLast: return n == 0 ? Move{kRowBeforeFirst, kMsgNoDataFound} : Move{n - 1, kMsgSuccess};
    case kFetchPrior:
      if (c == kRowAfterLast) return Scroll(kFetchLast, c, k, n);
      if (c <= 0) return {kRowBeforeFirst, kMsgNoDataFound};
      return {c - 1, kMsgSuccess};
    case kFetchAbsolute: return Absolute(k, n);
    case kFetchRelative: return Relative(c, k, n);
    default:  // bookmark
      if (k < 1 || k > n) return {c, kMsgInvalidBookmark};
      return {k - 1, kMsgSuccess};
  }
}

bool ValuesComeFromTheFile(const SelectFields& select) {
  return select.groupBy != kNoNode || select.aggregatesWithoutGroupBy != 0 || select.distinctRows != 0;
}

std::uint32_t RowSize(const SelectFields& select) {
  return select.distinctRows != 0 ? select.distinctRecordLength : select.sortRecordLength;
}

// Every FROM table goes to the record the row recorded for it; a table that
// gave the row its NULLs shows them again.
MessageId PositionTables(StatementHandle& statement, ParseTree& tree, NodeIndex select) {
  const SelectFields f = tree.nodes[select].fields.select;
  std::int64_t offset = f.currentRow * static_cast<std::int64_t>(RowSize(f)) + f.recordIdPosition - 1;
  for (NodeIndex item = f.fromList; item != kNoNode; item = tree.nodes[item].fields.joinItem.next) {
    unsigned char bytes[4];
    if (ReadFullBufferAt(f.resultFile, bytes, sizeof bytes, offset) != 4) return kMsgUnableToOrderBy;
    offset += 4;
    const std::uint32_t recordId = DecodeRecordId(bytes);
    TableReferenceFields& table = tree.nodes[tree.nodes[item].fields.joinItem.tableReference].fields.tableReference;
    if (recordId == kNullRowRecordId) {
      table.nullRow = 1;
      continue;
    }
    table.nullRow = 0;
    if (table.cursor == nullptr) return kMsgInternalError;
    if (MessageId id = PostTableFailure(statement, PositionOnRow(*table.cursor, recordId))) return id;
    statement.transactionFlags[0] = 1;
  }
  return kMsgSuccess;
}

MessageId PositionOnResultFile(StatementHandle& statement, ParseTree& tree, NodeIndex select,
                               std::uint16_t orientation, std::int64_t offset) {
  SelectFields& f = tree.nodes[select].fields.select;
  if (orientation == 0 || orientation == 7 || orientation > kFetchBookmark) return kMsgFetchTypeOutOfRange;
  const Move move = Scroll(orientation, f.currentRow, offset, static_cast<std::int64_t>(f.rowCount));
  if (move.id == kMsgInvalidBookmark) return move.id;
  f.currentRow = move.row;
  if (move.id != kMsgSuccess) return move.id;
  if (ValuesComeFromTheFile(f)) return kMsgSuccess;
  return PositionTables(statement, tree, select);
}

// Without a result file the rows stream from the sources, forward only.
MessageId PositionStreaming(StatementHandle& statement, ParseTree& tree, NodeIndex select, std::uint16_t orientation,
                            std::int64_t offset) {
  SelectFields& f = tree.nodes[select].fields.select;
  const bool outside = f.currentRow == kRowBeforeFirst || f.currentRow == kRowAfterLast;
  if (orientation == kFetchRelative && offset == 0) return outside ? kMsgNoDataFound : kMsgSuccess;
  if (orientation != kFetchNext) return kMsgInternalError;
  if (f.currentRow == kRowAfterLast) return kMsgNoDataFound;
  const MessageId id = FetchNextSelectRow(statement, tree, select);
  SelectFields& after = tree.nodes[select].fields.select;
  if (id == kMsgNoDataFound) after.currentRow = kRowAfterLast;
  if (id != kMsgSuccess) return id;
  after.currentRow = after.currentRow == kRowBeforeFirst ? 0 : after.currentRow + 1;
  return kMsgSuccess;
}

}  // namespace

MessageId PositionCursor(StatementHandle& statement, ParseTree& tree, NodeIndex select, std::uint16_t orientation,
                         std::int64_t offset) {
  if (select == kNoNode || select >= tree.nodes.size() || tree.nodes[select].kind != kNodeSelect)
    return kMsgInternalError;
  if (tree.nodes[select].fields.select.resultFile != kNoResultFile)
    return PositionOnResultFile(statement, tree, select, orientation, offset);
  return PositionStreaming(statement, tree, select, orientation, offset);
}
