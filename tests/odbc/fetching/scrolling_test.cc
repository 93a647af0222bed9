// Scrolling a static cursor over the demo fixture's 20 orders: every
// orientation with changing rowset sizes, bookmarks, the row limit, where
// the cursor stands afterwards, and a record gone since. The result file of
// record ids that the keyset pass makes is made here from the streamed rows,
// so positioning is tested on its own.
#include <gtest/gtest.h>

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

constexpr std::int64_t kMaxRowset = 6;
constexpr std::uint32_t kLostRecordId = 9999;

// The streamed rows' record ids, in order, become the SELECT's result file
// and the cursor a static one; a record id that no longer exists may stand
// before the row of lostBefore.
void InstallKeyset(StatementHandle& s, std::uint32_t lostBefore) {
  ParseTree& tree = *s.parseTree;
  const NodeIndex select = tree.nodes[0].fields.root.statementNode;
  const NodeIndex table = tree.nodes[tree.nodes[select].fields.select.fromList].fields.joinItem.tableReference;
  SpoolWriter writer;
  ASSERT_EQ(OpenSpoolWriter(writer), kMsgSuccess);
  std::uint32_t rows = 0;
  while (PositionCursor(s, tree, select, SQL_FETCH_NEXT, 0) == kMsgSuccess) {
    std::uint32_t recordId = 0;
    GetCursorRecordId(*tree.nodes[table].fields.tableReference.cursor, recordId);
    if (recordId == lostBefore) rows += WriteRecordId(writer, kLostRecordId) == kMsgSuccess ? 1 : 0;
    rows += WriteRecordId(writer, recordId) == kMsgSuccess ? 1 : 0;
  }
  ASSERT_EQ(InstallResultFile(tree, select, writer, 0), kMsgSuccess);
  tree.nodes[select].fields.select.rowCount = rows;
  s.cursorType = kCursorStatic;
}

// Column 1, the record id, equals the row number; column 0 is the bookmark.
struct Scroller {
  FetchSession session;
  SQLINTEGER recordIds[kMaxRowset];
  BOOKMARK bookmarks[kMaxRowset];  // SQL_C_BOOKMARK is as wide as a pointer
  SQLULEN fetched = 0;
  SQLUSMALLINT statuses[kMaxRowset];

