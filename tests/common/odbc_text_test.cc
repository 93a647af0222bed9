// String arguments and buffer copies at the ODBC boundary.
#include "common/odbc_text.h"

#include <gtest/gtest.h>
#include <sql.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct CopyCase {
  std::string text;
  int bufferLength;
  MessageId id;
  const char* copied;  // nullptr: the buffer stays untouched
};

const std::string kSun = "\xE6\x97\xA5";   // 日, 3 bytes
const std::string kBook = "\xE6\x9C\xAC";  // 本, 3 bytes

std::vector<CopyCase> CopyCases() {
  return {
      {"hello", 6, kMsgSuccess, "hello"},
      {"hello", 5, kMsgDataTruncated, "hell"},
      {"hello", 1, kMsgDataTruncated, ""},
      {"hello", 0, kMsgDataTruncated, nullptr},
      {"hello", -4, kMsgDataTruncated, nullptr},
      {"", 1, kMsgSuccess, ""},
      {"", 0, kMsgDataTruncated, nullptr},
      {"a\xC3\xA9", 4, kMsgSuccess, "a\xC3\xA9"},
      {"a\xC3\xA9", 3, kMsgDataTruncated, "a"},
      {"a\xC3\xA9", 2, kMsgDataTruncated, "a"},
      {kSun + kBook, 7, kMsgSuccess, "\xE6\x97\xA5\xE6\x9C\xAC"},
      {kSun + kBook, 6, kMsgDataTruncated, "\xE6\x97\xA5"},
      {kSun + kBook, 4, kMsgDataTruncated, "\xE6\x97\xA5"},
      {kSun + kBook, 3, kMsgDataTruncated, ""},
  };
}

// Runs one case through either width and checks the bytes around the copy.
template <typename Length, typename Copy>
void CheckCopy(const CopyCase& c, Copy copy) {
  SQLCHAR buffer[32];
  std::memset(buffer, 'X', sizeof buffer);
  Length outLength = -99;
  EXPECT_EQ(copy(buffer, static_cast<Length>(c.bufferLength), &outLength, c.text), c.id)
      << c.text << " in " << c.bufferLength;
  EXPECT_EQ(outLength, static_cast<Length>(c.text.size()));
  if (c.copied == nullptr) {
    EXPECT_EQ(buffer[0], 'X');
    return;
  }
  EXPECT_STREQ(reinterpret_cast<char*>(buffer), c.copied) << c.text << " in " << c.bufferLength;
  for (std::size_t i = c.bufferLength > 0 ? static_cast<std::size_t>(c.bufferLength) : 0; i < sizeof buffer;
       ++i) {
    ASSERT_EQ(buffer[i], 'X') << c.text << " in " << c.bufferLength;
  }
}

TEST(CopyToOdbcBufferTest, BothWidthsCutAtCharacterBoundaries) {
  for (const CopyCase& c : CopyCases()) {
    CheckCopy<SQLSMALLINT>(c, CopyToOdbcBuffer16);
    CheckCopy<SQLINTEGER>(c, CopyToOdbcBuffer32);
  }
}

TEST(CopyToOdbcBufferTest, NullBufferOnlyReportsTheLength) {
  SQLSMALLINT length16 = 0;
  SQLINTEGER length32 = 0;
  EXPECT_EQ(CopyToOdbcBuffer16(nullptr, 10, &length16, "abcdef"), kMsgSuccess);
  EXPECT_EQ(CopyToOdbcBuffer32(nullptr, 10, &length32, "abcdef"), kMsgSuccess);
  EXPECT_EQ(length16, 6);
  EXPECT_EQ(length32, 6);
  SQLCHAR buffer[4];
  EXPECT_EQ(CopyToOdbcBuffer16(buffer, 4, nullptr, "abc"), kMsgSuccess);
  EXPECT_EQ(CopyToOdbcBuffer32(buffer, 4, nullptr, "abcd"), kMsgDataTruncated);
}

TEST(CopyToOdbcBufferTest, ShortLengthSaturatesInsteadOfWrapping) {
  const std::string text(40000, 'a');
  SQLSMALLINT length16 = 0;
  SQLINTEGER length32 = 0;
  EXPECT_EQ(CopyToOdbcBuffer16(nullptr, 0, &length16, text), kMsgSuccess);
  EXPECT_EQ(CopyToOdbcBuffer32(nullptr, 0, &length32, text), kMsgSuccess);
  EXPECT_EQ(length16, 32767);
  EXPECT_EQ(length32, 40000);
}

TEST(ClampOdbcLengthTest, Cases) {
  const SQLCHAR abc[] = "abc";
  const std::string longText(200, 'z');
  const auto* longPointer = reinterpret_cast<const SQLCHAR*>(longText.c_str());
  // Not NUL-terminated within reach: the scan must stop at maximum.
  const SQLCHAR unterminated[5] = {'a', 'b', 'c', 'd', 'e'};
  EXPECT_EQ(ClampOdbcLength(nullptr, 5, 127), 0);
  EXPECT_EQ(ClampOdbcLength(abc, SQL_NTS, 127), 3);
  EXPECT_EQ(ClampOdbcLength(longPointer, SQL_NTS, 127), 127);
  EXPECT_EQ(ClampOdbcLength(unterminated, SQL_NTS, 5), 5);
  EXPECT_EQ(ClampOdbcLength(abc, 2, 127), 2);
  EXPECT_EQ(ClampOdbcLength(longPointer, 200, 127), 127);
  EXPECT_EQ(ClampOdbcLength(abc, -1, 127), 0);
  EXPECT_EQ(ClampOdbcLength(abc, SQL_NTS, 0), 0);
}

}  // namespace
