// Descriptor fields by identifier: the header of every descriptor, the
// records of application descriptors, and the implementation descriptors'
// answers taken from their statement.
#include "odbc/descriptor_fields.h"

#include <sqlext.h>

#include <cstdint>
#include <string>

#include "common/message_ids.h"
#include "handles/descriptor_handle.h"
#include "handles/statement_handle.h"
#include "odbc/application_record_fields.h"
#include "odbc/descriptor_records.h"
#include "odbc/descriptor_values.h"
#include "odbc/parameter_binding.h"
#include "odbc/parameter_descriptor_fields.h"
#include "odbc/result_descriptor_fields.h"
#include "odbc/statement_attributes.h"

namespace {

bool IsHeaderField(SQLSMALLINT field) {
  switch (field) {
    case SQL_DESC_COUNT:
    case SQL_DESC_ALLOC_TYPE:
    case SQL_DESC_ARRAY_SIZE:
    case SQL_DESC_ARRAY_STATUS_PTR:
    case SQL_DESC_BIND_OFFSET_PTR:
    case SQL_DESC_BIND_TYPE:
    case SQL_DESC_ROWS_PROCESSED_PTR:
    // Every parameter is an input parameter, whatever the record.
    case SQL_DESC_PARAMETER_TYPE: return true;
    default: return false;
  }
}

SQLRETURN Fail(DescriptorHandle& descriptor, MessageId id) {
  descriptor.diagnostic.messageId = id;
  return SQL_ERROR;
}

// Runs ask against the statement behind an implementation descriptor: what
// it posts lands on the descriptor, and the statement keeps its own
// diagnostic for the application's next SQLGetDiagRec on it.
template <typename Ask>
MessageId AskStatement(DescriptorHandle& descriptor, StatementHandle& statement, Ask&& ask) {
  const HandleDiagnostic kept = statement.diagnostic;
  const std::int32_t keptRowCount = statement.diagnosticRowCount;
  MessageId id = ask();
  if (id != kMsgSuccess) {
    CopyMessageTexts(descriptor.diagnostic, statement.diagnostic);
  }
  statement.diagnostic = kept;
  statement.diagnosticRowCount = keptRowCount;
  return id;
}

MessageId CountRecords(DescriptorHandle& descriptor, std::int64_t& count) {
  StatementHandle* owner = ImplementationOwner(descriptor);
  if (owner == nullptr) {
    count = HighestRecordNumber(descriptor);
    return kMsgSuccess;
  }
  if (IsImplementationRowDescriptor(descriptor))
    return AskStatement(descriptor, *owner, [&] { return CountResultRecords(*owner, count); });
  return AskStatement(descriptor, *owner, [&] {
    SQLSMALLINT parameters = 0;
    if (CountParametersCore(*owner, &parameters) == SQL_SUCCESS) {
      count = parameters;
      return kMsgSuccess;
    }
    // Nothing prepared: no parameters yet.
    count = 0;
    MessageId id = owner->diagnostic.messageId;
    return id == kMsgInvalidCursorState ? kMsgSuccess : id;
  });
}

// The array size is the statement's row array size or paramset size for a
// descriptor a statement binds through; any other descriptor holds one row.
std::int64_t ArraySize(const DescriptorHandle& descriptor) {
  std::int64_t size = 0;
  ForEachStatementBindingThrough(descriptor, true, [&](StatementHandle& s) { size = s.rowArraySize; });
  if (size == 0) ForEachStatementBindingThrough(descriptor, false, [&](StatementHandle& s) { size = s.paramsetSize; });
  return size != 0 ? size : 1;
}

MessageId AnswerHeaderField(DescriptorHandle& descriptor, SQLSMALLINT field, DescriptorValue& answer) {
  switch (field) {
    case SQL_DESC_COUNT: return CountRecords(descriptor, answer.number);
    case SQL_DESC_ALLOC_TYPE: answer = NumberValue(descriptor.allocationType); return kMsgSuccess;
    case SQL_DESC_ARRAY_SIZE: answer = NumberValue(ArraySize(descriptor)); return kMsgSuccess;
    case SQL_DESC_ARRAY_STATUS_PTR: answer = PointerValue(descriptor.arrayStatusPointer); return kMsgSuccess;
    case SQL_DESC_BIND_OFFSET_PTR:
      answer = PointerValue(descriptor.bindOffsetPointer == &descriptor.zeroWord ? nullptr
                                                                                 : descriptor.bindOffsetPointer);
      return kMsgSuccess;
    case SQL_DESC_BIND_TYPE: answer = NumberValue(static_cast<std::int64_t>(descriptor.bindType)); return kMsgSuccess;
    case SQL_DESC_ROWS_PROCESSED_PTR: answer = PointerValue(descriptor.rowsProcessedPointer); return kMsgSuccess;
    default: answer = NumberValue(SQL_PARAM_INPUT); return kMsgSuccess;
  }
}

MessageId AnswerRecordField(DescriptorHandle& descriptor, std::uint16_t number, SQLSMALLINT field,
                            DescriptorValue& answer) {
  StatementHandle* owner = ImplementationOwner(descriptor);
  if (owner == nullptr) {
    const DescriptorRecord* record = FindDescriptorRecord(descriptor, number);
    if (record == nullptr) return kMsgInvalidDescriptorIndex;
    return AnswerApplicationField(*record, field, answer);
  }
  if (IsImplementationRowDescriptor(descriptor))
    return AskStatement(descriptor, *owner, [&] { return AnswerResultRowField(*owner, number, field, answer); });
  return AskStatement(descriptor, *owner, [&] { return AnswerParameterField(*owner, number, field, answer); });
}

// The statements binding through the descriptor take the size as their row
// array or paramset size; a descriptor no statement binds through keeps one
// row.
MessageId SetArraySize(DescriptorHandle& descriptor, SQLPOINTER value) {
  MessageId id = kMsgOptionValueChanged;
  auto apply = [&](StatementHandle& s, SQLINTEGER attribute) { id = SetStatementAttribute(s, attribute, value); };
  ForEachStatementBindingThrough(descriptor, true, [&](StatementHandle& s) { apply(s, SQL_ATTR_ROW_ARRAY_SIZE); });
  ForEachStatementBindingThrough(descriptor, false, [&](StatementHandle& s) { apply(s, SQL_ATTR_PARAMSET_SIZE); });
  if (id == kMsgOptionValueChanged && reinterpret_cast<std::uintptr_t>(value) == 1) return kMsgSuccess;
  return id;
}

MessageId SetHeaderField(DescriptorHandle& descriptor, SQLSMALLINT field, SQLPOINTER value) {
  const auto number = static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(value));
  // The result's description is the driver's; only where to report rows
  // belongs to the application.
  if (IsImplementationRowDescriptor(descriptor) && field != SQL_DESC_ARRAY_STATUS_PTR &&
      field != SQL_DESC_ROWS_PROCESSED_PTR)
    return kMsgModifyImplementationRow;
  switch (field) {
    case SQL_DESC_COUNT:
      if (number < 0 || number > 0x7FFF) return kMsgInvalidDescriptorIndex;
      RemoveRecordsAbove(descriptor, static_cast<std::uint16_t>(number));
      return kMsgSuccess;
    case SQL_DESC_ARRAY_SIZE: return SetArraySize(descriptor, value);
    case SQL_DESC_ARRAY_STATUS_PTR: descriptor.arrayStatusPointer = value; return kMsgSuccess;
    case SQL_DESC_BIND_OFFSET_PTR:
      descriptor.bindOffsetPointer = value != nullptr ? static_cast<std::int64_t*>(value) : &descriptor.zeroWord;
      return kMsgSuccess;
    case SQL_DESC_BIND_TYPE: descriptor.bindType = static_cast<std::uint32_t>(number); return kMsgSuccess;
    case SQL_DESC_ROWS_PROCESSED_PTR: descriptor.rowsProcessedPointer = value; return kMsgSuccess;
    default: return kMsgSuccess;  // the allocation type and the parameter type are fixed
  }
}

