// Parameter bindings live as records of the statement's current application
// parameter descriptor; the parameters' own types come from prepare, not
// from the application.
#include "odbc/parameter_binding.h"

#include <sqlext.h>

#include <memory>
#include <new>

#include "connection/type_info.h"
#include "handles/descriptor_handle.h"
#include "handles/statement_handle.h"
#include "odbc/prepare_statement.h"
#include "odbc/statement_execution.h"
#include "odbc/statement_free.h"
#include "sql/parse_tree.h"

namespace {

bool IsUnsigned(SQLSMALLINT sqlType) {
  const TypeInfoRow* row = FindTypeInfoRow(sqlType);
  return row != nullptr && row->unsignedAttribute == 1;
}

SQLSMALLINT DefaultCType(SQLSMALLINT parameterType) {
  switch (parameterType) {
    case SQL_BIT: return SQL_C_BIT;
    case SQL_TINYINT: return IsUnsigned(SQL_TINYINT) ? SQL_C_UTINYINT : SQL_C_STINYINT;
    case SQL_BIGINT:
    case SQL_LONGVARCHAR:
    case SQL_CHAR:
    case SQL_NUMERIC:
    case SQL_DECIMAL:
    case SQL_VARCHAR: return SQL_C_CHAR;
    case SQL_LONGVARBINARY:
    case SQL_VARBINARY:
    case SQL_BINARY: return SQL_C_BINARY;
    case SQL_INTEGER: return IsUnsigned(SQL_INTEGER) ? SQL_C_ULONG : SQL_C_SLONG;
    case SQL_SMALLINT: return IsUnsigned(SQL_SMALLINT) ? SQL_C_USHORT : SQL_C_SSHORT;
    case SQL_FLOAT:
    case SQL_DOUBLE: return SQL_C_DOUBLE;
    case SQL_REAL: return SQL_C_FLOAT;
    case SQL_DATE:
    case SQL_TIME:
    case SQL_TIMESTAMP:
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME:
    case SQL_TYPE_TIMESTAMP: return parameterType;
    default: return 0;
  }
}

std::uint16_t PrecisionFor(SQLSMALLINT cType, SQLULEN columnSize) {
  switch (cType) {
    case SQL_C_NUMERIC: return static_cast<std::uint16_t>(columnSize);
    case SQL_C_SBIGINT: return 19;
    case SQL_C_UBIGINT: return 20;
    default: return 0;
  }
}

DescriptorRecord* ParameterRecordFor(StatementHandle& statement, std::uint16_t number) {
  if (DescriptorRecord* record = FindParameterRecord(statement, number)) return record;
  auto* record = new (std::nothrow) DescriptorRecord;
  if (record == nullptr) return nullptr;
  record->number = number;
  record->nextRecord = statement.currentApd->records;
  statement.currentApd->records = record;
  return record;
}

SQLRETURN Fail(StatementHandle& statement, MessageId id) {
  statement.diagnostic.messageId = id;
  return SQL_ERROR;
}

void StartCall(StatementHandle& statement) {
  statement.diagnostic.messageId = kMsgSuccess;
  statement.diagnosticRowCount = 0;
}

// The parameter node of a 1-based number, or none.
NodeIndex ParameterNode(const ParseTree& tree, SQLUSMALLINT number) {
  if (number == 0) return kNoNode;
  NodeIndex marker = tree.nodes[0].fields.root.firstParameter;
  for (SQLUSMALLINT step = 1; step < number && marker != kNoNode; ++step) marker = tree.nodes[marker].fields.parameter.next;
  return marker;
}

SQLRETURN DescribeTreeParameter(StatementHandle& statement, const ParseTree& tree, SQLUSMALLINT number,
                                SQLSMALLINT* dataType, SQLULEN* size, SQLSMALLINT* digits, SQLSMALLINT* nullable) {
  const NodeIndex marker = ParameterNode(tree, number);
  if (marker == kNoNode) return Fail(statement, kMsgInvalidParameterNumber);
  const ValueCell& cell = tree.nodes[marker].cell;
  if (dataType != nullptr) *dataType = cell.sqlType;
  if (size != nullptr) *size = static_cast<SQLULEN>(cell.size < 0 ? 0 : cell.size);
  if (digits != nullptr) *digits = static_cast<SQLSMALLINT>(cell.digits == kNoDigits ? 0 : cell.digits);
  if (nullable != nullptr) *nullable = SQL_NULLABLE_UNKNOWN;
  return SQL_SUCCESS;
}

// The markers stand in a statement of the batch other than the one the
// handle holds: that statement is bound aside to describe them. It may
// fail to bind before the statements ahead of it have run (a table they
// create); its failure is the answer then.
SQLRETURN DescribeAsideParameter(StatementHandle& statement, SQLUSMALLINT number, SQLSMALLINT* dataType,
                                 SQLULEN* size, SQLSMALLINT* digits, SQLSMALLINT* nullable) {
  auto aside = std::make_unique<StatementHandle>();
  const MessageId id = BindBatchStatementAside(statement, statement.batch.markerStatement, *aside);
  SQLRETURN result;
  if (id != kMsgSuccess) {
    CopyMessageTexts(statement.diagnostic, aside->diagnostic);
    result = Fail(statement, id);
  } else {
    result = DescribeTreeParameter(statement, *aside->parseTree, number, dataType, size, digits, nullable);
  }
  ReleasePreparedState(*aside);
  return result;
}

MessageId CheckPreparedTree(const StatementHandle& statement) {
  if (statement.parseTree == nullptr) return kMsgInvalidCursorState;
  if (statement.parseTree->nodes.empty() || statement.parseTree->nodes[0].kind != kNodeRoot) return kMsgInternalError;
  return kMsgSuccess;
}

}  // namespace

