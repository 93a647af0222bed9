// The IRD fields of result columns, each a column attribute or a rule over
// the column's type, and SQLColAttribute's routing to them.
#include "odbc/column_attribute_fields.h"

#include <sqlext.h>

#include "handles/statement_handle.h"
#include "odbc/column_attribute_answers.h"

namespace {

bool IsDateType(std::int16_t t) { return t == SQL_DATE || t == SQL_TYPE_DATE; }
bool IsTimeType(std::int16_t t) { return t == SQL_TIME || t == SQL_TYPE_TIME; }
bool IsTimestampType(std::int16_t t) { return t == SQL_TIMESTAMP || t == SQL_TYPE_TIMESTAMP; }
bool IsCharacterType(std::int16_t t) { return t == SQL_CHAR || t == SQL_VARCHAR || t == SQL_LONGVARCHAR; }
bool IsBinaryType(std::int16_t t) { return t == SQL_BINARY || t == SQL_VARBINARY || t == SQL_LONGVARBINARY; }

std::int64_t VerboseType(std::int16_t t) {
  return IsDateType(t) || IsTimeType(t) || IsTimestampType(t) ? SQL_DATETIME : t;
}

std::int64_t DateTimeCode(std::int16_t t) {
  if (IsDateType(t)) return SQL_CODE_DATE;
  if (IsTimeType(t)) return SQL_CODE_TIME;
  return IsTimestampType(t) ? SQL_CODE_TIMESTAMP : 0;
}

// ODBC 3 counts approximate numbers' precision in bits.
std::int64_t Precision(std::int16_t t, std::int64_t columnPrecision) {
  switch (t) {
    case SQL_BIT: return 1;
    case SQL_TINYINT: return 3;
    case SQL_INTEGER: return 10;
    case SQL_SMALLINT: return 5;
    case SQL_FLOAT:
    case SQL_DOUBLE: return 53;
    case SQL_REAL: return 24;
    default:
      if (IsTimestampType(t)) return 3;
      if (IsDateType(t) || IsTimeType(t)) return 0;
      return columnPrecision;
  }
}

std::int64_t Searchable(std::int16_t t) {
  if (t == SQL_CHAR || t == SQL_VARCHAR) return SQL_SEARCHABLE;
  if (t == SQL_LONGVARCHAR || t == SQL_LONGVARBINARY) return SQL_PRED_NONE;
  return SQL_PRED_BASIC;
}

std::int64_t Radix(std::int16_t t) {
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

const char* LiteralPrefix(std::int16_t t) { return IsBinaryType(t) ? "0x" : IsCharacterType(t) ? "'" : ""; }
const char* LiteralSuffix(std::int16_t t) { return IsCharacterType(t) ? "'" : ""; }

// The fields that are one column attribute as it stands.
bool AttributeOfField(std::uint16_t field, std::uint16_t& attribute) {
  switch (field) {
    case SQL_DESC_CONCISE_TYPE: attribute = SQL_COLUMN_TYPE; return true;
    // The column size, so that a column's size reads the same here as in
    // SQLDescribeCol (a binary column's display size is twice it).
    case SQL_DESC_LENGTH: attribute = SQL_COLUMN_PRECISION; return true;
    case SQL_DESC_OCTET_LENGTH: attribute = SQL_COLUMN_LENGTH; return true;
    case SQL_DESC_SCALE: attribute = SQL_COLUMN_SCALE; return true;
    case SQL_DESC_NULLABLE: attribute = SQL_COLUMN_NULLABLE; return true;
    case SQL_DESC_NAME:
    case SQL_DESC_BASE_COLUMN_NAME: attribute = SQL_COLUMN_NAME; return true;
    case SQL_DESC_DISPLAY_SIZE: attribute = SQL_COLUMN_DISPLAY_SIZE; return true;
    case SQL_DESC_UNSIGNED: attribute = SQL_COLUMN_UNSIGNED; return true;
    case SQL_DESC_UPDATABLE: attribute = SQL_COLUMN_UPDATABLE; return true;
    case SQL_DESC_AUTO_UNIQUE_VALUE: attribute = SQL_COLUMN_AUTO_INCREMENT; return true;
    case SQL_DESC_CASE_SENSITIVE: attribute = SQL_COLUMN_CASE_SENSITIVE; return true;
    case SQL_DESC_TYPE_NAME: attribute = SQL_COLUMN_TYPE_NAME; return true;
    case SQL_DESC_TABLE_NAME:
    case SQL_DESC_BASE_TABLE_NAME: attribute = SQL_COLUMN_TABLE_NAME; return true;
    case SQL_DESC_SCHEMA_NAME: attribute = SQL_COLUMN_OWNER_NAME; return true;
    case SQL_DESC_CATALOG_NAME: attribute = SQL_COLUMN_QUALIFIER_NAME; return true;
    case SQL_DESC_LABEL: attribute = SQL_COLUMN_LABEL; return true;
    default: return false;
  }
}

// The fields that follow from the column's type (and for the precision and
// the fixed scale, one more attribute).
MessageId AnswerByType(StatementHandle& statement, std::uint16_t column, std::uint16_t field, std::int16_t t,
                       ColumnAttributeAnswer& answer) {
  switch (field) {
    case SQL_DESC_TYPE: answer = NumberAnswer(VerboseType(t)); return kMsgSuccess;
    case SQL_DESC_DATETIME_INTERVAL_CODE: answer = NumberAnswer(DateTimeCode(t)); return kMsgSuccess;
    case SQL_DESC_SEARCHABLE: answer = NumberAnswer(Searchable(t)); return kMsgSuccess;
    case SQL_DESC_NUM_PREC_RADIX: answer = NumberAnswer(Radix(t)); return kMsgSuccess;
    case SQL_DESC_LITERAL_PREFIX: answer = TextAnswer(LiteralPrefix(t)); return kMsgSuccess;
    case SQL_DESC_LITERAL_SUFFIX: answer = TextAnswer(LiteralSuffix(t)); return kMsgSuccess;
    case SQL_DESC_PRECISION: {
      if (MessageId id = AnswerColumnAttribute(statement, column, SQL_COLUMN_PRECISION, answer)) return id;
      answer = NumberAnswer(Precision(t, answer.number));
      return kMsgSuccess;
    }
    case SQL_DESC_FIXED_PREC_SCALE: {
      if (t != SQL_NUMERIC && t != SQL_DECIMAL) {
        answer = NumberAnswer(0);
        return kMsgSuccess;
      }
      if (MessageId id = AnswerColumnAttribute(statement, column, SQL_COLUMN_SCALE, answer)) return id;
      answer = NumberAnswer(answer.number != 0 ? 1 : 0);
      return kMsgSuccess;
    }
    default: return kMsgInvalidDescriptorField;
  }
}

MessageId AnswerFixed(StatementHandle& statement, std::uint16_t column, std::uint16_t field,
                      ColumnAttributeAnswer& answer) {
  switch (field) {
    case SQL_DESC_UNNAMED: {
      if (MessageId id = AnswerColumnAttribute(statement, column, SQL_COLUMN_NAME, answer)) return id;
      answer = NumberAnswer(answer.text.empty() ? SQL_UNNAMED : SQL_NAMED);
      return kMsgSuccess;
    }
    case SQL_DESC_DATETIME_INTERVAL_PRECISION: answer = NumberAnswer(0); return kMsgSuccess;
    case SQL_DESC_LOCAL_TYPE_NAME: answer = TextAnswer(""); return kMsgSuccess;
    default: break;
  }
  if (MessageId id = AnswerColumnAttribute(statement, column, SQL_COLUMN_TYPE, answer)) return id;
  return AnswerByType(statement, column, field, static_cast<std::int16_t>(answer.number), answer);
}

}  // namespace

MessageId AnswerResultColumnField(StatementHandle& statement, std::uint16_t column, std::uint16_t field,
                                  ColumnAttributeAnswer& answer) {
  std::uint16_t attribute = 0;
  if (AttributeOfField(field, attribute)) return AnswerColumnAttribute(statement, column, attribute, answer);
  return AnswerFixed(statement, column, field, answer);
}

SQLRETURN ColumnAttributeCore(StatementHandle& statement, std::uint16_t column, std::uint16_t field,
                              SQLPOINTER characterAttribute, SQLSMALLINT bufferLength, SQLSMALLINT* stringLength,
                              SQLLEN* numericAttribute) {
  statement.diagnostic.messageId = kMsgSuccess;
  statement.diagnosticRowCount = 0;
  ColumnAttributeAnswer answer;
  MessageId id = kMsgSuccess;
  switch (field) {
    case SQL_COLUMN_COUNT:
    case SQL_DESC_COUNT: id = AnswerColumnAttribute(statement, 0, SQL_COLUMN_COUNT, answer); break;
    case SQL_COLUMN_LENGTH:
    case SQL_COLUMN_PRECISION:
    case SQL_COLUMN_SCALE: id = AnswerColumnAttribute(statement, column, field, answer); break;
    default: id = AnswerResultColumnField(statement, column, field, answer); break;
  }
  if (id != kMsgSuccess) {
    statement.diagnostic.messageId = id;
    return SQL_ERROR;
  }
  return DeliverColumnAttribute(statement, answer, static_cast<SQLCHAR*>(characterAttribute), bufferLength,
                                stringLength, numericAttribute);
}
