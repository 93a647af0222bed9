// Downloading attachments for reading and handing their bytes out in pieces.
#include "tables/attachment_files.h"

#include <algorithm>

#include "common/sql_to_c.h"
#include "connection/quickbase_client.h"
#include "connection/session_settings.h"
#include "handles/connection_record.h"
#include "handles/handles.h"
#include "platform/files.h"
#include "tables/table_failures.h"

namespace {

std::string AttachmentKey(const std::string& tableId, std::uint32_t recordId, const std::string& fieldId) {
  return tableId + '/' + std::to_string(recordId) + '/' + fieldId;
}

const std::string& Setting(const TableCursor& cursor, const char* key) {
  static const std::string empty;
  const ConnectionHandle* handle = cursor.connection->connection;
  return handle == nullptr ? empty : LookupSetting(handle->settings, key);
}

// Opens the file the attachment goes to: a temporary file, or the named
// file under FILEPATH, which stays after the connection closes.
PlatformFile OpenTarget(const TableCursor& cursor, const std::string& fileName, AttachmentFile& entry) {
  const std::string& folder = Setting(cursor, "FILEPATH");
  if (folder.empty()) {
    entry.temporary = true;
    return CreateTemporaryFile(entry.path);
  }
  entry.temporary = false;
  entry.path = folder;
  if (entry.path.back() != '/') entry.path += '/';
  entry.path += SafeAttachmentName(fileName);
  return CreateOrTruncateFile(entry.path);
}

MessageId Download(TableCursor& cursor, const ColumnDescriptor& column, const std::string& fileName,
                   AttachmentFile& entry) {
  ConnectionRecord& record = *cursor.connection;
  PlatformFile file = OpenTarget(cursor, fileName, entry);
  if (file == kNoFile) return RecordTableFailure(record, kMsgAttachmentError, entry.path);
  std::uint64_t bytes = 0;
  MessageId id = ApiDownloadAttachment(record.client->session, cursor.callRecord, cursor.tableId,
                                       std::to_string(cursor.recordId), column.fieldIdText, file, bytes);
  CloseFile(file);
  if (id == kMsgSuccess) return kMsgSuccess;
  DeleteFile(entry.path);
  entry.path.clear();
  if (IsSettingOn(Setting(cursor, "IGNOREMISSINGFILE"))) {
    entry.missing = true;
    return kMsgSuccess;
  }
  return PostTableServiceFailure(record, cursor.callRecord);
}

MessageId DeliverBinaryPiece(PlatformFile file, std::int64_t size, SQLLEN* pieceOffset, void* target,
                             SQLLEN targetLength, SQLLEN* outLength) {
  std::int64_t offset = *pieceOffset;
  if (offset > 0 && offset >= size) return kMsgNoDataFound;
  std::int64_t remaining = size - offset;
  if (outLength != nullptr) *outLength = static_cast<SQLLEN>(remaining);
  std::int64_t wanted = std::min<std::int64_t>(remaining, targetLength < 0 ? 0 : targetLength);
  if (target != nullptr && wanted > 0 &&
      ReadFullBufferAt(file, target, static_cast<std::size_t>(wanted), offset) != wanted)
    return kMsgAttachmentError;
  *pieceOffset += static_cast<SQLLEN>(target == nullptr ? 0 : wanted);
  return wanted < remaining ? kMsgDataTruncated : kMsgSuccess;
}

}  // namespace

std::string SafeAttachmentName(const std::string& fileName) {
  std::string safe;
  for (char c : fileName) safe += (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20) ? '_' : c;
  // A name of dots alone would climb out of the folder.
  if (safe.find_first_not_of('.') == std::string::npos) safe = "attachment" + safe;
  return safe;
}

MessageId FetchAttachmentFile(TableCursor& cursor, const ColumnDescriptor& column, const std::string& fileName,
                              std::string& path) {
  AttachmentFiles& files = cursor.connection->client->caches.attachments;
  std::string key = AttachmentKey(cursor.tableId, cursor.recordId, column.fieldIdText);
  auto found = files.files.find(key);
  if (found == files.files.end()) {
    AttachmentFile entry;
    MessageId id = Download(cursor, column, fileName, entry);
    if (id != kMsgSuccess) return id;
    found = files.files.emplace(key, entry).first;
  }
  path = found->second.missing ? std::string() : found->second.path;
  return kMsgSuccess;
}

MessageId DeliverAttachment(const std::string& path, SQLLEN* pieceOffset, SQLSMALLINT cType, void* target,
                            SQLLEN targetLength, SQLLEN* outLength) {
  PlatformFile file = OpenFileForReading(path);
  if (file == kNoFile) return kMsgAttachmentError;
  std::int64_t size = FileSize(file);
  MessageId id = kMsgAttachmentError;
  if (size >= 0 && cType == SQL_C_BINARY) {
    id = DeliverBinaryPiece(file, size, pieceOffset, target, targetLength, outLength);
  } else if (size >= 0) {
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (ReadFullBufferAt(file, bytes.data(), bytes.size(), 0) == size)
      id = ConvertSqlValueToCType(SQL_LONGVARBINARY, false, bytes.data(), static_cast<SQLLEN>(bytes.size()),
                                  pieceOffset, cType, target, targetLength, outLength);
  }
  CloseFile(file);
  return id;
}

void ForgetAttachment(QuickBaseClient& client, const std::string& tableId, std::uint32_t recordId,
                      const std::string& fieldId) {
  AttachmentFiles& files = client.caches.attachments;
  auto found = files.files.find(AttachmentKey(tableId, recordId, fieldId));
  if (found == files.files.end()) return;
  if (found->second.temporary && !found->second.path.empty()) DeleteFile(found->second.path);
  files.files.erase(found);
}
