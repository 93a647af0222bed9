// What the Driver Manager refuses before the driver sees it: an identifier
// type SQLSpecialColumns doesn't know, and a negative name length.
#include "odbc/catalog_functions.h"

#include <gtest/gtest.h>

#include <sqlext.h>

#include "common/message_ids.h"
#include "odbc_test_handles.h"

namespace {

TEST(CatalogFunctions, RefusalsLeaveTheStatementIdle) {
  Connection c(kConnected);
  StatementHandle& s = *c.NewStatement();
  EXPECT_EQ(ListSpecialColumns(s, 3, reinterpret_cast<const SQLCHAR*>("Orders"), SQL_NTS), SQL_ERROR);
  EXPECT_EQ(s.diagnostic.messageId, kMsgNotSupportedDetail);
  EXPECT_EQ(s.diagnostic.detailText, "SQLSpecialColumns identifier type 3");
  EXPECT_EQ(s.statementKind, kStatementNone);
  const SQLCHAR* name = reinterpret_cast<const SQLCHAR*>("Orders");
  EXPECT_EQ(ListColumns(s, nullptr, 0, name, -7, nullptr, 0), SQL_ERROR);
  EXPECT_EQ(s.diagnostic.messageId, kMsgInvalidBufferLength);
  EXPECT_EQ(s.statementKind, kStatementNone);
}

}  // namespace
