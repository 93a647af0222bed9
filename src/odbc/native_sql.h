// The SQLNativeSql core: the parser checks the text, which is handed back
// unchanged (the driver's dialect is its native SQL).
#pragma once

#include <sql.h>

#include "common/message_ids.h"

struct ConnectionHandle;

// Parses the text (length or SQL_NTS) on a scratch statement and copies it
// to out when out is given, writing its full length through outLength; 1002
// when cut. A parse failure leaves its id and detail on the connection.
MessageId NativeSql(ConnectionHandle& connection, const SQLCHAR* in, SQLINTEGER inLength, SQLCHAR* out,
                    SQLINTEGER bufferLength, SQLINTEGER* outLength);
