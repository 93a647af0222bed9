// Executing a prepared statement. A parameter array runs every row: a row
// with an informational result is remembered and the next rows still run,
// each row gets its status, rows the application marked to ignore are
// skipped, and the row counts add up. Under autocommit the writes of the
// whole execution are committed once, at its end.
#include "odbc/statement_execution.h"

#include <sqlext.h>

#include <string>

#include "common/c_to_node.h"
#include "common/c_type_rules.h"
#include "connection/table_caches.h"
#include "exec/statement_executor.h"
#include "handles/connection_record.h"
#include "handles/descriptor_handle.h"
#include "handles/handles.h"
#include "handles/statement_handle.h"
#include "odbc/bound_elements.h"
#include "odbc/data_at_execution.h"
#include "odbc/special_statement.h"
#include "odbc/transactions.h"
#include "sql/parse_tree.h"
#include "tables/pending_writes.h"

namespace {

// Informational outcomes: the statement ran.
bool IsInformational(MessageId id) {
  return id == kMsgDataTruncated || id == kMsgOrderByValueCut || id == kMsgDdlIgnored || id == kMsgCommittedBeforeDdl;
}

NodeIndex StatementNode(const StatementHandle& statement) {
  return RootStatementNode(*statement.parseTree);
}

std::uint16_t StatementKindOf(const StatementHandle& statement) {
  return statement.parseTree->nodes[StatementNode(statement)].kind;
}

std::int32_t OdbcVersion(const StatementHandle& statement) {
  const ConnectionHandle* connection = statement.connection;
  return connection != nullptr && connection->environment != nullptr ? connection->environment->odbcVersion : 3;
}

// Under ODBC 3 a searched UPDATE or DELETE that touched nothing answers
// SQL_NO_DATA.
bool TouchedNothing(const StatementHandle& statement, std::uint16_t kind) {
  return (kind == kNodeUpdate || kind == kNodeDelete) && statement.rowCount == 0 && OdbcVersion(statement) == 3;
}

void SetStatus(StatementHandle& statement, std::int64_t row, SQLUSMALLINT status) {
  if (statement.ipd.arrayStatusPointer != nullptr) static_cast<SQLUSMALLINT*>(statement.ipd.arrayStatusPointer)[row] = status;
}

void SetProcessed(StatementHandle& statement, std::int64_t rows) {
  if (statement.ipd.rowsProcessedPointer != nullptr)
    *static_cast<SQLULEN*>(statement.ipd.rowsProcessedPointer) = static_cast<SQLULEN>(rows);
}

bool RowIgnored(const StatementHandle& statement, std::int64_t row) {
  const auto* operations = static_cast<const SQLUSMALLINT*>(statement.currentApd->arrayStatusPointer);
  return operations != nullptr && operations[row] == SQL_PARAM_IGNORE;
}

// A length that asks for the value through SQLParamData and SQLPutData.
bool IsDataAtExecution(SQLLEN length) {
  return length == SQL_DATA_AT_EXEC || length <= SQL_LEN_DATA_AT_EXEC_OFFSET;
}

const SQLLEN* RowElement(const SQLLEN* array, std::int64_t offset, std::uint64_t bindType, std::int64_t row) {
  if (array == nullptr) return nullptr;
  const auto* base = reinterpret_cast<const char*>(array) + offset;
  const std::uint64_t step = bindType != SQL_BIND_BY_COLUMN ? bindType : sizeof(SQLLEN);
  return reinterpret_cast<const SQLLEN*>(base + static_cast<std::uint64_t>(row) * step);
}

// In a column-wise array the buffer length is the distance from one row's
// value to the next: a longer length would read into the rows after it.
// Alone, or bound by row, a parameter's length is its indicator's, whatever
// its buffer length says.
MessageId CheckArrayElementLength(StatementHandle& statement, const DescriptorRecord& record, const ParseNode& node,
                                  SQLLEN length) {
  if (statement.currentApd->bindType != SQL_BIND_BY_COLUMN || statement.paramsetSize <= 1) return kMsgSuccess;
  const SQLSMALLINT cType =
      record.cType == SQL_C_DEFAULT ? DefaultCTypeForSqlType(node.cell.sqlType, false) : record.cType;
  if (FixedCTypeSize(cType) != 0 || length < 0 || length <= record.bufferLength) return kMsgSuccess;
  statement.diagnostic.detailText =
      DescribeOverlong("parameter " + std::to_string(record.number), length, record.bufferLength);
  return kMsgStringRightTruncationOf;
}

// One parameter's value of row r into its node; data at execution marks the
// node instead.
MessageId LoadParameter(StatementHandle& statement, ParseNode& node, std::int64_t row) {
  DescriptorRecord* record = FindParameterRecord(statement, node.fields.parameter.number);
  if (record == nullptr) return kMsgParameterMissing;
  const DescriptorHandle& apd = *statement.currentApd;
  const std::int64_t offset = *apd.bindOffsetPointer;
  const SQLLEN* indicator = RowElement(record->indicatorPointer, offset, apd.bindType, row);
  const SQLLEN* length = RowElement(record->lengthPointer, offset, apd.bindType, row);
  SQLLEN lengthOrIndicator = length != nullptr ? *length : SQL_NTS;
  if (indicator != nullptr && *indicator == SQL_NULL_DATA) lengthOrIndicator = SQL_NULL_DATA;
  node.fields.parameter.flag = 0;
  if (lengthOrIndicator != SQL_NULL_DATA && IsDataAtExecution(lengthOrIndicator)) {
    node.fields.parameter.flag = 1;
    node.cell.bytes.clear();
    node.cell.nullFlag = 0;
    statement.dataAtExecution = 1;
    statement.pieceOffset = 0;
    return kMsgSuccess;
  }
  if (MessageId id = CheckArrayElementLength(statement, *record, node, lengthOrIndicator)) return id;
  const char* data = static_cast<const char*>(record->dataPointer);
  if (data != nullptr) {
    data += offset;
    if (apd.bindType != SQL_BIND_BY_COLUMN) data += static_cast<std::uint64_t>(row) * apd.bindType;
  }
  return ConvertCValueToNodeValue(&statement, node.cell, nullptr, record->cType, data, lengthOrIndicator,
                                  static_cast<SQLULEN>(row), record->bufferLength);
}

MessageId LoadParameterRow(StatementHandle& statement, std::int64_t row) {
  ParseTree& tree = *statement.parseTree;
  statement.dataAtExecution = 0;
  statement.dataAtExecutionPosition = kNoDataAtExecutionPosition;
  MessageId remembered = kMsgSuccess;
  for (NodeIndex marker = tree.nodes[0].fields.root.firstParameter; marker != kNoNode;
       marker = tree.nodes[marker].fields.parameter.next) {
    const MessageId id = LoadParameter(statement, tree.nodes[marker], row);
    if (id == kMsgDataTruncated) remembered = id;
    else if (id != kMsgSuccess) return id;
  }
  return remembered;
}

// The rows of the parameter array; an unset size means one.
std::int64_t ParameterRowCount(const StatementHandle& statement) {
  return statement.paramsetSize < 1 ? 1 : statement.paramsetSize;
}

bool ConnectionCommits(const StatementHandle& statement) {
  const ConnectionHandle* connection = statement.connection;
  return connection != nullptr && connection->autocommit != 0 && connection->record != nullptr &&
         connection->record->transactionCapability != 0;
}

// The parameter rows whose writes a failed commit did not finish.
void MarkUnfinishedRows(StatementHandle& statement, const ConnectionRecord& record) {
  const std::int64_t rows = ParameterRowCount(statement);
  for (std::int32_t row : UnfinishedWriteRows(record))
    if (row >= 0 && row < rows) SetStatus(statement, row, SQL_PARAM_ERROR);
}

// Under autocommit each statement is a transaction of its own: what the
// service did not take is dropped with the failure, so that later statements
// and the disconnect are not held up by writes the application was told
// failed. The rows the service did take stay: its API has no rollback.
MessageId CommitUnderAutocommit(StatementHandle& statement) {
  // The execution's writes are all queued; later ones belong to no row.
  if (statement.connection->record != nullptr) SetHeldWriteSource(*statement.connection->record, kNoWriteSource);
  if (!ConnectionCommits(statement) || !IsWritingStatement(StatementKindOf(statement))) return kMsgSuccess;
  ConnectionHandle& connection = *statement.connection;
  const SQLRETURN result = EndTransaction(nullptr, &connection, SQL_COMMIT);
  if (result == SQL_SUCCESS || result == SQL_SUCCESS_WITH_INFO) return kMsgSuccess;
  MarkUnfinishedRows(statement, *connection.record);
  DropUnsentWrites(connection);
  CopyMessageTexts(statement.diagnostic, connection.diagnostic);
  return connection.diagnostic.messageId;
}

// Under autocommit a statement left without an open result has no
// transaction any more: a finished or failed read holds up no data
// definition.
void EndReadTransaction(StatementHandle& statement) {
  if (!ConnectionCommits(statement) || statement.statementKind == kStatementQueryResult) return;
  statement.transactionFlags[0] = 0;
  statement.transactionFlags[1] = 0;
}

// The statement answered by prepare ("select @@identity") reports its own
// rows.
void ApplySpecialStatement(StatementHandle& statement) {
  if (statement.specialStatement == nullptr) return;
  std::int32_t rows = 0;
  std::int32_t code = 0;
  RunSpecialStatement(*statement.specialStatement, rows, code);
  statement.transactionFlags[0] = 1;
  statement.dynamicFunctionCode = code;
  statement.rowCount = rows;
  statement.diagnosticRowCount = rows;
  ParseTree& tree = *statement.parseTree;
  if (tree.nodes[StatementNode(statement)].kind == kNodeSelect)
    tree.nodes[StatementNode(statement)].fields.select.rowCount = static_cast<std::uint32_t>(rows);
}

MessageId RunOnce(StatementHandle& statement) {
  MessageId id = ExecuteStatementTree(statement, *statement.parseTree, kNoNode);
  if (id == kMsgSuccess) ApplySpecialStatement(statement);
  return id;
}

SQLRETURN Fail(StatementHandle& statement, MessageId id) {
  statement.diagnostic.messageId = id;
  statement.paramsetCounter = 0;
  return SQL_ERROR;
}

// kind is the statement's, taken before the run: the commit of autocommit
// closes the statement, which lets the tree of a direct execution go.
SQLRETURN Finish(StatementHandle& statement, MessageId remembered, std::int64_t rowsAffected, std::uint16_t kind) {
  statement.paramsetCounter = 0;
  statement.rowCount = static_cast<std::int32_t>(rowsAffected);
  statement.diagnosticRowCount = static_cast<std::int32_t>(rowsAffected);
  statement.diagnostic.messageId = remembered;
  if (TouchedNothing(statement, kind)) return SQL_NO_DATA;
  return remembered != kMsgSuccess && IsInformational(remembered) ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
}

// A row that failed is reported, with its number when it is one of an
// array; so is a commit of the rows before it that failed, which concerns
// more rows and wins the one diagnostic, leaving none for the row.
SQLRETURN FailRow(StatementHandle& statement, std::int64_t row, MessageId id) {
  SetStatus(statement, row, SQL_PARAM_ERROR);
  statement.dataAtExecution = 0;
  const MessageId commit = CommitUnderAutocommit(statement);
  EndReadTransaction(statement);
  if (commit != kMsgSuccess) {
    SetStatus(statement, row, SQL_PARAM_DIAG_UNAVAILABLE);
    return Fail(statement, commit);
  }
  Fail(statement, id);
  if (ParameterRowCount(statement) > 1) statement.diagnostic.rowNumber = row + 1;
  return SQL_ERROR;
}

// Every entry of the status array says what became of its row: those the
// execution never reaches, after a failure or a result set, stay unused.
void MarkRowsUnused(StatementHandle& statement) {
  SetProcessed(statement, 0);
  const std::int64_t rows = ParameterRowCount(statement);
  for (std::int64_t row = 0; row < rows; ++row) SetStatus(statement, row, SQL_PARAM_UNUSED);
}

// currentRowLoaded: the current row's values are in place already (its data
// at execution has just arrived).
SQLRETURN RunParameterRows(StatementHandle& statement, bool currentRowLoaded) {
  const std::int64_t rows = ParameterRowCount(statement);
  const std::uint16_t kind = StatementKindOf(statement);
  MessageId& remembered = statement.arrayInformation;
  std::int64_t& affected = statement.arrayRowsAffected;
  bool selected = false;
  for (std::int64_t row = statement.paramsetCounter; row < rows; ++row) {
    statement.paramsetCounter = static_cast<std::int32_t>(row);
    if (RowIgnored(statement, row)) {
      SetStatus(statement, row, SQL_PARAM_UNUSED);
      continue;
    }
    SetProcessed(statement, row + 1);
    SetStatus(statement, row, SQL_PARAM_SUCCESS);
    MessageId id = currentRowLoaded ? kMsgSuccess : LoadParameterRow(statement, row);
    currentRowLoaded = false;
    if (id != kMsgSuccess && id != kMsgDataTruncated) return FailRow(statement, row, id);
    if (statement.dataAtExecution != 0) {
      statement.pendingOperation = kNoPendingOperation;
      return SQL_NEED_DATA;
    }
    SetHeldWriteSource(*statement.connection->record, static_cast<std::int32_t>(row));
    MessageId ran = RunOnce(statement);
    if (id == kMsgDataTruncated && ran == kMsgSuccess) ran = id;
    if (ran != kMsgSuccess && !IsInformational(ran)) return FailRow(statement, row, ran);
    if (ran != kMsgSuccess) {
      SetStatus(statement, row, SQL_PARAM_SUCCESS_WITH_INFO);
      remembered = ran;
    }
    selected = selected || statement.statementKind == kStatementQueryResult;
    affected += statement.rowCount > 0 ? statement.rowCount : 0;
    // A result set ends the array: its cursor stays open for fetching.
    if (selected) return Finish(statement, remembered, statement.rowCount, kind);
  }
  const MessageId commit = CommitUnderAutocommit(statement);
  EndReadTransaction(statement);
  if (commit != kMsgSuccess) return Fail(statement, commit);
  return Finish(statement, remembered, affected, kind);
}

bool AnyStatementInTransaction(const StatementHandle& statement) {
  for (const StatementHandle* s = statement.connection->firstStatement; s != nullptr; s = s->nextStatement)
    if (s->transactionFlags[1] != 0) return true;
  return false;
}

}  // namespace

