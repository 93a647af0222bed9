// Where the rows of the catalog functions' results plug into fetching:
// the fetch functions step a catalog result through AdvanceCatalogRow and
// read its columns through ReadCatalogValue, with the same buffers, pieces
// and rowsets as a query result.
#pragma once

#include <sql.h>

#include <cstdint>
#include <string>

#include "common/message_ids.h"

struct StatementHandle;

// One column of the current catalog row, in the form ConvertSqlValueToCType
// reads: text as UTF-8 of the given length, numbers as their SQL types'
// binary values; a null data pointer is NULL. data points into the value's
// own storage, so the value is read where it was filled.
struct CatalogValue {
  SQLSMALLINT sqlType = SQL_VARCHAR;
  const void* data = nullptr;
  SQLLEN length = SQL_NULL_DATA;
  bool isNull = true;
  std::int16_t smallNumber = 0;
  std::int32_t number = 0;
  std::string text;
};

// The next row of the statement's catalog result (statement kinds 1 to 7 and procedures):
// SQL_SUCCESS with the row current, SQL_NO_DATA at the end, or SQL_ERROR
// with the failure on the statement.
SQLRETURN AdvanceCatalogRow(StatementHandle& statement);

// A column (1 to the kind's column count) of the current catalog row, for a
// target of the C type and buffer length given (a column default that does
// not fit a character buffer reads "TRUNCATED"): 0; 1007 before the first
// or after the last row; 1008 a column beyond the result; 1020 a column or
// type row that can't be found.
MessageId ReadCatalogValue(StatementHandle& statement, std::uint16_t column, SQLSMALLINT cType,
                           SQLLEN bufferLength, CatalogValue& value);
