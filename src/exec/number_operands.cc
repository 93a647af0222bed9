// Crossings between the number value types for mixed-type operands.
#include "exec/number_operands.h"

#include <sqlext.h>

#include "common/decimal_text.h"
#include "common/exact_number.h"
#include "common/number_text.h"

namespace {

inline constexpr double kDoubleLimit = 1.7E308;

}  // namespace

MessageId IntegerAsNumeric(const ValueCell& integer, ValueCell& numeric) {
  ExactNumber exact;
  if (MessageId id = ExactFromDouble(integer.value.number, exact)) return id;
  numeric.valueType = kValueNumeric;
  numeric.sqlType = SQL_NUMERIC;
  numeric.size = static_cast<std::int32_t>(exact.whole.size() + exact.fraction.size());
  numeric.digits = static_cast<std::uint16_t>(exact.fraction.size());
  numeric.nullFlag = 0;
  const std::string text = ExactNumberText(exact);
  // Normal form, so zero is the empty text the decimal services write.
  return FitNumericText(text, numeric.bytes, text.size(), static_cast<std::uint16_t>(numeric.size + 1), kNoDigits);
}

MessageId NumericAsDouble(const ValueCell& numeric, double& out) {
  return ParseDoubleInRange(numeric.bytes.c_str(), static_cast<SQLLEN>(numeric.bytes.size()), false, -kDoubleLimit,
                            kDoubleLimit, out);
}
