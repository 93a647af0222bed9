// IPD record fields, each derived from the parameter's SQL type, size and
// digits.
#include "odbc/parameter_descriptor_fields.h"

#include <sqlext.h>

#include "connection/type_info.h"
#include "handles/statement_handle.h"
#include "odbc/descriptor_type_rules.h"
#include "odbc/parameter_binding.h"
#include "platform/utf8_text.h"

namespace {

struct Parameter {
  std::int16_t type = 0;  // in the statement's ODBC form
  std::int64_t size = 0;
  std::int64_t digits = 0;
};

bool IsCharacter(std::int16_t t) { return t == SQL_CHAR || t == SQL_VARCHAR || t == SQL_LONGVARCHAR; }

std::int64_t LengthOf(const Parameter& p) {
  if (IsCharacter(p.type)) return p.size;
  switch (DateTimeCodeOf(p.type)) {
    case SQL_CODE_DATE: return 10;
    case SQL_CODE_TIME: return 8;
    case SQL_CODE_TIMESTAMP: return 23;
    default: return 0;
  }
}

// The bytes of the type's default C buffer; -1 for a type without one.
std::int64_t OctetLengthOf(const Parameter& p) {
  switch (Odbc2DateTypeOf(p.type)) {
    case SQL_BIT:
    case SQL_TINYINT: return 1;
    case SQL_BIGINT:
    case SQL_FLOAT:
    case SQL_DOUBLE: return 8;
    case SQL_LONGVARBINARY:
    case SQL_VARBINARY:
    case SQL_BINARY: return p.size;
    case SQL_LONGVARCHAR:
    case SQL_CHAR:
    case SQL_VARCHAR: return p.size * std::int64_t{kMaxUtf8CharacterBytes};  // sizes count characters
    case SQL_NUMERIC:
    case SQL_DECIMAL: return SQL_MAX_NUMERIC_LEN + 3;
    case SQL_INTEGER:
    case SQL_REAL: return 4;
    case SQL_SMALLINT: return 2;
    case SQL_DATE:
    case SQL_TIME: return 6;
    case SQL_TIMESTAMP: return 16;
    default: return -1;
  }
}

std::int64_t PrecisionOf(const Parameter& p) {
  switch (Odbc2DateTypeOf(p.type)) {
    case SQL_BIT: return 1;
    case SQL_TINYINT: return 3;
    case SQL_INTEGER: return 10;
    case SQL_SMALLINT: return 5;
    case SQL_FLOAT:
    case SQL_DOUBLE: return 53;
    case SQL_REAL: return 24;
    case SQL_TIMESTAMP: return 3;
    case SQL_DATE:
    case SQL_TIME: return 0;
    default: return p.size;
  }
}

std::int64_t RadixOf(std::int16_t t) {
  switch (t) {
    case SQL_TINYINT:
    case SQL_BIGINT:
    case SQL_NUMERIC:
    case SQL_DECIMAL:
    case SQL_INTEGER:
    case SQL_SMALLINT: return 10;
    case SQL_FLOAT:
    case SQL_REAL:
    case SQL_DOUBLE: return 2;
    default: return 0;
  }
}

MessageId AnswerFromTypeRow(const Parameter& p, SQLSMALLINT field, DescriptorValue& answer) {
  const TypeInfoRow* row = FindTypeInfoRow(Odbc2DateTypeOf(p.type));
  if (row == nullptr) return kMsgQuickBaseError;
  if (field == SQL_DESC_TYPE_NAME) answer = TextValue(row->typeName);
  else answer = NumberValue(row->unsignedAttribute == 1 ? 1 : 0);
  return kMsgSuccess;
}

MessageId AnswerField(const Parameter& p, SQLSMALLINT field, DescriptorValue& answer) {
  switch (field) {
    case SQL_DESC_CONCISE_TYPE: answer = NumberValue(p.type); return kMsgSuccess;
    case SQL_DESC_TYPE: answer = NumberValue(VerboseTypeOf(p.type)); return kMsgSuccess;
    case SQL_DESC_DATETIME_INTERVAL_CODE: answer = NumberValue(DateTimeCodeOf(p.type)); return kMsgSuccess;
    case SQL_DESC_LENGTH: answer = NumberValue(LengthOf(p)); return kMsgSuccess;
    case SQL_DESC_OCTET_LENGTH:
      answer = NumberValue(OctetLengthOf(p));
      return answer.number < 0 ? kMsgNotSupportedDetail : kMsgSuccess;
    case SQL_DESC_PRECISION: answer = NumberValue(PrecisionOf(p)); return kMsgSuccess;
    case SQL_DESC_SCALE: answer = NumberValue(p.digits); return kMsgSuccess;
    case SQL_DESC_NULLABLE: answer = NumberValue(SQL_NULLABLE); return kMsgSuccess;
    case SQL_DESC_FIXED_PREC_SCALE:
      answer = NumberValue((p.type == SQL_NUMERIC || p.type == SQL_DECIMAL) && p.digits != 0 ? 1 : 0);
      return kMsgSuccess;
    case SQL_DESC_CASE_SENSITIVE: answer = NumberValue(IsCharacter(p.type) ? 1 : 0); return kMsgSuccess;
    case SQL_DESC_NUM_PREC_RADIX: answer = NumberValue(RadixOf(p.type)); return kMsgSuccess;
    case SQL_DESC_UNSIGNED:
    case SQL_DESC_TYPE_NAME: return AnswerFromTypeRow(p, field, answer);
    case SQL_DESC_UNNAMED: answer = NumberValue(SQL_UNNAMED); return kMsgSuccess;
    case SQL_DESC_UPDATABLE: answer = NumberValue(SQL_ATTR_READWRITE_UNKNOWN); return kMsgSuccess;
    case SQL_DESC_DISPLAY_SIZE:
    case SQL_DESC_AUTO_UNIQUE_VALUE:
    case SQL_DESC_SEARCHABLE:
    case SQL_DESC_DATETIME_INTERVAL_PRECISION: answer = NumberValue(0); return kMsgSuccess;
    case SQL_DESC_OCTET_LENGTH_PTR:
    case SQL_DESC_INDICATOR_PTR:
    case SQL_DESC_DATA_PTR: answer = PointerValue(nullptr); return kMsgSuccess;
    default:
      if (DescriptorFieldWidth(field) != FieldWidth::kText) return kMsgInvalidDescriptorField;
      answer = TextValue({});
      return kMsgSuccess;
  }
}

}  // namespace

MessageId AnswerParameterField(StatementHandle& statement, std::uint16_t number, SQLSMALLINT field,
                               DescriptorValue& answer) {
  Parameter p;
  SQLSMALLINT type = 0;
  SQLULEN size = 0;
  SQLSMALLINT digits = 0;
  if (DescribeParameterCore(statement, number, &type, &size, &digits, nullptr) != SQL_SUCCESS)
    return statement.diagnostic.messageId;
  p.type = MapDateTypeForStatement(statement, type);
  p.size = static_cast<std::int64_t>(size);
  p.digits = digits;
  return AnswerField(p, field, answer);
}
