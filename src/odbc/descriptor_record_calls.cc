// Whole-record reads and writes of a descriptor, one field at a time.
#include "odbc/descriptor_record_calls.h"

#include <sqlext.h>

#include <cstdint>

#include "handles/descriptor_handle.h"
#include "odbc/descriptor_fields.h"

namespace {

SQLPOINTER Integer(std::int64_t value) { return reinterpret_cast<SQLPOINTER>(static_cast<std::intptr_t>(value)); }

}  // namespace

SQLRETURN GetDescriptorRecord(DescriptorHandle& descriptor, SQLSMALLINT recordNumber, SQLCHAR* name,
                              SQLSMALLINT bufferLength, SQLSMALLINT* nameLength, SQLSMALLINT* type,
                              SQLSMALLINT* subType, SQLLEN* length, SQLSMALLINT* precision, SQLSMALLINT* scale,
                              SQLSMALLINT* nullable) {
  const struct {
    SQLSMALLINT field;
    SQLPOINTER out;
  } numbers[] = {
      {SQL_DESC_NULLABLE, nullable}, {SQL_DESC_SCALE, scale},
      {SQL_DESC_PRECISION, precision}, {SQL_DESC_OCTET_LENGTH, length},
      {SQL_DESC_DATETIME_INTERVAL_CODE, subType}, {SQL_DESC_TYPE, type},
  };
  for (const auto& n : numbers) {
    if (n.out == nullptr) continue;
    SQLRETURN result = GetDescriptorField(descriptor, recordNumber, n.field, n.out, 0, nullptr);
    if (result != SQL_SUCCESS) return result;
  }
  if (name == nullptr && nameLength == nullptr) return SQL_SUCCESS;
  SQLINTEGER fullLength = 0;
  SQLRETURN result = GetDescriptorField(descriptor, recordNumber, SQL_DESC_NAME, name, bufferLength, &fullLength);
  if (nameLength != nullptr && SQL_SUCCEEDED(result))
    *nameLength = static_cast<SQLSMALLINT>(fullLength > 0x7FFF ? 0x7FFF : fullLength);
  return result;
}

SQLRETURN SetDescriptorRecord(DescriptorHandle& descriptor, SQLSMALLINT recordNumber, SQLSMALLINT type,
                              SQLSMALLINT subType, SQLLEN length, SQLSMALLINT precision, SQLSMALLINT scale,
                              SQLPOINTER data, SQLLEN* stringLength, SQLLEN* indicator) {
  const struct {
    SQLSMALLINT field;
    SQLPOINTER value;
  } steps[] = {
      {SQL_DESC_TYPE, Integer(type)},
      {SQL_DESC_DATETIME_INTERVAL_CODE, Integer(subType)},
      {SQL_DESC_OCTET_LENGTH, Integer(length)},
      {SQL_DESC_PRECISION, Integer(precision)},
      {SQL_DESC_SCALE, Integer(scale)},
      {SQL_DESC_DATA_PTR, data},
      {SQL_DESC_OCTET_LENGTH_PTR, stringLength},
      {SQL_DESC_INDICATOR_PTR, indicator},
  };
  MessageId warning = kMsgSuccess;
  for (const auto& step : steps) {
    SQLRETURN result = SetDescriptorField(descriptor, recordNumber, step.field, step.value, 0);
    if (result == SQL_SUCCESS_WITH_INFO) warning = descriptor.diagnostic.messageId;
    else if (result != SQL_SUCCESS) return result;
  }
  descriptor.diagnostic.messageId = warning;
  return warning == kMsgSuccess ? SQL_SUCCESS : SQL_SUCCESS_WITH_INFO;
}
