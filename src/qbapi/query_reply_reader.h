// Reading a structured API_DoQuery reply as expat produces it, straight into
// a flat page of records, without an element tree. ApiDoQuery and
// ApiDoQueryPage read their replies with it; table access reads the page.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/message_ids.h"
#include "qbapi/api_call_record.h"

// A stretch of QueryPage::text.
struct TextSpan {
  std::uint32_t offset = 0;
  std::uint32_t length = 0;
};

// One <f id="n"> of a record. A file field's text is its file name, with
// the download URL apart.
struct QueryPageCell {
  std::uint32_t fieldId = 0;
  TextSpan text;
  TextSpan url;
  bool hasUrl = false;
};

// One <record>: its rid and update_id attributes and its cells, which are
// cells[firstCell .. firstCell + cellCount) in reply order.
struct QueryPageRecord {
  TextSpan rid;
  TextSpan updateId;
  std::uint32_t firstCell = 0;
  std::uint32_t cellCount = 0;
};

// Every record of one reply, their texts back to back in one buffer so that
// a page costs a few allocations however many values it holds. Owned by the
// caller and reusable: reading clears it first and keeps its capacity.
struct QueryPage {
  std::string text;
  std::vector<QueryPageCell> cells;
  std::vector<QueryPageRecord> records;
  std::vector<std::pair<std::string, std::string>> userNames;  // <lusers>: user id, display name
};

inline std::string_view SpanText(const QueryPage& page, TextSpan span) {
  return std::string_view(page.text).substr(span.offset, span.length);
}

// Reads a whole reply body, or the same body in consecutive pieces as they
// arrive. 0 with the page filled for errcode 0; otherwise 999 with the call
// record holding the service's error or the fault of a malformed reply, and
// the page empty: a broken reply never yields the records read before the
// break.
MessageId ReadQueryReply(std::string_view body, QueryPage& page, ApiCallRecord& call);
MessageId ReadQueryReplyPieces(const std::vector<std::string_view>& pieces, QueryPage& page, ApiCallRecord& call);
