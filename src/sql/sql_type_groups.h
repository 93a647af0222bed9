// The families of SQL type codes that the operand rules and the scalar-function
// result types decide by. Date, time and timestamp accept both the ODBC 2 and
// the ODBC 3 codes, because a node may hold either form.
#pragma once

#include <cstdint>

#include <sqlext.h>

enum class SqlTypeGroup : std::uint8_t {
  kUnknown,
  kExactNumber,
  kApproximateNumber,
  kBinary,
  kCharacter,
  kDate,
  kTime,
  kTimestamp,
};

inline SqlTypeGroup GroupOfSqlType(std::int16_t sqlType) {
  switch (sqlType) {
    case SQL_BIT:
    case SQL_TINYINT:
    case SQL_BIGINT:
    case SQL_NUMERIC:
    case SQL_DECIMAL:
    case SQL_INTEGER:
    case SQL_SMALLINT: return SqlTypeGroup::kExactNumber;
    case SQL_FLOAT:
    case SQL_REAL:
    case SQL_DOUBLE: return SqlTypeGroup::kApproximateNumber;
    case SQL_LONGVARBINARY:
    case SQL_VARBINARY:
    case SQL_BINARY: return SqlTypeGroup::kBinary;
    case SQL_LONGVARCHAR:
    case SQL_CHAR:
    case SQL_VARCHAR: return SqlTypeGroup::kCharacter;
    case SQL_DATE:
    case SQL_TYPE_DATE: return SqlTypeGroup::kDate;
    case SQL_TIME:
    case SQL_TYPE_TIME: return SqlTypeGroup::kTime;
    case SQL_TIMESTAMP:
    case SQL_TYPE_TIMESTAMP: return SqlTypeGroup::kTimestamp;
    default: return SqlTypeGroup::kUnknown;
  }
}

inline bool IsKnownSqlType(std::int16_t sqlType) { return GroupOfSqlType(sqlType) != SqlTypeGroup::kUnknown; }

// A pair of known codes that no rule covers is the driver's own fault (1019);
// a code outside the known ones is a type it does not support (1003).
inline bool BothSqlTypesKnown(std::int16_t left, std::int16_t right) {
  return IsKnownSqlType(left) && IsKnownSqlType(right);
}

// The exact-number type that wins when two exact numbers meet: the first of
// DECIMAL, NUMERIC, BIGINT, INTEGER, SMALLINT, TINYINT that either has, else BIT.
inline std::int16_t WiderExactNumberType(std::int16_t left, std::int16_t right) {
  static constexpr std::int16_t kByWidth[] = {SQL_DECIMAL, SQL_NUMERIC, SQL_BIGINT,
                                              SQL_INTEGER, SQL_SMALLINT, SQL_TINYINT};
  for (std::int16_t type : kByWidth) {
    if (left == type || right == type) return type;
  }
  return SQL_BIT;
}
