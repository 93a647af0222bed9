// The cores of SQLSetEnvAttr and SQLGetEnvAttr: the ODBC version and the
// attributes accepted only at their defaults.
#pragma once

#include <sql.h>

#include "common/message_ids.h"

struct EnvironmentHandle;

MessageId SetEnvironmentAttribute(EnvironmentHandle& environment, SQLINTEGER attribute, SQLPOINTER value);
MessageId GetEnvironmentAttribute(const EnvironmentHandle& environment, SQLINTEGER attribute, SQLPOINTER value,
                                  SQLINTEGER* stringLength);
