// What applications read back from a stored diagnostic through
// SQLGetDiagRec, SQLGetDiagField and SQLError.
#include <gtest/gtest.h>

#include <sqlext.h>

#include <cstring>

#include "common/diagnostics.h"
#include "connection/handle_lifecycle.h"
#include "handles/statement_handle.h"
#include "odbc/connection_release.h"
#include "odbc/diagnostic_fields.h"
#include "odbc/statement_allocation.h"
#include "qbapi/api_call_record.h"

namespace {

struct Fixture {
  EnvironmentHandle* environment = nullptr;
  ConnectionHandle* connection = nullptr;
  StatementHandle* statement = nullptr;
  explicit Fixture(int odbcVersion = 3) {
    AllocEnvironmentHandle(&environment);
    environment->odbcVersion = odbcVersion;
    AllocConnectionHandle(*environment, &connection);
    AllocateStatement(*connection, &statement);
  }
  ~Fixture() {
    FreeConnectionHandle(connection);
    FreeEnvironmentHandle(environment);
  }
};

std::string State(SQLSMALLINT type, SQLHANDLE handle) {
  SQLCHAR state[6] = {0};
  EXPECT_EQ(GetDiagnosticRecord(type, handle, 1, state, nullptr, nullptr, 0, nullptr), SQL_SUCCESS);
  return reinterpret_cast<char*>(state);
}

std::string Text(SQLSMALLINT type, SQLHANDLE handle) {
  SQLCHAR text[600] = {0};
  SQLSMALLINT length = 0;
  EXPECT_EQ(GetDiagnosticRecord(type, handle, 1, nullptr, nullptr, text, sizeof text, &length), SQL_SUCCESS);
  EXPECT_EQ(length, static_cast<SQLSMALLINT>(std::strlen(reinterpret_cast<char*>(text))));
  return reinterpret_cast<char*>(text);
}

TEST(DiagnosticFields, SqlStateFollowsOdbcVersion) {
  struct {
    MessageId id;
    const char* odbc2;
    const char* odbc3;
  } cases[] = {{kMsgMemoryAllocation, "S1001", "HY001"},
               {kMsgInvalidCursorState, "24000", "24000"},
               {kMsgAutomaticDescriptor, "S0000", "HY017"},
               {kMsgDriverNotCapable, "S1C00", "IM001"}};
  for (const auto& c : cases) {
    for (int version : {2, 3}) {
      Fixture f(version);
      SetDiagnostic(f.statement->diagnostic, c.id);
      SetDiagnostic(f.connection->diagnostic, c.id);
      SetDiagnostic(f.statement->ard.diagnostic, c.id);
      const char* expected = version == 2 ? c.odbc2 : c.odbc3;
      EXPECT_EQ(State(SQL_HANDLE_STMT, f.statement), expected) << c.id;
      EXPECT_EQ(State(SQL_HANDLE_DBC, f.connection), expected) << c.id;
      EXPECT_EQ(State(SQL_HANDLE_DESC, &f.statement->ard), expected) << c.id;
    }
  }
}

TEST(DiagnosticFields, MessageTexts) {
  Fixture f;
  SetDiagnostic(f.statement->diagnostic, kMsgUnknownException, "SQLTables");
  EXPECT_EQ(Text(SQL_HANDLE_STMT, f.statement), "[Tarvox ODBC]Unknown try catch error in SQLTables");

  ApiCallRecord call;
  call.errcode = "20";
  call.errtext = "Unknown user 100%s";
  call.errdetail = "d\xC3\xA9tail";
  SetDiagnostic(f.connection->diagnostic, kMsgServerError, call.errdetail);
  f.connection->diagnostic.messageText = FormatServerErrorText(call);
  EXPECT_EQ(Text(SQL_HANDLE_DBC, f.connection), "[Tarvox][QuickBase]Unknown user 100%s d\xC3\xA9tail");
  EXPECT_EQ(State(SQL_HANDLE_DBC, f.connection), "HY000");

  call.origin = ApiFailureOrigin::kTimeout;
  f.connection->diagnostic.messageText = FormatServerErrorText(call);
  EXPECT_EQ(State(SQL_HANDLE_DBC, f.connection), "HYT00");
  f.environment->odbcVersion = 2;
  EXPECT_EQ(State(SQL_HANDLE_DBC, f.connection), "S1T00");
}

TEST(DiagnosticFields, CutTextAndMissingRecords) {
  Fixture f;
  SetDiagnostic(f.statement->diagnostic, kMsgInvalidCursorState);
  const std::string full = "[Tarvox ODBC]Invalid cursor state";
  std::vector<SQLCHAR> buffer(full.size());
  SQLSMALLINT length = 0;
  EXPECT_EQ(GetDiagnosticRecord(SQL_HANDLE_STMT, f.statement, 1, nullptr, nullptr, buffer.data(),
                                static_cast<SQLSMALLINT>(buffer.size()), &length),
            SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(length, static_cast<SQLSMALLINT>(full.size()));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer.data())), full.substr(0, full.size() - 1));

  SQLCHAR state[6];
  EXPECT_EQ(GetDiagnosticRecord(SQL_HANDLE_STMT, f.statement, 2, state, nullptr, nullptr, 0, nullptr), SQL_NO_DATA);
  EXPECT_EQ(GetDiagnosticRecord(SQL_HANDLE_DBC, f.connection, 1, state, nullptr, nullptr, 0, nullptr), SQL_NO_DATA);
  EXPECT_EQ(GetDiagnosticRecord(SQL_HANDLE_DBC, f.connection, 1, nullptr, nullptr, nullptr, 0, nullptr), SQL_NO_DATA);
  EXPECT_EQ(GetDiagnosticRecord(SQL_HANDLE_STMT, f.statement, 1, nullptr, nullptr, nullptr, 0, nullptr), SQL_SUCCESS);
}

