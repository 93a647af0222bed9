// Criteria for the service from the predicates the plan pass handed to a
// table, and the start of the table's query. The service only narrows: every
// condition is still evaluated locally, so a criterion is sent only when it
// can't drop a row that the condition keeps.
#include "exec/source_queries.h"

#include "common/diagnostics.h"
#include "exec/expression_evaluation.h"
#include "handles/connection_record.h"
#include "handles/handles.h"
#include "handles/statement_handle.h"
#include "tables/query_criteria.h"
#include "tables/table_cursor.h"
#include "tables/table_select.h"

namespace {

// More entries than a query may carry make the whole set stay local; once
// past the limit no further predicate is looked at.
inline constexpr std::size_t kEntryLimit = kMaxQueryCriteria + 1;

ConnectionRecord* RecordOf(StatementHandle& statement) {
  return statement.connection != nullptr ? statement.connection->record : nullptr;
}

std::uint16_t CriterionOperator(std::uint16_t op) {
  switch (op) {
    case kOpEqual:
    case kOpIn: return kCriterionEx;
    case kOpNotEqual:
    case kOpNotIn: return kCriterionXex;
    case kOpLessOrEqual: return kCriterionLte;
    case kOpLess: return kCriterionLt;
    case kOpGreaterOrEqual: return kCriterionGte;
    case kOpGreater: return kCriterionGt;
    case kOpLike: return kCriterionCt;
    case kOpNotLike: return kCriterionXct;
    default: return kCriterionLocal;
  }
}

// The value's bytes as table access reads them, kept in the entries' storage.
MessageId AddValue(CriteriaEntries& entries, const ValueCell& value) {
  std::string bytes;
  std::int16_t type = kValueCharacter;
  switch (value.valueType) {
    case kValueBinary: type = kValueBinary; bytes = value.bytes; break;
    case kValueCharacter:
    case kValueNumeric: bytes = value.bytes; break;
    case kValueInteger:
    case kValueDouble: type = kValueDouble; bytes.assign(reinterpret_cast<const char*>(&value.value.number), 8); break;
    case kValueDate: type = kValueDate; bytes.assign(reinterpret_cast<const char*>(&value.value.date), 6); break;
    case kValueTime: type = kValueTime; bytes.assign(reinterpret_cast<const char*>(&value.value.time), 6); break;
    case kValueTimestamp:
      type = kValueTimestamp;
      bytes.assign(reinterpret_cast<const char*>(&value.value.timestamp), sizeof(SQL_TIMESTAMP_STRUCT));
      break;
    default: return kMsgNotSupportedDetail;
  }
  const std::string& stored = entries.storage.emplace_back(std::move(bytes));
  entries.valueTypes.push_back(type);
  entries.values.push_back(value.nullFlag != 0 ? nullptr : stored.data());
  entries.lengths.push_back(value.nullFlag != 0 ? SQL_NULL_DATA : static_cast<SQLLEN>(stored.size()));
  return kMsgSuccess;
}

MessageId AddEntry(CriteriaEntries& entries, std::uint16_t column, std::uint16_t op, const ValueCell& value,
                   std::uint16_t group = 0) {
  if (MessageId id = AddValue(entries, value)) return id;
  entries.columns.push_back(column);
  entries.operators.push_back(op);
  entries.listGroups.push_back(group);
  return kMsgSuccess;
}

// An entry that keeps its predicate local (under an OR join it makes the
// whole set stay local, as it must).
void AddLocalEntry(CriteriaEntries& entries, std::uint16_t column) {
  ValueCell empty;
  empty.valueType = kValueCharacter;
  empty.nullFlag = 0;
  AddEntry(entries, column, kCriterionLocal, empty);
}

// Where a LIKE pattern's unescaped wildcards stand.
struct PatternShape {
  bool leadingPercent = false;
  bool trailingPercent = false;
  bool otherWildcard = false;
};

PatternShape ShapeOfPattern(const std::string& pattern) {
  PatternShape shape;
  const std::size_t last = pattern.size() - 1;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '\\') {
      ++i;  // the escaped character is literal
      continue;
    }
    if (pattern[i] == '_') shape.otherWildcard = true;
    if (pattern[i] != '%') continue;
    if (i == 0) shape.leadingPercent = true;
    else if (i == last) shape.trailingPercent = true;
    else shape.otherWildcard = true;
  }
  return shape;
}

