// SQL LIKE matching for local evaluation and catalog patterns.
#pragma once

#include <sqltypes.h>

// "%" any run, "_" one (UTF-8) character; escape makes the next pattern
// character literal (the value 1 stands for the backslash); trailing blanks
// of text and pattern are ignored; lengths may be SQL_NTS. Without
// caseSensitive, characters that differ are compared again folded A-Z.
bool MatchLikePattern(char escape, const char* text, SQLLEN textLength, const char* pattern,
                      SQLLEN patternLength, bool caseSensitive);
