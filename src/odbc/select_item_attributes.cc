// Attributes of a SELECT's result columns: a column reference is described
// by its table's column and that column's type row, any other expression by
// the type the binder gave it; sizes follow from the type.
#include <sqlext.h>

#include "connection/type_info.h"
#include "handles/statement_handle.h"
#include "odbc/column_attribute_answers.h"
#include "odbc/column_sizes.h"
#include "tables/column_type_info.h"
#include "tables/table_cursor.h"

namespace {

// What the answers of one select item are made of.
struct SelectColumn {
  NodeIndex item = kNoNode;
  NodeIndex value = kNoNode;
  const ColumnDescriptor* descriptor = nullptr;  // column references only
  const TypeInfoRow* row = nullptr;
  std::int16_t type = 0;   // the row's type in the statement's ODBC version
  std::int64_t size = 0;   // the node's size
  std::int64_t digits = 0;  // the node's decimal digits, 0 when unset
};

MessageId DescribeColumnReference(const ParseTree& tree, const ParseNode& node, SelectColumn& out) {
  const ColumnReferenceFields& f = node.fields.columnReference;
  if (f.tableReference == kNoNode || f.tableReference >= tree.nodes.size()) return kMsgQuickBaseError;
  const TableCursor* cursor = tree.nodes[f.tableReference].fields.tableReference.cursor;
  if (cursor == nullptr || f.columnNumber >= cursor->columns.size()) return kMsgQuickBaseError;
  out.descriptor = &cursor->columns[f.columnNumber];
  out.row = FindColumnTypeInfoRow(*cursor, f.columnNumber);
  return out.row != nullptr ? kMsgSuccess : kMsgQuickBaseError;
}

MessageId DescribeSelectItem(const StatementHandle& statement, const ParseTree& tree, NodeIndex item,
                             SelectColumn& out) {
  out.item = item;
  out.value = tree.nodes[item].fields.listItem.value;
  if (out.value == kNoNode || out.value >= tree.nodes.size()) return kMsgQuickBaseError;
  const ParseNode& node = tree.nodes[out.value];
  if (node.kind == kNodeColumnReference) {
    if (MessageId id = DescribeColumnReference(tree, node, out)) return id;
  } else {
    out.row = TypeInfoRowForStatement(statement, node.cell.sqlType);
    if (out.row == nullptr) return kMsgQuickBaseError;
  }
  out.type = MapDateTypeForStatement(statement, out.row->dataType);
  out.size = node.cell.size;
  out.digits = node.cell.digits == kNoDigits ? 0 : node.cell.digits;
  return kMsgSuccess;
}

// A type whose values can be negative, so that its row's signedness counts;
// every other type reads as unsigned, as ODBC asks.
bool IsSignedNumberType(std::int16_t type) {
  switch (type) {
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
    case SQL_NUMERIC:
    case SQL_DECIMAL:
    case SQL_FLOAT:
    case SQL_REAL:
    case SQL_DOUBLE: return true;
    default: return false;
  }
}

// A row added in the open transaction reads NULL in the record-id column
// until it is sent, so a result's record id may be NULL; the table's own
// description (SQLColumns) still says every stored record has one.
std::int64_t NullableOf(const SelectColumn& c) {
  if (c.descriptor == nullptr) return c.row->nullable;
  return c.descriptor->fieldKind == FieldKind::kRecordId ? SQL_NULLABLE : c.descriptor->nullable;
}

bool IsUnsigned(const SelectColumn& c) { return c.row->unsignedAttribute == 1 || !IsSignedNumberType(c.type); }

std::string NameOf(const ParseTree& tree, const SelectColumn& c) {
  const ValueIndex alias = tree.nodes[c.item].fields.listItem.name;
  if (alias != kNoValue) return GetValueText(tree, alias);
  const ParseNode& node = tree.nodes[c.value];
  if (node.kind == kNodeColumnReference && node.fields.columnReference.columnName != kNoValue)
    return GetValueText(tree, node.fields.columnReference.columnName);
  return std::string();
}

// The name the statement gives the column's table: its qualifier as
// written, else the table's own name.
std::string TableNameOf(const ParseTree& tree, const SelectColumn& c) {
  const ParseNode& node = tree.nodes[c.value];
  if (node.kind != kNodeColumnReference) return std::string();
  const ColumnReferenceFields& f = node.fields.columnReference;
  if (f.qualifier != kNoValue) return GetValueText(tree, f.qualifier);
  const ValueIndex name = tree.nodes[f.tableReference].fields.tableReference.tableName;
  return name != kNoValue ? GetValueText(tree, name) : std::string();
}

MessageId SizeAnswer(const SelectColumn& c, std::uint16_t attribute, ColumnAttributeAnswer& answer) {
  ColumnSizes sizes{};
  if (!SizesOfType(c.type, c.size, IsUnsigned(c), sizes)) return kMsgNotSupportedDetail;
  if (attribute == SQL_COLUMN_LENGTH) answer = NumberAnswer(sizes.length);
  else if (attribute == SQL_COLUMN_PRECISION) answer = NumberAnswer(sizes.precision);
  else answer = NumberAnswer(sizes.displaySize);
  return kMsgSuccess;
}

MessageId AnswerFor(const ParseTree& tree, const SelectColumn& c, std::uint16_t attribute,
                    ColumnAttributeAnswer& answer) {
  switch (attribute) {
    case SQL_COLUMN_NAME:
    case SQL_COLUMN_LABEL: answer = TextAnswer(NameOf(tree, c)); break;
    case SQL_COLUMN_TYPE: answer = NumberAnswer(c.type); break;
    case SQL_COLUMN_LENGTH:
    case SQL_COLUMN_PRECISION:
    case SQL_COLUMN_DISPLAY_SIZE: return SizeAnswer(c, attribute, answer);
    case SQL_COLUMN_SCALE: answer = NumberAnswer(c.digits); break;
    case SQL_COLUMN_NULLABLE: answer = NumberAnswer(NullableOf(c)); break;
    case SQL_COLUMN_UNSIGNED: answer = NumberAnswer(IsUnsigned(c) ? 1 : 0); break;
    case SQL_COLUMN_MONEY: answer = NumberAnswer(c.row->fixedPrecScale); break;
    case SQL_COLUMN_UPDATABLE:
      answer = NumberAnswer(c.descriptor != nullptr ? c.descriptor->updatable : SQL_ATTR_READWRITE_UNKNOWN);
      break;
    case SQL_COLUMN_AUTO_INCREMENT: answer = NumberAnswer(c.row->autoUniqueValue == 1 ? 1 : 0); break;
    case SQL_COLUMN_CASE_SENSITIVE: answer = NumberAnswer(c.row->caseSensitive); break;
    case SQL_COLUMN_SEARCHABLE: answer = NumberAnswer(c.row->searchable); break;
    case SQL_COLUMN_TYPE_NAME: answer = TextAnswer(c.row->typeName); break;
    case SQL_COLUMN_TABLE_NAME: answer = TextAnswer(TableNameOf(tree, c)); break;
    default: answer = TextAnswer(""); break;  // owner and qualifier names
  }
  return kMsgSuccess;
}

}  // namespace

MessageId AnswerSelectItemAttribute(StatementHandle& statement, ParseTree& tree, std::uint16_t column,
                                    std::uint16_t attribute, ColumnAttributeAnswer& answer) {
  if (attribute == SQL_COLUMN_COUNT) {
    answer = NumberAnswer(static_cast<std::int64_t>(tree.resultColumns.size()));
    return kMsgSuccess;
  }
  if (column == 0) {
    answer = BookmarkColumnAttribute(attribute);
    return kMsgSuccess;
  }
  const NodeIndex item = ResultColumnItem(tree, column);
  if (item == kNoNode) return kMsgInvalidColumnId;
  SelectColumn c;
  if (MessageId id = DescribeSelectItem(statement, tree, item, c)) return id;
  return AnswerFor(tree, c, attribute, answer);
}