// A LIKE pattern the service can express: "x%" starts with, "%x%"
// contains. Anything else, and patterns that only test for a value ('%',
// '%%'), stay local. Escapes stay in the value; table access removes them.
void ShapeLikeEntry(std::uint16_t& op, ValueCell& value) {
  const std::string pattern = value.bytes;
  if (value.nullFlag != 0 || pattern.empty()) {
    op = kCriterionLocal;
    return;
  }
  const PatternShape shape = ShapeOfPattern(pattern);
  if (shape.otherWildcard || !shape.trailingPercent || pattern.size() < 2) {
    op = kCriterionLocal;
    return;
  }
  if (shape.leadingPercent) {
    value.bytes = pattern.substr(1, pattern.size() - 2);
  } else {
    value.bytes = pattern.substr(0, pattern.size() - 1);
    op = op == kCriterionCt ? kCriterionSw : kCriterionXsw;
  }
  if (value.bytes.empty()) op = kCriterionLocal;
}

// Hosts that look for a new row by "record id IS NULL" after an insert get
// the record id the last flushed import returned.
bool SubstituteInsertedRecordId(StatementHandle& statement, ParseTree& tree, const ColumnDescriptor& column,
                                NodeIndex operand) {
  ConnectionRecord* record = RecordOf(statement);
  ParseNode& node = tree.nodes[operand];
  if (record == nullptr || record->hostIsAccessOrQuery == 0 || column.fieldId != kRecordIdFieldId) return false;
  if (node.cell.nullFlag == 0 || (node.cell.valueType != kValueInteger && node.cell.valueType != kValueDouble))
    return false;
  node.kind = kNodeNumberLiteral;
  node.fields.numberLiteral.number = record->lastImportRecordId;
  node.fields.numberLiteral.text = kNoValue;
  node.cell.value.number = record->lastImportRecordId;
  node.cell.nullFlag = 0;
  return true;
}

MessageId AddInListEntries(StatementHandle& statement, ParseTree& tree, std::uint16_t column, std::uint16_t op,
                           NodeIndex firstItem, CriteriaEntries& entries) {
  const std::uint16_t group = entries.nextGroup++;
  std::vector<ValueCell> items;
  for (NodeIndex item = firstItem; item != kNoNode; item = tree.nodes[item].fields.listItem.next) {
    const NodeIndex value = tree.nodes[item].fields.listItem.value;
    if (MessageId id = EvaluateRowExpression(statement, tree, value)) return id;
    items.push_back(tree.nodes[value].cell);
  }
  // A NULL item makes IN false for it and NOT IN never true; the service's
  // empty-value rules differ, so such a list is checked here only.
  for (const ValueCell& item : items) {
    if (item.nullFlag != 0) {
      AddLocalEntry(entries, column);
      return kMsgSuccess;
    }
  }
  for (const ValueCell& item : items) {
    if (MessageId id = AddEntry(entries, column, op, item, group)) return id;
  }
  return kMsgSuccess;
}

// BETWEEN in either order of its bounds: greater than or equal to the
// smaller, less than or equal to the larger. A NULL bound is never sent.
MessageId AddBetweenEntries(StatementHandle& statement, ParseTree& tree, NodeIndex tableReference,
                            std::uint16_t column, const PredicateFields& f, CriteriaEntries& entries) {
  if (MessageId id = EvaluateRowExpression(statement, tree, f.second)) return id;
  if (MessageId id = EvaluateRowExpression(statement, tree, f.third)) return id;
  ValueCell low = tree.nodes[f.second].cell;
  ValueCell high = tree.nodes[f.third].cell;
  if (low.nullFlag != 0 || high.nullFlag != 0) {
    AddLocalEntry(entries, column);
    return kMsgSuccess;
  }
  ValueCell greater;
  if (MessageId id = CompareValues(greater, low, kOpGreater, high)) return id;
  if (greater.nullFlag == 0 && greater.value.number == 1.0) std::swap(low, high);
  TableCursor& cursor = *tree.nodes[tableReference].fields.tableReference.cursor;
  if (f.op == kOpBetween) {
    cursor.orJoin = 0;
    if (MessageId id = AddEntry(entries, column, kCriterionGte, low)) return id;
    return AddEntry(entries, column, kCriterionLte, high);
  }
  cursor.pushDown = 0;
  if (MessageId id = AddEntry(entries, column, kCriterionLt, low)) return id;
  return AddEntry(entries, column, kCriterionGt, high);
}

