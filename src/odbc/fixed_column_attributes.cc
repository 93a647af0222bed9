// Attributes of the columns whose description never depends on a query: the
// catalog results' fixed tables, the bookmark column and the pass-through
// pseudo-column.
#include <sqlext.h>

#include "connection/type_info.h"
#include "handles/handles.h"
#include "handles/statement_handle.h"
#include "odbc/column_attribute_answers.h"

namespace {

// The pseudo-column that stands for the outcome of an OQ statement.
constexpr const char* kOpenQueryName = "TarvoxOpenQuery";
constexpr const char* kOpenQueryOwner = "Tarvox";
constexpr const char* kOpenQueryQualifier = "OpenQuery";

std::int64_t CaseSensitivity(const StatementHandle& statement, std::int16_t value) {
  if (value != kCaseSensitiveAsConnection) return value;
  const ConnectionRecord* record = statement.connection != nullptr ? statement.connection->record : nullptr;
  return record != nullptr && IsConnectionCaseSensitive(*record) ? 1 : 0;
}

bool IsNumberColumn(CatalogColumnType type) {
  return type == CatalogColumnType::kSmallInt || type == CatalogColumnType::kInteger;
}

ColumnAttributeAnswer CatalogColumnAttribute(const StatementHandle& statement, const CatalogColumn& c,
                                             std::uint16_t attribute) {
  switch (attribute) {
    case SQL_COLUMN_NAME:
    case SQL_COLUMN_LABEL: return TextAnswer(c.name);
    case SQL_COLUMN_TYPE: return NumberAnswer(CatalogColumnSqlType(c.type));
    case SQL_COLUMN_LENGTH: return NumberAnswer(CatalogColumnLength(c.type));
    case SQL_COLUMN_PRECISION:
    case SQL_COLUMN_DISPLAY_SIZE: return NumberAnswer(CatalogColumnPrecision(c.type));
    case SQL_COLUMN_NULLABLE: return NumberAnswer(c.nullable);
    // Type codes and sizes may be negative; readers that honour the flag
    // would refuse DATA_TYPE -1 in an unsigned C type.
    case SQL_COLUMN_UNSIGNED: return NumberAnswer(IsNumberColumn(c.type) ? 0 : 1);
    case SQL_COLUMN_CASE_SENSITIVE: return NumberAnswer(CaseSensitivity(statement, c.caseSensitive));
    case SQL_COLUMN_TYPE_NAME: return TextAnswer(CatalogColumnTypeName(c.type));
    case SQL_COLUMN_TABLE_NAME:
    case SQL_COLUMN_OWNER_NAME:
    case SQL_COLUMN_QUALIFIER_NAME: return TextAnswer("");
    default: return NumberAnswer(0);  // scale, money, updatable, auto increment, searchable
  }
}

}  // namespace

bool IsTextAttribute(std::uint16_t attribute) {
  switch (attribute) {
    case SQL_COLUMN_NAME:
    case SQL_COLUMN_TYPE_NAME:
    case SQL_COLUMN_TABLE_NAME:
    case SQL_COLUMN_OWNER_NAME:
    case SQL_COLUMN_QUALIFIER_NAME:
    case SQL_COLUMN_LABEL: return true;
    default: return false;
  }
}

MessageId AnswerCatalogAttribute(const StatementHandle& statement, const CatalogColumnTable& table,
                                 std::uint16_t column, std::uint16_t attribute, ColumnAttributeAnswer& answer) {
  if (attribute == SQL_COLUMN_COUNT) {
    answer = NumberAnswer(table.count);
    return kMsgSuccess;
  }
  if (column > table.count) return kMsgInvalidColumnId;
  answer = column == 0 ? BookmarkColumnAttribute(attribute)
                       : CatalogColumnAttribute(statement, table.columns[column - 1], attribute);
  return kMsgSuccess;
}

ColumnAttributeAnswer BookmarkColumnAttribute(std::uint16_t attribute) {
  switch (attribute) {
    case SQL_COLUMN_TYPE: return NumberAnswer(SQL_BINARY);
    case SQL_COLUMN_LENGTH:
    case SQL_COLUMN_PRECISION: return NumberAnswer(4);
    case SQL_COLUMN_DISPLAY_SIZE: return NumberAnswer(8);
    case SQL_COLUMN_TYPE_NAME: return TextAnswer("BOOKMARK");
    default: return IsTextAttribute(attribute) ? TextAnswer("") : NumberAnswer(0);
  }
}

ColumnAttributeAnswer OpenQueryColumnAttribute(std::uint16_t attribute) {
  switch (attribute) {
    case SQL_COLUMN_COUNT: return NumberAnswer(1);
    case SQL_COLUMN_NAME:
    case SQL_COLUMN_LABEL:
    case SQL_COLUMN_TYPE_NAME:
    case SQL_COLUMN_TABLE_NAME: return TextAnswer(kOpenQueryName);
    case SQL_COLUMN_OWNER_NAME: return TextAnswer(kOpenQueryOwner);
    case SQL_COLUMN_QUALIFIER_NAME: return TextAnswer(kOpenQueryQualifier);
    case SQL_COLUMN_TYPE: return NumberAnswer(SQL_INTEGER);
    case SQL_COLUMN_LENGTH:
    case SQL_COLUMN_PRECISION: return NumberAnswer(4);
    case SQL_COLUMN_DISPLAY_SIZE: return NumberAnswer(8);
    default: return NumberAnswer(0);
  }
}
