// Field types of the service mapped to the columns SQL sees, and the table
// names that resolve to a table id.
#include "tables/table_schema.h"

#include <gtest/gtest.h>

#include "tables/table_names.h"

namespace {

SchemaField Field(const char* id, const char* type, const char* baseType, const char* mode = "",
                  const char* maxLength = "", const char* numLines = "") {
  SchemaField field;
  field.id = id;
  field.attributes["field_type"] = type;
  field.attributes["base_type"] = baseType;
  if (*mode) field.properties["mode"] = mode;  // mode may come as a child element
  if (*maxLength) field.properties["maxlength"] = maxLength;
  if (*numLines) field.properties["num_lines"] = numLines;
  field.properties["label"] = "Some-Label.x";
  return field;
}

TEST(TableSchema, MapsFieldTypesToSqlTypes) {
  struct Case {
    SchemaField field;
    std::int16_t sqlType;
    std::int32_t size;
    FieldKind kind;
    std::uint16_t rank;
    std::int16_t updatable;
    std::int16_t nullable;
  };
  const Case cases[] = {
      {Field("3", "recordid", "int32"), SQL_INTEGER, 10, FieldKind::kRecordId, 4, SQL_ATTR_READONLY, SQL_NO_NULLS},
      {Field("6", "text", "text", "", "80"), SQL_VARCHAR, 80, FieldKind::kText, 1, SQL_ATTR_WRITE, SQL_NULLABLE},
      {Field("6", "text", "text", "", "0"), SQL_VARCHAR, 254, FieldKind::kText, 1, SQL_ATTR_WRITE, SQL_NULLABLE},
      {Field("6", "text", "text", "", "300"), SQL_LONGVARCHAR, 65534, FieldKind::kText, 1, SQL_ATTR_WRITE,
       SQL_NULLABLE},
      {Field("6", "text", "text", "", "", "4"), SQL_LONGVARCHAR, 65534, FieldKind::kText, 0, SQL_ATTR_WRITE,
       SQL_NULLABLE},
      {Field("6", "multitext", "text"), SQL_LONGVARCHAR, 65534, FieldKind::kText, 0, SQL_ATTR_WRITE, SQL_NULLABLE},
      {Field("7", "currency", "float"), SQL_DOUBLE, 15, FieldKind::kNumeric, 2, SQL_ATTR_WRITE, SQL_NULLABLE},
      {Field("7", "percent", "float"), SQL_DOUBLE, 15, FieldKind::kNumeric, 0, SQL_ATTR_WRITE, SQL_NULLABLE},
      {Field("8", "checkbox", "bool"), SQL_BIT, 1, FieldKind::kCheckbox, 2, SQL_ATTR_WRITE, SQL_NULLABLE},
      {Field("9", "date", "int64"), SQL_DATE, 10, FieldKind::kDate, 2, SQL_ATTR_WRITE, SQL_NULLABLE},
      {Field("9", "timestamp", "int64"), SQL_TIMESTAMP, 23, FieldKind::kTimestamp, 2, SQL_ATTR_WRITE, SQL_NULLABLE},
      {Field("9", "timeofday", "int64"), SQL_TIME, 8, FieldKind::kTimeOfDay, 2, SQL_ATTR_WRITE, SQL_NULLABLE},
      {Field("9", "duration", "int64"), SQL_DOUBLE, 15, FieldKind::kDuration, 0, SQL_ATTR_WRITE, SQL_NULLABLE},
      {Field("9", "userid", "text"), SQL_VARCHAR, 254, FieldKind::kUser, 0, SQL_ATTR_WRITE, SQL_NULLABLE},
      {Field("9", "file", "text"), SQL_LONGVARBINARY, 2147483647, FieldKind::kFile, 0, SQL_ATTR_WRITE,
       SQL_NULLABLE},
      {Field("9", "float", "float", "virtual"), SQL_DOUBLE, 15, FieldKind::kNumeric, 2, SQL_ATTR_READONLY,
       SQL_NULLABLE},
      {Field("1", "timestamp", "int64"), SQL_TIMESTAMP, 23, FieldKind::kTimestamp, 2, SQL_ATTR_READONLY,
       SQL_NULLABLE},
      {Field("9", "dblink", "text"), SQL_VARCHAR, 254, FieldKind::kText, 1, SQL_ATTR_READONLY, SQL_NULLABLE},
  };
  for (const Case& c : cases) {
    ColumnDescriptor column;
    std::string what = c.field.attributes.at("field_type");
    ASSERT_EQ(MapFieldToColumn(c.field, "3", false, false, column), kMsgSuccess) << what;
    EXPECT_EQ(column.sqlType, c.sqlType) << what;
    EXPECT_EQ(column.columnSize, c.size) << what;
    EXPECT_EQ(column.fieldKind, c.kind) << what;
    EXPECT_EQ(column.pushDownRank, c.rank) << what;
    EXPECT_EQ(column.updatable, c.updatable) << what;
    EXPECT_EQ(column.nullable, c.nullable) << what;
    EXPECT_EQ(column.keyPosition, c.field.id == "3" ? 1 : 0) << what;
  }
}

TEST(TableSchema, UnknownBaseTypeFailsWithFour) {
  ColumnDescriptor column;
  EXPECT_EQ(MapFieldToColumn(Field("6", "hologram", "quaternion"), "3", false, false, column), kMsgAlreadyPosted);
}

TEST(TableNames, ResolvesEveryNameForm) {
  const std::vector<GrantedDatabase> granted = {
      {"Sales", "bapp1"}, {"Sales: Orders", "btab1"}, {"Sales: Lines", "btab2"},
      {"Archive", "bapp2"}, {"Archive: Orders", "btab3"}, {"Archive: Old Stuff", "btab4"}};
  const struct {
    const char* name;
    const char* tableId;
  } cases[] = {
      {"Sales: Orders", "btab1"}, {"sales:orders", "btab1"}, {"  Sales  :  Orders ", "btab1"},
      {"Lines", "btab2"},         {"old stuff", "btab4"},    {"Orders", ""},
      {"Sales", ""},              {"Nowhere: Orders", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(FindGrantedTableId(granted, c.name), c.tableId) << c.name;
}

}  // namespace
