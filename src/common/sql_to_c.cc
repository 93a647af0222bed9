// ConvertSqlValueToCType: reading the source by its SQL type; delivery by C
// type is c_value_delivery.cc's.
#include "common/sql_to_c.h"

#include <cstring>
#include <string_view>

#include <sql.h>
#include <sqlext.h>

#include "common/c_type_rules.h"
#include "common/c_value_delivery.h"

namespace {

using Kind = ApplicationValueKind;

template <typename T>
T LoadAs(const void* data) {
  T value{};
  std::memcpy(&value, data, sizeof value);
  return value;
}

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

ExactNumber LoadInteger(const void* source, std::size_t width, bool isUnsigned) {
  switch (width) {
    case 1:
      return isUnsigned ? ExactFromUint64(LoadAs<std::uint8_t>(source)) : ExactFromInt64(LoadAs<std::int8_t>(source));
    case 2:
      return isUnsigned ? ExactFromUint64(LoadAs<std::uint16_t>(source))
                        : ExactFromInt64(LoadAs<std::int16_t>(source));
    case 4:
      return isUnsigned ? ExactFromUint64(LoadAs<std::uint32_t>(source))
                        : ExactFromInt64(LoadAs<std::int32_t>(source));
    default:
      return isUnsigned ? ExactFromUint64(LoadAs<std::uint64_t>(source))
                        : ExactFromInt64(LoadAs<std::int64_t>(source));
  }
}

MessageId ReadIntegerSource(SQLSMALLINT sqlType, bool unsignedFlag, const void* source, SQLLEN sourceLength,
                            SqlSourceValue& value) {
  const std::size_t width = IntegerWidth(sqlType, sourceLength);
  value.kind = Kind::kNumber;
  value.number = LoadInteger(source, width, unsignedFlag || sqlType == SQL_BIT);
  value.bytes.assign(static_cast<const char*>(source), width);
  return kMsgSuccess;
}

MessageId ReadRealSource(SQLSMALLINT sqlType, const void* source, SQLLEN sourceLength, SqlSourceValue& value) {
  const bool isFloat = sourceLength == 4 || (sqlType == SQL_REAL && sourceLength != 8);
  const double real = isFloat ? LoadAs<float>(source) : LoadAs<double>(source);
  value.kind = Kind::kReal;
  value.real = real;
  value.bytes.assign(static_cast<const char*>(source), isFloat ? 4 : 8);
  return ExactFromDouble(real, value.number);
}

MessageId ReadDateTimeSource(SQLSMALLINT sqlType, const void* source, SqlSourceValue& value) {
  if (sqlType == SQL_DATE || sqlType == SQL_TYPE_DATE) {
    value.kind = Kind::kDate;
    value.date = LoadAs<SQL_DATE_STRUCT>(source);
    value.bytes.assign(static_cast<const char*>(source), sizeof(SQL_DATE_STRUCT));
  } else if (sqlType == SQL_TIME || sqlType == SQL_TYPE_TIME) {
    value.kind = Kind::kTime;
    value.time = LoadAs<SQL_TIME_STRUCT>(source);
    value.bytes.assign(static_cast<const char*>(source), sizeof(SQL_TIME_STRUCT));
  } else {
    value.kind = Kind::kTimestamp;
    value.timestamp = LoadAs<SQL_TIMESTAMP_STRUCT>(source);
    value.bytes.assign(static_cast<const char*>(source), sizeof(SQL_TIMESTAMP_STRUCT));
  }
  return kMsgSuccess;
}

// Text, decimal text and bytes: the variable-length sources.
MessageId ReadVariableSource(SQLSMALLINT sqlType, const void* source, SQLLEN sourceLength, SqlSourceValue& value) {
  if (sourceLength < 0 && sourceLength != SQL_NTS) return kMsgConversionError;
  value.bytes.assign(static_cast<const char*>(source), SourceByteLength(source, sourceLength));
  if (IsCharacterSqlType(sqlType)) {
    value.kind = Kind::kText;
    return kMsgSuccess;
  }
  if (IsBinarySqlType(sqlType)) {
    value.kind = Kind::kBytes;
    return kMsgSuccess;
  }
  value.kind = Kind::kNumber;
  // The driver's normal form drops every leading zero, so a decimal zero of
  // scale 0 arrives as an empty (or all-blank) text.
  if (value.bytes.find_first_not_of(' ') == std::string::npos) return ReadExactNumber("0", value.number);
  return ReadExactNumber(value.bytes, value.number);
}

bool IsVariableSqlType(SQLSMALLINT sqlType) {
  return IsCharacterSqlType(sqlType) || IsBinarySqlType(sqlType) || sqlType == SQL_NUMERIC ||
         sqlType == SQL_DECIMAL || sqlType == SQL_BIGINT;
}

MessageId ReadSqlSource(SQLSMALLINT sqlType, bool unsignedFlag, const void* source, SQLLEN sourceLength,
                        SqlSourceValue& value) {
  if (IsVariableSqlType(sqlType)) return ReadVariableSource(sqlType, source, sourceLength, value);
  switch (sqlType) {
    case SQL_BIT:
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
      return ReadIntegerSource(sqlType, unsignedFlag, source, sourceLength, value);
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
      return ReadRealSource(sqlType, source, sourceLength, value);
    case SQL_DATE:
    case SQL_TIME:
    case SQL_TIMESTAMP:
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME:
    case SQL_TYPE_TIMESTAMP:
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
  const SQLSMALLINT resolved =
      ResolveSignlessCType(cType == SQL_C_DEFAULT ? DefaultCTypeForSqlType(sqlType, unsignedFlag) : cType, unsignedFlag);
  if (resolved == 0) return kMsgConversionError;
  SqlSourceValue value;
  const MessageId id = ReadSqlSource(sqlType, unsignedFlag, source, sourceLength, value);
  if (id != kMsgSuccess) return id;
  return DeliverSqlValue(value, IsVariableSqlType(sqlType), pieceOffset, resolved, target, targetLength, outLength);
}
