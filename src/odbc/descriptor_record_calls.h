// SQLGetDescRec and SQLSetDescRec: several fields of one record in one call,
// each through the single-field cores.
#pragma once

#include <sql.h>

struct DescriptorHandle;

// Reads the nullability, scale, precision, octet length, subtype and type
// (each only where its pointer is given), then the name when a name buffer
// or name length is given. The first answer that is not SQL_SUCCESS ends
// the call.
SQLRETURN GetDescriptorRecord(DescriptorHandle& descriptor, SQLSMALLINT recordNumber, SQLCHAR* name,
                              SQLSMALLINT bufferLength, SQLSMALLINT* nameLength, SQLSMALLINT* type,
                              SQLSMALLINT* subType, SQLLEN* length, SQLSMALLINT* precision, SQLSMALLINT* scale,
                              SQLSMALLINT* nullable);

// Sets the type, subtype, octet length, precision, scale, data pointer,
// octet-length pointer and indicator pointer in that order. An error ends
// the call; a warning of any step is the call's warning.
SQLRETURN SetDescriptorRecord(DescriptorHandle& descriptor, SQLSMALLINT recordNumber, SQLSMALLINT type,
                              SQLSMALLINT subType, SQLLEN length, SQLSMALLINT precision, SQLSMALLINT scale,
                              SQLPOINTER data, SQLLEN* stringLength, SQLLEN* indicator);