TEST(DiagnosticFields, FieldsWithNullLengthPointers) {
  Fixture f;
  f.connection->settings["DSN"] = "demo";
  f.statement->dynamicFunctionCode = 85;
  f.statement->diagnosticRowCount = 3;
  f.statement->rowCount = 12;
  SetDiagnostic(f.statement->diagnostic, kMsgOptionValueChanged);
  struct {
    SQLSMALLINT identifier;
    const char* text;  // nullptr: a number
    SQLLEN number;
  } cases[] = {
      {SQL_DIAG_NUMBER, nullptr, 1},
      {SQL_DIAG_ROW_COUNT, nullptr, 3},
      {SQL_DIAG_CURSOR_ROW_COUNT, nullptr, 12},
      {SQL_DIAG_DYNAMIC_FUNCTION_CODE, nullptr, 85},
      {SQL_DIAG_DYNAMIC_FUNCTION, "SELECT CURSOR", 0},
      {SQL_DIAG_SQLSTATE, "01S02", 0},
      {SQL_DIAG_NATIVE, nullptr, kMsgOptionValueChanged},
      {SQL_DIAG_CLASS_ORIGIN, "ISO 9075", 0},
      {SQL_DIAG_SUBCLASS_ORIGIN, "ODBC 3.0", 0},
      {SQL_DIAG_CONNECTION_NAME, "", 0},
      {SQL_DIAG_SERVER_NAME, "demo", 0},
      {SQL_DIAG_ROW_NUMBER, nullptr, SQL_ROW_NUMBER_UNKNOWN},
      {SQL_DIAG_COLUMN_NUMBER, nullptr, SQL_NO_COLUMN_NUMBER},
  };
  for (const auto& c : cases) {
    char text[64] = {0};
    SQLLEN wide = 0;
    SQLINTEGER narrow = 0;
    bool isLen = c.identifier == SQL_DIAG_ROW_COUNT || c.identifier == SQL_DIAG_CURSOR_ROW_COUNT ||
                 c.identifier == SQL_DIAG_ROW_NUMBER;
    SQLPOINTER target = c.text != nullptr ? static_cast<SQLPOINTER>(text)
                        : isLen          ? static_cast<SQLPOINTER>(&wide)
                                         : static_cast<SQLPOINTER>(&narrow);
    ASSERT_EQ(GetDiagnosticField(SQL_HANDLE_STMT, f.statement, 1, c.identifier, target, sizeof text, nullptr),
              SQL_SUCCESS)
        << c.identifier;
    if (c.text != nullptr)
      EXPECT_STREQ(text, c.text) << c.identifier;
    else
      EXPECT_EQ(isLen ? wide : narrow, c.number) << c.identifier;
  }
  SQLRETURN returnCode = -9;
  EXPECT_EQ(GetDiagnosticField(SQL_HANDLE_STMT, f.statement, 0, SQL_DIAG_RETURNCODE, &returnCode, 0, nullptr),
            SQL_SUCCESS);
  EXPECT_EQ(returnCode, SQL_SUCCESS);
}

