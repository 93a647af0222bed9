// Fetching: moving a statement's cursor over a query result or a catalog
// result and filling the application's bound buffers, a rowset at a time.
// The cores of SQLFetch, SQLFetchScroll and SQLExtendedFetch.
#pragma once

#include <sql.h>

#include <cstdint>

struct StatementHandle;

// SQLFetch: the next rowset of SQL_ATTR_ROW_ARRAY_SIZE rows, reported
// through SQL_ATTR_ROWS_FETCHED_PTR and SQL_ATTR_ROW_STATUS_PTR.
SQLRETURN FetchRow(StatementHandle& statement);

// SQLFetchScroll: the rowset the orientation and offset name (a bookmark
// through SQL_ATTR_FETCH_BOOKMARK_PTR), reported as SQLFetch reports.
SQLRETURN FetchScroll(StatementHandle& statement, std::uint16_t orientation, std::int64_t offset);

// SQLExtendedFetch: a rowset of SQL_ROWSET_SIZE rows, reported through its
// own arguments, each only when given; for SQL_FETCH_BOOKMARK the offset is
// the bookmark. A row whose column can't be delivered is marked as an error
// and the rowset goes on.
SQLRETURN ExtendedFetch(StatementHandle& statement, std::uint16_t orientation, std::int64_t offset,
                        SQLULEN* rowCount, SQLUSMALLINT* rowStatus);
