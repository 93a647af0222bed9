// SQL values into application buffers: every C type the ODBC layer asks for,
// NULL, truncation, SQLGetData pieces and wide text.
#include "common/sql_to_c.h"

#include <gtest/gtest.h>

#include <sql.h>
#include <sqlext.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "common/epoch_time.h"

namespace {

// Converts into a 64-byte buffer pre-filled with 'x' and answers the bytes
// written (up to outLength, or the terminated text for character targets).
struct Result {
  MessageId id;
  SQLLEN outLength;
  unsigned char buffer[64];
};

Result Convert(SQLSMALLINT sqlType, const void* source, SQLLEN sourceLength, SQLSMALLINT cType, SQLLEN targetLength,
           bool unsignedFlag = false, SQLLEN* piece = nullptr) {
  Result r{};
  std::memset(r.buffer, 'x', sizeof r.buffer);
  r.outLength = 12345;
  r.id = ConvertSqlValueToCType(sqlType, unsignedFlag, source, sourceLength, piece, cType, r.buffer, targetLength,
                                &r.outLength);
  return r;
}

std::string Text(const Result& r) { return reinterpret_cast<const char*>(r.buffer); }

TEST(SqlToC, CharacterTargets) {
  const SQLINTEGER integer = -42;
  const SQLSMALLINT small = 7;
  const double real = 0.1 + 0.2;
  const double big = 1e300;
  const SQL_DATE_STRUCT date{2024, 2, 29};
  const SQL_TIMESTAMP_STRUCT stamp{2024, 2, 29, 1, 2, 3, 456000000};
  struct Case {
    const char* name;
    SQLSMALLINT sqlType;
    const void* source;
    SQLLEN sourceLength;
    SQLLEN targetLength;
    MessageId id;
    const char* text;
    SQLLEN outLength;
  };
  const Case cases[] = {
      {"text fits", SQL_VARCHAR, "hello", SQL_NTS, 6, 0, "hello", 5},
      {"text cut for the NUL", SQL_VARCHAR, "hello", 5, 5, kMsgDataTruncated, "hell", 5},
      {"cut keeps utf-8 whole", SQL_CHAR, "a\xE2\x82\xAC", SQL_NTS, 3, kMsgDataTruncated, "a", 4},
      {"decimal text kept", SQL_NUMERIC, "12.50", SQL_NTS, 10, 0, "12.50", 5},
      {"decimal fraction cut", SQL_DECIMAL, "12.50", SQL_NTS, 4, kMsgDataTruncated, "12.", 5},
      {"decimal whole digits do not fit", SQL_DECIMAL, "12345", SQL_NTS, 4, kMsgOutOfRange, "", 12345},
      {"integer", SQL_INTEGER, &integer, 4, 10, 0, "-42", 3},
      {"smallint", SQL_SMALLINT, &small, 2, 10, 0, "7", 1},
      {"double", SQL_DOUBLE, &real, 8, 30, 0, "0.3", 3},
      {"large double takes exponent form", SQL_DOUBLE, &big, 8, 20, 0, "1.000000E+300", 13},
      {"date", SQL_TYPE_DATE, &date, 6, 11, 0, "2024-02-29", 10},
      {"date does not fit", SQL_DATE, &date, 6, 10, kMsgOutOfRange, "", 10},
      {"timestamp", SQL_TIMESTAMP, &stamp, 16, 24, 0, "2024-02-29 01:02:03.456", 23},
      {"timestamp milliseconds cut", SQL_TIMESTAMP, &stamp, 16, 21, kMsgDataTruncated, "2024-02-29 01:02:03.", 23},
      {"binary as hex", SQL_VARBINARY, "\x01\xAB", 2, 10, 0, "01AB", 4},
  };
  for (const Case& c : cases) {
    const Result r = Convert(c.sqlType, c.source, c.sourceLength, SQL_C_CHAR, c.targetLength);
    EXPECT_EQ(r.id, c.id) << c.name;
    if (c.id == kMsgOutOfRange) continue;
    EXPECT_EQ(Text(r), c.text) << c.name;
    EXPECT_EQ(r.outLength, c.outLength) << c.name;
  }
}

TEST(SqlToC, NumberTargets) {
  const SQLINTEGER integer = 300;
  const SQLINTEGER negative = -1;
  const double real = 2.75;
  struct Case {
    const char* name;
    SQLSMALLINT sqlType;
    const void* source;
    SQLLEN sourceLength;
    SQLSMALLINT cType;
    bool unsignedFlag;
    MessageId id;
    long long expected;
  };
  const Case cases[] = {
      {"integer to slong", SQL_INTEGER, &integer, 4, SQL_C_SLONG, false, 0, 300},
      {"integer to stinyint overflow", SQL_INTEGER, &integer, 4, SQL_C_STINYINT, false, kMsgOutOfRange, 0},
      {"integer to sshort", SQL_INTEGER, &integer, 4, SQL_C_SSHORT, false, 0, 300},
      {"negative to ulong", SQL_INTEGER, &negative, 4, SQL_C_ULONG, false, kMsgOutOfRange, 0},
      {"unsigned source", SQL_INTEGER, &negative, 4, SQL_C_UBIGINT, true, 0, 4294967295LL},
      {"signless follows the flag", SQL_INTEGER, &negative, 4, SQL_C_LONG, false, 0, -1},
      {"double fraction dropped", SQL_DOUBLE, &real, 8, SQL_C_SLONG, false, kMsgFractionalTruncation, 2},
      {"text to sbigint exactly", SQL_VARCHAR, "9007199254740993", SQL_NTS, SQL_C_SBIGINT, false, 0,
       9007199254740993LL},
      {"bigint text", SQL_BIGINT, "-9223372036854775808", SQL_NTS, SQL_C_SBIGINT, false, 0, INT64_MIN},
      {"decimal zero in normal form", SQL_NUMERIC, "", SQL_NTS, SQL_C_SLONG, false, 0, 0},
      {"bigint overflow", SQL_BIGINT, "9223372036854775808", SQL_NTS, SQL_C_SBIGINT, false, kMsgOutOfRange, 0},
      {"text not a number", SQL_CHAR, "abc", SQL_NTS, SQL_C_SLONG, false, kMsgAssignmentError, 0},
      {"bit from text", SQL_CHAR, "1", SQL_NTS, SQL_C_BIT, false, 0, 1},
      {"bit overflow", SQL_INTEGER, &integer, 4, SQL_C_BIT, false, kMsgOutOfRange, 0},
      {"bit between 0 and 2 drops the fraction", SQL_DECIMAL, "1.5", SQL_NTS, SQL_C_BIT, false,
       kMsgFractionalTruncation, 1},
      {"bit of a fraction below 1", SQL_VARCHAR, " 0.25 ", SQL_NTS, SQL_C_BIT, false, kMsgFractionalTruncation, 0},
      {"bit below 0", SQL_DECIMAL, "-0.5", SQL_NTS, SQL_C_BIT, false, kMsgOutOfRange, 0},
      {"text fraction dropped", SQL_VARCHAR, "-7.9", SQL_NTS, SQL_C_SSHORT, false, kMsgFractionalTruncation, -7},
      {"date to integer", SQL_DATE, "\0\0\0\0\0\0", 6, SQL_C_SLONG, false, kMsgConversionError, 0},
  };
  for (const Case& c : cases) {
    const Result r = Convert(c.sqlType, c.source, c.sourceLength, c.cType, 0, c.unsignedFlag);
    EXPECT_EQ(r.id, c.id) << c.name;
    if (!IsDeliveredValue(c.id)) {
      EXPECT_EQ(r.buffer[0], 'x') << "untouched: " << c.name;
      continue;
    }
    long long value = 0;
    switch (c.cType) {
      case SQL_C_SLONG:
      case SQL_C_LONG: {
        SQLINTEGER v;
        std::memcpy(&v, r.buffer, 4);
        value = v;
        EXPECT_EQ(r.outLength, 4) << c.name;
        break;
      }
      case SQL_C_SSHORT: {
        SQLSMALLINT v;
        std::memcpy(&v, r.buffer, 2);
        value = v;
        break;
      }
      case SQL_C_BIT:
        value = r.buffer[0];
        break;
      default: {
        std::int64_t v;
        std::memcpy(&v, r.buffer, 8);
        value = v;
      }
    }
    EXPECT_EQ(value, c.expected) << c.name;
  }
}

TEST(SqlToC, RealAndNumericTargets) {
  const SQLSMALLINT small = -5;
  Result r = Convert(SQL_NUMERIC, "-123.45", SQL_NTS, SQL_C_DOUBLE, 8);
  double real = 0;
  std::memcpy(&real, r.buffer, 8);
  EXPECT_EQ(r.id, kMsgSuccess);
  EXPECT_DOUBLE_EQ(real, -123.45);
  r = Convert(SQL_SMALLINT, &small, 2, SQL_C_FLOAT, 4);
  float single = 0;
  std::memcpy(&single, r.buffer, 4);
  EXPECT_EQ(single, -5.0f);
  EXPECT_EQ(Convert(SQL_VARCHAR, "1e39", SQL_NTS, SQL_C_FLOAT, 4).id, kMsgOutOfRange);

  r = Convert(SQL_DECIMAL, "-123.45", SQL_NTS, SQL_C_NUMERIC, 19);
  ASSERT_EQ(r.id, kMsgSuccess);
  SQL_NUMERIC_STRUCT numeric;
  std::memcpy(&numeric, r.buffer, sizeof numeric);
  EXPECT_EQ(numeric.sign, 0);
  EXPECT_EQ(numeric.scale, 2);
  EXPECT_EQ(numeric.val[0] | (numeric.val[1] << 8), 12345);
  EXPECT_EQ(r.outLength, static_cast<SQLLEN>(sizeof(SQL_NUMERIC_STRUCT)));
}

// SQL_C_NUMERIC at an application descriptor's precision and scale: the
// digits are scaled to it, cut fraction digits warn, whole digits that
// don't fit fail, and the struct says the precision and scale it holds.
TEST(SqlToC, NumericAtDescriptorPrecisionAndScale) {
  const double real = 2.5;
  const SQLINTEGER integer = -7;
  struct Case {
    const char* name;
    SQLSMALLINT sqlType;
    const void* source;
    SQLLEN sourceLength;
    std::int32_t precision;
    std::int32_t scale;
    MessageId id;
    std::uint64_t magnitude;
    SQLCHAR sign;
  } const cases[] = {
      {"scale padded", SQL_NUMERIC, "12.5", SQL_NTS, 10, 3, kMsgSuccess, 12500, 1},
      {"scale 0 cuts the fraction", SQL_DECIMAL, "-123.45", SQL_NTS, 19, 0, kMsgFractionalTruncation, 123, 0},
      {"fraction cut to the scale", SQL_VARCHAR, "0.129", SQL_NTS, 5, 2, kMsgFractionalTruncation, 12, 1},
      {"whole digits beyond precision - scale", SQL_NUMERIC, "1234", SQL_NTS, 5, 2, kMsgOutOfRange, 0, 1},
      {"a double", SQL_DOUBLE, &real, 8, 4, 2, kMsgSuccess, 250, 1},
      {"an integer", SQL_INTEGER, &integer, 4, 3, 1, kMsgSuccess, 70, 0},
      {"a decimal zero's empty text", SQL_NUMERIC, "", 0, 19, 2, kMsgSuccess, 0, 1},
      {"a precision outside 1..38 means 38", SQL_NUMERIC, "1", SQL_NTS, 0, 0, kMsgSuccess, 1, 1},
      {"text that is no number", SQL_VARCHAR, "abc", SQL_NTS, 10, 0, kMsgAssignmentError, 0, 1},
      {"bytes are no number", SQL_BINARY, "ab", 2, 10, 0, kMsgConversionError, 0, 1},
  };
  for (const Case& c : cases) {
    unsigned char buffer[sizeof(SQL_NUMERIC_STRUCT) + 4];
    std::memset(buffer, 'x', sizeof buffer);
    SQLLEN length = 0;
    const MessageId id = ConvertSqlValueToNumeric(c.sqlType, false, c.source, c.sourceLength, c.precision, c.scale,
                                                  buffer, &length);
    EXPECT_EQ(id, c.id) << c.name;
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer) + sizeof(SQL_NUMERIC_STRUCT), 4), "xxxx") << c.name;
    if (id != kMsgSuccess && id != kMsgDataTruncated) continue;
    SQL_NUMERIC_STRUCT numeric;
    std::memcpy(&numeric, buffer, sizeof numeric);
    std::uint64_t magnitude = 0;
    for (int i = 7; i >= 0; --i) magnitude = magnitude << 8 | numeric.val[i];
    EXPECT_EQ(magnitude, c.magnitude) << c.name;
    EXPECT_EQ(numeric.sign, c.sign) << c.name;
    EXPECT_EQ(numeric.precision, c.precision >= 1 && c.precision <= 38 ? c.precision : 38) << c.name;
    EXPECT_EQ(numeric.scale, c.scale) << c.name;
    EXPECT_EQ(length, static_cast<SQLLEN>(sizeof(SQL_NUMERIC_STRUCT))) << c.name;
  }
  SQLLEN length = 0;
  EXPECT_EQ(ConvertSqlValueToNumeric(SQL_NUMERIC, false, nullptr, SQL_NULL_DATA, 10, 2, nullptr, &length), kMsgSuccess);
  EXPECT_EQ(length, SQL_NULL_DATA);
}

