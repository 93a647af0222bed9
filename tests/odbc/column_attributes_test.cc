// Column descriptions that need no query: the catalog results' fixed
// columns, the bookmark column, the pass-through pseudo-column and a
// statement without a result, through SQLColAttributes' core, SQLDescribeCol's
// and SQLColAttribute's.
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
  SQLLEN number = -999;
};

Attribute Read(StatementHandle& statement, std::uint16_t column, std::uint16_t attribute, SQLSMALLINT size = 64) {
  Attribute a;
  char buffer[64] = "untouched";
  a.result = GetColumnAttribute(statement, column, attribute, reinterpret_cast<SQLCHAR*>(buffer), size,
                                &a.textLength, &a.number);
  a.text = buffer;
  return a;
}

TEST(ColumnAttributes, CatalogResultsDescribeTheirFixedColumns) {
  struct Case {
    std::int32_t kind;
    std::int64_t count;
    std::uint16_t column;
    const char* name;
    SQLLEN type;
    SQLLEN length;
    SQLLEN precision;
    SQLLEN nullable;
    SQLLEN caseSensitive;
  } const cases[] = {
      {1, 5, 3, "TABLE_NAME", SQL_VARCHAR, 128, 128, 0, 0},
      {1, 5, 5, "REMARKS", SQL_VARCHAR, 254, 254, 1, 1},
      {2, 18, 5, "DATA_TYPE", SQL_SMALLINT, 2, 5, 0, 0},
      {2, 18, 16, "CHAR_OCTET_LENGTH", SQL_INTEGER, 4, 10, 1, 0},
      {3, 13, 10, "ASC_OR_DESC", SQL_CHAR, 1, 1, 1, 1},
      {4, 8, 2, "COLUMNNAME", SQL_VARCHAR, 128, 128, 0, 0},
      {4, 8, 4, "TYPENAME", SQL_VARCHAR, 128, 128, 0, 0},
      {5, 19, 19, "INTERVAL_PRECISION", SQL_SMALLINT, 2, 5, 1, 0},
      {6, 6, 6, "PK_NAME", SQL_VARCHAR, 254, 254, 1, 0},
      {7, 13, 13, "PK_NAME", SQL_VARCHAR, 254, 254, 1, 0},
  };
  Connection c;
  StatementHandle& s = *c.NewStatement();
  for (const Case& k : cases) {
    s.statementKind = k.kind;
    SQLSMALLINT count = -1;
    EXPECT_EQ(CountResultColumns(s, &count), SQL_SUCCESS);
    EXPECT_EQ(count, k.count) << k.kind;
    EXPECT_EQ(Read(s, k.column, SQL_COLUMN_NAME).text, k.name) << k.kind;
    EXPECT_EQ(Read(s, k.column, SQL_COLUMN_LABEL).text, k.name) << k.kind;
    EXPECT_EQ(Read(s, k.column, SQL_COLUMN_TYPE).number, k.type) << k.name;
    EXPECT_EQ(Read(s, k.column, SQL_COLUMN_LENGTH).number, k.length) << k.name;
    EXPECT_EQ(Read(s, k.column, SQL_COLUMN_PRECISION).number, k.precision) << k.name;
    EXPECT_EQ(Read(s, k.column, SQL_COLUMN_DISPLAY_SIZE).number, k.precision) << k.name;
    EXPECT_EQ(Read(s, k.column, SQL_COLUMN_NULLABLE).number, k.nullable) << k.name;
    EXPECT_EQ(Read(s, k.column, SQL_COLUMN_CASE_SENSITIVE).number, k.caseSensitive) << k.name;
    EXPECT_EQ(Read(s, k.column, SQL_COLUMN_UNSIGNED).number, 1) << k.name;
    EXPECT_EQ(Read(s, k.column, SQL_COLUMN_UPDATABLE).number, 0) << k.name;
    EXPECT_EQ(Read(s, k.column, SQL_COLUMN_TABLE_NAME).text, "") << k.name;
    const Attribute beyond = Read(s, static_cast<std::uint16_t>(k.count + 1), SQL_COLUMN_NAME);
    EXPECT_EQ(beyond.result, SQL_ERROR) << k.kind;
    EXPECT_EQ(s.diagnostic.messageId, kMsgInvalidColumnId) << k.kind;
  }
}

TEST(ColumnAttributes, BookmarkColumnAndPassThroughColumn) {
  Connection c;
  StatementHandle& s = *c.NewStatement();
  s.statementKind = 1;
  SQLCHAR name[16] = "untouched";
  SQLSMALLINT nameLength = -1, type = 0, digits = -1, nullable = -1;
  SQLULEN size = 0;
  ASSERT_EQ(DescribeResultColumn(s, 0, name, sizeof name, &nameLength, &type, &size, &digits, &nullable), SQL_SUCCESS);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(name)), "");
  EXPECT_EQ(nameLength, 0);
  EXPECT_EQ(type, SQL_BINARY);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(digits, 0);
  EXPECT_EQ(Read(s, 0, SQL_COLUMN_TYPE_NAME).text, "BOOKMARK");
  EXPECT_EQ(Read(s, 0, SQL_COLUMN_DISPLAY_SIZE).number, 8);

  s.statementKind = kStatementNone;
  s.passThrough = 1;
  SQLSMALLINT count = 0;
  EXPECT_EQ(CountResultColumns(s, &count), SQL_SUCCESS);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(Read(s, 7, SQL_COLUMN_NAME).text, "TarvoxOpenQuery");
  EXPECT_EQ(Read(s, 1, SQL_COLUMN_OWNER_NAME).text, "Tarvox");
  EXPECT_EQ(Read(s, 1, SQL_COLUMN_QUALIFIER_NAME).text, "OpenQuery");
  EXPECT_EQ(Read(s, 1, SQL_COLUMN_TYPE).number, SQL_INTEGER);
}

