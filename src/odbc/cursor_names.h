// Cursor names: unique within a connection, compared without case, set by
// the application or generated as SQL_CUR_n. The cores of SQLSetCursorName
// and SQLGetCursorName; prepare names every SELECT that has no name yet.
#pragma once

#include <sql.h>

#include <cstddef>

#include "common/message_ids.h"

struct StatementHandle;

inline constexpr std::size_t kMaxCursorNameLength = 18;

// Stores the name (1 to 18 bytes, SQL_NTS for a C string) as the statement's
// cursor name; 1004 for a length outside that range, 1005 when another
// statement of the connection already has the name in any case.
MessageId SetCursorName(StatementHandle& statement, const SQLCHAR* name, SQLSMALLINT length);

// Gives the statement the name SQL_CUR_n with the smallest n that no other
// statement of its connection uses.
void GenerateCursorName(StatementHandle& statement);

// The statement's cursor name, generated first when it has none, copied as
// SQLGetCursorName does (1002 when cut).
MessageId GetCursorName(StatementHandle& statement, SQLCHAR* buffer, SQLSMALLINT bufferLength,
                        SQLSMALLINT* nameLength);