TEST(SqlToC, DateTimeTargets) {
  const SQL_DATE_STRUCT date{2024, 2, 29};
  const SQL_TIME_STRUCT time{1, 2, 3};
  const SQL_TIMESTAMP_STRUCT stamp{2024, 2, 29, 1, 2, 3, 0};
  const SQL_TIMESTAMP_STRUCT fraction{2024, 2, 29, 0, 0, 0, 5};
  struct Case {
    const char* name;
    SQLSMALLINT sqlType;
    const void* source;
    SQLLEN sourceLength;
    SQLSMALLINT cType;
    MessageId id;
    const char* expected;
  };
  const Case cases[] = {
      {"date to timestamp", SQL_DATE, &date, 6, SQL_C_TYPE_TIMESTAMP, 0, "2024-02-29 00:00:00.000"},
      {"timestamp to date drops the time", SQL_TIMESTAMP, &stamp, 16, SQL_C_DATE, kMsgFractionalTruncation,
       "2024-02-29"},
      {"timestamp to time", SQL_TYPE_TIMESTAMP, &stamp, 16, SQL_C_TIME, 0, "01:02:03"},
      {"timestamp to time drops the fraction", SQL_TYPE_TIMESTAMP, &fraction, 16, SQL_C_TYPE_TIME,
       kMsgFractionalTruncation, "00:00:00"},
      {"time to date", SQL_TIME, &time, 6, SQL_C_DATE, kMsgConversionError, ""},
      {"date to time", SQL_TYPE_DATE, &date, 6, SQL_C_TYPE_TIME, kMsgConversionError, ""},
      {"text to date", SQL_VARCHAR, "{d '2024-02-29'}", SQL_NTS, SQL_C_TYPE_DATE, 0, "2024-02-29"},
      {"timestamp text to date", SQL_VARCHAR, "2024-02-29 00:00:01", SQL_NTS, SQL_C_TYPE_DATE,
       kMsgFractionalTruncation, "2024-02-29"},
      {"bad text to date", SQL_VARCHAR, "2023-02-29", SQL_NTS, SQL_C_DATE, kMsgAssignmentError, ""},
      {"time text to date", SQL_VARCHAR, "12:00:00", SQL_NTS, SQL_C_DATE, kMsgAssignmentError, ""},
      {"date text to time", SQL_VARCHAR, "2024-02-29", SQL_NTS, SQL_C_TYPE_TIME, kMsgAssignmentError, ""},
      {"text to time", SQL_CHAR, "23:00:01", SQL_NTS, SQL_C_TIME, 0, "23:00:01"},
      {"number to date", SQL_INTEGER, "\0\0\0\0", 4, SQL_C_DATE, kMsgConversionError, ""},
      {"default of date", SQL_TYPE_DATE, &date, 6, SQL_C_DEFAULT, 0, "2024-02-29"},
  };
  for (const Case& c : cases) {
    const Result r = Convert(c.sqlType, c.source, c.sourceLength, c.cType, 16);
    EXPECT_EQ(r.id, c.id) << c.name;
    if (!IsDeliveredValue(c.id)) continue;
    char text[80];
    if (c.cType == SQL_C_TYPE_TIMESTAMP || c.cType == SQL_C_TIMESTAMP) {
      SQL_TIMESTAMP_STRUCT t;
      std::memcpy(&t, r.buffer, sizeof t);
      std::snprintf(text, sizeof text, "%04d-%02u-%02u %02u:%02u:%02u.%03u", t.year, t.month, t.day, t.hour, t.minute,
                    t.second, t.fraction / 1000000);
    } else if (c.cType == SQL_C_TIME || c.cType == SQL_C_TYPE_TIME) {
      SQL_TIME_STRUCT t;
      std::memcpy(&t, r.buffer, sizeof t);
      std::snprintf(text, sizeof text, "%02u:%02u:%02u", t.hour, t.minute, t.second);
    } else {
      SQL_DATE_STRUCT d;
      std::memcpy(&d, r.buffer, sizeof d);
      std::snprintf(text, sizeof text, "%04d-%02u-%02u", d.year, d.month, d.day);
    }
    EXPECT_STREQ(text, c.expected) << c.name;
  }
  // A time of day, as a value or a text, stands on today's date.
  const SQL_DATE_STRUCT today = LocalDateToday();
  for (const Result& r : {Convert(SQL_TIME, &time, 6, SQL_C_TYPE_TIMESTAMP, 16),
                          Convert(SQL_VARCHAR, "01:02:03", SQL_NTS, SQL_C_TIMESTAMP, 16)}) {
    ASSERT_EQ(r.id, kMsgSuccess);
    SQL_TIMESTAMP_STRUCT t;
    std::memcpy(&t, r.buffer, sizeof t);
    EXPECT_TRUE(t.year == today.year && t.month == today.month && t.day == today.day);
    EXPECT_TRUE(t.hour == 1 && t.minute == 2 && t.second == 3 && t.fraction == 0);
  }
}

