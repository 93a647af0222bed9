// Delivery of SQL values into application buffers by C type: pieces for
// character, wide and binary targets, whole values for the fixed-size types.
#include "common/c_value_delivery.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>

#include <sql.h>
#include <sqlext.h>

#include "common/c_type_rules.h"
#include "common/datetime_text.h"
#include "common/epoch_time.h"
#include "common/number_text.h"
#include "common/utf16_text.h"

namespace {

using Kind = ApplicationValueKind;

// Room for every display text made in place: a fixed double text (326
// characters at most), an integer, a date or time text.
constexpr std::size_t kScratchSize = 400;

// What a character target receives, and how much of its head must fit in one
// piece: a number or date cut from the right would read as another value.
// text points into the source, the caller's scratch or spill.
struct DisplayText {
  std::string_view text;
  std::size_t mustFit = 0;
};

std::string HexText(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (unsigned char byte : bytes) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0x0F];
  }
  return hex;
}

// The sign and whole digits of a number text, or all of an exponent form.
std::size_t NumberHead(std::string_view text) {
  std::size_t point = text.size();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == 'e' || text[i] == 'E') return text.size();
    if (text[i] == '.' && point == text.size()) point = i;
  }
  return point;
}

DisplayText NumberDisplay(std::string_view text) { return DisplayText{text, NumberHead(text)}; }

DisplayText IntegerText(const SqlSourceView& value, char* scratch) {
  const auto written = value.integerUnsigned
                           ? std::to_chars(scratch, scratch + kScratchSize, value.integer)
                           : std::to_chars(scratch, scratch + kScratchSize, static_cast<std::int64_t>(value.integer));
  const auto length = static_cast<std::size_t>(written.ptr - scratch);
  return DisplayText{std::string_view(scratch, length), length};
}

DisplayText RealText(double real, SQLLEN targetLength, char* scratch) {
  // Sized to the buffer so that a large or tiny value takes exponent form
  // when its fixed form would not fit.
  const std::size_t size =
      targetLength > 1 && targetLength < static_cast<SQLLEN>(kScratchSize) ? static_cast<std::size_t>(targetLength)
                                                                            : kScratchSize;
  FormatDoubleText(real, true, scratch, size);
  return NumberDisplay(std::string_view(scratch));
}

// Display texts made in place, in scratch or the source; false for the two
// that need a string of their own (hex, and a decimal number's normal text).
bool MakeDisplayText(const SqlSourceView& value, bool variableLength, SQLLEN targetLength, char* scratch,
                     DisplayText& display) {
  switch (value.kind) {
    case Kind::kNumber:
      // A decimal text source keeps its own digits (a scale's trailing zeros).
      if (variableLength) {
        display = NumberDisplay(value.bytes);
        return true;
      }
      if (!value.fromInteger) return false;
      display = IntegerText(value, scratch);
      return true;
    case Kind::kReal:
      display = RealText(value.real, targetLength, scratch);
      return true;
    case Kind::kDate:
      FormatDateText(value.date, scratch);
      display.text = std::string_view(scratch);
      display.mustFit = display.text.size();
      return true;
    case Kind::kTime:
      FormatTimeText(value.time, scratch);
      display.text = std::string_view(scratch);
      display.mustFit = display.text.size();
      return true;
    case Kind::kTimestamp:
      FormatTimestampText(value.timestamp, scratch);
      display = DisplayText{std::string_view(scratch), 19};  // the milliseconds may be cut
      return true;
    case Kind::kBytes:
      return false;
    default:
      display = DisplayText{value.bytes, 0};
      return true;
  }
}

enum class PieceForm { kCharacter, kWide, kBinary };

std::size_t CutFor(PieceForm form, std::string_view text, std::size_t room) {
  if (form == PieceForm::kCharacter) return CutUtf8(text, room);
  if (form == PieceForm::kWide) return CutUtf16Le(text, room);
  return std::min(room, text.size());
}

// A piece ends on a character boundary, except where not even one whole
// character fits: then the bytes (or UTF-16 units) that fit go, so that
// reading in pieces always moves on and the pieces joined are the value.
std::size_t PieceCut(PieceForm form, std::string_view rest, std::size_t room) {
  if (rest.size() <= room) return rest.size();
  const std::size_t cut = CutFor(form, rest, room);
  return cut > 0 ? cut : room;
}

