// The record fields of application descriptors (the ARD and APD, implicit
// or allocated): what SQLBindCol, SQLBindParameter and SQLSetDescField put
// there, read and written by field identifier.
#pragma once

#include <sql.h>

#include "common/message_ids.h"
#include "handles/descriptor_handle.h"
#include "odbc/descriptor_values.h"

// 0, or 1083 for an identifier that is no record field.
MessageId AnswerApplicationField(const DescriptorRecord& record, SQLSMALLINT field, DescriptorValue& answer);

// Sets one record field; integer values arrive in value itself. Date-time
// C types are kept in the form of the connection's ODBC version. 0, or 1083.
MessageId SetApplicationField(const ConnectionHandle& connection, DescriptorRecord& record, SQLSMALLINT field,
                              SQLPOINTER value);
