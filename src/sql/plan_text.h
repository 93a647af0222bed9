// The operator-and-types text of message 1024, written by the semantic pass
// when it refuses an operator for its operands' types.
#pragma once

#include <cstdint>

struct StatementHandle;

// Sets the statement's detail text to "<left type> <operator> <right type>",
// for example "SQL_CHAR + SQL_INTEGER". Unknown codes print "unknown type"
// and "unknown operator".
void FormatPlanNode(StatementHandle& statement, std::uint16_t op, std::int16_t leftType, std::int16_t rightType);