// Copies whole[offset..] into the target as far as it fits.
MessageId DeliverPiece(std::string_view whole, std::size_t mustFit, PieceForm form, SQLLEN* pieceOffset,
                       void* target, SQLLEN targetLength, SQLLEN* outLength) {
  const std::size_t offset = pieceOffset != nullptr && *pieceOffset > 0 ? static_cast<std::size_t>(*pieceOffset) : 0;
  if (offset > 0 && offset >= whole.size()) return kMsgNoDataFound;
  const std::string_view rest = whole.substr(offset);
  if (outLength != nullptr) *outLength = static_cast<SQLLEN>(rest.size());
  const std::size_t terminator = form == PieceForm::kCharacter ? 1 : form == PieceForm::kWide ? 2 : 0;
  if (target == nullptr || targetLength <= 0 || static_cast<std::size_t>(targetLength) < terminator) {
    return rest.empty() ? kMsgSuccess : kMsgDataTruncated;
  }
  std::size_t room = static_cast<std::size_t>(targetLength) - terminator;
  if (form == PieceForm::kWide) room &= ~std::size_t{1};
  if (offset == 0 && mustFit > room) return kMsgOutOfRange;
  const std::size_t kept = PieceCut(form, rest, room);
  auto* bytes = static_cast<char*>(target);
  std::memcpy(bytes, rest.data(), kept);
  for (std::size_t i = 0; i < terminator; ++i) bytes[kept + i] = '\0';
  if (pieceOffset != nullptr) *pieceOffset = static_cast<SQLLEN>(offset + kept);
  return kept < rest.size() ? kMsgDataTruncated : kMsgSuccess;
}

// Fixed-size deliveries: one piece only.
MessageId StartWhole(SQLLEN* pieceOffset) {
  return pieceOffset != nullptr && *pieceOffset > 0 ? kMsgNoDataFound : kMsgSuccess;
}

void FinishWhole(SQLLEN* pieceOffset, SQLLEN* outLength, std::size_t size) {
  if (pieceOffset != nullptr) *pieceOffset = static_cast<SQLLEN>(size);
  if (outLength != nullptr) *outLength = static_cast<SQLLEN>(size);
}

MessageId SourceAsExactNumber(const SqlSourceView& value, ExactNumber& number) {
  if (value.kind == Kind::kNumber || value.kind == Kind::kReal) {
    if (value.number != nullptr) {
      number = *value.number;
      return kMsgSuccess;
    }
    if (value.kind == Kind::kReal) return ExactFromDouble(value.real, number);
    number = value.integerUnsigned ? ExactFromUint64(value.integer)
                                   : ExactFromInt64(static_cast<std::int64_t>(value.integer));
    return kMsgSuccess;
  }
  if (value.kind == Kind::kText) return ReadExactNumber(value.bytes, number);
  return kMsgConversionError;
}

template <typename T>
void StoreAs(void* target, T value) {
  std::memcpy(target, &value, sizeof value);
}

// Fraction digits dropped on the way into a fixed-size C value are a
// fractional truncation, not a cut string.
MessageId AsFractional(MessageId id) { return id == kMsgDataTruncated ? kMsgFractionalTruncation : id; }

MessageId DeliverSigned(const ExactNumber& number, SQLSMALLINT cType, void* target) {
  std::int64_t minimum = INT64_MIN, maximum = INT64_MAX, value = 0;
  if (cType == SQL_C_STINYINT) minimum = INT8_MIN, maximum = INT8_MAX;
  if (cType == SQL_C_SSHORT) minimum = INT16_MIN, maximum = INT16_MAX;
  if (cType == SQL_C_SLONG) minimum = INT32_MIN, maximum = INT32_MAX;
  const MessageId id = ExactNumberToInt64(number, minimum, maximum, value);
  if (id != kMsgSuccess && id != kMsgDataTruncated) return id;
  if (cType == SQL_C_STINYINT) StoreAs(target, static_cast<std::int8_t>(value));
  if (cType == SQL_C_SSHORT) StoreAs(target, static_cast<std::int16_t>(value));
  if (cType == SQL_C_SLONG) StoreAs(target, static_cast<std::int32_t>(value));
  if (cType == SQL_C_SBIGINT) StoreAs(target, value);
  return AsFractional(id);
}

