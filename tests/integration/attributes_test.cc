// Connection and statement attributes, driver information and transaction
// completion through the unixODBC Driver Manager: what an application sets
// it reads back, at the width ODBC gives it; commit and rollback succeed
// with autocommit off and leave no diagnostic behind; autocommit switched
// off before connecting stays off.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "odbc_test_support.h"

namespace {

SQLPOINTER Integer(SQLULEN value) { return reinterpret_cast<SQLPOINTER>(static_cast<uintptr_t>(value)); }

struct AttributesTest : ::testing::Test {
  TempFolder folder;
  std::unique_ptr<Emulator> emulator;
  std::unique_ptr<OdbcHandles> handles;

  void SetUp() override {
    emulator = std::make_unique<Emulator>(folder);
    ASSERT_NE(emulator->port, 0) << "the emulator did not start";
    WriteOdbcFiles(folder, {"QUICKBASESERVER=" + emulator->HttpUrl(), "UID=alice", "PWD=wonderland",
                            "GLOBALCATALOG=Everything"});
    handles = std::make_unique<OdbcHandles>();
    ASSERT_EQ(handles->Connect("demo"), SQL_SUCCESS) << handles->ConnectionDiagnostic().text;
  }
  SQLHDBC Connection() const { return handles->connection; }
  SQLUINTEGER ConnectAttr(SQLINTEGER attribute) const {
    SQLUINTEGER value = 0xFFFF;
    EXPECT_EQ(SQLGetConnectAttr(Connection(), attribute, &value, 0, nullptr), SQL_SUCCESS) << attribute;
    return value;
  }
};

TEST_F(AttributesTest, AutocommitRoundTripAndTransactions) {
  EXPECT_EQ(ConnectAttr(SQL_ATTR_AUTOCOMMIT), SQL_AUTOCOMMIT_ON);
  ASSERT_EQ(SQLSetConnectAttr(Connection(), SQL_ATTR_AUTOCOMMIT, Integer(SQL_AUTOCOMMIT_OFF), SQL_IS_UINTEGER),
            SQL_SUCCESS)
      << handles->ConnectionDiagnostic().text;
  EXPECT_EQ(ConnectAttr(SQL_ATTR_AUTOCOMMIT), SQL_AUTOCOMMIT_OFF);
  // Inside SQLEndTran the Driver Manager asks the driver how cursors fare;
  // an unanswered question would leave a record behind a success.
  EXPECT_EQ(SQLEndTran(SQL_HANDLE_DBC, Connection(), SQL_COMMIT), SQL_SUCCESS);
  EXPECT_EQ(SQLGetDiagRec(SQL_HANDLE_DBC, Connection(), 1, nullptr, nullptr, nullptr, 0, nullptr), SQL_NO_DATA);
  EXPECT_EQ(SQLEndTran(SQL_HANDLE_DBC, Connection(), SQL_ROLLBACK), SQL_SUCCESS);
  EXPECT_EQ(SQLGetDiagRec(SQL_HANDLE_DBC, Connection(), 1, nullptr, nullptr, nullptr, 0, nullptr), SQL_NO_DATA);
  EXPECT_EQ(SQLEndTran(SQL_HANDLE_ENV, handles->environment, SQL_COMMIT), SQL_SUCCESS);
  EXPECT_EQ(SQLGetDiagRec(SQL_HANDLE_ENV, handles->environment, 1, nullptr, nullptr, nullptr, 0, nullptr),
            SQL_NO_DATA);
  EXPECT_EQ(SQLTransact(SQL_NULL_HENV, Connection(), SQL_ROLLBACK), SQL_SUCCESS);
  ASSERT_EQ(SQLSetConnectAttr(Connection(), SQL_ATTR_AUTOCOMMIT, Integer(SQL_AUTOCOMMIT_ON), SQL_IS_UINTEGER),
            SQL_SUCCESS);
  EXPECT_EQ(ConnectAttr(SQL_ATTR_AUTOCOMMIT), SQL_AUTOCOMMIT_ON);
  // The ODBC 2 option reaches the same flag.
  EXPECT_EQ(SQLSetConnectOption(Connection(), SQL_AUTOCOMMIT, SQL_AUTOCOMMIT_OFF), SQL_SUCCESS);
  SQLUINTEGER option = 7;
  EXPECT_EQ(SQLGetConnectOption(Connection(), SQL_AUTOCOMMIT, &option), SQL_SUCCESS);
  EXPECT_EQ(option, SQL_AUTOCOMMIT_OFF);
  EXPECT_EQ(ConnectAttr(SQL_ATTR_AUTOCOMMIT), SQL_AUTOCOMMIT_OFF);
}

TEST_F(AttributesTest, ConnectionValuesAndRefusals) {
  EXPECT_EQ(ConnectAttr(SQL_ATTR_TXN_ISOLATION), SQL_TXN_READ_COMMITTED);
  EXPECT_EQ(SQLSetConnectAttr(Connection(), SQL_ATTR_TXN_ISOLATION, Integer(SQL_TXN_SERIALIZABLE), 0), SQL_ERROR);
  EXPECT_EQ(handles->ConnectionDiagnostic().state, "HYC00");
  EXPECT_EQ(SQLSetConnectAttr(Connection(), SQL_ATTR_ACCESS_MODE, Integer(SQL_MODE_READ_ONLY), 0),
            SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(handles->ConnectionDiagnostic().state, "01S02");
  EXPECT_EQ(ConnectAttr(SQL_ATTR_ACCESS_MODE), SQL_MODE_READ_WRITE);

  char catalog[64] = {0};
  SQLINTEGER length = 0;
  EXPECT_EQ(SQLGetConnectAttr(Connection(), SQL_ATTR_CURRENT_CATALOG, catalog, sizeof catalog, &length),
            SQL_SUCCESS);
  EXPECT_STREQ(catalog, "");
  ASSERT_EQ(SQLSetConnectAttr(Connection(), SQL_ATTR_CURRENT_CATALOG, (SQLPOINTER) "Sales", SQL_NTS), SQL_SUCCESS);
  EXPECT_EQ(SQLGetConnectAttr(Connection(), SQL_ATTR_CURRENT_CATALOG, catalog, sizeof catalog, &length),
            SQL_SUCCESS);
  EXPECT_STREQ(catalog, "Everything");
  EXPECT_EQ(length, 10);
}

TEST_F(AttributesTest, StatementValuesThroughTheDriverManager) {
  SQLHSTMT statement = SQL_NULL_HSTMT;
  ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, Connection(), &statement), SQL_SUCCESS);
  EXPECT_EQ(SQLSetStmtAttr(statement, SQL_ATTR_CURSOR_TYPE, Integer(SQL_CURSOR_KEYSET_DRIVEN), 0),
            SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(ReadDiagnostic(SQL_HANDLE_STMT, statement).state, "01S02");
  SQLULEN value = 0;
  EXPECT_EQ(SQLGetStmtAttr(statement, SQL_ATTR_CURSOR_TYPE, &value, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(value, static_cast<SQLULEN>(SQL_CURSOR_STATIC));
  EXPECT_EQ(SQLSetStmtAttr(statement, SQL_ATTR_ROW_ARRAY_SIZE, Integer(20), 0), SQL_SUCCESS);
  EXPECT_EQ(SQLGetStmtAttr(statement, SQL_ATTR_ROW_ARRAY_SIZE, &value, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(value, 20u);
  SQLLEN offset = 8;
  SQLPOINTER pointer = nullptr;
  EXPECT_EQ(SQLSetStmtAttr(statement, SQL_ATTR_ROW_BIND_OFFSET_PTR, &offset, 0), SQL_SUCCESS);
  EXPECT_EQ(SQLGetStmtAttr(statement, SQL_ATTR_ROW_BIND_OFFSET_PTR, &pointer, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(pointer, &offset);
  EXPECT_EQ(SQLSetStmtAttr(statement, SQL_ATTR_ROW_BIND_OFFSET_PTR, nullptr, 0), SQL_SUCCESS);
  EXPECT_EQ(SQLGetStmtAttr(statement, SQL_ATTR_ROW_BIND_OFFSET_PTR, &pointer, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(pointer, nullptr);
  EXPECT_EQ(SQLSetStmtAttr(statement, SQL_ATTR_CURSOR_SENSITIVITY, Integer(SQL_SENSITIVE), 0), SQL_ERROR);
  EXPECT_EQ(ReadDiagnostic(SQL_HANDLE_STMT, statement).state, "HYC00");
  // A default set on the connection reaches statements allocated later.
  EXPECT_EQ(SQLSetConnectOption(Connection(), SQL_CONCURRENCY, SQL_CONCUR_LOCK), SQL_SUCCESS);
  SQLHSTMT later = SQL_NULL_HSTMT;
  ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, Connection(), &later), SQL_SUCCESS);
  EXPECT_EQ(SQLGetStmtAttr(later, SQL_ATTR_CONCURRENCY, &value, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(value, static_cast<SQLULEN>(SQL_CONCUR_LOCK));
  EXPECT_EQ(SQLEndTran(SQL_HANDLE_STMT, statement, SQL_COMMIT), SQL_ERROR);
  SQLFreeHandle(SQL_HANDLE_STMT, later);
  SQLFreeHandle(SQL_HANDLE_STMT, statement);
}

// The application's choice made before connecting holds afterwards, by
// either way of connecting; without one autocommit is on.
TEST(AutocommitBeforeConnecting, ChoiceSurvivesConnecting) {
  TempFolder folder;
  Emulator emulator(folder);
  ASSERT_NE(emulator.port, 0) << "the emulator did not start";
  WriteOdbcFiles(folder, {"QUICKBASESERVER=" + emulator.HttpUrl(), "UID=alice", "PWD=wonderland"});
  struct {
    bool driverConnect;
    bool choose;
    SQLUINTEGER chosen;
    SQLUINTEGER expected;
  } cases[] = {
      {true, true, SQL_AUTOCOMMIT_OFF, SQL_AUTOCOMMIT_OFF}, {false, true, SQL_AUTOCOMMIT_OFF, SQL_AUTOCOMMIT_OFF},
      {true, true, SQL_AUTOCOMMIT_ON, SQL_AUTOCOMMIT_ON},   {true, false, 0, SQL_AUTOCOMMIT_ON},
      {false, false, 0, SQL_AUTOCOMMIT_ON},
  };
  for (const auto& c : cases) {
    OdbcHandles handles;
    if (c.choose) {
      ASSERT_EQ(SQLSetConnectAttr(handles.connection, SQL_ATTR_AUTOCOMMIT, Integer(c.chosen), SQL_IS_UINTEGER),
                SQL_SUCCESS);
    }
    SQLRETURN connected = c.driverConnect ? handles.DriverConnect("DSN=demo") : handles.Connect("demo");
    ASSERT_EQ(connected, SQL_SUCCESS) << handles.ConnectionDiagnostic().text;
    SQLUINTEGER value = 7;
    EXPECT_EQ(SQLGetConnectAttr(handles.connection, SQL_ATTR_AUTOCOMMIT, &value, 0, nullptr), SQL_SUCCESS);
    EXPECT_EQ(value, c.expected) << (c.driverConnect ? "SQLDriverConnect" : "SQLConnect") << " after choosing "
                                 << (c.choose ? std::to_string(c.chosen) : "nothing");
  }
}

// What the Driver Manager hands over of SQLGetInfo and SQLGetFunctions, and
// that nothing lands past the width of an answer.
TEST_F(AttributesTest, DriverInformation) {
  struct {
    SQLUSMALLINT infoType;
    std::size_t width;  // 0: a text
    const char* text;
    SQLUINTEGER number;
  } cases[] = {
      {SQL_DRIVER_NAME, 0, "libhelvane.so", 0},
      {SQL_DESCRIBE_PARAMETER, 0, "N", 0},
      {SQL_DBMS_NAME, 0, "Tarvox for QuickBase", 0},
      {SQL_CURSOR_COMMIT_BEHAVIOR, sizeof(SQLUSMALLINT), nullptr, SQL_CB_CLOSE},
      {SQL_CURSOR_ROLLBACK_BEHAVIOR, sizeof(SQLUSMALLINT), nullptr, SQL_CB_CLOSE},
      {SQL_MAX_CURSOR_NAME_LEN, sizeof(SQLUSMALLINT), nullptr, 18},
      {SQL_TXN_CAPABLE, sizeof(SQLUSMALLINT), nullptr, SQL_TC_DML},
      {SQL_DEFAULT_TXN_ISOLATION, sizeof(SQLUINTEGER), nullptr, SQL_TXN_READ_COMMITTED},
      {SQL_GETDATA_EXTENSIONS, sizeof(SQLUINTEGER), nullptr, 11},
  };
  for (const auto& c : cases) {
    unsigned char buffer[64];
    std::memset(buffer, 0xA5, sizeof buffer);
    SQLSMALLINT length = 0;
    // A Y/N answer must fit the two bytes applications give it.
    const SQLSMALLINT size = c.infoType == SQL_DESCRIBE_PARAMETER ? 2 : 48;
    ASSERT_EQ(SQLGetInfo(Connection(), c.infoType, buffer, size, &length), SQL_SUCCESS) << c.infoType;
    std::size_t width = c.width;
    if (width == 0) {
      EXPECT_STREQ(reinterpret_cast<char*>(buffer), c.text);
      width = std::strlen(c.text) + 1;
    } else {
      SQLUINTEGER number = 0;
      std::memcpy(&number, buffer, width);
      EXPECT_EQ(number, c.number) << c.infoType;
      EXPECT_EQ(static_cast<std::size_t>(length), width) << c.infoType;
    }
    for (std::size_t i = width; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], 0xA5) << c.infoType << " byte " << i;
  }
  SQLUSMALLINT supported = 7;
  EXPECT_EQ(SQLGetFunctions(Connection(), SQL_API_SQLGETINFO, &supported), SQL_SUCCESS);
  EXPECT_EQ(supported, SQL_TRUE);
  EXPECT_EQ(SQLGetFunctions(Connection(), SQL_API_SQLTABLEPRIVILEGES, &supported), SQL_SUCCESS);
  EXPECT_EQ(supported, SQL_FALSE);
  // The Driver Manager routes nothing to a function the driver disowns.
  SQLHSTMT statement = SQL_NULL_HSTMT;
  ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, Connection(), &statement), SQL_SUCCESS);
  EXPECT_EQ(SQLTablePrivileges(statement, nullptr, 0, nullptr, 0, nullptr, 0), SQL_ERROR);
  EXPECT_EQ(ReadDiagnostic(SQL_HANDLE_STMT, statement).state, "IM001");
  SQLFreeHandle(SQL_HANDLE_STMT, statement);
}

// Statement values at the widths ODBC gives them: SQLULEN, SQLUINTEGER or a
// pointer for attributes; SQLULEN for four ODBC 2 options, 32 bits for the
// rest.
TEST_F(AttributesTest, StatementValueWidths) {
  SQLHSTMT statement = SQL_NULL_HSTMT;
  ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, Connection(), &statement), SQL_SUCCESS);
  ASSERT_EQ(SQLSetStmtAttr(statement, SQL_ATTR_MAX_ROWS, Integer(12), 0), SQL_SUCCESS);
  struct {
    bool option;
    SQLINTEGER id;
    std::size_t width;
    SQLULEN value;
  } cases[] = {
      {false, SQL_ATTR_ENABLE_AUTO_IPD, sizeof(SQLUINTEGER), SQL_TRUE},
      {false, SQL_ATTR_CURSOR_SCROLLABLE, sizeof(SQLUINTEGER), SQL_NONSCROLLABLE},
      {false, SQL_ATTR_MAX_ROWS, sizeof(SQLULEN), 12},
      {false, SQL_ATTR_ROWS_FETCHED_PTR, sizeof(SQLPOINTER), 0},
      {true, SQL_MAX_ROWS, sizeof(SQLULEN), 12},
      {true, SQL_ROWSET_SIZE, sizeof(SQLULEN), 1},
      {true, SQL_CONCURRENCY, sizeof(SQLUINTEGER), SQL_CONCUR_READ_ONLY},
  };
  for (const auto& c : cases) {
    unsigned char buffer[32];
    std::memset(buffer, 0xA5, sizeof buffer);
    SQLRETURN result = c.option ? SQLGetStmtOption(statement, static_cast<SQLUSMALLINT>(c.id), buffer)
                                : SQLGetStmtAttr(statement, c.id, buffer, sizeof buffer, nullptr);
    ASSERT_EQ(result, SQL_SUCCESS) << c.id;
    SQLULEN value = 0;
    std::memcpy(&value, buffer, c.width);
    EXPECT_EQ(value, c.value) << (c.option ? "option " : "attribute ") << c.id;
    for (std::size_t i = c.width; i < sizeof buffer; ++i)
      EXPECT_EQ(buffer[i], 0xA5) << (c.option ? "option " : "attribute ") << c.id << " byte " << i;
  }
  SQLFreeHandle(SQL_HANDLE_STMT, statement);
}

}  // namespace
