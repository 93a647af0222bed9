// The executor's dispatch and its SELECT: opening the row sources, the
// result passes in their fixed order, and the result state a fetch starts
// from.
#include "exec/statement_executor.h"

#include "exec/result_passes.h"
#include "exec/row_sources.h"
#include "exec/row_writes.h"
#include "exec/source_queries.h"
#include "exec/sub_select_rows.h"
#include "exec/table_definition.h"
#include "handles/connection_record.h"
#include "handles/handles.h"
#include "handles/statement_handle.h"
#include "sql/tree_walks.h"
#include "tables/query_criteria.h"
#include "tables/table_cursor.h"
#include "tables/table_select.h"

namespace {

inline constexpr std::uint32_t kUnknownRowCount = 0xFFFFFFFFu;
inline constexpr std::uint16_t kForwardOnly = 0;

// Without its result file a SELECT reads its rows from the sources again, so
// its values no longer come from DISTINCT records either.
void DiscardResultFile(ParseTree& tree, NodeIndex select) {
  SelectFields& f = tree.nodes[select].fields.select;
  f.distinctRows = 0;
  CloseResultFile(f);
}

void ClearSortLists(ParseTree& tree, NodeIndex select) {
  for (NodeIndex item = tree.nodes[select].fields.select.fromList; item != kNoNode;
       item = tree.nodes[item].fields.joinItem.next) {
    TableCursor* cursor = tree.nodes[tree.nodes[item].fields.joinItem.tableReference].fields.tableReference.cursor;
    if (cursor != nullptr) BuildSortList(*cursor, 0, nullptr, nullptr);
  }
}

// The ORDER BY keys the plan pass gave each table, handed to the service;
// when the service can't sort so, every table's sort is dropped and the rows
// are sorted here.
MessageId RequestServiceOrder(StatementHandle& statement, ParseTree& tree, NodeIndex select) {
  SelectFields& f = tree.nodes[select].fields.select;
  if (f.orderBy == kNoNode || f.sortedBySource == 0) return kMsgSuccess;
  for (NodeIndex item = f.fromList; item != kNoNode; item = tree.nodes[item].fields.joinItem.next) {
    const TableReferenceFields& table = tree.nodes[tree.nodes[item].fields.joinItem.tableReference].fields.tableReference;
    if (table.pushedSortCount == 0 || table.cursor == nullptr) break;
    std::vector<std::uint16_t> columns;
    std::vector<std::uint8_t> directions;
    NodeIndex key = table.firstPushedSort;
    for (std::uint16_t k = 0; k < table.pushedSortCount && key != kNoNode; ++k, key = tree.nodes[key].fields.sortItem.next) {
      const NodeIndex value = tree.nodes[key].fields.sortItem.value;
      columns.push_back(static_cast<std::uint16_t>(tree.nodes[value].fields.columnReference.columnNumber));
      directions.push_back(tree.nodes[key].fields.sortItem.descending);
    }
    const MessageId id = BuildSortList(*table.cursor, static_cast<std::uint16_t>(columns.size()), columns.data(),
                                       directions.data());
    if (id == kMsgNotSupported) {
      ClearSortLists(tree, select);
      tree.nodes[select].fields.select.sortedBySource = 0;
      return kMsgSuccess;
    }
    if (MessageId failure = PostTableFailure(statement, id)) return failure;
  }
  return kMsgSuccess;
}

void ResetLongData(StatementHandle& statement) {
  statement.longDataColumn = 0;
  statement.longDataOffset = 0;
}

// A pass that ordered by the first characters of a value still made its
// result: its warning is kept for the end, and the next pass runs.
MessageId KeepWarning(MessageId id, MessageId& warning) {
  if (id != kMsgOrderByValueCut) return id;
  warning = id;
  return kMsgSuccess;
}

// The result passes, each only where the SELECT needs it. A SELECT whose
// FROM list has no rows still runs them: an aggregate over no rows is one
// row, and a scrollable cursor needs its (empty) keyset. 0, a pass's
// warning (1106) once every pass ran, or the first failure.
MessageId RunResultPasses(StatementHandle& statement, ParseTree& tree, NodeIndex select, NodeIndex statementNode) {
  const SelectFields f = tree.nodes[select].fields.select;
  const bool aggregates = f.groupBy != kNoNode || f.aggregatesWithoutGroupBy != 0;
  MessageId id = kMsgSuccess;
  MessageId warning = kMsgSuccess;
  if ((f.orderBy != kNoNode || f.aggregatesWithoutGroupBy != 0) && f.sortedBySource == 0)
    id = KeepWarning(BuildSortedResult(statement, tree, select), warning);
  if (id == kMsgSuccess && aggregates) id = KeepWarning(AggregateGroups(statement, tree, select), warning);
  if (id == kMsgSuccess && f.distinct != 0) id = RemoveDuplicateRows(statement, tree, select);
  if (id == kMsgSuccess && f.batchedKeyLookup != 0) id = RemoveDuplicateRecordIds(statement, tree, select, statementNode);
  if (id != kMsgSuccess) DiscardResultFile(tree, select);
  return id != kMsgSuccess ? id : warning;
}

// A SELECT whose result passes failed has no result to fetch: the
// statement must not stay marked as holding one, or the next execution
// would be refused as an open cursor.
MessageId FailSelect(StatementHandle& statement, bool topLevel, MessageId id) {
  if (topLevel) statement.statementKind = kStatementNone;
  return id;
}

// What a sub-select's caller learns: no rows (1038), or the plain warning
// (1002) that a sub-select's cut value gives everywhere else.
MessageId SubSelectOutcome(const ParseTree& tree, NodeIndex select, MessageId passes) {
  if (tree.nodes[select].fields.select.emptySource != 0) return kMsgNoDataFound;
  return passes == kMsgSuccess ? kMsgSuccess : kMsgDataTruncated;
}

MessageId ExecuteSelect(StatementHandle& statement, ParseTree& tree, NodeIndex select, bool topLevel) {
  statement.transactionFlags[1] = 1;
  if (topLevel) statement.dynamicFunctionCode = kFunctionSelect;
  if (MessageId id = RequestServiceOrder(statement, tree, select)) return id;
  DiscardResultFile(tree, select);
  SelectFields& f = tree.nodes[select].fields.select;
  f.emptySource = 0;
  f.rowCount = kUnknownRowCount;
  const MessageId opened = OpenSourceQuery(statement, tree, tree.nodes[select].fields.select.fromList);
  if (opened != kMsgSuccess && opened != kMsgNoDataFound) return opened;
  SelectFields& g = tree.nodes[select].fields.select;
  g.emptySource = opened == kMsgNoDataFound ? 1 : 0;
  if (opened == kMsgNoDataFound) g.rowCount = 0;
  g.currentRow = kRowBeforeFirst;
  if (topLevel) {
    statement.statementKind = kStatementQueryResult;
    ResetLongData(statement);
  }
  const MessageId passes = RunResultPasses(statement, tree, select, select);
  if (passes != kMsgSuccess && passes != kMsgOrderByValueCut) return FailSelect(statement, topLevel, passes);
  if (!topLevel) return SubSelectOutcome(tree, select, passes);
  if (statement.cursorType != kForwardOnly && tree.nodes[select].fields.select.resultFile == kNoResultFile) {
    if (MessageId id = BuildKeysetFile(statement, tree, select)) return FailSelect(statement, topLevel, id);
  }
  const std::uint32_t rows = tree.nodes[select].fields.select.rowCount;
  const bool known = rows != kUnknownRowCount;
  statement.diagnosticRowCount = known ? static_cast<std::int32_t>(rows) : 0;
  statement.rowCount = known ? static_cast<std::int32_t>(rows) : -1;
  return passes;
}

// Each execution reads what the service holds when it runs: its sub-selects
// are read again, and its tables reuse only the rows it reads itself. A
// scrollable cursor visits its rows again by record id, so its tables keep
// every page; a forward-only read keeps only the page it is on, whatever
// other statements of the connection do (the passes that revisit rows ask
// for their pages themselves).
void BeginExecution(StatementHandle& statement, ParseTree& tree) {
  ForgetSubSelectRows(tree);
  ConnectionRecord* record = statement.connection != nullptr ? statement.connection->record : nullptr;
  if (record == nullptr) return;
  // Table access posts its failures to the statement that runs, not to the
  // one prepared last.
  record->currentStatement = &statement;
  const std::uint64_t execution = BeginStatementExecution(*record);
  for (ParseNode& node : tree.nodes) {
    if (node.kind != kNodeTableReference || node.fields.tableReference.cursor == nullptr) continue;
    TableCursor& cursor = *node.fields.tableReference.cursor;
    cursor.execution = execution;
    cursor.keepsEveryPage = statement.cursorType != kForwardOnly;
  }
}

MessageId ExecuteKind(StatementHandle& statement, ParseTree& tree, NodeIndex node, bool topLevel) {
  switch (tree.nodes[node].kind) {
    case kNodeSelect: return ExecuteSelect(statement, tree, node, topLevel);
    case kNodeInsert: return ExecuteInsert(statement, tree, node);
    case kNodeUpdate: return ExecuteUpdate(statement, tree, node);
    case kNodeDelete: return ExecuteDelete(statement, tree, node);
    case kNodeCreateTable:
    case kNodeAlterTableAdd: return ExecuteTableDefinition(statement, tree, node);
    default: return IsAlwaysRefused(tree.nodes[node].kind) ? kMsgNotSupported : kMsgInternalError;
  }
}

}  // namespace