TEST(DiagnosticFields, RefusedFields) {
  Fixture f;
  SQLLEN value = 0;
  struct {
    SQLSMALLINT type;
    SQLHANDLE handle;
    SQLSMALLINT identifier;
  } cases[] = {{SQL_HANDLE_DBC, f.connection, SQL_DIAG_ROW_COUNT},
               {SQL_HANDLE_ENV, f.environment, SQL_DIAG_DYNAMIC_FUNCTION_CODE},
               {SQL_HANDLE_DESC, &f.statement->ard, SQL_DIAG_CURSOR_ROW_COUNT},
               {SQL_HANDLE_STMT, f.statement, 9999},
               {7, f.statement, SQL_DIAG_NUMBER}};
  for (const auto& c : cases)
    EXPECT_EQ(GetDiagnosticField(c.type, c.handle, 0, c.identifier, &value, 0, nullptr), SQL_ERROR) << c.identifier;
}

TEST(DiagnosticFields, OriginsOfStates) {
  Fixture f;
  struct {
    MessageId id;
    const char* classOrigin;
    const char* subclassOrigin;
  } cases[] = {{kMsgNotSupportedDetail, "ODBC 3.0", "ODBC 3.0"},
               {kMsgInvalidCursorState, "ISO 9075", "ISO 9075"},
               {kMsgOptionValueChanged, "ISO 9075", "ODBC 3.0"}};
  for (const auto& c : cases) {
    SetDiagnostic(f.statement->diagnostic, c.id);
    char text[16];
    GetDiagnosticField(SQL_HANDLE_STMT, f.statement, 1, SQL_DIAG_CLASS_ORIGIN, text, sizeof text, nullptr);
    EXPECT_STREQ(text, c.classOrigin) << c.id;
    GetDiagnosticField(SQL_HANDLE_STMT, f.statement, 1, SQL_DIAG_SUBCLASS_ORIGIN, text, sizeof text, nullptr);
    EXPECT_STREQ(text, c.subclassOrigin) << c.id;
  }
}

TEST(DiagnosticFields, SqlErrorReportsOnce) {
  Fixture f;
  SetDiagnostic(f.connection->diagnostic, kMsgFunctionSequence);
  SetDiagnostic(f.environment->diagnostic, kMsgMemoryAllocation);
  SQLCHAR state[6];
  SQLINTEGER native = 0;
  SQLCHAR text[100];
  SQLSMALLINT length = 0;
  EXPECT_EQ(ReportHandleError(f.environment, f.connection, nullptr, state, &native, text, sizeof text, &length),
            SQL_SUCCESS);
  EXPECT_STREQ(reinterpret_cast<char*>(state), "HY010");
  EXPECT_EQ(native, kMsgFunctionSequence);
  EXPECT_EQ(ReportHandleError(f.environment, f.connection, nullptr, state, &native, text, sizeof text, &length),
            SQL_NO_DATA);
  EXPECT_STREQ(reinterpret_cast<char*>(state), "00000");
  EXPECT_EQ(native, 0);
  EXPECT_EQ(ReportHandleError(f.environment, nullptr, nullptr, state, &native, text, sizeof text, &length),
            SQL_SUCCESS);
  EXPECT_STREQ(reinterpret_cast<char*>(state), "HY001");
  EXPECT_EQ(ReportHandleError(nullptr, nullptr, nullptr, state, &native, text, sizeof text, &length),
            SQL_INVALID_HANDLE);
}

}  // namespace
