// Creating tables and fields on the service for CREATE TABLE and ALTER
// TABLE ADD; the executor calls these and then sets keys and properties.
#pragma once

#include <cstdint>
#include <string>

#include "common/message_ids.h"
#include "tables/table_cursor.h"

struct ConnectionRecord;

// "Application: Table" (or a bare name when one application is granted).
// 0 with the new table open, 1043 for an unknown application, 1110 for a
// bare name while several applications are granted, 1097 when the
// application has a table of that name, 999 posted.
MessageId ExecuteCreateTable(ConnectionRecord& record, const std::string& tableName, TableCursor*& out);
// API_AddField, then "maxlength" or "decimal_places". 0, 1003 for an SQL
// type without a field type, 999 posted.
MessageId AddTableColumn(TableCursor& cursor, const std::string& columnName, std::int16_t sqlType,
                         std::int32_t size, std::int16_t digits, std::string& fieldId);
