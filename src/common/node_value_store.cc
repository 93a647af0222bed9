// Storing application values into node values by the node's value type.
#include "common/node_value_store.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <string>

#include <sql.h>
#include <sqlext.h>

#include "common/datetime_text.h"
#include "common/decimal_text.h"
#include "common/utf16_text.h"

namespace {

using Kind = ApplicationValueKind;

bool IsNumberKind(const ApplicationValue& value) { return value.kind == Kind::kNumber || value.kind == Kind::kReal; }

std::size_t SizeLimit(const ValueCell& target) {
  return target.size > 0 ? static_cast<std::size_t>(target.size) : SIZE_MAX;
}

// The text a character target receives for each kind of value.
std::string ValueText(const ApplicationValue& value) {
  char buffer[24];
  switch (value.kind) {
    case Kind::kNumber:
    case Kind::kReal:
      return ExactNumberText(value.number);
    case Kind::kDate:
      FormatDateText(value.date, buffer);
      return buffer;
    case Kind::kTime:
      FormatTimeText(value.time, buffer);
      return buffer;
    case Kind::kTimestamp:
      FormatTimestampText(value.timestamp, buffer);
      return buffer;
    default:
      return value.bytes;
  }
}

// A number cut to its leading digits would be another number: only fraction
// digits may go.
MessageId FitNumberText(std::string& text, std::size_t limit) {
  if (text.size() <= limit) return kMsgSuccess;
  const std::size_t point = text.find('.');
  const std::size_t wholeLength = point == std::string::npos ? text.size() : point;
  if (wholeLength > limit) return kMsgOutOfRange;
  text.resize(limit);
  if (!text.empty() && text.back() == '.') text.pop_back();
  return kMsgDataTruncated;
}

MessageId StoreCharacter(ValueCell& target, const ApplicationValue& value, bool append) {
  std::string text = ValueText(value);
  const std::size_t limit = SizeLimit(target);
  MessageId fitted = kMsgSuccess;
  if (IsNumberKind(value) && !append) {
    fitted = FitNumberText(text, limit);
    if (fitted == kMsgOutOfRange) return fitted;
  }
  // A character target's size counts characters.
  std::string stored = append ? target.bytes : std::string();
  const std::size_t held = CountUtf8Characters(stored);
  const std::size_t room = limit > held ? limit - held : 0;
  const std::size_t kept = Utf8PrefixBytes(text, room);
  stored.append(text, 0, kept);
  target.bytes = std::move(stored);
  return kept < text.size() ? kMsgDataTruncated : fitted;
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Character data for a binary target is hexadecimal, two digits a byte.
bool DecodeHex(const std::string& text, std::string& bytes) {
  if (text.size() % 2 != 0) return false;
  bytes.clear();
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const int high = HexDigitValue(text[i]);
    const int low = HexDigitValue(text[i + 1]);
    if (high < 0 || low < 0) return false;
    bytes += static_cast<char>(high * 16 + low);
  }
  return true;
}

MessageId StoreBinary(ValueCell& target, const ApplicationValue& value, bool append) {
  std::string bytes;
  if (value.kind == Kind::kText) {
    if (!DecodeHex(value.bytes, bytes)) return kMsgAssignmentError;
  } else {
    bytes = value.bytes;  // binary data, or the raw C value of a fixed-size type
  }
  std::string stored = append ? target.bytes : std::string();
  const std::size_t limit = SizeLimit(target);
  const std::size_t room = limit > stored.size() ? limit - stored.size() : 0;
  const std::size_t kept = std::min(room, bytes.size());
  stored.append(bytes, 0, kept);
  target.bytes = std::move(stored);
  return kept < bytes.size() ? kMsgDataTruncated : kMsgSuccess;
}

// Any number-like value as an exact number; 1003 for dates and binary data.
MessageId ValueAsExactNumber(const ApplicationValue& value, ExactNumber& number) {
  if (IsNumberKind(value)) {
    number = value.number;
    return kMsgSuccess;
  }
  if (value.kind == Kind::kText) return ReadExactNumber(value.bytes, number);
  return kMsgNotSupportedDetail;
}

MessageId StoreNumeric(ValueCell& target, const ApplicationValue& value) {
  ExactNumber number;
  MessageId id = ValueAsExactNumber(value, number);
  if (id != kMsgSuccess) return id;
  std::string text = ExactNumberText(number);
  if (target.size > 0 && target.digits != kNoDigits) {
    const auto precision = static_cast<std::uint16_t>(target.size);
    id = FitNumericText(text, text, static_cast<std::size_t>(target.size) + 2, precision, target.digits);
    if (id != kMsgSuccess && id != kMsgDataTruncated) return id;
  }
  target.bytes = std::move(text);
  return id;
}

void IntegerRange(std::int16_t sqlType, std::int64_t& minimum, std::int64_t& maximum) {
  switch (sqlType) {
    case SQL_BIT:
      minimum = 0, maximum = 1;
      return;
    case SQL_TINYINT:
      minimum = INT8_MIN, maximum = INT8_MAX;
      return;
    case SQL_SMALLINT:
      minimum = INT16_MIN, maximum = INT16_MAX;
      return;
    default:
      minimum = INT32_MIN, maximum = INT32_MAX;
  }
}

MessageId StoreInteger(ValueCell& target, const ApplicationValue& value) {
  ExactNumber number;
  MessageId id = ValueAsExactNumber(value, number);
  if (id != kMsgSuccess) return id;
  std::int64_t minimum = 0, maximum = 0, whole = 0;
  IntegerRange(target.sqlType, minimum, maximum);
  id = ExactNumberToInt64(number, minimum, maximum, whole);
  if (id != kMsgSuccess && id != kMsgDataTruncated) return id;
  target.value.number = static_cast<double>(whole);
  return id;
}

MessageId StoreDouble(ValueCell& target, const ApplicationValue& value) {
  double number = value.real;
  if (value.kind != Kind::kReal) {
    ExactNumber exact;
    MessageId id = ValueAsExactNumber(value, exact);
    if (id == kMsgSuccess) id = ExactNumberToDouble(exact, number);
    if (id != kMsgSuccess) return id;
  }
  const double limit = target.sqlType == SQL_REAL ? FLT_MAX : DBL_MAX;
  if (std::fabs(number) > limit) return kMsgOutOfRange;
  target.value.number = number;
  return kMsgSuccess;
}

bool TimeIsMidnight(const SQL_TIMESTAMP_STRUCT& t) {
  return t.hour == 0 && t.minute == 0 && t.second == 0 && t.fraction == 0;
}

bool ValidTimestamp(const SQL_TIMESTAMP_STRUCT& t) {
  return IsValidDate(t.year, t.month, t.day, true) && IsValidTimeOfDay(t.hour, t.minute, t.second) &&
         t.fraction <= 999999999;
}

// Text for a date target: a date literal, or a timestamp literal whose time
// is dropped.
MessageId TextAsTimestamp(const std::string& text, SQL_TIMESTAMP_STRUCT& timestamp, bool dateFirst) {
  SQL_DATE_STRUCT date{};
  const auto length = static_cast<SQLLEN>(text.size());
  if (!dateFirst && ParseTimestampLiteral(text.data(), length, timestamp) == kMsgSuccess) return kMsgSuccess;
  if (ParseDateLiteral(text.data(), length, date) == kMsgSuccess) {
    timestamp = SQL_TIMESTAMP_STRUCT{date.year, date.month, date.day, 0, 0, 0, 0};
    return kMsgSuccess;
  }
  return ParseTimestampLiteral(text.data(), length, timestamp);
}

MessageId StoreDate(ValueCell& target, const ApplicationValue& value) {
  SQL_TIMESTAMP_STRUCT timestamp{};
  if (value.kind == Kind::kText) {
    if (TextAsTimestamp(value.bytes, timestamp, true) != kMsgSuccess) return kMsgConversionError;
  } else if (value.kind == Kind::kDate) {
    timestamp = SQL_TIMESTAMP_STRUCT{value.date.year, value.date.month, value.date.day, 0, 0, 0, 0};
  } else if (value.kind == Kind::kTimestamp) {
    timestamp = value.timestamp;
  } else {
    return kMsgNotSupportedDetail;
  }
  if (!ValidTimestamp(timestamp)) return kMsgConversionError;
  target.value.date = SQL_DATE_STRUCT{timestamp.year, timestamp.month, timestamp.day};
  return TimeIsMidnight(timestamp) ? kMsgSuccess : kMsgDataTruncated;
}

MessageId StoreTime(ValueCell& target, const ApplicationValue& value) {
  SQL_TIMESTAMP_STRUCT timestamp{};
  if (value.kind == Kind::kText) {
    SQL_TIME_STRUCT time{};
    const auto length = static_cast<SQLLEN>(value.bytes.size());
    if (ParseTimeLiteral(value.bytes.data(), length, time) == kMsgSuccess) {
      timestamp = SQL_TIMESTAMP_STRUCT{0, 0, 0, time.hour, time.minute, time.second, 0};
    } else if (ParseTimestampLiteral(value.bytes.data(), length, timestamp) != kMsgSuccess) {
      return kMsgConversionError;
    }
  } else if (value.kind == Kind::kTime) {
    timestamp = SQL_TIMESTAMP_STRUCT{0, 0, 0, value.time.hour, value.time.minute, value.time.second, 0};
  } else if (value.kind == Kind::kTimestamp) {
    timestamp = value.timestamp;
  } else {
    return kMsgNotSupportedDetail;
  }
  if (!IsValidTimeOfDay(timestamp.hour, timestamp.minute, timestamp.second) || timestamp.fraction > 999999999) {
    return kMsgConversionError;
  }
  target.value.time = SQL_TIME_STRUCT{timestamp.hour, timestamp.minute, timestamp.second};
  return timestamp.fraction == 0 ? kMsgSuccess : kMsgDataTruncated;
}

MessageId StoreTimestamp(ValueCell& target, const ApplicationValue& value) {
  SQL_TIMESTAMP_STRUCT timestamp{};
  if (value.kind == Kind::kText) {
    if (TextAsTimestamp(value.bytes, timestamp, false) != kMsgSuccess) return kMsgConversionError;
  } else if (value.kind == Kind::kTimestamp) {
    timestamp = value.timestamp;
  } else if (value.kind == Kind::kDate) {
    timestamp = SQL_TIMESTAMP_STRUCT{value.date.year, value.date.month, value.date.day, 0, 0, 0, 0};
  } else {
    return kMsgNotSupportedDetail;
  }
  if (!ValidTimestamp(timestamp)) return kMsgConversionError;
  target.value.timestamp = timestamp;
  return kMsgSuccess;
}

}  // namespace

MessageId StoreApplicationValue(ValueCell& target, const ApplicationValue& value, bool append) {
  switch (target.valueType) {
    case kValueCharacter:
      return StoreCharacter(target, value, append);
    case kValueBinary:
      return StoreBinary(target, value, append);
    case kValueNumeric:
      return StoreNumeric(target, value);
    case kValueInteger:
      return StoreInteger(target, value);
    case kValueDouble:
      return StoreDouble(target, value);
    case kValueDate:
      return StoreDate(target, value);
    case kValueTime:
      return StoreTime(target, value);
    case kValueTimestamp:
      return StoreTimestamp(target, value);
    default:
      return kMsgNotSupportedDetail;
  }
}
