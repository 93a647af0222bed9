// File attachments as column values: downloaded once per connection into a
// temporary file (or, with FILEPATH, into that folder), then read from there
// in pieces. Called by GetRowColumnData; writes forget a replaced file.
#pragma once

#include <string>

#include <sqltypes.h>

#include "common/message_ids.h"
#include "tables/table_cursor.h"

// The downloaded file of the current row's attachment; empty path and 0 when
// IGNOREMISSINGFILE turned a failed download into NULL. 999 posted.
MessageId FetchAttachmentFile(TableCursor& cursor, const ColumnDescriptor& column, const std::string& fileName,
                              std::string& path);
// Delivers the file's bytes from the piece offset.
MessageId DeliverAttachment(const std::string& path, SQLLEN* pieceOffset, SQLSMALLINT cType, void* target,
                            SQLLEN targetLength, SQLLEN* outLength);
// A file name of the service made safe to stand inside the FILEPATH folder.
std::string SafeAttachmentName(const std::string& fileName);
void ForgetAttachment(QuickBaseClient& client, const std::string& tableId, std::uint32_t recordId,
                      const std::string& fieldId);
