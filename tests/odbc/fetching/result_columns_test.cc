// Result-column descriptions the Driver Manager tests can't reach: one size
// for an attachment column in every answer and in the type table, and
// prepared statements described before they run.
#include <gtest/gtest.h>

#include <string>

#include "connection/type_info.h"
#include "fetch_session.h"
#include "odbc/column_attribute_fields.h"
#include "odbc/column_attributes.h"
#include "odbc/prepare_statement.h"

namespace {

SQLLEN Field(StatementHandle& s, SQLUSMALLINT column, SQLUSMALLINT field) {
  SQLLEN value = -1;
  EXPECT_EQ(ColumnAttributeCore(s, column, field, nullptr, 0, nullptr, &value), SQL_SUCCESS) << field;
  return value;
}

TEST(ResultColumns, AttachmentSizeAgreesEverywhere) {
  FetchSession session;
  ASSERT_TRUE(session.Ready());
  StatementHandle& s = session.Statement();
  ASSERT_EQ(session.Run("SELECT Invoice FROM \"Sales: Orders\""), SQL_SUCCESS);
  const SQLLEN size = FindTypeInfoRow(SQL_LONGVARBINARY)->columnSize;
  SQLULEN described = 0;
  ASSERT_EQ(DescribeResultColumn(s, 1, nullptr, 0, nullptr, nullptr, &described, nullptr, nullptr), SQL_SUCCESS);
  EXPECT_EQ(static_cast<SQLLEN>(described), size);
  for (SQLUSMALLINT field : {SQL_DESC_LENGTH, SQL_DESC_OCTET_LENGTH, SQL_COLUMN_LENGTH, SQL_COLUMN_PRECISION})
    EXPECT_EQ(Field(s, 1, field), size) << field;
}

// A prepared SELECT is described from its select list before it runs,
// expressions by the types the binder gave them; a prepared statement
// without a result has no columns.
TEST(ResultColumns, PreparedStatementsBeforeTheyRun) {
  FetchSession session;
  ASSERT_TRUE(session.Ready());
  StatementHandle& s = session.Statement();
  auto prepare = [&s](const char* sql) {
    return PrepareStatement(s, reinterpret_cast<const SQLCHAR*>(sql), SQL_NTS);
  };
  ASSERT_EQ(prepare("SELECT Amount * 2 AS Twice, 'abc', {fn NOW()}, COUNT(*) FROM \"Sales: Orders\" GROUP BY Amount"),
            SQL_SUCCESS);
  struct Expected {
    const char* name;
    SQLSMALLINT type;
    SQLLEN updatable;
  } const expected[] = {{"Twice", SQL_DOUBLE, SQL_ATTR_READWRITE_UNKNOWN},
                        {"", SQL_VARCHAR, SQL_ATTR_READWRITE_UNKNOWN},
                        {"", SQL_TYPE_TIMESTAMP, SQL_ATTR_READWRITE_UNKNOWN},
                        {"", SQL_INTEGER, SQL_ATTR_READWRITE_UNKNOWN}};
  EXPECT_EQ(Field(s, 0, SQL_DESC_COUNT), 4);
  for (SQLUSMALLINT column = 1; column <= 4; ++column) {
    const Expected& e = expected[column - 1];
    SQLCHAR name[32] = "untouched";
    SQLSMALLINT type = 0;
    ASSERT_EQ(DescribeResultColumn(s, column, name, sizeof name, nullptr, &type, nullptr, nullptr, nullptr),
              SQL_SUCCESS);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(name)), e.name);
    EXPECT_EQ(type, e.type) << column;
    EXPECT_EQ(Field(s, column, SQL_DESC_UPDATABLE), e.updatable) << column;
  }
  SQLSMALLINT type = 0;
  EXPECT_EQ(DescribeResultColumn(s, 5, nullptr, 0, nullptr, &type, nullptr, nullptr, nullptr), SQL_ERROR);
  EXPECT_EQ(s.diagnostic.messageId, kMsgInvalidColumnId);

  ASSERT_EQ(prepare("INSERT INTO \"Sales: Order Lines\" (Product) VALUES ('x')"), SQL_SUCCESS);
  EXPECT_EQ(Field(s, 0, SQL_DESC_COUNT), 0);
  EXPECT_EQ(GetColumnAttribute(s, 1, SQL_COLUMN_NAME, nullptr, 0, nullptr, nullptr), SQL_ERROR);
  EXPECT_EQ(s.diagnostic.messageId, kMsgInvalidColumnId);
}

}  // namespace