MessageId SetRecordField(DescriptorHandle& descriptor, std::uint16_t number, SQLSMALLINT field, SQLPOINTER value) {
  if (IsImplementationRowDescriptor(descriptor)) return kMsgModifyImplementationRow;
  // The parameters' types, sizes and digits come from prepare.
  if (ImplementationOwner(descriptor) != nullptr) return kMsgSuccess;
  DescriptorRecord* record = FindOrCreateDescriptorRecord(descriptor, number);
  if (record == nullptr) return kMsgMemoryAllocation;
  return SetApplicationField(*descriptor.connection, *record, field, value);
}

bool IsKnownField(SQLSMALLINT field) {
  return IsHeaderField(field) || DescriptorFieldWidth(field) != FieldWidth::kUnknown;
}

}  // namespace

SQLRETURN GetDescriptorField(DescriptorHandle& descriptor, SQLSMALLINT recordNumber, SQLSMALLINT field,
                             SQLPOINTER value, SQLINTEGER bufferLength, SQLINTEGER* stringLength) {
  descriptor.diagnostic.messageId = kMsgSuccess;
  if (!IsKnownField(field)) return Fail(descriptor, kMsgInvalidDescriptorField);
  DescriptorValue answer;
  MessageId id = kMsgSuccess;
  if (IsHeaderField(field)) {
    id = AnswerHeaderField(descriptor, field, answer);
  } else if (recordNumber < 0) {
    id = kMsgInvalidDescriptorIndex;
  } else {
    id = AnswerRecordField(descriptor, static_cast<std::uint16_t>(recordNumber), field, answer);
    if (id == kMsgInvalidDescriptorIndex && ImplementationOwner(descriptor) == nullptr) {
      descriptor.diagnostic.messageId = id;
      return SQL_NO_DATA;
    }
  }
  if (id == kMsgNotSupportedDetail && descriptor.diagnostic.detailText.empty())
    descriptor.diagnostic.detailText = "descriptor field " + std::to_string(field) + " of this type";
  if (id == kMsgSuccess) id = WriteDescriptorValue(field, answer, value, bufferLength, stringLength);
  descriptor.diagnostic.messageId = id;
  if (id == kMsgSuccess) return SQL_SUCCESS;
  return id == kMsgDataTruncated ? SQL_SUCCESS_WITH_INFO : SQL_ERROR;
}

SQLRETURN SetDescriptorField(DescriptorHandle& descriptor, SQLSMALLINT recordNumber, SQLSMALLINT field,
                             SQLPOINTER value, SQLINTEGER bufferLength) {
  (void)bufferLength;  // the texts a record could take are descriptions the driver derives itself
  descriptor.diagnostic.messageId = kMsgSuccess;
  if (!IsKnownField(field)) return Fail(descriptor, kMsgInvalidDescriptorField);
  MessageId id = kMsgSuccess;
  if (IsHeaderField(field)) id = SetHeaderField(descriptor, field, value);
  else if (recordNumber < 0) id = kMsgInvalidDescriptorIndex;
  else id = SetRecordField(descriptor, static_cast<std::uint16_t>(recordNumber), field, value);
  descriptor.diagnostic.messageId = id;
  if (id == kMsgSuccess) return SQL_SUCCESS;
  return id == kMsgOptionValueChanged ? SQL_SUCCESS_WITH_INFO : SQL_ERROR;
}
