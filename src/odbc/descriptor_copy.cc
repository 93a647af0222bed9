// Copying descriptors: application records as they are, implementation
// records turned into the default binding of their SQL type.
#include "odbc/descriptor_copy.h"

#include <sqlext.h>

#include <cstdint>
#include <vector>

#include "connection/type_info.h"
#include "handles/descriptor_handle.h"
#include "handles/statement_handle.h"
#include "odbc/descriptor_lifecycle.h"
#include "odbc/descriptor_records.h"
#include "odbc/descriptor_type_rules.h"
#include "odbc/parameter_binding.h"
#include "odbc/result_descriptor_fields.h"

namespace {

struct Described {
  std::int16_t type = 0;
  std::uint64_t size = 0;
  std::int16_t digits = 0;
};

struct Binding {
  int cType;
  std::uint64_t precision;
  std::int64_t bufferLength;
};

bool IsUnsigned(std::int16_t type) {
  const TypeInfoRow* row = FindTypeInfoRow(Odbc2DateTypeOf(type));
  return row != nullptr && row->unsignedAttribute == 1;
}

// The C buffer that receives a value of the described type whole; false
// for a type the driver has no buffer for.
bool DefaultBinding(const ConnectionHandle& connection, const Described& d, Binding& b) {
  const auto size = static_cast<std::int64_t>(d.size);
  const bool u = IsUnsigned(d.type);
  switch (Odbc2DateTypeOf(d.type)) {
    case SQL_BIT: b = {SQL_C_BIT, 1, 1}; return true;
    case SQL_TINYINT: b = {u ? SQL_C_UTINYINT : SQL_C_STINYINT, 3, 1}; return true;
    case SQL_BIGINT: b = {u ? SQL_C_UBIGINT : SQL_C_SBIGINT, d.size, 8}; return true;
    case SQL_LONGVARBINARY:
    case SQL_VARBINARY:
    case SQL_BINARY: b = {SQL_C_BINARY, d.size, size + 4}; return true;
    case SQL_LONGVARCHAR:
    case SQL_CHAR:
    case SQL_VARCHAR: b = {SQL_C_CHAR, d.size, size + 1}; return true;
    case SQL_NUMERIC:
    case SQL_DECIMAL: b = {SQL_C_NUMERIC, d.size, SQL_MAX_NUMERIC_LEN + 3}; return true;
    case SQL_INTEGER: b = {u ? SQL_C_ULONG : SQL_C_SLONG, 10, 4}; return true;
    case SQL_SMALLINT: b = {u ? SQL_C_USHORT : SQL_C_SSHORT, 5, 2}; return true;
    case SQL_FLOAT:
    case SQL_DOUBLE: b = {SQL_C_DOUBLE, 53, 8}; return true;
    case SQL_REAL: b = {SQL_C_FLOAT, 24, 4}; return true;
    case SQL_DATE: b = {MapDateTypeForConnection(connection, SQL_C_DATE), 0, 6}; return true;
    case SQL_TIME: b = {MapDateTypeForConnection(connection, SQL_C_TIME), 0, 6}; return true;
    case SQL_TIMESTAMP: b = {MapDateTypeForConnection(connection, SQL_C_TIMESTAMP), 3, 16}; return true;
    default: return false;
  }
}

// What a copy puts into the target, gathered before the target is touched.
struct CopiedRecord {
  std::uint16_t number;
  DescriptorRecord fields;
};

MessageId GatherDescribed(const ConnectionHandle& connection, std::uint16_t number, const Described& d,
                          std::vector<CopiedRecord>& out) {
  Binding b{};
  if (!DefaultBinding(connection, d, b)) return kMsgInternalError;
  DescriptorRecord fields;
  fields.cType = static_cast<std::int16_t>(b.cType);
  fields.precision = static_cast<std::uint16_t>(b.precision > 0xFFFF ? 0xFFFF : b.precision);
  fields.scale = d.digits;
  fields.bufferLength = b.bufferLength;
  out.push_back({number, fields});
  return kMsgSuccess;
}

MessageId GatherResultColumns(StatementHandle& statement, std::vector<CopiedRecord>& out) {
  if (!HasResultDescription(statement)) return kMsgStatementNotPrepared;
  std::int64_t count = 0;
  if (MessageId id = CountResultRecords(statement, count)) return id;
  const std::uint16_t first = statement.useBookmarks != SQL_UB_OFF ? 0 : 1;
  for (std::int64_t column = first; column <= count; ++column) {
    Described d;
    const auto number = static_cast<std::uint16_t>(column);
    if (MessageId id = DescribeResultRecord(statement, number, d.type, d.size, d.digits)) return id;
    if (MessageId id = GatherDescribed(*statement.connection, number, d, out)) return id;
  }
  return kMsgSuccess;
}

MessageId GatherParameters(StatementHandle& statement, std::vector<CopiedRecord>& out) {
  SQLSMALLINT count = 0;
  // Nothing prepared: no parameters to copy.
  if (CountParametersCore(statement, &count) != SQL_SUCCESS)
    return statement.diagnostic.messageId == kMsgInvalidCursorState ? kMsgSuccess : statement.diagnostic.messageId;
  for (SQLSMALLINT number = 1; number <= count; ++number) {
    SQLSMALLINT type = 0;
    SQLULEN size = 0;
    SQLSMALLINT digits = 0;
    const auto n = static_cast<std::uint16_t>(number);
    if (DescribeParameterCore(statement, n, &type, &size, &digits, nullptr) != SQL_SUCCESS)
      return statement.diagnostic.messageId;
    Described d{MapDateTypeForStatement(statement, type), size, digits};
    if (MessageId id = GatherDescribed(*statement.connection, n, d, out)) return id;
  }
  return kMsgSuccess;
}

void GatherRecords(const DescriptorHandle& source, std::vector<CopiedRecord>& out) {
  for (const DescriptorRecord* r = source.records; r != nullptr; r = r->nextRecord) out.push_back({r->number, *r});
}

// The statement's own diagnostic survives: describing it is the
// descriptor's call.
MessageId Gather(DescriptorHandle& source, std::vector<CopiedRecord>& out) {
  StatementHandle* owner = ImplementationOwner(source);
  if (owner == nullptr) {
    GatherRecords(source, out);
    return kMsgSuccess;
  }
  const HandleDiagnostic kept = owner->diagnostic;
  const std::int32_t keptRowCount = owner->diagnosticRowCount;
  MessageId id = IsImplementationRowDescriptor(source) ? GatherResultColumns(*owner, out)
                                                       : GatherParameters(*owner, out);
  owner->diagnostic = kept;
  owner->diagnosticRowCount = keptRowCount;
  return id;
}

void CopyHeader(const DescriptorHandle& source, DescriptorHandle& target) {
  target.bindType = source.bindType;
  target.rowsProcessedPointer = source.rowsProcessedPointer;
  target.arrayStatusPointer = source.arrayStatusPointer;
  target.zeroWord = source.zeroWord;
  target.bindOffsetPointer =
      source.bindOffsetPointer == &source.zeroWord ? &target.zeroWord : source.bindOffsetPointer;
}

MessageId Install(const std::vector<CopiedRecord>& records, DescriptorHandle& target) {
  ReleaseDescriptorRecords(target, false);
  for (const CopiedRecord& copied : records) {
    DescriptorRecord* record = FindOrCreateDescriptorRecord(target, copied.number);
    if (record == nullptr) return kMsgMemoryAllocation;
    DescriptorRecord* next = record->nextRecord;
    *record = copied.fields;
    record->nextRecord = next;
    record->number = copied.number;
  }
  return kMsgSuccess;
}

}  // namespace

SQLRETURN CopyDescriptor(DescriptorHandle& source, DescriptorHandle& target) {
  target.diagnostic.messageId = kMsgSuccess;
  MessageId id = kMsgSuccess;
  std::vector<CopiedRecord> records;
  if (IsImplementationRowDescriptor(target)) id = kMsgModifyImplementationRow;
  else if (ImplementationOwner(target) != nullptr || &source == &target) return SQL_SUCCESS;
  else id = Gather(source, records);
  if (id == kMsgSuccess) id = Install(records, target);
  if (id == kMsgSuccess) CopyHeader(source, target);
  target.diagnostic.messageId = id;
  return id == kMsgSuccess ? SQL_SUCCESS : SQL_ERROR;
}
