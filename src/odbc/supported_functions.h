// SQLGetFunctions: which ODBC functions the driver serves. The Driver
// Manager asks once after connecting and routes no call to a function the
// driver answers SQL_FALSE for, even when the library exports it.
#pragma once

#include <sql.h>

#include "common/message_ids.h"

struct ConnectionHandle;

// SQL_API_ALL_FUNCTIONS fills 100 flags, SQL_API_ODBC3_ALL_FUNCTIONS the
// bitmap of SQL_API_ODBC3_ALL_FUNCTIONS_SIZE words, any other id one flag.
// Nothing is written through a null pointer.
MessageId FillSupportedFunctions(ConnectionHandle& connection, SQLUSMALLINT functionId, SQLUSMALLINT* supported);
