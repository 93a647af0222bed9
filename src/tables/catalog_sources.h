// Where catalog rows come from: the granted databases (applications or
// tables) as a statement's pending catalog request, relationships between
// two tables, and a table's application name. Called by the catalog
// functions and catalog fetches.
#pragma once

#include <string>

#include "common/message_ids.h"

struct CatalogRowWork;
struct CatalogTableList;
struct QuickBaseClient;
struct StatementHandle;

// A LIKE pattern of the catalog functions (a backslash escapes, A-Z fold); the
// empty pattern matches every name.
bool MatchesCatalogPattern(const std::string& name, const std::string& pattern);
// Lists the applications (catalog sub-mode 6) or the tables the user may
// see and leaves the list as the statement's pending catalog request.
// 0; on a service failure the posted id.
MessageId FetchGrantedDatabases(StatementHandle& statement, const std::string& tablePattern);
// 0 with the next entry that matches both patterns (application name as
// catalog, table name); 1 at the end of the list.
MessageId NextCatalogTableRow(CatalogTableList& request, std::string& catalogName, std::string& tableName,
                              const std::string& catalogPattern);
// Fills the work record with the column pairs by which the foreign-key table
// refers to the primary-key table: 0 when there is at least one, 1 when
// none. Sets the statement's catalog name to the primary-key application and
// foreignKeyCatalogName to the foreign-key application (a bare table name
// counts as its granted table's); without CROSSAPP both must be the same.
MessageId BuildForeignKeyRow(StatementHandle& statement, const std::string& primaryTable,
                             const std::string& foreignTable, CatalogRowWork& work);
// The name of the application that holds the table (empty when unknown).
std::string GetTableApplicationName(QuickBaseClient& client, std::string& name, const std::string& tableId);
