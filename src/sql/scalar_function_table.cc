// The rows of the scalar-function table and the name search that starts
// every call's resolution.
#include "sql/scalar_function_table.h"

#include <iterator>

#include <sqlext.h>

#include "platform/text_fold.h"

namespace {

// Lengths and positions answer INTEGER: a long text of 65534 characters has
// more of them, and eight times as many bits, than a SMALLINT holds.
// clang-format off
constexpr ScalarFunctionEntry kRows[] = {
    {"ASCII", kValueInteger, SQL_INTEGER, 10, 0, 1, {kValueCharacter}},  // 0
    {"BIT_LENGTH", kValueInteger, SQL_INTEGER, 10, 0, 1, {kValueCharacter}},  // 1
    {"CHAR", kValueCharacter, SQL_CHAR, 1, 0, 1, {kValueInteger}},  // 2
    {"CHAR_LENGTH", kValueInteger, SQL_INTEGER, 10, 0, 1, {kValueCharacter}},  // 3
    {"CHARACTER_LENGTH", kValueInteger, SQL_INTEGER, 10, 0, 1, {kValueCharacter}},  // 4
    {"CONCAT", kValueCharacter, SQL_VARCHAR, kSizeOfFirstArgument, 0, 2, {kValueCharacter, kValueCharacter}},  // 5
    {"DIFFERENCE", kValueInteger, SQL_INTEGER, 10, 0, 2, {kValueCharacter, kValueCharacter}},  // 6
    {"INSERT", kValueCharacter, SQL_VARCHAR, 255, 0, 4, {kValueCharacter, kValueInteger, kValueInteger, kValueCharacter}},  // 7
    {"LCASE", kValueCharacter, kSqlTypeOfFirstArgument, kSizeOfFirstArgument, 0, 1, {kValueCharacter}},  // 8
    {"LEFT", kValueCharacter, SQL_VARCHAR, kSizeOfFirstArgument, 0, 2, {kValueCharacter, kValueInteger}},  // 9
    {"LENGTH", kValueInteger, SQL_INTEGER, 10, 0, 1, {kValueCharacter}},  // 10
    {"LOCATE", kValueInteger, SQL_INTEGER, 10, 0, 2, {kValueCharacter, kValueCharacter}},  // 11
    {"LOCATE", kValueInteger, SQL_INTEGER, 10, 0, 3, {kValueCharacter, kValueCharacter, kValueInteger}},  // 12
    {"LTRIM", kValueCharacter, SQL_VARCHAR, kSizeOfFirstArgument, 0, 1, {kValueCharacter}},  // 13
    {"OCTET_LENGTH", kValueInteger, SQL_INTEGER, 10, 0, 1, {kValueCharacter}},  // 14
    {"POSITION", kValueInteger, SQL_INTEGER, 10, 0, 2, {kValueCharacter, kValueCharacter}},  // 15
    {"REPEAT", kValueCharacter, SQL_VARCHAR, 255, 0, 2, {kValueCharacter, kValueInteger}},  // 16
    {"REPLACE", kValueCharacter, SQL_VARCHAR, 65535, 0, 3, {kValueCharacter, kValueCharacter, kValueCharacter}},  // 17
    {"RIGHT", kValueCharacter, SQL_VARCHAR, kSizeOfFirstArgument, 0, 2, {kValueCharacter, kValueInteger}},  // 18
    {"RTRIM", kValueCharacter, SQL_VARCHAR, kSizeOfFirstArgument, 0, 1, {kValueCharacter}},  // 19
    {"SOUNDEX", kValueCharacter, SQL_VARCHAR, 255, 0, 1, {kValueCharacter}},  // 20
    {"SPACE", kValueCharacter, SQL_VARCHAR, 255, 0, 1, {kValueInteger}},  // 21
    {"SUBSTRING", kValueCharacter, SQL_VARCHAR, kSizeOfFirstArgument, 0, 3, {kValueCharacter, kValueInteger, kValueInteger}},  // 22
    {"UCASE", kValueCharacter, kSqlTypeOfFirstArgument, kSizeOfFirstArgument, 0, 1, {kValueCharacter}},  // 23
    {"ABS", kValueDouble, kSqlTypeOfFirstArgument, kSizeOfFirstArgument, 0, 1, {kValueDouble}},  // 24
    {"ABS", kValueNumeric, kSqlTypeOfFirstArgument, kSizeOfFirstArgument, 0, 1, {kValueNumeric}},  // 25
    {"ABS", kValueInteger, kSqlTypeOfFirstArgument, kSizeOfFirstArgument, 0, 1, {kValueInteger}},  // 26
    {"ACOS", kValueDouble, SQL_FLOAT, 15, -1, 1, {kValueDouble}},  // 27
    {"ASIN", kValueDouble, SQL_FLOAT, 15, -1, 1, {kValueDouble}},  // 28
    {"ATAN", kValueDouble, SQL_FLOAT, 15, -1, 1, {kValueDouble}},  // 29
    {"ATAN2", kValueDouble, SQL_FLOAT, 15, -1, 2, {kValueDouble, kValueDouble}},  // 30
    {"CEILING", kValueDouble, kSqlTypeOfFirstArgument, kSizeOfFirstArgument, 0, 1, {kValueDouble}},  // 31
    {"CEILING", kValueNumeric, kSqlTypeOfFirstArgument, kSizeOfFirstArgument, 0, 1, {kValueNumeric}},  // 32
    {"CEILING", kValueInteger, kSqlTypeOfFirstArgument, kSizeOfFirstArgument, 0, 1, {kValueInteger}},  // 33
    {"COS", kValueDouble, SQL_FLOAT, 15, -1, 1, {kValueDouble}},  // 34
    {"COT", kValueDouble, SQL_FLOAT, 15, -1, 1, {kValueDouble}},  // 35
    {"DEGREES", kValueDouble, SQL_FLOAT, 15, -1, 1, {kValueDouble}},  // 36
    {"DEGREES", kValueDouble, SQL_FLOAT, 15, -1, 1, {kValueNumeric}},  // 37
    {"DEGREES", kValueDouble, SQL_FLOAT, 15, -1, 1, {kValueInteger}},  // 38
    {"EXP", kValueDouble, SQL_FLOAT, 15, -1, 1, {kValueDouble}},  // 39
    {"FLOOR", kValueDouble, kSqlTypeOfFirstArgument, kSizeOfFirstArgument, 0, 1, {kValueDouble}},  // 40
    {"FLOOR", kValueNumeric, kSqlTypeOfFirstArgument, kSizeOfFirstArgument, 0, 1, {kValueNumeric}},  // 41
    {"FLOOR", kValueInteger, kSqlTypeOfFirstArgument, kSizeOfFirstArgument, 0, 1, {kValueInteger}},  // 42
    {"LOG", kValueDouble, SQL_FLOAT, 15, -1, 1, {kValueDouble}},  // 43
    {"LOG10", kValueDouble, SQL_FLOAT, 15, -1, 1, {kValueDouble}},  // 44
    {"MOD", kValueInteger, kSqlTypeOfFirstArgument, kSizeOfFirstArgument, 0, 2, {kValueInteger, kValueInteger}},  // 45
    {"PI", kValueDouble, SQL_FLOAT, 15, -1, 0, {}},  // 46
    {"POWER", kValueDouble, SQL_FLOAT, 15, -1, 2, {kValueDouble, kValueInteger}},  // 47
    {"POWER", kValueDouble, SQL_FLOAT, 15, -1, 2, {kValueNumeric, kValueInteger}},  // 48
    {"POWER", kValueDouble, SQL_FLOAT, 15, -1, 2, {kValueInteger, kValueInteger}},  // 49
    {"RADIANS", kValueDouble, SQL_FLOAT, 15, -1, 1, {kValueDouble}},  // 50
    {"RADIANS", kValueDouble, SQL_FLOAT, 15, -1, 1, {kValueNumeric}},  // 51
    {"RADIANS", kValueDouble, SQL_FLOAT, 15, -1, 1, {kValueInteger}},  // 52
    {"RAND", kValueDouble, SQL_FLOAT, 15, -1, 0, {}},  // 53
    {"RAND", kValueDouble, SQL_FLOAT, 15, -1, 1, {kValueDouble}},  // 54
    {"RAND", kValueDouble, SQL_FLOAT, 15, -1, 1, {kValueNumeric}},  // 55
    {"RAND", kValueDouble, SQL_FLOAT, 15, -1, 1, {kValueInteger}},  // 56
    {"ROUND", kValueDouble, kSqlTypeOfFirstArgument, kSizeOfFirstArgument, 0, 2, {kValueDouble, kValueInteger}},  // 57
    {"ROUND", kValueNumeric, kSqlTypeOfFirstArgument, kSizeOfFirstArgument, 0, 2, {kValueNumeric, kValueInteger}},  // 58
    {"ROUND", kValueInteger, kSqlTypeOfFirstArgument, kSizeOfFirstArgument, 0, 2, {kValueInteger, kValueInteger}},  // 59
    {"SIGN", kValueInteger, SQL_TINYINT, 3, 0, 1, {kValueDouble}},  // 60
    {"SIGN", kValueInteger, SQL_TINYINT, 3, 0, 1, {kValueNumeric}},  // 61
    {"SIGN", kValueInteger, SQL_TINYINT, 3, 0, 1, {kValueInteger}},  // 62
    {"SIN", kValueDouble, SQL_FLOAT, 15, -1, 1, {kValueDouble}},  // 63
    {"SQRT", kValueDouble, SQL_FLOAT, 15, -1, 1, {kValueDouble}},  // 64
    {"TAN", kValueDouble, SQL_FLOAT, 15, -1, 1, {kValueDouble}},  // 65
    {"TRUNCATE", kValueDouble, kSqlTypeOfFirstArgument, kSizeOfFirstArgument, 0, 2, {kValueDouble, kValueInteger}},  // 66
    {"TRUNCATE", kValueNumeric, kSqlTypeOfFirstArgument, kSizeOfFirstArgument, 0, 2, {kValueNumeric, kValueInteger}},  // 67
    {"TRUNCATE", kValueInteger, kSqlTypeOfFirstArgument, kSizeOfFirstArgument, 0, 2, {kValueInteger, kValueInteger}},  // 68
    {"CURRENT_DATE", kValueDate, SQL_DATE, 10, -1, 0, {}},  // 69
    {"CURRENT_TIME", kValueTime, SQL_TIME, 8, -1, 0, {}},  // 70
    {"CURRENT_TIME", kValueTime, SQL_TIME, 8, -1, 1, {kValueInteger}},  // 71
    {"CURRENT_TIMESTAMP", kValueTimestamp, SQL_TIMESTAMP, 23, 3, 0, {}},  // 72
    {"CURRENT_TIMESTAMP", kValueTimestamp, SQL_TIMESTAMP, 23, 3, 1, {kValueInteger}},  // 73
    {"CURDATE", kValueDate, SQL_DATE, 10, -1, 0, {}},  // 74
    {"CURTIME", kValueTime, SQL_TIME, 8, -1, 0, {}},  // 75
    {"DAYNAME", kValueCharacter, SQL_VARCHAR, 255, 0, 1, {kAnyValue}},  // 76
    {"DAYOFMONTH", kValueInteger, SQL_TINYINT, 3, 0, 1, {kValueCharacter}},  // 77
    {"DAYOFMONTH", kValueInteger, SQL_TINYINT, 3, 0, 1, {kValueDate}},  // 78
    {"DAYOFMONTH", kValueInteger, SQL_TINYINT, 3, 0, 1, {kValueTimestamp}},  // 79
    {"DAYOFWEEK", kValueInteger, SQL_TINYINT, 3, 0, 1, {kAnyValue}},  // 80
    {"DAYOFYEAR", kValueInteger, SQL_SMALLINT, 5, 0, 1, {kAnyValue}},  // 81
    {"EXTRACT", kValueInteger, SQL_SMALLINT, 5, 0, 1, {kAnyValue}},  // 82
    {"HOUR", kValueInteger, SQL_TINYINT, 3, 0, 1, {kValueCharacter}},  // 83
    {"HOUR", kValueInteger, SQL_TINYINT, 3, 0, 1, {kValueTime}},  // 84
    {"HOUR", kValueInteger, SQL_TINYINT, 3, 0, 1, {kValueTimestamp}},  // 85
    {"MINUTE", kValueInteger, SQL_TINYINT, 3, 0, 1, {kValueCharacter}},  // 86
    {"MINUTE", kValueInteger, SQL_TINYINT, 3, 0, 1, {kValueTime}},  // 87
    {"MINUTE", kValueInteger, SQL_TINYINT, 3, 0, 1, {kValueTimestamp}},  // 88
    {"MONTH", kValueInteger, SQL_TINYINT, 3, 0, 1, {kValueCharacter}},  // 89
    {"MONTH", kValueInteger, SQL_TINYINT, 3, 0, 1, {kValueDate}},  // 90
    {"MONTH", kValueInteger, SQL_TINYINT, 3, 0, 1, {kValueTimestamp}},  // 91
    {"MONTHNAME", kValueCharacter, SQL_VARCHAR, 255, 0, 1, {kValueCharacter}},  // 92
    {"MONTHNAME", kValueCharacter, SQL_VARCHAR, 255, 0, 1, {kValueDate}},  // 93
    {"MONTHNAME", kValueCharacter, SQL_VARCHAR, 255, 0, 1, {kValueTimestamp}},  // 94
    {"NOW", kValueTimestamp, SQL_TIMESTAMP, 23, 3, 0, {}},  // 95
    {"QUARTER", kValueInteger, SQL_TINYINT, 3, 0, 1, {kValueCharacter}},  // 96
    {"QUARTER", kValueInteger, SQL_TINYINT, 3, 0, 1, {kValueDate}},  // 97
    {"QUARTER", kValueInteger, SQL_TINYINT, 3, 0, 1, {kValueTimestamp}},  // 98
    {"SECOND", kValueInteger, SQL_TINYINT, 3, 0, 1, {kValueCharacter}},  // 99
    {"SECOND", kValueInteger, SQL_TINYINT, 3, 0, 1, {kValueTime}},  // 100
    {"SECOND", kValueInteger, SQL_TINYINT, 3, 0, 1, {kValueTimestamp}},  // 101
    {"TIMESTAMPADD", kValueTimestamp, SQL_TIMESTAMP, 23, 3, 2, {kValueInteger, kAnyValue}},  // 102
    {"TIMESTAMPDIFF", kValueInteger, SQL_INTEGER, 10, 0, 2, {kAnyValue, kAnyValue}},  // 103
    {"WEEK", kValueInteger, SQL_TINYINT, 3, 0, 1, {kAnyValue}},  // 104
    {"YEAR", kValueInteger, SQL_INTEGER, 10, 0, 1, {kValueCharacter}},  // 105
    {"YEAR", kValueInteger, SQL_INTEGER, 10, 0, 1, {kValueDate}},  // 106
    {"YEAR", kValueInteger, SQL_INTEGER, 10, 0, 1, {kValueTimestamp}},  // 107
    {"DATABASE", kValueCharacter, SQL_VARCHAR, 127, 0, 0, {}},  // 108
    {"IFNULL", kValueCharacter, kSqlTypeOfFirstArgument, kSizeOfFirstArgument, 0, 2, {kAnyValue, kAnyValue}},  // 109
    {"USER", kValueCharacter, SQL_VARCHAR, 63, 0, 0, {}},  // 110
    {"CONVERT", kValueUntyped, kSqlTypeOfFirstArgument, kSizeOfFirstArgument, 0, 1, {kAnyValue}},  // 111
    {"IDENTITY", kValueInteger, SQL_INTEGER, 10, 0, 0, {}},  // 112
    {"LASTERROR", kValueCharacter, SQL_VARCHAR, 511, 0, 0, {}},  // 113
};
// clang-format on
static_assert(std::size(kRows) == kScalarFunctionRowCount);

constexpr bool RowIsNamed(std::uint16_t row, std::string_view name) { return kRows[row].name == name; }
// The rows that resolution treats by number must be where their constants say.
static_assert(RowIsNamed(kFnConcat, "CONCAT") && RowIsNamed(kFnDayName, "DAYNAME") &&
              RowIsNamed(kFnDayOfWeek, "DAYOFWEEK") && RowIsNamed(kFnDayOfYear, "DAYOFYEAR") &&
              RowIsNamed(kFnExtract, "EXTRACT") && RowIsNamed(kFnTimestampAdd, "TIMESTAMPADD") &&
              RowIsNamed(kFnTimestampDiff, "TIMESTAMPDIFF") && RowIsNamed(kFnWeek, "WEEK") &&
              RowIsNamed(kFnIfNull, "IFNULL") && RowIsNamed(kFnConvert, "CONVERT") &&
              RowIsNamed(kFnLastError, "LASTERROR"));

}  // namespace

const ScalarFunctionEntry* GetScalarFunctionTable() { return kRows; }

std::uint16_t FindScalarFunctionRow(std::string_view name) {
  for (std::uint16_t row = 0; row < kScalarFunctionRowCount; ++row) {
    if (EqualFoldedAZ(kRows[row].name, name)) return row;
  }
  return kScalarFunctionRowCount;
}
