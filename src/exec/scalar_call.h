// One scalar-function call while it runs: its row, keyword codes, argument
// cells and result cell, and the helpers every function group shares for
// reading arguments and writing bounded results.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/message_ids.h"
#include "common/value_cell.h"
#include "sql/scalar_function_table.h"

struct StatementHandle;

struct ScalarCall {
  StatementHandle& statement;
  std::uint16_t row;
  std::uint16_t interval;     // TIMESTAMPADD, TIMESTAMPDIFF
  std::uint8_t extractField;  // EXTRACT
  std::uint16_t argumentCount;
  const ValueCell* arguments[kMaxScalarArguments];
  ValueCell& result;
};

inline const ValueCell& ArgumentCell(const ScalarCall& call, std::size_t index) { return *call.arguments[index]; }
inline std::string_view ArgumentText(const ScalarCall& call, std::size_t index) {
  return call.arguments[index]->bytes;
}
inline double ArgumentNumber(const ScalarCall& call, std::size_t index) {
  return call.arguments[index]->value.number;
}

// 1059 with the function's name as the diagnostic's detail.
MessageId RejectScalarArgument(ScalarCall& call);

// A count, length or position argument: truncated toward zero and held at
// the 32-bit limits, so a huge count means "all" instead of wrapping around
// (NaN counts as 0).
std::int32_t SaturatedWholeNumber(double value);

// A double that must be a 32-bit integer after truncation toward zero: false
// for NaN and for values outside the 32-bit range.
bool WholeNumberInInt32(double value, std::int32_t& out);

void SetNumberResult(ScalarCall& call, double value);

// Character and binary results never outgrow the call's column size: a text
// beyond it is cut (never inside a UTF-8 sequence for character results).
void SetTextResult(ScalarCall& call, std::string text);
// A result made of its first argument's characters, whose size it takes:
// only an argument longer than its column's size (a stored text the service
// kept longer) makes it outgrow that size, and it is kept whole, as the
// argument itself is.
void SetWholeTextResult(ScalarCall& call, std::string text);
void SetBinaryResult(ScalarCall& call, std::string bytes);
