// ConvertSqlValueToCType: reading the source by its SQL type; delivery by C
// type is c_value_delivery.cc's.
#include "common/sql_to_c.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>

#include <sql.h>
#include <sqlext.h>

#include "common/c_type_rules.h"
#include "common/c_value_delivery.h"

namespace {

using Kind = ApplicationValueKind;

std::size_t SourceByteLength(const void* source, SQLLEN sourceLength) {
  return sourceLength == SQL_NTS ? std::strlen(static_cast<const char*>(source))
                                 : static_cast<std::size_t>(sourceLength);
}

// Integer sources: the width from the length when it names one, else the
// SQL type's own width.
std::size_t IntegerWidth(SQLSMALLINT sqlType, SQLLEN sourceLength) {
  if (sourceLength == 1 || sourceLength == 2 || sourceLength == 4 || sourceLength == 8) {
    return static_cast<std::size_t>(sourceLength);
  }
  return sqlType == SQL_INTEGER ? 4 : sqlType == SQL_SMALLINT ? 2 : 1;
}

// The integer's bits widened to 64, sign-extended unless isUnsigned.
std::uint64_t LoadInteger(const void* source, std::size_t width, bool isUnsigned) {
  switch (width) {
    case 1:
      return isUnsigned ? LoadAs<std::uint8_t>(source) : static_cast<std::uint64_t>(LoadAs<std::int8_t>(source));
    case 2:
      return isUnsigned ? LoadAs<std::uint16_t>(source) : static_cast<std::uint64_t>(LoadAs<std::int16_t>(source));
    case 4:
      return isUnsigned ? LoadAs<std::uint32_t>(source) : static_cast<std::uint64_t>(LoadAs<std::int32_t>(source));
    default:
      return LoadAs<std::uint64_t>(source);
  }
}

MessageId ReadIntegerSource(SQLSMALLINT sqlType, bool unsignedFlag, const void* source, SQLLEN sourceLength,
                            SqlSourceView& value) {
  const std::size_t width = IntegerWidth(sqlType, sourceLength);
  value.kind = Kind::kNumber;
  value.fromInteger = true;
  value.integerUnsigned = unsignedFlag || sqlType == SQL_BIT;
  value.integer = LoadInteger(source, width, value.integerUnsigned);
  value.bytes = std::string_view(static_cast<const char*>(source), width);
  return kMsgSuccess;
}

MessageId ReadRealSource(SQLSMALLINT sqlType, const void* source, SQLLEN sourceLength, SqlSourceView& value) {
  const bool isFloat = sourceLength == 4 || (sqlType == SQL_REAL && sourceLength != 8);
  const double real = isFloat ? LoadAs<float>(source) : LoadAs<double>(source);
  value.kind = Kind::kReal;
  value.real = real;
  value.bytes = std::string_view(static_cast<const char*>(source), isFloat ? 4 : 8);
  // No exact decimal stands for these, whatever the target.
  return std::isfinite(real) ? kMsgSuccess : kMsgOutOfRange;
}

MessageId ReadDateTimeSource(SQLSMALLINT sqlType, const void* source, SqlSourceView& value) {
  const auto* bytes = static_cast<const char*>(source);
  if (sqlType == SQL_DATE || sqlType == SQL_TYPE_DATE) {
    value.kind = Kind::kDate;
    value.date = LoadAs<SQL_DATE_STRUCT>(source);
    value.bytes = std::string_view(bytes, sizeof(SQL_DATE_STRUCT));
  } else if (sqlType == SQL_TIME || sqlType == SQL_TYPE_TIME) {
    value.kind = Kind::kTime;
    value.time = LoadAs<SQL_TIME_STRUCT>(source);
    value.bytes = std::string_view(bytes, sizeof(SQL_TIME_STRUCT));
  } else {
    value.kind = Kind::kTimestamp;
    value.timestamp = LoadAs<SQL_TIMESTAMP_STRUCT>(source);
    value.bytes = std::string_view(bytes, sizeof(SQL_TIMESTAMP_STRUCT));
  }
  return kMsgSuccess;
}

// How a SQL type's source is laid out, decided once per value.
enum class SourceForm { kText, kBytes, kDecimal, kInteger, kReal, kDateTime, kUnknown };

SourceForm FormOf(SQLSMALLINT sqlType) {
  if (IsCharacterSqlType(sqlType)) return SourceForm::kText;
  if (IsBinarySqlType(sqlType)) return SourceForm::kBytes;
  switch (sqlType) {
    case SQL_NUMERIC:
    case SQL_DECIMAL:
    case SQL_BIGINT:
      return SourceForm::kDecimal;
    case SQL_BIT:
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
      return SourceForm::kInteger;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
      return SourceForm::kReal;
    case SQL_DATE:
    case SQL_TIME:
    case SQL_TIMESTAMP:
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME:
    case SQL_TYPE_TIMESTAMP:
      return SourceForm::kDateTime;
    default:
      return SourceForm::kUnknown;
  }
}

bool IsVariableForm(SourceForm form) {
  return form == SourceForm::kText || form == SourceForm::kBytes || form == SourceForm::kDecimal;
}

// Decimal text is read into its exact form at once: a malformed text fails
// whatever the target, and the form lives here while it is delivered.
MessageId DeliverDecimalSource(SqlSourceView& value, SQLLEN* pieceOffset, SQLSMALLINT cType, void* target,
                               SQLLEN targetLength, SQLLEN* outLength) {
  ExactNumber number;
  value.kind = Kind::kNumber;
  value.number = &number;
  // The driver's normal form drops every leading zero, so a decimal zero of
  // scale 0 arrives as an empty (or all-blank) text.
  const bool blank = value.bytes.find_first_not_of(' ') == std::string_view::npos;
  const MessageId id = ReadExactNumber(blank ? std::string_view("0") : value.bytes, number);
  if (id != kMsgSuccess) return id;
  return DeliverSqlSource(value, true, pieceOffset, cType, target, targetLength, outLength);
}

MessageId ReadFixedSource(SourceForm form, SQLSMALLINT sqlType, bool unsignedFlag, const void* source,
                          SQLLEN sourceLength, SqlSourceView& value) {
  switch (form) {
    case SourceForm::kInteger:
      return ReadIntegerSource(sqlType, unsignedFlag, source, sourceLength, value);
    case SourceForm::kReal:
      return ReadRealSource(sqlType, source, sourceLength, value);
    case SourceForm::kDateTime:
      return ReadDateTimeSource(sqlType, source, value);
    default:
      return kMsgConversionError;
  }
}

}  // namespace

