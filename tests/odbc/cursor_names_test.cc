// Cursor names: lengths, uniqueness on one connection without case, and the
// generated SQL_CUR_n names.
#include <gtest/gtest.h>

#include <string>

#include "common/message_ids.h"
#include "odbc/cursor_names.h"
#include "odbc_test_handles.h"

namespace {

MessageId SetName(StatementHandle& statement, const std::string& name, SQLSMALLINT length = SQL_NTS) {
  return SetCursorName(statement, reinterpret_cast<const SQLCHAR*>(name.c_str()), length);
}

std::string GetName(StatementHandle& statement, SQLSMALLINT bufferLength, SQLSMALLINT& length,
                    MessageId& id) {
  SQLCHAR buffer[64] = {0};
  id = GetCursorName(statement, buffer, bufferLength, &length);
  return reinterpret_cast<char*>(buffer);
}

// Each row: a name set on one statement, and what setting it answers given
// that the other statement of the connection is named "Orders".
struct NameCase {
  std::string name;
  SQLSMALLINT length;
  MessageId id;
};

TEST(CursorNames, LengthsAndNamesInUse) {
  const NameCase cases[] = {
      {"abcdefghijklmnopqr", SQL_NTS, kMsgSuccess},
      {"abcdefghijklmnopqrs", SQL_NTS, kMsgInvalidCursorName},
      {"", SQL_NTS, kMsgInvalidCursorName},
      {"abc", 0, kMsgInvalidCursorName},
      {"abc", -5, kMsgInvalidBufferLength},
      {"abcdef", 3, kMsgSuccess},
      {"ORDERS", SQL_NTS, kMsgCursorNameInUse},
      {"orders", SQL_NTS, kMsgCursorNameInUse},
      {"Orders2", SQL_NTS, kMsgSuccess},
  };
  for (const NameCase& c : cases) {
    SCOPED_TRACE(c.name);
    Connection connection;
    StatementHandle* other = connection.NewStatement();
    StatementHandle* s = connection.NewStatement();
    ASSERT_EQ(SetName(*other, "Orders"), kMsgSuccess);
    s->diagnosticRowCount = 3;
    EXPECT_EQ(SetName(*s, c.name, c.length), c.id);
    EXPECT_EQ(s->diagnosticRowCount, 0);
    const std::string stored = c.length > 0 ? c.name.substr(0, static_cast<std::size_t>(c.length)) : c.name;
    EXPECT_EQ(s->cursorName, c.id == kMsgSuccess ? stored : "");
  }
}

TEST(CursorNames, SameNameOnItsOwnStatementOrAnotherConnection) {
  Connection first;
  Connection second;
  StatementHandle* a = first.NewStatement();
  StatementHandle* b = second.NewStatement();
  EXPECT_EQ(SetName(*a, "Report"), kMsgSuccess);
  EXPECT_EQ(SetName(*a, "REPORT"), kMsgSuccess);
  EXPECT_EQ(a->cursorName, "REPORT");
  EXPECT_EQ(SetName(*b, "report"), kMsgSuccess);
}

TEST(CursorNames, GeneratedNamesTakeTheFirstFreeNumberAndStay) {
  Connection connection;
  StatementHandle* first = connection.NewStatement();
  StatementHandle* second = connection.NewStatement();
  StatementHandle* third = connection.NewStatement();
  SQLSMALLINT length = 0;
  MessageId id = kMsgSuccess;
  EXPECT_EQ(GetName(*first, 64, length, id), "SQL_CUR_0");
  EXPECT_EQ(id, kMsgSuccess);
  EXPECT_EQ(length, 9);
  // Names the application gave count as taken, in any case, when written
  // as the generator writes them.
  ASSERT_EQ(SetName(*second, "sql_cur_1"), kMsgSuccess);
  ASSERT_EQ(SetName(*third, "SQL_CUR_02"), kMsgSuccess);
  StatementHandle* fourth = connection.NewStatement();
  EXPECT_EQ(GetName(*fourth, 64, length, id), "SQL_CUR_2");
  EXPECT_EQ(GetName(*first, 64, length, id), "SQL_CUR_0");
}

TEST(CursorNames, ShortBufferIsCutWithTheFullLength) {
  Connection connection;
  StatementHandle* s = connection.NewStatement();
  SQLSMALLINT length = 0;
  MessageId id = kMsgSuccess;
  EXPECT_EQ(GetName(*s, 5, length, id), "SQL_");
  EXPECT_EQ(id, kMsgDataTruncated);
  EXPECT_EQ(length, 9);
}

}  // namespace
