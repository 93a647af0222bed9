// The static table of scalar functions, one row per overload. A call's row
// number is its identity from resolution to evaluation: the semantic pass
// writes it into the call's node and the evaluator switches on it, so rows
// are only ever appended, never moved.
#pragma once

#include <cstdint>
#include <string_view>

#include "common/value_cell.h"

inline constexpr std::int16_t kAnyValue = 0;
// Result SQL type and size 0 take the first argument's SQL type, and its size
// and digits.
inline constexpr std::int16_t kSqlTypeOfFirstArgument = 0;
inline constexpr std::uint32_t kSizeOfFirstArgument = 0;
inline constexpr std::uint16_t kMaxScalarArguments = 4;

struct ScalarFunctionEntry {
  const char* name;  // upper case
  std::int16_t resultValueType;  // kValueUntyped for CONVERT: its type word decides
  std::int16_t resultSqlType;
  std::uint32_t columnSize;
  std::int16_t decimalDigits;  // -1: none
  std::uint16_t argumentCount;  // exact: the words of TIMESTAMPADD, EXTRACT and CONVERT not counted
  std::int16_t argumentTypes[kMaxScalarArguments];  // value types; kAnyValue accepts every type
};

inline constexpr std::uint16_t kScalarFunctionRowCount = 114;

const ScalarFunctionEntry* GetScalarFunctionTable();
// The first row (first overload) named name, compared with A-Z folded; the
// row count when no row has that name.
std::uint16_t FindScalarFunctionRow(std::string_view name);