  explicit Scroller(SQLULEN maxRows = 0, std::uint32_t lostBefore = 0) {
    StatementHandle& s = session.Statement();
    SetStatementAttribute(s, SQL_ATTR_USE_BOOKMARKS, reinterpret_cast<SQLPOINTER>(SQL_UB_VARIABLE));
    SetStatementAttribute(s, SQL_ATTR_MAX_ROWS, reinterpret_cast<SQLPOINTER>(maxRows));
    SetStatementAttribute(s, SQL_ATTR_ROWS_FETCHED_PTR, &fetched);
    SetStatementAttribute(s, SQL_ATTR_ROW_STATUS_PTR, statuses);
    EXPECT_EQ(session.Run("SELECT \"Record ID_\" FROM \"Sales: Orders\""), SQL_SUCCESS);
    InstallKeyset(s, lostBefore);
    BindColumn(s, 1, SQL_C_SLONG, recordIds, 0, nullptr);
    BindColumn(s, 0, SQL_C_BOOKMARK, bookmarks, 0, nullptr);
  }
  StatementHandle& Statement() { return session.Statement(); }
  void Size(SQLULEN rows) {
    SetStatementAttribute(Statement(), SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(rows));
    SetStatementAttribute(Statement(), SQL_ROWSET_SIZE, reinterpret_cast<SQLPOINTER>(rows));
  }
  // The rowset's rows; each row's bookmark is its number too.
  std::vector<SQLINTEGER> Rows() const {
    for (SQLULEN i = 0; i < fetched; ++i) EXPECT_EQ(bookmarks[i], static_cast<BOOKMARK>(recordIds[i]));
    return std::vector<SQLINTEGER>(recordIds, recordIds + fetched);
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
  std::vector<SQLINTEGER> rows;  // none: SQL_NO_DATA
};

const std::vector<Step> kSteps = {
    {"next", 3, SQL_FETCH_NEXT, 0, Span(1, 3)},
    {"next", 3, SQL_FETCH_NEXT, 0, Span(4, 6)},
    {"prior", 3, SQL_FETCH_PRIOR, 0, Span(1, 3)},
    {"prior before the start", 3, SQL_FETCH_PRIOR, 0, {}},
    {"last", 3, SQL_FETCH_LAST, 0, Span(18, 20)},
    {"next after the last", 3, SQL_FETCH_NEXT, 0, {}},
    {"prior from after the end", 3, SQL_FETCH_PRIOR, 0, Span(18, 20)},
    {"absolute", 3, SQL_FETCH_ABSOLUTE, 5, Span(5, 7)},
    {"relative back", 3, SQL_FETCH_RELATIVE, -2, Span(3, 5)},
    {"relative over the end", 3, SQL_FETCH_RELATIVE, 16, Span(19, 20)},
    {"absolute from the end", 3, SQL_FETCH_ABSOLUTE, -1, Span(20, 20)},
    {"first", 3, SQL_FETCH_FIRST, 0, Span(1, 3)},
    {"absolute 0", 3, SQL_FETCH_ABSOLUTE, 0, {}},
    {"relative from before the start", 3, SQL_FETCH_RELATIVE, 2, Span(2, 4)},
    {"next steps by the last rowset's size", 5, SQL_FETCH_NEXT, 0, Span(5, 9)},
    {"prior reaching the start", 6, SQL_FETCH_PRIOR, 0, Span(1, 6)},
    {"single row", 1, SQL_FETCH_ABSOLUTE, 11, Span(11, 11)},
    {"single row prior", 1, SQL_FETCH_PRIOR, 0, Span(10, 10)},
};

// Both rowset functions over the same steps; after each rowset the cursor
// stands on its first row.
TEST(Scrolling, EveryOrientation) {
  for (bool extended : {false, true}) {
    Scroller scroller;
    ASSERT_TRUE(scroller.session.Ready());
    StatementHandle& s = scroller.Statement();
    for (const Step& step : kSteps) {
      scroller.Size(step.rowsetSize);
      const SQLRETURN result = extended ? ExtendedFetch(s, step.orientation, step.offset, &scroller.fetched,
                                                        scroller.statuses)
                                        : FetchScroll(s, step.orientation, step.offset);
      EXPECT_EQ(result, step.rows.empty() ? SQL_NO_DATA : SQL_SUCCESS) << step.name;
      EXPECT_EQ(scroller.Rows(), step.rows) << step.name;
      for (SQLULEN i = step.rows.size(); i < step.rowsetSize; ++i) EXPECT_EQ(scroller.statuses[i], SQL_ROW_NOROW);
      EXPECT_EQ(s.currentBookmark, step.rows.empty() ? 0 : step.rows.front()) << step.name;
    }
  }
  // SQLFetch goes on after the rowset; a refused fetch changes nothing, and
  // SQLGetData reads the rowset's first row.
  Scroller scroller;
  StatementHandle& s = scroller.Statement();
  scroller.Size(4);
  ASSERT_EQ(FetchScroll(s, SQL_FETCH_ABSOLUTE, 9), SQL_SUCCESS);
  scroller.Size(2);
  EXPECT_EQ(FetchScroll(s, 99, 0), SQL_ERROR);
  scroller.Size(4);
  ASSERT_EQ(FetchRow(s), SQL_SUCCESS);
  EXPECT_EQ(scroller.Rows(), Span(13, 16));
  SQLINTEGER value = 0;
  SQLLEN length = 0;
  ASSERT_EQ(GetData(s, 1, SQL_C_SLONG, &value, 0, &length), SQL_SUCCESS);
  EXPECT_EQ(value, 13);
}

TEST(Scrolling, Bookmarks) {
  Scroller scroller;
  ASSERT_TRUE(scroller.session.Ready());
  StatementHandle& s = scroller.Statement();
  scroller.Size(3);
  EXPECT_EQ(FetchScroll(s, SQL_FETCH_BOOKMARK, 0), SQL_ERROR);  // no bookmark pointer yet
  EXPECT_EQ(s.diagnostic.messageId, kMsgInvalidBookmark);
  SQLINTEGER bookmark = 0;
  SetStatementAttribute(s, SQL_ATTR_FETCH_BOOKMARK_PTR, &bookmark);
  struct Case {
    SQLINTEGER bookmark;
    std::int64_t offset;
    MessageId id;
    std::vector<SQLINTEGER> rows;
  } const cases[] = {
      {10, 2, kMsgSuccess, Span(12, 14)},       {19, 0, kMsgSuccess, Span(19, 20)},
      {10, 15, kMsgSuccess, {}},                {21, 0, kMsgInvalidBookmark, {}},
      {-3, 0, kMsgPositionOnAddedRow, {}},
  };
  for (const Case& c : cases) {
    bookmark = c.bookmark;
    scroller.fetched = 0;
    FetchScroll(s, SQL_FETCH_BOOKMARK, c.offset);
    EXPECT_EQ(s.diagnostic.messageId, c.id) << c.bookmark;
    EXPECT_EQ(scroller.Rows(), c.rows) << c.bookmark << "+" << c.offset;
  }
  // SQLExtendedFetch takes the bookmark as its offset.
  ASSERT_EQ(ExtendedFetch(s, SQL_FETCH_BOOKMARK, 7, &scroller.fetched, scroller.statuses), SQL_SUCCESS);
  EXPECT_EQ(scroller.Rows(), Span(7, 9));
  BOOKMARK current = 0;
  SQLLEN length = 0;
  ASSERT_EQ(GetData(s, 0, SQL_C_BOOKMARK, &current, 0, &length), SQL_SUCCESS);
  EXPECT_EQ(current, 7u);
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
  ASSERT_EQ(ExtendedFetch(s, SQL_FETCH_ABSOLUTE, -2, &scroller.fetched, scroller.statuses), SQL_SUCCESS);
  EXPECT_EQ(scroller.Rows(), Span(6, 7));
}

// A record gone since the keyset was made: both functions mark the row
// deleted and deliver the rows beside it.
TEST(Scrolling, RowsThatCanNoLongerBeReached) {
  Scroller scroller(0, 3);
  ASSERT_TRUE(scroller.session.Ready());
  StatementHandle& s = scroller.Statement();
  scroller.Size(4);
  const SQLUSMALLINT statuses[] = {SQL_ROW_SUCCESS, SQL_ROW_SUCCESS, SQL_ROW_DELETED, SQL_ROW_SUCCESS};
  EXPECT_EQ(FetchScroll(s, SQL_FETCH_FIRST, 0), SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(s.diagnostic.messageId, kMsgInvalidCursorPosition);
  EXPECT_EQ(scroller.fetched, 4u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(scroller.statuses[i], statuses[i]) << i;
  ASSERT_EQ(ExtendedFetch(s, SQL_FETCH_FIRST, 0, &scroller.fetched, scroller.statuses), SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(scroller.fetched, 4u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(scroller.statuses[i], statuses[i]) << i;
  EXPECT_EQ(scroller.recordIds[3], 3);
}

const QueryResult& RowsOfFirstTable(const StatementHandle& s) {
  const ParseTree& tree = *s.parseTree;
  const NodeIndex select = tree.nodes[0].fields.root.statementNode;
  const NodeIndex table = tree.nodes[tree.nodes[select].fields.select.fromList].fields.joinItem.tableReference;
  return *tree.nodes[table].fields.tableReference.cursor->result;
}

// A static cursor keeps every page of its keyset for itself: a forward-only
// read of another statement on the connection still keeps only its page.
TEST(Scrolling, ForwardOnlyReadBesideAStaticCursorKeepsOnlyItsPage) {
  FetchSession session;
  ASSERT_TRUE(session.Ready());
  const std::string lines = session.emulator.TableId("Sales: Order Lines");
  session.emulator.Admin("POST", "generate", "{\"table\": \"" + lines + "\", \"rows\": 2500, \"seed\": 3}");
  StatementHandle* scrollable = session.NewStatement();
  SetStatementAttribute(*scrollable, SQL_ATTR_CURSOR_TYPE, reinterpret_cast<SQLPOINTER>(SQL_CURSOR_STATIC));
  const std::string sql = "SELECT Product FROM \"Sales: Order Lines\"";
  ASSERT_EQ(ExecDirectStatement(*scrollable, reinterpret_cast<const SQLCHAR*>(sql.c_str()), SQL_NTS), SQL_SUCCESS);
  EXPECT_EQ(RowsOfFirstTable(*scrollable).rows.size(), 2530u);
  StatementHandle& forward = session.Statement();
  ASSERT_EQ(session.Run(sql), SQL_SUCCESS);
  for (int row = 0; row < 1500; ++row) ASSERT_EQ(FetchRow(forward), SQL_SUCCESS) << row;
  EXPECT_LE(RowsOfFirstTable(forward).rows.size(), 1000u);
  FreeHandleByKind(SQL_HANDLE_STMT, scrollable);
}

}  // namespace