TEST(ColumnAttributes, IdleStatementAndRefusedAttributes) {
  Connection c;
  StatementHandle& s = *c.NewStatement();
  SQLSMALLINT count = -1;
  EXPECT_EQ(CountResultColumns(s, &count), SQL_SUCCESS);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(Read(s, 1, SQL_COLUMN_NAME).result, SQL_ERROR);
  EXPECT_EQ(s.diagnostic.messageId, kMsgInvalidCursorState);
  s.statementKind = 2;
  EXPECT_EQ(Read(s, 1, 19).result, SQL_ERROR);
  EXPECT_EQ(s.diagnostic.messageId, kMsgNotSupportedDetail);
  EXPECT_EQ(s.diagnostic.detailText, "column attribute 19");
  // A name cut to the buffer: what fits, the full length, and 01004.
  const Attribute cut = Read(s, 3, SQL_COLUMN_NAME, 4);
  EXPECT_EQ(cut.result, SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(cut.text, "TAB");
  EXPECT_EQ(cut.textLength, 10);
  EXPECT_EQ(s.diagnostic.messageId, kMsgDataTruncated);
}

// SQLDescribeCol fills what it is given: a name buffer without a length
// variable still receives the name, and a failure writes nothing.
TEST(ColumnAttributes, DescribeWritesOnlyGivenPointers) {
  Connection c;
  StatementHandle& s = *c.NewStatement();
  s.statementKind = 1;
  SQLCHAR name[32] = "untouched";
  SQLSMALLINT type = -1;
  EXPECT_EQ(DescribeResultColumn(s, 4, name, sizeof name, nullptr, &type, nullptr, nullptr, nullptr), SQL_SUCCESS);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(name)), "TABLE_TYPE");
  EXPECT_EQ(type, SQL_VARCHAR);
  SQLULEN size = 77;
  EXPECT_EQ(DescribeResultColumn(s, 6, name, sizeof name, nullptr, &type, &size, nullptr, nullptr), SQL_ERROR);
  EXPECT_EQ(size, 77u);
  EXPECT_EQ(s.diagnostic.messageId, kMsgInvalidColumnId);
}

// SQLColAttribute's descriptor fields, written as SQLLEN whatever their
// width in the descriptor, so no stale high half survives.
TEST(ColumnAttributes, DescriptorFieldsOfCatalogColumns) {
  Connection c;
  StatementHandle& s = *c.NewStatement();
  s.statementKind = 6;
  struct Case {
    std::uint16_t field;
    std::uint16_t column;
    SQLLEN number;
    const char* text;
  } const cases[] = {
      {SQL_DESC_COUNT, 0, 6, nullptr},
      {SQL_COLUMN_COUNT, 3, 6, nullptr},
      {SQL_DESC_CONCISE_TYPE, 5, SQL_SMALLINT, nullptr},
      {SQL_DESC_TYPE, 5, SQL_SMALLINT, nullptr},
      {SQL_DESC_LENGTH, 3, 128, nullptr},
      {SQL_DESC_OCTET_LENGTH, 5, 2, nullptr},
      {SQL_DESC_PRECISION, 5, 5, nullptr},
      {SQL_DESC_NULLABLE, 3, 0, nullptr},
      {SQL_DESC_UNNAMED, 3, SQL_NAMED, nullptr},
      {SQL_DESC_UNNAMED, 0, SQL_UNNAMED, nullptr},
      {SQL_DESC_SEARCHABLE, 3, SQL_SEARCHABLE, nullptr},
      {SQL_DESC_NUM_PREC_RADIX, 5, 10, nullptr},
      {SQL_DESC_DATETIME_INTERVAL_CODE, 5, 0, nullptr},
      {SQL_COLUMN_LENGTH, 6, 254, nullptr},
      {SQL_DESC_NAME, 4, 0, "COLUMN_NAME"},
      {SQL_DESC_BASE_COLUMN_NAME, 4, 0, "COLUMN_NAME"},
      {SQL_DESC_TYPE_NAME, 5, 0, "SMALLINT"},
      {SQL_DESC_LITERAL_PREFIX, 4, 0, "'"},
      {SQL_DESC_LITERAL_SUFFIX, 5, 0, ""},
      {SQL_DESC_LOCAL_TYPE_NAME, 5, 0, ""},
  };
  for (const Case& k : cases) {
    char text[32] = "untouched";
    SQLSMALLINT textLength = -1;
    SQLLEN number = -1;  // all ones: a 32-bit store would leave the high half
    ASSERT_EQ(ColumnAttributeCore(s, k.column, k.field, text, sizeof text, &textLength, &number), SQL_SUCCESS)
        << k.field;
    if (k.text != nullptr) EXPECT_EQ(std::string(text), k.text) << k.field;
    else EXPECT_EQ(number, k.number) << k.field;
  }
  SQLLEN number = 0;
  EXPECT_EQ(ColumnAttributeCore(s, 1, 9999, nullptr, 0, nullptr, &number), SQL_ERROR);
  EXPECT_EQ(s.diagnostic.messageId, kMsgInvalidDescriptorField);
}

}  // namespace
