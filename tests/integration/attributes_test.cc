// Connection and statement attributes and transaction completion through the
// unixODBC Driver Manager: what an application sets it reads back, and
// commit and rollback succeed with autocommit off.
#include <gtest/gtest.h>

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
  EXPECT_EQ(SQLEndTran(SQL_HANDLE_DBC, Connection(), SQL_COMMIT), SQL_SUCCESS);
  EXPECT_EQ(SQLEndTran(SQL_HANDLE_DBC, Connection(), SQL_ROLLBACK), SQL_SUCCESS);
  EXPECT_EQ(SQLEndTran(SQL_HANDLE_ENV, handles->environment, SQL_COMMIT), SQL_SUCCESS);
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

}  // namespace
