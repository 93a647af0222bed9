// Rules over type codes that descriptor fields share: the verbose type and
// date-time subcode of a concise type, and the radix of a number type. Both
// ODBC forms of the date-time codes (9/91, 10/92, 11/93) are understood.
#pragma once

#include <cstdint>

// SQL_DATETIME for the date, time and timestamp codes; any other code as is.
std::int16_t VerboseTypeOf(std::int16_t concise);
// SQL_CODE_DATE, SQL_CODE_TIME or SQL_CODE_TIMESTAMP; 0 for other codes.
std::int16_t DateTimeCodeOf(std::int16_t concise);
// The ODBC 2 code (9, 10, 11) of a date-time code; any other code as is.
std::int16_t Odbc2DateTypeOf(std::int16_t concise);