MessageId ConvertSqlValueToCType(SQLSMALLINT sqlType, bool unsignedFlag, const void* source, SQLLEN sourceLength,
                                 SQLLEN* pieceOffset, SQLSMALLINT cType, void* target, SQLLEN targetLength,
                                 SQLLEN* outLength) {
  if (source == nullptr || sourceLength == SQL_NULL_DATA) {
    if (outLength != nullptr) *outLength = SQL_NULL_DATA;
    return kMsgSuccess;
  }
  const SQLSMALLINT defaulted = cType == SQL_C_DEFAULT ? DefaultCTypeForSqlType(sqlType, unsignedFlag) : cType;
  const SQLSMALLINT resolved = ResolveSignlessCType(defaulted, unsignedFlag);
  if (resolved == 0) return kMsgConversionError;
  const SourceForm form = FormOf(sqlType);
  SqlSourceView value;
  if (IsVariableForm(form)) {
    if (sourceLength < 0 && sourceLength != SQL_NTS) return kMsgConversionError;
    value.bytes = std::string_view(static_cast<const char*>(source), SourceByteLength(source, sourceLength));
    if (form == SourceForm::kDecimal) {
      return DeliverDecimalSource(value, pieceOffset, resolved, target, targetLength, outLength);
    }
    value.kind = form == SourceForm::kText ? Kind::kText : Kind::kBytes;
    return DeliverSqlSource(value, true, pieceOffset, resolved, target, targetLength, outLength);
  }
  const MessageId id = ReadFixedSource(form, sqlType, unsignedFlag, source, sourceLength, value);
  if (id != kMsgSuccess) return id;
  return DeliverSqlSource(value, false, pieceOffset, resolved, target, targetLength, outLength);
}

MessageId ConvertSqlValueToNumeric(SQLSMALLINT sqlType, bool unsignedFlag, const void* source, SQLLEN sourceLength,
                                   std::int32_t precision, std::int32_t scale, void* target, SQLLEN* outLength) {
  if (source == nullptr || sourceLength == SQL_NULL_DATA) {
    if (outLength != nullptr) *outLength = SQL_NULL_DATA;
    return kMsgSuccess;
  }
  const SourceForm form = FormOf(sqlType);
  SqlSourceView value;
  if (IsVariableForm(form)) {
    if (form == SourceForm::kBytes || (sourceLength < 0 && sourceLength != SQL_NTS)) return kMsgConversionError;
    value.bytes = std::string_view(static_cast<const char*>(source), SourceByteLength(source, sourceLength));
    value.kind = Kind::kText;
    // A decimal zero of scale 0 is held as an empty text (see above).
    if (form == SourceForm::kDecimal && value.bytes.find_first_not_of(' ') == std::string_view::npos)
      value.bytes = "0";
  } else if (MessageId id = ReadFixedSource(form, sqlType, unsignedFlag, source, sourceLength, value)) {
    return id;
  }
  alignas(8) unsigned char scratch[sizeof(SQL_NUMERIC_STRUCT)];
  const MessageId id = DeliverNumericAt(value, precision, scale, scratch);
  if (!IsDeliveredValue(id)) return id;
  if (target != nullptr) std::memcpy(target, scratch, sizeof(SQL_NUMERIC_STRUCT));
  if (outLength != nullptr) *outLength = static_cast<SQLLEN>(sizeof(SQL_NUMERIC_STRUCT));
  return id;
}
