// The result passes whose records are record ids: the batched key lookup,
// one service query per alternative with each record kept once in the
// order found, and a scrollable cursor's keyset of every qualifying row.
#include <vector>

#include "exec/expression_evaluation.h"
#include "exec/result_passes.h"
#include "exec/result_records.h"
#include "exec/row_sources.h"
#include "exec/table_predicates.h"
#include "handles/connection_record.h"
#include "handles/handles.h"
#include "handles/statement_handle.h"
#include "sql/select_layout.h"

namespace {

NodeIndex LookupTable(const ParseTree& tree, NodeIndex select) {
  return tree.nodes[tree.nodes[select].fields.select.fromList].fields.joinItem.tableReference;
}

void ClearPushedPredicates(ParseTree& tree, NodeIndex table) {
  TableReferenceFields& f = tree.nodes[table].fields.tableReference;
  f.pushedCount = 0;
  f.firstPushed = kNoNode;
}

// The next alternative of an OR chain, and the rest of the chain after it.
NodeIndex NextAlternative(const ParseTree& tree, NodeIndex& rest) {
  const NodeIndex node = rest;
  const ParseNode& n = tree.nodes[node];
  if (n.kind == kNodeBoolean && n.fields.boolean.op == kOpOr) {
    rest = n.fields.boolean.second;
    return n.fields.boolean.first;
  }
  rest = kNoNode;
  return node;
}

// The rows one alternative finds on the service, each as its row number
// (counting from 1 over all alternatives) and its record id.
MessageId CollectAlternative(StatementHandle& statement, ParseTree& tree, NodeIndex select, NodeIndex statementNode,
                             NodeIndex alternative, SpoolWriter& writer, std::uint32_t& rows) {
  const NodeIndex table = LookupTable(tree, select);
  const NodeIndex source = tree.nodes[select].fields.select.fromList;
  MessageId id = PlanTablePredicates(tree, table, alternative, statementNode);
  if (id == kMsgSuccess) id = OpenSourceQuery(statement, tree, source);
  // The criteria went out with the query; the next alternative plans anew.
  ClearPushedPredicates(tree, table);
  if (id == kMsgNoDataFound) return kMsgSuccess;
  if (id != kMsgSuccess) return id;
  const SelectFields& f = tree.nodes[select].fields.select;
  std::vector<unsigned char> record(f.sortRecordLength, 0);
  const auto length = static_cast<std::uint32_t>(record.size());
  tree.nodes[select].fields.select.currentRow = kRowBeforeFirst;
  for (;;) {
    id = FetchNextQualifyingRow(statement, tree, source, alternative, 0);
    if (id == kMsgNoDataFound) return kMsgSuccess;
    if (id != kMsgSuccess) return id;
    SelectFields& s = tree.nodes[select].fields.select;
    ++s.currentRow;
    ++s.rowCount;
    PutRowNumber(++rows, record.data());
    if (MessageId put = PutRecordIds(statement, tree, select, record.data(), length)) return put;
    if (WriteSpoolBytes(writer, record.data(), length) < 0) return kMsgUnableToOrderBy;
  }
}

// Duplicate ids go (the first found stays), then the rest go back in the
// order found.
MessageId InstallLookupRows(ParseTree& tree, NodeIndex select, SpoolWriter& found) {
  const SelectFields& f = tree.nodes[select].fields.select;
  const std::string length = std::to_string(f.sortRecordLength);
  const std::string ids = std::to_string(f.recordIdPosition);
  const std::string byId = "S(" + ids + ",4,W,A)DUPO(B" + length + "," + ids + ",4)F(FIX," + length + ")";
  SpoolWriter kept;
  std::uint32_t count = 0;
  if (SortIntoNewFile(found, byId, kept, count) != kMsgSuccess) return kMsgUnableToOrderBy;
  if (SortInPlace(kept, RestoreOrderText(f.sortRecordLength), count) != kMsgSuccess) return kMsgUnableToOrderBy;
  if (InstallResultFile(tree, select, kept, f.distinctRows) != kMsgSuccess) return kMsgUnableToOrderBy;
  tree.nodes[select].fields.select.rowCount = count;
  return kMsgSuccess;
}

MessageId LookUpAlternatives(StatementHandle& statement, ParseTree& tree, NodeIndex select,
                             NodeIndex statementNode) {
  const SelectFields& f = tree.nodes[select].fields.select;
  // The row number comes first, the record id right after it.
  if (f.recordIdPosition != kRowNumberWidth + 1) return kMsgInternalError;
  SpoolWriter found;
  if (MessageId id = OpenStatementSpool(statement, found, kMsgUnableToOrderBy)) return id;
  tree.nodes[select].fields.select.rowCount = 0;
  std::uint32_t rows = 0;
  for (NodeIndex rest = f.where; rest != kNoNode;) {
    const NodeIndex alternative = NextAlternative(tree, rest);
    if (MessageId id = CollectAlternative(statement, tree, select, statementNode, alternative, found, rows))
      return id;
  }
  if (rows == 0) {
    tree.nodes[select].fields.select.currentRow = kRowAfterLast;
    return kMsgSuccess;
  }
  if (CloseSpoolWriter(found) != 0) return kMsgUnableToOrderBy;
  return InstallLookupRows(tree, select, found);
}

// The keyset's records have the layout of the SELECT's result rows: its
// record ids at their place, nothing before them.
MessageId SpoolKeyset(StatementHandle& statement, ParseTree& tree, NodeIndex select, SpoolWriter& writer) {
  const SelectFields& f = tree.nodes[select].fields.select;
  // A pass before found no row, or the FROM list opened without any.
  if (f.emptySource != 0 || f.currentRow == kRowAfterLast) return kMsgSuccess;
  const std::uint16_t hostFlag =
      statement.connection != nullptr && statement.connection->record != nullptr
          ? statement.connection->record->hostIsSqlServer
          : 0;
  std::vector<unsigned char> record(f.sortRecordLength, 0);
  const auto length = static_cast<std::uint32_t>(record.size());
  for (;;) {
    const SelectFields& now = tree.nodes[select].fields.select;
    const MessageId id = FetchNextQualifyingRow(statement, tree, now.fromList, now.where, hostFlag);
    if (id == kMsgNoDataFound) return kMsgSuccess;
    if (id != kMsgSuccess) return id;
    SelectFields& s = tree.nodes[select].fields.select;
    s.currentRow = s.currentRow < 0 ? 0 : s.currentRow + 1;
    ++s.rowCount;
    if (MessageId put = PutRecordIds(statement, tree, select, record.data(), length)) return put;
    if (WriteSpoolBytes(writer, record.data(), length) < 0) return kMsgUnableToCreateKeyset;
  }
}

}  // namespace

MessageId RemoveDuplicateRecordIds(StatementHandle& statement, ParseTree& tree, NodeIndex select,
                                   NodeIndex statementNode) {
  const MessageId id = LookUpAlternatives(statement, tree, select, statementNode);
  // The table's plan of the whole WHERE again, as prepare made it, for the
  // next execution.
  const MessageId replanned =
      PlanTablePredicates(tree, LookupTable(tree, select), tree.nodes[select].fields.select.where, statementNode);
  return id != kMsgSuccess ? id : replanned;
}

MessageId BuildKeysetFile(StatementHandle& statement, ParseTree& tree, NodeIndex select) {
  SpoolWriter writer;
  if (MessageId id = OpenStatementSpool(statement, writer, kMsgUnableToCreateKeyset)) return id;
  tree.nodes[select].fields.select.rowCount = 0;
  if (MessageId id = SpoolKeyset(statement, tree, select, writer)) return id;
  if (InstallResultFile(tree, select, writer, 0) != kMsgSuccess) return kMsgUnableToCreateKeyset;
  return kMsgSuccess;
}
