// Shared by the files that give the columns of catalog rows: the value
// setters, the catalog-name rule and the key columns of a described table;
// and the column values of the kinds that have files of their own.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "odbc/catalog_rows.h"

struct ColumnDescriptor;
struct StatementHandle;
struct TableCursor;

inline void SetCatalogNull(CatalogValue& value) { value.isNull = true; }
inline void SetCatalogNumber(CatalogValue& value, std::int32_t number) {
  value.isNull = false;
  value.number = number;
}
inline void SetCatalogText(CatalogValue& value, std::string_view text) {
  value.isNull = false;
  value.text.assign(text.data(), text.size());
}
// NULL where the source keeps its "no value" mark.
inline void SetCatalogNumberOrNull(CatalogValue& value, std::int32_t number, std::int32_t noValue) {
  if (number == noValue) SetCatalogNull(value);
  else SetCatalogNumber(value, number);
}
inline void SetCatalogTextOrNull(CatalogValue& value, const char* text) {
  if (text == nullptr) SetCatalogNull(value);
  else SetCatalogText(value, text);
}

// The catalog column of a row: the connection's GLOBALCATALOG when set,
// else the application's name.
std::string CatalogNameOf(const StatementHandle& statement, const std::string& applicationName);

// The described table's key: how many columns it has, and the column at a
// 1-based key position (nullptr when none).
std::uint16_t CountKeyColumns(const TableCursor& cursor);
const ColumnDescriptor* FindKeyColumn(const TableCursor& cursor, std::uint16_t position, std::uint32_t* index = nullptr);

// SQL_DATA_TYPE and SQL_DATETIME_SUB of a type code in either date-time
// form: the date-time types share 9 (SQL_DATETIME) with a subcode 1 to 3,
// which the other types don't have (false).
std::int16_t VerboseSqlType(std::int16_t type);
bool DateTimeSubcode(std::int16_t type, std::int32_t& code);

// The columns of SQLColumns, SQLSpecialColumns and SQLGetTypeInfo rows:
// 0, or 1020 when the column or its type row can't be found.
MessageId ReadColumnsValue(const StatementHandle& statement, std::uint16_t column, SQLSMALLINT cType,
                           SQLLEN bufferLength, CatalogValue& value);
MessageId ReadSpecialColumnsValue(const StatementHandle& statement, std::uint16_t column, CatalogValue& value);
MessageId ReadTypeInfoValue(const StatementHandle& statement, std::uint16_t column, CatalogValue& value);
