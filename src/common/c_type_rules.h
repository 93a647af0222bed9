// Facts about ODBC C types that both conversion directions need: the default
// C type of an SQL type, signedness of the signless integer types, and the
// width of fixed-size C values.
#pragma once

#include <cstddef>

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

// SQL_CHAR, SQL_VARCHAR, SQL_LONGVARCHAR and their wide forms.
bool IsCharacterSqlType(SQLSMALLINT sqlType);
// SQL_BINARY, SQL_VARBINARY, SQL_LONGVARBINARY.
bool IsBinarySqlType(SQLSMALLINT sqlType);
