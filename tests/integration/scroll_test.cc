// Scrolling a static cursor through the unixODBC Driver Manager: every
// orientation with rowsets bound by row and by column, bookmarks bound as
// column 0 and fetched by SQL_FETCH_BOOKMARK, and keyset-driven and dynamic
// cursors served as static ones.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "odbc_test_support.h"

namespace {

constexpr const char* kOrders =
    "SELECT \"Record ID_\", \"Order No\" FROM \"Sales: Orders\" WHERE \"Record ID_\" <= 12 ORDER BY \"Order No\" DESC";
constexpr SQLULEN kRowset = 3;

struct ScrollTest : ::testing::Test {
  TempFolder folder;
  std::unique_ptr<Emulator> emulator;
  std::unique_ptr<OdbcHandles> handles;
  SQLHSTMT statement = SQL_NULL_HSTMT;

  void SetUp() override {
    emulator = std::make_unique<Emulator>(folder);
    ASSERT_NE(emulator->port, 0) << "the emulator did not start";
    WriteOdbcFiles(folder, {"QUICKBASESERVER=" + emulator->HttpUrl(), "UID=alice", "PWD=wonderland"});
    handles = std::make_unique<OdbcHandles>();
    ASSERT_EQ(handles->Connect("demo"), SQL_SUCCESS) << handles->ConnectionDiagnostic().text;
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, handles->connection, &statement), SQL_SUCCESS);
  }
  void TearDown() override {
    if (statement != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, statement);
  }
  bool Open(SQLULEN cursorType) {
    EXPECT_TRUE(SQL_SUCCEEDED(SQLSetStmtAttr(statement, SQL_ATTR_CURSOR_TYPE, (SQLPOINTER)cursorType, 0)));
    EXPECT_EQ(SQLSetStmtAttr(statement, SQL_ATTR_USE_BOOKMARKS, (SQLPOINTER)SQL_UB_VARIABLE, 0), SQL_SUCCESS);
    EXPECT_EQ(SQLSetStmtAttr(statement, SQL_ATTR_ROW_ARRAY_SIZE, (SQLPOINTER)kRowset, 0), SQL_SUCCESS);
    const SQLRETURN executed = SQLExecDirect(statement, (SQLCHAR*)kOrders, SQL_NTS);
    EXPECT_EQ(executed, SQL_SUCCESS) << ReadDiagnostic(SQL_HANDLE_STMT, statement).text;
    return executed == SQL_SUCCESS;
  }
};

// Orders 12 down to 1 by their numbers, descending: row n is order 13 - n.
struct Step {
  const char* name;
  SQLSMALLINT orientation;
  SQLLEN offset;
  SQLRETURN result;
  std::vector<SQLINTEGER> orders;
};

const std::vector<Step> kSteps = {
    {"next", SQL_FETCH_NEXT, 0, SQL_SUCCESS, {12, 11, 10}},
    {"next", SQL_FETCH_NEXT, 0, SQL_SUCCESS, {9, 8, 7}},
    {"prior", SQL_FETCH_PRIOR, 0, SQL_SUCCESS, {12, 11, 10}},
    {"last", SQL_FETCH_LAST, 0, SQL_SUCCESS, {3, 2, 1}},
    {"absolute", SQL_FETCH_ABSOLUTE, 5, SQL_SUCCESS, {8, 7, 6}},
    {"relative", SQL_FETCH_RELATIVE, -3, SQL_SUCCESS, {11, 10, 9}},
    {"absolute from the end", SQL_FETCH_ABSOLUTE, -2, SQL_SUCCESS, {2, 1}},
    {"first", SQL_FETCH_FIRST, 0, SQL_SUCCESS, {12, 11, 10}},
    {"prior before the start", SQL_FETCH_PRIOR, 0, SQL_NO_DATA, {}},
};

