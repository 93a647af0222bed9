// Continuation paging in record-id order.
#include "tables/page_order.h"

#include "qbapi/http_transport.h"
#include "tables/table_cursor.h"

namespace {

MessageId RecordPagingFailure(ApiCallRecord& call, const char* text, const std::string& detail) {
  return RecordTransportFailure(call, ApiFailureOrigin::kHttp, "-1", text, detail);
}

}  // namespace

PageOrder PageOrderOf(const std::string& sortOrders) {
  PageOrder order;
  order.descending = !sortOrders.empty() && sortOrders[0] == 'D';
  return order;
}

bool AdvancePastRecordId(PageOrder& order, std::uint32_t recordId) {
  if (order.started && (order.descending ? recordId >= order.lastRecordId : recordId <= order.lastRecordId))
    return false;
  order.started = true;
  order.lastRecordId = recordId;
  return true;
}

std::string ContinuationQuery(const std::string& criteria, const PageOrder& order) {
  std::string beyond = "{" + std::to_string(kRecordIdFieldId) + ".";
  beyond += order.descending ? "LT" : "GT";
  beyond += ".'" + std::to_string(order.lastRecordId) + "'}";
  return criteria.empty() ? beyond : "(" + criteria + ")AND" + beyond;
}

MessageId RecordLongPage(ApiCallRecord& call, std::size_t records, std::int64_t asked) {
  return RecordPagingFailure(call, "Page longer than asked:",
                             std::to_string(records) + " records where " + std::to_string(asked) + " were asked for");
}

MessageId RecordIdOutOfOrder(ApiCallRecord& call, std::uint32_t recordId, std::uint32_t before) {
  return RecordPagingFailure(call, "Paging does not advance:",
                             "record " + std::to_string(recordId) + " came after record " + std::to_string(before) +
                                 " in record-id order");
}
