// Rendering an application value as the text the service stores for a
// field, by the field's kind (durations in days, dates and timestamps by the
// connection's time rule). Called by UpdateRowValues and the criteria builder.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <sqltypes.h>

#include "common/message_ids.h"
#include "tables/table_cursor.h"

// The value as the service's text, timestamps under the connection's time
// rule (its TIMEZONEOFFSET, else the process's zone). Shared with the
// criteria, so that a value compares as it would be written.
MessageId FormatServiceText(const TableCursor& cursor, std::int16_t valueType, const void* value, SQLLEN length,
                            std::string& text);
// 0, or 1095 naming the column, recorded on the cursor's connection, for a
// text the service's XML can't carry: bytes that are not UTF-8, or a
// character XML 1.0 forbids. Written values and criteria values pass here.
MessageId CheckStorableText(const TableCursor& cursor, const ColumnDescriptor& column, std::string_view text);
// 0 or a conversion id; a text comes whole, whatever the column's size.
MessageId RenderWriteValue(const TableCursor& cursor, const ColumnDescriptor& column, std::int16_t valueType,
                           const void* value, SQLLEN length, std::string& text);
// 0, or kMsgValueTooLong naming the column, recorded on the cursor's connection, for a
// text longer than its field's maxlength (counted in characters). A field
// without one takes a text of any length.
MessageId CheckTextLength(const TableCursor& cursor, const ColumnDescriptor& column, std::string_view text);