TEST(SqlToC, NullAndUnknownTypes) {
  Result r = Convert(SQL_VARCHAR, "abc", SQL_NULL_DATA, SQL_C_CHAR, 10);
  EXPECT_EQ(r.id, kMsgSuccess);
  EXPECT_EQ(r.outLength, SQL_NULL_DATA);
  EXPECT_EQ(r.buffer[0], 'x');
  EXPECT_EQ(Convert(SQL_VARCHAR, "abc", SQL_NTS, SQL_C_GUID, 10).id, kMsgDriverNotCapable);
  EXPECT_EQ(Convert(SQL_GUID, "abc", SQL_NTS, SQL_C_CHAR, 10).id, kMsgConversionError);
  const SQLINTEGER bookmark = 17;
  r = Convert(SQL_INTEGER, &bookmark, 4, SQL_C_BINARY, 2);
  EXPECT_EQ(r.id, kMsgOutOfRange);  // four bytes into two
  r = Convert(SQL_INTEGER, &bookmark, 4, SQL_C_BINARY, 4);
  EXPECT_EQ(r.id, kMsgSuccess);
  EXPECT_EQ(r.outLength, 4);
  EXPECT_EQ(r.buffer[0], 17);
}

// A 100-byte text in 40-byte pieces: 39, 39 and 22 characters, then no data.
TEST(SqlToC, CharacterPieces) {
  std::string text;
  for (int i = 0; i < 100; ++i) text += static_cast<char>('a' + i % 26);
  SQLLEN offset = 0;
  const struct {
    MessageId id;
    SQLLEN outLength;
    std::size_t delivered;
  } steps[] = {{kMsgDataTruncated, 100, 39}, {kMsgDataTruncated, 61, 39}, {kMsgSuccess, 22, 22}};
  std::string gathered;
  for (const auto& step : steps) {
    const Result r = Convert(SQL_LONGVARCHAR, text.data(), 100, SQL_C_CHAR, 40, false, &offset);
    EXPECT_EQ(r.id, step.id);
    EXPECT_EQ(r.outLength, step.outLength);
    EXPECT_EQ(Text(r).size(), step.delivered);
    gathered += Text(r);
  }
  EXPECT_EQ(gathered, text);
  EXPECT_EQ(Convert(SQL_LONGVARCHAR, text.data(), 100, SQL_C_CHAR, 40, false, &offset).id, kMsgNoDataFound);
}

