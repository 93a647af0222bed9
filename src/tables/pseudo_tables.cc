// The connection-settings and identity pseudo-tables: their columns, rows,
// values and the writes that change the settings map.
#include "tables/pseudo_tables.h"

#include <cstring>

#include "common/sql_to_c.h"
#include "common/url_credentials.h"
#include "handles/connection_record.h"
#include "handles/handles.h"
#include "platform/text_fold.h"
#include "tables/flush_cache.h"
#include "tables/table_names.h"

namespace {

ColumnDescriptor PseudoColumn(const char* name, std::int16_t sqlType, std::int32_t size, std::uint32_t fid) {
  ColumnDescriptor column;
  column.name = name;
  column.sqlType = sqlType;
  column.columnSize = size;
  column.fieldId = fid;
  column.fieldIdText = std::to_string(fid);
  return column;
}

SettingsMap* SettingsOf(TableCursor& cursor) {
  if (cursor.connection == nullptr || cursor.connection->connection == nullptr) return nullptr;
  return &cursor.connection->connection->settings;
}

// Credentials never leave the driver through a query: neither the secret
// keys nor the password of a server or proxy URL, which may come from
// odbc.ini rather than the application.
bool IsHiddenSetting(const std::string& key) { return key == "PWD" || key == "APPTOKEN"; }

std::string ShownSettingValue(const std::string& key, const std::string& value) {
  return IsUrlSettingKey(key) ? MaskUrlPassword(value) : value;
}

std::int64_t PseudoRowCount(const TableCursor& cursor) {
  if (cursor.pseudoTable == PseudoTable::kIdentity) return 1;
  return static_cast<std::int64_t>(cursor.settingsKeys.size());
}

const std::string& PendingValue(const TableCursor& cursor, const char* fid) {
  static const std::string empty;
  auto it = cursor.pending.values.find(fid);
  return it == cursor.pending.values.end() ? empty : it->second;
}

bool IsPendingValueSet(const TableCursor& cursor, const char* fid) { return cursor.pending.values.count(fid) != 0; }

const std::string& CurrentSettingKey(const TableCursor& cursor) {
  return cursor.settingsKeys[static_cast<std::size_t>(cursor.pseudoRow)];
}

// A value read masked and written back (a grid saving every column, "SET
// qVALUE = qVALUE") never replaces the password the driver did not show.
void StoreSetting(SettingsMap& settings, const std::string& key, std::string value) {
  auto found = settings.find(key);
  if (found != settings.end() && value != found->second && value == ShownSettingValue(key, found->second)) return;
  settings[key] = std::move(value);
}

}  // namespace

PseudoTable PseudoTableOfName(const std::string& tableName) {
  if (EqualFoldedAZ(tableName, kSettingsTableName)) return PseudoTable::kSettings;
  if (EqualFoldedAZ(tableName, kIdentityTableName)) return PseudoTable::kIdentity;
  return PseudoTable::kNone;
}

void OpenPseudoTable(PseudoTable kind, TableCursor& cursor) {
  cursor.pseudoTable = kind;
  if (kind == PseudoTable::kIdentity) {
    ColumnDescriptor identity = PseudoColumn("IDENTITY", SQL_INTEGER, 10, 3);
    identity.updatable = SQL_ATTR_READONLY;
    cursor.columns.push_back(identity);
    cursor.tableName = kIdentityTableName;
    return;
  }
  cursor.columns.push_back(PseudoColumn("qPARAMETER", SQL_VARCHAR, 254, 1));
  cursor.columns.push_back(PseudoColumn("qVALUE", SQL_VARCHAR, 254, 2));
  cursor.columns[0].keyPosition = 1;
  cursor.keyName = "qPARAMETER";
  cursor.tableName = kSettingsTableName;
}

MessageId StartPseudoSelect(TableCursor& cursor) {
  cursor.pseudoRow = -1;
  cursor.settingsKeys.clear();
  if (cursor.pseudoTable != PseudoTable::kSettings) return kMsgSuccess;
  if (SettingsMap* settings = SettingsOf(cursor))
    for (const auto& entry : *settings)
      if (!IsHiddenSetting(entry.first)) cursor.settingsKeys.push_back(entry.first);
  return kMsgSuccess;
}

