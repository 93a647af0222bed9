// The write side of a table cursor: building a new or changed row and
// handing it to the connection's write cache (CSV batches and purge lists),
// or straight to the service when it carries a new attachment. Called by
// INSERT, UPDATE, DELETE, positioned updates and bulk operations.
#pragma once

#include <cstdint>
#include <vector>

#include <sqltypes.h>

#include "common/message_ids.h"
#include "tables/table_cursor.h"

struct ConnectionRecord;

MessageId NewInsertRow(TableCursor& cursor);
// Stores one value (type code -2, 1, 8, 9, 10 or 11; length -1 for NULL)
// into the row being built, whole. 0, kMsgValueTooLong for a new text longer than its
// field's maxlength, 1044 for a read-only column, or a conversion id.
MessageId UpdateRowValues(TableCursor& cursor, std::uint16_t column, std::int16_t valueType, const void* value,
                          SQLLEN length);
// Hands the row to the write cache; the row's own fields only.
MessageId WriteRow(TableCursor& cursor);
// A statement of many rows builds them all before any reaches the write
// cache, so that a value refused in any row leaves nothing of the statement
// to send. SetRowAside ends the row being built by adding it to rows (a
// pseudo-table's row, which nothing sends, is written at once);
// WriteRowsSetAside then writes them in order, stopping at a failure.
MessageId SetRowAside(TableCursor& cursor, std::vector<RowUnderConstruction>& rows);
MessageId WriteRowsSetAside(TableCursor& cursor, std::vector<RowUnderConstruction>& rows);
// Drops a row being built, or queues the current row for deletion.
MessageId DeleteCurrentRow(TableCursor& cursor);
// Forgets the new or changed row being built, so that a write that failed
// half-way leaves nothing for the cursor's next write to pick up.
void DiscardRowUnderConstruction(TableCursor& cursor);
// The parameter row whose writes are queued from now on (kNoWriteSource
// outside a parameter array), so that a failed flush can say which rows it
// did not finish.
void SetWriteSource(ConnectionRecord& record, std::int32_t parameterRow);
