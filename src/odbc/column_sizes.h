// The length, precision and display size that a column's SQL type and
// declared size give it; read by the result-column descriptions and by the
// catalog rows that describe a table's columns.
#pragma once

#include <cstdint>

struct ColumnSizes {
  std::int64_t length;       // bytes of the value in its default C type
  std::int64_t precision;    // the column size
  std::int64_t displaySize;  // characters to show any value
};

// type in either ODBC form of the date-time codes; size the column's own
// (used by the binary, character, NUMERIC, DECIMAL and BIGINT types);
// unsignedFlag the type row's. False for a type without sizes.
bool SizesOfType(std::int16_t type, std::int64_t size, bool unsignedFlag, ColumnSizes& out);
