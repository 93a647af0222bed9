// Upper and lower case of letters beyond A-Z (Latin, Greek, Cyrillic,
// Armenian and others), from tables of our own so the answers never depend on
// the process locale. Only UCASE, LCASE and SOUNDEX change case this way;
// comparisons fold A-Z only (text_fold.h).
#pragma once

#include <string>
#include <string_view>

// The simple (one-to-one) case mapping of a code point; a code point
// without one is answered unchanged.
char32_t UpperCaseOf(char32_t code);
char32_t LowerCaseOf(char32_t code);

// Every letter of a UTF-8 text mapped; bytes that are not UTF-8 are kept
// as they are. The character count never changes.
std::string UpperCaseUtf8(std::string_view text);
std::string LowerCaseUtf8(std::string_view text);
