// Parameter bindings: the C type a binding resolves to, one record per
// parameter number, and the parameters a prepared statement describes.
#include <gtest/gtest.h>

#include <sqlext.h>

#include "handles/descriptor_handle.h"
#include "odbc/parameter_binding.h"
#include "odbc/prepare_statement.h"
#include "odbc/statement_execution.h"
#include "odbc_test_handles.h"

namespace {

TEST(ParameterBinding, CTypeOfEachBinding) {
  struct {
    std::int32_t odbcVersion;
    SQLSMALLINT valueType;
    SQLSMALLINT parameterType;
    SQLULEN columnSize;
    SQLRETURN result;
    SQLSMALLINT cType;
    std::uint16_t precision;
  } cases[] = {
      {3, SQL_C_DEFAULT, SQL_INTEGER, 10, SQL_SUCCESS, SQL_C_SLONG, 0},
      {3, SQL_C_LONG, SQL_VARCHAR, 10, SQL_SUCCESS, SQL_C_SLONG, 0},
      {3, SQL_C_DEFAULT, SQL_NUMERIC, 12, SQL_SUCCESS, SQL_C_CHAR, 0},
      {3, SQL_C_DEFAULT, SQL_LONGVARBINARY, 0, SQL_SUCCESS, SQL_C_BINARY, 0},
      {3, SQL_C_DEFAULT, SQL_REAL, 0, SQL_SUCCESS, SQL_C_FLOAT, 0},
      {3, SQL_C_NUMERIC, SQL_NUMERIC, 12, SQL_SUCCESS, SQL_C_NUMERIC, 12},
      {3, SQL_C_SBIGINT, SQL_BIGINT, 0, SQL_SUCCESS, SQL_C_SBIGINT, 19},
      {3, SQL_C_DEFAULT, SQL_TYPE_TIMESTAMP, 0, SQL_SUCCESS, SQL_C_TYPE_TIMESTAMP, 0},
      {2, SQL_C_DEFAULT, SQL_TYPE_TIMESTAMP, 0, SQL_SUCCESS, SQL_C_TIMESTAMP, 0},
      {3, SQL_C_DEFAULT, SQL_GUID, 0, SQL_ERROR, SQL_C_DEFAULT, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "ODBC " << c.odbcVersion << ", " << c.valueType << " for " << c.parameterType);
    Connection connection(kConnected);
    connection.environment->odbcVersion = c.odbcVersion;
    StatementHandle& s = *connection.NewStatement();
    SQLLEN indicator = 0;
    EXPECT_EQ(BindParameterCore(s, 1, SQL_PARAM_INPUT, c.valueType, c.parameterType, c.columnSize, &indicator, 8,
                                &indicator),
              c.result);
    const DescriptorRecord* record = FindParameterRecord(s, 1);
    if (c.result != SQL_SUCCESS) {
      EXPECT_EQ(record, nullptr);
      EXPECT_EQ(s.diagnostic.messageId, kMsgNotSupportedDetail);
      continue;
    }
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->cType, c.cType);
    EXPECT_EQ(record->precision, c.precision);
  }
}

TEST(ParameterBinding, OneRecordPerNumberAndNoneForOutput) {
  Connection connection(kConnected);
  StatementHandle& s = *connection.NewStatement();
  char first[8];
  char second[8];
  ASSERT_EQ(BindParameterCore(s, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 8, first, 8, nullptr), SQL_SUCCESS);
  ASSERT_EQ(BindParameterCore(s, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 8, second, 8, nullptr), SQL_SUCCESS);
  EXPECT_EQ(FindParameterRecord(s, 1)->dataPointer, second);
  EXPECT_EQ(s.currentApd->records->nextRecord, nullptr);
  EXPECT_EQ(BindParameterCore(s, 2, SQL_PARAM_OUTPUT, SQL_C_CHAR, SQL_VARCHAR, 8, first, 8, nullptr), SQL_SUCCESS);
  EXPECT_EQ(FindParameterRecord(s, 2), nullptr);
}

TEST(ParameterBinding, MarkersOfThePreparedStatement) {
  Connection connection(kConnected);
  StatementHandle& s = *connection.NewStatement();
  SQLSMALLINT count = -1;
  EXPECT_EQ(CountParametersCore(s, &count), SQL_ERROR);
  EXPECT_EQ(s.diagnostic.messageId, kMsgInvalidCursorState);
  const char* sql = "SELECT IDENTITY FROM \"@@identity\" WHERE IDENTITY = ? OR IDENTITY > ?";
  ASSERT_EQ(PrepareStatement(s, reinterpret_cast<const SQLCHAR*>(sql), SQL_NTS), SQL_SUCCESS);
  EXPECT_EQ(CountParametersCore(s, &count), SQL_SUCCESS);
  EXPECT_EQ(count, 2);
  SQLSMALLINT type = 0;
  SQLULEN size = 0;
  SQLSMALLINT nullable = -1;
  EXPECT_EQ(DescribeParameterCore(s, 2, &type, &size, nullptr, &nullable), SQL_SUCCESS);
  EXPECT_EQ(type, SQL_INTEGER);
  EXPECT_EQ(size, 10u);
  EXPECT_EQ(nullable, SQL_NULLABLE_UNKNOWN);
  for (SQLUSMALLINT number : {0, 3}) {
    EXPECT_EQ(DescribeParameterCore(s, number, &type, nullptr, nullptr, nullptr), SQL_ERROR) << number;
    EXPECT_EQ(s.diagnostic.messageId, kMsgInvalidParameterNumber) << number;
  }
  SQLULEN processed = 0;
  EXPECT_EQ(ParameterOptionsCore(s, 5, &processed), SQL_SUCCESS);
  EXPECT_EQ(s.paramsetSize, 5);
  EXPECT_EQ(s.ipd.rowsProcessedPointer, &processed);
}

}  // namespace
