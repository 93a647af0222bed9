// The fake executor, cursor positioning and scalar-function call.
#include "exec/evaluation/evaluation_fakes.h"

#include <sqlext.h>

#include "exec/row_positioning.h"
#include "exec/scalar_functions.h"
#include "exec/statement_executor.h"
#include "handles/connection_record.h"
#include "tables/table_cursor.h"
#include "tables/table_select.h"

namespace {

EvaluationFakes* active = nullptr;

TableReferenceFields* FirstTable(ParseTree& tree, NodeIndex select) {
  const NodeIndex item = tree.nodes[select].fields.select.fromList;
  if (item == kNoNode) return nullptr;
  return &tree.nodes[tree.nodes[item].fields.joinItem.tableReference].fields.tableReference;
}

}  // namespace

ScopedEvaluationFakes::ScopedEvaluationFakes() { active = &fakes; }
ScopedEvaluationFakes::~ScopedEvaluationFakes() { active = nullptr; }

// The identity table's one row stands for every scripted row.
MessageId ExecuteStatementTree(StatementHandle&, ParseTree& tree, NodeIndex select) {
  if (active == nullptr) return kMsgInternalError;
  ScriptedSubSelect& script = active->subSelect;
  ++script.executions;
  script.next = 0;
  if (script.executeResult != kMsgSuccess && script.executeResult != kMsgDataTruncated) return script.executeResult;
  TableReferenceFields* table = FirstTable(tree, select);
  if (table == nullptr || table->cursor == nullptr) return kMsgInternalError;
  if (MessageId id = ExecuteTableSelect(*table->cursor)) return id;
  if (MessageId id = FetchNextRow(*table->cursor, 0)) return id;
  return script.executeResult;
}

MessageId PositionCursor(StatementHandle&, ParseTree& tree, NodeIndex select, std::uint16_t orientation,
                         std::int64_t) {
  if (active == nullptr || orientation != SQL_FETCH_NEXT) return kMsgInternalError;
  ScriptedSubSelect& script = active->subSelect;
  if (script.positionFailure != kMsgSuccess) return script.positionFailure;
  if (script.next >= script.rows.size()) return kMsgNoDataFound;
  const std::optional<std::uint32_t> value = script.rows[script.next++];
  TableReferenceFields* table = FirstTable(tree, select);
  table->nullRow = value ? 0 : 1;
  if (value) table->cursor->connection->lastImportRecordId = *value;
  return kMsgSuccess;
}

// A stand-in result: NULL after a NULL first argument, else that argument's
// number.
MessageId CallScalarFunction(StatementHandle&, ParseTree& tree, NodeIndex node) {
  if (active == nullptr) return kMsgInternalError;
  ++active->functionCalls;
  ParseNode& call = tree.nodes[node];
  const NodeIndex item = call.fields.scalarFunction.firstArgument;
  const ValueCell& first = tree.nodes[tree.nodes[item].fields.listItem.value].cell;
  if (first.nullFlag != 0) {
    SetNullValue(call.cell);
  } else {
    call.cell.nullFlag = 0;
    call.cell.value.number = first.value.number;
  }
  return kMsgSuccess;
}
