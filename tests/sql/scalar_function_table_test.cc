// The scalar-function table's order and the name search. A row's number is
// the function's identity for the evaluator, so any move of a row, an
// overload included, must fail here.
#include <gtest/gtest.h>

#include <string>

#include "sql/scalar_function_table.h"

namespace {

char ArgumentLetter(std::int16_t valueType) {
  switch (valueType) {
    case kValueCharacter: return 'c';
    case kValueInteger: return 'i';
    case kValueDouble: return 'd';
    case kValueNumeric: return 'n';
    case kValueDate: return 'D';
    case kValueTime: return 'T';
    case kValueTimestamp: return 'S';
    case kAnyValue: return '*';
    default: return '?';
  }
}

// "NAME(argument letters)" per row, in row order.
std::string TableSignatures() {
  std::string text;
  const ScalarFunctionEntry* table = GetScalarFunctionTable();
  for (std::uint16_t row = 0; row < kScalarFunctionRowCount; ++row) {
    text += table[row].name;
    text += '(';
    for (std::uint16_t i = 0; i < table[row].argumentCount; ++i) text += ArgumentLetter(table[row].argumentTypes[i]);
    text += ") ";
  }
  return text;
}

TEST(ScalarFunctionTable, RowsInIdentityOrder) {
  EXPECT_EQ(TableSignatures(),
      "ASCII(c) BIT_LENGTH(c) CHAR(i) CHAR_LENGTH(c) CHARACTER_LENGTH(c) CONCAT(cc) DIFFERENCE(cc) "
      "INSERT(ciic) LCASE(c) LEFT(ci) LENGTH(c) LOCATE(cc) LOCATE(cci) LTRIM(c) OCTET_LENGTH(c) "
      "POSITION(cc) REPEAT(ci) REPLACE(ccc) RIGHT(ci) RTRIM(c) SOUNDEX(c) SPACE(i) SUBSTRING(cii) "
      "UCASE(c) ABS(d) ABS(n) ABS(i) ACOS(d) ASIN(d) ATAN(d) ATAN2(dd) CEILING(d) CEILING(n) "
      "CEILING(i) COS(d) COT(d) DEGREES(d) DEGREES(n) DEGREES(i) EXP(d) FLOOR(d) FLOOR(n) FLOOR(i) "
      "LOG(d) LOG10(d) MOD(ii) PI() POWER(di) POWER(ni) POWER(ii) RADIANS(d) RADIANS(n) RADIANS(i) "
      "RAND() RAND(d) RAND(n) RAND(i) ROUND(di) ROUND(ni) ROUND(ii) SIGN(d) SIGN(n) SIGN(i) SIN(d) "
      "SQRT(d) TAN(d) TRUNCATE(di) TRUNCATE(ni) TRUNCATE(ii) CURRENT_DATE() CURRENT_TIME() "
      "CURRENT_TIME(i) CURRENT_TIMESTAMP() CURRENT_TIMESTAMP(i) CURDATE() CURTIME() DAYNAME(*) "
      "DAYOFMONTH(c) DAYOFMONTH(D) DAYOFMONTH(S) DAYOFWEEK(*) DAYOFYEAR(*) EXTRACT(*) HOUR(c) HOUR(T) "
      "HOUR(S) MINUTE(c) MINUTE(T) MINUTE(S) MONTH(c) MONTH(D) MONTH(S) MONTHNAME(c) MONTHNAME(D) "
      "MONTHNAME(S) NOW() QUARTER(c) QUARTER(D) QUARTER(S) SECOND(c) SECOND(T) SECOND(S) "
      "TIMESTAMPADD(i*) TIMESTAMPDIFF(**) WEEK(*) YEAR(c) YEAR(D) YEAR(S) DATABASE() IFNULL(**) USER() "
      "CONVERT(*) IDENTITY() LASTERROR() ");
}

TEST(ScalarFunctionTable, NameSearchFindsTheFirstOverloadWhateverTheCase) {
  EXPECT_EQ(FindScalarFunctionRow("ASCII"), kFnAscii);
  EXPECT_EQ(FindScalarFunctionRow("locate"), kFnLocate);
  EXPECT_EQ(FindScalarFunctionRow("Rand"), kFnRand);
  EXPECT_EQ(FindScalarFunctionRow("LastError"), kFnLastError);
  EXPECT_EQ(FindScalarFunctionRow("LOCAT"), kScalarFunctionRowCount);
  EXPECT_EQ(FindScalarFunctionRow(""), kScalarFunctionRowCount);
}

}  // namespace
