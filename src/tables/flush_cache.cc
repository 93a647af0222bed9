// The settings pseudo-table's flush commands, and taking a statement's table
// cursor back, which runs any command still left in the settings.
#include "tables/flush_cache.h"

#include "connection/quickbase_client.h"
#include "handles/connection_record.h"
#include "handles/handles.h"
#include "tables/table_cursor.h"
#include "tables/table_names.h"
#include "tables/table_schema.h"
#include "tables/write_flush.h"

namespace {

constexpr const char* kFlushCacheKey = "FLUSH_THIS_DBID_CACHE_TO_QUICKBASE";
constexpr const char* kFlushSchemaKey = "FLUSH_THIS_DBID_SCHEMA";

// A command names its table by dbid or by name; names are looked up only
// among the tables already listed, so the command itself sends nothing else.
std::string CommandTableId(const ConnectionRecord& record, const std::string& value) {
  const TableAccessCaches& caches = record.client->caches;
  if (caches.writes.tables.count(value) != 0 || caches.schemas.count(value) != 0) return value;
  std::string tableId = FindGrantedTableId(caches.grantedTables, value);
  return tableId.empty() ? value : tableId;
}

// Reads and removes a command key; false when it is absent.
bool TakeCommand(SettingsMap& settings, const char* key, std::string& value) {
  auto found = settings.find(key);
  if (found == settings.end()) return false;
  value = found->second;
  settings.erase(found);
  return true;
}

}  // namespace

MessageId RunFlushCommands(ConnectionRecord& record) {
  if (record.connection == nullptr) return kMsgSuccess;
  SettingsMap& settings = record.connection->settings;
  std::string value;
  MessageId id = kMsgSuccess;
  if (TakeCommand(settings, kFlushCacheKey, value)) id = FlushTableBatches(record, CommandTableId(record, value));
  if (TakeCommand(settings, kFlushSchemaKey, value)) DropTableSchema(*record.client, CommandTableId(record, value));
  return id;
}

MessageId ApplyFlushCacheCommand(TableCursor* cursor) {
  if (cursor == nullptr) return kMsgSuccess;
  MessageId id = cursor->connection == nullptr ? kMsgSuccess : RunFlushCommands(*cursor->connection);
  delete cursor;
  return id;
}