TEST_F(ScrollTest, RowWiseRowsetsWithBookmarks) {
  ASSERT_TRUE(Open(SQL_CURSOR_STATIC));
  struct Row {
    SQLLEN bookmarkLength;
    unsigned char bookmark[4];
    SQLINTEGER recordId;
    SQLLEN recordIdLength;
    char orderNo[12];
    SQLLEN orderNoLength;
  } rows[kRowset];
  SQLULEN fetched = 0;
  SQLUSMALLINT statuses[kRowset];
  ASSERT_EQ(SQLSetStmtAttr(statement, SQL_ATTR_ROW_BIND_TYPE, (SQLPOINTER)sizeof(Row), 0), SQL_SUCCESS);
  ASSERT_EQ(SQLSetStmtAttr(statement, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0), SQL_SUCCESS);
  ASSERT_EQ(SQLSetStmtAttr(statement, SQL_ATTR_ROW_STATUS_PTR, statuses, 0), SQL_SUCCESS);
  ASSERT_EQ(SQLBindCol(statement, 0, SQL_C_VARBOOKMARK, rows[0].bookmark, sizeof rows[0].bookmark,
                       &rows[0].bookmarkLength),
            SQL_SUCCESS);
  ASSERT_EQ(SQLBindCol(statement, 1, SQL_C_SLONG, &rows[0].recordId, 0, &rows[0].recordIdLength), SQL_SUCCESS);
  ASSERT_EQ(SQLBindCol(statement, 2, SQL_C_CHAR, rows[0].orderNo, sizeof rows[0].orderNo, &rows[0].orderNoLength),
            SQL_SUCCESS);
  for (const Step& step : kSteps) {
    SCOPED_TRACE(step.name);
    ASSERT_EQ(SQLFetchScroll(statement, step.orientation, step.offset), step.result);
    ASSERT_EQ(fetched, step.orders.size());
    for (std::size_t i = 0; i < fetched; ++i) {
      EXPECT_EQ(rows[i].recordId, step.orders[i]);
      char orderNo[12];
      std::snprintf(orderNo, sizeof orderNo, "SO-%04d", step.orders[i]);
      EXPECT_EQ(std::string(rows[i].orderNo), orderNo);
      EXPECT_EQ(rows[i].bookmarkLength, 4);
      EXPECT_EQ(statuses[i], SQL_ROW_SUCCESS);
    }
    for (std::size_t i = fetched; i < kRowset; ++i) EXPECT_EQ(statuses[i], SQL_ROW_NOROW);
  }
  // Back to the row a bookmark names: the one of order 8, two rows on.
  ASSERT_EQ(SQLFetchScroll(statement, SQL_FETCH_ABSOLUTE, 5), SQL_SUCCESS);
  unsigned char bookmark[4];
  std::memcpy(bookmark, rows[0].bookmark, sizeof bookmark);
  ASSERT_EQ(SQLFetchScroll(statement, SQL_FETCH_FIRST, 0), SQL_SUCCESS);
  ASSERT_EQ(SQLSetStmtAttr(statement, SQL_ATTR_FETCH_BOOKMARK_PTR, bookmark, 0), SQL_SUCCESS);
  ASSERT_EQ(SQLFetchScroll(statement, SQL_FETCH_BOOKMARK, 2), SQL_SUCCESS);
  EXPECT_EQ(rows[0].recordId, 6);
}

TEST_F(ScrollTest, ColumnWiseRowsetsOfEveryCursorType) {
  // Bound once for every cursor: the statement keeps the addresses.
  SQLINTEGER recordIds[kRowset];
  char orderNos[kRowset][12];
  SQLULEN fetched = 0;
  for (SQLULEN cursorType : {SQL_CURSOR_STATIC, SQL_CURSOR_KEYSET_DRIVEN, SQL_CURSOR_DYNAMIC}) {
    SCOPED_TRACE(cursorType);
    SQLFreeStmt(statement, SQL_CLOSE);
    ASSERT_TRUE(Open(cursorType));
    ASSERT_EQ(SQLSetStmtAttr(statement, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0), SQL_SUCCESS);
    ASSERT_EQ(SQLBindCol(statement, 1, SQL_C_SLONG, recordIds, 0, nullptr), SQL_SUCCESS);
    ASSERT_EQ(SQLBindCol(statement, 2, SQL_C_CHAR, orderNos, sizeof orderNos[0], nullptr), SQL_SUCCESS);
    for (const Step& step : kSteps) {
      SCOPED_TRACE(step.name);
      ASSERT_EQ(SQLFetchScroll(statement, step.orientation, step.offset), step.result);
      ASSERT_EQ(fetched, step.orders.size());
      for (std::size_t i = 0; i < fetched; ++i) EXPECT_EQ(recordIds[i], step.orders[i]);
    }
  }
}

}  // namespace
