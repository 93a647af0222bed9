// Building the per-request status record that callers of the API client own,
// and recording the texts of its failures.
#pragma once

#include <string>

#include "handles/api_call_record.h"

// Resets a record to its just-built state.
void InitApiCallRecord(ApiCallRecord& record);

// Records a failure's errtext and errdetail, each cut to the bound of a
// diagnostic's detail.
void SetCallTexts(ApiCallRecord& record, std::string text, std::string detail);
