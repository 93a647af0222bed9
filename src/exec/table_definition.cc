// Data definition through the service's table and field creation. The new
// fields' ids are kept by lower-cased column name, so that the key and
// reference constraints of the same statement find them; a constraint may
// also name a column the table had before.
#include "exec/table_definition.h"

#include <map>
#include <string>
#include <vector>

#include "connection/quickbase_client.h"
#include "connection/type_info.h"
#include "exec/source_queries.h"
#include "handles/connection_record.h"
#include "handles/handles.h"
#include "handles/statement_handle.h"
#include "platform/text_fold.h"
#include "qbapi/api_operations.h"
#include "tables/table_creation.h"
#include "tables/table_cursor.h"
#include "tables/table_schema.h"

namespace {

// Hands the cursor back on every path.
struct CursorRelease {
  TableCursor* cursor = nullptr;
  ~CursorRelease() { ApplyFlushCacheCommand(cursor); }
};

using FieldIds = std::map<std::string, std::string>;

// The field id of a column made by this statement or already in the table.
bool FindFieldId(const FieldIds& made, const TableCursor& cursor, const std::string& column, std::string& fieldId) {
  const std::string key = LowerCopyAZ(column);
  auto found = made.find(key);
  if (found != made.end()) {
    fieldId = found->second;
    return true;
  }
  for (const ColumnDescriptor& existing : cursor.columns) {
    if (LowerCopyAZ(existing.name) != key) continue;
    fieldId = existing.fieldIdText;
    return true;
  }
  return false;
}

MessageId AddColumn(StatementHandle& statement, ParseTree& tree, const ColumnDefinitionFields& element,
                    TableCursor& cursor, FieldIds& made) {
  if (element.typeRow >= GetTypeInfoRowCount()) return kMsgInternalError;
  const std::string& name = GetValueText(tree, element.name);
  std::string fieldId;
  const MessageId id = AddTableColumn(cursor, name, GetTypeInfoTable()[element.typeRow].dataType,
                                      static_cast<std::int32_t>(element.length),
                                      static_cast<std::int16_t>(element.scale), fieldId);
  if (id != kMsgSuccess) return PostTableFailure(statement, id);
  made[LowerCopyAZ(name)] = fieldId;
  return kMsgSuccess;
}

// A new column whose name the table, or an earlier column of the statement,
// already has (compared as column references compare names): the service
// would make a second field of that label, which no reference could tell
// apart from the first. Checked before anything is sent.
MessageId CheckNewColumnNames(StatementHandle& statement, ParseTree& tree, NodeIndex firstElement,
                              const ConnectionRecord& record, const TableCursor* existing) {
  std::vector<std::string> names;
  if (existing != nullptr)
    for (const ColumnDescriptor& column : existing->columns) names.push_back(column.name);
  for (NodeIndex e = firstElement; e != kNoNode; e = tree.nodes[e].fields.columnDefinition.next) {
    if (tree.nodes[e].kind != kNodeColumnDefinition) return kMsgInternalError;
    const ColumnDefinitionFields element = tree.nodes[e].fields.columnDefinition;
    if (element.form > 2) continue;
    const std::string& written = GetValueText(tree, element.name);
    std::string name = ColumnNameOfLabel(record, written);
    for (const std::string& taken : names) {
      if (!EqualFoldedAZ(taken, name)) continue;
      statement.diagnostic.detailText = written;
      return kMsgColumnExists;
    }
    names.push_back(std::move(name));
  }
  return kMsgSuccess;
}

MessageId ApplyConstraint(StatementHandle& statement, ParseTree& tree, const ColumnDefinitionFields& element,
                          TableCursor& cursor, const FieldIds& made) {
  const std::string& column = GetValueText(tree, element.name);
  std::string fieldId;
  if (!FindFieldId(made, cursor, column, fieldId)) {
    statement.diagnostic.detailText = column;
    return kMsgColumnNotFound;
  }
  ApiSession& session = cursor.connection->client->session;
  // The service's answer is not examined: the table and its fields exist,
  // and a key or reference mark that didn't take changes no data.
  if (element.form == kFormPrimaryKey) {
    ApiSetKeyField(session, statement.callRecord, cursor.tableId, fieldId);
  } else {
    const std::string referenced = element.secondName == kNoValue ? "" : GetValueText(tree, element.secondName);
    ApiSetFieldProperties(session, statement.callRecord, cursor.tableId, fieldId,
                          {{"foreignkey", "1"}, {"mastag", referenced}});
  }
  return kMsgSuccess;
}

}  // namespace

MessageId ExecuteTableDefinition(StatementHandle& statement, ParseTree& tree, NodeIndex definition) {
  ConnectionRecord* record = statement.connection != nullptr ? statement.connection->record : nullptr;
  if (record == nullptr) return kMsgConnectionNotOpen;
  record->currentStatement = &statement;
  const TableDefinitionFields f = tree.nodes[definition].fields.tableDefinition;
  const std::string& name = GetValueText(tree, f.tableName);
  CursorRelease release;
  const bool creates = tree.nodes[definition].kind == kNodeCreateTable;
  if (creates) {
    if (MessageId id = CheckNewColumnNames(statement, tree, f.firstElement, *record, nullptr)) return id;
  }
  const MessageId opened =
      creates ? ExecuteCreateTable(*record, name, release.cursor) : OpenTable(*record, name, 0, release.cursor);
  if (opened != kMsgSuccess || release.cursor == nullptr) return PostTableFailure(statement, opened);
  if (!creates) {
    if (MessageId id = CheckNewColumnNames(statement, tree, f.firstElement, *record, release.cursor)) return id;
  }
  FieldIds made;
  for (NodeIndex e = f.firstElement; e != kNoNode; e = tree.nodes[e].fields.columnDefinition.next) {
    if (tree.nodes[e].kind != kNodeColumnDefinition) return kMsgInternalError;
    const ColumnDefinitionFields element = tree.nodes[e].fields.columnDefinition;
    MessageId id = element.form <= 2 ? AddColumn(statement, tree, element, *release.cursor, made)
                                     : ApplyConstraint(statement, tree, element, *release.cursor, made);
    if (id != kMsgSuccess) return id;
  }
  statement.transactionFlags[0] = 1;
  return kMsgSuccess;
}
