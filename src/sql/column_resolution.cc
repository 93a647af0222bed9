// Column references against one table: name matching by the same rule that
// names the table's columns, and the types a bound reference carries.
#include "sql/column_resolution.h"

#include <sqlext.h>

#include "common/column_names.h"
#include "connection/quickbase_client.h"
#include "connection/type_info.h"
#include "handles/connection_record.h"
#include "handles/handles.h"
#include "handles/statement_handle.h"
#include "platform/text_fold.h"
#include "tables/table_cursor.h"

namespace {

bool NamesEqual(std::string_view a, std::string_view b, std::uint8_t caseSensitive) {
  return caseSensitive != 0 ? a == b : EqualFoldedAZ(a, b);
}

std::string SanitizedName(const StatementHandle& statement, std::string_view written) {
  const ConnectionHandle* connection = statement.connection;
  const bool hostFlag = connection != nullptr && connection->record != nullptr &&
                        connection->record->hostIsAccessOrQuery != 0;
  const bool hyphenFlag =
      connection != nullptr && !LookupSetting(connection->settings, "FIELDNAMEHYPHENS").empty();
  return SanitizeColumnName(written, hostFlag, hyphenFlag);
}

bool MatchesColumn(const ColumnDescriptor& column, std::string_view name, std::uint8_t caseSensitive) {
  if (NamesEqual(column.name, name, caseSensitive)) return true;
  if (name.size() <= 3 || !NamesEqual(name.substr(0, 3), "fid", caseSensitive)) return false;
  return name.substr(3) == column.fieldIdText;
}

// Value type, size and digits of a reference by its column's SQL type.
bool TypeReference(ValueCell& cell, const ColumnDescriptor& column) {
  switch (column.sqlType) {
    case SQL_BIT: cell.valueType = kValueInteger; cell.size = 1; cell.digits = 0; return true;
    case SQL_TINYINT: cell.valueType = kValueInteger; cell.size = 3; cell.digits = 0; return true;
    case SQL_BIGINT: cell.valueType = kValueNumeric; cell.size = column.columnSize; cell.digits = 0; return true;
    case SQL_LONGVARBINARY:
    case SQL_VARBINARY:
    case SQL_BINARY:
      cell.valueType = kValueBinary; cell.size = column.columnSize; cell.digits = kNoDigits; return true;
    case SQL_LONGVARCHAR:
    case SQL_CHAR:
    case SQL_VARCHAR:
      cell.valueType = kValueCharacter; cell.size = column.columnSize; cell.digits = kNoDigits; return true;
    case SQL_NUMERIC:
    case SQL_DECIMAL:
      cell.valueType = kValueNumeric; cell.size = column.columnSize; cell.digits = column.decimalDigits; return true;
    case SQL_INTEGER: cell.valueType = kValueInteger; cell.size = 10; cell.digits = 0; return true;
    case SQL_SMALLINT: cell.valueType = kValueInteger; cell.size = 5; cell.digits = 0; return true;
    case SQL_FLOAT:
    case SQL_DOUBLE: cell.valueType = kValueDouble; cell.size = 15; cell.digits = kNoDigits; return true;
    case SQL_REAL: cell.valueType = kValueDouble; cell.size = 7; cell.digits = kNoDigits; return true;
    case SQL_DATE:
    case SQL_TYPE_DATE: cell.valueType = kValueDate; cell.size = 10; cell.digits = kNoDigits; return true;
    case SQL_TIME:
    case SQL_TYPE_TIME: cell.valueType = kValueTime; cell.size = 8; cell.digits = kNoDigits; return true;
    case SQL_TIMESTAMP:
    case SQL_TYPE_TIMESTAMP: cell.valueType = kValueTimestamp; cell.size = 23; cell.digits = 3; return true;
    default: return false;
  }
}

}  // namespace

std::int32_t FindColumnInTable(const StatementHandle& statement, const ParseTree& tree, std::uint8_t caseSensitive,
                               ValueIndex qualifier, std::string_view writtenName, NodeIndex tableReference) {
  const TableReferenceFields& table = tree.nodes[tableReference].fields.tableReference;
  if (table.cursor == nullptr) return kNoColumn;
  if (qualifier != kNoValue &&
      !NamesEqual(GetValueText(tree, qualifier), GetValueText(tree, table.alias), caseSensitive))
    return kNoColumn;
  const std::string name = SanitizedName(statement, writtenName);
  const std::vector<ColumnDescriptor>& columns = table.cursor->columns;
  for (std::size_t i = 0; i < columns.size(); ++i)
    if (MatchesColumn(columns[i], name, caseSensitive)) return static_cast<std::int32_t>(i);
  return kNoColumn;
}

MessageId BindReferenceToColumn(StatementHandle& statement, ParseTree& tree, NodeIndex reference,
                                NodeIndex tableReference, std::int32_t ordinal) {
  const TableReferenceFields& table = tree.nodes[tableReference].fields.tableReference;
  TableCursor& cursor = *table.cursor;
  const ColumnDescriptor& column = cursor.columns[static_cast<std::size_t>(ordinal)];
  ParseNode& node = tree.nodes[reference];
  if (!TypeReference(node.cell, column)) {
    statement.diagnostic.detailText = column.name;
    return kMsgNotSupportedDetail;
  }
  if (cursor.connection != nullptr) AddFieldToFetch(*cursor.connection->client, cursor, column.fieldId);
  ColumnReferenceFields& f = node.fields.columnReference;
  f.tableReference = tableReference;
  f.columnNumber = static_cast<std::uint32_t>(ordinal);
  if (f.qualifier == kNoValue) f.qualifier = table.alias;
  node.cell.sqlType = MapDateTypeForStatement(statement, column.sqlType);
  return kMsgSuccess;
}

MessageId ResolveColumnReference(StatementHandle& statement, ParseTree& tree, std::uint8_t caseSensitive,
                                 NodeIndex reference, NodeIndex tableReference) {
  const ColumnReferenceFields& f = tree.nodes[reference].fields.columnReference;
  const std::string& name = GetValueText(tree, f.columnName);
  const std::int32_t ordinal = FindColumnInTable(statement, tree, caseSensitive, f.qualifier, name, tableReference);
  if (ordinal == kNoColumn) {
    statement.diagnostic.detailText = name;
    return kMsgColumnNotFound;
  }
  return BindReferenceToColumn(statement, tree, reference, tableReference, ordinal);
}
