// Recording a table-access failure on the connection record, where
// GetConnectionErrorText finds it; every table-access operation reports
// through here before it returns the failure's id.
#pragma once

#include <cstddef>
#include <string>

#include "common/message_ids.h"

struct ConnectionRecord;
struct ApiCallRecord;

// A failed service call (999): posted on the connection and its current statement.
MessageId PostTableServiceFailure(ConnectionRecord& record, const ApiCallRecord& call);
// A failed write request. When the service may have acted on it (the request
// went out whole and no verdict came back), 1096 naming the table and how
// many rows' fate is unknown; otherwise the failure posted as above.
MessageId PostWriteFailure(ConnectionRecord& record, const ApiCallRecord& call, const std::string& tableName,
                           std::size_t rows, const char* done);
// A failure of the driver's own: the id and its rendered text with detail.
MessageId RecordTableFailure(ConnectionRecord& record, MessageId id, const std::string& detail);
