// Column descriptions that need no query: catalog results, the bookmark
// column, the pass-through pseudo-column and a statement without a result.
#include "odbc/column_attributes.h"

#include <gtest/gtest.h>

#include <sqlext.h>

#include <string>

#include "odbc/column_attribute_fields.h"
#include "odbc_test_handles.h"

namespace {

struct Attribute {
  SQLRETURN result;
  std::string text;
  SQLSMALLINT textLength = -1;
  SQLLEN number = -1;  // all ones: a store narrower than SQLLEN leaves the high half
};

Attribute Read(StatementHandle& statement, std::uint16_t column, std::uint16_t attribute, SQLSMALLINT size = 64) {
  Attribute a;
  char buffer[64] = "untouched";
  a.result = GetColumnAttribute(statement, column, attribute, reinterpret_cast<SQLCHAR*>(buffer), size,
                                &a.textLength, &a.number);
  a.text = buffer;
  return a;
}

TEST(ColumnAttributes, CatalogResults) {
  Connection c;
  StatementHandle& s = *c.NewStatement();
  // ODBC 2 applications get foreign keys without DEFERRABILITY.
  const std::int64_t counts[] = {5, 18, 13, 8, 19, 6, 14, 13};
  for (std::int32_t n = 1; n <= 8; ++n) {
    s.statementKind = n == 8 ? kStatementForeignKeys : n;
    c.environment->odbcVersion = n == 8 ? 2 : 3;
    SQLSMALLINT count = -1;
    EXPECT_EQ(CountResultColumns(s, &count), SQL_SUCCESS);
    EXPECT_EQ(count, counts[n - 1]) << n;
    EXPECT_EQ(Read(s, static_cast<std::uint16_t>(count + 1), SQL_COLUMN_NAME).result, SQL_ERROR);
    EXPECT_EQ(s.diagnostic.messageId, kMsgInvalidColumnId);
  }
  c.environment->odbcVersion = 3;
  s.statementKind = 4;
  SQLCHAR name[16] = "untouched";
  SQLSMALLINT type = 0;
  // A name buffer without a length variable still receives the name.
  EXPECT_EQ(DescribeResultColumn(s, 4, name, sizeof name, nullptr, &type, nullptr, nullptr, nullptr), SQL_SUCCESS);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(name)), "TYPENAME");
  s.statementKind = 1;
  // Names compare without case on this connection; remarks are text.
  EXPECT_EQ(Read(s, 3, SQL_COLUMN_CASE_SENSITIVE).number, 0);
  EXPECT_EQ(Read(s, 5, SQL_COLUMN_CASE_SENSITIVE).number, 1);
  const Attribute cut = Read(s, 3, SQL_COLUMN_NAME, 4);
  EXPECT_EQ(cut.result, SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(cut.text, "TAB");
  EXPECT_EQ(cut.textLength, 10);
  EXPECT_EQ(s.diagnostic.messageId, kMsgDataTruncated);
  EXPECT_EQ(Read(s, 3, SQL_COLUMN_NAME, -1).result, SQL_ERROR);
  EXPECT_EQ(s.diagnostic.messageId, kMsgInvalidBufferLength);
  EXPECT_EQ(Read(s, 1, SQL_COLUMN_LABEL + 1).result, SQL_ERROR);
  EXPECT_EQ(s.diagnostic.messageId, kMsgNotSupportedDetail);
}

TEST(ColumnAttributes, BookmarkPassThroughAndIdleStatements) {
  Connection c;
  StatementHandle& s = *c.NewStatement();
  SQLSMALLINT count = -1;
  EXPECT_EQ(CountResultColumns(s, &count), SQL_SUCCESS);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(Read(s, 1, SQL_COLUMN_NAME).result, SQL_ERROR);
  EXPECT_EQ(s.diagnostic.messageId, kMsgInvalidCursorState);

  s.statementKind = 2;
  SQLSMALLINT type = 0;
  SQLULEN size = 0;
  ASSERT_EQ(DescribeResultColumn(s, 0, nullptr, 0, nullptr, &type, &size, nullptr, nullptr), SQL_SUCCESS);
  EXPECT_EQ(type, SQL_BINARY);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(Read(s, 0, SQL_COLUMN_TYPE_NAME).text, "BOOKMARK");

  s.statementKind = kStatementNone;
  s.passThrough = 1;
  EXPECT_EQ(CountResultColumns(s, &count), SQL_SUCCESS);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(Read(s, 7, SQL_COLUMN_NAME).text, "TarvoxOpenQuery");
  EXPECT_EQ(Read(s, 1, SQL_COLUMN_TYPE).number, SQL_INTEGER);
}

// SQLColAttribute's descriptor fields, each written as a whole SQLLEN.
TEST(ColumnAttributes, DescriptorFields) {
  Connection c;
  StatementHandle& s = *c.NewStatement();
  s.statementKind = 6;
  struct Case {
    std::uint16_t field;
    std::uint16_t column;
    SQLLEN number;
  } const cases[] = {
      {SQL_DESC_COUNT, 0, 6},           {SQL_DESC_CONCISE_TYPE, 5, SQL_SMALLINT}, {SQL_DESC_LENGTH, 3, 128},
      {SQL_DESC_OCTET_LENGTH, 5, 2},    {SQL_DESC_PRECISION, 5, 5},               {SQL_DESC_UNNAMED, 3, SQL_NAMED},
      {SQL_DESC_UNNAMED, 0, SQL_UNNAMED}, {SQL_DESC_SEARCHABLE, 3, SQL_SEARCHABLE}, {SQL_DESC_NUM_PREC_RADIX, 5, 10},
  };
  for (const Case& k : cases) {
    SQLLEN number = -1;
    ASSERT_EQ(ColumnAttributeCore(s, k.column, k.field, nullptr, 0, nullptr, &number), SQL_SUCCESS) << k.field;
    EXPECT_EQ(number, k.number) << k.field;
  }
  char text[32];
  ASSERT_EQ(ColumnAttributeCore(s, 4, SQL_DESC_LITERAL_PREFIX, text, sizeof text, nullptr, nullptr), SQL_SUCCESS);
  EXPECT_EQ(std::string(text), "'");
  EXPECT_EQ(ColumnAttributeCore(s, 1, 9999, nullptr, 0, nullptr, nullptr), SQL_ERROR);
  EXPECT_EQ(s.diagnostic.messageId, kMsgInvalidDescriptorField);
}

}  // namespace
