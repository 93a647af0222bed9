// Descriptor field widths as ODBC defines them, and writing one value.
#include "odbc/descriptor_values.h"

#include <sqlext.h>

#include "common/odbc_text.h"

FieldWidth DescriptorFieldWidth(SQLSMALLINT field) {
  switch (field) {
    case SQL_DESC_COUNT:
    case SQL_DESC_ALLOC_TYPE:
    case SQL_DESC_CONCISE_TYPE:
    case SQL_DESC_TYPE:
    case SQL_DESC_DATETIME_INTERVAL_CODE:
    case SQL_DESC_FIXED_PREC_SCALE:
    case SQL_DESC_NULLABLE:
    case SQL_DESC_PARAMETER_TYPE:
    case SQL_DESC_PRECISION:
    case SQL_DESC_SCALE:
    case SQL_DESC_SEARCHABLE:
    case SQL_DESC_UNNAMED:
    case SQL_DESC_UNSIGNED:
    case SQL_DESC_UPDATABLE: return FieldWidth::kSmall;
    case SQL_DESC_BIND_TYPE:
    case SQL_DESC_AUTO_UNIQUE_VALUE:
    case SQL_DESC_CASE_SENSITIVE:
    case SQL_DESC_DATETIME_INTERVAL_PRECISION:
    case SQL_DESC_NUM_PREC_RADIX: return FieldWidth::kInteger;
    case SQL_DESC_ARRAY_SIZE:
    case SQL_DESC_LENGTH:
    case SQL_DESC_DISPLAY_SIZE:
    case SQL_DESC_OCTET_LENGTH: return FieldWidth::kLength;
    case SQL_DESC_ARRAY_STATUS_PTR:
    case SQL_DESC_BIND_OFFSET_PTR:
    case SQL_DESC_ROWS_PROCESSED_PTR:
    case SQL_DESC_DATA_PTR:
    case SQL_DESC_INDICATOR_PTR:
    case SQL_DESC_OCTET_LENGTH_PTR: return FieldWidth::kPointer;
    case SQL_DESC_BASE_COLUMN_NAME:
    case SQL_DESC_BASE_TABLE_NAME:
    case SQL_DESC_CATALOG_NAME:
    case SQL_DESC_LABEL:
    case SQL_DESC_LITERAL_PREFIX:
    case SQL_DESC_LITERAL_SUFFIX:
    case SQL_DESC_LOCAL_TYPE_NAME:
    case SQL_DESC_NAME:
    case SQL_DESC_SCHEMA_NAME:
    case SQL_DESC_TABLE_NAME:
    case SQL_DESC_TYPE_NAME: return FieldWidth::kText;
    default: return FieldWidth::kUnknown;
  }
}

MessageId WriteDescriptorValue(SQLSMALLINT field, const DescriptorValue& answer, SQLPOINTER value,
                               SQLINTEGER bufferLength, SQLINTEGER* stringLength) {
  SQLINTEGER length = 0;
  switch (DescriptorFieldWidth(field)) {
    case FieldWidth::kSmall:
      if (value != nullptr) *static_cast<SQLSMALLINT*>(value) = static_cast<SQLSMALLINT>(answer.number);
      length = sizeof(SQLSMALLINT);
      break;
    case FieldWidth::kInteger:
      if (value != nullptr) *static_cast<SQLINTEGER*>(value) = static_cast<SQLINTEGER>(answer.number);
      length = field == SQL_DESC_BIND_TYPE ? SQL_IS_UINTEGER : sizeof(SQLINTEGER);
      break;
    case FieldWidth::kLength:
      if (value != nullptr) *static_cast<SQLLEN*>(value) = static_cast<SQLLEN>(answer.number);
      length = sizeof(SQLLEN);
      break;
    case FieldWidth::kPointer:
      if (value != nullptr) *static_cast<SQLPOINTER*>(value) = answer.pointer;
      length = SQL_IS_POINTER;
      break;
    case FieldWidth::kText:
      if (value != nullptr && bufferLength < 0) return kMsgInvalidBufferLength;
      return CopyToOdbcBuffer32(static_cast<SQLCHAR*>(value), bufferLength, stringLength, answer.text);
    case FieldWidth::kUnknown: return kMsgInvalidDescriptorField;
  }
  if (stringLength != nullptr) *stringLength = length;
  return kMsgSuccess;
}
