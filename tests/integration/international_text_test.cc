// International text through the Driver Manager where pyodbc can't reach
// (international_text.py holds the rest): a text column described in
// characters and in bytes, and every value read whole from a static cursor.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "odbc_test_support.h"

namespace {

// The Name of the fixture's ten rows: 80 characters of one to four bytes.
constexpr const char* kNames = "SELECT Name FROM \"Intl: Names\"";

struct InternationalText : ::testing::Test {
  TempFolder folder;
  std::unique_ptr<Emulator> emulator;
  std::unique_ptr<OdbcHandles> handles;
  SQLHSTMT statement = SQL_NULL_HSTMT;

  void SetUp() override {
    emulator = std::make_unique<Emulator>(folder, "",
                                          std::string(HELVANE_EMULATOR_DIR) +
                                              "/../tests/integration/fixtures/international_text.json");
    ASSERT_NE(emulator->port, 0) << "the emulator did not start";
    WriteOdbcFiles(folder, {"QUICKBASESERVER=" + emulator->HttpUrl(), "UID=alice", "PWD=wonderland"});
    handles = std::make_unique<OdbcHandles>();
    ASSERT_EQ(handles->Connect("demo"), SQL_SUCCESS) << handles->ConnectionDiagnostic().text;
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, handles->connection, &statement), SQL_SUCCESS);
  }
  void TearDown() override {
    if (statement != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, statement);
  }
  SQLLEN Attribute(SQLUSMALLINT field) {
    SQLLEN value = -1;
    EXPECT_EQ(SQLColAttribute(statement, 1, field, nullptr, 0, nullptr, &value), SQL_SUCCESS) << field;
    return value;
  }
  // The current row's Name through a buffer with room for 80 four-byte
  // characters; "cut" when the driver says it did not fit.
  std::string Name() {
    char text[321];
    SQLLEN length = 0;
    const SQLRETURN result = SQLGetData(statement, 1, SQL_C_CHAR, text, sizeof text, &length);
    return result == SQL_SUCCESS ? std::string(text, static_cast<std::size_t>(length)) : "cut";
  }
};

TEST_F(InternationalText, SizeCountsCharactersAndOctetLengthBytes) {
  ASSERT_EQ(SQLExecDirect(statement, (SQLCHAR*)kNames, SQL_NTS), SQL_SUCCESS);
  SQLULEN size = 0;
  ASSERT_EQ(SQLDescribeCol(statement, 1, nullptr, 0, nullptr, nullptr, &size, nullptr, nullptr), SQL_SUCCESS);
  EXPECT_EQ(size, 80u);
  EXPECT_EQ(Attribute(SQL_DESC_LENGTH), 80);
  EXPECT_EQ(Attribute(SQL_DESC_DISPLAY_SIZE), 80);
  EXPECT_EQ(Attribute(SQL_DESC_OCTET_LENGTH), 320);
}

TEST_F(InternationalText, StaticCursorReadsEveryValueWhole) {
  ASSERT_EQ(SQLExecDirect(statement, (SQLCHAR*)kNames, SQL_NTS), SQL_SUCCESS);
  std::vector<std::string> forward;
  while (SQLFetch(statement) == SQL_SUCCESS) forward.push_back(Name());
  ASSERT_EQ(forward.size(), 10u);
  SQLCloseCursor(statement);

  ASSERT_TRUE(SQL_SUCCEEDED(SQLSetStmtAttr(statement, SQL_ATTR_CURSOR_TYPE, (SQLPOINTER)SQL_CURSOR_STATIC, 0)));
  const SQLRETURN executed = SQLExecDirect(statement, (SQLCHAR*)kNames, SQL_NTS);
  if (executed == SQL_ERROR && ReadDiagnostic(SQL_HANDLE_STMT, statement).state == "HYC00")
    GTEST_SKIP() << "static cursors need the result passes";
  ASSERT_EQ(executed, SQL_SUCCESS);
  for (SQLLEN row : {10, 1, 6, 8, 9, 3}) {
    ASSERT_EQ(SQLFetchScroll(statement, SQL_FETCH_ABSOLUTE, row), SQL_SUCCESS) << row;
    EXPECT_EQ(Name(), forward[static_cast<std::size_t>(row - 1)]) << row;
  }
}

}  // namespace
