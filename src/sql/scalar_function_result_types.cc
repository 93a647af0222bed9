// CONVERT's result by type word and IFNULL's common argument type.
#include "sql/scalar_function_result_types.h"

#include <algorithm>
#include <cstdint>

#include "platform/text_fold.h"
#include "sql/sql_type_groups.h"

namespace {

// How a CONVERT target's size is found when the word alone does not fix it.
enum class ConvertSize : std::uint8_t { kFixed, kBigint, kDecimal, kAsBinary, kAsCharacter, kRefused };

struct ConvertTarget {
  const char* word;
  std::int16_t valueType;
  std::int16_t sqlType;
  std::int32_t size;
  std::uint16_t digits;
  ConvertSize rule;
};

// A time of day renders as hh:mm:ss, so its column size is 8.
constexpr ConvertTarget kConvertTargets[] = {
    {"SQL_BIGINT", kValueNumeric, SQL_BIGINT, 0, 0, ConvertSize::kBigint},
    {"SQL_BINARY", kValueBinary, SQL_BINARY, 0, kNoDigits, ConvertSize::kAsBinary},
    {"SQL_VARBINARY", kValueBinary, SQL_VARBINARY, 0, kNoDigits, ConvertSize::kAsBinary},
    {"SQL_BIT", kValueInteger, SQL_BIT, 1, 0, ConvertSize::kFixed},
    {"SQL_CHAR", kValueCharacter, SQL_CHAR, 0, kNoDigits, ConvertSize::kAsCharacter},
    {"SQL_VARCHAR", kValueCharacter, SQL_VARCHAR, 0, kNoDigits, ConvertSize::kAsCharacter},
    {"SQL_DATE", kValueDate, SQL_DATE, 10, kNoDigits, ConvertSize::kFixed},
    {"SQL_TYPE_DATE", kValueDate, SQL_TYPE_DATE, 10, kNoDigits, ConvertSize::kFixed},
    {"SQL_DECIMAL", kValueNumeric, SQL_DECIMAL, 0, 0, ConvertSize::kDecimal},
    {"SQL_NUMERIC", kValueNumeric, SQL_NUMERIC, 0, 0, ConvertSize::kDecimal},
    {"SQL_DOUBLE", kValueDouble, SQL_DOUBLE, 15, kNoDigits, ConvertSize::kFixed},
    {"SQL_FLOAT", kValueDouble, SQL_FLOAT, 15, kNoDigits, ConvertSize::kFixed},
    {"SQL_INTEGER", kValueInteger, SQL_INTEGER, 10, 0, ConvertSize::kFixed},
    {"SQL_LONGVARBINARY", kValueUntyped, 0, 0, 0, ConvertSize::kRefused},
    {"SQL_LONGVARCHAR", kValueUntyped, 0, 0, 0, ConvertSize::kRefused},
    {"SQL_REAL", kValueDouble, SQL_REAL, 7, kNoDigits, ConvertSize::kFixed},
    {"SQL_SMALLINT", kValueInteger, SQL_SMALLINT, 5, 0, ConvertSize::kFixed},
    {"SQL_TIME", kValueTime, SQL_TIME, 8, kNoDigits, ConvertSize::kFixed},
    {"SQL_TYPE_TIME", kValueTime, SQL_TYPE_TIME, 8, kNoDigits, ConvertSize::kFixed},
    {"SQL_TIMESTAMP", kValueTimestamp, SQL_TIMESTAMP, 23, 3, ConvertSize::kFixed},
    {"SQL_TYPE_TIMESTAMP", kValueTimestamp, SQL_TYPE_TIMESTAMP, 23, 3, ConvertSize::kFixed},
    {"SQL_TINYINT", kValueInteger, SQL_TINYINT, 3, 0, ConvertSize::kFixed},
};

inline constexpr std::int32_t kDecimalFromTextSize = 19;
inline constexpr std::int32_t kBigintFromTextSize = 20;
inline constexpr std::uint16_t kDecimalFromApproximateDigits = 3;
inline constexpr std::int32_t kMaxHexTextSize = 255;

const ConvertTarget* FindConvertTarget(std::string_view word) {
  for (const ConvertTarget& target : kConvertTargets) {
    if (EqualFoldedAZ(target.word, word)) return &target;
  }
  return nullptr;
}

bool IsDateTimeValue(std::int16_t valueType) {
  return valueType == kValueDate || valueType == kValueTime || valueType == kValueTimestamp;
}

MessageId BigintSize(const ValueCell& argument, ValueCell& result) {
  switch (argument.valueType) {
    case kValueBinary:
    case kValueNumeric:
    case kValueInteger:
    case kValueDouble: result.size = argument.size; break;
    case kValueCharacter: result.size = kBigintFromTextSize; break;
    default: return IsDateTimeValue(argument.valueType) ? kMsgConversionError : kMsgNotSupportedDetail;
  }
  return kMsgSuccess;
}

MessageId DecimalSize(const ValueCell& argument, ValueCell& result) {
  switch (argument.valueType) {
    case kValueBinary:
    case kValueDouble:
      result.size = argument.size;
      result.digits = kDecimalFromApproximateDigits;
      break;
    case kValueCharacter:
      result.size = kDecimalFromTextSize;
      result.digits = kDecimalFromApproximateDigits;
      break;
    case kValueNumeric:
    case kValueInteger:
      result.size = argument.size;
      result.digits = argument.digits;
      break;
    default: return IsDateTimeValue(argument.valueType) ? kMsgConversionError : kMsgNotSupportedDetail;
  }
  return kMsgSuccess;
}

// A text of p characters takes up to four bytes a character as bytes; the
// room stays within what a bounded binary value holds, and never below p,
// so an ASCII text of any size still converts whole.
std::int32_t TextAsBytesSize(std::int32_t p) {
  const std::int64_t bytes = std::int64_t{p} * 4;
  return static_cast<std::int32_t>(std::max<std::int64_t>(p, std::min<std::int64_t>(bytes, kMaxHexTextSize)));
}

struct RenderedSizes {
  std::int32_t binary;
  std::int32_t character;
};

// What a value of the argument's SQL type takes as bytes (its C structure)
// and as text. A decimal's text holds its digits, a sign and a point.
bool RenderedSizesOf(std::int16_t sqlType, std::int32_t p, RenderedSizes& sizes) {
  switch (sqlType) {
    case SQL_BIT: sizes = {1, 1}; break;
    case SQL_TINYINT: sizes = {1, 4}; break;
    case SQL_BIGINT:
    case SQL_NUMERIC:
    case SQL_DECIMAL: sizes = {p + 2, p + 2}; break;
    case SQL_VARBINARY:
    case SQL_BINARY: sizes = {p, std::min(2 * p, kMaxHexTextSize)}; break;
    case SQL_CHAR:
    case SQL_VARCHAR: sizes = {TextAsBytesSize(p), p}; break;
    case SQL_INTEGER: sizes = {4, 11}; break;
    case SQL_SMALLINT: sizes = {2, 6}; break;
    case SQL_FLOAT:
    case SQL_DOUBLE: sizes = {8, 22}; break;
    case SQL_REAL: sizes = {4, 13}; break;
    case SQL_DATE:
    case SQL_TYPE_DATE: sizes = {6, 10}; break;
    case SQL_TIME:
    case SQL_TYPE_TIME: sizes = {6, 8}; break;
    case SQL_TIMESTAMP:
    case SQL_TYPE_TIMESTAMP: sizes = {16, 23}; break;
    default: return false;  // the long types have no bounded size
  }
  return true;
}

MessageId RenderedSize(const ValueCell& argument, bool asBinary, ValueCell& result) {
  RenderedSizes sizes{};
  if (!RenderedSizesOf(argument.sqlType, argument.size, sizes)) return kMsgNotSupportedDetail;
  result.size = asBinary ? sizes.binary : sizes.character;
  return kMsgSuccess;
}

MessageId ConvertedSize(ConvertSize rule, const ValueCell& argument, ValueCell& result) {
  switch (rule) {
    case ConvertSize::kBigint: return BigintSize(argument, result);
    case ConvertSize::kDecimal: return DecimalSize(argument, result);
    case ConvertSize::kAsBinary: return RenderedSize(argument, true, result);
    case ConvertSize::kAsCharacter: return RenderedSize(argument, false, result);
    default: return kMsgSuccess;
  }
}

// Integer, numeric and double mix, the wider winning; any other two
// different value types have no common type.
bool CommonValueType(std::int16_t first, std::int16_t second, std::int16_t& common) {
  if (first == second) {
    common = first;
    return true;
  }
  const auto rank = [](std::int16_t type) {
    return type == kValueInteger ? 1 : type == kValueNumeric ? 2 : type == kValueDouble ? 3 : 0;
  };
  if (rank(first) == 0 || rank(second) == 0) return false;
  common = rank(first) > rank(second) ? first : second;
  return true;
}

void SetSqlShape(ValueCell& result, std::int16_t sqlType, std::int32_t size, std::uint16_t digits) {
  result.sqlType = sqlType;
  result.size = size;
  result.digits = digits;
}

MessageId ExactNumberCommon(const ValueCell& first, const ValueCell& second, ValueCell& result) {
  switch (GroupOfSqlType(second.sqlType)) {
    case SqlTypeGroup::kExactNumber: {
      const std::uint16_t digits = std::max(first.digits, second.digits);
      const std::int32_t integerPart = std::max(first.size - first.digits, second.size - second.digits);
      SetSqlShape(result, WiderExactNumberType(first.sqlType, second.sqlType), digits + integerPart, digits);
      return kMsgSuccess;
    }
    case SqlTypeGroup::kApproximateNumber:
      SetSqlShape(result, second.sqlType, second.size, kNoDigits);
      return kMsgSuccess;
    case SqlTypeGroup::kUnknown: return kMsgNotSupportedDetail;
    default: return kMsgInternalError;
  }
}

// Long values have no common type with anything: the result buffer of an
// IFNULL is bounded.
MessageId CommonSqlShape(const ValueCell& first, const ValueCell& second, ValueCell& result) {
  const std::int32_t larger = std::max(first.size, second.size);
  const auto eitherIs = [&](std::int16_t type) { return first.sqlType == type || second.sqlType == type; };
  switch (first.sqlType) {
    case SQL_BINARY:
    case SQL_VARBINARY:
      SetSqlShape(result, eitherIs(SQL_VARBINARY) ? SQL_VARBINARY : SQL_BINARY, larger, kNoDigits);
      return kMsgSuccess;
    case SQL_CHAR:
    case SQL_VARCHAR:
      SetSqlShape(result, eitherIs(SQL_VARCHAR) ? SQL_VARCHAR : SQL_CHAR, larger, kNoDigits);
      return kMsgSuccess;
    case SQL_FLOAT:
      SetSqlShape(result, second.sqlType == SQL_DOUBLE ? SQL_DOUBLE : SQL_FLOAT, 15, kNoDigits);
      return kMsgSuccess;
    case SQL_REAL:
      if (second.sqlType == SQL_DOUBLE || second.sqlType == SQL_FLOAT) {
        SetSqlShape(result, second.sqlType, 15, kNoDigits);
      } else {
        SetSqlShape(result, SQL_REAL, 7, kNoDigits);
      }
      return kMsgSuccess;
    case SQL_DOUBLE: SetSqlShape(result, SQL_DOUBLE, 15, kNoDigits); return kMsgSuccess;
    case SQL_LONGVARBINARY:
    case SQL_LONGVARCHAR: return kMsgInternalError;
    default: break;
  }
  switch (GroupOfSqlType(first.sqlType)) {
    case SqlTypeGroup::kExactNumber: return ExactNumberCommon(first, second, result);
    case SqlTypeGroup::kDate:
    case SqlTypeGroup::kTime:
    case SqlTypeGroup::kTimestamp: SetSqlShape(result, first.sqlType, first.size, first.digits); return kMsgSuccess;
    default: return kMsgNotSupportedDetail;
  }
}

}  // namespace

MessageId ConvertResultType(std::string_view typeWord, const ValueCell& argument, ValueCell& result) {
  const ConvertTarget* target = FindConvertTarget(typeWord);
  if (target == nullptr) return kMsgInvalidScalarArgument;
  if (target->rule == ConvertSize::kRefused) return kMsgNotSupportedDetail;
  result.valueType = target->valueType;
  SetSqlShape(result, target->sqlType, target->size, target->digits);
  return ConvertedSize(target->rule, argument, result);
}

MessageId IfNullResultType(const ValueCell& first, const ValueCell& second, ValueCell& result) {
  std::int16_t valueType = kValueUntyped;
  if (!CommonValueType(first.valueType, second.valueType, valueType)) return kMsgInvalidScalarArgument;
  if (MessageId id = CommonSqlShape(first, second, result)) return id;
  result.valueType = valueType;
  return kMsgSuccess;
}
