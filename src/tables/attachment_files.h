// File attachments as column values: downloaded once per cursor and row into
// an unnamed temporary file (or, with FILEPATH, into that folder), then read
// from there in pieces. Called by GetRowColumnData; writes forget a replaced
// file.
#pragma once

#include <string>

#include <sqltypes.h>

#include "common/message_ids.h"
#include "tables/table_cursor.h"

// The open file of the current row's attachment; kNoFile and 0 when
// IGNOREMISSINGFILE turned a failed download into NULL. 999 posted.
MessageId FetchAttachmentFile(TableCursor& cursor, const ColumnDescriptor& column, const std::string& fileName,
                              PlatformFile& file);
// Delivers the file's bytes from the piece offset.
MessageId DeliverAttachment(PlatformFile file, SQLLEN* pieceOffset, SQLSMALLINT cType, void* target,
                            SQLLEN targetLength, SQLLEN* outLength);
// A file name of the service made safe to stand inside the FILEPATH folder.
std::string SafeAttachmentName(const std::string& fileName);
void ForgetAttachment(TableCursor& cursor, std::uint32_t recordId, const std::string& fieldId);
