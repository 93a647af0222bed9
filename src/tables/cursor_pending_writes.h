// The connection's pending writes to a cursor's table, which reads overlay
// on the service's rows and which keep criteria from going to the service.
#pragma once

#include "connection/table_caches.h"
#include "tables/table_cursor.h"

// The pending writes of the cursor's table, or nullptr.
const TableWrites* PendingWritesOf(const TableCursor& cursor);
// True while the table has writes that the service has not seen.
bool TableHasPendingWrites(const TableCursor& cursor);
// True when a pending edit of the table sets the column's field, so that
// the service's values of it are not the connection's own. The record id
// is never edited; the values of pending inserts never come from the
// service.
bool PendingEditChangesField(const TableCursor& cursor, const ColumnDescriptor& column);
