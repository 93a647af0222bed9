// Application values (parameters, SQLPutData pieces, positioned-update
// columns) into node values; called by execution, SQLPutData, SQLSetPos and
// SQLBulkOperations.
#pragma once

#include <sqltypes.h>

#include "common/message_ids.h"
#include "common/value_cell.h"

struct StatementHandle;

// Stores one application value into target by target.valueType (character,
// numeric and binary values into target.bytes). lengthOrIndicator
// SQL_NULL_DATA sets the null flag. SQL_C_DEFAULT follows target.sqlType, and
// the signless integer C types are signed (the type table lists no unsigned
// integer type). Under column-wise binding (statement's bindType 0, or no
// statement) row parameterRow's element lies parameterRow elements after data:
// bufferLength bytes apart for character, wide and binary data, the C type's
// size apart for fixed-size types. With pieceOffset, a value after the first
// piece (*pieceOffset > 0) is appended to a character or binary target and
// *pieceOffset becomes the stored length; other targets take one piece only.
// SQL_C_WCHAR is UTF-16LE, stored as UTF-8. Character and binary values are
// stored whole whatever target.size says; a positive size limits numeric
// values in digits (target.digits the scale). Binary data for a fixed-size
// target holds that target's C value; a time of day becomes a timestamp on
// today's date (LocalDateToday).
// 0; 1002 fraction digits dropped; 1003 an unsupported C type or target;
// 1009 a pair of types ODBC lists no conversion for, a bad length, null
// data, text that is not UTF-16, a second piece where one is allowed; 1011 a number beyond the target's range (a bit below 0 or from 2)
// or binary data of another length; 1012 text that is not a number, or not
// the date, time or timestamp its target needs; 1099 a bit's fraction; 1100 a
// date or time structure that holds none; 1101 a time or fraction that a
// date or time target would drop.
MessageId ConvertCValueToNodeValue(StatementHandle* statement, ValueCell& target, SQLLEN* pieceOffset,
                                   SQLSMALLINT cType, const void* data, SQLLEN lengthOrIndicator,
                                   SQLULEN parameterRow, SQLLEN bufferLength);
