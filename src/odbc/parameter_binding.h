// Parameter binding: where the application keeps a parameter's values and in
// which C type (SQLBindParameter, SQLParamOptions), and what prepare derived
// for each marker (SQLDescribeParam, SQLNumParams).
#pragma once

#include <sql.h>

#include "common/message_ids.h"

struct StatementHandle;

SQLRETURN BindParameterCore(StatementHandle& statement, SQLUSMALLINT number, SQLSMALLINT ioType,
                            SQLSMALLINT valueType, SQLSMALLINT parameterType, SQLULEN columnSize, SQLPOINTER value,
                            SQLLEN bufferLength, SQLLEN* lengthOrIndicator);
SQLRETURN DescribeParameterCore(StatementHandle& statement, SQLUSMALLINT number, SQLSMALLINT* dataType,
                                SQLULEN* size, SQLSMALLINT* digits, SQLSMALLINT* nullable);
SQLRETURN CountParametersCore(StatementHandle& statement, SQLSMALLINT* count);
SQLRETURN ParameterOptionsCore(StatementHandle& statement, SQLULEN rows, SQLULEN* processed);

// The C type SQL_C_DEFAULT stands for with a parameter of this SQL type, and
// signless integer C types made signed or unsigned by the type table; 0 when
// the SQL type has no C type.
SQLSMALLINT ResolveParameterCType(SQLSMALLINT valueType, SQLSMALLINT parameterType);
