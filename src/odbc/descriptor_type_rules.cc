// Type-code rules of the descriptor fields.
#include "odbc/descriptor_type_rules.h"

#include <sqlext.h>

std::int16_t Odbc2DateTypeOf(std::int16_t concise) {
  return concise >= SQL_TYPE_DATE && concise <= SQL_TYPE_TIMESTAMP ? static_cast<std::int16_t>(concise - 82)
                                                                    : concise;
}

std::int16_t DateTimeCodeOf(std::int16_t concise) {
  switch (Odbc2DateTypeOf(concise)) {
    case SQL_DATE: return SQL_CODE_DATE;
    case SQL_TIME: return SQL_CODE_TIME;
    case SQL_TIMESTAMP: return SQL_CODE_TIMESTAMP;
    default: return 0;
  }
}

std::int16_t VerboseTypeOf(std::int16_t concise) { return DateTimeCodeOf(concise) != 0 ? SQL_DATETIME : concise; }
