// What a statement's result looks like: the column count, SQLDescribeCol
// and the ODBC 2 column attributes (SQL_COLUMN_COUNT .. SQL_COLUMN_LABEL)
// of query results, prepared SELECTs, catalog results, the bookmark column
// and the pass-through pseudo-column. Called by the result-column exports,
// SQLColAttribute's routes and fetching.
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <cstdint>
#include <string>

#include "common/message_ids.h"

struct StatementHandle;

// One attribute's value: a number or a text.
struct ColumnAttributeAnswer {
  bool isText = false;
  std::int64_t number = 0;
  std::string text;
};

// The answer of one attribute (SQL_COLUMN_COUNT answers whatever the column
// number). 0; 1003 an attribute above SQL_COLUMN_LABEL or a result type
// without sizes; 1007 no result and nothing prepared; 1008 a column beyond
// the result, or any attribute but the count of a prepared statement that
// has no result; 1019 a prepared statement of an unexpected kind; 1020 a
// select item without a column or a type-information row.
MessageId AnswerColumnAttribute(StatementHandle& statement, std::uint16_t column, std::uint16_t attribute,
                                ColumnAttributeAnswer& answer);

// SQLColAttributes: clears the statement's diagnostic, then writes a text
// through buffer and textLength (cut: 1002 and SQL_SUCCESS_WITH_INFO) or a
// number through numeric, each only when given.
SQLRETURN GetColumnAttribute(StatementHandle& statement, std::uint16_t column, std::uint16_t attribute,
                             SQLCHAR* buffer, SQLSMALLINT bufferLength, SQLSMALLINT* textLength, SQLLEN* numeric);

// The same for the pass-through pseudo-column of an OQ statement, whatever
// the column number.
SQLRETURN DescribeOpenQueryColumn(StatementHandle& statement, std::uint16_t attribute, SQLCHAR* buffer,
                                  SQLSMALLINT bufferLength, SQLSMALLINT* textLength, SQLLEN* numeric);

// SQLNumResultCols without its export: the count, 0 for a statement that
// has no result columns.
SQLRETURN CountResultColumns(StatementHandle& statement, SQLSMALLINT* count);

// SQLDescribeCol: each out pointer is written when given; the name goes to
// the buffer, its full length to nameLength.
SQLRETURN DescribeResultColumn(StatementHandle& statement, std::uint16_t column, SQLCHAR* name,
                               SQLSMALLINT bufferLength, SQLSMALLINT* nameLength, SQLSMALLINT* dataType,
                               SQLULEN* columnSize, SQLSMALLINT* decimalDigits, SQLSMALLINT* nullable);

// The unsigned flag that conversions take for an SQL type (ODBC 2 or 3
// date-time codes): true only where the type's row says unsigned.
bool FindTypeInfoRow(const StatementHandle& statement, std::int16_t sqlType);
