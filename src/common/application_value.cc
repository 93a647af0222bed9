// Reading application buffers by C type for ConvertCValueToNodeValue.
#include "common/application_value.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include <sql.h>
#include <sqlext.h>

#include "common/c_type_rules.h"
#include "common/utf16_text.h"

namespace {

// The byte count of character or binary data; false for a length that is
// neither a count nor SQL_NTS.
bool ByteLength(const void* data, SQLLEN length, SQLLEN bufferLength, std::size_t& count) {
  if (length >= 0) {
    count = static_cast<std::size_t>(length);
    return true;
  }
  if (length != SQL_NTS) return false;
  const auto* text = static_cast<const char*>(data);
  count = bufferLength > 0 ? strnlen(text, static_cast<std::size_t>(bufferLength)) : std::strlen(text);
  return true;
}

MessageId ReadWideText(const void* data, SQLLEN length, SQLLEN bufferLength, ApplicationValue& value) {
  std::size_t count = 0;
  if (length >= 0) {
    count = static_cast<std::size_t>(length);
  } else if (length == SQL_NTS) {
    count = Utf16LeTerminatedLength(data, bufferLength);
  } else {
    return kMsgConversionError;
  }
  value.kind = ApplicationValueKind::kText;
  return Utf16LeToUtf8(data, count, value.bytes) ? kMsgSuccess : kMsgConversionError;
}

MessageId ReadReal(double real, bool fromFloat, ApplicationValue& value) {
  if (!std::isfinite(real)) return kMsgOutOfRange;
  value.kind = ApplicationValueKind::kReal;
  value.real = real;
  if (!fromFloat) return ExactFromDouble(real, value.number);
  // A float's own shortest text, so 0.1f reads as "0.1" and not as the
  // digits of its double widening.
  char buffer[400];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(real), std::chars_format::fixed);
  if (result.ec != std::errc()) return kMsgOutOfRange;
  return ReadExactNumber(std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)), value.number);
}

MessageId ReadInteger(SQLSMALLINT cType, const void* data, ApplicationValue& value) {
  value.kind = ApplicationValueKind::kNumber;
  switch (cType) {
    case SQL_C_BIT:
    case SQL_C_UTINYINT:
      value.number = ExactFromUint64(LoadAs<std::uint8_t>(data));
      break;
    case SQL_C_STINYINT:
      value.number = ExactFromInt64(LoadAs<std::int8_t>(data));
      break;
    case SQL_C_USHORT:
      value.number = ExactFromUint64(LoadAs<std::uint16_t>(data));
      break;
    case SQL_C_SSHORT:
      value.number = ExactFromInt64(LoadAs<std::int16_t>(data));
      break;
    case SQL_C_ULONG:
      value.number = ExactFromUint64(LoadAs<std::uint32_t>(data));
      break;
    case SQL_C_SLONG:
      value.number = ExactFromInt64(LoadAs<std::int32_t>(data));
      break;
    case SQL_C_UBIGINT:
      value.number = ExactFromUint64(LoadAs<std::uint64_t>(data));
      break;
    case SQL_C_SBIGINT:
      value.number = ExactFromInt64(LoadAs<std::int64_t>(data));
      break;
    default:
      return kMsgNotSupportedDetail;
  }
  return kMsgSuccess;
}

MessageId ReadDateTime(SQLSMALLINT cType, const void* data, ApplicationValue& value) {
  switch (cType) {
    case SQL_C_DATE:
    case SQL_C_TYPE_DATE:
      value.kind = ApplicationValueKind::kDate;
      value.date = LoadAs<SQL_DATE_STRUCT>(data);
      return kMsgSuccess;
    case SQL_C_TIME:
    case SQL_C_TYPE_TIME:
      value.kind = ApplicationValueKind::kTime;
      value.time = LoadAs<SQL_TIME_STRUCT>(data);
      return kMsgSuccess;
    case SQL_C_TIMESTAMP:
    case SQL_C_TYPE_TIMESTAMP:
      value.kind = ApplicationValueKind::kTimestamp;
      value.timestamp = LoadAs<SQL_TIMESTAMP_STRUCT>(data);
      return kMsgSuccess;
    default:
      return kMsgNotSupportedDetail;
  }
}

MessageId ReadFixedSize(SQLSMALLINT cType, const void* data, ApplicationValue& value) {
  switch (cType) {
    case SQL_C_FLOAT:
      return ReadReal(LoadAs<float>(data), true, value);
    case SQL_C_DOUBLE:
      return ReadReal(LoadAs<double>(data), false, value);
    case SQL_C_NUMERIC:
      value.kind = ApplicationValueKind::kNumber;
      return ExactFromNumericStruct(LoadAs<SQL_NUMERIC_STRUCT>(data), value.number);
    case SQL_C_DATE:
    case SQL_C_TYPE_DATE:
    case SQL_C_TIME:
    case SQL_C_TYPE_TIME:
    case SQL_C_TIMESTAMP:
    case SQL_C_TYPE_TIMESTAMP:
      return ReadDateTime(cType, data, value);
    default:
      return ReadInteger(cType, data, value);
  }
}

}  // namespace

MessageId ReadApplicationValue(SQLSMALLINT cType, const void* data, SQLLEN length, SQLLEN bufferLength,
                               ApplicationValue& value) {
  if (cType == SQL_C_WCHAR) return ReadWideText(data, length, bufferLength, value);
  if (cType == SQL_C_CHAR || cType == SQL_C_BINARY) {
    std::size_t count = 0;
    if (!ByteLength(data, length, bufferLength, count)) return kMsgConversionError;
    value.kind = cType == SQL_C_CHAR ? ApplicationValueKind::kText : ApplicationValueKind::kBytes;
    value.bytes.assign(static_cast<const char*>(data), count);
    return kMsgSuccess;
  }
  const std::size_t size = FixedCTypeSize(cType);
  if (size == 0) return kMsgNotSupportedDetail;
  const MessageId id = ReadFixedSize(cType, data, value);
  if (id == kMsgSuccess) value.bytes.assign(static_cast<const char*>(data), size);
  return id;
}
