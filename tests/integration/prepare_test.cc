// SQLPrepare, SQLNativeSql and the cursor-name functions through the unixODBC
// Driver Manager to the emulator: the statements answered before parsing,
// generated and chosen cursor names, and service failures while preparing.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "odbc_test_support.h"

namespace {

struct PrepareTest : ::testing::Test {
  TempFolder folder;
  std::unique_ptr<Emulator> emulator;
  std::unique_ptr<OdbcHandles> handles;

  void SetUp() override {
    emulator = std::make_unique<Emulator>(folder);
    ASSERT_NE(emulator->port, 0) << "the emulator did not start";
    WriteOdbcFiles(folder, {"QUICKBASESERVER=" + emulator->HttpUrl(), "UID=alice", "PWD=wonderland"});
    handles = std::make_unique<OdbcHandles>();
    ASSERT_EQ(handles->Connect("demo"), SQL_SUCCESS) << handles->ConnectionDiagnostic().text;
  }
  SQLHSTMT NewStatement() {
    SQLHSTMT statement = SQL_NULL_HSTMT;
    EXPECT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, handles->connection, &statement), SQL_SUCCESS);
    return statement;
  }
  static SQLRETURN Prepare(SQLHSTMT statement, const std::string& text) {
    return SQLPrepare(statement, (SQLCHAR*)text.c_str(), SQL_NTS);
  }
  static std::string CursorName(SQLHSTMT statement) {
    SQLCHAR name[32] = {0};
    SQLSMALLINT length = 0;
    EXPECT_EQ(SQLGetCursorName(statement, name, sizeof name, &length), SQL_SUCCESS);
    return reinterpret_cast<char*>(name);
  }
};

// Each row: a statement text, what SQLPrepare answers, the SQLSTATE and a
// piece of the message when it fails.
struct TextCase {
  const char* text;
  SQLRETURN result;
  const char* state;
  const char* message;
};

TEST_F(PrepareTest, SpecialStatementsAndOrdinaryOnes) {
  const TextCase cases[] = {
      {"SELECT Config, nValue FROM MSysConf", SQL_ERROR, "42S02", "No MSysConf table available"},
      {"select config, nvalue from msysconf", SQL_ERROR, "42S02", "'msysconf' could not be found"},
      {"SELECT Config, nValue FROM MSysConf;", SQL_ERROR, "42S02", "'MSysConf' could not be found"},
      {"select @@identity", SQL_SUCCESS, "", ""},
      {"SELECT @@IDENTITY", SQL_SUCCESS, "", ""},
      {" select @@identity", SQL_ERROR, "42000", "Unexpected end"},
      {"select @@identity;", SQL_ERROR, "42000", "instead of 'FROM'"},
      {"SELECT Name FROM \"Sales: Customers\" WHERE Rating > ? ORDER BY Name", SQL_SUCCESS, "", ""},
      {"SELECT Amount FROM \"Sales: Orders\" WHERE Amount > 1.2.3", SQL_ERROR, "42000", "number '1.2' is malformed"},
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.text);
    SQLHSTMT statement = NewStatement();
    EXPECT_EQ(Prepare(statement, c.text), c.result);
    const Diagnostic diagnostic = ReadDiagnostic(SQL_HANDLE_STMT, statement);
    if (*c.state != '\0') {
      EXPECT_EQ(diagnostic.state, c.state);
    }
    EXPECT_NE(diagnostic.text.find(c.message), std::string::npos) << diagnostic.text;
    EXPECT_EQ(SQLFreeHandle(SQL_HANDLE_STMT, statement), SQL_SUCCESS);
  }
}

TEST_F(PrepareTest, PreparedSelectsGetTheFirstFreeCursorNames) {
  SQLHSTMT first = NewStatement();
  SQLHSTMT second = NewStatement();
  SQLHSTMT insert = NewStatement();
  ASSERT_EQ(Prepare(first, "SELECT Name FROM \"Sales: Customers\""), SQL_SUCCESS);
  ASSERT_EQ(Prepare(second, "select @@identity"), SQL_SUCCESS);
  ASSERT_EQ(Prepare(insert, "INSERT INTO \"Sales: Customers\" (Name) VALUES (?)"), SQL_SUCCESS);
  EXPECT_EQ(CursorName(first), "SQL_CUR_0");
  EXPECT_EQ(CursorName(second), "SQL_CUR_1");
  // Asking names the INSERT's statement too, with the next free number.
  EXPECT_EQ(CursorName(insert), "SQL_CUR_2");

  EXPECT_EQ(SQLSetCursorName(first, (SQLCHAR*)"sql_cur_1", SQL_NTS), SQL_ERROR);
  EXPECT_EQ(ReadDiagnostic(SQL_HANDLE_STMT, first).state, "3C000");
  EXPECT_EQ(SQLSetCursorName(first, (SQLCHAR*)"Report", SQL_NTS), SQL_SUCCESS);
  EXPECT_EQ(CursorName(first), "Report");
}

TEST_F(PrepareTest, NativeSqlHandsTheTextBack) {
  const std::string text = "SELECT a FROM tables";
  SQLCHAR out[10] = {0};
  SQLINTEGER length = 0;
  EXPECT_EQ(SQLNativeSql(handles->connection, (SQLCHAR*)text.c_str(), SQL_NTS, out, sizeof out, &length),
            SQL_SUCCESS_WITH_INFO);
  EXPECT_STREQ(reinterpret_cast<char*>(out), "SELECT a ");
  EXPECT_EQ(length, 20);
  EXPECT_EQ(handles->ConnectionDiagnostic().state, "01004");

  SQLCHAR whole[64] = {0};
  const std::string escape = "SELECT {fn UCASE(a)} FROM t";
  EXPECT_EQ(SQLNativeSql(handles->connection, (SQLCHAR*)escape.c_str(), SQL_NTS, whole, sizeof whole, &length),
            SQL_SUCCESS);
  EXPECT_EQ(reinterpret_cast<char*>(whole), escape);
  EXPECT_EQ(SQLNativeSql(handles->connection, (SQLCHAR*)"SELECT FROM", SQL_NTS, whole, sizeof whole, &length),
            SQL_ERROR);
  EXPECT_EQ(handles->ConnectionDiagnostic().state, "42000");
}

// A schema the service fails to send fails the prepare with the service's
// words, on the statement that asked for it.
TEST_F(PrepareTest, ServiceFailureWhilePreparingLandsOnTheStatement) {
  SQLHSTMT statement = NewStatement();
  emulator->Admin("faults", R"({"action": "API_GetSchema", "errcode": 100, "count": 5})");
  EXPECT_EQ(Prepare(statement, "SELECT Summary FROM \"Archive: Old Orders\""), SQL_ERROR);
  const Diagnostic diagnostic = ReadDiagnostic(SQL_HANDLE_STMT, statement);
  EXPECT_EQ(diagnostic.state, "HY000");
  EXPECT_NE(diagnostic.text.find("[QuickBase]"), std::string::npos) << diagnostic.text;
  emulator->Admin("faults", "{}");
  EXPECT_EQ(SQLFreeHandle(SQL_HANDLE_STMT, statement), SQL_SUCCESS);
}

}  // namespace
