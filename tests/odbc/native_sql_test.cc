// SQLNativeSql's core: the parser checks the text, which comes back as it
// was given, cut to the buffer with its full length reported.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/message_ids.h"
#include "odbc/native_sql.h"
#include "odbc_test_handles.h"

namespace {

// Each row: the text and its length argument, the buffer offered, and what
// comes back.
struct NativeCase {
  std::string text;
  SQLINTEGER textLength;
  SQLINTEGER bufferLength;
  MessageId id;
  std::string out;
  SQLINTEGER length;
};

TEST(NativeSql, TextComesBackUnchanged) {
  const std::string twenty = "SELECT a FROM tables";
  const NativeCase cases[] = {
      {twenty, SQL_NTS, 10, kMsgDataTruncated, "SELECT a ", 20},
      {twenty, 20, 21, kMsgSuccess, twenty, 20},
      {twenty, 20, 20, kMsgDataTruncated, twenty.substr(0, 19), 20},
      {twenty, 20, 0, kMsgDataTruncated, "", 20},
      {"SELECT {fn UCASE(a)} FROM t; garbage", SQL_NTS, 64, kMsgSuccess, "SELECT {fn UCASE(a)} FROM t; garbage", 36},
      {twenty + " WHERE", 20, 64, kMsgSuccess, twenty, 20},
      {twenty, -7, 64, kMsgInvalidBufferLength, "", -1},
  };
  for (const NativeCase& c : cases) {
    SCOPED_TRACE(c.text);
    Connection connection;
    char buffer[64];
    std::memset(buffer, '#', sizeof buffer);
    buffer[0] = 0;
    SQLINTEGER length = -1;
    EXPECT_EQ(NativeSql(*connection.connection, reinterpret_cast<const SQLCHAR*>(c.text.c_str()), c.textLength,
                        reinterpret_cast<SQLCHAR*>(buffer), c.bufferLength, &length),
              c.id);
    EXPECT_EQ(connection.connection->diagnostic.messageId, c.id == kMsgDataTruncated ? kMsgSuccess : c.id);
    EXPECT_EQ(std::string(buffer, std::min<std::size_t>(std::strlen(buffer), 63)), c.out);
    EXPECT_EQ(length, c.length);
  }
}

TEST(NativeSql, ParseFailureGoesToTheConnection) {
  Connection connection;
  const char text[] = "SELECT a FROM t ORDER a";
  SQLINTEGER length = -1;
  EXPECT_EQ(NativeSql(*connection.connection, reinterpret_cast<const SQLCHAR*>(text), SQL_NTS, nullptr, 0, &length),
            kMsgElementMissing);
  EXPECT_EQ(connection.connection->diagnostic.messageId, kMsgElementMissing);
  EXPECT_EQ(connection.connection->diagnostic.detailText, "While parsing SQL found 'a' instead of 'BY' near: ");
  EXPECT_EQ(length, -1);
  EXPECT_EQ(connection.connection->firstStatement, nullptr);
}

TEST(NativeSql, LengthOnlyWithoutABuffer) {
  Connection connection;
  SQLINTEGER length = 0;
  EXPECT_EQ(NativeSql(*connection.connection, reinterpret_cast<const SQLCHAR*>("DELETE FROM t"), SQL_NTS, nullptr,
                      0, &length),
            kMsgSuccess);
  EXPECT_EQ(length, 13);
}

}  // namespace