DescriptorRecord* FindParameterRecord(StatementHandle& statement, std::uint16_t number) {
  for (DescriptorRecord* record = statement.currentApd->records; record != nullptr; record = record->nextRecord)
    if (record->number == number) return record;
  return nullptr;
}

MessageId ApplyDdlTransactionPolicy(StatementHandle& statement) {
  ConnectionHandle* connection = statement.connection;
  if (connection == nullptr || connection->record == nullptr || !AnyStatementInTransaction(statement))
    return kMsgSuccess;
  switch (connection->record->transactionCapability) {
    case SQL_TC_DML: return kMsgDdlInTransaction;
    case SQL_TC_DDL_COMMIT: {
      const SQLRETURN result = EndTransaction(nullptr, connection, SQL_COMMIT);
      if (result == SQL_SUCCESS || result == SQL_SUCCESS_WITH_INFO)
        return connection->record->commitDeletesPrepared != 0 ? kMsgPreparedDdlDeleted : kMsgCommittedBeforeDdl;
      CopyMessageTexts(statement.diagnostic, connection->diagnostic);
      return connection->diagnostic.messageId;
    }
    case SQL_TC_DDL_IGNORE: return kMsgDdlIgnored;
    default: return kMsgSuccess;
  }
}

SQLRETURN ExecutePrepared(StatementHandle& statement) {
  statement.diagnostic.messageId = kMsgSuccess;
  statement.diagnosticRowCount = 0;
  // Only a completed prepare leaves a statement to run: a prepare that
  // failed after parsing may have left a tree behind.
  if (statement.statementKind != kStatementNone || statement.dataAtExecution != 0 || statement.parseTree == nullptr ||
      statement.prepared == 0)
    return Fail(statement, kMsgInvalidCursorState);
  const ParseTree& tree = *statement.parseTree;
  if (tree.nodes.empty() || tree.nodes[0].kind != kNodeRoot || StatementNode(statement) == kNoNode)
    return Fail(statement, kMsgInternalError);
  statement.rowCount = -1;
  statement.currentBookmark = 0;
  statement.rowsetStatusArray = nullptr;
  statement.pendingOperation = kNoPendingOperation;
  MarkRowsUnused(statement);
  // One result set can't stand for the rows of several parameter sets, and
  // running only the first would answer for the array with that row alone.
  if (StatementKindOf(statement) == kNodeSelect && ParameterRowCount(statement) > 1 &&
      CountParameterMarkers(tree) > 0) {
    statement.diagnostic.detailText = std::to_string(ParameterRowCount(statement));
    return Fail(statement, kMsgQueryWithParameterArray);
  }
  MessageId remembered = kMsgSuccess;
  if (IsDataDefinition(StatementKindOf(statement))) {
    std::int32_t code = 0;
    DynamicFunctionCode(StatementKindOf(statement), code);
    statement.dynamicFunctionCode = code;
    const MessageId policy = ApplyDdlTransactionPolicy(statement);
    if (policy == kMsgDdlIgnored) return Finish(statement, policy, 0, StatementKindOf(statement));
    if (policy != kMsgSuccess && policy != kMsgCommittedBeforeDdl) return Fail(statement, policy);
    remembered = policy;
  }
  statement.arrayInformation = remembered;
  statement.arrayRowsAffected = 0;
  return RunParameterRows(statement, false);
}

SQLRETURN RefuseExecution(StatementHandle& statement, MessageId id) {
  MarkRowsUnused(statement);
  return Fail(statement, id);
}

SQLRETURN ContinueParameterRows(StatementHandle& statement) {
  EndDataAtExecution(statement);
  return RunParameterRows(statement, true);
}