bool DynamicFunctionCode(std::uint16_t kind, std::int32_t& code) {
  switch (kind) {
    case kNodeCreateTable:
    case kNodeAlterTableAdd: code = kFunctionCreateTable; return true;
    case kNodeDropTable: code = kFunctionDropTable; return true;
    case kNodeSelect: code = kFunctionSelect; return true;
    case kNodeInsert: code = kFunctionInsert; return true;
    case kNodeDelete: code = kFunctionDelete; return true;
    case kNodeUpdate: code = kFunctionUpdate; return true;
    case kNodeSqlPseudo: code = 0; return true;
    case kNodeCreateIndex: code = kFunctionCreateIndex; return true;
    case kNodeDropIndex: code = kFunctionDropIndex; return true;
    default: return false;
  }
}

bool IsWritingStatement(std::uint16_t kind) {
  return kind == kNodeInsert || kind == kNodeUpdate || kind == kNodeDelete || kind == kNodeCreateTable ||
         kind == kNodeAlterTableAdd;
}

bool IsAlwaysRefused(std::uint16_t kind) {
  return kind == kNodeDropTable || kind == kNodeCreateIndex || kind == kNodeDropIndex;
}

bool IsDataDefinition(std::uint16_t kind) {
  return kind == kNodeCreateTable || kind == kNodeAlterTableAdd || IsAlwaysRefused(kind);
}

MessageId ExecuteStatementTree(StatementHandle& statement, ParseTree& tree, NodeIndex statementNode) {
  const bool topLevel = statementNode == kNoNode;
  if (topLevel) {
    statement.diagnosticRowCount = 0;
    statement.rowCount = -1;
    statementNode = RootStatementNode(tree);
    BeginExecution(statement, tree);
  }
  if (statementNode == kNoNode || statementNode >= tree.nodes.size()) return kMsgInternalError;
  const std::uint16_t kind = tree.nodes[statementNode].kind;
  std::int32_t code = 0;
  if (!DynamicFunctionCode(kind, code) || kind == kNodeSqlPseudo) return kMsgInternalError;
  if (topLevel) statement.dynamicFunctionCode = code;
  if (!topLevel && kind != kNodeSelect) return kMsgInternalError;
  return ExecuteKind(statement, tree, statementNode, topLevel);
}
