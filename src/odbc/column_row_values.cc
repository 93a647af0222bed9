// The columns of SQLColumns and SQLSpecialColumns rows: one column of the
// described table, with its type row's name and the sizes its type gives.
#include <sqlext.h>

#include "common/utf16_text.h"
#include "connection/type_info.h"
#include "handles/statement_handle.h"
#include "odbc/catalog_row_values.h"
#include "odbc/column_sizes.h"
#include "tables/column_type_info.h"
#include "tables/table_cursor.h"

namespace {

constexpr const char* kTruncatedDefault = "TRUNCATED";

// A column with its type row, T (the row's type in the statement's ODBC
// version) and the sizes of that type.
struct DescribedColumn {
  const ColumnDescriptor* column = nullptr;
  const TypeInfoRow* row = nullptr;
  std::int16_t type = 0;
  ColumnSizes sizes{0, 0, 0};
};

bool Describe(const StatementHandle& statement, std::uint32_t index, DescribedColumn& out) {
  const TableCursor* cursor = statement.catalogCursor;
  if (cursor == nullptr || index >= cursor->columns.size()) return false;
  out.column = &cursor->columns[index];
  out.row = FindColumnTypeInfoRow(*cursor, index);
  if (out.row == nullptr) return false;
  out.type = MapDateTypeForStatement(statement, out.row->dataType);
  // A type without sizes answers 0 for them.
  if (!SizesOfType(out.type, out.column->columnSize, out.row->unsignedAttribute == 1, out.sizes))
    out.sizes = ColumnSizes{0, 0, 0};
  return true;
}

bool IsRadixTen(std::int16_t type) {
  return type == SQL_TINYINT || type == SQL_BIGINT || (type >= SQL_NUMERIC && type <= SQL_DOUBLE);
}

bool HasOctetLength(std::int16_t type) {
  switch (type) {
    case SQL_LONGVARBINARY:
    case SQL_VARBINARY:
    case SQL_BINARY:
    case SQL_LONGVARCHAR:
    case SQL_CHAR:
    case SQL_VARCHAR: return true;
    default: return false;
  }
}

// The bytes a character buffer needs for the whole text and its NUL.
SQLLEN CharacterBytes(SQLSMALLINT cType, const std::string& text) {
  if (cType == SQL_C_WCHAR) return static_cast<SQLLEN>(Utf8ToUtf16Le(text).size()) + 2;
  return static_cast<SQLLEN>(text.size()) + 1;
}

// The default value only where a character buffer holds all of it; any
// other read gets a word that says so.
void SetColumnDefault(const std::string& text, SQLSMALLINT cType, SQLLEN bufferLength, CatalogValue& value) {
  const bool character = cType == SQL_C_CHAR || cType == SQL_C_WCHAR;
  SetCatalogText(value, character && bufferLength >= CharacterBytes(cType, text) ? text : kTruncatedDefault);
}

void SetIsNullable(std::int16_t nullable, CatalogValue& value) {
  if (nullable == SQL_NO_NULLS) SetCatalogText(value, "NO");
  else if (nullable == SQL_NULLABLE) SetCatalogText(value, "YES");
}

}  // namespace

std::int16_t VerboseSqlType(std::int16_t type) {
  std::int32_t code = 0;
  return DateTimeSubcode(type, code) ? SQL_DATETIME : type;
}

bool DateTimeSubcode(std::int16_t type, std::int32_t& code) {
  switch (type) {
    case SQL_DATE:
    case SQL_TYPE_DATE: code = SQL_CODE_DATE; return true;
    case SQL_TIME:
    case SQL_TYPE_TIME: code = SQL_CODE_TIME; return true;
    case SQL_TIMESTAMP:
    case SQL_TYPE_TIMESTAMP: code = SQL_CODE_TIMESTAMP; return true;
    default: return false;
  }
}

MessageId ReadColumnsValue(const StatementHandle& statement, std::uint16_t column, SQLSMALLINT cType,
                           SQLLEN bufferLength, CatalogValue& value) {
  DescribedColumn d;
  if (!Describe(statement, static_cast<std::uint32_t>(statement.catalogRow), d)) return kMsgQuickBaseError;
  const ColumnDescriptor& x = *d.column;
  std::int32_t subcode = 0;
  switch (column) {
    case 1: SetCatalogText(value, CatalogNameOf(statement, statement.catalogName)); break;
    case 3: SetCatalogText(value, statement.catalogTableName); break;
    case 4: SetCatalogText(value, x.name); break;
    case 5: SetCatalogNumber(value, d.type); break;
    case 6: SetCatalogText(value, d.row->typeName); break;
    case 7: SetCatalogNumber(value, static_cast<std::int32_t>(d.sizes.precision)); break;
    case 8: SetCatalogNumber(value, static_cast<std::int32_t>(d.sizes.length)); break;
    case 9: SetCatalogNumber(value, x.decimalDigits); break;
    case 10:
      if (IsRadixTen(d.type)) SetCatalogNumber(value, 10);
      break;
    case 11: SetCatalogNumber(value, x.nullable); break;
    case 13: SetColumnDefault(x.defaultValue, cType, bufferLength, value); break;
    case 14: SetCatalogNumber(value, VerboseSqlType(d.type)); break;
    case 15:
      if (DateTimeSubcode(d.type, subcode)) SetCatalogNumber(value, subcode);
      break;
    case 16:
      if (HasOctetLength(d.type)) SetCatalogNumber(value, static_cast<std::int32_t>(d.sizes.length));
      break;
    case 17: SetCatalogNumber(value, statement.catalogRow + 1); break;
    case 18: SetIsNullable(x.nullable, value); break;
    default: break;  // TABLE_SCHEM, REMARKS
  }
  return kMsgSuccess;
}

MessageId ReadSpecialColumnsValue(const StatementHandle& statement, std::uint16_t column, CatalogValue& value) {
  std::uint32_t index = 0;
  if (statement.catalogCursor == nullptr ||
      FindKeyColumn(*statement.catalogCursor, static_cast<std::uint16_t>(statement.catalogRow + 1), &index) ==
          nullptr)
    return kMsgQuickBaseError;
  DescribedColumn d;
  if (!Describe(statement, index, d)) return kMsgQuickBaseError;
  switch (column) {
    case 1: SetCatalogNumber(value, SQL_SCOPE_SESSION); break;
    case 2: SetCatalogText(value, d.column->name); break;
    case 3: SetCatalogNumber(value, d.type); break;
    case 4: SetCatalogText(value, d.row->typeName); break;
    case 5: SetCatalogNumber(value, static_cast<std::int32_t>(d.sizes.precision)); break;
    case 6: SetCatalogNumber(value, static_cast<std::int32_t>(d.sizes.length)); break;
    case 7: SetCatalogNumber(value, d.column->decimalDigits); break;
    default: SetCatalogNumber(value, SQL_PC_UNKNOWN); break;  // PSEUDO
  }
  return kMsgSuccess;
}
