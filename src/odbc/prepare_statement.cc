// PrepareStatement in its steps: refusing a busy statement, forgetting the
// previous statement, answering the special statements, parsing, binding,
// planning, the parameters' value buffers and the cursor name.
#include "odbc/prepare_statement.h"

#include <algorithm>
#include <string>

#include "common/odbc_text.h"
#include "exec/plan_pass.h"
#include "handles/connection_record.h"
#include "handles/handles.h"
#include "handles/statement_handle.h"
#include "odbc/cursor_names.h"
#include "odbc/data_at_execution.h"
#include "odbc/special_statement.h"
#include "odbc/statement_free.h"
#include "platform/utf8_text.h"
#include "sql/parse_tree.h"
#include "sql/semantic_pass.h"
#include "sql/statement_parser.h"

namespace {

// Value buffers of parameters: the smallest sizes a parameter gets, and the
// largest text buffer (the longest text column in UTF-8 and its NUL).
constexpr std::uint64_t kBinaryParameterBytes = 263;  // an 8-byte length and 255 bytes
constexpr std::uint64_t kCharacterParameterBytes = 256;
constexpr std::uint64_t kMaxCharacterParameterBytes = 65535 * kMaxUtf8CharacterBytes + 1;
constexpr std::uint64_t kBinaryLengthBytes = 8;

SQLRETURN Fail(StatementHandle& statement, MessageId id) {
  statement.diagnostic.messageId = id;
  return SQL_ERROR;
}

// What the previous statement left: its tree, its special statement, its
// data-at-execution sequence and the state of its results.
void ForgetPreviousStatement(StatementHandle& statement) {
  ReleasePreparedState(statement);
  EndDataAtExecution(statement);
  statement.rowCount = -1;
  // Nothing has been fetched for the new statement; the buffer is an
  // SQLULEN, written whole.
  if (statement.ird.rowsProcessedPointer != nullptr) *static_cast<SQLULEN*>(statement.ird.rowsProcessedPointer) = 0;
  statement.currentBookmark = 0;
  statement.rowsetStatusArray = nullptr;
  statement.pendingOperation = kNoPendingOperation;
}

// The identity query becomes a query on its pseudo-table; anything else
// special is refused here. Leaves the text to parse in text.
MessageId ChooseTextToParse(StatementHandle& statement, ConnectionRecord& record, std::string& text) {
  std::string rewritten = "SELECT * FROM \"";
  const MessageId id = FilterSpecialStatement(&record, statement.sqlText, statement.specialStatement, rewritten);
  if (id == kNotSpecialStatement) {
    text = statement.sqlText;
    return kMsgSuccess;
  }
  if (id != kSpecialStatementFound) return id;
  statement.transactionFlags[0] = 1;
  text = rewritten + "\"";
  return kMsgSuccess;
}

MessageId ParseBindAndPlan(StatementHandle& statement, ConnectionRecord& record, const std::string& text) {
  MessageId id = ParseStatement(statement, &record, text.data(), text.size(), statement.parseTree);
  if (id != kMsgSuccess) return id;
  // The parser may leave the detail of an alternative it tried and dropped.
  statement.diagnostic.detailText.clear();
  ParseTree& tree = *statement.parseTree;
  id = BindStatementTree(statement, tree, 0, 0, 0, kNoNode, kNoNode);
  if (id != kMsgSuccess) return id;
  return PlanStatementTree(statement, tree, RootStatementNode(tree));
}

// A text or binary buffer holds what the parameter's column can hold, so a
// value that fits the column is never cut on its way in: a text's size
// counts characters, each up to four bytes.
MessageId ParameterBufferSize(const ValueCell& cell, std::uint64_t& size) {
  const std::uint64_t declared = cell.size > 0 ? static_cast<std::uint64_t>(cell.size) : 0;
  switch (cell.valueType) {
    case kValueBinary: size = std::max(kBinaryParameterBytes, declared + kBinaryLengthBytes); return kMsgSuccess;
    case kValueCharacter:
      size = std::clamp(declared * kMaxUtf8CharacterBytes + 1, kCharacterParameterBytes, kMaxCharacterParameterBytes);
      return kMsgSuccess;
    case kValueNumeric: size = declared + 3; return kMsgSuccess;
    case kValueInteger:
    case kValueDouble:
    case kValueDate:
    case kValueTime:
    case kValueTimestamp: size = 0; return kMsgSuccess;
    case kValueUntyped: return kMsgParameterInSelectList;
    default: return kMsgNotSupportedDetail;
  }
}

// Failures name the parameter; the tree stays for the caller to judge.
MessageId ReserveParameterBuffers(StatementHandle& statement) {
  ParseTree& tree = *statement.parseTree;
  for (NodeIndex marker = tree.nodes[0].fields.root.firstParameter; marker != kNoNode;
       marker = tree.nodes[marker].fields.parameter.next) {
    std::uint64_t size = 0;
    if (MessageId id = ParameterBufferSize(tree.nodes[marker].cell, size)) {
      statement.diagnostic.detailText = "parameter " + std::to_string(tree.nodes[marker].fields.parameter.number);
      return id;
    }
    ValueIndex buffer = kNoValue;
    if (size != 0 && (buffer = AddValueBuffer(tree, size)) == kNoValue) {
      ReleasePreparedState(statement);
      return kMsgMemoryAllocation;
    }
    tree.nodes[marker].fields.parameter.resultBuffer = buffer;
  }
  return kMsgSuccess;
}

bool IsSelect(const StatementHandle& statement) {
  const ParseTree& tree = *statement.parseTree;
  const NodeIndex node = RootStatementNode(tree);
  return node != kNoNode && tree.nodes[node].kind == kNodeSelect;
}

}  // namespace

SQLRETURN PrepareStatement(StatementHandle& statement, const SQLCHAR* text, SQLINTEGER length) {
  statement.diagnostic.messageId = kMsgSuccess;
  statement.diagnosticRowCount = 0;
  statement.paramsetCounter = 0;
  if (!IsStringLength(length)) return Fail(statement, kMsgInvalidBufferLength);
  // The text and the tree of an open result belong together: a refused
  // prepare keeps both.
  if (statement.statementKind != kStatementNone || statement.dataAtExecution != 0)
    return Fail(statement, kMsgInvalidCursorState);
  ConnectionRecord* record = statement.connection != nullptr ? statement.connection->record : nullptr;
  if (record == nullptr) return Fail(statement, kMsgConnectionNotOpen);
  AssignOdbcText(statement.sqlText, text, length);
  ForgetPreviousStatement(statement);
  // Table access posts its failures to the current statement.
  record->currentStatement = &statement;
  std::string parsed;
  MessageId id = ChooseTextToParse(statement, *record, parsed);
  if (id == kMsgSuccess) id = ParseBindAndPlan(statement, *record, parsed);
  if (id != kMsgSuccess) {
    ReleasePreparedState(statement);
    return Fail(statement, id);
  }
  if (MessageId bufferId = ReserveParameterBuffers(statement)) return Fail(statement, bufferId);
  if (IsSelect(statement) && statement.cursorName.empty()) GenerateCursorName(statement);
  statement.prepared = 1;
  return SQL_SUCCESS;
}
