// What every catalog function shares: the refusal while a result is open,
// the drop of a prepared statement, the name arguments and the patterns made
// of them, and the state of a newly opened catalog result. Called by the
// catalog functions, SQLGetTypeInfo and the catalog rows.
#pragma once

#include <sql.h>

#include <cstdint>
#include <initializer_list>
#include <string>

#include "common/message_ids.h"

struct StatementHandle;

// Clears the diagnostic row count. 1007 while a result is open or data at
// execution is awaited, and nothing changes; otherwise drops what a prepare
// left (the catalog result replaces it, as a new SQL text would) and
// answers 0.
MessageId BeginCatalogCall(StatementHandle& statement);

// The statement becomes a catalog result of the kind and sub-mode,
// positioned before its first row.
void OpenCatalogResult(StatementHandle& statement, std::int32_t kind, std::int32_t subMode);

// A failed request for the catalog's rows: the statement is closed (idle,
// so the next catalog call on it works) and keeps the failure with the
// connection's text of it. SQL_ERROR.
SQLRETURN FailCatalogCall(StatementHandle& statement, MessageId id);

// A catalog table or relationship was read: where a commit deletes cursors,
// the statement now takes part in the open transaction.
void MarkCatalogRead(StatementHandle& statement);

// Opens the table as the statement's catalog cursor, or leaves none when it
// can't be opened: the failure is forgotten, since the table then simply
// has no rows.
void OpenCatalogTable(StatementHandle& statement, const std::string& tableName);

// True when every length is SQL_NTS or not negative; a catalog call refuses
// any other (1092) rather than read it as a missing name, which filters
// nothing.
bool AreNameLengths(std::initializer_list<SQLSMALLINT> lengths);

// A name argument (pointer, length or SQL_NTS) as a text of at most 127
// characters; a null pointer or a negative length gives the empty text.
std::string CatalogArgument(const SQLCHAR* name, SQLSMALLINT length);

// A backslash before every '_', '%' and '\' of the whole text, so that as a
// pattern it matches only the text itself.
std::string EscapeCatalogPattern(const std::string& text);

// The pattern of a table or column argument: the name as given, or escaped
// under SQL_ATTR_METADATA_ID, where names are literal; without a name "%",
// or the empty text under SQL_ATTR_METADATA_ID (both match every name).
std::string CatalogNamePattern(const StatementHandle& statement, const SQLCHAR* name, SQLSMALLINT length);

// The application filter of a catalog argument, set afresh by every call:
// none (the empty text) for a null pointer, else the argument as a pattern
// (escaped under SQL_ATTR_METADATA_ID).
std::string CatalogFilter(const StatementHandle& statement, const SQLCHAR* name, SQLSMALLINT length);