TEST(SqlToC, BinaryPiecesAndLengthQuery) {
  std::string bytes(100, '\x5A');
  SQLLEN offset = 0;
  const std::size_t sizes[] = {40, 40, 20};
  for (std::size_t size : sizes) {
    const Result r = Convert(SQL_LONGVARBINARY, bytes.data(), 100, SQL_C_BINARY, 40, false, &offset);
    EXPECT_EQ(r.id, size == 40 ? kMsgDataTruncated : kMsgSuccess);
    EXPECT_EQ(r.buffer[size], size == 40 ? 'x' : 'x');  // no terminator for binary
  }
  EXPECT_EQ(offset, 100);
  // A zero-length buffer asks for the length and moves nothing.
  SQLLEN start = 0;
  const Result r = Convert(SQL_VARCHAR, "hello", SQL_NTS, SQL_C_CHAR, 0, false, &start);
  EXPECT_EQ(r.id, kMsgDataTruncated);
  EXPECT_EQ(r.outLength, 5);
  EXPECT_EQ(start, 0);
}

TEST(SqlToC, WideTargets) {
  // "aé😀" in UTF-8; UTF-16LE is 2 + 2 + 4 bytes.
  const char* text = "a\xC3\xA9\xF0\x9F\x98\x80";
  Result r = Convert(SQL_VARCHAR, text, SQL_NTS, SQL_C_WCHAR, 20);
  ASSERT_EQ(r.id, kMsgSuccess);
  EXPECT_EQ(r.outLength, 8);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(r.buffer), 10), std::string("a\0\xE9\0\x3D\xD8\x00\xDE\0\0", 10));

  // Room for 7 bytes: odd, and the pair would be split; 4 bytes go.
  SQLLEN offset = 0;
  r = Convert(SQL_VARCHAR, text, SQL_NTS, SQL_C_WCHAR, 9, false, &offset);
  EXPECT_EQ(r.id, kMsgDataTruncated);
  EXPECT_EQ(r.outLength, 8);
  EXPECT_EQ(offset, 4);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(r.buffer), 7), std::string("a\0\xE9\0\0\0x", 7));
  r = Convert(SQL_VARCHAR, text, SQL_NTS, SQL_C_WCHAR, 9, false, &offset);
  EXPECT_EQ(r.id, kMsgSuccess);
  EXPECT_EQ(r.outLength, 4);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(r.buffer), 6), std::string("\x3D\xD8\x00\xDE\0\0", 6));

  const SQLINTEGER number = 12;
  r = Convert(SQL_INTEGER, &number, 4, SQL_C_WCHAR, 20);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(r.buffer), 6), std::string("1\0" "2\0\0\0", 6));
  EXPECT_EQ(r.outLength, 4);
}

