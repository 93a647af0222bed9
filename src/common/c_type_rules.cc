// C type facts for the value conversions.
#include "common/c_type_rules.h"

#include <sql.h>
#include <sqlext.h>

SQLSMALLINT DefaultCTypeForSqlType(SQLSMALLINT sqlType, bool unsignedFlag) {
  switch (sqlType) {
    case SQL_BIT:
      return SQL_C_BIT;
    case SQL_TINYINT:
      return unsignedFlag ? SQL_C_UTINYINT : SQL_C_STINYINT;
    case SQL_SMALLINT:
      return unsignedFlag ? SQL_C_USHORT : SQL_C_SSHORT;
    case SQL_INTEGER:
      return unsignedFlag ? SQL_C_ULONG : SQL_C_SLONG;
    case SQL_BIGINT:
    case SQL_NUMERIC:
    case SQL_DECIMAL:
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_LONGVARCHAR:
      return SQL_C_CHAR;
    case SQL_WCHAR:
    case SQL_WVARCHAR:
    case SQL_WLONGVARCHAR:
      return SQL_C_WCHAR;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
      return SQL_C_BINARY;
    case SQL_FLOAT:
    case SQL_DOUBLE:
      return SQL_C_DOUBLE;
    case SQL_REAL:
      return SQL_C_FLOAT;
    case SQL_DATE:
    case SQL_TIME:
    case SQL_TIMESTAMP:
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME:
    case SQL_TYPE_TIMESTAMP:
      return sqlType;
    default:
      return 0;
  }
}

SQLSMALLINT ResolveSignlessCType(SQLSMALLINT cType, bool unsignedFlag) {
  switch (cType) {
    case SQL_C_TINYINT:
      return unsignedFlag ? SQL_C_UTINYINT : SQL_C_STINYINT;
    case SQL_C_SHORT:
      return unsignedFlag ? SQL_C_USHORT : SQL_C_SSHORT;
    case SQL_C_LONG:
      return unsignedFlag ? SQL_C_ULONG : SQL_C_SLONG;
    default:
      return cType;
  }
}

std::size_t FixedCTypeSize(SQLSMALLINT cType) {
  switch (cType) {
    case SQL_C_BIT:
    case SQL_C_TINYINT:
    case SQL_C_STINYINT:
    case SQL_C_UTINYINT:
      return 1;
    case SQL_C_SHORT:
    case SQL_C_SSHORT:
    case SQL_C_USHORT:
      return 2;
    case SQL_C_LONG:
    case SQL_C_SLONG:
    case SQL_C_ULONG:
    case SQL_C_FLOAT:
      return 4;
    case SQL_C_SBIGINT:
    case SQL_C_UBIGINT:
    case SQL_C_DOUBLE:
      return 8;
    case SQL_C_NUMERIC:
      return sizeof(SQL_NUMERIC_STRUCT);
    case SQL_C_DATE:
    case SQL_C_TYPE_DATE:
      return sizeof(SQL_DATE_STRUCT);
    case SQL_C_TIME:
    case SQL_C_TYPE_TIME:
      return sizeof(SQL_TIME_STRUCT);
    case SQL_C_TIMESTAMP:
    case SQL_C_TYPE_TIMESTAMP:
      return sizeof(SQL_TIMESTAMP_STRUCT);
    default:
      return 0;
  }
}

