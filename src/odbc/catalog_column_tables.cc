// The catalog result layouts. Every column is read-only, not money,
// not auto-incremented, unsearchable, of scale 0 and labelled with its name;
// its numbers are signed.
#include "odbc/catalog_column_tables.h"

#include <sql.h>

#include <iterator>

#include "connection/type_info.h"
#include "handles/statement_handle.h"

namespace {

using T = CatalogColumnType;
constexpr std::int16_t kAsked = kCaseSensitiveAsConnection;

constexpr CatalogColumn kTables[] = {
    {"TABLE_CAT", T::kName, 1, kAsked},  {"TABLE_SCHEM", T::kName, 1, kAsked}, {"TABLE_NAME", T::kName, 0, kAsked},
    {"TABLE_TYPE", T::kName, 0, 0},      {"REMARKS", T::kText, 1, 1},
};

constexpr CatalogColumn kColumns[] = {
    {"TABLE_CAT", T::kName, 1, kAsked},       {"TABLE_SCHEM", T::kName, 1, kAsked},
    {"TABLE_NAME", T::kName, 0, kAsked},      {"COLUMN_NAME", T::kName, 0, kAsked},
    {"DATA_TYPE", T::kSmallInt, 0, 0},        {"TYPE_NAME", T::kName, 0, 0},
    {"COLUMN_SIZE", T::kInteger, 1, 0},       {"BUFFER_LENGTH", T::kInteger, 1, 0},
    {"DECIMAL_DIGITS", T::kSmallInt, 1, 0},   {"NUM_PREC_RADIX", T::kSmallInt, 1, 0},
    {"NULLABLE", T::kSmallInt, 0, 0},         {"REMARKS", T::kText, 1, 1},
    {"COLUMN_DEF", T::kText, 1, 1},           {"SQL_DATA_TYPE", T::kSmallInt, 0, 0},
    {"SQL_DATETIME_SUB", T::kSmallInt, 1, 0}, {"CHAR_OCTET_LENGTH", T::kInteger, 1, 0},
    {"ORDINAL_POSITION", T::kInteger, 0, 0},  {"IS_NULLABLE", T::kText, 1, 1},
};

constexpr CatalogColumn kStatistics[] = {
    {"TABLE_CAT", T::kName, 1, kAsked},       {"TABLE_SCHEM", T::kName, 1, kAsked},
    {"TABLE_NAME", T::kName, 0, kAsked},      {"NON_UNIQUE", T::kSmallInt, 1, 0},
    {"INDEX_QUALIFIER", T::kName, 1, kAsked}, {"INDEX_NAME", T::kName, 1, kAsked},
    {"TYPE", T::kSmallInt, 0, 0},             {"ORDINAL_POSITION", T::kSmallInt, 1, 0},
    {"COLUMN_NAME", T::kName, 1, kAsked},     {"ASC_OR_DESC", T::kChar, 1, 1},
    {"CARDINALITY", T::kInteger, 1, 0},       {"PAGES", T::kInteger, 1, 0},
    {"FILTER_CONDITION", T::kName, 1, kAsked},
};

// COLUMNNAME and TYPENAME are spelt without underscores, as ODBC 1 named them.
constexpr CatalogColumn kSpecialColumns[] = {
    {"SCOPE", T::kSmallInt, 1, 0},   {"COLUMNNAME", T::kName, 0, kAsked}, {"TYPE", T::kSmallInt, 0, 0},
    {"TYPENAME", T::kName, 0, 0},    {"PRECISION", T::kInteger, 1, 0},    {"LENGTH", T::kInteger, 1, 0},
    {"SCALE", T::kSmallInt, 1, 0},   {"PSEUDO", T::kSmallInt, 1, 0},
};

constexpr CatalogColumn kTypeInfo[] = {
    {"TYPE_NAME", T::kName, 0, 0},           {"DATA_TYPE", T::kSmallInt, 0, 0},
    {"COLUMN_SIZE", T::kInteger, 1, 0},      {"LITERAL_PREFIX", T::kName, 1, 0},
    {"LITERAL_SUFFIX", T::kName, 1, 0},      {"CREATE_PARAMS", T::kName, 1, 0},
    {"NULLABLE", T::kSmallInt, 0, 0},        {"CASE_SENSITIVE", T::kSmallInt, 0, 0},
    {"SEARCHABLE", T::kSmallInt, 0, 0},      {"UNSIGNED_ATTRIBUTE", T::kSmallInt, 1, 0},
    {"FIXED_PREC_SCALE", T::kSmallInt, 0, 0}, {"AUTO_UNIQUE_VALUE", T::kSmallInt, 1, 0},
    {"LOCAL_TYPE_NAME", T::kName, 1, 0},     {"MINIMUM_SCALE", T::kSmallInt, 1, 0},
    {"MAXIMUM_SCALE", T::kSmallInt, 1, 0},   {"SQL_DATA_TYPE", T::kSmallInt, 0, 0},
    {"SQL_DATETIME_SUB", T::kSmallInt, 1, 0}, {"NUM_PREC_RADIX", T::kInteger, 1, 0},
    {"INTERVAL_PRECISION", T::kSmallInt, 1, 0},
};

constexpr CatalogColumn kPrimaryKeys[] = {
    {"TABLE_CAT", T::kName, 1, kAsked},   {"TABLE_SCHEM", T::kName, 1, kAsked}, {"TABLE_NAME", T::kName, 0, kAsked},
    {"COLUMN_NAME", T::kName, 0, kAsked}, {"KEY_SEQ", T::kSmallInt, 0, 0},      {"PK_NAME", T::kText, 1, kAsked},
};

constexpr CatalogColumn kForeignKeys[] = {
    {"PKTABLE_CAT", T::kName, 1, kAsked},   {"PKTABLE_SCHEM", T::kName, 1, kAsked},
    {"PKTABLE_NAME", T::kName, 0, kAsked},  {"PKCOLUMN_NAME", T::kName, 0, kAsked},
    {"FKTABLE_CAT", T::kName, 1, kAsked},   {"FKTABLE_SCHEM", T::kName, 1, kAsked},
    {"FKTABLE_NAME", T::kName, 0, kAsked},  {"FKCOLUMN_NAME", T::kName, 0, kAsked},
    {"KEY_SEQ", T::kSmallInt, 0, 0},        {"UPDATE_RULE", T::kSmallInt, 1, 0},
    {"DELETE_RULE", T::kSmallInt, 1, 0},    {"FK_NAME", T::kText, 1, kAsked},
    {"PK_NAME", T::kText, 1, kAsked},       {"DEFERRABILITY", T::kSmallInt, 1, 0},
};

// The three counts are reserved by ODBC and read NULL.
constexpr CatalogColumn kProcedures[] = {
    {"PROCEDURE_CAT", T::kName, 1, kAsked},    {"PROCEDURE_SCHEM", T::kName, 1, kAsked},
    {"PROCEDURE_NAME", T::kName, 0, kAsked},   {"NUM_INPUT_PARAMS", T::kInteger, 1, 0},
    {"NUM_OUTPUT_PARAMS", T::kInteger, 1, 0},  {"NUM_RESULT_SETS", T::kInteger, 1, 0},
    {"REMARKS", T::kText, 1, 1},               {"PROCEDURE_TYPE", T::kSmallInt, 1, 0},
};

// ODBC 2 defined the foreign-key result without DEFERRABILITY.
constexpr std::uint16_t kOdbc2ForeignKeyColumns = 13;

template <std::size_t N>
constexpr CatalogColumnTable TableOf(const CatalogColumn (&columns)[N]) {
  return CatalogColumnTable{static_cast<std::uint16_t>(N), columns};
}

// Indexed by statement kind; kind 0 has no catalog result.
constexpr CatalogColumnTable kTablesByKind[] = {
    {0, nullptr},         TableOf(kTables),    TableOf(kColumns),     TableOf(kStatistics),
    TableOf(kSpecialColumns), TableOf(kTypeInfo), TableOf(kPrimaryKeys), TableOf(kForeignKeys),
};
constexpr CatalogColumnTable kOdbc2ForeignKeys = {kOdbc2ForeignKeyColumns, kForeignKeys};
constexpr CatalogColumnTable kProceduresTable = TableOf(kProcedures);

}  // namespace