MessageId DeliverUnsigned(const ExactNumber& number, SQLSMALLINT cType, void* target) {
  std::uint64_t maximum = UINT64_MAX, value = 0;
  if (cType == SQL_C_BIT) maximum = 1;
  if (cType == SQL_C_UTINYINT) maximum = UINT8_MAX;
  if (cType == SQL_C_USHORT) maximum = UINT16_MAX;
  if (cType == SQL_C_ULONG) maximum = UINT32_MAX;
  // A bit takes 0 <= x < 2 only; below 0 nothing is truncated toward it.
  if (cType == SQL_C_BIT && number.negative) return kMsgOutOfRange;
  const MessageId id = ExactNumberToUint64(number, maximum, value);
  if (id != kMsgSuccess && id != kMsgDataTruncated) return id;
  if (cType == SQL_C_BIT || cType == SQL_C_UTINYINT) StoreAs(target, static_cast<std::uint8_t>(value));
  if (cType == SQL_C_USHORT) StoreAs(target, static_cast<std::uint16_t>(value));
  if (cType == SQL_C_ULONG) StoreAs(target, static_cast<std::uint32_t>(value));
  if (cType == SQL_C_UBIGINT) StoreAs(target, value);
  return AsFractional(id);
}

MessageId DeliverReal(const SqlSourceView& value, SQLSMALLINT cType, void* target) {
  double real = value.real;
  if (value.kind != Kind::kReal) {
    ExactNumber number;
    MessageId id = SourceAsExactNumber(value, number);
    if (id == kMsgSuccess) id = ExactNumberToDouble(number, real);
    if (id != kMsgSuccess) return id;
  }
  if (cType == SQL_C_FLOAT) {
    if (std::fabs(real) > FLT_MAX) return kMsgOutOfRange;
    StoreAs(target, static_cast<float>(real));
  } else {
    StoreAs(target, real);
  }
  return kMsgSuccess;
}

MessageId DeliverNumber(const SqlSourceView& value, SQLSMALLINT cType, void* target) {
  if (cType == SQL_C_FLOAT || cType == SQL_C_DOUBLE) return DeliverReal(value, cType, target);
  ExactNumber number;
  const MessageId id = SourceAsExactNumber(value, number);
  if (id != kMsgSuccess) return id;
  if (cType == SQL_C_NUMERIC) {
    SQL_NUMERIC_STRUCT numeric{};
    const MessageId fitted = ExactToNumericStruct(number, numeric);
    if (fitted == kMsgSuccess || fitted == kMsgDataTruncated) StoreAs(target, numeric);
    return AsFractional(fitted);
  }
  const bool isSigned = cType == SQL_C_STINYINT || cType == SQL_C_SSHORT || cType == SQL_C_SLONG ||
                        cType == SQL_C_SBIGINT;
  return isSigned ? DeliverSigned(number, cType, target) : DeliverUnsigned(number, cType, target);
}

// The source as a timestamp; text may be any of the three literals, and
// text that is none of them is 22018.
MessageId SourceAsTimestamp(const SqlSourceView& value, SQL_TIMESTAMP_STRUCT& t, bool& hasDate, bool& hasTime) {
  hasDate = hasTime = true;
  if (value.kind == Kind::kTimestamp) {
    t = value.timestamp;
    return kMsgSuccess;
  }
  if (value.kind == Kind::kDate) {
    t = SQL_TIMESTAMP_STRUCT{value.date.year, value.date.month, value.date.day, 0, 0, 0, 0};
    hasTime = false;
    return kMsgSuccess;
  }
  if (value.kind == Kind::kTime) {
    t = SQL_TIMESTAMP_STRUCT{0, 0, 0, value.time.hour, value.time.minute, value.time.second, 0};
    hasDate = false;
    return kMsgSuccess;
  }
  if (value.kind != Kind::kText) return kMsgConversionError;
  const auto length = static_cast<SQLLEN>(value.bytes.size());
  if (ParseTimestampLiteral(value.bytes.data(), length, t) == kMsgSuccess) return kMsgSuccess;
  SqlSourceView parsed;
  if (ParseDateLiteral(value.bytes.data(), length, parsed.date) == kMsgSuccess) {
    parsed.kind = Kind::kDate;
  } else if (ParseTimeLiteral(value.bytes.data(), length, parsed.time) == kMsgSuccess) {
    parsed.kind = Kind::kTime;
  } else {
    return kMsgAssignmentError;
  }
  return SourceAsTimestamp(parsed, t, hasDate, hasTime);
}

