// SQL LIKE matching for the evaluator's LIKE predicates and the catalog
// functions' name patterns.
#pragma once

#include <sqltypes.h>

// "%" any run, "_" one UTF-8 character; escape makes the next pattern
// character literal (the value 1 stands for the backslash, 0 means none; an
// escape ending the pattern stands for itself); trailing blanks of text and
// pattern, escaped ones included, are ignored; lengths may be SQL_NTS, a null
// pointer is the empty text. Without caseSensitive, bytes that differ are
// compared again folded A-Z only. Time grows with text times pattern length.
bool MatchLikePattern(char escape, const char* text, SQLLEN textLength, const char* pattern,
                      SQLLEN patternLength, bool caseSensitive);
