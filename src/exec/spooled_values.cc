// Spooled values: their fixed-width encoding with the NULL marker, and the
// reader of one value of a SELECT's current row from its result file or its
// in-memory row.
#include <sqlext.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "common/datetime_text.h"
#include "common/utf16_text.h"
#include "exec/number_operands.h"
#include "exec/spool_files.h"
#include "platform/utf8_text.h"

namespace {

inline constexpr std::uint32_t kDoubleWidth = 8;
inline constexpr std::uint32_t kBinaryLengthWidth = 2;
// Values up to this many bytes are encoded and read on the stack.
inline constexpr std::uint32_t kSmallValue = 512;
// No record layout gives a value more; a larger width is a damaged layout.
inline constexpr std::uint32_t kMaxSpooledWidth = 65535;

// A blank-padded text; the cut never splits a UTF-8 sequence.
void PutPaddedText(std::string_view text, std::uint32_t width, unsigned char* out) {
  const std::size_t kept = text.size() <= width ? text.size() : CutUtf8(text, width);
  if (kept > 0) std::memcpy(out, text.data(), kept);
  std::memset(out + kept, ' ', width - kept);
}

MessageId PutNumericText(const ValueCell& value, bool isNull, std::uint32_t width, unsigned char* out) {
  const std::string_view text = isNull ? std::string_view() : std::string_view(value.bytes);
  // A number cut short would read back as another number.
  if (text.size() > width) return kMsgOutOfRange;
  PutPaddedText(text, width, out);
  return kMsgSuccess;
}

MessageId PutBinary(const ValueCell& value, bool isNull, std::uint32_t width, unsigned char* out) {
  if (width < kBinaryLengthWidth) return kMsgInternalError;
  const std::uint32_t room = width - kBinaryLengthWidth;
  const std::size_t length = isNull ? 0 : std::min<std::size_t>(value.bytes.size(), std::min(room, 0xFFFFu));
  if (length > 0) std::memcpy(out, value.bytes.data(), length);
  std::memset(out + length, 0, room - length);
  out[room] = static_cast<unsigned char>(length >> 8);
  out[room + 1] = static_cast<unsigned char>(length & 0xFF);
  return kMsgSuccess;
}

MessageId PutDouble(double number, std::uint32_t width, unsigned char* out) {
  if (width < kDoubleWidth) return kMsgInternalError;
  std::memcpy(out, &number, kDoubleWidth);
  std::memset(out + kDoubleWidth, 0, width - kDoubleWidth);
  return kMsgSuccess;
}

MessageId PutDateTimeText(const ValueCell& value, bool isNull, std::uint32_t width, unsigned char* out) {
  const NodeValue shown = isNull ? NodeValue{} : value.value;
  char text[24] = {};
  if (value.valueType == kValueDate) FormatDateText(shown.date, text);
  else if (value.valueType == kValueTime) FormatTimeText(shown.time, text);
  else FormatTimestampText(shown.timestamp, text);
  const std::size_t length = std::strlen(text);
  if (length > width) return kMsgInternalError;
  PutPaddedText(std::string_view(text, length), width, out);
  return kMsgSuccess;
}

bool DropsTrailingBlanks(std::int16_t sqlType) {
  return sqlType == SQL_VARCHAR || sqlType == SQL_LONGVARCHAR || sqlType == SQL_WVARCHAR ||
         sqlType == SQL_WLONGVARCHAR;
}

std::string_view WithoutTrailingBlanks(std::string_view text) {
  const std::size_t end = text.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
}

// A CHAR text of n characters fills a field of four bytes a character: its
// own blanks are kept, the field's padding beyond its n characters is not.
std::string_view FixedLengthText(std::string_view field, std::int32_t characters) {
  if (characters <= 0) return field;
  return field.substr(0, Utf8PrefixBytes(field, static_cast<std::size_t>(characters)));
}

MessageId GetBinary(const unsigned char* bytes, std::uint32_t width, ValueCell& cell) {
  const std::uint32_t room = width - kBinaryLengthWidth;
  const std::uint32_t length = (std::uint32_t{bytes[room]} << 8) | bytes[room + 1];
  if (length > room) return kMsgUnableToOrderBy;
  cell.bytes.assign(reinterpret_cast<const char*>(bytes), length);
  return kMsgSuccess;
}

MessageId GetValue(const unsigned char* bytes, std::uint32_t width, ValueCell& cell) {
  const auto* text = reinterpret_cast<const char*>(bytes);
  const std::string_view field(text, width);
  switch (cell.valueType) {
    case kValueCharacter:
      cell.bytes.assign(DropsTrailingBlanks(cell.sqlType) ? WithoutTrailingBlanks(field)
                                                           : FixedLengthText(field, cell.size));
      return kMsgSuccess;
    case kValueNumeric: cell.bytes.assign(WithoutTrailingBlanks(field)); return kMsgSuccess;
    case kValueBinary: return GetBinary(bytes, width, cell);
    case kValueInteger:
    case kValueDouble: std::memcpy(&cell.value.number, bytes, kDoubleWidth); return kMsgSuccess;
    case kValueDate: return ParseDateLiteral(text, static_cast<SQLLEN>(width), cell.value.date);
    case kValueTime: return ParseTimeLiteral(text, static_cast<SQLLEN>(width), cell.value.time);
    default: return ParseTimestampLiteral(text, static_cast<SQLLEN>(width), cell.value.timestamp);
  }
}

MessageId CheckWidth(std::int16_t valueType, std::uint32_t width) {
  if (!IsKnownValueType(valueType)) return kMsgNotSupportedDetail;
  if (width > kMaxSpooledWidth) return kMsgInternalError;
  if (valueType == kValueBinary && width < kBinaryLengthWidth) return kMsgInternalError;
  if ((valueType == kValueInteger || valueType == kValueDouble) && width < kDoubleWidth) return kMsgInternalError;
  return kMsgSuccess;
}

// The bytes of the spooled value within the SELECT's current row, copied to
// out (width + 1 bytes).
MessageId FetchSpooledBytes(const ParseTree& tree, const SelectFields& select, std::uint64_t start,
                            std::uint32_t span, unsigned char* out) {
  const std::uint64_t rowSize = select.distinctRows != 0 ? select.distinctRecordLength : select.sortRecordLength;
  if (start + span > rowSize) return kMsgUnableToOrderBy;
  if (select.inMemoryRow != kNoValue) {
    if (select.inMemoryRow >= tree.values.size()) return kMsgUnableToOrderBy;
    const std::string& row = tree.values[select.inMemoryRow].text;
    if (start + span > row.size()) return kMsgUnableToOrderBy;
    std::memcpy(out, row.data() + start, span);
    return kMsgSuccess;
  }
  if (select.resultFile == kNoResultFile || select.currentRow < 0) return kMsgUnableToOrderBy;
  const auto offset = static_cast<std::int64_t>(static_cast<std::uint64_t>(select.currentRow) * rowSize + start);
  const std::int64_t read = ReadFullBufferAt(select.resultFile, out, span, offset);
  return read == static_cast<std::int64_t>(span) ? kMsgSuccess : kMsgUnableToOrderBy;
}

}  // namespace

