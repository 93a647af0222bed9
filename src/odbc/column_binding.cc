// Column bindings are records of the current ARD, newest first.
#include "odbc/column_binding.h"

#include <sqlext.h>

#include <new>

#include "connection/type_info.h"
#include "handles/descriptor_handle.h"
#include "handles/statement_handle.h"
#include "odbc/column_data.h"

namespace {

std::uint16_t PrecisionFor(SQLSMALLINT cType) {
  switch (cType) {
    case SQL_C_NUMERIC:
    case SQL_C_SBIGINT: return kDefaultNumericPrecision;
    case SQL_C_UBIGINT: return kDefaultUnsignedBigintPrecision;
    default: return 0;
  }
}

void Unbind(DescriptorHandle& ard, SQLUSMALLINT column) {
  for (DescriptorRecord** link = &ard.records; *link != nullptr; link = &(*link)->nextRecord) {
    if ((*link)->number != column) continue;
    DescriptorRecord* record = *link;
    *link = record->nextRecord;
    delete record;
    return;
  }
}

DescriptorRecord* RecordFor(DescriptorHandle& ard, SQLUSMALLINT column) {
  for (DescriptorRecord* record = ard.records; record != nullptr; record = record->nextRecord)
    if (record->number == column) return record;
  auto* record = new (std::nothrow) DescriptorRecord;
  if (record == nullptr) return nullptr;
  record->number = column;
  record->nextRecord = ard.records;
  ard.records = record;
  return record;
}

}  // namespace

SQLRETURN BindColumn(StatementHandle& statement, SQLUSMALLINT column, SQLSMALLINT targetType, SQLPOINTER target,
                     SQLLEN bufferLength, SQLLEN* lengthOrIndicator) {
  statement.diagnostic.messageId = kMsgSuccess;
  statement.diagnosticRowCount = 0;
  if (statement.dataAtExecution != 0) {
    statement.diagnostic.messageId = kMsgInvalidCursorState;
    return SQL_ERROR;
  }
  // A negative length would make every element of a column's array step
  // backwards through the application's memory.
  if (bufferLength < 0) {
    statement.diagnostic.messageId = kMsgInvalidBufferLength;
    return SQL_ERROR;
  }
  DescriptorHandle& ard = *statement.currentArd;
  if (target == nullptr) {
    Unbind(ard, column);
    return SQL_SUCCESS;
  }
  DescriptorRecord* record = RecordFor(ard, column);
  if (record == nullptr) {
    statement.diagnostic.messageId = kMsgMemoryAllocation;
    return SQL_ERROR;
  }
  record->cType = MapDateTypeForConnection(*statement.connection, targetType);
  record->precision = PrecisionFor(record->cType);
  record->scale = 0;
  record->dataPointer = target;
  record->bufferLength = bufferLength;
  record->lengthPointer = lengthOrIndicator;
  record->indicatorPointer = lengthOrIndicator;
  return SQL_SUCCESS;
}
