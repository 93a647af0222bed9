// The implementation parameter descriptor's record fields: what prepare
// derived for each parameter marker (its SQL type, size and digits), as
// SQLDescribeParam reports it.
#pragma once

#include <sql.h>

#include <cstdint>

#include "common/message_ids.h"
#include "odbc/descriptor_values.h"

struct StatementHandle;

// The field of parameter number. The statement's diagnostic holds what
// describing the parameter left (1007 unprepared, 1068 no such marker);
// 1003 a length of a type without one, 1020 a type without a
// type-information row, 1083 an identifier that is no record field.
MessageId AnswerParameterField(StatementHandle& statement, std::uint16_t number, SQLSMALLINT field,
                               DescriptorValue& answer);
