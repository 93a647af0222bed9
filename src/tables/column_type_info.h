// The type-information row of a table column, for the result-column
// descriptions and the data-retrieval code of the ODBC layer.
#pragma once

#include <cstdint>

#include "connection/type_info.h"
#include "tables/table_cursor.h"

// The row whose DATA_TYPE is the column's SQL type (ODBC 2 date-time codes),
// or nullptr when column is not below the cursor's column count or no row
// has that type.
const TypeInfoRow* FindColumnTypeInfoRow(const TableCursor& cursor, std::uint32_t column);
