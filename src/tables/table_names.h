// Turning a table name of SQL into the service's table id: "Application:
// Table" (blanks around the colon ignored), a dbid, or a bare table name
// that is unique among the granted tables. Called by OpenTable and by the
// flush commands of the settings pseudo-table.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/message_ids.h"
#include "qbapi/api_operations.h"

struct ConnectionRecord;

inline constexpr const char* kSettingsTableName = "TARVOX CONNECTION CONFIG";
inline constexpr const char* kIdentityTableName = "@@identity";

// "Sales : Orders" and "sales:orders" give the same key.
std::string TableNameKey(std::string_view name);
// The table id of a name in the granted list; empty when none or several match.
std::string FindGrantedTableId(const std::vector<GrantedDatabase>& granted, std::string_view name);
// The application part of a granted table's name ("Sales" of "Sales: Orders").
std::string ApplicationPart(std::string_view grantedName);
std::string TablePart(std::string_view grantedName);

// Resolves through the granted list (loaded once, reloaded once when the
// name is missing), then as a dbid. 0, 1043 (recorded) or 999 (posted).
MessageId ResolveTableId(ConnectionRecord& record, const std::string& tableName, std::string& tableId);
// Loads the granted tables into the client's cache.
MessageId LoadGrantedTables(ConnectionRecord& record);
