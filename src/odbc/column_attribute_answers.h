// The answers of the column attributes by where a column comes from: a
// select item, a catalog result's fixed table, the bookmark column and the
// pass-through pseudo-column. Used by column_attributes.cc and by the IRD
// fields of SQLColAttribute.
#pragma once

#include <sql.h>

#include <cstdint>
#include <string_view>

#include "common/message_ids.h"
#include "odbc/catalog_column_tables.h"
#include "odbc/column_attributes.h"
#include "sql/parse_tree.h"

struct StatementHandle;
struct TypeInfoRow;

// The type-information row of an SQL type as a statement of its ODBC
// version names it (9 or 91 for dates alike), or nullptr.
const TypeInfoRow* TypeInfoRowForStatement(const StatementHandle& statement, std::int16_t sqlType);

inline ColumnAttributeAnswer NumberAnswer(std::int64_t number) { return ColumnAttributeAnswer{false, number, {}}; }
inline ColumnAttributeAnswer TextAnswer(std::string_view text) {
  return ColumnAttributeAnswer{true, 0, std::string(text)};
}

// A text through buffer and textLength (cut: 1002 on the statement and
// SQL_SUCCESS_WITH_INFO), a number through numeric; each only when given.
SQLRETURN DeliverColumnAttribute(StatementHandle& statement, const ColumnAttributeAnswer& answer, SQLCHAR* buffer,
                                 SQLSMALLINT bufferLength, SQLSMALLINT* textLength, SQLLEN* numeric);

// SQL_COLUMN_NAME, TYPE_NAME, TABLE_NAME, OWNER_NAME, QUALIFIER_NAME and
// LABEL are texts; the other attributes are numbers.
bool IsTextAttribute(std::uint16_t attribute);

// The result columns of the tree's SELECT statement, numbered from 1.
// SQL_COLUMN_COUNT counts them; column 0 is the bookmark column.
MessageId AnswerSelectItemAttribute(StatementHandle& statement, ParseTree& tree, std::uint16_t column,
                                    std::uint16_t attribute, ColumnAttributeAnswer& answer);

// A catalog result's columns 1..count from its fixed table; column 0 is the
// bookmark column.
MessageId AnswerCatalogAttribute(const StatementHandle& statement, const CatalogColumnTable& table,
                                 std::uint16_t column, std::uint16_t attribute, ColumnAttributeAnswer& answer);

// Column 0: a 4-byte BINARY named nothing, typed "BOOKMARK".
ColumnAttributeAnswer BookmarkColumnAttribute(std::uint16_t attribute);

// The one INTEGER column "TarvoxOpenQuery" of a pass-through statement.
ColumnAttributeAnswer OpenQueryColumnAttribute(std::uint16_t attribute);
