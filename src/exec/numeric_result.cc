// Decimal-text results through the exact number reader and FitNumericText.
#include "exec/numeric_result.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "common/decimal_text.h"
#include "common/exact_number.h"
#include "exec/scalar_call.h"

namespace {

MessageId FitIntoResult(ScalarCall& call, std::string_view text) {
  const auto precision = static_cast<std::uint16_t>(std::clamp<std::int32_t>(call.result.size, 0, 65535));
  std::string out;
  MessageId id = FitNumericText(text, out, std::size_t{precision} + 2, precision, call.result.digits);
  if (id != kMsgSuccess && id != kMsgDataTruncated) return id;
  call.result.bytes = std::move(out);
  return kMsgSuccess;
}

}  // namespace

MessageId SetNumericFromDouble(ScalarCall& call, double value) {
  if (std::isnan(value)) return kMsgConversionError;
  ExactNumber number;
  if (MessageId id = ExactFromDouble(value, number)) return id;
  return FitIntoResult(call, ExactNumberText(number));
}

MessageId SetNumericFromText(ScalarCall& call, std::string_view text) {
  // The normal form writes zero as the empty text.
  if (text.find_first_not_of(' ') == std::string_view::npos) return FitIntoResult(call, "0");
  ExactNumber number;
  MessageId id = ReadExactNumber(text, number);
  if (id == kMsgAssignmentError) return kMsgConversionError;
  if (id != kMsgSuccess) return id;
  return FitIntoResult(call, ExactNumberText(number));
}
