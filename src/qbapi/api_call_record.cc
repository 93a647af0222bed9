// Construction of the per-request status record and the recording of its texts.
#include "qbapi/api_call_record.h"

#include "common/diagnostics.h"

void InitApiCallRecord(ApiCallRecord& record) { record = ApiCallRecord{}; }

void SetCallTexts(ApiCallRecord& record, std::string text, std::string detail) {
  CutRecordedText(text);
  CutRecordedText(detail);
  record.errtext = std::move(text);
  record.errdetail = std::move(detail);
}
