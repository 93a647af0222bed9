// Sizes by SQL type, shared by query-result columns and catalog rows.
#include "odbc/column_sizes.h"

#include <sqlext.h>

#include "platform/utf8_text.h"

bool SizesOfType(std::int16_t type, std::int64_t size, bool unsignedFlag, ColumnSizes& out) {
  const bool u = unsignedFlag;
  const std::int64_t s = size;
  switch (type) {
    case SQL_BIT: out = {1, 1, 1}; return true;
    case SQL_TINYINT: out = {1, 3, u ? 3 : 4}; return true;
    case SQL_BIGINT: out = {u ? s : s + 1, s, u ? s : s + 1}; return true;
    case SQL_LONGVARBINARY:
    case SQL_VARBINARY:
    case SQL_BINARY: out = {s, s, 2 * s}; return true;
    case SQL_LONGVARCHAR:
    case SQL_CHAR:
    case SQL_VARCHAR: out = {s * std::int64_t{kMaxUtf8CharacterBytes}, s, s}; return true;  // four bytes a character
    case SQL_NUMERIC:
    case SQL_DECIMAL: out = {s + 2, s, s + 2}; return true;
    case SQL_INTEGER: out = {4, 10, u ? 10 : 11}; return true;
    case SQL_SMALLINT: out = {2, 5, u ? 5 : 6}; return true;
    case SQL_FLOAT:
    case SQL_DOUBLE: out = {8, 15, 22}; return true;
    case SQL_REAL: out = {4, 7, 13}; return true;
    case SQL_DATE:
    case SQL_TYPE_DATE: out = {6, 10, 10}; return true;
    case SQL_TIME:
    case SQL_TYPE_TIME: out = {6, 8, 8}; return true;
    case SQL_TIMESTAMP:
    case SQL_TYPE_TIMESTAMP: out = {16, 23, 23}; return true;
    default: return false;
  }
}
