// Fetching what has no query behind it: a catalog result (here one that
// has reached its end), a pass-through statement and an idle statement; and
// the bindings fetching refuses.
#include "odbc/row_fetch.h"

#include <gtest/gtest.h>

#include <sqlext.h>

#include "odbc/column_binding.h"
#include "odbc/column_data.h"
#include "odbc/statement_attributes.h"
#include "odbc_test_handles.h"

namespace {

TEST(RowFetch, CatalogResultsReadForwardOnly) {
  Connection c;
  StatementHandle& s = *c.NewStatement();
  SQLULEN fetched = 99;
  SQLUSMALLINT statuses[4] = {7, 7, 7, 7};
  SetStatementAttribute(s, SQL_ATTR_ROW_ARRAY_SIZE, Integer(4));
  SetStatementAttribute(s, SQL_ATTR_ROWS_FETCHED_PTR, &fetched);
  SetStatementAttribute(s, SQL_ATTR_ROW_STATUS_PTR, statuses);
  s.statementKind = 1;
  EXPECT_EQ(FetchScroll(s, SQL_FETCH_FIRST, 0), SQL_ERROR);
  EXPECT_EQ(s.diagnostic.messageId, kMsgNotSupportedDetail);
  EXPECT_EQ(FetchScroll(s, SQL_FETCH_NEXT, 0), SQL_NO_DATA);
  EXPECT_EQ(fetched, 0u);
  for (SQLUSMALLINT status : statuses) EXPECT_EQ(status, SQL_ROW_NOROW);
  // Column 0 needs bookmarks; a column beyond the kind's columns is none.
  char text[8];
  SQLLEN length = 0;
  for (SQLUSMALLINT column : {0, 6}) {
    EXPECT_EQ(GetData(s, column, SQL_C_CHAR, text, sizeof text, &length), SQL_ERROR);
    EXPECT_EQ(s.diagnostic.messageId, kMsgInvalidColumnId);
  }
}

TEST(RowFetch, PassThroughIdleStatementsAndRefusedBindings) {
  Connection c;
  StatementHandle& s = *c.NewStatement();
  SQLULEN rows = 99;
  SQLUSMALLINT status = 7;
  EXPECT_EQ(ExtendedFetch(s, SQL_FETCH_NEXT, 0, &rows, &status), SQL_ERROR);
  EXPECT_EQ(s.diagnostic.messageId, kMsgInvalidCursorState);
  EXPECT_EQ(rows, 0u);
  EXPECT_EQ(status, SQL_ROW_NOROW);
  s.passThrough = 1;
  EXPECT_EQ(FetchRow(s), SQL_NO_DATA);
  EXPECT_EQ(s.diagnostic.messageId, kMsgSuccess);
  // A negative length would step a column's array backwards.
  char text[8];
  EXPECT_EQ(BindColumn(s, 1, SQL_C_CHAR, text, -1, nullptr), SQL_ERROR);
  EXPECT_EQ(s.diagnostic.messageId, kMsgInvalidBufferLength);
  EXPECT_EQ(s.currentArd->records, nullptr);
}

}  // namespace
