// IRD answers until the result-column metadata is reachable from here: a
// statement has no result columns to describe.
#include "odbc/result_descriptor_fields.h"

MessageId AnswerResultRowField(StatementHandle&, std::uint16_t, SQLSMALLINT, DescriptorValue&) {
  return kMsgInvalidCursorState;
}

MessageId CountResultRecords(StatementHandle&, std::int64_t& count) {
  count = 0;
  return kMsgSuccess;
}

bool HasResultDescription(const StatementHandle&) { return false; }

MessageId DescribeResultRecord(StatementHandle&, std::uint16_t, std::int16_t&, std::uint64_t&, std::int16_t&) {
  return kMsgInvalidCursorState;
}
