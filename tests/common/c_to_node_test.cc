// Application values into node values: every target value type, NULL,
// values longer than their target, wide text, column-wise rows and
// SQLPutData pieces.
#include "common/c_to_node.h"

#include <gtest/gtest.h>

#include <sql.h>
#include <sqlext.h>

#include <cstring>
#include <string>

#include "common/datetime_text.h"
#include "common/epoch_time.h"
#include "handles/statement_handle.h"

namespace {

ValueCell Cell(std::int16_t valueType, std::int16_t sqlType, std::int32_t size = 0,
               std::uint16_t digits = kNoDigits) {
  ValueCell cell;
  cell.valueType = valueType;
  cell.sqlType = sqlType;
  cell.size = size;
  cell.digits = digits;
  return cell;
}

MessageId Convert(ValueCell& cell, SQLSMALLINT cType, const void* data, SQLLEN length, SQLLEN* piece = nullptr) {
  return ConvertCValueToNodeValue(nullptr, cell, piece, cType, data, length, 0, 0);
}

TEST(CToNode, StoresTextAndNumbersByTheTargetType) {
  const SQLINTEGER minusSeven = -7;
  const SQLSMALLINT small = 300;
  const double pi = 3.25;
  const float tenth = 0.1f;
  const double half = 0.5;
  const unsigned char one = 1;
  const SQL_DATE_STRUCT date{2024, 2, 29};
  SQL_NUMERIC_STRUCT numeric{};
  numeric.precision = 5;
  numeric.scale = 2;
  numeric.sign = 0;
  numeric.val[0] = 0x39;  // 12345 = 0x3039
  numeric.val[1] = 0x30;
  struct Case {
    const char* name;
    ValueCell cell;
    SQLSMALLINT cType;
    const void* data;
    SQLLEN length;
    MessageId id;
    std::string bytes;  // character, numeric and binary targets
    double number;      // integer and double targets
  };
  const Case cases[] = {
      {"char to varchar", Cell(1, 12, 10), SQL_C_CHAR, "hello", SQL_NTS, 0, "hello", 0},
      // A value longer than its target's size stays whole.
      {"char beyond the size", Cell(1, 12, 3), SQL_C_CHAR, "hello", 5, 0, "hello", 0},
      {"long to varchar", Cell(1, 12, 10), SQL_C_LONG, &minusSeven, 0, 0, "-7", 0},
      {"double beyond the size", Cell(1, 12, 3), SQL_C_DOUBLE, &pi, 0, 0, "3.25", 0},
      {"date beyond the size", Cell(1, 12, 9), SQL_C_TYPE_DATE, &date, 0, 0, "2024-02-29", 0},
      {"float keeps its own digits", Cell(1, 12), SQL_C_FLOAT, &tenth, 0, 0, "0.1", 0},
      {"char to numeric", Cell(2, 2, 6, 2), SQL_C_CHAR, " 12.5 ", SQL_NTS, 0, "12.50", 0},
      {"numeric cuts fraction", Cell(2, 2, 6, 2), SQL_C_CHAR, "1.239", SQL_NTS, kMsgDataTruncated, "1.23", 0},
      {"numeric too many digits", Cell(2, 2, 4, 2), SQL_C_CHAR, "123", SQL_NTS, kMsgOutOfRange, "", 0},
      {"numeric struct", Cell(2, 3, 10, 2), SQL_C_NUMERIC, &numeric, 0, 0, "-123.45", 0},
      {"not a number", Cell(2, 2, 6, 2), SQL_C_CHAR, "12x", SQL_NTS, kMsgAssignmentError, "", 0},
      {"char to integer", Cell(4, 4), SQL_C_CHAR, "-2147483648", SQL_NTS, 0, "", -2147483648.0},
      {"integer overflow", Cell(4, 4), SQL_C_CHAR, "2147483648", SQL_NTS, kMsgOutOfRange, "", 0},
      {"integer drops fraction", Cell(4, 4), SQL_C_DOUBLE, &pi, 0, kMsgDataTruncated, "", 3},
      {"smallint range", Cell(4, 5), SQL_C_SSHORT, &small, 0, 0, "", 300},
      {"tinyint range", Cell(4, -6), SQL_C_SSHORT, &small, 0, kMsgOutOfRange, "", 0},
      {"bit range", Cell(4, -7), SQL_C_CHAR, "2", SQL_NTS, kMsgOutOfRange, "", 0},
      {"bit below 0", Cell(4, -7), SQL_C_CHAR, "-0.5", SQL_NTS, kMsgOutOfRange, "", 0},
      {"bit between 0 and 2", Cell(4, -7), SQL_C_DOUBLE, &half, 0, kMsgStringRightTruncation, "", 0},
      {"bit from a bit", Cell(4, -7), SQL_C_BIT, &one, 0, 0, "", 1},
      {"integer from its own bytes", Cell(4, 4), SQL_C_BINARY, &minusSeven, 4, 0, "", -7},
      {"integer from other bytes", Cell(4, 5), SQL_C_BINARY, &minusSeven, 4, kMsgOutOfRange, "", 0},
      {"char to double", Cell(8, 8), SQL_C_CHAR, "1e3", SQL_NTS, 0, "", 1000},
      {"real range", Cell(8, 7), SQL_C_CHAR, "1e39", SQL_NTS, kMsgOutOfRange, "", 0},
      {"hex to binary", Cell(-2, -3, 10), SQL_C_CHAR, "00fFa0", SQL_NTS, 0, std::string("\x00\xFF\xA0", 3), 0},
      {"odd hex", Cell(-2, -3, 10), SQL_C_CHAR, "abc", SQL_NTS, kMsgAssignmentError, "", 0},
      {"binary beyond the size", Cell(-2, -3, 2), SQL_C_BINARY, "\x01\x02\x03", 3, 0, "\x01\x02\x03", 0},
      {"long to binary has no conversion", Cell(-2, -3, 10), SQL_C_SLONG, &minusSeven, 0, kMsgConversionError, "", 0},
      {"date into integer", Cell(4, 4), SQL_C_DATE, "\0\0\0\0\0\0", 0, kMsgConversionError, "", 0},
      {"date into numeric", Cell(2, 2, 6, 2), SQL_C_DATE, &date, 0, kMsgConversionError, "", 0},
      {"untyped target", Cell(0, 0), SQL_C_CHAR, "x", SQL_NTS, kMsgNotSupportedDetail, "", 0},
      {"interval C type", Cell(1, 12), SQL_C_INTERVAL_DAY, "x", SQL_NTS, kMsgNotSupportedDetail, "", 0},
      {"bad length", Cell(1, 12), SQL_C_CHAR, "x", -5, kMsgConversionError, "", 0},
  };
  for (const Case& c : cases) {
    ValueCell cell = c.cell;
    EXPECT_EQ(Convert(cell, c.cType, c.data, c.length), c.id) << c.name;
    if (c.id != kMsgSuccess && c.id != kMsgDataTruncated) {
      EXPECT_EQ(cell.nullFlag, 1) << c.name;
      continue;
    }
    EXPECT_EQ(cell.nullFlag, 0) << c.name;
    if (cell.valueType == 4 || cell.valueType == 8) {
      EXPECT_DOUBLE_EQ(cell.value.number, c.number) << c.name;
    } else {
      EXPECT_EQ(cell.bytes, c.bytes) << c.name;
    }
  }
}

TEST(CToNode, StoresDatesTimesAndTimestamps) {
  const SQL_DATE_STRUCT date{2024, 2, 29};
  const SQL_DATE_STRUCT badDate{2023, 2, 29};
  const SQL_TIME_STRUCT time{10, 11, 12};
  const SQL_TIME_STRUCT badTime{24, 0, 0};
  const SQL_TIMESTAMP_STRUCT stamp{2024, 2, 29, 10, 11, 12, 5000};
  const SQL_TIMESTAMP_STRUCT whole{2024, 2, 29, 10, 11, 12, 0};
  struct Case {
    const char* name;
    std::int16_t valueType;
    SQLSMALLINT cType;
    const void* data;
    MessageId id;
    const char* expected;  // the stored value as its text
  };
  const Case cases[] = {
      {"date struct", 9, SQL_C_TYPE_DATE, &date, 0, "2024-02-29"},
      {"invalid date struct", 9, SQL_C_DATE, &badDate, kMsgInvalidDatetimeFormat, ""},
      {"date text", 9, SQL_C_CHAR, "{d '2024-02-29'}", 0, "2024-02-29"},
      {"timestamp text at midnight", 9, SQL_C_CHAR, "2024-02-29 00:00:00", 0, "2024-02-29"},
      {"timestamp text with a time", 9, SQL_C_CHAR, "2024-02-29 10:00:00", kMsgDatetimeFieldOverflow, ""},
      {"bad date text", 9, SQL_C_CHAR, "2023-02-29", kMsgAssignmentError, ""},
      {"time text into date", 9, SQL_C_CHAR, "10:11:12", kMsgAssignmentError, ""},
      {"timestamp struct into date", 9, SQL_C_TIMESTAMP, &stamp, kMsgDatetimeFieldOverflow, ""},
      {"time into date", 9, SQL_C_TIME, &time, kMsgConversionError, ""},
      {"date from its own bytes", 9, SQL_C_BINARY, &date, 0, "2024-02-29"},
      {"time struct", 10, SQL_C_TIME, &time, 0, "10:11:12"},
      {"time text", 10, SQL_C_CHAR, "{t '10:11:12'}", 0, "10:11:12"},
      {"timestamp into time", 10, SQL_C_TYPE_TIMESTAMP, &stamp, kMsgDatetimeFieldOverflow, ""},
      {"timestamp into time without a fraction", 10, SQL_C_TYPE_TIMESTAMP, &whole, 0, "10:11:12"},
      {"date into time", 10, SQL_C_TYPE_DATE, &date, kMsgConversionError, ""},
      {"invalid time struct", 10, SQL_C_TYPE_TIME, &badTime, kMsgInvalidDatetimeFormat, ""},
      {"timestamp struct", 11, SQL_C_TIMESTAMP, &stamp, 0, "2024-02-29 10:11:12.000"},
      {"date into timestamp", 11, SQL_C_DATE, &date, 0, "2024-02-29 00:00:00.000"},
      {"date text into timestamp", 11, SQL_C_CHAR, "2024-02-29", 0, "2024-02-29 00:00:00.000"},
      {"long escape", 11, SQL_C_CHAR, "--(*vendor(Microsoft),product(ODBC) ts '2024-02-29 10:11:12.5' *)--", 0,
       "2024-02-29 10:11:12.500"},
  };
  for (const Case& c : cases) {
    ValueCell cell = Cell(c.valueType, c.valueType);
    EXPECT_EQ(Convert(cell, c.cType, c.data, c.cType == SQL_C_BINARY ? 6 : SQL_NTS), c.id) << c.name;
    if (c.id != kMsgSuccess && c.id != kMsgDataTruncated) continue;
    char text[24];
    if (c.valueType == 9) FormatDateText(cell.value.date, text);
    if (c.valueType == 10) FormatTimeText(cell.value.time, text);
    if (c.valueType == 11) FormatTimestampText(cell.value.timestamp, text);
    EXPECT_STREQ(text, c.expected) << c.name;
  }
  // A time of day, as a structure or a text, stands on today's date.
  const SQL_DATE_STRUCT today = LocalDateToday();
  for (const auto& [cType, data] : {std::pair<SQLSMALLINT, const void*>{SQL_C_TYPE_TIME, &time},
                                     std::pair<SQLSMALLINT, const void*>{SQL_C_CHAR, "10:11:12"}}) {
    ValueCell cell = Cell(11, 11);
    ASSERT_EQ(Convert(cell, cType, data, SQL_NTS), kMsgSuccess);
    const SQL_TIMESTAMP_STRUCT& t = cell.value.timestamp;
    EXPECT_TRUE(t.year == today.year && t.month == today.month && t.day == today.day);
    EXPECT_TRUE(t.hour == 10 && t.minute == 11 && t.second == 12 && t.fraction == 0);
  }
}

TEST(CToNode, WideTextBecomesUtf8) {
  // "é€😀" as UTF-16LE: a surrogate pair at the end.
  const std::string wide("\xE9\0\xAC\x20\x3D\xD8\x00\xDE\0\0", 10);
  ValueCell cell = Cell(1, 12, 20);
  ASSERT_EQ(Convert(cell, SQL_C_WCHAR, wide.data(), SQL_NTS), kMsgSuccess);
  EXPECT_EQ(cell.bytes, "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  ValueCell narrow = Cell(1, 12, 2);
  ASSERT_EQ(Convert(narrow, SQL_C_WCHAR, wide.data(), 8), kMsgSuccess);
  EXPECT_EQ(narrow.bytes, "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");  // beyond its size of 2, whole
  ValueCell odd = Cell(1, 12, 20);
  EXPECT_EQ(Convert(odd, SQL_C_WCHAR, wide.data(), 7), kMsgConversionError);
  ValueCell split = Cell(1, 12, 20);
  EXPECT_EQ(Convert(split, SQL_C_WCHAR, wide.data(), 6), kMsgConversionError);
  ValueCell number = Cell(4, 4);
  ASSERT_EQ(Convert(number, SQL_C_WCHAR, std::string("4\0" "2\0", 4).data(), 4), kMsgSuccess);
  EXPECT_EQ(number.value.number, 42);
}

TEST(CToNode, NullAndDefaultCType) {
  ValueCell cell = Cell(1, 12);
  cell.bytes = "old";
  cell.nullFlag = 0;
  EXPECT_EQ(Convert(cell, SQL_C_CHAR, "x", SQL_NULL_DATA), kMsgSuccess);
  EXPECT_EQ(cell.nullFlag, 1);
  EXPECT_EQ(cell.bytes, "");

  const SQLINTEGER forty = 40;
  ValueCell integer = Cell(4, SQL_INTEGER);
  ASSERT_EQ(Convert(integer, SQL_C_DEFAULT, &forty, 0), kMsgSuccess);
  EXPECT_EQ(integer.value.number, 40);
  ValueCell text = Cell(1, SQL_VARCHAR);
  ASSERT_EQ(Convert(text, SQL_C_DEFAULT, "abc", SQL_NTS), kMsgSuccess);
  EXPECT_EQ(text.bytes, "abc");
  ValueCell unknown = Cell(1, 0);
  EXPECT_EQ(Convert(unknown, SQL_C_DEFAULT, "abc", SQL_NTS), kMsgNotSupportedDetail);
}

TEST(CToNode, ColumnWiseRowsStepByElement) {
  StatementHandle statement;
  const SQLINTEGER numbers[3] = {10, 20, 30};
  const char texts[3][4] = {"ab", "cd", "ef"};
  ValueCell integer = Cell(4, 4);
  // A buffer length of 0, as applications pass for fixed-size arrays.
  ASSERT_EQ(ConvertCValueToNodeValue(&statement, integer, nullptr, SQL_C_SLONG, numbers, 0, 2, 0), kMsgSuccess);
  EXPECT_EQ(integer.value.number, 30);
  ValueCell text = Cell(1, 12);
  ASSERT_EQ(ConvertCValueToNodeValue(&statement, text, nullptr, SQL_C_CHAR, texts, SQL_NTS, 1, 4), kMsgSuccess);
  EXPECT_EQ(text.bytes, "cd");
  statement.currentApd->bindType = 16;  // row-wise: the caller has stepped the pointer already
  ASSERT_EQ(ConvertCValueToNodeValue(&statement, text, nullptr, SQL_C_CHAR, texts, SQL_NTS, 1, 4), kMsgSuccess);
  EXPECT_EQ(text.bytes, "ab");
}

TEST(CToNode, PiecesAppendWholeBeyondTheSize) {
  ValueCell cell = Cell(1, -1, 8);
  SQLLEN offset = 0;
  ASSERT_EQ(Convert(cell, SQL_C_CHAR, "abc", SQL_NTS, &offset), kMsgSuccess);
  EXPECT_EQ(offset, 3);
  ASSERT_EQ(Convert(cell, SQL_C_CHAR, "def", 3, &offset), kMsgSuccess);
  ASSERT_EQ(Convert(cell, SQL_C_WCHAR, std::string("g\0h\0i\0", 6).data(), 6, &offset), kMsgSuccess);
  ASSERT_EQ(Convert(cell, SQL_C_CHAR, "j", 1, &offset), kMsgSuccess);
  EXPECT_EQ(cell.bytes, "abcdefghij");
  EXPECT_EQ(offset, 10);

  ValueCell binary = Cell(-2, -4, 0);
  offset = 0;
  ASSERT_EQ(Convert(binary, SQL_C_BINARY, "\x01\x02", 2, &offset), kMsgSuccess);
  ASSERT_EQ(Convert(binary, SQL_C_BINARY, "\x03", 1, &offset), kMsgSuccess);
  EXPECT_EQ(binary.bytes, "\x01\x02\x03");

  // A number takes one piece: a second would silently replace the first.
  ValueCell integer = Cell(4, 4);
  offset = 0;
  ASSERT_EQ(Convert(integer, SQL_C_CHAR, "12", SQL_NTS, &offset), kMsgSuccess);
  EXPECT_EQ(Convert(integer, SQL_C_CHAR, "34", SQL_NTS, &offset), kMsgConversionError);
  EXPECT_EQ(integer.value.number, 12);
}

}  // namespace
