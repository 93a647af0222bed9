// A value in a condition that the service's XML can't carry, written as a
// literal or bound as a parameter, is refused with 22018 naming the column
// before any request goes out, as a written value is.
#include <gtest/gtest.h>

#include <string>

#include "odbc_test_support.h"

namespace {

TEST(ConditionValues, TextsTheServiceCantCarryAreRefusedBeforeSending) {
  TempFolder folder;
  Emulator emulator(folder);
  ASSERT_NE(emulator.port, 0) << "the emulator did not start";
  WriteOdbcFiles(folder, {"QUICKBASESERVER=" + emulator.HttpUrl(), "UID=alice", "PWD=wonderland"});
  OdbcHandles handles;
  ASSERT_TRUE(SQL_SUCCEEDED(handles.Connect("demo"))) << handles.ConnectionDiagnostic().text;
  SQLHSTMT s = SQL_NULL_HSTMT;
  ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, handles.connection, &s), SQL_SUCCESS);
  // The table's schema is read once, before the log is emptied.
  const std::string select = "SELECT Name FROM \"Sales: Customers\" WHERE Name = ";
  ASSERT_EQ(SQLExecDirect(s, (SQLCHAR*)(select + "'x'").c_str(), SQL_NTS), SQL_SUCCESS);
  SQLCloseCursor(s);
  const struct {
    const char* label;
    std::string literal;    // empty: a parameter marker
    std::string parameter;  // the parameter's bytes
  } cases[] = {
      {"literal that is not UTF-8", "'caf\xE9'", ""},
      {"parameter holding a control character", "?", std::string("a\x01") + "b"},
  };
  for (const auto& c : cases) {
    emulator.Admin("log/clear", "{}");
    SQLLEN length = static_cast<SQLLEN>(c.parameter.size());
    if (!c.parameter.empty()) {
      ASSERT_EQ(SQLBindParameter(s, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 80, 0, (SQLPOINTER)c.parameter.data(),
                                 length, &length),
                SQL_SUCCESS);
    }
    EXPECT_EQ(SQLExecDirect(s, (SQLCHAR*)(select + c.literal).c_str(), SQL_NTS), SQL_ERROR) << c.label;
    const Diagnostic diagnostic = ReadDiagnostic(SQL_HANDLE_STMT, s);
    EXPECT_EQ(diagnostic.state, "22018") << c.label;
    EXPECT_NE(diagnostic.text.find("column 'Name'"), std::string::npos) << c.label << ": " << diagnostic.text;
    EXPECT_TRUE(LoggedRequests(emulator, "", "action").empty()) << c.label;
    SQLFreeStmt(s, SQL_RESET_PARAMS);
  }
  SQLFreeHandle(SQL_HANDLE_STMT, s);
}

}  // namespace
