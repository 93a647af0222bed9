// Running a table's query and stepping through its rows: pages of 1000 from
// the service, the row cache, the reuse of an identical earlier query and
// the overlay of the connection's own pending writes. Called by the
// executor's row sources and cursor positioning.
#pragma once

#include <cstdint>
#include <string>

#include "common/message_ids.h"
#include "connection/table_caches.h"
#include "tables/table_cursor.h"

inline constexpr std::int64_t kPageSize = 1000;

// A new execution of a statement on the connection, for its cursors'
// execution field: rows read for one execution are never served to another.
std::uint64_t BeginStatementExecution(ConnectionRecord& record);
// Starts the query (the first page is read at once) or reuses the rows of an
// identical query of the same execution while the table's cache is
// unchanged. 0, or 999 posted.
MessageId ExecuteTableSelect(TableCursor& cursor);
// 0 when the cursor moved to the next row, 1 when there are no more, else
// a message id (999 posted).
MessageId FetchNextRow(TableCursor& cursor, std::uint16_t flag);
// The record becomes the current row, from the rows of the cursor's
// execution or the service. 0, 1074 when the table has no such record, 999
// posted.
MessageId PositionOnRow(TableCursor& cursor, std::uint32_t recordId);

// The current row's text for a field; nullptr when the row has none (NULL).
// Pending edits of the connection win over the service's values.
const std::string* CurrentFieldText(const TableCursor& cursor, const ColumnDescriptor& column);
// The record id of the cursor's current row (a provisional id for a row
// that exists only in the write cache); clears the connection's last message
// id. Always 0.
MessageId GetCursorRecordId(TableCursor& cursor, std::uint32_t& out);
// True while the cursor stands on a row.
bool CursorHasRow(const TableCursor& cursor);