bool OnPseudoRow(const TableCursor& cursor) {
  return cursor.pseudoRow >= 0 && cursor.pseudoRow < PseudoRowCount(cursor);
}

MessageId FetchNextPseudoRow(TableCursor& cursor) {
  if (cursor.pseudoRow + 1 >= PseudoRowCount(cursor)) {
    cursor.pseudoRow = PseudoRowCount(cursor);
    return kMsgNoMoreRows;
  }
  ++cursor.pseudoRow;
  cursor.recordId = static_cast<std::uint32_t>(cursor.pseudoRow + 1);
  return kMsgSuccess;
}

MessageId PositionOnPseudoRow(TableCursor& cursor, std::uint32_t recordId) {
  if (recordId < 1 || recordId > PseudoRowCount(cursor)) return kMsgInvalidCursorPosition;
  cursor.pseudoRow = recordId - 1;
  cursor.recordId = recordId;
  return kMsgSuccess;
}

MessageId GetPseudoColumnData(TableCursor& cursor, std::uint16_t column, SQLLEN* pieceOffset,
                              SQLSMALLINT cType, void* target, SQLLEN targetLength, SQLLEN* outLength) {
  if (column >= cursor.columns.size()) return kMsgInvalidColumnId;
  if (!OnPseudoRow(cursor)) return kMsgInvalidCursorState;
  if (cursor.pseudoTable == PseudoTable::kIdentity) {
    std::int32_t identity = static_cast<std::int32_t>(cursor.connection->lastImportRecordId);
    return ConvertSqlValueToCType(SQL_INTEGER, false, &identity, sizeof identity, pieceOffset, cType, target,
                                  targetLength, outLength);
  }
  const std::string& key = CurrentSettingKey(cursor);
  std::string value = key;
  if (column == 1) {
    SettingsMap* settings = SettingsOf(cursor);
    value = settings == nullptr ? std::string() : ShownSettingValue(key, LookupSetting(*settings, key));
  }
  return ConvertSqlValueToCType(SQL_VARCHAR, false, value.data(), static_cast<SQLLEN>(value.size()), pieceOffset,
                                cType, target, targetLength, outLength);
}

MessageId WritePseudoRow(TableCursor& cursor) {
  SettingsMap* settings = SettingsOf(cursor);
  if (cursor.pseudoTable != PseudoTable::kSettings || settings == nullptr) return kMsgCursorReadOnly;
  const bool update = !cursor.pending.isInsert && OnPseudoRow(cursor);
  const std::string rowKey = update ? CurrentSettingKey(cursor) : std::string();
  std::string key = UpperCopyAZ(PendingValue(cursor, "1"));
  if (key.empty()) key = rowKey;
  if (key.empty()) return kMsgAssignmentError;
  // An UPDATE that sets only the key keeps the value; one that renames the
  // key moves it.
  std::string value = update && !IsPendingValueSet(cursor, "2") ? LookupSetting(*settings, rowKey)
                                                                 : PendingValue(cursor, "2");
  cursor.pending = RowUnderConstruction{};
  if (update && key != rowKey) settings->erase(rowKey);
  StoreSetting(*settings, key, std::move(value));
  // A command runs as its row is written, so that the statement writing it
  // hears of its failure. A table with nothing pending has nothing to lose.
  const MessageId id = RunFlushCommands(*cursor.connection);
  return id == kMsgCacheNotFound ? kMsgSuccess : id;
}

MessageId DeletePseudoRow(TableCursor& cursor) {
  SettingsMap* settings = SettingsOf(cursor);
  if (cursor.pending.active) {
    cursor.pending = RowUnderConstruction{};
    return kMsgSuccess;
  }
  if (cursor.pseudoTable != PseudoTable::kSettings || settings == nullptr) return kMsgCursorReadOnly;
  if (!OnPseudoRow(cursor)) return kMsgInvalidCursorPosition;
  settings->erase(CurrentSettingKey(cursor));
  return kMsgSuccess;
}
