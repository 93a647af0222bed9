// SQLColAttribute: the implementation row descriptor's fields of a result
// column, derived from the column attributes. SQLGetDescField on an IRD
// reads the same fields.
#pragma once

#include <sql.h>

#include <cstdint>

#include "common/message_ids.h"
#include "odbc/column_attributes.h"

struct StatementHandle;

// The value of an IRD record field (SQL_DESC_*) of a result column. 0, 1083
// for an identifier that is no IRD field, or the column attributes' ids.
MessageId AnswerResultColumnField(StatementHandle& statement, std::uint16_t column, std::uint16_t field,
                                  ColumnAttributeAnswer& answer);

// The SQLColAttribute core. Texts go to characterAttribute (cut: 1002 and
// SQL_SUCCESS_WITH_INFO), numbers to numericAttribute as SQLLEN; both may be
// null. SQL_COLUMN_COUNT and SQL_DESC_COUNT answer the column count; the
// ODBC 2 SQL_COLUMN_LENGTH, PRECISION and SCALE answer as SQLColAttributes.
SQLRETURN ColumnAttributeCore(StatementHandle& statement, std::uint16_t column, std::uint16_t field,
                              SQLPOINTER characterAttribute, SQLSMALLINT bufferLength, SQLSMALLINT* stringLength,
                              SQLLEN* numericAttribute);
