// The order of a query's record ids across its pages.
#include "tables/page_order.h"

#include "qbapi/http_transport.h"

namespace {

inline constexpr const char* kRecordIdField = "3";

MessageId RecordPagingFailure(ApiCallRecord& call, const char* text, const std::string& detail) {
  return RecordTransportFailure(call, ApiFailureOrigin::kHttp, "-1", text, detail);
}

}  // namespace

PageOrder PageOrderOf(const std::string& sortFields, const std::string& sortOrders) {
  PageOrder order;
  if (sortFields.substr(0, sortFields.find('.')) != kRecordIdField) order.kind = PageOrder::Kind::kOtherSort;
  else if (!sortOrders.empty() && sortOrders[0] == 'D') order.kind = PageOrder::Kind::kDescendingIds;
  return order;
}

PageVerdict AdmitRecordId(PageOrder& order, std::uint32_t recordId) {
  switch (order.kind) {
    case PageOrder::Kind::kAscendingIds:
      if (order.started && recordId <= order.boundary) return PageVerdict::kOutOfOrder;
      break;
    case PageOrder::Kind::kDescendingIds:
      if (order.started && recordId >= order.boundary) return PageVerdict::kReturned;
      break;
    case PageOrder::Kind::kOtherSort:
      if (!order.returned.insert(recordId).second) return PageVerdict::kReturned;
      break;
  }
  order.started = true;
  order.boundary = recordId;
  return PageVerdict::kNew;
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

MessageId RecordPageWithoutNewRecords(ApiCallRecord& call) {
  return RecordPagingFailure(call, "Paging does not advance:", "a full page of records already returned");
}