// One source of the sweep below: a SQL type and the bytes it arrives as.
struct SweepSource {
  SQLSMALLINT sqlType;
  bool unsignedFlag;
  std::string bytes;
  SQLLEN length;  // bytes.size() unless SQL_NTS
};

template <typename T>
SweepSource Fixed(SQLSMALLINT sqlType, T value, bool unsignedFlag = false) {
  return SweepSource{sqlType, unsignedFlag, std::string(reinterpret_cast<const char*>(&value), sizeof value),
                     static_cast<SQLLEN>(sizeof value)};
}

SweepSource Variable(SQLSMALLINT sqlType, std::string bytes, bool nts = false) {
  const auto length = nts ? SQL_NTS : static_cast<SQLLEN>(bytes.size());
  return SweepSource{sqlType, false, std::move(bytes), length};
}

std::vector<SweepSource> SweepSources() {
  std::vector<SweepSource> sources;
  for (std::int64_t v : {std::int64_t{0}, std::int64_t{1}, std::int64_t{-1}, std::int64_t{255}, std::int64_t{-129},
                         std::int64_t{65536}, std::int64_t{INT32_MIN}, std::int64_t{INT32_MAX}, std::int64_t{INT64_MIN},
                         std::int64_t{INT64_MAX}}) {
    for (bool isUnsigned : {false, true}) {
      sources.push_back(Fixed(SQL_INTEGER, static_cast<std::int32_t>(v), isUnsigned));
      sources.push_back(Fixed(SQL_SMALLINT, static_cast<std::int16_t>(v), isUnsigned));
      sources.push_back(Fixed(SQL_TINYINT, static_cast<std::int8_t>(v), isUnsigned));
      sources.push_back(Fixed(SQL_INTEGER, v, isUnsigned));  // a length of 8 names the width
    }
  }
  sources.push_back(Fixed(SQL_BIT, std::uint8_t{0}));
  sources.push_back(Fixed(SQL_BIT, std::uint8_t{1}));
  for (double v : {0.0, -0.0, 0.1, 1.5, -123.456, 255.0, 65535.5, 2147483648.0, 1e20, -1e-20, 3.4e39, 12345678.9,
                   1.7976931348623157e308, std::numeric_limits<double>::infinity(), std::nan("")}) {
    sources.push_back(Fixed(SQL_DOUBLE, v));
    sources.push_back(Fixed(SQL_FLOAT, v));
    sources.push_back(Fixed(SQL_REAL, static_cast<float>(v)));
    sources.push_back(Fixed(SQL_DOUBLE, static_cast<float>(v)));  // a length of 4 means a float
  }
  for (SQLSMALLINT type : {SQL_DATE, SQL_TYPE_DATE}) {
    sources.push_back(Fixed(type, SQL_DATE_STRUCT{2024, 2, 29}));
    sources.push_back(Fixed(type, SQL_DATE_STRUCT{1, 1, 1}));
  }
  for (SQLSMALLINT type : {SQL_TIME, SQL_TYPE_TIME}) sources.push_back(Fixed(type, SQL_TIME_STRUCT{23, 59, 58}));
  for (SQLSMALLINT type : {SQL_TIMESTAMP, SQL_TYPE_TIMESTAMP}) {
    sources.push_back(Fixed(type, SQL_TIMESTAMP_STRUCT{2024, 12, 31, 23, 59, 58, 987654321}));
    sources.push_back(Fixed(type, SQL_TIMESTAMP_STRUCT{1999, 1, 2, 0, 0, 0, 0}));
  }
  for (const char* text : {"", "abc", "12.50", " 42 ", "-7", "300", "1e3", "x", "2024-01-02", "2024-01-02 03:04:05.5",
                           "{ts '2024-01-02 03:04:05'}", "12:34:56",
                           "h\xC3\xA9llo w\xC3\xB6rld \xF0\x9F\x98\x80 end"}) {
    for (SQLSMALLINT type : {SQL_VARCHAR, SQL_CHAR, SQL_LONGVARCHAR, SQL_WVARCHAR}) {
      sources.push_back(Variable(type, text));
    }
    sources.push_back(Variable(SQL_VARCHAR, text, true));
  }
  for (const char* text : {"", "  ", "0", "12.50", "-0.001", "255", "-128", "123456789012345678901234567890",
                           "1.000000000000000000000000000000000000001", "abc", "1e500", "9223372036854775808"}) {
    for (SQLSMALLINT type : {SQL_NUMERIC, SQL_DECIMAL, SQL_BIGINT}) sources.push_back(Variable(type, text));
  }
  sources.push_back(Variable(SQL_VARBINARY, std::string("\x00\xFF\x10\x7F", 4)));
  sources.push_back(Variable(SQL_LONGVARBINARY, ""));
  sources.push_back(Variable(SQL_GUID, "x"));
  return sources;
}

