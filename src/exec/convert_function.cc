// CONVERT by result SQL type, then by where the argument's value lives.
#include "exec/convert_function.h"

#include <cfloat>
#include <cmath>
#include <cstring>

#include <sqlext.h>

#include "common/datetime_text.h"
#include "common/number_text.h"
#include "exec/current_datetime.h"
#include "exec/numeric_result.h"
#include "exec/scalar_call.h"
#include "handles/statement_handle.h"

namespace {

enum class Source : std::uint8_t { kNumber, kNumericText, kText, kBinary, kDate, kTime, kTimestamp };

struct NumberTarget {
  std::int16_t sqlType;
  double minimum;
  double maximum;
  bool whole;
  std::size_t width;  // bytes of the C value a binary argument must hold
};

constexpr NumberTarget kNumberTargets[] = {
    {SQL_BIT, 0, 1, true, 1},
    {SQL_TINYINT, -128, 127, true, 1},
    {SQL_SMALLINT, -32768, 32767, true, 2},
    {SQL_INTEGER, -2147483648.0, 2147483647.0, true, 4},
    {SQL_REAL, -3.4e38, 3.4e38, false, 4},
    {SQL_FLOAT, -1.7e308, 1.7e308, false, 8},
    {SQL_DOUBLE, -1.7e308, 1.7e308, false, 8},
};

bool IsKnownArgumentType(std::int16_t sqlType) {
  switch (sqlType) {
    case SQL_BIT: case SQL_TINYINT: case SQL_INTEGER: case SQL_SMALLINT: case SQL_FLOAT: case SQL_REAL:
    case SQL_DOUBLE: case SQL_BIGINT: case SQL_NUMERIC: case SQL_DECIMAL: case SQL_CHAR: case SQL_VARCHAR:
    case SQL_BINARY: case SQL_VARBINARY: case SQL_DATE: case SQL_TYPE_DATE: case SQL_TIME: case SQL_TYPE_TIME:
    case SQL_TIMESTAMP: case SQL_TYPE_TIMESTAMP: return true;
    default: return false;
  }
}

// Where the argument's value lives decides how it is read; its SQL type
// only says which of the long types are refused and how numbers become bytes.
bool SourceOf(const ValueCell& argument, Source& source) {
  switch (argument.valueType) {
    case kValueInteger:
    case kValueDouble: source = Source::kNumber; return true;
    case kValueNumeric: source = Source::kNumericText; return true;
    case kValueCharacter: source = Source::kText; return true;
    case kValueBinary: source = Source::kBinary; return true;
    case kValueDate: source = Source::kDate; return true;
    case kValueTime: source = Source::kTime; return true;
    case kValueTimestamp: source = Source::kTimestamp; return true;
    default: return false;
  }
}

MessageId NotSupported(ScalarCall& call) {
  call.statement.diagnostic.detailText = GetScalarFunctionTable()[call.row].name;
  return kMsgNotSupportedDetail;
}

bool InRange(double value, const NumberTarget& target) { return value >= target.minimum && value <= target.maximum; }

MessageId NumberFromBytes(std::string_view bytes, const NumberTarget& target, double& value) {
  if (bytes.size() != target.width) return kMsgConversionError;
  switch (target.sqlType) {
    case SQL_BIT: value = static_cast<unsigned char>(bytes[0]); break;
    case SQL_TINYINT: value = static_cast<signed char>(bytes[0]); break;
    case SQL_SMALLINT: { std::int16_t v = 0; std::memcpy(&v, bytes.data(), 2); value = v; break; }
    case SQL_INTEGER: { std::int32_t v = 0; std::memcpy(&v, bytes.data(), 4); value = v; break; }
    case SQL_REAL: { float v = 0; std::memcpy(&v, bytes.data(), 4); value = v; break; }
    default: std::memcpy(&value, bytes.data(), 8); break;
  }
  return kMsgSuccess;
}

MessageId NumberFromText(std::string_view text, const NumberTarget& target, double& value) {
  const MessageId id = ParseDoubleInRange(text.data(), static_cast<SQLLEN>(text.size()), target.whole,
                                          target.minimum, target.maximum, value);
  if (id == kMsgSuccess || id == kMsgOutOfRange) return id;
  return kMsgConversionError;
}

// An integer target drops a double's fraction, as every conversion of a
// number to an integer type does, before the range is checked.
MessageId ToNumber(ScalarCall& call, Source source, const NumberTarget& target) {
  const ValueCell& argument = ArgumentCell(call, 0);
  double value = 0.0;
  MessageId id = kMsgSuccess;
  switch (source) {
    case Source::kNumber: value = target.whole ? std::trunc(argument.value.number) : argument.value.number; break;
    case Source::kNumericText:
    case Source::kText: id = NumberFromText(argument.bytes, target, value); break;
    case Source::kBinary: id = NumberFromBytes(argument.bytes, target, value); break;
    default: return kMsgConversionError;
  }
  if (id != kMsgSuccess) return id;
  if (!InRange(value, target)) return kMsgOutOfRange;
  SetNumberResult(call, value + 0.0);
  return kMsgSuccess;
}

MessageId ToNumericText(ScalarCall& call, Source source) {
  const ValueCell& argument = ArgumentCell(call, 0);
  switch (source) {
    case Source::kNumber: return SetNumericFromDouble(call, argument.value.number);
    case Source::kNumericText:
    case Source::kText:
    case Source::kBinary: return SetNumericFromText(call, argument.bytes);
    default: return kMsgConversionError;
  }
}

template <typename T>
std::string BytesOf(T value) {
  std::string bytes(sizeof value, '\0');
  std::memcpy(bytes.data(), &value, sizeof value);
  return bytes;
}

// A number as the C value of its SQL type; the integer types take the value
// truncated to 32 bits, which must hold it.
MessageId NumberBytes(const ValueCell& argument, std::string& bytes) {
  const double value = argument.value.number;
  if (argument.sqlType == SQL_FLOAT || argument.sqlType == SQL_DOUBLE) {
    bytes = BytesOf(value);
    return kMsgSuccess;
  }
  if (argument.sqlType == SQL_REAL) {
    if (std::isfinite(value) && std::fabs(value) > FLT_MAX) return kMsgOutOfRange;
    bytes = BytesOf(static_cast<float>(value));
    return kMsgSuccess;
  }
  std::int32_t whole = 0;
  if (!WholeNumberInInt32(value, whole)) return kMsgOutOfRange;
  switch (argument.sqlType) {
    case SQL_BIT:
    case SQL_TINYINT: bytes = BytesOf(static_cast<std::uint8_t>(whole)); break;
    case SQL_SMALLINT: bytes = BytesOf(static_cast<std::uint16_t>(whole)); break;
    case SQL_INTEGER: bytes = BytesOf(whole); break;
    default: bytes = BytesOf(value); break;
  }
  return kMsgSuccess;
}

MessageId ToBinary(ScalarCall& call, Source source) {
  const ValueCell& argument = ArgumentCell(call, 0);
  std::string bytes;
  switch (source) {
    case Source::kNumber:
      if (MessageId id = NumberBytes(argument, bytes)) return id;
      break;
    case Source::kNumericText:
    case Source::kText:
    case Source::kBinary: bytes = argument.bytes; break;
    case Source::kDate: bytes = BytesOf(argument.value.date); break;
    case Source::kTime: bytes = BytesOf(argument.value.time); break;
    case Source::kTimestamp: bytes = BytesOf(argument.value.timestamp); break;
  }
  const auto size = static_cast<std::size_t>(std::max(call.result.size, 0));
  if (bytes.size() > size) return kMsgConversionError;
  // A text pads only to its own size in characters, so an ASCII text keeps
  // the bytes it converts to; the room beyond holds wider characters.
  std::size_t padded = size;
  if (source == Source::kText && argument.size >= 0) padded = std::min(size, static_cast<std::size_t>(argument.size));
  if (call.result.sqlType == SQL_BINARY && bytes.size() < padded) bytes.resize(padded, '\0');
  SetBinaryResult(call, std::move(bytes));
  return kMsgSuccess;
}

std::string HexText(std::string_view bytes) {
  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(2 * bytes.size());
  for (const char byte : bytes) {
    const auto b = static_cast<unsigned char>(byte);
    text.push_back(kHexDigits[b >> 4]);
    text.push_back(kHexDigits[b & 0x0F]);
  }
  return text;
}

std::string_view WithoutTrailingBlanks(std::string_view text) {
  const std::size_t last = text.find_last_not_of(' ');
  return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

// A number whose text does not fit the column is out of range rather than a
// cut (and so wrong) number.
MessageId NumberText(double value, std::size_t size, std::string& text) {
  char work[64];
  if (FormatDoubleText(value, true, work, std::min(size + 1, sizeof work)) != 0) return kMsgOutOfRange;
  text = work;
  return kMsgSuccess;
}

MessageId CharacterText(const ScalarCall& call, Source source, std::string& text) {
  const ValueCell& argument = ArgumentCell(call, 0);
  const auto size = static_cast<std::size_t>(std::max(call.result.size, 0));
  char work[24];
  switch (source) {
    case Source::kNumber: return NumberText(argument.value.number, size, text);
    case Source::kNumericText: text = argument.bytes; return kMsgSuccess;
    case Source::kText:
      text = argument.sqlType == SQL_CHAR && call.result.sqlType == SQL_VARCHAR
                 ? std::string(WithoutTrailingBlanks(argument.bytes))
                 : argument.bytes;
      return kMsgSuccess;
    case Source::kBinary:
      if (2 * argument.bytes.size() > size) return kMsgConversionError;
      text = HexText(argument.bytes);
      return kMsgSuccess;
    case Source::kDate: FormatDateText(argument.value.date, work); break;
    case Source::kTime: FormatTimeText(argument.value.time, work); break;
    case Source::kTimestamp: FormatTimestampText(argument.value.timestamp, work); break;
  }
  text = work;
  return kMsgSuccess;
}

MessageId ToCharacter(ScalarCall& call, Source source) {
  std::string text;
  if (MessageId id = CharacterText(call, source, text)) return id;
  if (call.result.sqlType == SQL_CHAR && call.result.size > 0 && text.size() < static_cast<std::size_t>(call.result.size)) {
    text.resize(static_cast<std::size_t>(call.result.size), ' ');
  }
  SetTextResult(call, std::move(text));
  return kMsgSuccess;
}

// Bytes taken as a date-time structure must hold one the driver can show.
template <typename T>
bool ReadStruct(std::string_view bytes, T& out) {
  if (bytes.size() != sizeof out) return false;
  std::memcpy(&out, bytes.data(), sizeof out);
  return true;
}

MessageId ToDate(ScalarCall& call, Source source) {
  const ValueCell& argument = ArgumentCell(call, 0);
  SQL_DATE_STRUCT& out = call.result.value.date;
  switch (source) {
    case Source::kText: return ParseDateLiteral(argument.bytes.data(), static_cast<SQLLEN>(argument.bytes.size()), out);
    case Source::kBinary:
      if (!ReadStruct(argument.bytes, out) || !IsValidDate(out.year, out.month, out.day, true)) return kMsgConversionError;
      return kMsgSuccess;
    case Source::kDate: out = argument.value.date; return kMsgSuccess;
    case Source::kTimestamp:
      out = SQL_DATE_STRUCT{argument.value.timestamp.year, argument.value.timestamp.month, argument.value.timestamp.day};
      return kMsgSuccess;
    default: return kMsgConversionError;
  }
}

MessageId ToTime(ScalarCall& call, Source source) {
  const ValueCell& argument = ArgumentCell(call, 0);
  SQL_TIME_STRUCT& out = call.result.value.time;
  switch (source) {
    case Source::kText: return ParseTimeLiteral(argument.bytes.data(), static_cast<SQLLEN>(argument.bytes.size()), out);
    case Source::kBinary:
      if (!ReadStruct(argument.bytes, out) || !IsValidTimeOfDay(out.hour, out.minute, out.second)) return kMsgConversionError;
      return kMsgSuccess;
    case Source::kTime: out = argument.value.time; return kMsgSuccess;
    case Source::kTimestamp:
      out = SQL_TIME_STRUCT{argument.value.timestamp.hour, argument.value.timestamp.minute, argument.value.timestamp.second};
      return kMsgSuccess;
    default: return kMsgConversionError;
  }
}

bool IsValidTimestamp(const SQL_TIMESTAMP_STRUCT& t) {
  return IsValidDate(t.year, t.month, t.day, true) && IsValidTimeOfDay(t.hour, t.minute, t.second) &&
         t.fraction <= 999999999;
}

MessageId ToTimestamp(ScalarCall& call, Source source) {
  const ValueCell& argument = ArgumentCell(call, 0);
  SQL_TIMESTAMP_STRUCT& out = call.result.value.timestamp;
  switch (source) {
    case Source::kText:
      return ParseTimestampLiteral(argument.bytes.data(), static_cast<SQLLEN>(argument.bytes.size()), out);
    case Source::kBinary:
      if (!ReadStruct(argument.bytes, out) || !IsValidTimestamp(out)) return kMsgConversionError;
      return kMsgSuccess;
    case Source::kDate:
      out = SQL_TIMESTAMP_STRUCT{argument.value.date.year, argument.value.date.month, argument.value.date.day, 0, 0, 0, 0};
      return kMsgSuccess;
    case Source::kTime: {
      SQL_TIMESTAMP_STRUCT today{};
      if (MessageId id = CurrentLocalTimestamp(call.statement, today)) return id;
      out = SQL_TIMESTAMP_STRUCT{today.year, today.month, today.day, argument.value.time.hour,
                                 argument.value.time.minute, argument.value.time.second, 0};
      return kMsgSuccess;
    }
    case Source::kTimestamp: out = argument.value.timestamp; return kMsgSuccess;
    default: return kMsgConversionError;
  }
}

const NumberTarget* NumberTargetOf(std::int16_t sqlType) {
  for (const NumberTarget& target : kNumberTargets) {
    if (target.sqlType == sqlType) return &target;
  }
  return nullptr;
}

}  // namespace

MessageId EvaluateConvertFunction(ScalarCall& call) {
  const ValueCell& argument = ArgumentCell(call, 0);
  Source source = Source::kNumber;
  if (!IsKnownArgumentType(argument.sqlType) || !SourceOf(argument, source)) return NotSupported(call);
  const std::int16_t target = call.result.sqlType;
  if (const NumberTarget* number = NumberTargetOf(target)) return ToNumber(call, source, *number);
  switch (target) {
    case SQL_BIGINT:
    case SQL_NUMERIC:
    case SQL_DECIMAL: return ToNumericText(call, source);
    case SQL_BINARY:
    case SQL_VARBINARY: return ToBinary(call, source);
    case SQL_CHAR:
    case SQL_VARCHAR: return ToCharacter(call, source);
    case SQL_DATE:
    case SQL_TYPE_DATE: return ToDate(call, source);
    case SQL_TIME:
    case SQL_TYPE_TIME: return ToTime(call, source);
    case SQL_TIMESTAMP:
    case SQL_TYPE_TIMESTAMP: return ToTimestamp(call, source);
    default: return NotSupported(call);
  }
}