// A date has no time for a time target, a time no date for a date target:
// 07006 between the types, 22018 for a text that holds the wrong literal.
MessageId MissingPart(const SqlSourceView& value) {
  return value.kind == Kind::kText ? kMsgAssignmentError : kMsgConversionError;
}

MessageId DeliverDateTime(const SqlSourceView& value, SQLSMALLINT cType, void* target) {
  SQL_TIMESTAMP_STRUCT t{};
  bool hasDate = false, hasTime = false;
  const MessageId id = SourceAsTimestamp(value, t, hasDate, hasTime);
  if (id != kMsgSuccess) return id;
  if (cType == SQL_C_DATE || cType == SQL_C_TYPE_DATE) {
    if (!hasDate) return MissingPart(value);
    StoreAs(target, SQL_DATE_STRUCT{t.year, t.month, t.day});
    return t.hour == 0 && t.minute == 0 && t.second == 0 && t.fraction == 0 ? kMsgSuccess : kMsgFractionalTruncation;
  }
  if (cType == SQL_C_TIME || cType == SQL_C_TYPE_TIME) {
    if (!hasTime) return MissingPart(value);
    StoreAs(target, SQL_TIME_STRUCT{t.hour, t.minute, t.second});
    return t.fraction == 0 ? kMsgSuccess : kMsgFractionalTruncation;
  }
  // A time of day stands on today's date.
  if (!hasDate) t = TimeOfDayToday(t);
  StoreAs(target, t);
  return kMsgSuccess;
}

bool IsDateTimeCType(SQLSMALLINT cType) {
  return cType == SQL_C_DATE || cType == SQL_C_TIME || cType == SQL_C_TIMESTAMP || cType == SQL_C_TYPE_DATE ||
         cType == SQL_C_TYPE_TIME || cType == SQL_C_TYPE_TIMESTAMP;
}

MessageId DeliverFixed(const SqlSourceView& value, SQLSMALLINT cType, void* target) {
  if (IsDateTimeCType(cType)) return DeliverDateTime(value, cType, target);
  if (value.kind == Kind::kDate || value.kind == Kind::kTime || value.kind == Kind::kTimestamp ||
      value.kind == Kind::kBytes) {
    return kMsgConversionError;
  }
  return DeliverNumber(value, cType, target);
}

MessageId DeliverWhole(const SqlSourceView& value, SQLSMALLINT cType, SQLLEN* pieceOffset, void* target,
                       SQLLEN* outLength) {
  const std::size_t size = FixedCTypeSize(cType);
  MessageId id = StartWhole(pieceOffset);
  if (id != kMsgSuccess) return id;
  if (target == nullptr) {
    FinishWhole(nullptr, outLength, size);
    return kMsgSuccess;
  }
  // Fill a scratch copy so a failed conversion leaves the buffer as it was.
  alignas(8) unsigned char scratch[sizeof(SQL_NUMERIC_STRUCT) + sizeof(SQL_TIMESTAMP_STRUCT)];
  id = DeliverFixed(value, cType, scratch);
  if (id != kMsgSuccess && id != kMsgFractionalTruncation) return id;
  std::memcpy(target, scratch, size);
  FinishWhole(pieceOffset, outLength, size);
  return id;
}

