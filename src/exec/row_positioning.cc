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

TableReferenceFields& TableOf(ParseTree& tree, NodeIndex item) {
  return tree.nodes[tree.nodes[item].fields.joinItem.tableReference].fields.tableReference;
}

// The table goes to the record a row recorded for it; a table that gave the
// row its NULLs shows them again.
MessageId PositionTable(StatementHandle& statement, TableReferenceFields& table, std::uint32_t recordId) {
  if (recordId == kNullRowRecordId) {
    table.nullRow = 1;
    return kMsgSuccess;
  }
  table.nullRow = 0;
  if (table.cursor == nullptr) return kMsgInternalError;
  if (MessageId id = PostTableFailure(statement, PositionOnRow(*table.cursor, recordId))) return id;
  statement.transactionFlags[0] = 1;
  return kMsgSuccess;
}

// Every FROM table goes to the record the result file's current row names.
MessageId PositionTables(StatementHandle& statement, ParseTree& tree, NodeIndex select) {
  const SelectFields f = tree.nodes[select].fields.select;
  std::int64_t offset = f.currentRow * static_cast<std::int64_t>(RowSize(f)) + f.recordIdPosition - 1;
  for (NodeIndex item = f.fromList; item != kNoNode; item = tree.nodes[item].fields.joinItem.next) {
    unsigned char bytes[4];
    if (ReadFullBufferAt(f.resultFile, bytes, sizeof bytes, offset) != 4) return kMsgUnableToOrderBy;
    offset += 4;
    if (MessageId id = PositionTable(statement, TableOf(tree, item), DecodeRecordId(bytes))) return id;
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

std::vector<std::uint32_t> CurrentRecordIds(ParseTree& tree, NodeIndex select) {
  std::vector<std::uint32_t> recordIds;
  for (NodeIndex item = tree.nodes[select].fields.select.fromList; item != kNoNode;
       item = tree.nodes[item].fields.joinItem.next) {
    const TableReferenceFields& table = TableOf(tree, item);
    const bool none = table.nullRow != 0 || table.cursor == nullptr;
    recordIds.push_back(none ? kNullRowRecordId : table.cursor->recordId);
  }
  return recordIds;
}

MessageId PositionOnStreamedRow(StatementHandle& statement, ParseTree& tree, NodeIndex select, std::int64_t row,
                                const std::vector<std::uint32_t>& recordIds) {
  tree.nodes[select].fields.select.currentRow = row - 1;
  std::size_t next = 0;
  for (NodeIndex item = tree.nodes[select].fields.select.fromList; item != kNoNode;
       item = tree.nodes[item].fields.joinItem.next) {
    if (next == recordIds.size()) return kMsgInternalError;
    if (MessageId id = PositionTable(statement, TableOf(tree, item), recordIds[next++])) return id;
  }
  return kMsgSuccess;
}

SourceReadPositions KeepSourceReadPositions(ParseTree& tree, NodeIndex select) {
  SourceReadPositions kept;
  kept.currentRow = tree.nodes[select].fields.select.currentRow;
  for (NodeIndex item = tree.nodes[select].fields.select.fromList; item != kNoNode;
       item = tree.nodes[item].fields.joinItem.next) {
    const TableReferenceFields& table = TableOf(tree, item);
    kept.nullRows.push_back(table.nullRow);
    kept.tables.push_back(table.cursor == nullptr ? TableReadPosition{} : KeepReadPosition(*table.cursor));
  }
  return kept;
}

void RestoreSourceReadPositions(ParseTree& tree, NodeIndex select, const SourceReadPositions& kept) {
  tree.nodes[select].fields.select.currentRow = kept.currentRow;
  std::size_t next = 0;
  for (NodeIndex item = tree.nodes[select].fields.select.fromList; item != kNoNode && next < kept.tables.size();
       item = tree.nodes[item].fields.joinItem.next, ++next) {
    TableReferenceFields& table = TableOf(tree, item);
    table.nullRow = kept.nullRows[next];
    if (table.cursor != nullptr) RestoreReadPosition(*table.cursor, kept.tables[next]);
  }
}
