// Which tables a column reference may name: the tables of its join in an ON
// condition, else those of its statement and, for a SELECT, of the SELECTs
// around it; and what a reference in a grouped context must be.
#include "handles/statement_handle.h"
#include "platform/text_fold.h"
#include "sql/bind_machine.h"
#include "sql/column_resolution.h"

namespace {

// The first column found for the reference, and how many tables held one.
struct ColumnHit {
  NodeIndex table = kNoNode;
  std::int32_t ordinal = kNoColumn;
  int count = 0;
};

const std::string& ReferenceName(BindMachine& m, NodeIndex reference) {
  return GetValueText(m.tree, m.Fields(reference).columnReference.columnName);
}

std::int32_t FindInTable(BindMachine& m, const BindFrame& frame, std::string_view name, NodeIndex table) {
  const ValueIndex qualifier = m.Fields(frame.node).columnReference.qualifier;
  return FindColumnInTable(m.statement, m.tree, frame.context.caseSensitive, qualifier, name, table);
}

// A name that is no column of the table may be a select-list alias: then the
// column the aliased item names is looked for instead.
std::int32_t FindThroughAlias(BindMachine& m, const BindFrame& frame, NodeIndex select, NodeIndex table) {
  const std::string wanted = LowerCopyAZ(ReferenceName(m, frame.node));
  for (NodeIndex item = m.Fields(select).select.selectList; item != kNoNode; item = m.Fields(item).listItem.next) {
    const ListItemFields& f = m.Fields(item).listItem;
    if (f.value == kNoNode || f.name == kNoValue || LowerCopyAZ(GetValueText(m.tree, f.name)) != wanted) continue;
    if (m.Node(f.value).kind != kNodeColumnReference) return kNoColumn;
    return FindInTable(m, frame, ReferenceName(m, f.value), table);
  }
  return kNoColumn;
}

void CountHit(ColumnHit& hit, NodeIndex table, std::int32_t ordinal) {
  if (ordinal == kNoColumn) return;
  if (hit.count++ == 0) {
    hit.table = table;
    hit.ordinal = ordinal;
  }
}

MessageId Ambiguous(BindMachine& m, NodeIndex reference) {
  m.statement.diagnostic.detailText = ReferenceName(m, reference);
  return kMsgAmbiguousColumn;
}

MessageId NotFound(BindMachine& m, NodeIndex reference) {
  m.statement.diagnostic.detailText = ReferenceName(m, reference);
  return kMsgColumnNotFound;
}

// An ON condition sees the first table of its join's left side and every
// following table that is itself the right side of a join.
MessageId SearchJoinScope(BindMachine& m, const BindFrame& frame, ColumnHit& hit) {
  const std::string& name = ReferenceName(m, frame.node);
  for (NodeIndex item = frame.context.joinScope; item != kNoNode; item = m.Fields(item).joinItem.next) {
    const NodeIndex table = m.Fields(item).joinItem.tableReference;
    if (item != frame.context.joinScope && m.Fields(table).tableReference.joinLeft == kNoNode) break;
    CountHit(hit, table, FindInTable(m, frame, name, table));
    if (hit.count > 1) return Ambiguous(m, frame.node);
  }
  return hit.count == 0 ? NotFound(m, frame.node) : kMsgSuccess;
}

// An unqualified name must be a column of exactly one FROM table.
MessageId SearchSelect(BindMachine& m, const BindFrame& frame, NodeIndex select, ColumnHit& hit) {
  const bool qualified = m.Fields(frame.node).columnReference.qualifier != kNoValue;
  const std::string& name = ReferenceName(m, frame.node);
  for (NodeIndex item = m.Fields(select).select.fromList; item != kNoNode; item = m.Fields(item).joinItem.next) {
    const NodeIndex table = m.Fields(item).joinItem.tableReference;
    std::int32_t ordinal = FindInTable(m, frame, name, table);
    if (ordinal == kNoColumn) ordinal = FindThroughAlias(m, frame, select, table);
    CountHit(hit, table, ordinal);
    if (hit.count > 1) return Ambiguous(m, frame.node);
    if (hit.count == 1 && qualified) break;
  }
  return kMsgSuccess;
}

NodeIndex StatementTable(BindMachine& m, NodeIndex statement) {
  switch (m.Node(statement).kind) {
    case kNodeInsert: return m.Fields(statement).insert.tableReference;
    case kNodeUpdate: return m.Fields(statement).update.tableReference;
    case kNodeDelete: return m.Fields(statement).deleteStatement.tableReference;
    case kNodeCreateIndex: return m.Fields(statement).createIndex.tableReference;
    default: return kNoNode;
  }
}

// From the reference's own statement outward: a SELECT that does not hold
// the column hands the search to the statement around it (a correlated
// reference); an INSERT's table counts only for its own references.
MessageId SearchStatements(BindMachine& m, const BindFrame& frame, ColumnHit& hit) {
  for (NodeIndex scope = frame.context.enclosing; scope != kNoNode;) {
    const std::uint16_t kind = m.Node(scope).kind;
    if (kind == kNodeSelect) {
      if (MessageId id = SearchSelect(m, frame, scope, hit)) return id;
      if (hit.count > 0) return kMsgSuccess;
      scope = m.Fields(scope).select.enclosingSelect;
      continue;
    }
    if (kind != kNodeInsert && kind != kNodeUpdate && kind != kNodeDelete && kind != kNodeCreateIndex)
      return kMsgInternalError;
    if (kind != kNodeInsert || scope == frame.context.enclosing) {
      const NodeIndex table = StatementTable(m, scope);
      CountHit(hit, table, FindInTable(m, frame, ReferenceName(m, frame.node), table));
    }
    break;
  }
  return hit.count == 0 ? NotFound(m, frame.node) : kMsgSuccess;
}

// In a grouped context a column must be one of the GROUP BY columns, whose
// value then comes from the spooled group record.
MessageId CheckGroupedReference(BindMachine& m, const BindFrame& frame) {
  const NodeIndex select = frame.context.enclosing;
  if (select == kNoNode || m.Node(select).kind != kNodeSelect) return kMsgInternalError;
  ColumnReferenceFields& reference = m.Fields(frame.node).columnReference;
  for (NodeIndex item = m.Fields(select).select.groupBy; item != kNoNode; item = m.Fields(item).groupItem.next) {
    const ColumnReferenceFields& group = m.Fields(m.Fields(item).groupItem.columnReference).columnReference;
    if (group.tableReference != reference.tableReference || group.columnNumber != reference.columnNumber) continue;
    reference.fromSpool = 1;
    reference.spoolPosition = group.spoolPosition;
    reference.spoolWidth = group.spoolWidth;
    return kMsgSuccess;
  }
  return NotFound(m, frame.node);
}

MessageId ReserveColumnBuffer(BindMachine& m, NodeIndex node) {
  const ValueCell cell = m.Node(node).cell;
  ValueIndex& buffer = m.Fields(node).columnReference.resultBuffer;
  switch (cell.valueType) {
    case kValueBinary: return ReserveBuffer(m.tree, std::min<std::uint64_t>(cell.size + 8ull, 263), buffer);
    case kValueCharacter: return ReserveBuffer(m.tree, TextBufferBytes(cell.size), buffer);
    case kValueNumeric: return ReserveBuffer(m.tree, cell.size + 3ull, buffer);
    case kValueInteger:
    case kValueDouble:
    case kValueDate:
    case kValueTime:
    case kValueTimestamp: return kMsgSuccess;
    default: return kMsgNotSupportedDetail;
  }
}

}  // namespace

MessageId StepColumnReference(BindMachine& m, BindFrame& frame) {
  frame.phase = kFrameDone;
  ColumnReferenceFields& f = m.Fields(frame.node).columnReference;
  f.owningStatement = frame.context.enclosing;
  ColumnHit hit;
  if (f.tableReference != kNoNode && f.columnNumber != kNoNode) {
    // Made by the pass itself with its column already known.
    hit.table = f.tableReference;
    hit.ordinal = static_cast<std::int32_t>(f.columnNumber);
  } else {
    MessageId id = frame.context.joinScope != kNoNode ? SearchJoinScope(m, frame, hit) : SearchStatements(m, frame, hit);
    if (id != kMsgSuccess) return id;
  }
  if (MessageId id = BindReferenceToColumn(m.statement, m.tree, frame.node, hit.table, hit.ordinal)) return id;
  if (frame.context.groupContext != 0) {
    if (MessageId id = CheckGroupedReference(m, frame)) return id;
  }
  return ReserveColumnBuffer(m, frame.node);
}
