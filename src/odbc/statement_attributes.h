// Statement options and attributes: the cores of SQLSetStmtAttr,
// SQLGetStmtAttr, SQLSetStmtOption, SQLGetStmtOption and SQLSetScrollOptions.
// The connection attribute functions reuse the cursor-type, concurrency and
// default-only rules.
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <cstdint>

#include "common/message_ids.h"

struct StatementHandle;

// Cursor types as the statement keeps them; applications see
// SQL_CURSOR_FORWARD_ONLY and SQL_CURSOR_STATIC.
inline constexpr std::uint16_t kCursorForwardOnly = 0;
inline constexpr std::uint16_t kCursorStatic = 1;

// An application's value for a cursor type or concurrency, and what is kept.
struct OptionChoice {
  std::uint16_t stored = 0;
  bool substituted = false;  // the value was replaced: 1069
};

// 0 for an option left at its default of 0, otherwise the given id.
MessageId AcceptOnlyZero(SQLULEN value, MessageId otherwise);
// Forward-only and static are kept; keyset-driven, dynamic and anything else
// become static.
OptionChoice ChooseCursorType(SQLULEN value);
// Read-only and lock are kept; every other concurrency becomes lock.
OptionChoice ChooseConcurrency(SQLULEN value);
// 0, or 1082 for a value SQL_RETRIEVE_DATA or SQL_USE_BOOKMARKS doesn't define.
MessageId CheckRetrieveData(SQLULEN value);
MessageId CheckUseBookmarks(SQLULEN value);
// The SQL_CURSOR_* value answered for a kept cursor type.
SQLULEN OdbcCursorType(std::uint16_t cursorType);

// ODBC 2 statement options (SQL_QUERY_TIMEOUT .. SQL_ROW_NUMBER). 1069 when a
// value was replaced or not kept; 1007 for a cursor change under an open
// result; 1077, 1082 or 1010 when refused.
MessageId SetStatementOption(StatementHandle& statement, SQLUSMALLINT option, SQLULEN value);
MessageId GetStatementOption(const StatementHandle& statement, SQLUSMALLINT option, SQLULEN& out);

// Writes an option's answer at the width ODBC 2 gives it on this platform:
// SQLULEN for the keyset size, maximum length, maximum rows and rowset size,
// 32 bits for every other option. Nothing when value is null.
void WriteStatementOption(SQLUSMALLINT option, SQLULEN answer, SQLPOINTER value);

// Integer attributes arrive in value itself, pointers as value.
MessageId SetStatementAttribute(StatementHandle& statement, SQLINTEGER attribute, SQLPOINTER value);
// Writes the answer to value (when not null) at the width ODBC gives the
// attribute: a pointer, an SQLUINTEGER (the cursor's scrollability and
// sensitivity, the automatic IPD, the metadata-id flag and the ODBC 2
// bookmark) or an SQLULEN; reports SQL_IS_POINTER or SQL_IS_UINTEGER
// through stringLength.
MessageId GetStatementAttribute(StatementHandle& statement, SQLINTEGER attribute, SQLPOINTER value,
                                SQLINTEGER bufferLength, SQLINTEGER* stringLength);

// Concurrency, cursor type (or keyset size) and rowset size in one call. A
// refusal ends it at once; otherwise the last 1069 stays as the answer.
MessageId SetScrollOptions(StatementHandle& statement, SQLUSMALLINT concurrency, SQLLEN keysetSize,
                           SQLUSMALLINT rowsetSize);
