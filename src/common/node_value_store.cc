// Storing application values into node values by the node's value type.
#include "common/node_value_store.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include <sql.h>
#include <sqlext.h>

#include "common/datetime_text.h"
#include "common/decimal_text.h"
#include "common/epoch_time.h"

namespace {

using Kind = ApplicationValueKind;

bool IsNumberKind(const ApplicationValue& value) { return value.kind == Kind::kNumber || value.kind == Kind::kReal; }

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

// A value is taken whole, whatever the target's size: a parameter is
// compared as the literal of the same text would be, and where it is
// written, the write decides what its field takes. Later pieces of a long
// text join it in place.
MessageId StoreCharacter(ValueCell& target, const ApplicationValue& value, bool append) {
  if (!append) target.bytes.clear();
  target.bytes.append(ValueText(value));
  return kMsgSuccess;
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

// Binary data, or text as hexadecimal; numbers, dates and times have no
// conversion to binary data.
MessageId StoreBinary(ValueCell& target, const ApplicationValue& value, bool append) {
  std::string decoded;
  if (value.kind == Kind::kText) {
    if (!DecodeHex(value.bytes, decoded)) return kMsgAssignmentError;
  } else if (value.kind != Kind::kBytes) {
    return kMsgConversionError;
  }
  // Whole, as a text is; later pieces of long data join it in place, so
  // that sending it in many pieces costs no more than sending it at once.
  if (!append) target.bytes.clear();
  target.bytes.append(value.kind == Kind::kText ? decoded : value.bytes);
  return kMsgSuccess;
}

// Any number-like value as an exact number: text that is no number is
// 22018; binary data holds a number's text (as a decimal is delivered to a
// binary buffer), 22003 when it holds none; dates and times have no number.
MessageId ValueAsExactNumber(const ApplicationValue& value, ExactNumber& number) {
  if (IsNumberKind(value)) {
    number = value.number;
    return kMsgSuccess;
  }
  if (value.kind == Kind::kText) return ReadExactNumber(value.bytes, number);
  if (value.kind == Kind::kBytes) {
    return ReadExactNumber(value.bytes, number) == kMsgSuccess ? kMsgSuccess : kMsgOutOfRange;
  }
  return kMsgConversionError;
}

// Binary data for a fixed-size target holds the target's own C value, as a
// fixed-size value is delivered to a binary buffer: 22003 for any other
// length.
MessageId RawValue(const ApplicationValue& value, std::size_t size, void* out) {
  if (value.bytes.size() != size) return kMsgOutOfRange;
  std::memcpy(out, value.bytes.data(), size);
  return kMsgSuccess;
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

// The little-endian integer of binary data of exactly the type's width.
MessageId RawInteger(const ApplicationValue& value, std::int16_t sqlType, std::int64_t& whole) {
  switch (sqlType) {
    case SQL_SMALLINT: {
      std::int16_t v = 0;
      if (MessageId id = RawValue(value, sizeof v, &v)) return id;
      whole = v;
      return kMsgSuccess;
    }
    case SQL_INTEGER: {
      std::int32_t v = 0;
      if (MessageId id = RawValue(value, sizeof v, &v)) return id;
      whole = v;
      return kMsgSuccess;
    }
    default: {
      std::int8_t v = 0;
      if (MessageId id = RawValue(value, sizeof v, &v)) return id;
      whole = sqlType == SQL_BIT ? static_cast<std::uint8_t>(v) : v;
      return sqlType == SQL_BIT && whole > 1 ? kMsgOutOfRange : kMsgSuccess;
    }
  }
}

// A bit takes 0 and 1: below 0 or from 2 on is 22003, a fraction between
// them 22001.
MessageId BitOf(const ExactNumber& number, std::int64_t& whole) {
  if (number.negative) return kMsgOutOfRange;
  const MessageId id = ExactNumberToInt64(number, 0, 1, whole);
  return id == kMsgDataTruncated ? kMsgStringRightTruncation : id;
}

MessageId StoreInteger(ValueCell& target, const ApplicationValue& value) {
  std::int64_t whole = 0;
  MessageId id = kMsgSuccess;
  if (value.kind == Kind::kBytes) {
    id = RawInteger(value, target.sqlType, whole);
  } else {
    ExactNumber number;
    id = ValueAsExactNumber(value, number);
    if (id != kMsgSuccess) return id;
    std::int64_t minimum = 0, maximum = 0;
    IntegerRange(target.sqlType, minimum, maximum);
    id = target.sqlType == SQL_BIT ? BitOf(number, whole) : ExactNumberToInt64(number, minimum, maximum, whole);
  }
  if (id != kMsgSuccess && id != kMsgDataTruncated) return id;
  target.value.number = static_cast<double>(whole);
  return id;
}

MessageId StoreDouble(ValueCell& target, const ApplicationValue& value) {
  double number = value.real;
  if (value.kind == Kind::kBytes && target.sqlType == SQL_REAL) {
    float single = 0;
    if (MessageId id = RawValue(value, sizeof single, &single)) return id;
    number = single;
  } else if (value.kind == Kind::kBytes) {
    if (MessageId id = RawValue(value, sizeof number, &number)) return id;
  } else if (value.kind != Kind::kReal) {
    ExactNumber exact;
    MessageId id = ValueAsExactNumber(value, exact);
    if (id == kMsgSuccess) id = ExactNumberToDouble(exact, number);
    if (id != kMsgSuccess) return id;
  }
  const double limit = target.sqlType == SQL_REAL ? FLT_MAX : DBL_MAX;
  if (!std::isfinite(number) || std::fabs(number) > limit) return kMsgOutOfRange;
  target.value.number = number;
  return kMsgSuccess;
}

bool TimeIsMidnight(const SQL_TIMESTAMP_STRUCT& t) {
  return t.hour == 0 && t.minute == 0 && t.second == 0 && t.fraction == 0;
}

// A date, a time of day or a timestamp, as a timestamp with the parts it has.
struct Moment {
  SQL_TIMESTAMP_STRUCT t{};
  bool hasDate = true;
  bool hasTime = true;
};

// Text holds any of the three literals; anything else is 22018.
MessageId TextAsMoment(const std::string& text, Moment& m) {
  const auto length = static_cast<SQLLEN>(text.size());
  if (ParseTimestampLiteral(text.data(), length, m.t) == kMsgSuccess) return kMsgSuccess;
  SQL_DATE_STRUCT date{};
  SQL_TIME_STRUCT time{};
  if (ParseDateLiteral(text.data(), length, date) == kMsgSuccess) {
    m.t = SQL_TIMESTAMP_STRUCT{date.year, date.month, date.day, 0, 0, 0, 0};
    m.hasTime = false;
  } else if (ParseTimeLiteral(text.data(), length, time) == kMsgSuccess) {
    m.t = SQL_TIMESTAMP_STRUCT{0, 0, 0, time.hour, time.minute, time.second, 0};
    m.hasDate = false;
  } else {
    return kMsgAssignmentError;
  }
  return kMsgSuccess;
}

// The application's structures, or binary data holding the target's own
// structure (22003 for any other length).
MessageId StructAsMoment(const ApplicationValue& value, std::int16_t targetType, Moment& m) {
  const bool raw = value.kind == Kind::kBytes;
  if ((raw && targetType == kValueDate) || value.kind == Kind::kDate) {
    SQL_DATE_STRUCT date = value.date;
    if (raw && RawValue(value, sizeof date, &date) != kMsgSuccess) return kMsgOutOfRange;
    m.t = SQL_TIMESTAMP_STRUCT{date.year, date.month, date.day, 0, 0, 0, 0};
    m.hasTime = false;
  } else if ((raw && targetType == kValueTime) || value.kind == Kind::kTime) {
    SQL_TIME_STRUCT time = value.time;
    if (raw && RawValue(value, sizeof time, &time) != kMsgSuccess) return kMsgOutOfRange;
    m.t = SQL_TIMESTAMP_STRUCT{0, 0, 0, time.hour, time.minute, time.second, 0};
    m.hasDate = false;
  } else if (raw || value.kind == Kind::kTimestamp) {
    m.t = value.timestamp;
    if (raw && RawValue(value, sizeof m.t, &m.t) != kMsgSuccess) return kMsgOutOfRange;
  } else {
    return kMsgConversionError;  // numbers have no date or time
  }
  const bool valid = (!m.hasDate || IsValidDate(m.t.year, m.t.month, m.t.day, true)) &&
                     (!m.hasTime || (IsValidTimeOfDay(m.t.hour, m.t.minute, m.t.second) && m.t.fraction <= 999999999));
  return valid ? kMsgSuccess : kMsgInvalidDatetimeFormat;
}

MessageId MomentOf(const ValueCell& target, const ApplicationValue& value, Moment& m) {
  return value.kind == Kind::kText ? TextAsMoment(value.bytes, m) : StructAsMoment(value, target.valueType, m);
}

// The part a target needs and the value lacks: a text holding the wrong
// literal is 22018, a value of the other type 07006.
MessageId MissingPart(const ApplicationValue& value) {
  return value.kind == Kind::kText ? kMsgAssignmentError : kMsgConversionError;
}

// A date target drops no time (22008).
MessageId StoreDate(ValueCell& target, const ApplicationValue& value) {
  Moment m;
  if (MessageId id = MomentOf(target, value, m)) return id;
  if (!m.hasDate) return MissingPart(value);
  if (m.hasTime && !TimeIsMidnight(m.t)) return kMsgDatetimeFieldOverflow;
  target.value.date = SQL_DATE_STRUCT{m.t.year, m.t.month, m.t.day};
  return kMsgSuccess;
}

// A time target takes the time of a timestamp, and drops no fraction (22008).
MessageId StoreTime(ValueCell& target, const ApplicationValue& value) {
  Moment m;
  if (MessageId id = MomentOf(target, value, m)) return id;
  if (!m.hasTime) return MissingPart(value);
  if (m.t.fraction != 0) return kMsgDatetimeFieldOverflow;
  target.value.time = SQL_TIME_STRUCT{m.t.hour, m.t.minute, m.t.second};
  return kMsgSuccess;
}

// A date is midnight of its day; a time of day stands on today's date.
MessageId StoreTimestamp(ValueCell& target, const ApplicationValue& value) {
  Moment m;
  if (MessageId id = MomentOf(target, value, m)) return id;
  if (!m.hasDate) m.t = TimeOfDayToday(m.t);
  target.value.timestamp = m.t;
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
