// Scrolling a static cursor over the demo fixture's 20 orders: every
// orientation with rowsets of several sizes, bookmarks, the row limit and
// where the cursor stands for SQLGetData afterwards. The result file of
// record ids that the keyset pass makes for a static cursor is made here
// from the streamed rows, so positioning is tested on its own.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "exec/row_positioning.h"
#include "exec/spool_files.h"
#include "fetch_session.h"
#include "odbc/column_binding.h"
#include "odbc/column_data.h"
#include "odbc/row_fetch.h"
#include "odbc/statement_attributes.h"
#include "tables/table_select.h"

namespace {

constexpr const char* kOrders = "SELECT \"Record ID_\", \"Order No\" FROM \"Sales: Orders\"";
constexpr std::int64_t kMaxRowset = 6;

// The streamed rows' record ids become the SELECT's result file, in order,
// and the cursor a static one over it. A lost record id, when given, stands
// in the file before the row of that number, as a record deleted since.
void InstallKeyset(StatementHandle& s, std::uint32_t lostBefore = 0) {
  ParseTree& tree = *s.parseTree;
  const NodeIndex select = tree.nodes[0].fields.root.statementNode;
  const NodeIndex table = tree.nodes[tree.nodes[select].fields.select.fromList].fields.joinItem.tableReference;
  SpoolWriter writer;
  ASSERT_EQ(OpenSpoolWriter(writer), kMsgSuccess);
  std::uint32_t rows = 0;
  while (PositionCursor(s, tree, select, SQL_FETCH_NEXT, 0) == kMsgSuccess) {
    std::uint32_t recordId = 0;
    GetCursorRecordId(*tree.nodes[table].fields.tableReference.cursor, recordId);
    if (recordId == lostBefore) {
      ASSERT_EQ(WriteRecordId(writer, 9999), kMsgSuccess);
      ++rows;
    }
    ASSERT_EQ(WriteRecordId(writer, recordId), kMsgSuccess);
    ++rows;
  }
  ASSERT_EQ(InstallResultFile(tree, select, writer, 0), kMsgSuccess);
  tree.nodes[select].fields.select.rowCount = rows;
  s.cursorType = kCursorStatic;
}

struct Scroller {
  FetchSession session;
  SQLINTEGER recordIds[kMaxRowset + 1];
  BOOKMARK bookmarks[kMaxRowset + 1];  // SQL_C_BOOKMARK is as wide as a pointer
  SQLULEN fetched = 0;
  SQLUSMALLINT statuses[kMaxRowset];

