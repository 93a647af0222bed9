// SQLGetInfo and SQLGetFunctions. Every answer is checked against the width
// ODBC defines for its information type (the table below is ODBC's, not the
// driver's), with guard bytes behind it, and the answers themselves against
// a checked-in transcript: golden/driver_information.expected.
#include <gtest/gtest.h>

#include <sqlext.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>

#include "common/diagnostics.h"
#include "odbc/driver_information.h"
#include "odbc/supported_functions.h"
#include "odbc_test_handles.h"

namespace {

// How ODBC types an information type's answer: a character string, an
// SQLUSMALLINT or an SQLUINTEGER.
enum InfoClass : char { kText = 'c', kSmall = 's', kInteger = 'i' };

struct OdbcInfoType {
  SQLUSMALLINT id;
  const char* name;
  InfoClass infoClass;
};

#define INFO(name, infoClass) {name, #name, infoClass}

const OdbcInfoType kOdbcInfoTypes[] = {
    INFO(SQL_MAX_DRIVER_CONNECTIONS, kSmall), INFO(SQL_MAX_CONCURRENT_ACTIVITIES, kSmall),
    INFO(SQL_DATA_SOURCE_NAME, kText), INFO(SQL_DRIVER_NAME, kText), INFO(SQL_DRIVER_VER, kText),
    INFO(SQL_FETCH_DIRECTION, kInteger), INFO(SQL_ODBC_API_CONFORMANCE, kSmall), INFO(SQL_ROW_UPDATES, kText),
    INFO(SQL_ODBC_SAG_CLI_CONFORMANCE, kSmall), INFO(SQL_SERVER_NAME, kText),
    INFO(SQL_SEARCH_PATTERN_ESCAPE, kText), INFO(SQL_ODBC_SQL_CONFORMANCE, kSmall),
    INFO(SQL_DATABASE_NAME, kText), INFO(SQL_DBMS_NAME, kText), INFO(SQL_DBMS_VER, kText),
    INFO(SQL_ACCESSIBLE_TABLES, kText), INFO(SQL_ACCESSIBLE_PROCEDURES, kText), INFO(SQL_PROCEDURES, kText),
    INFO(SQL_CONCAT_NULL_BEHAVIOR, kSmall), INFO(SQL_CURSOR_COMMIT_BEHAVIOR, kSmall),
    INFO(SQL_CURSOR_ROLLBACK_BEHAVIOR, kSmall), INFO(SQL_DATA_SOURCE_READ_ONLY, kText),
    INFO(SQL_DEFAULT_TXN_ISOLATION, kInteger), INFO(SQL_EXPRESSIONS_IN_ORDERBY, kText),
    INFO(SQL_IDENTIFIER_CASE, kSmall), INFO(SQL_IDENTIFIER_QUOTE_CHAR, kText),
    INFO(SQL_MAX_COLUMN_NAME_LEN, kSmall), INFO(SQL_MAX_CURSOR_NAME_LEN, kSmall),
    INFO(SQL_MAX_SCHEMA_NAME_LEN, kSmall), INFO(SQL_MAX_PROCEDURE_NAME_LEN, kSmall),
    INFO(SQL_MAX_CATALOG_NAME_LEN, kSmall), INFO(SQL_MAX_TABLE_NAME_LEN, kSmall),
    INFO(SQL_MULT_RESULT_SETS, kText), INFO(SQL_MULTIPLE_ACTIVE_TXN, kText), INFO(SQL_OUTER_JOINS, kText),
    INFO(SQL_SCHEMA_TERM, kText), INFO(SQL_PROCEDURE_TERM, kText), INFO(SQL_CATALOG_NAME_SEPARATOR, kText),
    INFO(SQL_CATALOG_TERM, kText), INFO(SQL_SCROLL_CONCURRENCY, kInteger), INFO(SQL_SCROLL_OPTIONS, kInteger),
    INFO(SQL_TABLE_TERM, kText), INFO(SQL_TXN_CAPABLE, kSmall), INFO(SQL_USER_NAME, kText),
    INFO(SQL_CONVERT_FUNCTIONS, kInteger), INFO(SQL_NUMERIC_FUNCTIONS, kInteger),
    INFO(SQL_STRING_FUNCTIONS, kInteger), INFO(SQL_SYSTEM_FUNCTIONS, kInteger),
    INFO(SQL_TIMEDATE_FUNCTIONS, kInteger), INFO(SQL_CONVERT_BIGINT, kInteger),
    INFO(SQL_CONVERT_BINARY, kInteger), INFO(SQL_CONVERT_BIT, kInteger), INFO(SQL_CONVERT_CHAR, kInteger),
    INFO(SQL_CONVERT_DATE, kInteger), INFO(SQL_CONVERT_DECIMAL, kInteger), INFO(SQL_CONVERT_DOUBLE, kInteger),
    INFO(SQL_CONVERT_FLOAT, kInteger), INFO(SQL_CONVERT_INTEGER, kInteger),
    INFO(SQL_CONVERT_LONGVARCHAR, kInteger), INFO(SQL_CONVERT_NUMERIC, kInteger),
    INFO(SQL_CONVERT_REAL, kInteger), INFO(SQL_CONVERT_SMALLINT, kInteger), INFO(SQL_CONVERT_TIME, kInteger),
    INFO(SQL_CONVERT_TIMESTAMP, kInteger), INFO(SQL_CONVERT_TINYINT, kInteger),
    INFO(SQL_CONVERT_VARBINARY, kInteger), INFO(SQL_CONVERT_VARCHAR, kInteger),
    INFO(SQL_CONVERT_LONGVARBINARY, kInteger), INFO(SQL_TXN_ISOLATION_OPTION, kInteger),
    INFO(SQL_INTEGRITY, kText), INFO(SQL_CORRELATION_NAME, kSmall), INFO(SQL_NON_NULLABLE_COLUMNS, kSmall),
    INFO(SQL_DRIVER_ODBC_VER, kText), INFO(SQL_LOCK_TYPES, kInteger), INFO(SQL_POS_OPERATIONS, kInteger),
    INFO(SQL_POSITIONED_STATEMENTS, kInteger), INFO(SQL_GETDATA_EXTENSIONS, kInteger),
    INFO(SQL_BOOKMARK_PERSISTENCE, kInteger), INFO(SQL_STATIC_SENSITIVITY, kInteger),
    INFO(SQL_FILE_USAGE, kSmall), INFO(SQL_NULL_COLLATION, kSmall), INFO(SQL_ALTER_TABLE, kInteger),
    INFO(SQL_COLUMN_ALIAS, kText), INFO(SQL_GROUP_BY, kSmall), INFO(SQL_KEYWORDS, kText),
    INFO(SQL_ORDER_BY_COLUMNS_IN_SELECT, kText), INFO(SQL_SCHEMA_USAGE, kInteger),
    INFO(SQL_CATALOG_USAGE, kInteger), INFO(SQL_QUOTED_IDENTIFIER_CASE, kSmall),
    INFO(SQL_SPECIAL_CHARACTERS, kText), INFO(SQL_SUBQUERIES, kInteger), INFO(SQL_UNION, kInteger),
    INFO(SQL_MAX_COLUMNS_IN_GROUP_BY, kSmall), INFO(SQL_MAX_COLUMNS_IN_INDEX, kSmall),
    INFO(SQL_MAX_COLUMNS_IN_ORDER_BY, kSmall), INFO(SQL_MAX_COLUMNS_IN_SELECT, kSmall),
    INFO(SQL_MAX_COLUMNS_IN_TABLE, kSmall), INFO(SQL_MAX_INDEX_SIZE, kInteger),
    INFO(SQL_MAX_ROW_SIZE_INCLUDES_LONG, kText), INFO(SQL_MAX_ROW_SIZE, kInteger),
    INFO(SQL_MAX_STATEMENT_LEN, kInteger), INFO(SQL_MAX_TABLES_IN_SELECT, kSmall),
    INFO(SQL_MAX_USER_NAME_LEN, kSmall), INFO(SQL_MAX_CHAR_LITERAL_LEN, kInteger),
    INFO(SQL_TIMEDATE_ADD_INTERVALS, kInteger), INFO(SQL_TIMEDATE_DIFF_INTERVALS, kInteger),
    INFO(SQL_NEED_LONG_DATA_LEN, kText), INFO(SQL_MAX_BINARY_LITERAL_LEN, kInteger),
    INFO(SQL_LIKE_ESCAPE_CLAUSE, kText), INFO(SQL_CATALOG_LOCATION, kSmall),
    INFO(SQL_OJ_CAPABILITIES, kInteger), INFO(SQL_ACTIVE_ENVIRONMENTS, kSmall),
    INFO(SQL_ALTER_DOMAIN, kInteger), INFO(SQL_SQL_CONFORMANCE, kInteger),
    INFO(SQL_DATETIME_LITERALS, kInteger), INFO(SQL_BATCH_ROW_COUNT, kInteger),
    INFO(SQL_BATCH_SUPPORT, kInteger), INFO(SQL_CONVERT_WCHAR, kInteger),
    INFO(SQL_CONVERT_INTERVAL_DAY_TIME, kInteger), INFO(SQL_CONVERT_INTERVAL_YEAR_MONTH, kInteger),
    INFO(SQL_CONVERT_WLONGVARCHAR, kInteger), INFO(SQL_CONVERT_WVARCHAR, kInteger),
    INFO(SQL_CREATE_ASSERTION, kInteger), INFO(SQL_CREATE_CHARACTER_SET, kInteger),
    INFO(SQL_CREATE_COLLATION, kInteger), INFO(SQL_CREATE_DOMAIN, kInteger), INFO(SQL_CREATE_SCHEMA, kInteger),
    INFO(SQL_CREATE_TABLE, kInteger), INFO(SQL_CREATE_TRANSLATION, kInteger), INFO(SQL_CREATE_VIEW, kInteger),
    INFO(SQL_DRIVER_HDESC, kInteger), INFO(SQL_DROP_ASSERTION, kInteger),
    INFO(SQL_DROP_CHARACTER_SET, kInteger), INFO(SQL_DROP_COLLATION, kInteger),
    INFO(SQL_DROP_DOMAIN, kInteger), INFO(SQL_DROP_SCHEMA, kInteger), INFO(SQL_DROP_TABLE, kInteger),
    INFO(SQL_DROP_TRANSLATION, kInteger), INFO(SQL_DROP_VIEW, kInteger),
    INFO(SQL_DYNAMIC_CURSOR_ATTRIBUTES1, kInteger), INFO(SQL_DYNAMIC_CURSOR_ATTRIBUTES2, kInteger),
    INFO(SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES1, kInteger), INFO(SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES2, kInteger),
    INFO(SQL_INDEX_KEYWORDS, kInteger), INFO(SQL_INFO_SCHEMA_VIEWS, kInteger),
    INFO(SQL_KEYSET_CURSOR_ATTRIBUTES1, kInteger), INFO(SQL_KEYSET_CURSOR_ATTRIBUTES2, kInteger),
    INFO(SQL_ODBC_INTERFACE_CONFORMANCE, kInteger), INFO(SQL_PARAM_ARRAY_ROW_COUNTS, kInteger),
    INFO(SQL_PARAM_ARRAY_SELECTS, kInteger), INFO(SQL_SQL92_DATETIME_FUNCTIONS, kInteger),
    INFO(SQL_SQL92_FOREIGN_KEY_DELETE_RULE, kInteger), INFO(SQL_SQL92_FOREIGN_KEY_UPDATE_RULE, kInteger),
    INFO(SQL_SQL92_GRANT, kInteger), INFO(SQL_SQL92_NUMERIC_VALUE_FUNCTIONS, kInteger),
    INFO(SQL_SQL92_PREDICATES, kInteger), INFO(SQL_SQL92_RELATIONAL_JOIN_OPERATORS, kInteger),
    INFO(SQL_SQL92_REVOKE, kInteger), INFO(SQL_SQL92_ROW_VALUE_CONSTRUCTOR, kInteger),
    INFO(SQL_SQL92_STRING_FUNCTIONS, kInteger), INFO(SQL_SQL92_VALUE_EXPRESSIONS, kInteger),
    INFO(SQL_STANDARD_CLI_CONFORMANCE, kInteger), INFO(SQL_STATIC_CURSOR_ATTRIBUTES1, kInteger),
    INFO(SQL_STATIC_CURSOR_ATTRIBUTES2, kInteger), INFO(SQL_AGGREGATE_FUNCTIONS, kInteger),
    INFO(SQL_DDL_INDEX, kInteger), INFO(SQL_DM_VER, kText), INFO(SQL_INSERT_STATEMENT, kInteger),
    INFO(SQL_XOPEN_CLI_YEAR, kText), INFO(SQL_CURSOR_SENSITIVITY, kInteger),
    INFO(SQL_DESCRIBE_PARAMETER, kText), INFO(SQL_CATALOG_NAME, kText), INFO(SQL_COLLATION_SEQ, kText),
    INFO(SQL_MAX_IDENTIFIER_LEN, kSmall), INFO(SQL_ASYNC_MODE, kInteger),
    INFO(SQL_MAX_ASYNC_CONCURRENT_STATEMENTS, kInteger), {65003, "SQL_OJ_CAPABILITIES (ODBC 2)", kInteger},
};

#undef INFO

constexpr unsigned char kGuard = 0xA5;
constexpr SQLSMALLINT kTextBuffer = 256;

// One answer as the transcript shows it; guard bytes behind the width ODBC
// gives the type must be untouched.
std::string Transcribe(ConnectionHandle& connection, const OdbcInfoType& type) {
  unsigned char buffer[kTextBuffer + 16];
  std::memset(buffer, kGuard, sizeof buffer);
  SQLSMALLINT length = -99;
  MessageId id = GetInfoValue(connection, type.id, buffer, kTextBuffer, &length);
  std::ostringstream line;
  line << type.id << ' ' << type.name << ' ';
  if (id != kMsgSuccess) {
    line << "refused " << RenderMessage(id, "", "").odbc3State;
    return line.str();
  }
  std::size_t width = 0;
  switch (type.infoClass) {
    case kText:
      width = std::strlen(reinterpret_cast<char*>(buffer)) + 1;
      EXPECT_EQ(static_cast<std::size_t>(length), width - 1) << type.name;
      line << "c \"" << reinterpret_cast<char*>(buffer) << '"';
      break;
    case kSmall: {
      width = sizeof(SQLUSMALLINT);
      EXPECT_EQ(length, static_cast<SQLSMALLINT>(width)) << type.name;
      SQLUSMALLINT value = 0;
      std::memcpy(&value, buffer, width);
      line << "s " << value;
      break;
    }
    case kInteger: {
      width = sizeof(SQLUINTEGER);
      EXPECT_EQ(length, static_cast<SQLSMALLINT>(width)) << type.name;
      SQLUINTEGER value = 0;
      std::memcpy(&value, buffer, width);
      line << "i " << value;
      break;
    }
  }
  for (std::size_t i = width; i < sizeof buffer; ++i)
    EXPECT_EQ(buffer[i], kGuard) << type.name << ": byte " << i << " written past the answer's width";
  return line.str();
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// A connection to the demo data source as the connect routine leaves it.
struct InfoConnection : Connection {
  InfoConnection() : Connection(kConnected) {
    connection->settings["DSN"] = "demo";
    connection->record->userName = "alice";
    connection->record->databaseName = "demo";
  }
};

TEST(DriverInformation, GoldenAnswersAndWidths) {
  InfoConnection c;
  std::string transcript;
  for (const OdbcInfoType& type : kOdbcInfoTypes) transcript += Transcribe(*c.connection, type) + "\n";
  const std::string path = std::string(HELVANE_SOURCE_DIR) + "/tests/odbc/golden/driver_information.expected";
  const std::string expected = ReadFile(path);
  if (transcript == expected) return;
  std::istringstream got(transcript), want(expected);
  std::string gotLine, wantLine;
  for (int line = 1;; ++line) {
    const bool moreWanted = static_cast<bool>(std::getline(want, wantLine));
    const bool moreGot = static_cast<bool>(std::getline(got, gotLine));
    if (!moreWanted && !moreGot) break;
    if (!moreWanted) wantLine = "<end>";
    if (!moreGot) gotLine = "<end>";
    if (gotLine == wantLine) continue;
    ADD_FAILURE() << path << " line " << line << "\n  expected: " << wantLine << "\n  actual:   " << gotLine;
    break;
  }
  std::ofstream(::testing::TempDir() + "driver_information.actual") << transcript;
  ADD_FAILURE() << "this run's whole transcript is in " << ::testing::TempDir() << "driver_information.actual";
}

// Types ODBC does not define, and those the Driver Manager answers itself,
// are refused; nothing is written for them.
TEST(DriverInformation, UnknownTypesAreRefused) {
  InfoConnection c;
  std::set<SQLUSMALLINT> known;
  for (const OdbcInfoType& type : kOdbcInfoTypes) known.insert(type.id);
  for (unsigned id = 0; id <= 0xFFFF; ++id) {
    const auto infoType = static_cast<SQLUSMALLINT>(id);
    SQLUINTEGER value = 0xA5A5A5A5;
    MessageId result = GetInfoValue(*c.connection, infoType, &value, sizeof value, nullptr);
    if (known.count(infoType) != 0) continue;
    ASSERT_EQ(result, kMsgNotSupportedDetail) << id;
    EXPECT_EQ(value, 0xA5A5A5A5u) << id;
  }
  for (SQLUSMALLINT id : {SQL_DRIVER_HDBC, SQL_DRIVER_HSTMT, SQL_ODBC_VER, SQL_DRIVER_HLIB}) {
    EXPECT_EQ(GetInfoValue(*c.connection, id, nullptr, 0, nullptr), kMsgNotSupportedDetail) << id;
    EXPECT_EQ(RenderDiagnostic(c.connection->diagnostic).text,
              "[Tarvox ODBC]Not supported: information type " + std::to_string(id));
  }
}

TEST(DriverInformation, AnswersThatFollowTheConnection) {
  struct {
    const char* label;
    void (*shape)(ConnectionRecord&);
    SQLUSMALLINT infoType;
    SQLUINTEGER answer;
  } cases[] = {
      {"prepared statements deleted at commit", [](ConnectionRecord& r) { r.commitDeletesPrepared = 1; },
       SQL_CURSOR_COMMIT_BEHAVIOR, SQL_CB_DELETE},
      {"... and at rollback", [](ConnectionRecord& r) { r.commitDeletesPrepared = 1; },
       SQL_CURSOR_ROLLBACK_BEHAVIOR, SQL_CB_DELETE},
      {"no transactions: cursors only close",
       [](ConnectionRecord& r) { r.commitDeletesPrepared = 1, r.transactionCapability = 0; },
       SQL_CURSOR_COMMIT_BEHAVIOR, SQL_CB_CLOSE},
      {"no transactions", [](ConnectionRecord& r) { r.transactionCapability = 0; }, SQL_TXN_CAPABLE, 0},
      {"no default isolation", [](ConnectionRecord& r) { r.transactionCapability = 0; },
       SQL_DEFAULT_TXN_ISOLATION, 0},
      {"no isolation levels", [](ConnectionRecord& r) { r.transactionCapability = 0; },
       SQL_TXN_ISOLATION_OPTION, 0},
      {"another isolation mask", [](ConnectionRecord& r) { r.isolationMask = 6; }, SQL_TXN_ISOLATION_OPTION, 6},
      {"Access names columns", [](ConnectionRecord& r) { r.hostIsAccessOrQuery = 1; }, SQL_MAX_COLUMN_NAME_LEN,
       63},
      {"Word keeps no bookmarks", [](ConnectionRecord& r) { r.hostModuleName = "winword.exe"; },
       SQL_BOOKMARK_PERSISTENCE, 0},
      {"Visio does", [](ConnectionRecord& r) { r.hostModuleName = "visio.exe"; }, SQL_BOOKMARK_PERSISTENCE, 82},
  };
  for (const auto& c : cases) {
    InfoConnection connection;
    c.shape(*connection.connection->record);
    SQLUINTEGER value = 0;
    ASSERT_EQ(GetInfoValue(*connection.connection, c.infoType, &value, 0, nullptr), kMsgSuccess) << c.label;
    // A 16-bit answer leaves the upper half of the zeroed buffer as it was.
    EXPECT_EQ(value, c.answer) << c.label;
  }
  InfoConnection connection;
  connection.connection->record->transactionCapability = 0;
  char text[8] = {0};
  GetInfoValue(*connection.connection, SQL_MULTIPLE_ACTIVE_TXN, text, sizeof text, nullptr);
  EXPECT_STREQ(text, "N");
}

TEST(DriverInformation, TextsCutToTheBuffer) {
  InfoConnection connection;
  struct {
    SQLUSMALLINT infoType;
    SQLSMALLINT bufferLength;
    MessageId id;
    const char* text;
    SQLSMALLINT length;
  } cases[] = {
      {SQL_DRIVER_VER, 5, kMsgDataTruncated, "6.11", 9},
      {SQL_DRIVER_NAME, 4, kMsgDataTruncated, "lib", 13},
      {SQL_DRIVER_NAME, 14, kMsgSuccess, "libhelvane.so", 13},
      {SQL_DESCRIBE_PARAMETER, 2, kMsgSuccess, "N", 1},
      {SQL_DESCRIBE_PARAMETER, 1, kMsgDataTruncated, "", 1},
      {SQL_USER_NAME, 0, kMsgDataTruncated, "", 5},
  };
  for (const auto& c : cases) {
    char buffer[32];
    std::memset(buffer, 'x', sizeof buffer);
    if (c.bufferLength == 0) buffer[0] = '\0';
    SQLSMALLINT length = 0;
    EXPECT_EQ(GetInfoValue(*connection.connection, c.infoType, buffer, c.bufferLength, &length), c.id)
        << c.infoType;
    EXPECT_STREQ(buffer, c.text) << c.infoType;
    EXPECT_EQ(length, c.length) << c.infoType;
    EXPECT_EQ(buffer[c.bufferLength > 0 ? c.bufferLength : 1], 'x') << c.infoType;
  }
  char buffer[8];
  EXPECT_EQ(GetInfoValue(*connection.connection, SQL_DBMS_NAME, buffer, -1, nullptr), kMsgInvalidBufferLength);
  // A number ignores the buffer length, as ODBC defines.
  SQLUINTEGER number = 0;
  EXPECT_EQ(GetInfoValue(*connection.connection, SQL_GETDATA_EXTENSIONS, &number, -1, nullptr), kMsgSuccess);
}

TEST(DriverInformation, NothingIsAnsweredBeforeConnecting) {
  Connection c;
  SQLUSMALLINT value = 7;
  EXPECT_EQ(GetInfoValue(*c.connection, SQL_TXN_CAPABLE, &value, 0, nullptr), kMsgConnectionNotOpen);
  EXPECT_EQ(value, 7);
}

// The functions the Driver Manager may route to the driver, in all three
// forms of the answer. Every form must agree with the single-id answer.
TEST(SupportedFunctions, ThreeFormsAgree) {
  Connection c;
  SQLUSMALLINT all[100];
  SQLUSMALLINT bitmap[SQL_API_ODBC3_ALL_FUNCTIONS_SIZE + 1];
  bitmap[SQL_API_ODBC3_ALL_FUNCTIONS_SIZE] = 0xA5A5;
  ASSERT_EQ(FillSupportedFunctions(*c.connection, SQL_API_ALL_FUNCTIONS, all), kMsgSuccess);
  ASSERT_EQ(FillSupportedFunctions(*c.connection, SQL_API_ODBC3_ALL_FUNCTIONS, bitmap), kMsgSuccess);
  EXPECT_EQ(bitmap[SQL_API_ODBC3_ALL_FUNCTIONS_SIZE], 0xA5A5);
  int supported = 0;
  for (SQLUSMALLINT id = 0; id < SQL_API_ODBC3_ALL_FUNCTIONS_SIZE * 16; ++id) {
    if (id == SQL_API_ALL_FUNCTIONS || id == SQL_API_ODBC3_ALL_FUNCTIONS) continue;
    SQLUSMALLINT one = 7;
    ASSERT_EQ(FillSupportedFunctions(*c.connection, id, &one), kMsgSuccess);
    EXPECT_EQ(SQL_FUNC_EXISTS(bitmap, id), one) << id;
    if (id < 100) {
      EXPECT_EQ(all[id], one) << id;
    }
    supported += one == SQL_TRUE;
  }
  EXPECT_EQ(all[0], SQL_FALSE);
  EXPECT_EQ(SQL_FUNC_EXISTS(bitmap, 0), SQL_FALSE);
  EXPECT_EQ(SQL_FUNC_EXISTS(bitmap, SQL_API_ODBC3_ALL_FUNCTIONS), SQL_FALSE);
  EXPECT_EQ(supported, 69);
  // Exported, but left to the Driver Manager's own mapping or answering.
  for (SQLUSMALLINT id : {SQL_API_SQLSETPARAM, SQL_API_SQLBINDPARAM, SQL_API_SQLTABLEPRIVILEGES,
                          SQL_API_SQLCOLUMNPRIVILEGES, SQL_API_SQLPROCEDURECOLUMNS, SQL_API_SQLDATASOURCES})
    EXPECT_EQ(SQL_FUNC_EXISTS(bitmap, id), SQL_FALSE) << id;
  EXPECT_EQ(FillSupportedFunctions(*c.connection, SQL_API_SQLFETCH, nullptr), kMsgSuccess);
}

}  // namespace
