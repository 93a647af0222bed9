// Moving texts across the ODBC boundary: string arguments in, buffers out.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <sqltypes.h>

#include "common/message_ids.h"

// Assigns an ODBC string argument (length or SQL_NTS); a null pointer gives "".
void AssignOdbcText(std::string& text, const SQLCHAR* pointer, SQLINTEGER length);

// The effective length of a string argument: 0 for a null pointer or a
// negative length, the C-string length for SQL_NTS, capped at maximum.
SQLINTEGER ClampOdbcLength(const SQLCHAR* pointer, SQLINTEGER length, SQLINTEGER maximum);

// Writes the text's full length through outLength when given; a null buffer
// receives nothing (0). When bufferLength is not above the text's length it
// copies what fits before a NUL, never splitting a UTF-8 sequence, and
// returns 1002; otherwise copies the whole text and returns 0.
MessageId CopyToOdbcBuffer16(SQLCHAR* buffer, SQLSMALLINT bufferLength, SQLSMALLINT* outLength,
                             std::string_view text);
MessageId CopyToOdbcBuffer32(SQLCHAR* buffer, SQLINTEGER bufferLength, SQLINTEGER* outLength,
                             std::string_view text);

char* CopyCString(char* destination, const char* source);
char* AppendCString(char* destination, const char* source);

std::string ToUpperCopy(std::string_view text);
std::string ToLowerCopy(std::string_view text);
