// Binding of the statement nodes: the root, data definition, INSERT, UPDATE,
// DELETE, the index statements and the SQL pseudo-statement.
#include "connection/type_info.h"
#include "handles/connection_record.h"
#include "handles/handles.h"
#include "handles/statement_handle.h"
#include "platform/text_fold.h"
#include "platform/utf8_text.h"
#include "sql/bind_machine.h"
#include "sql/operand_types.h"
#include "sql/semantic_pass.h"
#include "tables/table_cursor.h"

namespace {

// Index names, like the service's own, stay below 64 characters; an index
// has at most 15 columns.
inline constexpr std::size_t kMaxIndexNameLength = 63;
inline constexpr std::uint32_t kMaxIndexColumns = 15;

BindContext StatementScope(const BindFrame& frame) {
  return BindContext{0, frame.context.caseSensitive, kNoNode, frame.node};
}

MessageId CheckTableNameLength(BindMachine& m, ValueIndex name) {
  const std::string& text = GetValueText(m.tree, name);
  const ConnectionRecord* record = m.statement.connection != nullptr ? m.statement.connection->record : nullptr;
  const std::size_t limit = record != nullptr ? GetMaxTableNameLength(*record) : 127;
  if (CountUtf8Characters(text) <= limit) return kMsgSuccess;
  m.statement.diagnostic.detailText = text;
  return kMsgInvalidTableName;
}

MessageId CheckIndexNameLength(BindMachine& m, ValueIndex name) {
  const std::string& text = GetValueText(m.tree, name);
  if (CountUtf8Characters(text) <= kMaxIndexNameLength) return kMsgSuccess;
  m.statement.diagnostic.detailText = text;
  return kMsgInvalidIndexName;
}

MessageId StepTableDefinition(BindMachine& m, BindFrame& frame) {
  const TableDefinitionFields f = m.Fields(frame.node).tableDefinition;
  if (MessageId id = CheckTableNameLength(m, f.tableName)) return id;
  frame.phase = kFrameDone;
  return m.Bind(f.firstElement, StatementScope(frame));
}

// An INSERT without a column list names every column of its table, in the
// table's order, each already resolved to its table and ordinal.
MessageId AddTableColumnList(BindMachine& m, NodeIndex insert) {
  const NodeIndex table = m.Fields(insert).insert.tableReference;
  const TableCursor* cursor = m.Fields(table).tableReference.cursor;
  if (cursor == nullptr) return kMsgInternalError;
  const ValueIndex alias = m.Fields(table).tableReference.alias;
  NodeIndex first = kNoNode;
  NodeIndex last = kNoNode;
  for (std::size_t i = 0; i < cursor->columns.size(); ++i) {
    const ValueIndex name = InternString(m.tree, cursor->columns[i].name);
    const NodeIndex reference = AddParseNode(m.tree, kNodeColumnReference);
    const NodeIndex item = AddParseNode(m.tree, kNodeInsertColumn);
    if (name == kNoValue || reference == kNoNode || item == kNoNode) return kMsgMemoryAllocation;
    ColumnReferenceFields& r = m.Fields(reference).columnReference;
    r.qualifier = alias;
    r.columnName = name;
    r.tableReference = table;
    r.columnNumber = static_cast<std::uint32_t>(i);
    m.Fields(item).insertColumn.columnReference = reference;
    if (last == kNoNode) first = item;
    else m.Fields(last).insertColumn.next = item;
    last = item;
  }
  m.Fields(insert).insert.columnList = first;
  return kMsgSuccess;
}

bool IsSimpleInsertValue(std::uint16_t kind) {
  return (kind >= kNodeStringLiteral && kind <= kNodeTimestampLiteral) || kind == kNodeScalarFunction;
}

MessageId CheckInsertValueKind(std::uint16_t kind) {
  if (IsSimpleInsertValue(kind)) return kMsgSuccess;
  if (kind == kNodeArithmetic || kind == kNodeAggregate || kind == kNodeColumnReference)
    return kMsgInsertValueNotSimple;
  return kMsgInternalError;
}

// Each value (or select item) against its column, and the counts.
MessageId CheckInsertPairs(BindMachine& m, NodeIndex insert) {
  const InsertFields f = m.Fields(insert).insert;
  const bool fromSelect = f.source != kNoNode && m.Node(f.source).kind == kNodeSelect;
  NodeIndex item = fromSelect ? m.Fields(f.source).select.selectList : f.source;
  NodeIndex column = f.columnList;
  while (column != kNoNode && item != kNoNode) {
    const NodeIndex value = m.Fields(item).listItem.value;
    if (value == kNoNode) return kMsgInternalError;
    if (!fromSelect) {
      if (MessageId id = CheckInsertValueKind(m.Node(value).kind)) return id;
    }
    const NodeIndex reference = m.Fields(column).insertColumn.columnReference;
    if (MessageId id = CheckOperatorTypes(m.statement, m.tree, reference, value, kOpAssignment, nullptr)) return id;
    column = m.Fields(column).insertColumn.next;
    item = m.Fields(item).listItem.next;
  }
  return column != kNoNode || item != kNoNode ? kMsgInsertCountMismatch : kMsgSuccess;
}

MessageId StepInsert(BindMachine& m, BindFrame& frame) {
  const InsertFields f = m.Fields(frame.node).insert;
  switch (frame.phase) {
    case 0: frame.phase = 1; return m.Bind(f.tableReference, StatementScope(frame));
    case 1:
      if (f.columnList == kNoNode) {
        if (MessageId id = AddTableColumnList(m, frame.node)) return id;
      }
      frame.phase = 2;
      return m.Bind(m.Fields(frame.node).insert.columnList, StatementScope(frame));
    case 2: frame.phase = 3; return m.Bind(f.source, StatementScope(frame));
    default: frame.phase = kFrameDone; return CheckInsertPairs(m, frame.node);
  }
}

MessageId StepUpdate(BindMachine& m, BindFrame& frame) {
  const UpdateFields f = m.Fields(frame.node).update;
  switch (frame.phase) {
    case 0: frame.phase = 1; return m.Bind(f.tableReference, StatementScope(frame));
    case 1: frame.phase = 2; return m.Bind(f.firstAssignment, StatementScope(frame));
    default: frame.phase = kFrameDone; return m.Bind(f.where, StatementScope(frame));
  }
}

MessageId StepDelete(BindMachine& m, BindFrame& frame) {
  const DeleteFields f = m.Fields(frame.node).deleteStatement;
  if (frame.phase == 0) {
    frame.phase = 1;
    return m.Bind(f.tableReference, StatementScope(frame));
  }
  frame.phase = kFrameDone;
  return m.Bind(f.where, StatementScope(frame));
}

std::uint32_t CountSortItems(BindMachine& m, NodeIndex item) {
  std::uint32_t count = 0;
  for (; item != kNoNode; item = m.Fields(item).sortItem.next) ++count;
  return count;
}

MessageId StepCreateIndex(BindMachine& m, BindFrame& frame) {
  const CreateIndexFields f = m.Fields(frame.node).createIndex;
  switch (frame.phase) {
    case 0:
      if (MessageId id = CheckIndexNameLength(m, f.indexName)) return id;
      frame.phase = 1;
      return m.Bind(f.tableReference, StatementScope(frame));
    case 1: frame.phase = 2; return m.Bind(f.firstColumn, StatementScope(frame));
    default:
      frame.phase = kFrameDone;
      return CountSortItems(m, f.firstColumn) > kMaxIndexColumns ? kMsgTooManyIndexColumns : kMsgSuccess;
  }
}

}  // namespace

