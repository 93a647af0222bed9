// The implementation row descriptor's answers: the statement's result
// columns as the result-column metadata describes them.
#pragma once

#include <sql.h>

#include <cstdint>

#include "common/message_ids.h"
#include "odbc/descriptor_values.h"

struct StatementHandle;

// A record field of result column number (0: the bookmark column).
MessageId AnswerResultRowField(StatementHandle& statement, std::uint16_t column, SQLSMALLINT field,
                               DescriptorValue& answer);
// The number of result columns; 0 for a statement without a result.
MessageId CountResultRecords(StatementHandle& statement, std::int64_t& count);

// Whether the statement has result columns to describe: an open result or
// a prepared statement.
bool HasResultDescription(const StatementHandle& statement);
// The SQL type (in the statement's ODBC form), column size and decimal
// digits of result column number.
MessageId DescribeResultRecord(StatementHandle& statement, std::uint16_t column, std::int16_t& type,
                               std::uint64_t& size, std::int16_t& digits);
