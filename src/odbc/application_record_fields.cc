// Application descriptor records: a binding's C type, buffer and pointers;
// the description fields answer what a C buffer implies.
#include "odbc/application_record_fields.h"

#include <sqlext.h>

#include <cstdint>

#include "connection/type_info.h"
#include "odbc/descriptor_type_rules.h"

namespace {

std::int64_t PrecisionOfCType(const DescriptorRecord& record) {
  switch (record.cType) {
    case SQL_C_TINYINT:
    case SQL_C_STINYINT:
    case SQL_C_UTINYINT:
    case SQL_C_TIMESTAMP:
    case SQL_C_TYPE_TIMESTAMP: return 3;
    case SQL_C_LONG:
    case SQL_C_SLONG:
    case SQL_C_ULONG: return 10;
    case SQL_C_SHORT:
    case SQL_C_SSHORT:
    case SQL_C_USHORT: return 5;
    case SQL_C_BIT: return 1;
    case SQL_C_FLOAT: return 24;
    case SQL_C_DOUBLE: return 53;
    case SQL_C_SBIGINT:
    case SQL_C_UBIGINT:
    case SQL_C_BINARY:
    case SQL_C_CHAR:
    case SQL_C_NUMERIC: return record.precision;
    default: return 0;
  }
}

std::int64_t RadixOfCType(std::int16_t cType) {
  switch (cType) {
    case SQL_C_TINYINT:
    case SQL_C_STINYINT:
    case SQL_C_UTINYINT:
    case SQL_C_LONG:
    case SQL_C_SLONG:
    case SQL_C_ULONG:
    case SQL_C_SHORT:
    case SQL_C_SSHORT:
    case SQL_C_USHORT:
    case SQL_C_SBIGINT:
    case SQL_C_UBIGINT:
    case SQL_C_NUMERIC: return 10;
    case SQL_C_FLOAT:
    case SQL_C_DOUBLE: return 2;
    default: return 0;
  }
}

// The fields that describe a column or parameter rather than a buffer:
// an application record has nothing of its own to say.
bool AnswerDescriptionField(SQLSMALLINT field, DescriptorValue& answer) {
  switch (field) {
    case SQL_DESC_LENGTH:
    case SQL_DESC_NULLABLE:
    case SQL_DESC_DISPLAY_SIZE:
    case SQL_DESC_UNSIGNED:
    case SQL_DESC_FIXED_PREC_SCALE:
    case SQL_DESC_AUTO_UNIQUE_VALUE:
    case SQL_DESC_CASE_SENSITIVE:
    case SQL_DESC_SEARCHABLE:
    case SQL_DESC_DATETIME_INTERVAL_PRECISION: answer = NumberValue(0); return true;
    case SQL_DESC_UNNAMED: answer = NumberValue(SQL_UNNAMED); return true;
    case SQL_DESC_UPDATABLE: answer = NumberValue(SQL_ATTR_READWRITE_UNKNOWN); return true;
    case SQL_DESC_NAME:
    case SQL_DESC_TYPE_NAME:
    case SQL_DESC_TABLE_NAME:
    case SQL_DESC_SCHEMA_NAME:
    case SQL_DESC_LOCAL_TYPE_NAME:
    case SQL_DESC_CATALOG_NAME:
    case SQL_DESC_LABEL:
    case SQL_DESC_BASE_COLUMN_NAME:
    case SQL_DESC_BASE_TABLE_NAME:
    case SQL_DESC_LITERAL_PREFIX:
    case SQL_DESC_LITERAL_SUFFIX: answer = TextValue({}); return true;
    default: return false;
  }
}

// A new type unbinds the buffer: its pointers were meant for the old one.
void SetCType(DescriptorRecord& record, std::int16_t cType) {
  record.cType = cType;
  record.dataPointer = nullptr;
  record.lengthPointer = nullptr;
  record.indicatorPointer = nullptr;
}

std::int16_t DateTimeCTypeOf(std::int64_t code) {
  switch (code) {
    case SQL_CODE_DATE: return SQL_C_DATE;
    case SQL_CODE_TIME: return SQL_C_TIME;
    case SQL_CODE_TIMESTAMP: return SQL_C_TIMESTAMP;
    default: return 0;
  }
}

}  // namespace

