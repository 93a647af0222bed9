// Table-name resolution against the granted-databases list of the connection.
#include "tables/table_names.h"

#include "connection/quickbase_client.h"
#include "handles/connection_record.h"
#include "platform/text_fold.h"
#include "qbapi/api_exchange.h"
#include "tables/table_failures.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trimmed(std::string_view text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  return std::string(text.substr(first, last - first));
}

bool IsTableEntry(const GrantedDatabase& entry) { return entry.name.find(':') != std::string::npos; }

}  // namespace

std::string ApplicationPart(std::string_view grantedName) {
  std::size_t colon = grantedName.find(':');
  return Trimmed(colon == std::string_view::npos ? grantedName : grantedName.substr(0, colon));
}

std::string TablePart(std::string_view grantedName) {
  std::size_t colon = grantedName.find(':');
  return colon == std::string_view::npos ? Trimmed(grantedName) : Trimmed(grantedName.substr(colon + 1));
}

std::string TableNameKey(std::string_view name) {
  std::size_t colon = name.find(':');
  if (colon == std::string_view::npos) return LowerCopyAZ(Trimmed(name));
  return LowerCopyAZ(ApplicationPart(name) + ":" + TablePart(name));
}

std::string FindGrantedTableId(const std::vector<GrantedDatabase>& granted, std::string_view name) {
  std::string key = TableNameKey(name);
  bool qualified = name.find(':') != std::string_view::npos;
  std::string found;
  int matches = 0;
  for (const GrantedDatabase& entry : granted) {
    if (!IsTableEntry(entry)) continue;
    std::string candidate = qualified ? TableNameKey(entry.name) : LowerCopyAZ(TablePart(entry.name));
    if (candidate != key) continue;
    if (matches == 0 || found != entry.dbid) ++matches;
    found = entry.dbid;
  }
  // A bare name shared by tables of two applications names neither.
  return matches == 1 ? found : std::string();
}

MessageId LoadGrantedTables(ConnectionRecord& record) {
  TableAccessCaches& caches = record.client->caches;
  ApiCallRecord call;
  std::vector<GrantedDatabase> granted;
  GrantedDbsOptions options;
  MessageId id = ApiGrantedDbs(record.client->session, call, options, granted);
  if (id != kMsgSuccess) return PostTableServiceFailure(record, call);
  caches.grantedTables = std::move(granted);
  caches.grantedTablesLoaded = true;
  return kMsgSuccess;
}

namespace {

// The table id of a name among the cached granted tables, or of a dbid that
// is already known.
std::string LookUpCachedTableId(const TableAccessCaches& caches, const std::string& tableName) {
  std::string tableId = FindGrantedTableId(caches.grantedTables, tableName);
  if (!tableId.empty()) return tableId;
  std::string trimmed = Trimmed(tableName);
  if (caches.schemas.count(trimmed) != 0) return trimmed;
  for (const GrantedDatabase& entry : caches.grantedTables)
    if (entry.dbid == trimmed && IsTableEntry(entry)) return trimmed;
  return std::string();
}

}  // namespace

MessageId ResolveTableId(ConnectionRecord& record, const std::string& tableName, std::string& tableId) {
  TableAccessCaches& caches = record.client->caches;
  bool loadedNow = false;
  if (!caches.grantedTablesLoaded) {
    MessageId id = LoadGrantedTables(record);
    if (id != kMsgSuccess) return id;
    loadedNow = true;
  }
  tableId = LookUpCachedTableId(caches, tableName);
  if (tableId.empty() && !loadedNow) {
    // A table created since the list was loaded.
    MessageId id = LoadGrantedTables(record);
    if (id != kMsgSuccess) return id;
    tableId = LookUpCachedTableId(caches, tableName);
  }
  if (!tableId.empty()) return kMsgSuccess;
  // A dbid the list does not show is still tried by the schema load.
  std::string trimmed = Trimmed(tableName);
  if (IsPlausibleDbid(trimmed)) {
    tableId = trimmed;
    return kMsgSuccess;
  }
  return RecordTableFailure(record, kMsgQuickBaseTableNotFound, tableName);
}
