// The nested loop over a FROM list. The loop over the list is naturally
// recursive (each table's rows drive a fresh pass over the tables after it);
// it runs on an explicit stack of frames, one per table of the list, so that
// a list of any length costs no native stack.
#include "exec/row_sources.h"

#include <vector>

#include "exec/expression_evaluation.h"
#include "exec/source_queries.h"
#include "handles/connection_record.h"
#include "handles/handles.h"
#include "handles/statement_handle.h"
#include "tables/table_select.h"

namespace {

inline constexpr MessageId kNoRow = kMsgNoDataFound;

struct JoinLoop {
  StatementHandle& statement;
  ParseTree& tree;
  std::uint16_t fetchFlag;
  std::vector<NodeIndex> tables;  // the FROM list's table references, in order

  TableReferenceFields& Table(std::size_t level) { return tree.nodes[tables[level]].fields.tableReference; }
  bool HasRest(std::size_t level) const { return level + 1 < tables.size(); }
};

// The two procedures of the loop: advance the list from a table on, and
// open the list from a table on. Each frame is one call in progress.
enum class Procedure : std::uint8_t { kFetch, kOpen };

struct LoopFrame {
  Procedure procedure;
  std::size_t level;
  std::uint8_t phase = 0;
  bool nullState = false;  // open: the table stands in for a missing outer row
};

void CollectTables(const ParseTree& tree, NodeIndex joinItem, std::vector<NodeIndex>& tables) {
  for (NodeIndex item = joinItem; item != kNoNode; item = tree.nodes[item].fields.joinItem.next)
    tables.push_back(tree.nodes[item].fields.joinItem.tableReference);
}

bool LeftSideIsNull(const ParseTree& tree, const TableReferenceFields& table) {
  if (table.joinType != kJoinLeftOuter || table.joinLeft == kNoNode) return false;
  const NodeIndex left = tree.nodes[table.joinLeft].fields.joinItem.tableReference;
  return tree.nodes[left].fields.tableReference.nullRow != 0;
}

MessageId NextTableRow(StatementHandle& statement, TableReferenceFields& table, std::uint16_t fetchFlag,
                       MessageId& outcome) {
  if (statement.connection != nullptr && statement.connection->record != nullptr)
    statement.connection->record->currentStatement = &statement;
  const MessageId id = FetchNextRow(*table.cursor, fetchFlag);
  if (id != kMsgSuccess && id != kMsgNoMoreRows) return PostTableFailure(statement, id);
  statement.transactionFlags[0] = 1;
  outcome = id;
  return kMsgSuccess;
}

// One table's next row, or the row of NULLs an outer join owes when no row
// of the table matched for the current outer row.
MessageId FetchTableRow(StatementHandle& statement, ParseTree& tree, NodeIndex tableReference,
                        std::uint16_t fetchFlag) {
  TableReferenceFields& table = tree.nodes[tableReference].fields.tableReference;
  if (table.cursor == nullptr) return kMsgInternalError;
  if (table.joinCondition != kNoNode && table.nullRow != 0) return kNoRow;
  if (LeftSideIsNull(tree, table)) {
    table.nullRow = 1;
    return kMsgSuccess;
  }
  MessageId outcome = kMsgSuccess;
  if (MessageId id = NextTableRow(statement, table, fetchFlag, outcome)) return id;
  if (outcome == kMsgSuccess) return kMsgSuccess;
  if (table.joinCondition == kNoNode || table.joinType == kJoinInner || table.noRowYet == 0) return kNoRow;
  table.nullRow = 1;
  return kMsgSuccess;
}

// The table's ON condition holds for the current combination (a table
// without one, or in its NULL row, always matches).
MessageId JoinConditionHolds(JoinLoop& loop, std::size_t level, bool& holds) {
  TableReferenceFields& table = loop.Table(level);
  holds = true;
  if (table.joinCondition == kNoNode || table.nullRow != 0) return kMsgSuccess;
  if (MessageId id = EvaluateRowExpression(loop.statement, loop.tree, table.joinCondition)) return id;
  holds = IsTrue(loop.tree, loop.Table(level).joinCondition);
  if (holds) loop.Table(level).noRowYet = 0;
  return kMsgSuccess;
}

// A frame's step: it either finishes with a result, or asks for a call.
struct StepResult {
  bool done = false;
  MessageId result = kMsgSuccess;
  bool call = false;
  LoopFrame callee{Procedure::kFetch, 0};
};

StepResult Finish(MessageId id) { return StepResult{true, id, false, {}}; }
StepResult Call(Procedure procedure, std::size_t level) {
  return StepResult{false, kMsgSuccess, true, LoopFrame{procedure, level}};
}

// Advancing the list from a table on: the tables after it first; when they
// are exhausted the table takes its next row and the rest is reopened.
StepResult StepFetch(JoinLoop& loop, LoopFrame& frame, MessageId calleeResult) {
  const std::size_t level = frame.level;
  for (;;) {
    switch (frame.phase) {
      case 0:
        if (!loop.HasRest(level)) {
          frame.phase = 2;
          continue;
        }
        frame.phase = 1;
        return Call(Procedure::kFetch, level + 1);
      case 1: {  // the rest advanced
        if (calleeResult == kNoRow) {
          frame.phase = 2;
          continue;
        }
        if (calleeResult != kMsgSuccess) return Finish(calleeResult);
        bool holds = false;
        if (MessageId id = JoinConditionHolds(loop, level, holds)) return Finish(id);
        if (holds) return Finish(kMsgSuccess);
        return Call(Procedure::kFetch, level + 1);
      }
      case 2:
      case 6:
        if (MessageId id = FetchTableRow(loop.statement, loop.tree, loop.tables[level], loop.fetchFlag))
          return Finish(id);
        frame.phase = 3;
        continue;
      case 3:
        if (!loop.HasRest(level)) {
          frame.phase = 5;
          continue;
        }
        frame.phase = 4;
        return Call(Procedure::kOpen, level + 1);
      case 4:  // the rest reopened for the table's new row
        if (calleeResult == kNoRow) {
          frame.phase = 6;
          continue;
        }
        if (calleeResult != kMsgSuccess) return Finish(calleeResult);
        frame.phase = 7;
        return Call(Procedure::kFetch, level + 1);
      case 7:  // the rest's first row
        if (calleeResult == kNoRow) {
          frame.phase = 6;
          continue;
        }
        if (calleeResult != kMsgSuccess) return Finish(calleeResult);
        frame.phase = 5;
        continue;
      default: {  // 5: a combination stands; the table's condition decides
        bool holds = false;
        if (MessageId id = JoinConditionHolds(loop, level, holds)) return Finish(id);
        if (holds) return Finish(kMsgSuccess);
        frame.phase = 6;
        continue;
      }
    }
  }
}

// Opening the list from a table on: the table is opened and moved to its
// first row for which the rest of the list opens. A table that supplies the
// NULL row of a missing outer row does so once.
StepResult StepOpen(JoinLoop& loop, LoopFrame& frame, MessageId calleeResult) {
  const std::size_t level = frame.level;
  for (;;) {
    switch (frame.phase) {
      case 0: {
        frame.nullState = LeftSideIsNull(loop.tree, loop.Table(level));
        if (MessageId id = OpenTableSource(loop.statement, loop.tree, loop.tables[level])) return Finish(id);
        if (!loop.HasRest(level)) return Finish(kMsgSuccess);
        frame.phase = 1;
        continue;
      }
      case 1: {
        TableReferenceFields& table = loop.Table(level);
        MessageId outcome = kMsgNoMoreRows;
        if (!(table.joinCondition != kNoNode && frame.nullState)) {
          if (MessageId id = NextTableRow(loop.statement, table, loop.fetchFlag, outcome)) return Finish(id);
        }
        if (outcome != kMsgSuccess) {
          if (table.joinCondition == kNoNode || table.joinType == kJoinInner || table.nullRow != 0)
            return Finish(kNoRow);
          table.nullRow = 1;
          frame.nullState = true;
        }
        frame.phase = 2;
        return Call(Procedure::kOpen, level + 1);
      }
      default:  // 2: the rest opened, or found nothing for this row
        if (calleeResult == kNoRow) {
          frame.phase = 1;
          continue;
        }
        return Finish(calleeResult);
    }
  }
}

MessageId RunJoinLoop(JoinLoop& loop, Procedure procedure) {
  std::vector<LoopFrame> frames{LoopFrame{procedure, 0}};
  MessageId last = kMsgSuccess;
  while (!frames.empty()) {
    LoopFrame& frame = frames.back();
    StepResult step = frame.procedure == Procedure::kFetch ? StepFetch(loop, frame, last)
                                                           : StepOpen(loop, frame, last);
    if (step.call) {
      frames.push_back(step.callee);
      last = kMsgSuccess;
      continue;
    }
    last = step.result;
    frames.pop_back();
  }
  return last;
}

}  // namespace

