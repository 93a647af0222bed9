// The numeric scalar functions, rows ABS to TRUNCATE of the scalar-function
// table. Domain errors of the elementary functions are not reported: their
// NaN or infinity is the result, as the library gives it.
#include "exec/numeric_functions.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "common/decimal_digits.h"
#include "common/number_text.h"
#include "exec/decimal_rounding.h"
#include "exec/numeric_result.h"
#include "exec/random_numbers.h"
#include "exec/scalar_call.h"

namespace {

inline constexpr double kPi = 3.141592653589793;
inline constexpr double kDegreesPerRadian = 57.29577951308232;
inline constexpr double kRadiansPerDegree = 0.017453292519943295;
inline constexpr double kLargestDouble = 1.7e308;

// A numeric argument read as a double where the function works in double
// precision; 1009 when its text is not a number.
MessageId NumericAsDouble(const ScalarCall& call, std::size_t index, double& out) {
  const std::string& text = ArgumentCell(call, index).bytes;
  MessageId id = ParseDoubleInRange(text.data(), static_cast<SQLLEN>(text.size()), false, -kLargestDouble,
                                    kLargestDouble, out);
  return id == kMsgSuccess ? kMsgSuccess : kMsgConversionError;
}

// The first argument as a double, whichever of the three overloads runs.
MessageId FirstAsDouble(const ScalarCall& call, double& out) {
  if (ArgumentCell(call, 0).valueType == kValueNumeric) return NumericAsDouble(call, 0, out);
  out = ArgumentNumber(call, 0);
  return kMsgSuccess;
}

// A numeric result in the call's precision and scale; a value that does not
// fit them is out of range, never cut.
MessageId SetNumericResult(ScalarCall& call, const std::string& text) { return SetNumericFromText(call, text); }

// x rounded or truncated at n decimal places in double precision. Beyond the
// reach of a double (10^n overflowing or vanishing) the answer is x itself or
// zero rather than NaN.
double RoundDouble(double x, double n) {
  const double p = std::pow(10.0, n);
  if (p == 0.0) return 0.0;
  if (!std::isfinite(x * p)) return x;
  return std::floor(x * p + 0.5) / p;
}

double TruncateDouble(double x, double n) {
  const double p = std::pow(10.0, n);
  if (p == 0.0) return 0.0;
  if (!std::isfinite(x * p)) return x;
  double t = std::floor(x * p);
  if (t < 0 && t != x * p) t += 1;
  return t / p;
}

MessageId RoundOrTruncateNumeric(ScalarCall& call, bool round) {
  const std::int32_t places = SaturatedWholeNumber(ArgumentNumber(call, 1));
  std::string text;
  const std::string& value = ArgumentCell(call, 0).bytes;
  MessageId id = round ? RoundDecimalText(value, places, text) : TruncateDecimalText(value, places, text);
  if (id != kMsgSuccess) return id;
  return SetNumericResult(call, text);
}

MessageId CeilingOrFloorNumeric(ScalarCall& call, bool ceiling) {
  std::string text;
  const std::string& value = ArgumentCell(call, 0).bytes;
  MessageId id = ceiling ? CeilingDecimalText(value, text) : FloorDecimalText(value, text);
  if (id != kMsgSuccess) return id;
  return SetNumericResult(call, text);
}

MessageId AbsNumeric(ScalarCall& call) {
  const std::string& value = ArgumentCell(call, 0).bytes;
  const std::size_t sign = value.find('-');
  return SetNumericResult(call, sign == std::string::npos ? value : value.substr(sign + 1));
}

MessageId SignOf(ScalarCall& call) {
  if (ArgumentCell(call, 0).valueType != kValueNumeric) {
    const double x = ArgumentNumber(call, 0);
    SetNumberResult(call, x > 0 ? 1.0 : x == 0 ? 0.0 : -1.0);
    return kMsgSuccess;
  }
  DecimalNumber number;
  if (!ParseDecimalText(ArgumentCell(call, 0).bytes, number)) return kMsgConversionError;
  SetNumberResult(call, number.digits.find_first_not_of('0') == std::string::npos ? 0.0 : number.negative ? -1.0 : 1.0);
  return kMsgSuccess;
}

// The remainder has the dividend's sign; INT_MIN by -1 is 0 rather than the
// overflow of the 32-bit division.
MessageId Mod(ScalarCall& call) {
  std::int32_t a = 0;
  std::int32_t b = 0;
  if (!WholeNumberInInt32(ArgumentNumber(call, 0), a) || !WholeNumberInInt32(ArgumentNumber(call, 1), b)) {
    return kMsgOutOfRange;
  }
  if (b == 0) return kMsgDivisionByZero;
  SetNumberResult(call, b == -1 ? 0.0 : static_cast<double>(a % b));
  return kMsgSuccess;
}

MessageId Cotangent(ScalarCall& call) {
  const double t = std::tan(ArgumentNumber(call, 0));
  if (t == 0.0) return kMsgDivisionByZero;
  SetNumberResult(call, 1.0 / t);
  return kMsgSuccess;
}

MessageId Random(ScalarCall& call) {
  std::int32_t seed = 0;
  if (call.argumentCount == 1) {
    double value = 0.0;
    if (MessageId id = FirstAsDouble(call, value)) return id;
    if (!WholeNumberInInt32(value, seed)) return kMsgOutOfRange;
  }
  SetNumberResult(call, NextRandomNumber(seed));
  return kMsgSuccess;
}

// The functions of one double whose overloads all compute in doubles.
MessageId ApplyToDouble(ScalarCall& call, double (*function)(double)) {
  double x = 0.0;
  if (MessageId id = FirstAsDouble(call, x)) return id;
  SetNumberResult(call, function(x));
  return kMsgSuccess;
}

double ToDegrees(double x) { return x * kDegreesPerRadian; }
double ToRadians(double x) { return x * kRadiansPerDegree; }
double Identity(double x) { return x; }
double Absolute(double x) { return std::fabs(x); }
double Acos(double x) { return std::acos(x); }
double Asin(double x) { return std::asin(x); }
double Atan(double x) { return std::atan(x); }
double Cos(double x) { return std::cos(x); }
double Sin(double x) { return std::sin(x); }
double Tan(double x) { return std::tan(x); }
double Exp(double x) { return std::exp(x); }
double Log(double x) { return std::log(x); }
double Log10(double x) { return std::log10(x); }
double Sqrt(double x) { return std::sqrt(x); }
double Ceiling(double x) { return std::ceil(x); }
double Floor(double x) { return std::floor(x); }

MessageId Power(ScalarCall& call) {
  double x = 0.0;
  if (MessageId id = FirstAsDouble(call, x)) return id;
  SetNumberResult(call, std::pow(x, ArgumentNumber(call, 1)));
  return kMsgSuccess;
}

MessageId RoundOrTruncateDouble(ScalarCall& call, bool round) {
  const double x = ArgumentNumber(call, 0);
  const double n = ArgumentNumber(call, 1);
  SetNumberResult(call, round ? RoundDouble(x, n) : TruncateDouble(x, n));
  return kMsgSuccess;
}

MessageId EvaluateElementary(ScalarCall& call) {
  switch (call.row) {
    case kFnAcos: return ApplyToDouble(call, Acos);
    case kFnAsin: return ApplyToDouble(call, Asin);
    case kFnAtan: return ApplyToDouble(call, Atan);
    case kFnCos: return ApplyToDouble(call, Cos);
    case kFnSin: return ApplyToDouble(call, Sin);
    case kFnTan: return ApplyToDouble(call, Tan);
    case kFnExp: return ApplyToDouble(call, Exp);
    case kFnLog: return ApplyToDouble(call, Log);
    case kFnLog10: return ApplyToDouble(call, Log10);
    case kFnSqrt: return ApplyToDouble(call, Sqrt);
    case kFnAtan2: SetNumberResult(call, std::atan2(ArgumentNumber(call, 0), ArgumentNumber(call, 1))); return kMsgSuccess;
    case kFnCot: return Cotangent(call);
    case kFnPi: SetNumberResult(call, kPi); return kMsgSuccess;
    default: return kMsgInternalError;
  }
}

}  // namespace

