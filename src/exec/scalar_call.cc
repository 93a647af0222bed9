// Argument readers and bounded result writers shared by the scalar-function
// groups.
#include "exec/scalar_call.h"

#include <cmath>
#include <limits>

#include "handles/statement_handle.h"
#include "platform/utf8_text.h"

namespace {

std::size_t ColumnSize(const ValueCell& cell) { return cell.size > 0 ? static_cast<std::size_t>(cell.size) : 0; }

}  // namespace

MessageId RejectScalarArgument(ScalarCall& call) {
  call.statement.diagnostic.detailText = GetScalarFunctionTable()[call.row].name;
  return kMsgInvalidScalarArgument;
}

std::int32_t SaturatedWholeNumber(double value) {
  if (std::isnan(value)) return 0;
  const double whole = std::trunc(value);
  if (whole <= std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
  if (whole >= std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(whole);
}

bool WholeNumberInInt32(double value, std::int32_t& out) {
  if (std::isnan(value)) return false;
  const double whole = std::trunc(value);
  if (whole < std::numeric_limits<std::int32_t>::min() || whole > std::numeric_limits<std::int32_t>::max()) {
    return false;
  }
  out = static_cast<std::int32_t>(whole);
  return true;
}

void SetNumberResult(ScalarCall& call, double value) { call.result.value.number = value; }

// A text result's size counts characters.
void SetTextResult(ScalarCall& call, std::string text) {
  text.resize(Utf8PrefixBytes(text, ColumnSize(call.result)));
  call.result.bytes = std::move(text);
}

void SetWholeTextResult(ScalarCall& call, std::string text) { call.result.bytes = std::move(text); }

void SetBinaryResult(ScalarCall& call, std::string bytes) {
  const std::size_t limit = ColumnSize(call.result);
  if (bytes.size() > limit) bytes.resize(limit);
  call.result.bytes = std::move(bytes);
}
