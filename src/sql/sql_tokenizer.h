// The SQL tokenizer: one token at a time from the statement text into the
// parser's token buffer; used by the expect helpers and every parser rule.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/message_ids.h"

struct StatementHandle;

// SqlTokenKind
inline constexpr unsigned kTokenEnd = 0;
inline constexpr unsigned kTokenSymbol = 1;
inline constexpr unsigned kTokenNumber = 2;
inline constexpr unsigned kTokenString = 3;
inline constexpr unsigned kTokenIdentifier = 4;
inline constexpr unsigned kTokenKeyword = 5;
using SqlTokenKind = unsigned;

// The longest token, string literal or quoted name the parser accepts.
inline constexpr std::size_t kMaxTokenBytes = 65535;
// Room of the one token buffer a parse uses.
inline constexpr std::size_t kTokenBufferBytes = 65536;

// The next character to read and how many remain. Parsers copy it to save a
// position and assign it back to restore one.
struct SqlCursor {
  const char* text = nullptr;
  std::size_t remaining = 0;
};

// True when nothing but the end of the text (or a NUL) is left at c.
inline bool AtTextEnd(SqlCursor c) { return c.remaining == 0 || *c.text == '\0'; }
SqlCursor SkipBlanks(SqlCursor c);

// Length of the symbol that starts exactly at c ("--", "<=", "<>" and ">="
// are 2, the others 1), or 0 when c does not start a symbol.
std::size_t SymbolLength(SqlCursor c);

// Reads one token from `from` into token and sets kind and next (just past
// the token). blankNames lets an unquoted name go on over blanks;
// onInNames lets ON stand inside such a name. 0, 1013, 1014 or 1016; a
// failure writes its argument into the statement's detail text.
MessageId NextSqlToken(StatementHandle& statement, SqlCursor from, std::string& token, SqlTokenKind& kind,
                       SqlCursor& next, bool blankNames, bool onInNames);

// Asked where a name with blanks might end: true when the last word of name
// is a keyword that is not a context word, with cut set to the blank before
// that word (the word is then read again as the next token).
bool IsNameBoundary(std::string_view name, bool onInNames, std::size_t& cut);

// Reads one ODBC escape clause ("{...}" or "--...--") as a single element
// into token, advancing the cursor past it. 0, 1013, 1014 or 1015.
MessageId ParseEscapeSequence(StatementHandle& statement, SqlCursor& cursor, std::string& token);

// Up to 24 characters of the text at c, for the "near: " part of messages;
// never splits a UTF-8 sequence and stops at a NUL.
std::string NearText(SqlCursor c);
