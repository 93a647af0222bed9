// Where a query's next page starts and whether its pages advance. In
// record-id order (the only order a query is paged in) each page after the
// first asks for the records beyond the last one read, never for an offset:
// another user's deletion or change behind the read then neither skips nor
// repeats a record. A server that sends a record id not beyond the last one,
// or more records than asked, ends the read with 08S01 instead of returning
// rows twice or without end. Called by table_select.cc as each page is asked
// for and arrives.
#pragma once

#include <cstdint>
#include <string>

#include "common/message_ids.h"
#include "connection/table_caches.h"
#include "handles/api_call_record.h"

// The order of a query whose sort orders these are (its sort leads with the
// record id).
PageOrder PageOrderOf(const std::string& sortOrders);
// Whether the record id lies beyond the last one read; advances past it
// when it does.
bool AdvancePastRecordId(PageOrder& order, std::uint32_t recordId);
// The query of the page after the last record read: the query's own
// criteria, in parentheses, AND the record ids beyond it.
std::string ContinuationQuery(const std::string& criteria, const PageOrder& order);

// 999 with the reason on the call record: a page of more records than asked
// for; a record id not beyond the one read before it.
MessageId RecordLongPage(ApiCallRecord& call, std::size_t records, std::int64_t asked);
MessageId RecordIdOutOfOrder(ApiCallRecord& call, std::uint32_t recordId, std::uint32_t before);
