// The four type attributes of a value cell as one comparable record, and the
// usual column types, for the tables of the type-rule tests.
#pragma once

#include <cstdint>
#include <ostream>

#include <sqlext.h>

#include "common/value_cell.h"

struct TypeShape {
  std::int16_t valueType;
  std::int16_t sqlType;
  std::int32_t size;
  std::uint16_t digits;
  bool operator==(const TypeShape&) const = default;
};

inline void PrintTo(const TypeShape& s, std::ostream* out) {
  *out << "{" << s.valueType << ", " << s.sqlType << ", " << s.size << ", " << s.digits << "}";
}

inline TypeShape ShapeOf(const ValueCell& cell) { return {cell.valueType, cell.sqlType, cell.size, cell.digits}; }

inline void SetShape(ValueCell& cell, const TypeShape& shape) {
  cell.valueType = shape.valueType;
  cell.sqlType = shape.sqlType;
  cell.size = shape.size;
  cell.digits = shape.digits;
}

inline constexpr std::uint16_t kNone = kNoDigits;
inline constexpr TypeShape kUntyped{kValueUntyped, 0, 0, kNone};
inline constexpr TypeShape kBit{kValueInteger, SQL_BIT, 1, 0};
inline constexpr TypeShape kTinyint{kValueInteger, SQL_TINYINT, 3, 0};
inline constexpr TypeShape kSmallint{kValueInteger, SQL_SMALLINT, 5, 0};
inline constexpr TypeShape kInteger{kValueInteger, SQL_INTEGER, 10, 0};
inline constexpr TypeShape kBigint{kValueNumeric, SQL_BIGINT, 19, 0};
inline constexpr TypeShape kDouble{kValueDouble, SQL_DOUBLE, 15, kNone};
inline constexpr TypeShape kFloat{kValueDouble, SQL_FLOAT, 15, kNone};
inline constexpr TypeShape kReal{kValueDouble, SQL_REAL, 7, kNone};
inline constexpr TypeShape kDate{kValueDate, SQL_DATE, 10, kNone};
inline constexpr TypeShape kTypeDate{kValueDate, SQL_TYPE_DATE, 10, kNone};
inline constexpr TypeShape kTime{kValueTime, SQL_TIME, 8, kNone};
inline constexpr TypeShape kTypeTime{kValueTime, SQL_TYPE_TIME, 8, kNone};
inline constexpr TypeShape kTimestamp{kValueTimestamp, SQL_TIMESTAMP, 23, 3};
inline constexpr TypeShape kTypeTimestamp{kValueTimestamp, SQL_TYPE_TIMESTAMP, 23, 3};
inline constexpr TypeShape kLongText{kValueCharacter, SQL_LONGVARCHAR, 65534, kNone};

constexpr TypeShape Numeric(std::int32_t p, std::uint16_t s) { return {kValueNumeric, SQL_NUMERIC, p, s}; }
constexpr TypeShape Decimal(std::int32_t p, std::uint16_t s) { return {kValueNumeric, SQL_DECIMAL, p, s}; }
constexpr TypeShape Varchar(std::int32_t n) { return {kValueCharacter, SQL_VARCHAR, n, kNone}; }
constexpr TypeShape Char(std::int32_t n) { return {kValueCharacter, SQL_CHAR, n, kNone}; }
constexpr TypeShape Binary(std::int16_t sqlType, std::int32_t n) { return {kValueBinary, sqlType, n, kNone}; }
