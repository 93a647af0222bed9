// The connection's pending writes to a cursor's table, which reads overlay
// on the service's rows and which keep criteria from going to the service.
#pragma once

#include "connection/table_caches.h"
#include "tables/table_cursor.h"

// The pending writes of the cursor's table, or nullptr.
const TableWrites* PendingWritesOf(const TableCursor& cursor);
// True while the table has writes that the service has not seen.
bool TableHasPendingWrites(const TableCursor& cursor);
