// The need-data cycle of parameters: SQLExecute or SQLExecDirect stops at a
// row with data at execution, each SQLParamData announces the next such
// parameter, SQLPutData pieces fill it, and the SQLParamData after the last
// one runs that row and the rows after it. The cycle of a positioned
// operation is positioned_operations.cc's.
#include "odbc/data_at_execution.h"

#include <sqlext.h>

#include <string>

#include "common/c_to_node.h"
#include "common/utf16_text.h"
#include "handles/descriptor_handle.h"
#include "handles/statement_handle.h"
#include "odbc/positioned_operations.h"
#include "odbc/statement_execution.h"
#include "sql/parse_tree.h"

namespace {

SQLRETURN Fail(StatementHandle& statement, MessageId id) {
  statement.diagnostic.messageId = id;
  return SQL_ERROR;
}

NodeIndex NextWaitingParameter(const StatementHandle& statement) {
  const ParseTree& tree = *statement.parseTree;
  NodeIndex marker = statement.dataAtExecutionPosition == kNoDataAtExecutionPosition
                         ? tree.nodes[0].fields.root.firstParameter
                         : tree.nodes[statement.dataAtExecutionPosition].fields.parameter.next;
  while (marker != kNoNode && tree.nodes[marker].fields.parameter.flag == 0)
    marker = tree.nodes[marker].fields.parameter.next;
  return marker;
}

}  // namespace

SQLRETURN ParamDataCore(StatementHandle& statement, SQLPOINTER* valuePointer) {
  statement.diagnostic.messageId = kMsgSuccess;
  statement.diagnosticRowCount = 0;
  if (statement.dataAtExecution == 0 || statement.pieceOffset == kNoPieceOffset || statement.parseTree == nullptr)
    return Fail(statement, kMsgInvalidCursorState);
  if (statement.pendingOperation != kNoPendingOperation) return PositionedParamData(statement, valuePointer);
  if (statement.heldHighSurrogate != 0) {
    // The last piece ended with half a surrogate pair.
    EndDataAtExecution(statement);
    return Fail(statement, kMsgAssignmentError);
  }
  NodeIndex next = NextWaitingParameter(statement);
  if (next == kNoNode) {
    const SQLRETURN result = ContinueParameterRows(statement);
    // A later row of the array that waits for data of its own is announced
    // at once: its first such parameter is what this call hands back.
    if (result != SQL_NEED_DATA) return result;
    next = NextWaitingParameter(statement);
  }
  const DescriptorRecord* record =
      next == kNoNode ? nullptr
                      : FindParameterRecord(statement, statement.parseTree->nodes[next].fields.parameter.number);
  if (record == nullptr) {
    EndDataAtExecution(statement);
    return Fail(statement, kMsgInternalError);
  }
  statement.dataAtExecutionPosition = next;
  statement.pieceOffset = kNoPieceOffset;
  if (valuePointer != nullptr) *valuePointer = record->dataPointer;
  return SQL_NEED_DATA;
}

SQLRETURN PutDataCore(StatementHandle& statement, SQLPOINTER data, SQLLEN lengthOrIndicator) {
  statement.diagnostic.messageId = kMsgSuccess;
  statement.diagnosticRowCount = 0;
  if (statement.dataAtExecution == 0 || statement.dataAtExecutionPosition == kNoDataAtExecutionPosition ||
      statement.parseTree == nullptr)
    return Fail(statement, kMsgInvalidCursorState);
  if (statement.pendingOperation != kNoPendingOperation) return PositionedPutData(statement, data, lengthOrIndicator);
  ParseNode& node = statement.parseTree->nodes[statement.dataAtExecutionPosition];
  const DescriptorRecord* record = FindParameterRecord(statement, node.fields.parameter.number);
  if (record == nullptr) return Fail(statement, kMsgInternalError);
  if (statement.pieceOffset == kNoPieceOffset) statement.pieceOffset = 0;
  SQLLEN offset = static_cast<SQLLEN>(statement.pieceOffset);
  std::string joined;
  if (record->cType == SQL_C_WCHAR)
    JoinSurrogateHalves(statement, record->bufferLength, data, lengthOrIndicator, joined);
  const MessageId id = ConvertCValueToNodeValue(&statement, node.cell, &offset, record->cType, data,
                                                lengthOrIndicator, 0, record->bufferLength);
  statement.pieceOffset = offset;
  if (id == kMsgSuccess) return SQL_SUCCESS;
  if (id == kMsgDataTruncated) {
    if (statement.ipd.arrayStatusPointer != nullptr)
      static_cast<SQLUSMALLINT*>(statement.ipd.arrayStatusPointer)[statement.paramsetCounter] =
          SQL_PARAM_SUCCESS_WITH_INFO;
    statement.diagnostic.messageId = id;
    return SQL_SUCCESS_WITH_INFO;
  }
  EndDataAtExecution(statement);
  return Fail(statement, id);
}

void JoinSurrogateHalves(StatementHandle& statement, SQLLEN bufferLength, SQLPOINTER& data, SQLLEN& length,
                         std::string& joined) {
  if (data == nullptr || (length < 0 && length != SQL_NTS)) return;
  const std::size_t count = length == SQL_NTS ? Utf16LeTerminatedLength(data, bufferLength)
                                              : static_cast<std::size_t>(length);
  joined.clear();
  if (statement.heldHighSurrogate != 0) {
    joined += static_cast<char>(statement.heldHighSurrogate & 0xFF);
    joined += static_cast<char>(statement.heldHighSurrogate >> 8);
  }
  joined.append(static_cast<const char*>(data), count);
  statement.heldHighSurrogate = TrailingHighSurrogate(joined);
  if (statement.heldHighSurrogate != 0) joined.resize(joined.size() - 2);
  data = joined.data();
  length = static_cast<SQLLEN>(joined.size());
}

void EndDataAtExecution(StatementHandle& statement) {
  statement.dataAtExecution = 0;
  statement.dataAtExecutionPosition = kNoDataAtExecutionPosition;
  statement.pieceOffset = kNoPieceOffset;
  statement.heldHighSurrogate = 0;
}
