// Values as the service stores them, for CSV batches and record writes.
#include "tables/write_values.h"

#include <charconv>
#include <cstdio>
#include <cstring>

#include "common/datetime_text.h"
#include "common/epoch_time.h"
#include "common/service_text.h"
#include "common/utf16_text.h"
#include "common/value_cell.h"
#include "handles/connection_record.h"
#include "handles/handles.h"
#include "platform/utf8_text.h"
#include "tables/table_failures.h"

namespace {

std::string CharacterText(const void* value, SQLLEN length) {
  const char* chars = static_cast<const char*>(value);
  return length == SQL_NTS ? std::string(chars) : std::string(chars, static_cast<std::size_t>(length));
}

// Import requests have no millisecond option for durations: a value without
// unit counts as days there, so days are written, to the last digit.
MessageId RenderDuration(const TableCursor& cursor, std::int16_t valueType, const void* value, SQLLEN length,
                         std::string& text) {
  double amount = 0;
  if (valueType == kValueDouble) {
    std::memcpy(&amount, value, sizeof amount);
  } else if (valueType == kValueCharacter) {
    std::string chars = CharacterText(value, length);
    auto parsed = std::from_chars(chars.data(), chars.data() + chars.size(), amount);
    if (parsed.ec != std::errc() || parsed.ptr != chars.data() + chars.size()) return kMsgAssignmentError;
  } else {
    return kMsgConversionError;
  }
  const ConnectionHandle* handle = cursor.connection->connection;
  double ms = DurationValueToMs(amount, handle == nullptr ? 1.0 : handle->durationMultiplier);
  // Plain decimal digits: the service reads no exponent, and the shortest
  // fixed form still reads back as the same double.
  char buffer[512];
  auto written = std::to_chars(buffer, buffer + sizeof buffer, ms / static_cast<double>(kMillisecondsPerDay),
                               std::chars_format::fixed);
  if (written.ec != std::errc()) return kMsgOutOfRange;
  text.assign(buffer, written.ptr);
  return kMsgSuccess;
}

MessageId RenderDate(const TableCursor& cursor, std::int16_t valueType, const void* value, SQLLEN length,
                     std::string& text) {
  if (valueType != kValueTimestamp) return FormatServiceText(cursor, valueType, value, length, text);
  SQL_TIMESTAMP_STRUCT timestamp;
  std::memcpy(&timestamp, value, sizeof timestamp);
  SQL_DATE_STRUCT date{timestamp.year, timestamp.month, timestamp.day};
  return FormatServiceText(cursor, kValueDate, &date, sizeof date, text);
}

MessageId RenderTimestamp(const TableCursor& cursor, std::int16_t valueType, const void* value, SQLLEN length,
                          std::string& text) {
  SQL_TIMESTAMP_STRUCT timestamp{};
  if (valueType == kValueDate) {
    SQL_DATE_STRUCT date;
    std::memcpy(&date, value, sizeof date);
    timestamp.year = date.year;
    timestamp.month = date.month;
    timestamp.day = date.day;
    return FormatServiceText(cursor, kValueTimestamp, &timestamp, sizeof timestamp, text);
  }
  // Text goes through the connection's time rule too, not the service's own zone.
  if (valueType == kValueCharacter &&
      ParseTimestampLiteral(static_cast<const char*>(value), length, timestamp) == kMsgSuccess)
    return FormatServiceText(cursor, kValueTimestamp, &timestamp, sizeof timestamp, text);
  return FormatServiceText(cursor, valueType, value, length, text);
}

MessageId RenderCheckbox(const TableCursor& cursor, std::int16_t valueType, const void* value, SQLLEN length,
                         std::string& text) {
  if (valueType != kValueDouble) return FormatServiceText(cursor, valueType, value, length, text);
  double amount = 0;
  std::memcpy(&amount, value, sizeof amount);
  text.assign(1, amount != 0 ? '1' : '0');
  return kMsgSuccess;
}

}  // namespace

MessageId CheckTextLength(const TableCursor& cursor, const ColumnDescriptor& column, std::string_view text) {
  if (column.maxLength <= 0) return kMsgSuccess;
  const std::size_t characters = CountUtf8Characters(text);
  if (characters <= static_cast<std::size_t>(column.maxLength)) return kMsgSuccess;
  if (cursor.connection == nullptr) return kMsgValueTooLong;
  return RecordTableFailure(*cursor.connection, kMsgValueTooLong,
                            "'" + column.name + "' (" + std::to_string(characters) +
                                " characters; the field holds at most " + std::to_string(column.maxLength) + ")");
}

// The service's requests are XML 1.0, which can carry neither most control
// characters (not even as references) nor bytes that are not UTF-8: such a
// value would be refused with the whole request, or stored as something else.
MessageId CheckStorableText(const TableCursor& cursor, const ColumnDescriptor& column, std::string_view text) {
  char32_t code = 0;
  const std::size_t at = FindNonXmlText(text, code);
  if (at == std::string::npos) return kMsgSuccess;
  if (cursor.connection == nullptr) return kMsgUnstorableCharacter;
  char reason[96];
  if (code == 0 && text[at] != '\0')
    std::snprintf(reason, sizeof reason, "holds bytes that are not UTF-8 at byte %zu", at);
  else
    std::snprintf(reason, sizeof reason, "holds U+%04X at byte %zu, which the service can't store",
                  static_cast<unsigned>(code), at);
  return RecordTableFailure(*cursor.connection, kMsgUnstorableCharacter,
                            "'" + column.name + "': the value " + reason);
}

MessageId FormatServiceText(const TableCursor& cursor, std::int16_t valueType, const void* value, SQLLEN length,
                            std::string& text) {
  const ConnectionHandle* handle = cursor.connection == nullptr ? nullptr : cursor.connection->connection;
  bool fixedOffset = handle != nullptr && handle->timezoneOffsetSet;
  return FormatCValueAsQuickBaseText(text, valueType, value, length, fixedOffset,
                                     fixedOffset ? handle->timezoneOffsetMinutes : 0);
}

MessageId RenderWriteValue(const TableCursor& cursor, const ColumnDescriptor& column, std::int16_t valueType,
                           const void* value, SQLLEN length, std::string& text) {
  text.clear();
  if (length == SQL_NULL_DATA || value == nullptr) return kMsgSuccess;
  switch (column.fieldKind) {
    case FieldKind::kFile:
      text = valueType == kValueCharacter || valueType == kValueBinary
                 ? CharacterText(value, valueType == kValueBinary && length == SQL_NTS ? 0 : length)
                 : std::string();
      return kMsgSuccess;
    case FieldKind::kDuration:
      return RenderDuration(cursor, valueType, value, length, text);
    case FieldKind::kDate:
      return RenderDate(cursor, valueType, value, length, text);
    case FieldKind::kTimestamp:
      return RenderTimestamp(cursor, valueType, value, length, text);
    case FieldKind::kCheckbox:
      return RenderCheckbox(cursor, valueType, value, length, text);
    default: {
      MessageId id = FormatServiceText(cursor, valueType, value, length, text);
      if (id == kMsgSuccess && cursor.pseudoTable == PseudoTable::kNone)
        id = CheckStorableText(cursor, column, text);
      return id;
    }
  }
}
