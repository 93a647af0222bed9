// Table and field creation through API_CreateTable, API_AddField and
// API_SetFieldProperties.
#include "tables/table_creation.h"

#include <utility>
#include <vector>

#include "connection/quickbase_client.h"
#include "handles/connection_record.h"
#include "platform/text_fold.h"
#include "tables/table_failures.h"
#include "tables/table_names.h"
#include "tables/table_schema.h"

namespace {

struct FieldTypeChoice {
  const char* type;
  const char* property;  // "maxlength", "decimal_places" or none
};

bool ChooseFieldType(std::int16_t sqlType, FieldTypeChoice& choice) {
  switch (sqlType) {
    case SQL_CHAR: case SQL_VARCHAR: case SQL_WCHAR: case SQL_WVARCHAR:
      choice = {"text", "maxlength"};
      return true;
    case SQL_LONGVARCHAR: case SQL_WLONGVARCHAR:
      choice = {"multitext", nullptr};
      return true;
    case SQL_INTEGER: case SQL_SMALLINT: case SQL_TINYINT: case SQL_BIGINT:
    case SQL_NUMERIC: case SQL_DECIMAL:
      choice = {"float", "decimal_places"};
      return true;
    case SQL_DOUBLE: case SQL_FLOAT: case SQL_REAL:
      choice = {"float", nullptr};
      return true;
    case SQL_BIT:
      choice = {"checkbox", nullptr};
      return true;
    case SQL_DATE: case SQL_TYPE_DATE:
      choice = {"date", nullptr};
      return true;
    case SQL_TIMESTAMP: case SQL_TYPE_TIMESTAMP:
      choice = {"timestamp", nullptr};
      return true;
    case SQL_TIME: case SQL_TYPE_TIME:
      choice = {"timeofday", nullptr};
      return true;
    case SQL_BINARY: case SQL_VARBINARY: case SQL_LONGVARBINARY:
      choice = {"file", nullptr};
      return true;
    default:
      return false;
  }
}

bool IsWholeNumberType(std::int16_t sqlType) {
  return sqlType == SQL_INTEGER || sqlType == SQL_SMALLINT || sqlType == SQL_TINYINT || sqlType == SQL_BIGINT;
}

bool NamesApplication(const std::string& tableName) { return tableName.find(':') != std::string::npos; }

// The application a new table goes into; nullptr when there is none. A bare
// name goes into the only application granted; the count tells the caller
// when there were several.
const GrantedDatabase* FindApplication(const TableAccessCaches& caches, const std::string& tableName,
                                       int& applications) {
  bool qualified = NamesApplication(tableName);
  std::string wanted = ApplicationPart(tableName);
  const GrantedDatabase* found = nullptr;
  applications = 0;
  for (const GrantedDatabase& entry : caches.grantedTables) {
    if (entry.name.find(':') != std::string::npos) continue;
    ++applications;
    if (!qualified || EqualFoldedAZ(entry.name, wanted)) found = &entry;
  }
  return qualified || applications == 1 ? found : nullptr;
}

}  // namespace

MessageId ExecuteCreateTable(ConnectionRecord& record, const std::string& tableName, TableCursor*& out) {
  out = nullptr;
  TableAccessCaches& caches = record.client->caches;
  // A fresh list: a table another connection made since the last one counts.
  if (MessageId id = LoadGrantedTables(record)) return id;
  int applications = 0;
  const GrantedDatabase* application = FindApplication(caches, tableName, applications);
  // Not "table not found": the table is what the statement is making.
  if (!NamesApplication(tableName) && applications > 1)
    return RecordTableFailure(record, kMsgApplicationNotNamed, tableName);
  if (application == nullptr || application->dbid.empty())
    return RecordTableFailure(record, kMsgQuickBaseTableNotFound, tableName);
  const std::string appId = application->dbid;
  std::string name = TablePart(tableName);
  std::string grantedName = application->name + ": " + name;
  // The service would make a second table of the same name, and neither
  // could then be found by it.
  const std::string key = TableNameKey(grantedName);
  for (const GrantedDatabase& entry : caches.grantedTables)
    if (TableNameKey(entry.name) == key) return RecordTableFailure(record, kMsgTableExists, grantedName);
  std::string newId;
  ApiCallRecord call;
  if (ApiCreateTable(record.client->session, call, appId, name, name, newId) != kMsgSuccess)
    return PostTableServiceFailure(record, call);
  // The new table is known at once, without listing the granted tables again.
  caches.grantedTables.push_back(GrantedDatabase{grantedName, newId});
  MessageId id = OpenTable(record, newId, 0, out);
  if (id == kMsgSuccess) out->tableName = tableName;
  return id;
}

MessageId AddTableColumn(TableCursor& cursor, const std::string& columnName, std::int16_t sqlType,
                         std::int32_t size, std::int16_t digits, std::string& fieldId) {
  ConnectionRecord& record = *cursor.connection;
  FieldTypeChoice choice{};
  if (!ChooseFieldType(sqlType, choice)) return RecordTableFailure(record, kMsgNotSupportedDetail, columnName);
  if (ApiAddField(record.client->session, cursor.callRecord, cursor.tableId, columnName, choice.type, "", fieldId) !=
      kMsgSuccess)
    return PostTableServiceFailure(record, cursor.callRecord);
  DropTableSchema(*record.client, cursor.tableId);
  std::vector<std::pair<std::string, std::string>> properties;
  if (choice.property != nullptr && std::string(choice.property) == "maxlength" && size > 0)
    properties.emplace_back("maxlength", std::to_string(size));
  if (choice.property != nullptr && std::string(choice.property) == "decimal_places")
    properties.emplace_back("decimal_places", std::to_string(IsWholeNumberType(sqlType) ? 0 : digits));
  if (properties.empty()) return kMsgSuccess;
  if (ApiSetFieldProperties(record.client->session, cursor.callRecord, cursor.tableId, fieldId, properties) !=
      kMsgSuccess)
    return PostTableServiceFailure(record, cursor.callRecord);
  return kMsgSuccess;
}