SQLSMALLINT ResolveParameterCType(SQLSMALLINT valueType, SQLSMALLINT parameterType) {
  switch (valueType) {
    case SQL_C_DEFAULT: return DefaultCType(parameterType);
    case SQL_C_TINYINT: return IsUnsigned(SQL_TINYINT) ? SQL_C_UTINYINT : SQL_C_STINYINT;
    case SQL_C_SHORT: return IsUnsigned(SQL_SMALLINT) ? SQL_C_USHORT : SQL_C_SSHORT;
    case SQL_C_LONG: return IsUnsigned(SQL_INTEGER) ? SQL_C_ULONG : SQL_C_SLONG;
    default: return valueType;
  }
}

SQLRETURN BindParameterCore(StatementHandle& statement, SQLUSMALLINT number, SQLSMALLINT ioType,
                            SQLSMALLINT valueType, SQLSMALLINT parameterType, SQLULEN columnSize, SQLPOINTER value,
                            SQLLEN bufferLength, SQLLEN* lengthOrIndicator) {
  StartCall(statement);
  if (statement.dataAtExecution != 0) return Fail(statement, kMsgInvalidCursorState);
  if (number == 0) return Fail(statement, kMsgInvalidParameterNumber);
  // A negative length would step an array of parameters backwards.
  if (bufferLength < 0) return Fail(statement, kMsgInvalidBufferLength);
  parameterType = MapDateTypeForStatement(statement, parameterType);
  valueType = MapDateTypeForStatement(statement, valueType);
  const SQLSMALLINT cType = ResolveParameterCType(valueType, parameterType);
  if (cType == 0) return Fail(statement, kMsgNotSupportedDetail);
  if (ioType == SQL_PARAM_OUTPUT) return SQL_SUCCESS;
  DescriptorRecord* record = ParameterRecordFor(statement, number);
  if (record == nullptr) return Fail(statement, kMsgMemoryAllocation);
  record->cType = cType;
  record->precision = PrecisionFor(cType, columnSize);
  record->scale = 0;
  record->dataPointer = value;
  record->bufferLength = bufferLength;
  record->lengthPointer = lengthOrIndicator;
  record->indicatorPointer = lengthOrIndicator;
  return SQL_SUCCESS;
}

SQLRETURN DescribeParameterCore(StatementHandle& statement, SQLUSMALLINT number, SQLSMALLINT* dataType,
                                SQLULEN* size, SQLSMALLINT* digits, SQLSMALLINT* nullable) {
  StartCall(statement);
  if (MessageId id = CheckPreparedTree(statement)) return Fail(statement, id);
  const StatementBatch& batch = statement.batch;
  if (IsBatch(batch) && batch.markerStatement != batch.current)
    return DescribeAsideParameter(statement, number, dataType, size, digits, nullable);
  return DescribeTreeParameter(statement, *statement.parseTree, number, dataType, size, digits, nullable);
}

SQLRETURN CountParametersCore(StatementHandle& statement, SQLSMALLINT* count) {
  StartCall(statement);
  if (MessageId id = CheckPreparedTree(statement)) return Fail(statement, id);
  // A batch's markers may be in a statement not yet bound, or in one that
  // ran before the statement the handle holds now.
  const std::uint32_t n =
      IsBatch(statement.batch) ? statement.batch.parameterCount : CountParameterMarkers(*statement.parseTree);
  // The answer is 16 bits wide; a statement may have up to 65535 markers.
  if (count != nullptr) *count = static_cast<SQLSMALLINT>(n < 32767 ? n : 32767);
  return SQL_SUCCESS;
}

SQLRETURN ParameterOptionsCore(StatementHandle& statement, SQLULEN rows, SQLULEN* processed) {
  StartCall(statement);
  statement.ipd.rowsProcessedPointer = processed;
  statement.paramsetSize = static_cast<std::int64_t>(rows);
  statement.paramsetCounter = 0;
  return SQL_SUCCESS;
}
