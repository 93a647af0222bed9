// Downloading attachments for reading, handing their bytes out in pieces,
// and releasing them.
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

const std::string& Setting(const TableCursor& cursor, const char* key) {
  static const std::string empty;
  const ConnectionHandle* handle = cursor.connection->connection;
  return handle == nullptr ? empty : LookupSetting(handle->settings, key);
}

// Opens the file the attachment goes to: an unnamed temporary file, or the
// named file under FILEPATH, which stays after the connection closes.
PlatformFile OpenTarget(const TableCursor& cursor, const std::string& fileName, std::string& keptPath) {
  const std::string& folder = Setting(cursor, "FILEPATH");
  if (folder.empty()) return CreateUnnamedTemporaryFile();
  keptPath = folder;
  if (keptPath.back() != '/') keptPath += '/';
  keptPath += SafeAttachmentName(fileName);
  return CreateOrTruncateFile(keptPath);
}

// A download that failed or was cut short leaves no part of the file
// behind, in the temporary folder or in FILEPATH.
MessageId Download(TableCursor& cursor, const ColumnDescriptor& column, const std::string& fileName,
                   AttachmentFile& entry) {
  ConnectionRecord& record = *cursor.connection;
  std::string keptPath;
  entry.file = OpenTarget(cursor, fileName, keptPath);
  if (entry.file == kNoFile) return RecordTableFailure(record, kMsgAttachmentError, keptPath);
  std::uint64_t bytes = 0;
  const auto maxBytes = static_cast<std::uint64_t>(column.columnSize);
  MessageId id = ApiDownloadAttachment(record.client->session, cursor.callRecord, cursor.tableId,
                                       std::to_string(cursor.recordId), column.fieldIdText, entry.file, maxBytes,
                                       bytes);
  if (id == kMsgSuccess) return kMsgSuccess;
  CloseFile(entry.file);
  if (!keptPath.empty()) DeleteFile(keptPath);
  if (IsSettingOn(Setting(cursor, "IGNOREMISSINGFILE"))) return kMsgSuccess;
  return PostTableServiceFailure(record, cursor.callRecord);
}

// Only the current row's files are kept; the others are closed.
void DropOtherRows(AttachmentFiles& files, std::uint32_t recordId) {
  for (auto entry = files.files.begin(); entry != files.files.end();) {
    if (entry->recordId == recordId) {
      ++entry;
      continue;
    }
    CloseFile(entry->file);
    entry = files.files.erase(entry);
  }
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
                              PlatformFile& file) {
  AttachmentFiles& files = cursor.attachments;
  DropOtherRows(files, cursor.recordId);
  auto found = std::find_if(files.files.begin(), files.files.end(),
                            [&](const AttachmentFile& entry) { return entry.fieldId == column.fieldIdText; });
  if (found == files.files.end()) {
    AttachmentFile entry;
    entry.recordId = cursor.recordId;
    entry.fieldId = column.fieldIdText;
    MessageId id = Download(cursor, column, fileName, entry);
    if (id != kMsgSuccess) return id;
    files.files.push_back(entry);
    found = files.files.end() - 1;
  }
  file = found->file;
  return kMsgSuccess;
}

MessageId DeliverAttachment(PlatformFile file, SQLLEN* pieceOffset, SQLSMALLINT cType, void* target,
                            SQLLEN targetLength, SQLLEN* outLength) {
  std::int64_t size = FileSize(file);
  if (size < 0) return kMsgAttachmentError;
  if (cType == SQL_C_BINARY) return DeliverBinaryPiece(file, size, pieceOffset, target, targetLength, outLength);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  if (ReadFullBufferAt(file, bytes.data(), bytes.size(), 0) != size) return kMsgAttachmentError;
  return ConvertSqlValueToCType(SQL_LONGVARBINARY, false, bytes.data(), static_cast<SQLLEN>(bytes.size()),
                                pieceOffset, cType, target, targetLength, outLength);
}

void ForgetAttachment(TableCursor& cursor, std::uint32_t recordId, const std::string& fieldId) {
  std::vector<AttachmentFile>& files = cursor.attachments.files;
  auto found = std::find_if(files.begin(), files.end(), [&](const AttachmentFile& entry) {
    return entry.recordId == recordId && entry.fieldId == fieldId;
  });
  if (found == files.end()) return;
  CloseFile(found->file);
  files.erase(found);
}