constexpr SQLSMALLINT kSweepCTypes[] = {
    SQL_C_CHAR,   SQL_C_WCHAR,     SQL_C_BINARY,   SQL_C_DEFAULT, SQL_C_BIT,       SQL_C_STINYINT, SQL_C_UTINYINT,
    SQL_C_TINYINT, SQL_C_SSHORT,   SQL_C_USHORT,   SQL_C_SHORT,   SQL_C_SLONG,     SQL_C_ULONG,    SQL_C_LONG,
    SQL_C_SBIGINT, SQL_C_UBIGINT,  SQL_C_FLOAT,    SQL_C_DOUBLE,  SQL_C_NUMERIC,   SQL_C_DATE,     SQL_C_TIME,
    SQL_C_TIMESTAMP, SQL_C_TYPE_DATE, SQL_C_TYPE_TIME, SQL_C_TYPE_TIMESTAMP, 9999};

struct SweepDigest {
  std::uint64_t hash = 14695981039346656037ull;
  void Add(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
  }
  void AddNumber(std::int64_t value) { Add(&value, sizeof value); }
};

// A time of day reaches a timestamp on today's date, which changes daily.
void MaskToday(SQLSMALLINT cType, unsigned char* buffer) {
  const SQL_DATE_STRUCT today = LocalDateToday();
  if ((cType == SQL_C_TIMESTAMP || cType == SQL_C_TYPE_TIMESTAMP) && std::memcmp(buffer, &today, sizeof today) == 0)
    std::memset(buffer, 0, sizeof today);
}

