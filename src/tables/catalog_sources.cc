// Granted-databases lists for SQLTables and SQLColumns, relationships for
// SQLForeignKeys and application names for statistics rows.
#include "tables/catalog_sources.h"

#include <vector>

#include "common/like_pattern.h"
#include "connection/quickbase_client.h"
#include "handles/catalog_request.h"
#include "handles/connection_record.h"
#include "handles/handles.h"
#include "handles/statement_handle.h"
#include "platform/text_fold.h"
#include "tables/table_failures.h"
#include "tables/table_names.h"
#include "tables/table_schema.h"

namespace {

constexpr int kSubModeCatalogs = 6;

const std::vector<GrantedDatabase>& ListOf(const CatalogTableList& request) {
  const TableAccessCaches& caches = request.connection->client->caches;
  return request.applications ? caches.grantedApplications : caches.grantedTables;
}

bool HasColon(const std::string& name) { return name.find(':') != std::string::npos; }

// A pattern matches a granted table by its whole name or by its table part;
// with a colon of its own, part by part, since blanks around the colon do
// not matter in a table's name.
bool MatchesTablePattern(const std::string& grantedName, const std::string& pattern) {
  if (MatchesCatalogPattern(grantedName, pattern) || MatchesCatalogPattern(TablePart(grantedName), pattern))
    return true;
  return HasColon(pattern) && MatchesCatalogPattern(ApplicationPart(grantedName), ApplicationPart(pattern)) &&
         MatchesCatalogPattern(TablePart(grantedName), TablePart(pattern));
}

// The table and key column names of a table, or false when it can't be opened.
struct TableFacts {
  std::string tableId;
  std::string name;
  std::string keyColumn;
  std::vector<ColumnDescriptor> columns;
  std::shared_ptr<TableSchema> schema;
};

bool LoadFacts(ConnectionRecord& record, const std::string& tableName, TableFacts& facts) {
  if (ResolveTableId(record, tableName, facts.tableId) != kMsgSuccess) return false;
  if (LoadTableSchema(record, facts.tableId, facts.schema) != kMsgSuccess) return false;
  if (BuildTableColumns(*facts.schema, record.hostIsAccessOrQuery != 0, false, facts.columns) != kMsgSuccess)
    return false;
  facts.name = tableName;
  for (const ColumnDescriptor& column : facts.columns)
    if (column.keyPosition == 1) facts.keyColumn = column.name;
  return !facts.keyColumn.empty();
}

const std::string& Property(const SchemaField& field, const char* key) {
  static const std::string empty;
  auto found = field.properties.find(key);
  return found == field.properties.end() ? empty : found->second;
}

// A reference field names its master by dbid (the service's relationships)
// or by table name (the driver's own FOREIGN KEY elements).
bool RefersTo(const SchemaField& field, const TableFacts& primary) {
  const std::string& master = Property(field, "mastag");
  if (master.empty()) return false;
  return master == primary.tableId || EqualFoldedAZ(master, primary.name) ||
         EqualFoldedAZ(master, TablePart(primary.name));
}

// The application of a named table: the part before its colon, else the
// application of the granted table that a bare name or a dbid stands for,
// else the whole name.
std::string ApplicationOf(ConnectionRecord& record, const std::string& tableName) {
  if (HasColon(tableName)) return ApplicationPart(tableName);
  TableAccessCaches& caches = record.client->caches;
  if (!caches.grantedTablesLoaded) LoadGrantedTables(record);
  std::string tableId = FindGrantedTableId(caches.grantedTables, tableName);
  std::string application;
  GetTableApplicationName(*record.client, application, tableId.empty() ? tableName : tableId);
  return application.empty() ? tableName : application;
}

}  // namespace

bool MatchesCatalogPattern(const std::string& name, const std::string& pattern) {
  if (pattern.empty()) return true;
  return MatchLikePattern('\\', name.c_str(), SQL_NTS, pattern.c_str(), SQL_NTS, false);
}

