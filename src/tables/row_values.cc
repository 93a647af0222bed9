// Column values of the current row: the service's texts read by field kind
// and converted to the application's C type.
#include "tables/row_values.h"

#include <algorithm>
#include <charconv>
#include <map>

#include "common/service_text.h"
#include "common/sql_to_c.h"
#include "connection/quickbase_client.h"
#include "handles/connection_record.h"
#include "handles/handles.h"
#include "tables/attachment_files.h"
#include "tables/pseudo_tables.h"
#include "tables/table_select.h"

namespace {

// The converter's piece results as GetRowColumnData's.
MessageId AsRowDataResult(MessageId id) {
  if (id == kMsgDataTruncated) return kRowDataCut;
  if (id == kMsgNoDataFound) return kRowDataExhausted;
  return id;
}

// The pieces a value is delivered in.
MessageId Deliver(SQLSMALLINT sqlType, bool unsignedFlag, const void* source, SQLLEN length, SQLLEN* pieceOffset,
                  SQLSMALLINT cType, void* target, SQLLEN targetLength, SQLLEN* outLength) {
  return AsRowDataResult(ConvertSqlValueToCType(sqlType, unsignedFlag, source, length, pieceOffset, cType, target,
                                                targetLength, outLength));
}

struct Delivery {
  SQLLEN* pieceOffset;
  SQLSMALLINT cType;
  void* target;
  SQLLEN targetLength;
  SQLLEN* outLength;
};

MessageId DeliverNull(const Delivery& out) {
  return Deliver(SQL_VARCHAR, false, nullptr, SQL_NULL_DATA, out.pieceOffset, out.cType, out.target,
                 out.targetLength, out.outLength);
}

template <typename Value>
MessageId DeliverFixed(SQLSMALLINT sqlType, const Value& value, const Delivery& out) {
  return Deliver(sqlType, false, &value, sizeof value, out.pieceOffset, out.cType, out.target, out.targetLength,
                 out.outLength);
}

double DurationMultiplier(const TableCursor& cursor) {
  const ConnectionHandle* handle = cursor.connection->connection;
  return handle == nullptr ? 1.0 : handle->durationMultiplier;
}

bool IsBlankText(const std::string& text) { return text.find_first_not_of(" \t\r\n") == std::string::npos; }

// Each user's display name in the stored order, joined with ';' as the
// service joins the ids of a multi-user field; an id the service named no
// one for stays an id.
std::string UserDisplayNames(const std::map<std::string, std::string>& names, const std::string& ids) {
  std::string shown;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = std::min(ids.find(';', start), ids.size());
    const std::string id = ids.substr(start, end - start);
    auto name = names.find(id);
    shown += name == names.end() ? id : name->second;
    if (end == ids.size()) return shown;
    shown += ';';
    start = end + 1;
  }
}

MessageId DeliverText(const TableCursor& cursor, const ColumnDescriptor& column, const std::string& text,
                      const Delivery& out) {
  const ConnectionRecord& record = *cursor.connection;
  if (text.empty() && record.emptyTextIsNull != 0) return DeliverNull(out);
  std::string names;
  const std::string* shown = &text;
  if (column.fieldKind == FieldKind::kUser && record.rawUserFields == 0) {
    names = UserDisplayNames(record.client->session.userNames, text);
    shown = &names;
  }
  return Deliver(column.sqlType, false, shown->data(), static_cast<SQLLEN>(shown->size()), out.pieceOffset,
                 out.cType, out.target, out.targetLength, out.outLength);
}

MessageId DeliverNumber(const std::string& text, const Delivery& out) {
  if (IsBlankText(text)) return DeliverNull(out);
  double value = 0;
  std::size_t first = text.find_first_not_of(' ');
  auto parsed = std::from_chars(text.data() + first, text.data() + text.size(), value);
  if (parsed.ec != std::errc()) return kMsgConversionError;
  return DeliverFixed(SQL_DOUBLE, value, out);
}

// A related record's id, as the row stores it; empty when the row refers
// to none.
MessageId DeliverRelatedRecordId(const std::string& text, const Delivery& out) {
  if (IsBlankText(text)) return DeliverNull(out);
  const std::size_t first = text.find_first_not_of(' ');
  std::uint32_t value = 0;
  auto parsed = std::from_chars(text.data() + first, text.data() + text.size(), value);
  if (parsed.ec != std::errc()) return kMsgConversionError;
  return Deliver(SQL_INTEGER, true, &value, sizeof value, out.pieceOffset, out.cType, out.target, out.targetLength,
                 out.outLength);
}