// Every source into every C type at buffer sizes around the fixed texts'
// widths, piece after piece, digesting ids, lengths, offsets and every byte
// of the buffer. The digest was recorded from the conversions' first form,
// which built each display text as a string, and recorded again when
// ODBC's fractional truncation, 22018 for texts that are no date or time,
// times on today's date and whole decimals into binary buffers came in, and
// once more when a piece with no room for one whole character came to carry
// the bytes that fit.
TEST(SqlToC, SweepOfSourcesTypesAndBufferSizesMatchesTheRecordedDigest) {
  SweepDigest digest;
  for (const SweepSource& source : SweepSources()) {
    for (SQLSMALLINT cType : kSweepCTypes) {
      for (SQLLEN targetLength : {0, 1, 2, 3, 5, 8, 11, 12, 19, 20, 24, 25, 64, 300}) {
        unsigned char buffer[320];
        std::memset(buffer, 0xAB, sizeof buffer);
        SQLLEN piece = 0;
        for (int call = 0; call < 4; ++call) {
          SQLLEN outLength = 12345;
          const MessageId id = ConvertSqlValueToCType(source.sqlType, source.unsignedFlag, source.bytes.data(),
                                                      source.length, &piece, cType, buffer, targetLength, &outLength);
          digest.AddNumber(id);
          digest.AddNumber(outLength);
          digest.AddNumber(piece);
          MaskToday(cType, buffer);
          digest.Add(buffer, sizeof buffer);
          if (id != kMsgDataTruncated) break;
        }
      }
      SQLLEN outLength = 12345;
      digest.AddNumber(ConvertSqlValueToCType(source.sqlType, source.unsignedFlag, source.bytes.data(), source.length,
                                              nullptr, cType, nullptr, 0, &outLength));
      digest.AddNumber(outLength);
    }
  }
  EXPECT_EQ(digest.hash, 12687178454701736418ull);
}

}  // namespace
