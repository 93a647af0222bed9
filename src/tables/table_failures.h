// Recording a table-access failure on the connection record, where
// GetConnectionErrorText finds it; every table-access operation reports
// through here before it returns the failure's id.
#pragma once

#include <string>

#include "common/message_ids.h"

struct ConnectionRecord;
struct ApiCallRecord;

// A failed service call (999): posted on the connection and its current statement.
MessageId PostTableServiceFailure(ConnectionRecord& record, const ApiCallRecord& call);
// A failure of the driver's own: the id and its rendered text with detail.
MessageId RecordTableFailure(ConnectionRecord& record, MessageId id, const std::string& detail);
