// Delivering a SQL value, read into its neutral form, into an application
// buffer by C type; the second half of ConvertSqlValueToCType.
#pragma once

#include <sqltypes.h>

#include "common/application_value.h"
#include "common/message_ids.h"

// A value read from a SQL source. For kNumber read from decimal text, bytes
// holds that text, which character targets receive as it is; for fixed-size
// sources bytes holds the source's own bytes, which binary targets receive.
using SqlSourceValue = ApplicationValue;

// cType is resolved (no SQL_C_DEFAULT, no signless integer type). Ids and
// piece rules as ConvertSqlValueToCType describes.
MessageId DeliverSqlValue(const SqlSourceValue& value, bool variableLength, SQLLEN* pieceOffset,
                          SQLSMALLINT cType, void* target, SQLLEN targetLength, SQLLEN* outLength);
