// Where the rows of the catalog functions' results plug into fetching:
// the fetch functions step a catalog result through AdvanceCatalogRow and
// read its columns through ReadCatalogValue, with the same buffers, pieces
// and rowsets as a query result.
#pragma once

#include <sql.h>

#include <cstdint>

#include "common/message_ids.h"

struct StatementHandle;

// One column of the current catalog row, in the form ConvertSqlValueToCType
// reads: text as a C string (length SQL_NTS), numbers as their SQL types'
// binary values; a null data pointer is NULL.
struct CatalogValue {
  SQLSMALLINT sqlType = SQL_VARCHAR;
  const void* data = nullptr;
  SQLLEN length = SQL_NULL_DATA;
};

// The next row of the statement's catalog result (statement kinds 1 to 7):
// SQL_SUCCESS with the row current, SQL_NO_DATA at the end, or SQL_ERROR
// with the failure on the statement.
SQLRETURN AdvanceCatalogRow(StatementHandle& statement);

// A column (1 to the kind's column count) of the current catalog row:
// 0; 1007 before the first or after the last row; 1008 a column beyond the
// result; or a failure of table access. The value stays valid until the
// next call on the statement.
MessageId ReadCatalogValue(StatementHandle& statement, std::uint16_t column, CatalogValue& value);
