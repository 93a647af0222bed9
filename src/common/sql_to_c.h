// SQL values into application (C type) buffers: column data for SQLFetch and
// SQLGetData, catalog rows and bookmarks; called by the data-retrieval and
// positioned-update layers.
#pragma once

#include <sqltypes.h>

#include <cstdint>

#include "common/message_ids.h"

// Converts one value to cType at target. The source's form follows sqlType:
//   CHAR, VARCHAR, LONGVARCHAR, WCHAR, WVARCHAR, WLONGVARCHAR: UTF-8 text;
//   NUMERIC, DECIMAL, BIGINT: decimal text;
//   BIT: 1 byte (0 or 1); TINYINT: 1 byte; SMALLINT: 16 bits; INTEGER: 32
//     bits, each unsigned when unsignedFlag is set, and a sourceLength of
//     1, 2, 4 or 8 gives the integer's width instead;
//   REAL: float; FLOAT, DOUBLE: double (a sourceLength of 4 means a float);
//   DATE, TIME, TIMESTAMP (ODBC 2 and 3 codes): the ODBC structs;
//   BINARY, VARBINARY, LONGVARBINARY: bytes.
// sourceLength is the byte count of text and bytes (or SQL_NTS); -1 (or a
// null source) is NULL: *outLength = -1 and nothing else happens.
// SQL_C_CHAR, SQL_C_WCHAR (UTF-16LE) and SQL_C_BINARY take the value in
// pieces from *pieceOffset (bytes of the delivered form), which advances by
// what was delivered; *outLength is the full length remaining from the
// offset. Character pieces end with a NUL (two bytes for wide) and never
// split a UTF-8 sequence or a surrogate pair. Numbers, dates and times reach
// character targets as their texts, binary values as upper-case hex; a
// fixed-size C type is delivered whole and *outLength is its size.
// Signless integer C types follow unsignedFlag; SQL_C_DEFAULT follows sqlType.
// A time of day reaches a timestamp on today's date (LocalDateToday).
// 0; 1002 a character or binary piece cut; 1098 fraction digits, or a
// timestamp's time or fraction, dropped into a fixed-size value (01S07);
// 1009 a pair of types ODBC lists no conversion for; 1010 an unknown C type;
// 1011 a value beyond the target's range (a bit below 0 or from 2) or a
// number whose whole digits do not fit a character buffer; 1012 text that is
// not a number, or not the date, time or timestamp its target needs; 1038
// when a piece offset shows the value was delivered completely before.
MessageId ConvertSqlValueToCType(SQLSMALLINT sqlType, bool unsignedFlag, const void* source, SQLLEN sourceLength,
                                 SQLLEN* pieceOffset, SQLSMALLINT cType, void* target, SQLLEN targetLength,
                                 SQLLEN* outLength);

// The outcomes after which the target holds the value: 0, 1002 (a string
// cut) and 1098 (a fraction, or a date's time, dropped into a C value).
inline bool IsDeliveredValue(MessageId id) {
  return id == kMsgSuccess || id == kMsgDataTruncated || id == kMsgFractionalTruncation;
}

// SQL_C_NUMERIC at an application descriptor's precision and scale, as ODBC
// defines it (ConvertSqlValueToCType keeps the value's own scale). Sources
// as above, binary ones refused (1009); a decimal or text source is read
// exactly. 0; 1098 when fraction digits beyond the scale were cut; 1011
// when the whole digits need more than precision - scale places; 1012 text
// that is no number. *outLength is the struct's size, or -1 for NULL.
MessageId ConvertSqlValueToNumeric(SQLSMALLINT sqlType, bool unsignedFlag, const void* source, SQLLEN sourceLength,
                                   std::int32_t precision, std::int32_t scale, void* target, SQLLEN* outLength);
