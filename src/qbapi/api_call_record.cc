// Construction of the per-request status record.
#include "qbapi/api_call_record.h"

void InitApiCallRecord(ApiCallRecord& record) { record = ApiCallRecord{}; }