MessageId EvaluateNumericFunction(ScalarCall& call) {
  switch (call.row) {
    case kFnAbsDouble:
    case kFnAbsInteger: return ApplyToDouble(call, Absolute);
    case kFnAbsNumeric: return AbsNumeric(call);
    case kFnCeilingDouble: return ApplyToDouble(call, Ceiling);
    case kFnFloorDouble: return ApplyToDouble(call, Floor);
    case kFnCeilingInteger:
    case kFnFloorInteger: return ApplyToDouble(call, Identity);
    case kFnCeilingNumeric: return CeilingOrFloorNumeric(call, true);
    case kFnFloorNumeric: return CeilingOrFloorNumeric(call, false);
    case kFnDegreesDouble:
    case kFnDegreesNumeric:
    case kFnDegreesInteger: return ApplyToDouble(call, ToDegrees);
    case kFnRadiansDouble:
    case kFnRadiansNumeric:
    case kFnRadiansInteger: return ApplyToDouble(call, ToRadians);
    case kFnMod: return Mod(call);
    case kFnPowerDouble:
    case kFnPowerNumeric:
    case kFnPowerInteger: return Power(call);
    case kFnRand:
    case kFnRandDouble:
    case kFnRandNumeric:
    case kFnRandInteger: return Random(call);
    case kFnRoundDouble:
    case kFnRoundInteger: return RoundOrTruncateDouble(call, true);
    case kFnRoundNumeric: return RoundOrTruncateNumeric(call, true);
    case kFnTruncateDouble:
    case kFnTruncateInteger: return RoundOrTruncateDouble(call, false);
    case kFnTruncateNumeric: return RoundOrTruncateNumeric(call, false);
    case kFnSignDouble:
    case kFnSignNumeric:
    case kFnSignInteger: return SignOf(call);
    default: return EvaluateElementary(call);
  }
}