MessageId DeliverBinary(const SqlSourceView& value, bool variableLength, SQLLEN* pieceOffset, void* target,
                        SQLLEN targetLength, SQLLEN* outLength) {
  if (variableLength) return DeliverPiece(value.bytes, 0, PieceForm::kBinary, pieceOffset, target, targetLength, outLength);
  MessageId id = StartWhole(pieceOffset);
  if (id != kMsgSuccess) return id;
  if (target != nullptr && targetLength < static_cast<SQLLEN>(value.bytes.size())) return kMsgOutOfRange;
  if (target != nullptr) std::memcpy(target, value.bytes.data(), value.bytes.size());
  FinishWhole(pieceOffset, outLength, value.bytes.size());
  return kMsgSuccess;
}

// A display text into a character or wide target.
MessageId DeliverDisplay(const DisplayText& display, SQLSMALLINT cType, SQLLEN* pieceOffset, void* target,
                         SQLLEN targetLength, SQLLEN* outLength) {
  const std::size_t size = display.text.size();
  if (cType == SQL_C_CHAR && pieceOffset != nullptr && *pieceOffset <= 0 && target != nullptr &&
      targetLength > 0 && size < static_cast<std::size_t>(targetLength)) {
    // The usual first and only piece: the whole text and its NUL fit.
    auto* bytes = static_cast<char*>(target);
    std::memcpy(bytes, display.text.data(), size);
    bytes[size] = '\0';
    *pieceOffset = static_cast<SQLLEN>(size);
    if (outLength != nullptr) *outLength = static_cast<SQLLEN>(size);
    return kMsgSuccess;
  }
  if (cType == SQL_C_CHAR) {
    return DeliverPiece(display.text, display.mustFit, PieceForm::kCharacter, pieceOffset, target, targetLength,
                        outLength);
  }
  // Display texts are ASCII up to their must-fit head, so it doubles in UTF-16.
  return DeliverPiece(Utf8ToUtf16Le(display.text), display.mustFit * 2, PieceForm::kWide, pieceOffset, target,
                      targetLength, outLength);
}

// Hex of bytes and the normal text of an exact number, kept apart so that
// the usual deliveries carry no string.
MessageId DeliverOwnedText(const SqlSourceView& value, SQLSMALLINT cType, SQLLEN* pieceOffset, void* target,
                           SQLLEN targetLength, SQLLEN* outLength) {
  std::string text;
  std::size_t mustFit = 0;
  if (value.kind == Kind::kBytes) {
    text = HexText(value.bytes);
  } else {
    ExactNumber number;
    const MessageId id = SourceAsExactNumber(value, number);
    if (id != kMsgSuccess) return id;
    text = ExactNumberText(number);
    mustFit = NumberHead(text);
  }
  return DeliverDisplay(DisplayText{text, mustFit}, cType, pieceOffset, target, targetLength, outLength);
}

}  // namespace

MessageId DeliverNumericAt(const SqlSourceView& value, std::int32_t precision, std::int32_t scale, void* target) {
  ExactNumber number;
  MessageId id = SourceAsExactNumber(value, number);
  if (id != kMsgSuccess) return id;
  SQL_NUMERIC_STRUCT numeric{};
  id = ExactToNumericStructAt(number, precision, scale, numeric);
  if (id == kMsgSuccess || id == kMsgDataTruncated) StoreAs(target, numeric);
  return AsFractional(id);
}

MessageId DeliverSqlSource(const SqlSourceView& value, bool variableLength, SQLLEN* pieceOffset, SQLSMALLINT cType,
                           void* target, SQLLEN targetLength, SQLLEN* outLength) {
  // A number's bytes (a decimal's text) go whole or not at all.
  if (cType == SQL_C_BINARY) {
    const bool pieces = variableLength && value.kind != Kind::kNumber;
    return DeliverBinary(value, pieces, pieceOffset, target, targetLength, outLength);
  }
  if (cType == SQL_C_CHAR || cType == SQL_C_WCHAR) {
    char scratch[kScratchSize];
    DisplayText display;
    if (!MakeDisplayText(value, variableLength, cType == SQL_C_WCHAR ? targetLength / 2 : targetLength, scratch,
                         display)) {
      return DeliverOwnedText(value, cType, pieceOffset, target, targetLength, outLength);
    }
    return DeliverDisplay(display, cType, pieceOffset, target, targetLength, outLength);
  }
  if (FixedCTypeSize(cType) == 0) return kMsgDriverNotCapable;
  return DeliverWhole(value, cType, pieceOffset, target, outLength);
}
