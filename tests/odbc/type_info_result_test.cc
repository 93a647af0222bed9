// SQLGetTypeInfo's statement state: the result it opens, the type asked
// for in the application's ODBC form, and the refusals.
#include <gtest/gtest.h>

#include <sqlext.h>

#include "common/message_ids.h"
#include "odbc/prepare_statement.h"
#include "odbc/type_info_result.h"
#include "odbc_test_handles.h"

namespace {

TEST(TypeInfoResult, OpensTheResultForTheRequestedType) {
  struct {
    int version;
    SQLSMALLINT dataType;
    std::int16_t requested;
  } cases[] = {
      {3, SQL_ALL_TYPES, SQL_ALL_TYPES}, {3, SQL_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP},
      {3, SQL_TIMESTAMP, SQL_TYPE_TIMESTAMP}, {2, SQL_TYPE_DATE, SQL_DATE}, {2, SQL_VARCHAR, SQL_VARCHAR},
  };
  for (const auto& c : cases) {
    Connection conn(kConnected);
    conn.environment->odbcVersion = c.version;
    StatementHandle& s = *conn.NewStatement();
    ASSERT_EQ(PrepareStatement(s, reinterpret_cast<const SQLCHAR*>("select @@identity"), SQL_NTS), SQL_SUCCESS);
    s.rowCount = 5;
    ASSERT_EQ(OpenTypeInfoResult(s, c.dataType), SQL_SUCCESS);
    EXPECT_EQ(s.statementKind, kStatementTypeInfo);
    EXPECT_EQ(s.requestedType, c.requested) << c.version << " " << c.dataType;
    EXPECT_EQ(s.catalogRow, -1);
    EXPECT_EQ(s.rowCount, -1);
    // The type rows replace whatever was prepared.
    EXPECT_EQ(s.parseTree, nullptr);
    EXPECT_EQ(s.specialStatement, nullptr);
    EXPECT_EQ(s.prepared, 0);
  }
}

TEST(TypeInfoResult, RefusedWhileBusy) {
  Connection conn(kConnected);
  StatementHandle& s = *conn.NewStatement();
  ASSERT_EQ(OpenTypeInfoResult(s, SQL_ALL_TYPES), SQL_SUCCESS);
  EXPECT_EQ(OpenTypeInfoResult(s, SQL_VARCHAR), SQL_ERROR);
  EXPECT_EQ(s.diagnostic.messageId, kMsgInvalidCursorState);
  EXPECT_EQ(s.requestedType, SQL_ALL_TYPES);
  StatementHandle& waiting = *conn.NewStatement();
  waiting.dataAtExecution = 1;
  EXPECT_EQ(OpenTypeInfoResult(waiting, SQL_ALL_TYPES), SQL_ERROR);
  EXPECT_EQ(waiting.statementKind, kStatementNone);
}

}  // namespace
