// Descriptors through the unixODBC Driver Manager: the statement's implicit
// descriptors and an allocated one, fields and records set and read back,
// the IPD of a prepared statement, and copies.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "odbc_test_support.h"

namespace {

SQLPOINTER Integer(SQLLEN value) { return reinterpret_cast<SQLPOINTER>(static_cast<intptr_t>(value)); }

struct DescriptorsTest : ::testing::Test {
  TempFolder folder;
  std::unique_ptr<Emulator> emulator;
  std::unique_ptr<OdbcHandles> handles;
  SQLHSTMT statement = SQL_NULL_HSTMT;

  void SetUp() override {
    emulator = std::make_unique<Emulator>(folder);
    ASSERT_NE(emulator->port, 0) << "the emulator did not start";
    WriteOdbcFiles(folder, {"QUICKBASESERVER=" + emulator->HttpUrl(), "UID=alice", "PWD=wonderland"});
    handles = std::make_unique<OdbcHandles>();
    ASSERT_EQ(handles->Connect("demo"), SQL_SUCCESS) << handles->ConnectionDiagnostic().text;
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, handles->connection, &statement), SQL_SUCCESS);
  }
  void TearDown() override {
    if (statement != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, statement);
  }
  SQLHDESC Descriptor(SQLINTEGER attribute) const {
    SQLHDESC descriptor = SQL_NULL_HDESC;
    EXPECT_EQ(SQLGetStmtAttr(statement, attribute, &descriptor, 0, nullptr), SQL_SUCCESS);
    return descriptor;
  }
  static SQLLEN Number(SQLHDESC descriptor, SQLSMALLINT record, SQLSMALLINT field) {
    SQLLEN value = 0;
    EXPECT_EQ(SQLGetDescField(descriptor, record, field, &value, 0, nullptr), SQL_SUCCESS)
        << field << " " << ReadDiagnostic(SQL_HANDLE_DESC, descriptor).text;
    return value;
  }
};

TEST_F(DescriptorsTest, ApplicationRowDescriptor) {
  SQLHDESC ard = Descriptor(SQL_ATTR_APP_ROW_DESC);
  char buffer[32];
  SQLLEN length = 0;
  ASSERT_EQ(SQLSetDescRec(ard, 2, SQL_C_CHAR, 0, sizeof buffer, 0, 0, buffer, &length, &length), SQL_SUCCESS)
      << ReadDiagnostic(SQL_HANDLE_DESC, ard).text;
  EXPECT_EQ(Number(ard, 0, SQL_DESC_COUNT), 2);
  EXPECT_EQ(Number(ard, 2, SQL_DESC_OCTET_LENGTH), static_cast<SQLLEN>(sizeof buffer));
  SQLPOINTER data = nullptr;
  EXPECT_EQ(SQLGetDescField(ard, 2, SQL_DESC_DATA_PTR, &data, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(data, buffer);
  SQLSMALLINT type = 0;
  EXPECT_EQ(SQLGetDescRec(ard, 3, nullptr, 0, nullptr, &type, nullptr, nullptr, nullptr, nullptr, nullptr),
            SQL_NO_DATA);
  // The row array size is one field seen two ways.
  ASSERT_EQ(SQLSetDescField(ard, 0, SQL_DESC_ARRAY_SIZE, Integer(25), 0), SQL_SUCCESS);
  SQLULEN rows = 0;
  EXPECT_EQ(SQLGetStmtAttr(statement, SQL_ATTR_ROW_ARRAY_SIZE, &rows, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(rows, 25u);
  // A narrow field leaves the rest of the buffer alone.
  unsigned char count[8];
  std::memset(count, 0xA5, sizeof count);
  EXPECT_EQ(SQLGetDescField(ard, 0, SQL_DESC_COUNT, count, 0, nullptr), SQL_SUCCESS);
  for (std::size_t i = sizeof(SQLSMALLINT); i < sizeof count; ++i) EXPECT_EQ(count[i], 0xA5) << i;
}

TEST_F(DescriptorsTest, ImplementationDescriptors) {
  SQLHDESC ipd = Descriptor(SQL_ATTR_IMP_PARAM_DESC);
  SQLHDESC ird = Descriptor(SQL_ATTR_IMP_ROW_DESC);
  const char* text = "SELECT IDENTITY FROM \"@@identity\" WHERE IDENTITY = ?";
  ASSERT_EQ(SQLPrepare(statement, (SQLCHAR*)text, SQL_NTS), SQL_SUCCESS)
      << ReadDiagnostic(SQL_HANDLE_STMT, statement).text;
  EXPECT_EQ(Number(ipd, 0, SQL_DESC_COUNT), 1);
  EXPECT_EQ(Number(ipd, 1, SQL_DESC_CONCISE_TYPE), SQL_INTEGER);
  SQLCHAR name[16] = {0};
  SQLSMALLINT nameLength = -1;
  EXPECT_EQ(SQLGetDescField(ipd, 1, SQL_DESC_TYPE_NAME, name, sizeof name, nullptr), SQL_SUCCESS);
  EXPECT_STREQ(reinterpret_cast<char*>(name), "INTEGER");
  SQLSMALLINT type = 0;
  SQLLEN octets = 0;
  EXPECT_EQ(SQLGetDescRec(ipd, 1, name, sizeof name, &nameLength, &type, nullptr, &octets, nullptr, nullptr,
                          nullptr),
            SQL_SUCCESS);
  EXPECT_EQ(type, SQL_INTEGER);
  EXPECT_EQ(octets, 4);
  EXPECT_EQ(nameLength, 0);
  EXPECT_EQ(Number(ird, 0, SQL_DESC_COUNT), 1);
  EXPECT_EQ(static_cast<SQLSMALLINT>(Number(ird, 1, SQL_DESC_CONCISE_TYPE)), SQL_INTEGER);
  EXPECT_EQ(SQLGetDescField(ird, 1, SQL_DESC_NAME, name, sizeof name, nullptr), SQL_SUCCESS);
  EXPECT_STREQ(reinterpret_cast<char*>(name), "IDENTITY");
  // The result's description is the driver's to give.
  EXPECT_EQ(SQLSetDescField(ird, 1, SQL_DESC_CONCISE_TYPE, Integer(SQL_C_CHAR), 0), SQL_ERROR);
  EXPECT_EQ(ReadDiagnostic(SQL_HANDLE_DESC, ird).state, "HY016");

  SQLHDESC own = SQL_NULL_HDESC;
  ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_DESC, handles->connection, &own), SQL_SUCCESS);
  ASSERT_EQ(SQLCopyDesc(ipd, own), SQL_SUCCESS) << ReadDiagnostic(SQL_HANDLE_DESC, own).text;
  EXPECT_EQ(static_cast<SQLSMALLINT>(Number(own, 1, SQL_DESC_CONCISE_TYPE)), SQL_C_SLONG);
  ASSERT_EQ(SQLCopyDesc(ird, own), SQL_SUCCESS) << ReadDiagnostic(SQL_HANDLE_DESC, own).text;
  EXPECT_EQ(static_cast<SQLSMALLINT>(Number(own, 1, SQL_DESC_CONCISE_TYPE)), SQL_C_SLONG);
  EXPECT_EQ(SQLCopyDesc(own, ird), SQL_ERROR);
  SQLFreeHandle(SQL_HANDLE_DESC, own);
}

}  // namespace