const CatalogColumnTable* GetCatalogColumnTable(const StatementHandle& statement) {
  const std::int32_t kind = statement.statementKind;
  if (kind == kStatementProcedures) return &kProceduresTable;
  if (kind < 1 || kind >= static_cast<std::int32_t>(std::size(kTablesByKind))) return nullptr;
  if (kind == kStatementForeignKeys && OdbcVersionOf(*statement.connection) == 2) return &kOdbc2ForeignKeys;
  return &kTablesByKind[kind];
}

std::int16_t CatalogColumnSqlType(CatalogColumnType type) {
  switch (type) {
    case T::kSmallInt: return SQL_SMALLINT;
    case T::kInteger: return SQL_INTEGER;
    case T::kChar: return SQL_CHAR;
    default: return SQL_VARCHAR;
  }
}

const char* CatalogColumnTypeName(CatalogColumnType type) {
  switch (type) {
    case T::kSmallInt: return "SMALLINT";
    case T::kInteger: return "INTEGER";
    case T::kChar: return "CHAR";
    default: return "VARCHAR";
  }
}

std::int32_t CatalogColumnLength(CatalogColumnType type) {
  switch (type) {
    case T::kName: return 128;
    case T::kText: return 254;
    case T::kSmallInt: return 2;
    case T::kInteger: return 4;
    default: return 1;
  }
}

std::int32_t CatalogColumnPrecision(CatalogColumnType type) {
  switch (type) {
    case T::kSmallInt: return 5;
    case T::kInteger: return 10;
    default: return CatalogColumnLength(type);
  }
}
