// SQLGetDescField and SQLSetDescField: one field of a descriptor's header
// or of one of its records. Application descriptors keep their records;
// the implementation descriptors answer from their statement: the IRD from
// the result's columns, the IPD from the prepared parameter markers.
#pragma once

#include <sql.h>

struct DescriptorHandle;

// Writes the field at the width ODBC gives it. SQL_NO_DATA (with 1087) for
// an application record beyond the highest bound one; errors of the
// statement behind an IRD or IPD land on the descriptor, and the
// statement's own diagnostic stays as it was.
SQLRETURN GetDescriptorField(DescriptorHandle& descriptor, SQLSMALLINT recordNumber, SQLSMALLINT field,
                             SQLPOINTER value, SQLINTEGER bufferLength, SQLINTEGER* stringLength);

// Integer values arrive in value itself. An application record is made when
// missing; the IPD's types come from prepare, so its record fields are
// accepted and ignored; the IRD takes only its status and rows-processed
// pointers (1080 otherwise). 1069 for an array size the descriptor can't
// keep.
SQLRETURN SetDescriptorField(DescriptorHandle& descriptor, SQLSMALLINT recordNumber, SQLSMALLINT field,
                             SQLPOINTER value, SQLINTEGER bufferLength);
