// SQLSpecialColumns with an identifier type it doesn't know, which the
// Driver Manager refuses before the driver sees it.
#include "odbc/catalog_functions.h"

#include <gtest/gtest.h>

#include <sqlext.h>

#include "common/message_ids.h"
#include "odbc_test_handles.h"

namespace {

TEST(CatalogFunctions, UnknownIdentifierTypeLeavesTheStatementIdle) {
  Connection c(kConnected);
  StatementHandle& s = *c.NewStatement();
  EXPECT_EQ(ListSpecialColumns(s, 3, reinterpret_cast<const SQLCHAR*>("Orders"), SQL_NTS), SQL_ERROR);
  EXPECT_EQ(s.diagnostic.messageId, kMsgNotSupportedDetail);
  EXPECT_EQ(s.diagnostic.detailText, "SQLSpecialColumns identifier type 3");
  EXPECT_EQ(s.statementKind, kStatementNone);
}

}  // namespace