bool IsTrue(const ParseTree& tree, NodeIndex condition) {
  const ValueCell& cell = tree.nodes[condition].cell;
  return cell.nullFlag == 0 && cell.value.number == 1.0;
}

MessageId FetchNextSourceRow(StatementHandle& statement, ParseTree& tree, NodeIndex source, std::uint16_t fetchFlag) {
  if (source == kNoNode || source >= tree.nodes.size()) return kMsgInternalError;
  if (tree.nodes[source].kind == kNodeTableReference) return FetchTableRow(statement, tree, source, fetchFlag);
  if (tree.nodes[source].kind != kNodeJoinItem) return kMsgInternalError;
  JoinLoop loop{statement, tree, fetchFlag, {}};
  CollectTables(tree, source, loop.tables);
  return RunJoinLoop(loop, Procedure::kFetch);
}

MessageId OpenJoinSource(StatementHandle& statement, ParseTree& tree, NodeIndex joinItem) {
  JoinLoop loop{statement, tree, 0, {}};
  CollectTables(tree, joinItem, loop.tables);
  return RunJoinLoop(loop, Procedure::kOpen);
}

MessageId OpenSourceQuery(StatementHandle& statement, ParseTree& tree, NodeIndex source) {
  if (source == kNoNode || source >= tree.nodes.size()) return kMsgInternalError;
  switch (tree.nodes[source].kind) {
    case kNodeTableReference: return OpenTableSource(statement, tree, source);
    case kNodeJoinItem: return OpenJoinSource(statement, tree, source);
    default: return kMsgInternalError;
  }
}

MessageId FetchNextQualifyingRow(StatementHandle& statement, ParseTree& tree, NodeIndex source, NodeIndex condition,
                                 std::uint16_t fetchFlag) {
  for (;;) {
    if (MessageId id = FetchNextSourceRow(statement, tree, source, fetchFlag)) return id;
    if (condition == kNoNode) return kMsgSuccess;
    if (MessageId id = EvaluateRowExpression(statement, tree, condition)) return id;
    if (IsTrue(tree, condition)) return kMsgSuccess;
  }
}

MessageId FetchNextSelectRow(StatementHandle& statement, ParseTree& tree, NodeIndex select) {
  const SelectFields& f = tree.nodes[select].fields.select;
  if (f.emptySource != 0) return kNoRow;
  return FetchNextQualifyingRow(statement, tree, f.fromList, f.where, 0);
}
