// PrepareStatement in its steps: refusing a busy statement, forgetting the
// previous statement, answering the special statements, parsing, binding,
// planning, the parameters' value buffers and the cursor name.
#include "odbc/prepare_statement.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "common/odbc_text.h"
#include "exec/plan_pass.h"
#include "handles/connection_record.h"
#include "handles/handles.h"
#include "handles/statement_handle.h"
#include "odbc/batch_context.h"
#include "odbc/batch_split.h"
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
// special is refused here. Then the text, or its rewriting, is parsed.
MessageId ParseStatementText(StatementHandle& statement, ConnectionRecord& record, std::string_view text) {
  std::string rewritten = "SELECT * FROM \"";
  MessageId id = FilterSpecialStatement(&record, text, statement.specialStatement, rewritten);
  if (id == kSpecialStatementFound) {
    statement.transactionFlags[0] = 1;
    rewritten += "\"";
    text = rewritten;
  } else if (id != kNotSpecialStatement) {
    return id;
  }
  id = ParseStatement(statement, &record, text.data(), text.size(), statement.parseTree);
  // The parser may leave the detail of an alternative it tried and dropped.
  if (id == kMsgSuccess) statement.diagnostic.detailText.clear();
  return id;
}

MessageId BindAndPlan(StatementHandle& statement) {
  ParseTree& tree = *statement.parseTree;
  const MessageId id = BindStatementTree(statement, tree, 0, 0, 0, kNoNode, kNoNode);
  if (id != kMsgSuccess) return id;
  return PlanStatementTree(statement, tree, RootStatementNode(tree));
}

// A text or binary buffer is sized for what the parameter's column can
// hold (a text's size counts characters, each up to four bytes); the value
// itself is kept whole in the marker's cell, however long.
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

void StartPrepare(StatementHandle& statement) {
  statement.diagnostic.messageId = kMsgSuccess;
  statement.diagnosticRowCount = 0;
  statement.paramsetCounter = 0;
}

// The connection's record when the statement may be prepared; otherwise
// none, with the statement's message id set.
ConnectionRecord* RecordToPrepareOn(StatementHandle& statement) {
  // The text and the tree of an open result belong together: a refused
  // prepare keeps both.
  if (statement.statementKind != kStatementNone || statement.dataAtExecution != 0) {
    statement.diagnostic.messageId = kMsgInvalidCursorState;
    return nullptr;
  }
  ConnectionRecord* record = statement.connection != nullptr ? statement.connection->record : nullptr;
  if (record == nullptr) statement.diagnostic.messageId = kMsgConnectionNotOpen;
  return record;
}

// A statement that did not parse or bind keeps no tree.
SQLRETURN FailWithoutTree(StatementHandle& statement, MessageId id) {
  ReleasePreparedState(statement);
  return Fail(statement, id);
}

// What follows a parse that found no fault: binding, planning, the
// parameters' buffers and a SELECT's cursor name.
SQLRETURN FinishPrepare(StatementHandle& statement) {
  if (MessageId id = BindAndPlan(statement)) return FailWithoutTree(statement, id);
  if (MessageId bufferId = ReserveParameterBuffers(statement)) return Fail(statement, bufferId);
  if (IsSelect(statement) && statement.cursorName.empty()) GenerateCursorName(statement);
  statement.prepared = 1;
  return SQL_SUCCESS;
}

}  // namespace

SQLRETURN PrepareStatement(StatementHandle& statement, const SQLCHAR* text, SQLINTEGER length) {
  StartPrepare(statement);
  if (!IsStringLength(length)) return Fail(statement, kMsgInvalidBufferLength);
  ConnectionRecord* record = RecordToPrepareOn(statement);
  if (record == nullptr) return SQL_ERROR;
  AssignOdbcText(statement.sqlText, text, length);
  ForgetPreviousStatement(statement);
  statement.batch = StatementBatch{};
  // Table access posts its failures to the current statement.
  record->currentStatement = &statement;
  MessageId id = ParseStatementText(statement, *record, statement.sqlText);
  // Every statement of a batch parses before any of them is bound or run.
  if (id == kMsgSuccess) id = SplitStatementBatch(statement, *record);
  if (id != kMsgSuccess) return FailWithoutTree(statement, id);
  const SQLRETURN result = FinishPrepare(statement);
  if (result != SQL_SUCCESS) {
    if (IsBatch(statement.batch)) AddRunFailureContext(statement);
    statement.batch = StatementBatch{};
  }
  return result;
}

MessageId BindBatchStatementAside(StatementHandle& statement, std::size_t k, StatementHandle& aside) {
  ConnectionRecord* record = statement.connection != nullptr ? statement.connection->record : nullptr;
  if (record == nullptr) return kMsgConnectionNotOpen;
  aside.connection = statement.connection;
  // Table access posts to the current statement; aside goes before the
  // handle's own statement is used again.
  record->currentStatement = &aside;
  const std::string_view text = std::string_view(statement.sqlText).substr(statement.batch.starts[k]);
  MessageId id = ParseStatementText(aside, *record, text);
  if (id == kMsgSuccess) id = BindStatementTree(aside, *aside.parseTree, 0, 0, 0, kNoNode, kNoNode);
  record->currentStatement = &statement;
  return id;
}

SQLRETURN PrepareBatchStatement(StatementHandle& statement, std::size_t k) {
  StartPrepare(statement);
  // A refusal is statement k's too.
  statement.batch.current = k;
  ConnectionRecord* record = RecordToPrepareOn(statement);
  if (record == nullptr) return SQL_ERROR;
  ForgetPreviousStatement(statement);
  record->currentStatement = &statement;
  const std::string_view text = std::string_view(statement.sqlText).substr(statement.batch.starts[k]);
  if (MessageId id = ParseStatementText(statement, *record, text)) return FailWithoutTree(statement, id);
  return FinishPrepare(statement);
}
