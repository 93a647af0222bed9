// Exported descriptor functions: single fields, whole records and copies,
// each around its core under the descriptor's connection lock.
#include <sql.h>

#include "odbc/descriptor_copy.h"
#include "odbc/descriptor_fields.h"
#include "odbc/descriptor_record_calls.h"
#include "odbc/export_guard.h"
#include "odbc/exports/export_macros.h"

HELVANE_EXPORT SQLRETURN SQL_API SQLGetDescField(SQLHDESC DescriptorHandle, SQLSMALLINT RecNumber,
                                                 SQLSMALLINT FieldIdentifier, SQLPOINTER Value,
                                                 SQLINTEGER BufferLength, SQLINTEGER* StringLength) {
  return GuardedDescriptorCall(DescriptorHandle, "SQLGetDescField", [&](::DescriptorHandle& descriptor) {
    return GetDescriptorField(descriptor, RecNumber, FieldIdentifier, Value, BufferLength, StringLength);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLSetDescField(SQLHDESC DescriptorHandle, SQLSMALLINT RecNumber,
                                                 SQLSMALLINT FieldIdentifier, SQLPOINTER Value,
                                                 SQLINTEGER BufferLength) {
  return GuardedDescriptorCall(DescriptorHandle, "SQLSetDescField", [&](::DescriptorHandle& descriptor) {
    return SetDescriptorField(descriptor, RecNumber, FieldIdentifier, Value, BufferLength);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLGetDescRec(SQLHDESC DescriptorHandle, SQLSMALLINT RecNumber, SQLCHAR* Name,
                                               SQLSMALLINT BufferLength, SQLSMALLINT* StringLength,
                                               SQLSMALLINT* Type, SQLSMALLINT* SubType, SQLLEN* Length,
                                               SQLSMALLINT* Precision, SQLSMALLINT* Scale, SQLSMALLINT* Nullable) {
  return GuardedDescriptorCall(DescriptorHandle, "SQLGetDescRec", [&](::DescriptorHandle& descriptor) {
    return GetDescriptorRecord(descriptor, RecNumber, Name, BufferLength, StringLength, Type, SubType, Length,
                               Precision, Scale, Nullable);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLSetDescRec(SQLHDESC DescriptorHandle, SQLSMALLINT RecNumber, SQLSMALLINT Type,
                                               SQLSMALLINT SubType, SQLLEN Length, SQLSMALLINT Precision,
                                               SQLSMALLINT Scale, SQLPOINTER Data, SQLLEN* StringLength,
                                               SQLLEN* Indicator) {
  return GuardedDescriptorCall(DescriptorHandle, "SQLSetDescRec", [&](::DescriptorHandle& descriptor) {
    return SetDescriptorRecord(descriptor, RecNumber, Type, SubType, Length, Precision, Scale, Data, StringLength,
                               Indicator);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLCopyDesc(SQLHDESC SourceDescHandle, SQLHDESC TargetDescHandle) {
  return GuardedDescriptorPairCall(SourceDescHandle, TargetDescHandle, "SQLCopyDesc",
                                   [](::DescriptorHandle& source, ::DescriptorHandle& target) {
                                     return CopyDescriptor(source, target);
                                   });
}
