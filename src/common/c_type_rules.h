// Facts about ODBC C types that both conversion directions need: the default
// C type of an SQL type, signedness of the signless integer types, the width
// of fixed-size C values, and reading one from a buffer.
#pragma once

#include <cstddef>
#include <cstring>

#include <sql.h>
#include <sqlext.h>
#include <sqltypes.h>

// The C type that SQL_C_DEFAULT means for an SQL type (ODBC 2 and 3 date
// codes alike); unsignedFlag is the UNSIGNED_ATTRIBUTE of the type's row.
// 0 when the SQL type has none.
SQLSMALLINT DefaultCTypeForSqlType(SQLSMALLINT sqlType, bool unsignedFlag);

// SQL_C_TINYINT, SQL_C_SHORT and SQL_C_LONG made signed or unsigned by the
// flag; every other C type unchanged.
SQLSMALLINT ResolveSignlessCType(SQLSMALLINT cType, bool unsignedFlag);

// The byte size of a fixed-size C type (numbers, NUMERIC, dates, times,
// timestamps); 0 for character, wide, binary and unknown types.
std::size_t FixedCTypeSize(SQLSMALLINT cType);

// A fixed-size C value read from an application or source buffer, which
// need not be aligned for T.
template <typename T>
T LoadAs(const void* data) {
  T value{};
  std::memcpy(&value, data, sizeof value);
  return value;
}

// SQL_CHAR, SQL_VARCHAR, SQL_LONGVARCHAR and their wide forms. Inline, as
// every delivered value asks.
inline bool IsCharacterSqlType(SQLSMALLINT sqlType) {
  return sqlType == SQL_CHAR || sqlType == SQL_VARCHAR || sqlType == SQL_LONGVARCHAR || sqlType == SQL_WCHAR ||
         sqlType == SQL_WVARCHAR || sqlType == SQL_WLONGVARCHAR;
}
// SQL_BINARY, SQL_VARBINARY, SQL_LONGVARBINARY.
inline bool IsBinarySqlType(SQLSMALLINT sqlType) {
  return sqlType == SQL_BINARY || sqlType == SQL_VARBINARY || sqlType == SQL_LONGVARBINARY;
}
