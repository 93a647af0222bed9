// The dialect's keyword table and the context words that may stand inside
// an unquoted name; read by the tokenizer and the parsers' keyword tests.
#pragma once

#include <cstddef>
#include <string_view>

inline constexpr std::size_t kSqlKeywordCount = 57;

// The keyword texts in table order, ended by a null entry.
extern const char* const SqlKeywordTable[kSqlKeywordCount + 1];

// True when word is a keyword of the table, compared folding A-Z only.
bool IsKeywordText(std::string_view word);

// 5 (keyword) when word is in the keyword table, else 4 (identifier).
unsigned IsReservedWord(std::string_view word);

// ADD, ALTER, REFERENCES, BY, PRIMARY, FOREIGN, CONSTRAINT, KEY, INTO, TOP,
// USER, and ON when onInNames: keywords that QuickBase field and table names
// often contain, so they don't end a name with blanks.
bool IsContextWord(std::string_view word, bool onInNames);