MessageId StartTableQuery(StatementHandle& statement, TableReferenceFields& table) {
  if (MessageId id = PostTableFailure(statement, ExecuteTableSelect(*table.cursor))) return id;
  statement.transactionFlags[0] = 1;
  table.noRowYet = 1;
  table.nullRow = 0;
  return kMsgSuccess;
}

}  // namespace

MessageId PostTableFailure(StatementHandle& statement, MessageId id) {
  if (id == kMsgSuccess) return id;
  if (ConnectionRecord* record = RecordOf(statement)) GetConnectionErrorText(*record, statement.diagnostic.messageText);
  return id;
}

MessageId BuildListCriteria(StatementHandle& statement, ParseTree& tree, NodeIndex tableReference,
                            NodeIndex predicate, CriteriaEntries& entries) {
  const PredicateFields f = tree.nodes[predicate].fields.predicate;
  if (f.op < kOpEqual || f.op > kOpNotLike) return kMsgInternalError;
  const NodeIndex columnNode = f.left;
  if (columnNode == kNoNode || tree.nodes[columnNode].kind != kNodeColumnReference) return kMsgInternalError;
  const auto column = static_cast<std::uint16_t>(tree.nodes[columnNode].fields.columnReference.columnNumber);
  if (f.op == kOpBetween || f.op == kOpNotBetween)
    return AddBetweenEntries(statement, tree, tableReference, column, f, entries);
  std::uint16_t op = CriterionOperator(f.op);
  if (f.second != kNoNode && tree.nodes[f.second].kind == kNodeListItem)
    return AddInListEntries(statement, tree, column, op, f.second, entries);
  if (MessageId id = EvaluateRowExpression(statement, tree, f.second)) return id;
  const TableCursor& cursor = *tree.nodes[tableReference].fields.tableReference.cursor;
  if (op == kCriterionEx) SubstituteInsertedRecordId(statement, tree, cursor.columns[column], f.second);
  ValueCell value = tree.nodes[f.second].cell;
  if (op == kCriterionCt || op == kCriterionXct) ShapeLikeEntry(op, value);
  return AddEntry(entries, column, op, value);
}

MessageId OpenTableSource(StatementHandle& statement, ParseTree& tree, NodeIndex tableReference) {
  TableReferenceFields& table = tree.nodes[tableReference].fields.tableReference;
  if (table.cursor == nullptr) return kMsgInternalError;
  if (ConnectionRecord* record = RecordOf(statement)) record->currentStatement = &statement;
  // The marks tell which predicates the running query carries; a new open
  // makes a new set.
  for (NodeIndex p = table.firstPushed; p != kNoNode; p = tree.nodes[p].fields.predicate.nextPushed)
    tree.nodes[p].fields.predicate.pushedFlag = 0;
  CriteriaEntries entries;
  std::vector<std::pair<NodeIndex, std::size_t>> firstEntries;
  for (NodeIndex p = table.firstPushed; p != kNoNode && entries.columns.size() < kEntryLimit;
       p = tree.nodes[p].fields.predicate.nextPushed) {
    firstEntries.emplace_back(p, entries.columns.size());
    if (MessageId id = BuildListCriteria(statement, tree, tableReference, p, entries)) return id;
  }
  TableCursor& cursor = *tree.nodes[tableReference].fields.tableReference.cursor;
  const auto count = static_cast<std::int32_t>(entries.columns.size());
  const MessageId built = BuildQueryCriteria(cursor, count, entries.columns.data(), entries.operators.data(),
                                             entries.valueTypes.data(), entries.values.data(), entries.lengths.data(),
                                             entries.listGroups.data());
  if (built == kMsgSuccess && count > 0) {
    statement.transactionFlags[0] = 1;
    for (std::size_t i = 0; i < firstEntries.size(); ++i) {
      const std::size_t end = i + 1 < firstEntries.size() ? firstEntries[i + 1].second : entries.columns.size();
      const std::size_t from = firstEntries[i].second;
      bool sent = true;
      for (std::size_t k = from; k < end; ++k)
        sent = sent && entries.operators[k] != kCriterionLocal &&
               CriterionOnlyNarrows(cursor, entries.columns[k], entries.operators[k], entries.valueTypes[k],
                                    entries.values[k], entries.lengths[k]);
      tree.nodes[firstEntries[i].first].fields.predicate.pushedFlag = sent && end > from ? 1 : 0;
    }
  } else if (built != kMsgSuccess && built != kMsgNotSupported) {
    return PostTableFailure(statement, built);
  }
  return StartTableQuery(statement, tree.nodes[tableReference].fields.tableReference);
}