MessageId StepStatement(BindMachine& m, BindFrame& frame) {
  const ParseNode& node = m.Node(frame.node);
  switch (node.kind) {
    case kNodeRoot:
      frame.phase = kFrameDone;
      return m.Bind(node.fields.root.statementNode,
                    BindContext{0, frame.context.caseSensitive, kNoNode, kNoNode});
    case kNodeCreateTable:
    case kNodeAlterTableAdd: return StepTableDefinition(m, frame);
    case kNodeDropTable: frame.phase = kFrameDone; return CheckTableNameLength(m, node.fields.drop.name);
    case kNodeInsert: return StepInsert(m, frame);
    case kNodeUpdate: return StepUpdate(m, frame);
    case kNodeDelete: return StepDelete(m, frame);
    case kNodeCreateIndex: return StepCreateIndex(m, frame);
    case kNodeDropIndex: frame.phase = kFrameDone; return CheckIndexNameLength(m, node.fields.drop.name);
    case kNodeSqlPseudo:
      m.statement.diagnostic.detailText = "CREATE, DROP, SELECT, INSERT, UPDATE, or DELETE";
      return kMsgElementMissing;
    default: return kMsgInternalError;
  }
}

MessageId StepColumnDefinitions(BindMachine& m, BindFrame& frame) {
  frame.phase = kFrameDone;
  const ConnectionRecord* record = m.statement.connection != nullptr ? m.statement.connection->record : nullptr;
  const std::size_t nameLimit = record != nullptr ? GetMaxColumnNameLength(*record) : 127;
  for (NodeIndex element = frame.node; element != kNoNode; element = m.Fields(element).columnDefinition.next) {
    ColumnDefinitionFields& f = m.Fields(element).columnDefinition;
    if (f.form == kFormPrimaryKey || f.form == kFormForeignKey) continue;
    const std::string& name = GetValueText(m.tree, f.name);
    if (CountUtf8Characters(name) > nameLimit) {
      m.statement.diagnostic.detailText = name;
      return kMsgInvalidColumnName;
    }
    const std::string& typeName = GetValueText(m.tree, f.secondName);
    const TypeInfoRow* rows = GetTypeInfoTable();
    std::uint16_t found = kNoTypeRow;
    for (std::uint16_t i = 0; i < GetTypeInfoRowCount() && found == kNoTypeRow; ++i) {
      if (rows[i].listed != 0 && EqualFoldedAZ(rows[i].typeName, typeName)) found = i;
    }
    m.statement.diagnostic.detailText = typeName;
    if (found == kNoTypeRow) return kMsgNoSuchType;
    f.typeRow = found;
    std::uint16_t parameters = 0;
    if (const char* text = rows[found].createParams; text != nullptr) {
      parameters = 1;
      for (; *text != '\0'; ++text) parameters += *text == ',' ? 1 : 0;
    }
    if (parameters != f.form) return kMsgWrongTypeParameterCount;
    m.statement.diagnostic.detailText.clear();
  }
  return kMsgSuccess;
}