MessageId EncodeSpooledValue(const ValueCell& value, std::uint32_t width, unsigned char* out) {
  const bool isNull = value.nullFlag != 0;
  if (!IsKnownValueType(value.valueType) || width > kMaxSpooledWidth) return kMsgInternalError;
  out[width] = static_cast<unsigned char>(isNull ? kSpoolNullMarker : kSpoolValueMarker);
  switch (value.valueType) {
    case kValueCharacter:
      PutPaddedText(isNull ? std::string_view() : std::string_view(value.bytes), width, out);
      return kMsgSuccess;
    case kValueNumeric: return PutNumericText(value, isNull, width, out);
    case kValueBinary: return PutBinary(value, isNull, width, out);
    case kValueInteger:
    case kValueDouble: return PutDouble(isNull ? 0.0 : value.value.number, width, out);
    default: return PutDateTimeText(value, isNull, width, out);
  }
}

MessageId WriteSpooledValue(SpoolWriter& writer, const ValueCell& value, std::uint32_t width) {
  const std::uint32_t span = width + 1;
  unsigned char small[kSmallValue];
  std::vector<unsigned char> large;
  unsigned char* encoded = small;
  if (span > kSmallValue) {
    large.resize(span);
    encoded = large.data();
  }
  if (MessageId id = EncodeSpooledValue(value, width, encoded)) return id;
  return WriteSpoolBytes(writer, encoded, span) < 0 ? kMsgUnableToOrderBy : kMsgSuccess;
}

MessageId DecodeSpooledValue(const unsigned char* bytes, std::uint32_t width, ValueCell& cell) {
  if (MessageId id = CheckWidth(cell.valueType, width)) return id;
  const char marker = static_cast<char>(bytes[width]);
  if (marker != kSpoolValueMarker && marker != kSpoolNullMarker) return kMsgUnableToOrderBy;
  if (marker == kSpoolNullMarker) {
    SetNullValue(cell);
    return kMsgSuccess;
  }
  cell.nullFlag = 0;
  return GetValue(bytes, width, cell);
}

MessageId ReadSpooledColumnValue(ParseTree& tree, NodeIndex select, ValueCell& cell, std::uint32_t position,
                                 std::uint32_t width) {
  if (select >= tree.nodes.size() || tree.nodes[select].kind != kNodeSelect) return kMsgInternalError;
  if (position == 0) return kMsgUnableToOrderBy;
  if (MessageId id = CheckWidth(cell.valueType, width)) return id;
  const std::uint32_t span = width + 1;
  unsigned char small[kSmallValue];
  std::vector<unsigned char> large;
  unsigned char* bytes = small;
  if (span > kSmallValue) {
    large.resize(span);
    bytes = large.data();
  }
  const SelectFields& f = tree.nodes[select].fields.select;
  if (MessageId id = FetchSpooledBytes(tree, f, position - 1ull, span, bytes)) return id;
  return DecodeSpooledValue(bytes, width, cell);
}
