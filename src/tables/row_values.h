// Reading one column of a cursor's current row into an application type:
// the service's text converted by the column's field kind, long values in
// pieces, attachments downloaded once. Called by expression evaluation and
// SQLGetData's direct path.
#pragma once

#include <cstdint>

#include <sqltypes.h>

#include "common/epoch_time.h"
#include "common/message_ids.h"
#include "tables/table_cursor.h"

// GetRowColumnData's results besides message ids.
inline constexpr MessageId kRowDataCut = 2;
inline constexpr MessageId kRowDataExhausted = 100;

// 0 delivered, 2 cut, 100 nothing left after the offset, or a message id
// (service failures are posted on the connection). outLength is the length
// remaining from the offset, or SQL_NULL_DATA.
MessageId GetRowColumnData(TableCursor& cursor, std::uint16_t column, SQLLEN* pieceOffset, SQLSMALLINT cType,
                           void* target, SQLLEN targetLength, SQLLEN* outLength);

// The rule by which the cursor's timestamps read as wall-clock time: its
// connection's TIMEZONEOFFSET, else the process's zone.
TimeZoneRule CursorTimeZoneRule(const TableCursor& cursor);