MessageId AnswerApplicationField(const DescriptorRecord& record, SQLSMALLINT field, DescriptorValue& answer) {
  switch (field) {
    case SQL_DESC_CONCISE_TYPE: answer = NumberValue(record.cType); return kMsgSuccess;
    case SQL_DESC_TYPE: answer = NumberValue(VerboseTypeOf(record.cType)); return kMsgSuccess;
    case SQL_DESC_DATETIME_INTERVAL_CODE: answer = NumberValue(DateTimeCodeOf(record.cType)); return kMsgSuccess;
    case SQL_DESC_OCTET_LENGTH: answer = NumberValue(record.bufferLength); return kMsgSuccess;
    case SQL_DESC_PRECISION: answer = NumberValue(PrecisionOfCType(record)); return kMsgSuccess;
    case SQL_DESC_SCALE: answer = NumberValue(record.scale); return kMsgSuccess;
    case SQL_DESC_NUM_PREC_RADIX: answer = NumberValue(RadixOfCType(record.cType)); return kMsgSuccess;
    case SQL_DESC_OCTET_LENGTH_PTR: answer = PointerValue(record.lengthPointer); return kMsgSuccess;
    case SQL_DESC_INDICATOR_PTR: answer = PointerValue(record.indicatorPointer); return kMsgSuccess;
    case SQL_DESC_DATA_PTR: answer = PointerValue(record.dataPointer); return kMsgSuccess;
    default: return AnswerDescriptionField(field, answer) ? kMsgSuccess : kMsgInvalidDescriptorField;
  }
}

MessageId SetApplicationField(const ConnectionHandle& connection, DescriptorRecord& record, SQLSMALLINT field,
                              SQLPOINTER value) {
  const auto number = static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(value));
  switch (field) {
    case SQL_DESC_CONCISE_TYPE:
      SetCType(record, MapDateTypeForConnection(connection, static_cast<std::int16_t>(number)));
      return kMsgSuccess;
    case SQL_DESC_TYPE:
      // The verbose date-time type leaves the C type to the subcode.
      if (number == SQL_DATETIME || number == SQL_INTERVAL) SetCType(record, record.cType);
      else SetCType(record, MapDateTypeForConnection(connection, static_cast<std::int16_t>(number)));
      return kMsgSuccess;
    case SQL_DESC_DATETIME_INTERVAL_CODE:
      if (std::int16_t cType = DateTimeCTypeOf(number)) SetCType(record, MapDateTypeForConnection(connection, cType));
      return kMsgSuccess;
    case SQL_DESC_OCTET_LENGTH_PTR: record.lengthPointer = static_cast<SQLLEN*>(value); return kMsgSuccess;
    case SQL_DESC_INDICATOR_PTR: record.indicatorPointer = static_cast<SQLLEN*>(value); return kMsgSuccess;
    case SQL_DESC_DATA_PTR: record.dataPointer = value; return kMsgSuccess;
    case SQL_DESC_OCTET_LENGTH: record.bufferLength = number; return kMsgSuccess;
    case SQL_DESC_PRECISION: record.precision = static_cast<std::uint16_t>(number); return kMsgSuccess;
    case SQL_DESC_SCALE: record.scale = static_cast<std::int16_t>(number); return kMsgSuccess;
    default: {
      // Description fields: the binding has no use for them.
      DescriptorValue ignored;
      return AnswerDescriptionField(field, ignored) || field == SQL_DESC_NUM_PREC_RADIX ? kMsgSuccess
                                                                                         : kMsgInvalidDescriptorField;
    }
  }
}
