// The fixed result columns of the catalog functions (SQLTables, SQLColumns,
// SQLStatistics, SQLSpecialColumns, SQLGetTypeInfo, SQLPrimaryKeys,
// SQLForeignKeys, SQLProcedures), read by the result-column descriptions and
// by fetching.
#pragma once

#include <cstdint>

struct StatementHandle;

// A catalog column's type: VARCHAR(128), VARCHAR(254), SMALLINT, INTEGER or
// CHAR(1); its length, precision and display size follow from it.
enum class CatalogColumnType : std::uint8_t { kName, kText, kSmallInt, kInteger, kChar };

// Asks the connection whether names compare with case.
inline constexpr std::int16_t kCaseSensitiveAsConnection = -2;

struct CatalogColumn {
  const char* name;
  CatalogColumnType type;
  std::int16_t nullable;
  std::int16_t caseSensitive;  // 0, 1 or kCaseSensitiveAsConnection
};

struct CatalogColumnTable {
  std::uint16_t count;
  const CatalogColumn* columns;  // column n is columns[n - 1]
};

// The table of the statement's catalog kind (1 to 7, or procedures), or
// nullptr for any other kind. Foreign keys have 13 columns for an ODBC 2 application.
const CatalogColumnTable* GetCatalogColumnTable(const StatementHandle& statement);

// The SQL type (VARCHAR 12, SMALLINT 5, INTEGER 4, CHAR 1) and its name.
std::int16_t CatalogColumnSqlType(CatalogColumnType type);
const char* CatalogColumnTypeName(CatalogColumnType type);
// The length in bytes, and the precision, which is also the display size.
std::int32_t CatalogColumnLength(CatalogColumnType type);
std::int32_t CatalogColumnPrecision(CatalogColumnType type);
