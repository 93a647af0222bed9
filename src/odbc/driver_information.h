// SQLGetInfo: what the driver and its connection tell an application about
// themselves. The Driver Manager asks some of it too: the cursor behaviours
// inside every SQLEndTran, the X/Open year after connecting.
#pragma once

#include <sql.h>

#include "common/message_ids.h"

struct ConnectionHandle;

// Writes the answer for infoType at the width ODBC gives that type: text
// (cut to bufferLength with 1002), SQLUSMALLINT or SQLUINTEGER; stringLength
// gets the text's full length or the number's width. 1060 before connecting,
// 1003 (with the type as detail) for a type the driver does not answer,
// 1092 for a negative buffer length with a text answer.
MessageId GetInfoValue(ConnectionHandle& connection, SQLUSMALLINT infoType, SQLPOINTER value,
                       SQLSMALLINT bufferLength, SQLSMALLINT* stringLength);
