// Rounding of decimal texts by shifting the point, cutting and stepping by
// one unit of the last kept place.
#include "exec/decimal_rounding.h"

#include <algorithm>

#include "common/decimal_digits.h"

namespace {

enum class Direction : std::uint8_t { kTowardZero, kDown, kUp };

// value * 10^places, exactly.
DecimalNumber Shifted(DecimalNumber number, std::int64_t places) {
  if (places < 0) {
    number.scale += static_cast<std::size_t>(-places);
  } else if (number.scale >= static_cast<std::size_t>(places)) {
    number.scale -= static_cast<std::size_t>(places);
  } else {
    if (!number.digits.empty()) number.digits.append(static_cast<std::size_t>(places) - number.scale, '0');
    number.scale = 0;
  }
  return number;
}

DecimalNumber UnitOf(bool negative) { return DecimalNumber{negative, "1", 0}; }

// The whole number next to value in the direction asked.
DecimalNumber WholePart(DecimalNumber value, Direction direction) {
  const bool negative = value.negative;
  const bool cut = CutScale(value, 0);
  if (cut && direction == Direction::kDown && negative) return AddDecimal(value, UnitOf(true));
  if (cut && direction == Direction::kUp && !negative) return AddDecimal(value, UnitOf(false));
  return value;
}

// Beyond these bounds the answer no longer changes, so huge place counts
// never build huge texts: every digit is kept above the number's scale, and
// below its leading digit the shifted value is under one tenth.
std::int64_t UsefulPlaces(const DecimalNumber& number, std::int32_t places) {
  const auto wholeDigits = static_cast<std::int64_t>(IntegerDigitCount(number));
  return std::clamp<std::int64_t>(places, -(wholeDigits + 1), static_cast<std::int64_t>(number.scale));
}

DecimalNumber AtPlaces(const DecimalNumber& number, std::int64_t places, Direction direction) {
  DecimalNumber whole = WholePart(Shifted(number, places), direction);
  DecimalNumber back = Shifted(whole, -places);
  TrimFractionZeros(back);
  return back;
}

MessageId Render(const DecimalNumber& number, std::string& out) {
  out = RenderDecimalText(number);
  return kMsgSuccess;
}

}  // namespace

MessageId RoundDecimalText(std::string_view text, std::int32_t places, std::string& out) {
  DecimalNumber number;
  if (!ParseDecimalText(text, number)) return kMsgConversionError;
  TrimFractionZeros(number);
  const std::int64_t useful = UsefulPlaces(number, places);
  // Half a unit of the last kept place: 5 * 10^-(places + 1).
  const DecimalNumber half = Shifted(DecimalNumber{false, "5", 0}, -(useful + 1));
  return Render(AtPlaces(AddDecimal(number, half), useful, Direction::kDown), out);
}

MessageId TruncateDecimalText(std::string_view text, std::int32_t places, std::string& out) {
  DecimalNumber number;
  if (!ParseDecimalText(text, number)) return kMsgConversionError;
  TrimFractionZeros(number);
  return Render(AtPlaces(number, UsefulPlaces(number, places), Direction::kTowardZero), out);
}

MessageId CeilingDecimalText(std::string_view text, std::string& out) {
  DecimalNumber number;
  if (!ParseDecimalText(text, number)) return kMsgConversionError;
  return Render(AtPlaces(number, 0, Direction::kUp), out);
}

MessageId FloorDecimalText(std::string_view text, std::string& out) {
  DecimalNumber number;
  if (!ParseDecimalText(text, number)) return kMsgConversionError;
  return Render(AtPlaces(number, 0, Direction::kDown), out);
}
