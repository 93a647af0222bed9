// Whether a query's pages advance: in record-id order the ids rise strictly
// from record to record across pages, and under a service sort a record
// already returned is dropped (another user's edit may move a row onto the
// next page). A server that repeats its pages or sends more than asked
// ends the read with 08S01 instead of returning rows twice or without end.
// Called by table_select.cc as each page arrives.
#pragma once

#include <cstdint>
#include <string>

#include "common/message_ids.h"
#include "connection/table_caches.h"
#include "handles/api_call_record.h"

enum class PageVerdict : std::uint8_t { kNew, kReturned, kOutOfOrder };

// The order a query's record ids keep, from its sort fields and orders.
PageOrder PageOrderOf(const std::string& sortFields, const std::string& sortOrders);
// Whether the record is new to the query, advancing the order past it.
PageVerdict AdmitRecordId(PageOrder& order, std::uint32_t recordId);

// 999 with the reason on the call record: a page of more records than asked
// for; a record id out of record-id order (after the one before it); a full
// page with no record not returned before.
MessageId RecordLongPage(ApiCallRecord& call, std::size_t records, std::int64_t asked);
MessageId RecordIdOutOfOrder(ApiCallRecord& call, std::uint32_t recordId, std::uint32_t before);
MessageId RecordPageWithoutNewRecords(ApiCallRecord& call);
