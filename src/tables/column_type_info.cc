// FindColumnTypeInfoRow: a column's SQL type looked up in the type table.
#include "tables/column_type_info.h"

const TypeInfoRow* FindColumnTypeInfoRow(const TableCursor& cursor, std::uint32_t column) {
  // Both bounds, so a cursor whose schema is still being read is never read
  // past the columns it holds.
  if (column >= cursor.columnCount || column >= cursor.columns.size()) return nullptr;
  return FindTypeInfoRow(cursor.columns[column].sqlType);
}
