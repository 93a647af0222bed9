// Moving texts across the ODBC boundary: string arguments in, buffers out.
// Called by the exported functions' cores (attributes, connection strings,
// diagnostics).
#pragma once

#include <sql.h>

#include <string>
#include <string_view>

#include "common/message_ids.h"

// True for a length an ODBC string argument may carry: SQL_NTS or not
// negative. Any other negative length is an application error (HY090).
inline bool IsStringLength(SQLINTEGER length) { return length >= 0 || length == SQL_NTS; }

// Assigns an ODBC string argument (length or SQL_NTS); a null pointer or
// another negative length gives "".
void AssignOdbcText(std::string& text, const SQLCHAR* pointer, SQLINTEGER length);

// The effective length of a string argument: 0 for a null pointer or a
// negative length, the C-string length for SQL_NTS, capped at maximum (a
// C string is never read past maximum bytes).
SQLINTEGER ClampOdbcLength(const SQLCHAR* pointer, SQLINTEGER length, SQLINTEGER maximum);

// Writes the text's full length in bytes through outLength when given (the
// type's largest value when the length does not fit it); a null buffer
// receives nothing (0). When bufferLength is not above the text's length it
// copies what fits before a NUL, never splitting a UTF-8 sequence (nothing
// when bufferLength is below 1), and returns 1002; otherwise copies the whole
// text and a NUL and returns 0.
MessageId CopyToOdbcBuffer16(SQLCHAR* buffer, SQLSMALLINT bufferLength, SQLSMALLINT* outLength,
                             std::string_view text);
MessageId CopyToOdbcBuffer32(SQLCHAR* buffer, SQLINTEGER bufferLength, SQLINTEGER* outLength,
                             std::string_view text);
