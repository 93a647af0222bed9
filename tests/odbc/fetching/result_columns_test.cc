// Result-column descriptions over the demo fixture: a column of every field
// type under ODBC 3 and ODBC 2, the IRD fields SQLColAttribute reads, one
// size for an attachment column wherever it is asked, and prepared
// statements described before they run.
#include <gtest/gtest.h>

#include <string>

#include "connection/type_info.h"
#include "fetch_session.h"
#include "odbc/column_attribute_fields.h"
#include "odbc/column_attributes.h"
#include "odbc/prepare_statement.h"

namespace {

struct Described {
  std::string name;
  SQLSMALLINT type = 0;
  SQLULEN size = 0;
  SQLSMALLINT digits = -1;
  SQLSMALLINT nullable = -1;
  SQLLEN displaySize = 0;
  std::string typeName;
};

Described Describe(StatementHandle& statement, SQLUSMALLINT column) {
  Described d;
  SQLCHAR name[128] = {0};
  SQLSMALLINT nameLength = 0;
  EXPECT_EQ(DescribeResultColumn(statement, column, name, sizeof name, &nameLength, &d.type, &d.size, &d.digits,
                                 &d.nullable),
            SQL_SUCCESS)
      << column;
  d.name = reinterpret_cast<char*>(name);
  EXPECT_EQ(nameLength, static_cast<SQLSMALLINT>(d.name.size()));
  GetColumnAttribute(statement, column, SQL_COLUMN_DISPLAY_SIZE, nullptr, 0, nullptr, &d.displaySize);
  SQLCHAR typeName[64] = {0};
  GetColumnAttribute(statement, column, SQL_COLUMN_TYPE_NAME, typeName, sizeof typeName, nullptr, nullptr);
  d.typeName = reinterpret_cast<char*>(typeName);
  return d;
}

// One column of each QuickBase field type, and the record id.
constexpr const char* kEveryFieldType =
    "SELECT o.\"Record ID_\", o.\"Order No\", c.Notes, o.Amount, o.Discount, c.Rating, o.\"Lead Time\", "
    "o.Shipped, c.\"Customer Since\", o.\"Ordered At\", o.\"Delivery Time\", c.\"Account Manager\", c.Email, "
    "o.Invoice, o.\"Net Amount\" FROM \"Sales: Orders\" o, \"Sales: Customers\" c WHERE o.\"Related Customer\" = "
    "c.\"Record ID_\"";

TEST(ResultColumns, EveryFieldTypeUnderBothOdbcVersions) {
  struct Expected {
    const char* name;
    SQLSMALLINT odbc3Type;
    SQLSMALLINT odbc2Type;
    SQLULEN size;
    SQLSMALLINT digits;
    SQLSMALLINT nullable;
    SQLLEN displaySize;
    const char* typeName;
  } const expected[] = {
      {"Record ID_", SQL_INTEGER, SQL_INTEGER, 10, 0, SQL_NO_NULLS, 11, "INTEGER"},
      {"Order No", SQL_VARCHAR, SQL_VARCHAR, 12, 0, SQL_NULLABLE, 12, "VARCHAR"},
      {"Notes", SQL_LONGVARCHAR, SQL_LONGVARCHAR, 65534, 0, SQL_NULLABLE, 65534, "LONGVARCHAR"},
      {"Amount", SQL_DOUBLE, SQL_DOUBLE, 15, 0, SQL_NULLABLE, 22, "DOUBLE"},
      {"Discount", SQL_DOUBLE, SQL_DOUBLE, 15, 0, SQL_NULLABLE, 22, "DOUBLE"},
      {"Rating", SQL_DOUBLE, SQL_DOUBLE, 15, 0, SQL_NULLABLE, 22, "DOUBLE"},
      {"Lead Time", SQL_DOUBLE, SQL_DOUBLE, 15, 0, SQL_NULLABLE, 22, "DOUBLE"},
      {"Shipped", SQL_BIT, SQL_BIT, 1, 0, SQL_NULLABLE, 1, "BIT"},
      {"Customer Since", SQL_TYPE_DATE, SQL_DATE, 10, 0, SQL_NULLABLE, 10, "DATE"},
      {"Ordered At", SQL_TYPE_TIMESTAMP, SQL_TIMESTAMP, 23, 3, SQL_NULLABLE, 23, "DATETIME"},
      {"Delivery Time", SQL_TYPE_TIME, SQL_TIME, 8, 0, SQL_NULLABLE, 8, "TIME"},
      {"Account Manager", SQL_VARCHAR, SQL_VARCHAR, 254, 0, SQL_NULLABLE, 254, "VARCHAR"},
      {"Email", SQL_VARCHAR, SQL_VARCHAR, 254, 0, SQL_NULLABLE, 254, "VARCHAR"},
      {"Invoice", SQL_LONGVARBINARY, SQL_LONGVARBINARY, 2147483647, 0, SQL_NULLABLE, 4294967294, "LONGVARBINARY"},
      {"Net Amount", SQL_DOUBLE, SQL_DOUBLE, 15, 0, SQL_NULLABLE, 22, "DOUBLE"},
  };
  for (int version : {3, 2}) {
    FetchSession session(version);
    ASSERT_TRUE(session.Ready());
    ASSERT_EQ(session.Run(kEveryFieldType), SQL_SUCCESS) << session.Statement().diagnostic.messageId;
    SQLSMALLINT count = 0;
    ASSERT_EQ(CountResultColumns(session.Statement(), &count), SQL_SUCCESS);
    ASSERT_EQ(count, static_cast<SQLSMALLINT>(std::size(expected)));
    for (SQLUSMALLINT column = 1; column <= count; ++column) {
      const Expected& e = expected[column - 1];
      const Described d = Describe(session.Statement(), column);
      EXPECT_EQ(d.name, e.name);
      EXPECT_EQ(d.type, version == 3 ? e.odbc3Type : e.odbc2Type) << e.name << " under ODBC " << version;
      EXPECT_EQ(d.size, e.size) << e.name;
      EXPECT_EQ(d.digits, e.digits) << e.name;
      EXPECT_EQ(d.nullable, e.nullable) << e.name;
      EXPECT_EQ(d.displaySize, e.displaySize) << e.name;
      EXPECT_EQ(d.typeName, e.typeName) << e.name;
    }
  }
}

SQLLEN NumericField(StatementHandle& statement, SQLUSMALLINT column, SQLUSMALLINT field) {
  SQLLEN value = -1;
  EXPECT_EQ(ColumnAttributeCore(statement, column, field, nullptr, 0, nullptr, &value), SQL_SUCCESS) << field;
  return value;
}

std::string TextField(StatementHandle& statement, SQLUSMALLINT column, SQLUSMALLINT field) {
  char text[128] = "untouched";
  SQLSMALLINT length = -1;
  EXPECT_EQ(ColumnAttributeCore(statement, column, field, text, sizeof text, &length, nullptr), SQL_SUCCESS) << field;
  EXPECT_EQ(length, static_cast<SQLSMALLINT>(std::string(text).size())) << field;
  return text;
}

// The fields ODBC 3 applications read with SQLColAttribute, on a date, a
// timestamp, an attachment and a text column.
TEST(ResultColumns, DescriptorFieldsOfQueryColumns) {
  FetchSession session;
  ASSERT_TRUE(session.Ready());
  StatementHandle& s = session.Statement();
  ASSERT_EQ(session.Run("SELECT c.\"Customer Since\", c.Logo, c.Name AS Customer, c.Rating FROM "
                        "\"Sales: Customers\" c"),
            SQL_SUCCESS);
  struct Case {
    SQLUSMALLINT column;
    SQLUSMALLINT field;
    SQLLEN value;
  } const numbers[] = {
      {1, SQL_DESC_TYPE, SQL_DATETIME},
      {1, SQL_DESC_CONCISE_TYPE, SQL_TYPE_DATE},
      {1, SQL_DESC_DATETIME_INTERVAL_CODE, SQL_CODE_DATE},
      {1, SQL_DESC_PRECISION, 0},
      {1, SQL_DESC_OCTET_LENGTH, 6},
      {2, SQL_DESC_LENGTH, 2147483647},
      {2, SQL_DESC_OCTET_LENGTH, 2147483647},
      {2, SQL_COLUMN_PRECISION, 2147483647},
      {2, SQL_DESC_DISPLAY_SIZE, 4294967294},
      {2, SQL_DESC_SEARCHABLE, SQL_PRED_NONE},
      {2, SQL_DESC_UNSIGNED, SQL_TRUE},
      {3, SQL_DESC_LENGTH, 80},
      {3, SQL_DESC_CASE_SENSITIVE, SQL_TRUE},
      {3, SQL_DESC_UPDATABLE, SQL_ATTR_WRITE},
      {3, SQL_DESC_UNNAMED, SQL_NAMED},
      {4, SQL_DESC_PRECISION, 53},
      {4, SQL_DESC_NUM_PREC_RADIX, 2},
      {4, SQL_DESC_UNSIGNED, SQL_FALSE},
      {4, SQL_DESC_FIXED_PREC_SCALE, SQL_FALSE},
      {0, SQL_DESC_COUNT, 4},
  };
  for (const Case& c : numbers) EXPECT_EQ(NumericField(s, c.column, c.field), c.value) << c.column << "/" << c.field;
  EXPECT_EQ(TextField(s, 3, SQL_DESC_NAME), "Customer");
  EXPECT_EQ(TextField(s, 3, SQL_DESC_LABEL), "Customer");
  EXPECT_EQ(TextField(s, 3, SQL_DESC_TABLE_NAME), "c");
  EXPECT_EQ(TextField(s, 3, SQL_DESC_LITERAL_PREFIX), "'");
  EXPECT_EQ(TextField(s, 2, SQL_DESC_LITERAL_PREFIX), "0x");
  EXPECT_EQ(TextField(s, 1, SQL_DESC_TYPE_NAME), "DATE");
}

// An attachment column's size is the type table's LONGVARBINARY size in
// every answer.
TEST(ResultColumns, AttachmentSizeAgreesEverywhere) {
  FetchSession session;
  ASSERT_TRUE(session.Ready());
  StatementHandle& s = session.Statement();
  ASSERT_EQ(session.Run("SELECT Invoice FROM \"Sales: Orders\""), SQL_SUCCESS);
  const TypeInfoRow* row = FindTypeInfoRow(SQL_LONGVARBINARY);
  ASSERT_NE(row, nullptr);
  const Described d = Describe(s, 1);
  EXPECT_EQ(d.size, static_cast<SQLULEN>(row->columnSize));
  EXPECT_EQ(NumericField(s, 1, SQL_DESC_LENGTH), row->columnSize);
  EXPECT_EQ(NumericField(s, 1, SQL_DESC_OCTET_LENGTH), row->columnSize);
  EXPECT_EQ(NumericField(s, 1, SQL_COLUMN_LENGTH), row->columnSize);
  EXPECT_EQ(NumericField(s, 1, SQL_COLUMN_PRECISION), row->columnSize);
}

SQLRETURN Prepare(StatementHandle& statement, const char* sql) {
  return PrepareStatement(statement, reinterpret_cast<const SQLCHAR*>(sql), SQL_NTS);
}

// A prepared SELECT is described from its select list before it runs, its
// expressions by the types the binder gave them; a prepared statement
// without a result has no columns.
TEST(ResultColumns, PreparedStatementsBeforeTheyRun) {
  FetchSession session;
  ASSERT_TRUE(session.Ready());
  StatementHandle& s = session.Statement();
  ASSERT_EQ(Prepare(s, "SELECT Amount * 2 AS Twice, 'abc', {fn NOW()}, \"Order No\" FROM \"Sales: Orders\""),
            SQL_SUCCESS);
  ASSERT_EQ(s.statementKind, kStatementNone);
  SQLSMALLINT count = 0;
  EXPECT_EQ(CountResultColumns(s, &count), SQL_SUCCESS);
  EXPECT_EQ(count, 4);
  EXPECT_EQ(Describe(s, 1).name, "Twice");
  EXPECT_EQ(Describe(s, 1).type, SQL_DOUBLE);
  EXPECT_EQ(Describe(s, 2).name, "");
  EXPECT_EQ(Describe(s, 2).type, SQL_VARCHAR);
  EXPECT_EQ(Describe(s, 3).type, SQL_TYPE_TIMESTAMP);
  EXPECT_EQ(Describe(s, 4).name, "Order No");
  SQLLEN updatable = 0;
  EXPECT_EQ(GetColumnAttribute(s, 1, SQL_COLUMN_UPDATABLE, nullptr, 0, nullptr, &updatable), SQL_SUCCESS);
  EXPECT_EQ(updatable, SQL_ATTR_READWRITE_UNKNOWN);
  SQLLEN number = 0;
  EXPECT_EQ(GetColumnAttribute(s, 5, SQL_COLUMN_TYPE, nullptr, 0, nullptr, &number), SQL_ERROR);
  EXPECT_EQ(s.diagnostic.messageId, kMsgInvalidColumnId);

  ASSERT_EQ(Prepare(s, "SELECT COUNT(*) FROM \"Sales: Orders\""), SQL_SUCCESS);
  EXPECT_EQ(Describe(s, 1).type, SQL_INTEGER);
  EXPECT_EQ(Describe(s, 1).nullable, SQL_NULLABLE);

  ASSERT_EQ(Prepare(s, "INSERT INTO \"Sales: Order Lines\" (Product) VALUES ('x')"), SQL_SUCCESS);
  EXPECT_EQ(CountResultColumns(s, &count), SQL_SUCCESS);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(GetColumnAttribute(s, 1, SQL_COLUMN_NAME, nullptr, 0, nullptr, nullptr), SQL_ERROR);
  EXPECT_EQ(s.diagnostic.messageId, kMsgInvalidColumnId);
}

}  // namespace