  explicit Scroller(SQLULEN maxRows = 0, std::uint32_t lostBefore = 0) {
    StatementHandle& s = session.Statement();
    SetStatementAttribute(s, SQL_ATTR_USE_BOOKMARKS, reinterpret_cast<SQLPOINTER>(SQL_UB_VARIABLE));
    SetStatementAttribute(s, SQL_ATTR_MAX_ROWS, reinterpret_cast<SQLPOINTER>(maxRows));
    SetStatementAttribute(s, SQL_ATTR_ROWS_FETCHED_PTR, &fetched);
    SetStatementAttribute(s, SQL_ATTR_ROW_STATUS_PTR, statuses);
    EXPECT_EQ(session.Run(kOrders), SQL_SUCCESS);
    InstallKeyset(s, lostBefore);
    BindColumn(s, 1, SQL_C_SLONG, recordIds, 0, nullptr);
    BindColumn(s, 0, SQL_C_BOOKMARK, bookmarks, 0, nullptr);
  }
  StatementHandle& Statement() { return session.Statement(); }
  void Size(SQLULEN rows) {
    SetStatementAttribute(Statement(), SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(rows));
    SetStatementAttribute(Statement(), SQL_ROWSET_SIZE, reinterpret_cast<SQLPOINTER>(rows));
  }
  // The rowset's record ids (the orders' row numbers), after checking that
  // each row's bookmark is its row number too.
  std::vector<SQLINTEGER> Rows() const {
    std::vector<SQLINTEGER> rows(recordIds, recordIds + fetched);
    for (SQLULEN i = 0; i < fetched; ++i) EXPECT_EQ(bookmarks[i], static_cast<BOOKMARK>(recordIds[i]));
    return rows;
  }
};

std::vector<SQLINTEGER> Span(SQLINTEGER first, SQLINTEGER last) {
  std::vector<SQLINTEGER> rows;
  for (SQLINTEGER r = first; r <= last; ++r) rows.push_back(r);
  return rows;
}

struct Step {
  const char* name;
  SQLULEN rowsetSize;
  std::uint16_t orientation;
  std::int64_t offset;
  SQLRETURN result;
  std::vector<SQLINTEGER> rows;
};

const std::vector<Step>& Steps() {
  static const std::vector<Step> steps = {
      {"next from the start", 3, SQL_FETCH_NEXT, 0, SQL_SUCCESS, Span(1, 3)},
      {"next", 3, SQL_FETCH_NEXT, 0, SQL_SUCCESS, Span(4, 6)},
      {"prior", 3, SQL_FETCH_PRIOR, 0, SQL_SUCCESS, Span(1, 3)},
      {"prior before the start", 3, SQL_FETCH_PRIOR, 0, SQL_NO_DATA, {}},
      {"next again from before the start", 3, SQL_FETCH_NEXT, 0, SQL_SUCCESS, Span(1, 3)},
      {"last", 3, SQL_FETCH_LAST, 0, SQL_SUCCESS, Span(18, 20)},
      {"next after the last", 3, SQL_FETCH_NEXT, 0, SQL_NO_DATA, {}},
      {"prior from after the end", 3, SQL_FETCH_PRIOR, 0, SQL_SUCCESS, Span(18, 20)},
      {"absolute", 3, SQL_FETCH_ABSOLUTE, 5, SQL_SUCCESS, Span(5, 7)},
      {"relative back", 3, SQL_FETCH_RELATIVE, -2, SQL_SUCCESS, Span(3, 5)},
      {"relative over the end", 3, SQL_FETCH_RELATIVE, 16, SQL_SUCCESS, Span(19, 20)},
      {"absolute from the end", 3, SQL_FETCH_ABSOLUTE, -1, SQL_SUCCESS, Span(20, 20)},
      {"first", 3, SQL_FETCH_FIRST, 0, SQL_SUCCESS, Span(1, 3)},
      {"absolute 0", 3, SQL_FETCH_ABSOLUTE, 0, SQL_NO_DATA, {}},
      {"relative from before the start", 3, SQL_FETCH_RELATIVE, 2, SQL_SUCCESS, Span(2, 4)},
      {"next steps by the last rowset's size", 5, SQL_FETCH_NEXT, 0, SQL_SUCCESS, Span(5, 9)},
      {"prior reaching the start", 6, SQL_FETCH_PRIOR, 0, SQL_SUCCESS, Span(1, 6)},
      {"single rows", 1, SQL_FETCH_ABSOLUTE, 11, SQL_SUCCESS, Span(11, 11)},
      {"single row prior", 1, SQL_FETCH_PRIOR, 0, SQL_SUCCESS, Span(10, 10)},
  };
  return steps;
}

void CheckStep(Scroller& scroller, const Step& step, SQLRETURN result) {
  EXPECT_EQ(result, step.result) << step.name << ": " << scroller.Statement().diagnostic.messageId;
  EXPECT_EQ(scroller.Rows(), step.rows) << step.name;
  for (SQLULEN i = step.rows.size(); i < step.rowsetSize; ++i) EXPECT_EQ(scroller.statuses[i], SQL_ROW_NOROW);
  // The cursor stands on the rowset's first row.
  const std::int64_t first = step.rows.empty() ? 0 : step.rows.front();
  EXPECT_EQ(scroller.Statement().currentBookmark, first) << step.name;
}

TEST(Scrolling, EveryOrientationThroughSqlFetchScroll) {
  Scroller scroller;
  ASSERT_TRUE(scroller.session.Ready());
  for (const Step& step : Steps()) {
    scroller.Size(step.rowsetSize);
    CheckStep(scroller, step, FetchScroll(scroller.Statement(), step.orientation, step.offset));
  }
}

TEST(Scrolling, EveryOrientationThroughSqlExtendedFetch) {
  Scroller scroller;
  ASSERT_TRUE(scroller.session.Ready());
  for (const Step& step : Steps()) {
    scroller.Size(step.rowsetSize);
    const SQLRETURN result = ExtendedFetch(scroller.Statement(), step.orientation, step.offset, &scroller.fetched,
                                           scroller.statuses);
    CheckStep(scroller, step, result);
  }
}

// SQLFetch continues a scrolled cursor where the last rowset ended.
TEST(Scrolling, SqlFetchAfterScrolling) {
  Scroller scroller;
  ASSERT_TRUE(scroller.session.Ready());
  scroller.Size(4);
  ASSERT_EQ(FetchScroll(scroller.Statement(), SQL_FETCH_ABSOLUTE, 9), SQL_SUCCESS);
  // A refused fetch with another rowset size moves nothing.
  scroller.Size(2);
  EXPECT_EQ(FetchScroll(scroller.Statement(), 99, 0), SQL_ERROR);
  scroller.Size(4);
  ASSERT_EQ(FetchRow(scroller.Statement()), SQL_SUCCESS);
  EXPECT_EQ(scroller.Rows(), Span(13, 16));
  // SQLGetData reads the rowset's first row.
  SQLINTEGER value = 0;
  SQLLEN length = 0;
  ASSERT_EQ(GetData(scroller.Statement(), 1, SQL_C_SLONG, &value, 0, &length), SQL_SUCCESS);
  EXPECT_EQ(value, 13);
}

TEST(Scrolling, Bookmarks) {
  Scroller scroller;
  ASSERT_TRUE(scroller.session.Ready());
  StatementHandle& s = scroller.Statement();
  scroller.Size(3);
  SQLINTEGER bookmark = 10;
  // No bookmark to read yet.
  EXPECT_EQ(FetchScroll(s, SQL_FETCH_BOOKMARK, 0), SQL_ERROR);
  EXPECT_EQ(s.diagnostic.messageId, kMsgInvalidBookmark);
  SetStatementAttribute(s, SQL_ATTR_FETCH_BOOKMARK_PTR, &bookmark);
  struct Case {
    SQLINTEGER bookmark;
    std::int64_t offset;
    SQLRETURN result;
    MessageId id;
    std::vector<SQLINTEGER> rows;
  } const cases[] = {
      {10, 0, SQL_SUCCESS, kMsgSuccess, Span(10, 12)},
      {10, 2, SQL_SUCCESS, kMsgSuccess, Span(12, 14)},
      {19, 0, SQL_SUCCESS, kMsgSuccess, Span(19, 20)},
      {10, 15, SQL_NO_DATA, kMsgSuccess, {}},
      {21, 0, SQL_ERROR, kMsgInvalidBookmark, {}},
      {0, 0, SQL_ERROR, kMsgInvalidBookmark, {}},
      {-3, 0, SQL_ERROR, kMsgPositionOnAddedRow, {}},
  };
  for (const Case& c : cases) {
    bookmark = c.bookmark;
    scroller.fetched = 0;
    EXPECT_EQ(FetchScroll(s, SQL_FETCH_BOOKMARK, c.offset), c.result) << c.bookmark << "+" << c.offset;
    EXPECT_EQ(s.diagnostic.messageId, c.id) << c.bookmark;
    EXPECT_EQ(scroller.Rows(), c.rows) << c.bookmark << "+" << c.offset;
  }
  // SQLExtendedFetch takes the bookmark as its offset.
  ASSERT_EQ(ExtendedFetch(s, SQL_FETCH_BOOKMARK, 7, &scroller.fetched, scroller.statuses), SQL_SUCCESS);
  EXPECT_EQ(scroller.Rows(), Span(7, 9));
  EXPECT_EQ(ExtendedFetch(s, SQL_FETCH_BOOKMARK, -3, &scroller.fetched, scroller.statuses), SQL_ERROR);
  EXPECT_EQ(s.diagnostic.messageId, kMsgPositionOnAddedRow);
  // The bookmark column answers the current row's number through SQLGetData.
  ASSERT_EQ(FetchScroll(s, SQL_FETCH_ABSOLUTE, 4), SQL_SUCCESS);
  BOOKMARK current = 0;
  SQLLEN length = 0;
  ASSERT_EQ(GetData(s, 0, SQL_C_BOOKMARK, &current, 0, &length), SQL_SUCCESS);
  EXPECT_EQ(current, 4u);
  // Without bookmarks there is neither a bookmark fetch nor a column 0.
  SetStatementAttribute(s, SQL_ATTR_USE_BOOKMARKS, reinterpret_cast<SQLPOINTER>(SQL_UB_OFF));
  EXPECT_EQ(FetchScroll(s, SQL_FETCH_BOOKMARK, 0), SQL_ERROR);
  EXPECT_EQ(s.diagnostic.messageId, kMsgFetchTypeOutOfRange);
  EXPECT_EQ(GetData(s, 0, SQL_C_BOOKMARK, &current, 0, &length), SQL_ERROR);
  EXPECT_EQ(s.diagnostic.messageId, kMsgInvalidColumnId);
}

// SQL_ATTR_MAX_ROWS makes the result end at its limit for every orientation.
TEST(Scrolling, RowLimitIsTheLastRow) {
  Scroller scroller(7);
  ASSERT_TRUE(scroller.session.Ready());
  StatementHandle& s = scroller.Statement();
  scroller.Size(3);
  ASSERT_EQ(FetchScroll(s, SQL_FETCH_LAST, 0), SQL_SUCCESS);
  EXPECT_EQ(scroller.Rows(), Span(5, 7));
  EXPECT_EQ(FetchScroll(s, SQL_FETCH_ABSOLUTE, 8), SQL_NO_DATA);
  ASSERT_EQ(FetchScroll(s, SQL_FETCH_ABSOLUTE, -2), SQL_SUCCESS);
  EXPECT_EQ(scroller.Rows(), Span(6, 7));
  ASSERT_EQ(ExtendedFetch(s, SQL_FETCH_RELATIVE, -1, &scroller.fetched, scroller.statuses), SQL_SUCCESS);
  EXPECT_EQ(scroller.Rows(), Span(5, 7));
  EXPECT_EQ(ExtendedFetch(s, SQL_FETCH_NEXT, 0, &scroller.fetched, scroller.statuses), SQL_NO_DATA);
}

// A row whose record is gone: SQLFetchScroll stops there with an error,
// SQLExtendedFetch marks it deleted and goes on.
TEST(Scrolling, RowsThatCanNoLongerBeReached) {
  Scroller scroller(0, 3);
  ASSERT_TRUE(scroller.session.Ready());
  StatementHandle& s = scroller.Statement();
  scroller.Size(4);
  EXPECT_EQ(FetchScroll(s, SQL_FETCH_FIRST, 0), SQL_ERROR);
  EXPECT_EQ(s.diagnostic.messageId, kMsgInvalidCursorPosition);
  EXPECT_EQ(scroller.fetched, 3u);
  EXPECT_EQ(scroller.statuses[2], SQL_ROW_DELETED);
  EXPECT_EQ(scroller.statuses[3], SQL_ROW_NOROW);
  ASSERT_EQ(ExtendedFetch(s, SQL_FETCH_FIRST, 0, &scroller.fetched, scroller.statuses), SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(s.diagnostic.messageId, kMsgInvalidCursorPosition);
  EXPECT_EQ(scroller.fetched, 4u);
  const SQLUSMALLINT statuses[] = {SQL_ROW_SUCCESS, SQL_ROW_SUCCESS, SQL_ROW_DELETED, SQL_ROW_SUCCESS};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(scroller.statuses[i], statuses[i]) << i;
  EXPECT_EQ(scroller.recordIds[3], 3);
}

}  // namespace
