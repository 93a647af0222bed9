// Date, time and timestamp texts: the fixed forms written into sort records
// and character results, and the literal parser behind the {d}, {t} and {ts}
// escapes, character-to-date conversions and the date scalar functions.
#pragma once

#include <sqltypes.h>

#include "common/message_ids.h"

// Writes "yyyy-mm-dd" into a buffer of 11 bytes (NUL included).
void FormatDateText(const SQL_DATE_STRUCT& date, char* buffer);
// Writes "hh:mm:ss" into a buffer of 9 bytes.
void FormatTimeText(const SQL_TIME_STRUCT& time, char* buffer);
// Writes "yyyy-mm-dd hh:mm:ss.fff" (milliseconds) into a buffer of 24 bytes.
void FormatTimestampText(const SQL_TIMESTAMP_STRUCT& timestamp, char* buffer);

// Each parser accepts its bare form, the short escape ({d '...'}, {t '...'},
// {ts '...'}) and the long vendor form
// --(*vendor(Microsoft),product(ODBC) d '...' *)-- ; keywords fold A-Z and
// blanks may stand around every token and the whole text. length may be
// SQL_NTS. 0 with the value stored, else 1009 and out untouched.
//
// Date: yyyy-m[m]-d[d], years 1..9999, the day checked against the month by
// the Gregorian leap rule; the all-zero date 0000-00-00 is accepted.
MessageId ParseDateLiteral(const char* text, SQLLEN length, SQL_DATE_STRUCT& out);
// Time: h[h]:m[m]:s[s] within 00:00:00..23:59:59.
MessageId ParseTimeLiteral(const char* text, SQLLEN length, SQL_TIME_STRUCT& out);
// Timestamp: a date as above, blanks, a time as above, then optionally "."
// and 1 to 9 fraction digits (nanoseconds, right-padded). A date alone is
// refused.
MessageId ParseTimestampLiteral(const char* text, SQLLEN length, SQL_TIMESTAMP_STRUCT& out);

// Calendar checks shared with the epoch conversions.
bool IsLeapYear(int year);
unsigned DaysInMonth(int year, unsigned month);
// True for a real date of years 1..9999, or the all-zero date when allowed.
bool IsValidDate(int year, unsigned month, unsigned day, bool zeroAllowed);
bool IsValidTimeOfDay(unsigned hour, unsigned minute, unsigned second);