MessageId DeliverDateTime(TableCursor& cursor, const ColumnDescriptor& column, const std::string& text,
                          const Delivery& out) {
  bool isNull = false;
  MessageId id = kMsgSuccess;
  if (column.fieldKind == FieldKind::kDate) {
    SQL_DATE_STRUCT date{};
    id = ReadServiceDate(text, date, isNull);
    if (id == kMsgSuccess && !isNull) return DeliverFixed(SQL_DATE, date, out);
  } else if (column.fieldKind == FieldKind::kTimestamp) {
    SQL_TIMESTAMP_STRUCT timestamp{};
    id = ReadServiceTimestamp(text, CursorTimeZoneRule(cursor), timestamp, isNull);
    if (id == kMsgSuccess && !isNull) return DeliverFixed(SQL_TIMESTAMP, timestamp, out);
  } else {
    SQL_TIME_STRUCT time{};
    id = ReadServiceTimeOfDay(text, time, isNull);
    if (id == kMsgSuccess && !isNull) return DeliverFixed(SQL_TIME, time, out);
  }
  return id != kMsgSuccess ? id : DeliverNull(out);
}

MessageId DeliverOther(const TableCursor& cursor, const ColumnDescriptor& column, const std::string& text,
                       const Delivery& out) {
  bool isNull = false;
  if (column.fieldKind == FieldKind::kDuration) {
    double value = 0;
    MessageId id = ReadServiceDuration(text, DurationMultiplier(cursor), value, isNull);
    if (id != kMsgSuccess) return id;
    return isNull ? DeliverNull(out) : DeliverFixed(SQL_DOUBLE, value, out);
  }
  bool checked = false;
  MessageId id = ReadServiceCheckbox(text, checked, isNull);
  if (id != kMsgSuccess) return id;
  unsigned char bit = checked ? 1 : 0;
  return isNull ? DeliverNull(out) : DeliverFixed(SQL_BIT, bit, out);
}

MessageId DeliverFile(TableCursor& cursor, const ColumnDescriptor& column, const std::string& fileName,
                      const Delivery& out) {
  if (IsBlankText(fileName)) return DeliverNull(out);
  PlatformFile file = kNoFile;
  MessageId id = FetchAttachmentFile(cursor, column, fileName, file);
  if (id != kMsgSuccess) return id;
  if (file == kNoFile) return DeliverNull(out);
  return AsRowDataResult(
      DeliverAttachment(file, out.pieceOffset, out.cType, out.target, out.targetLength, out.outLength));
}

MessageId DeliverValue(TableCursor& cursor, const ColumnDescriptor& column, const std::string& text,
                       const Delivery& out) {
  switch (column.fieldKind) {
    case FieldKind::kText:
    case FieldKind::kUser:
      return DeliverText(cursor, column, text, out);
    case FieldKind::kNumeric:
      return DeliverNumber(text, out);
    case FieldKind::kRecordId:
      return DeliverRelatedRecordId(text, out);
    case FieldKind::kDate:
    case FieldKind::kTimestamp:
    case FieldKind::kTimeOfDay:
      return DeliverDateTime(cursor, column, text, out);
    case FieldKind::kFile:
      return DeliverFile(cursor, column, text, out);
    default:
      return DeliverOther(cursor, column, text, out);
  }
}

}  // namespace

TimeZoneRule CursorTimeZoneRule(const TableCursor& cursor) {
  TimeZoneRule rule;
  if (cursor.connection == nullptr) return rule;
  if (cursor.connection->client != nullptr) rule.memo = &cursor.connection->client->localOffsetMemo;
  const ConnectionHandle* handle = cursor.connection->connection;
  if (handle != nullptr && handle->timezoneOffsetSet) {
    rule.fixedOffset = true;
    rule.offsetMinutes = handle->timezoneOffsetMinutes;
  }
  return rule;
}

MessageId GetRowColumnData(TableCursor& cursor, std::uint16_t column, SQLLEN* pieceOffset, SQLSMALLINT cType,
                           void* target, SQLLEN targetLength, SQLLEN* outLength) {
  SQLLEN localOffset = 0;
  if (pieceOffset == nullptr) pieceOffset = &localOffset;
  if (cursor.pseudoTable != PseudoTable::kNone)
    return GetPseudoColumnData(cursor, column, pieceOffset, cType, target, targetLength, outLength);
  if (column >= cursor.columns.size()) return kMsgInvalidColumnId;
  if (!CursorHasRow(cursor)) return kMsgInvalidCursorState;
  const ColumnDescriptor& descriptor = cursor.columns[column];
  Delivery out{pieceOffset, cType, target, targetLength, outLength};
  if (descriptor.fieldKind == FieldKind::kRecordId && descriptor.fieldId == kRecordIdFieldId) {
    // A row waiting in the write cache has no record id until the service
    // gives it one; its provisional id is only the driver's bookmark of it.
    if (cursor.recordId >= kFirstProvisionalRecordId) return DeliverNull(out);
    std::uint32_t recordId = cursor.recordId;
    return Deliver(SQL_INTEGER, true, &recordId, sizeof recordId, pieceOffset, cType, target, targetLength,
                   outLength);
  }
  const std::string* text = CurrentFieldText(cursor, descriptor);
  if (text == nullptr) return DeliverNull(out);
  return DeliverValue(cursor, descriptor, *text, out);
}
