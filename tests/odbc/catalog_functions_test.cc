// What the catalog functions refuse before any request: a result still
// open, an identifier type SQLSpecialColumns doesn't know (the Driver
// Manager checks it too), and the functions that have no rows.
#include "odbc/catalog_functions.h"

#include <gtest/gtest.h>

#include <sqlext.h>

#include "common/message_ids.h"
#include "odbc_test_handles.h"

namespace {

TEST(CatalogFunctions, RefusalsLeaveTheStatementAsItWas) {
  Connection c(kConnected);
  StatementHandle& s = *c.NewStatement();
  EXPECT_EQ(ListSpecialColumns(s, 3, nullptr, 0), SQL_ERROR);
  EXPECT_EQ(s.diagnostic.messageId, kMsgNotSupportedDetail);
  EXPECT_EQ(s.statementKind, kStatementNone);
  EXPECT_EQ(RefuseCatalogFunction(s, "SQLTablePrivileges"), SQL_ERROR);
  EXPECT_EQ(s.diagnostic.detailText, "SQLTablePrivileges");
  s.rowCount = 7;
  EXPECT_EQ(ListProcedures(s), SQL_SUCCESS);
  EXPECT_EQ(s.rowCount, 0);
  EXPECT_EQ(s.statementKind, kStatementNone);
  // An open result: every catalog function answers 24000 and changes nothing.
  s.statementKind = kStatementTables;
  s.catalogRow = 3;
  EXPECT_EQ(ListProcedures(s), SQL_ERROR);
  EXPECT_EQ(ListStatistics(s, reinterpret_cast<const SQLCHAR*>("Orders"), SQL_NTS), SQL_ERROR);
  EXPECT_EQ(s.diagnostic.messageId, kMsgInvalidCursorState);
  EXPECT_EQ(s.statementKind, kStatementTables);
  EXPECT_EQ(s.catalogRow, 3);
}

}  // namespace