// Rows. Overloads of one name stand next to each other; their names carry
// the first argument's type or the optional argument they add.
inline constexpr std::uint16_t kFnAscii = 0;
inline constexpr std::uint16_t kFnBitLength = 1;
inline constexpr std::uint16_t kFnChar = 2;
inline constexpr std::uint16_t kFnCharLength = 3;
inline constexpr std::uint16_t kFnCharacterLength = 4;
inline constexpr std::uint16_t kFnConcat = 5;
inline constexpr std::uint16_t kFnDifference = 6;
inline constexpr std::uint16_t kFnInsert = 7;
inline constexpr std::uint16_t kFnLCase = 8;
inline constexpr std::uint16_t kFnLeft = 9;
inline constexpr std::uint16_t kFnLength = 10;
inline constexpr std::uint16_t kFnLocate = 11;
inline constexpr std::uint16_t kFnLocateFrom = 12;
inline constexpr std::uint16_t kFnLTrim = 13;
inline constexpr std::uint16_t kFnOctetLength = 14;
inline constexpr std::uint16_t kFnPosition = 15;
inline constexpr std::uint16_t kFnRepeat = 16;
inline constexpr std::uint16_t kFnReplace = 17;
inline constexpr std::uint16_t kFnRight = 18;
inline constexpr std::uint16_t kFnRTrim = 19;
inline constexpr std::uint16_t kFnSoundex = 20;
inline constexpr std::uint16_t kFnSpace = 21;
inline constexpr std::uint16_t kFnSubstring = 22;
inline constexpr std::uint16_t kFnUCase = 23;
inline constexpr std::uint16_t kFnAbsDouble = 24;
inline constexpr std::uint16_t kFnAbsNumeric = 25;
inline constexpr std::uint16_t kFnAbsInteger = 26;
inline constexpr std::uint16_t kFnAcos = 27;
inline constexpr std::uint16_t kFnAsin = 28;
inline constexpr std::uint16_t kFnAtan = 29;
inline constexpr std::uint16_t kFnAtan2 = 30;
inline constexpr std::uint16_t kFnCeilingDouble = 31;
inline constexpr std::uint16_t kFnCeilingNumeric = 32;
inline constexpr std::uint16_t kFnCeilingInteger = 33;
inline constexpr std::uint16_t kFnCos = 34;
inline constexpr std::uint16_t kFnCot = 35;
inline constexpr std::uint16_t kFnDegreesDouble = 36;
inline constexpr std::uint16_t kFnDegreesNumeric = 37;
inline constexpr std::uint16_t kFnDegreesInteger = 38;
inline constexpr std::uint16_t kFnExp = 39;
inline constexpr std::uint16_t kFnFloorDouble = 40;
inline constexpr std::uint16_t kFnFloorNumeric = 41;
inline constexpr std::uint16_t kFnFloorInteger = 42;
inline constexpr std::uint16_t kFnLog = 43;
inline constexpr std::uint16_t kFnLog10 = 44;
inline constexpr std::uint16_t kFnMod = 45;
inline constexpr std::uint16_t kFnPi = 46;
inline constexpr std::uint16_t kFnPowerDouble = 47;
inline constexpr std::uint16_t kFnPowerNumeric = 48;
inline constexpr std::uint16_t kFnPowerInteger = 49;
inline constexpr std::uint16_t kFnRadiansDouble = 50;
inline constexpr std::uint16_t kFnRadiansNumeric = 51;
inline constexpr std::uint16_t kFnRadiansInteger = 52;
inline constexpr std::uint16_t kFnRand = 53;
inline constexpr std::uint16_t kFnRandDouble = 54;
inline constexpr std::uint16_t kFnRandNumeric = 55;
inline constexpr std::uint16_t kFnRandInteger = 56;
inline constexpr std::uint16_t kFnRoundDouble = 57;
inline constexpr std::uint16_t kFnRoundNumeric = 58;
inline constexpr std::uint16_t kFnRoundInteger = 59;
inline constexpr std::uint16_t kFnSignDouble = 60;
inline constexpr std::uint16_t kFnSignNumeric = 61;
inline constexpr std::uint16_t kFnSignInteger = 62;
inline constexpr std::uint16_t kFnSin = 63;
inline constexpr std::uint16_t kFnSqrt = 64;
inline constexpr std::uint16_t kFnTan = 65;
inline constexpr std::uint16_t kFnTruncateDouble = 66;
inline constexpr std::uint16_t kFnTruncateNumeric = 67;
inline constexpr std::uint16_t kFnTruncateInteger = 68;
inline constexpr std::uint16_t kFnCurrentDate = 69;
inline constexpr std::uint16_t kFnCurrentTime = 70;
inline constexpr std::uint16_t kFnCurrentTimePrecision = 71;
inline constexpr std::uint16_t kFnCurrentTimestamp = 72;
inline constexpr std::uint16_t kFnCurrentTimestampPrecision = 73;
inline constexpr std::uint16_t kFnCurDate = 74;
inline constexpr std::uint16_t kFnCurTime = 75;
inline constexpr std::uint16_t kFnDayName = 76;
inline constexpr std::uint16_t kFnDayOfMonthChar = 77;
inline constexpr std::uint16_t kFnDayOfMonthDate = 78;
inline constexpr std::uint16_t kFnDayOfMonthTimestamp = 79;
inline constexpr std::uint16_t kFnDayOfWeek = 80;
inline constexpr std::uint16_t kFnDayOfYear = 81;
inline constexpr std::uint16_t kFnExtract = 82;
inline constexpr std::uint16_t kFnHourChar = 83;
inline constexpr std::uint16_t kFnHourTime = 84;
inline constexpr std::uint16_t kFnHourTimestamp = 85;
inline constexpr std::uint16_t kFnMinuteChar = 86;
inline constexpr std::uint16_t kFnMinuteTime = 87;
inline constexpr std::uint16_t kFnMinuteTimestamp = 88;
inline constexpr std::uint16_t kFnMonthChar = 89;
inline constexpr std::uint16_t kFnMonthDate = 90;
inline constexpr std::uint16_t kFnMonthTimestamp = 91;
inline constexpr std::uint16_t kFnMonthNameChar = 92;
inline constexpr std::uint16_t kFnMonthNameDate = 93;
inline constexpr std::uint16_t kFnMonthNameTimestamp = 94;
inline constexpr std::uint16_t kFnNow = 95;
inline constexpr std::uint16_t kFnQuarterChar = 96;
inline constexpr std::uint16_t kFnQuarterDate = 97;
inline constexpr std::uint16_t kFnQuarterTimestamp = 98;
inline constexpr std::uint16_t kFnSecondChar = 99;
inline constexpr std::uint16_t kFnSecondTime = 100;
inline constexpr std::uint16_t kFnSecondTimestamp = 101;
inline constexpr std::uint16_t kFnTimestampAdd = 102;
inline constexpr std::uint16_t kFnTimestampDiff = 103;
inline constexpr std::uint16_t kFnWeek = 104;
inline constexpr std::uint16_t kFnYearChar = 105;
inline constexpr std::uint16_t kFnYearDate = 106;
inline constexpr std::uint16_t kFnYearTimestamp = 107;
inline constexpr std::uint16_t kFnDatabase = 108;
inline constexpr std::uint16_t kFnIfNull = 109;
inline constexpr std::uint16_t kFnUser = 110;
inline constexpr std::uint16_t kFnConvert = 111;
inline constexpr std::uint16_t kFnIdentity = 112;
inline constexpr std::uint16_t kFnLastError = 113;

// Interval codes of TIMESTAMPADD and TIMESTAMPDIFF.
inline constexpr std::uint16_t kIntervalSecond = 1;
inline constexpr std::uint16_t kIntervalMinute = 2;
inline constexpr std::uint16_t kIntervalHour = 3;
inline constexpr std::uint16_t kIntervalDay = 4;
inline constexpr std::uint16_t kIntervalWeek = 5;
inline constexpr std::uint16_t kIntervalMonth = 6;
inline constexpr std::uint16_t kIntervalQuarter = 7;
inline constexpr std::uint16_t kIntervalYear = 8;

// Field letters of EXTRACT.
inline constexpr std::uint8_t kExtractYear = 'Y';
inline constexpr std::uint8_t kExtractMonth = 'M';
inline constexpr std::uint8_t kExtractDay = 'D';
inline constexpr std::uint8_t kExtractHour = 'H';
inline constexpr std::uint8_t kExtractMinute = 'N';
inline constexpr std::uint8_t kExtractSecond = 'S';
