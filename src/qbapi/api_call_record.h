// Building the per-request status record that callers of the API client own.
#pragma once

#include "handles/api_call_record.h"

// Resets a record to its just-built state.
void InitApiCallRecord(ApiCallRecord& record);
