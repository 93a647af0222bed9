// Environment attributes: the ODBC version an application asks for, and the
// attributes that only take their defaults.
#include <gtest/gtest.h>

#include <sqlext.h>

#include <cstdint>

#include "connection/handle_lifecycle.h"
#include "odbc/connection_release.h"
#include "odbc/environment_attributes.h"
#include "odbc/export_guard.h"

namespace {

SQLPOINTER Integer(SQLINTEGER value) { return reinterpret_cast<SQLPOINTER>(static_cast<std::intptr_t>(value)); }

TEST(EnvironmentAttributes, SetAndGet) {
  struct {
    SQLINTEGER attribute;
    SQLINTEGER value;
    MessageId id;
    SQLRETURN code;
    std::int32_t versionAfter;
  } cases[] = {
      {SQL_ATTR_ODBC_VERSION, SQL_OV_ODBC2, kMsgSuccess, SQL_SUCCESS, 2},
      {SQL_ATTR_ODBC_VERSION, SQL_OV_ODBC3, kMsgSuccess, SQL_SUCCESS, 3},
      // unixODBC reads any warning here as an ODBC 2 driver.
      {SQL_ATTR_ODBC_VERSION, SQL_OV_ODBC3_80, kMsgSuccess, SQL_SUCCESS, 3},
      {SQL_ATTR_ODBC_VERSION, 4, kMsgOptionValueChanged, SQL_SUCCESS_WITH_INFO, 3},
      {SQL_ATTR_CONNECTION_POOLING, 0, kMsgSuccess, SQL_SUCCESS, 3},
      {SQL_ATTR_CONNECTION_POOLING, 1, kMsgOptionValueChanged, SQL_SUCCESS_WITH_INFO, 3},
      {SQL_ATTR_CP_MATCH, 1, kMsgOptionValueChanged, SQL_SUCCESS_WITH_INFO, 3},
      {SQL_ATTR_OUTPUT_NTS, SQL_TRUE, kMsgSuccess, SQL_SUCCESS, 3},
      {SQL_ATTR_OUTPUT_NTS, SQL_FALSE, kMsgOptionalFeatureAttribute, SQL_ERROR, 3},
      {12345, 0, kMsgInvalidAttribute, SQL_ERROR, 3},
  };
  for (const auto& c : cases) {
    EnvironmentHandle environment;
    MessageId id = SetEnvironmentAttribute(environment, c.attribute, Integer(c.value));
    EXPECT_EQ(id, c.id) << c.attribute << "=" << c.value;
    EXPECT_EQ(ReturnCodeFor(id), c.code) << c.attribute << "=" << c.value;
    EXPECT_EQ(environment.odbcVersion, c.versionAfter) << c.attribute << "=" << c.value;
  }
}

TEST(EnvironmentAttributes, VersionFixedOnceConnected) {
  EnvironmentHandle* environment = nullptr;
  ConnectionHandle* connection = nullptr;
  AllocEnvironmentHandle(&environment);
  AllocConnectionHandle(*environment, &connection);
  EXPECT_EQ(SetEnvironmentAttribute(*environment, SQL_ATTR_ODBC_VERSION, Integer(SQL_OV_ODBC2)),
            kMsgFunctionSequence);
  SQLUINTEGER value = 0;
  SQLINTEGER length = 0;
  EXPECT_EQ(GetEnvironmentAttribute(*environment, SQL_ATTR_ODBC_VERSION, &value, &length), kMsgSuccess);
  EXPECT_EQ(value, 3u);
  EXPECT_EQ(length, 4);
  EXPECT_EQ(GetEnvironmentAttribute(*environment, SQL_ATTR_OUTPUT_NTS, &value, nullptr), kMsgSuccess);
  EXPECT_EQ(value, static_cast<SQLUINTEGER>(SQL_TRUE));
  EXPECT_EQ(GetEnvironmentAttribute(*environment, 77, &value, nullptr), kMsgInvalidAttribute);
  FreeConnectionHandle(connection);
  FreeEnvironmentHandle(environment);
}

TEST(ExportGuard, ExceptionsBecomeDiagnostics) {
  HandleDiagnostic diagnostic;
  EXPECT_EQ(GuardedCall(&diagnostic, "SQLConnect", []() -> SQLRETURN { throw std::bad_alloc(); }), SQL_ERROR);
  EXPECT_EQ(diagnostic.messageId, kMsgMemoryAllocation);
  EXPECT_EQ(GuardedCall(&diagnostic, "SQLConnect", []() -> SQLRETURN { throw 42; }), SQL_ERROR);
  EXPECT_EQ(diagnostic.messageId, kMsgUnknownException);
  EXPECT_EQ(diagnostic.detailText, "SQLConnect");
  EXPECT_EQ(GuardedCall(nullptr, "SQLError", []() -> SQLRETURN { throw 1; }), SQL_ERROR);
}

TEST(ExportGuard, ReturnCodes) {
  struct {
    MessageId id;
    SQLRETURN code;
  } cases[] = {{kMsgSuccess, SQL_SUCCESS},          {kMsgDataTruncated, SQL_SUCCESS_WITH_INFO},
               {kMsgDdlIgnored, SQL_SUCCESS_WITH_INFO}, {kMsgInvalidCursorState, SQL_ERROR},
               {kMsgServerError, SQL_ERROR},         {kMsgLoginMissing, SQL_ERROR}};
  for (const auto& c : cases) EXPECT_EQ(ReturnCodeFor(c.id), c.code) << c.id;
  HandleDiagnostic diagnostic;
  SetDiagnostic(diagnostic, kMsgLoginMissing, "UID");
  EXPECT_EQ(FinishCall(diagnostic, kMsgLoginMissing), SQL_ERROR);
  EXPECT_EQ(diagnostic.detailText, "UID");
}

}  // namespace