MessageId FetchGrantedDatabases(StatementHandle& statement, const std::string& tablePattern) {
  ConnectionRecord* record = statement.connection == nullptr ? nullptr : statement.connection->record;
  if (record == nullptr) return kMsgConnectionNotOpen;
  record->currentStatement = &statement;
  bool applications = statement.catalogSubMode == kSubModeCatalogs;
  GrantedDbsOptions options;
  options.withEmbeddedTables = !applications;
  std::vector<GrantedDatabase> granted;
  ApiCallRecord call;
  if (ApiGrantedDbs(record->client->session, call, options, granted) != kMsgSuccess) {
    PostTableServiceFailure(*record, call);
    return record->lastMessageId;
  }
  TableAccessCaches& caches = record->client->caches;
  if (applications) {
    caches.grantedApplications = std::move(granted);
  } else {
    caches.grantedTables = std::move(granted);
    caches.grantedTablesLoaded = true;
  }
  auto request = std::make_unique<CatalogTableList>();
  request->connection = record;
  request->pattern = tablePattern;
  request->applications = applications;
  delete statement.pendingCatalogRequest;  // the catalog function normally released it already
  statement.pendingCatalogRequest = request.release();
  return kMsgSuccess;
}

MessageId NextCatalogTableRow(CatalogTableList& request, std::string& catalogName, std::string& tableName,
                              const std::string& catalogPattern) {
  const std::vector<GrantedDatabase>& list = ListOf(request);
  while (request.nextEntry < list.size()) {
    const GrantedDatabase& entry = list[request.nextEntry++];
    if (request.applications) {
      if (HasColon(entry.name) || !MatchesCatalogPattern(entry.name, catalogPattern)) continue;
      catalogName = entry.name;
      tableName.clear();
      return kMsgSuccess;
    }
    if (!HasColon(entry.name)) continue;
    std::string application = ApplicationPart(entry.name);
    if (!MatchesCatalogPattern(application, catalogPattern) || !MatchesTablePattern(entry.name, request.pattern))
      continue;
    catalogName = application;
    tableName = entry.name;
    return kMsgSuccess;
  }
  return kMsgNoMoreRows;
}

MessageId BuildForeignKeyRow(StatementHandle& statement, const std::string& primaryTable,
                             const std::string& foreignTable, CatalogRowWork& work) {
  work.count = 0;
  ConnectionRecord* record = statement.connection == nullptr ? nullptr : statement.connection->record;
  if (record == nullptr || primaryTable.empty() || foreignTable.empty()) return kMsgNoMoreRows;
  statement.catalogName = ApplicationOf(*record, primaryTable);
  statement.foreignKeyCatalogName = ApplicationOf(*record, foreignTable);
  bool crossApplication = !LookupSetting(statement.connection->settings, "CROSSAPP").empty();
  if (!crossApplication && !EqualFoldedAZ(statement.catalogName, statement.foreignKeyCatalogName)) return kMsgNoMoreRows;
  TableFacts primary;
  TableFacts foreign;
  if (!LoadFacts(*record, primaryTable, primary) || !LoadFacts(*record, foreignTable, foreign))
    return kMsgNoMoreRows;
  const std::vector<SchemaField>& fields = foreign.schema->reply.fields;
  for (std::size_t i = 0; i < fields.size() && work.count < kCatalogKeyColumns; ++i) {
    if (!RefersTo(fields[i], primary)) continue;
    work.primaryColumns[work.count] = primary.keyColumn;
    work.foreignColumns[work.count] = foreign.columns[i].name;
    ++work.count;
  }
  return work.count > 0 ? kMsgSuccess : kMsgNoMoreRows;
}

std::string GetTableApplicationName(QuickBaseClient& client, std::string& name, const std::string& tableId) {
  name.clear();
  for (const GrantedDatabase& entry : client.caches.grantedTables)
    if (entry.dbid == tableId && HasColon(entry.name)) name = ApplicationPart(entry.name);
  return name;
}
