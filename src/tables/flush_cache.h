// The commands an application gives through the settings pseudo-table:
// "FLUSH_THIS_DBID_CACHE_TO_QUICKBASE" sends one table's pending imports and
// "FLUSH_THIS_DBID_SCHEMA" forgets one table's schema.
#pragma once

#include "common/message_ids.h"

struct ConnectionRecord;

// Runs and removes the commands the connection's settings hold. 0, 1042 when
// the named table has no pending imports, or the account of a failed flush
// as a commit gives it (999 posted, 1096, 1122 to 1125).
MessageId RunFlushCommands(ConnectionRecord& record);
