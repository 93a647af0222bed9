// Fields of particular kinds through the Driver Manager: what attachment,
// multi-user and built-in fields read and accept, and the columns and tables
// that data definition refuses, each checked against the emulator's request
// log.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "demo_data_source.h"

namespace {

bool Holds(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

// Whether the request log holds any of the actions since it was last cleared.
bool SentAny(const Emulator& emulator, const std::vector<std::string>& actions) {
  for (const std::string& logged : LoggedRequests(emulator, "", "action"))
    for (const std::string& action : actions)
      if (logged == action) return true;
  return false;
}

// The first column of the query's first row as bytes, "NULL" for NULL.
std::string FirstValue(SQLHSTMT statement, const std::string& sql) {
  SQLFreeStmt(statement, SQL_CLOSE);
  if (!SQL_SUCCEEDED(SQLExecDirect(statement, (SQLCHAR*)sql.c_str(), SQL_NTS)) ||
      !SQL_SUCCEEDED(SQLFetch(statement)))
    return "no row: " + ReadDiagnostic(SQL_HANDLE_STMT, statement).text;
  char value[256] = {0};
  SQLLEN length = 0;
  if (!SQL_SUCCEEDED(SQLGetData(statement, 1, SQL_C_BINARY, value, sizeof value, &length)))
    return "no value: " + ReadDiagnostic(SQL_HANDLE_STMT, statement).text;
  return length == SQL_NULL_DATA ? "NULL" : std::string(value, static_cast<std::size_t>(length));
}

struct FieldsTest : DemoConnectionTest {
  SQLRETURN Direct(const std::string& sql) {
    SQLFreeStmt(statement, SQL_CLOSE);
    return SQLExecDirect(statement, (SQLCHAR*)sql.c_str(), SQL_NTS);
  }
  Diagnostic Problem() { return ReadDiagnostic(SQL_HANDLE_STMT, statement); }
};

// NULL written to an attachment column reads back NULL (an add sends no file
// field, an edit the service's removal form); zero bytes are an empty file.
TEST_F(FieldsTest, AttachmentsTakeNullAndZeroBytes) {
  struct {
    const char* sql;  // the file is the statement's one parameter
    const char* orderNo;
    SQLLEN length;  // SQL_NULL_DATA, or bytes of "new"
    const char* action;  // the request that carries the file
    const char* sentField;
    const char* readBack;
  } cases[] = {
      {"INSERT INTO \"Sales: Orders\" (\"Order No\", Invoice) VALUES ('SO-NULL', ?)", "SO-NULL", SQL_NULL_DATA,
       "API_ImportFromCSV", "<clist>3.6</clist>", "NULL"},
      {"INSERT INTO \"Sales: Orders\" (\"Order No\", Invoice) VALUES ('SO-EMPTY', ?)", "SO-EMPTY", 0,
       "API_AddRecord", R"(<field fid=\"16\" filename=\"Invoice\"></field>)", ""},
      {"UPDATE \"Sales: Orders\" SET Invoice = ? WHERE \"Order No\" = 'SO-0002'", "SO-0002", SQL_NULL_DATA,
       "API_EditRecord", R"(<field fid=\"16\"></field>)", "NULL"},
      {"UPDATE \"Sales: Orders\" SET Invoice = ? WHERE \"Order No\" = 'SO-0005'", "SO-0005", 0, "API_EditRecord",
       R"(<field fid=\"16\" filename=\"Invoice\"></field>)", ""},
      {"UPDATE \"Sales: Orders\" SET Invoice = ? WHERE \"Order No\" = 'SO-0011'", "SO-0011", 3, "API_EditRecord",
       R"(filename=\"Invoice\">bmV3</field>)", "new"},
  };
  for (const auto& c : cases) {
    char file[] = "new";
    SQLLEN length = c.length;
    SQLFreeStmt(statement, SQL_CLOSE);
    SQLBindParameter(statement, 1, SQL_PARAM_INPUT, SQL_C_BINARY, SQL_LONGVARBINARY, 100, 0, file, sizeof file,
                     &length);
    ClearLog();
    ASSERT_EQ(SQLExecDirect(statement, (SQLCHAR*)c.sql, SQL_NTS), SQL_SUCCESS) << c.sql << Problem().text;
    SQLFreeStmt(statement, SQL_RESET_PARAMS);
    const std::vector<std::string> sent = LoggedRequests(emulator, c.action);
    ASSERT_EQ(sent.size(), 1u) << c.sql;
    EXPECT_TRUE(Holds(sent[0], c.sentField)) << sent[0];
    if (c.length == SQL_NULL_DATA) {
      EXPECT_FALSE(Holds(sent[0], "filename")) << sent[0];
    }
    const std::string read =
        std::string("SELECT Invoice FROM \"Sales: Orders\" WHERE \"Order No\" = '") + c.orderNo + "'";
    EXPECT_EQ(FirstValue(statement, read), c.readBack) << c.sql;
  }
}

// NULL written to the attachment of a row not yet sent leaves it waiting
// for the commit: a rollback leaves nothing on the service.
TEST_F(FieldsTest, NullToAPendingRowsAttachmentKeepsItPending) {
  SQLSetConnectAttr(owned->connection, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0);
  ClearLog();
  ASSERT_EQ(Direct("INSERT INTO \"Sales: Orders\" (\"Order No\") VALUES ('SO-PEND')"), SQL_SUCCESS) << Problem().text;
  ASSERT_EQ(Direct("UPDATE \"Sales: Orders\" SET Invoice = NULL WHERE \"Order No\" = 'SO-PEND'"), SQL_SUCCESS)
      << Problem().text;
  EXPECT_EQ(FirstValue(statement, "SELECT Invoice FROM \"Sales: Orders\" WHERE \"Order No\" = 'SO-PEND'"), "NULL");
  ASSERT_EQ(SQLEndTran(SQL_HANDLE_DBC, owned->connection, SQL_ROLLBACK), SQL_SUCCESS);
  EXPECT_FALSE(SentAny(emulator, {"API_AddRecord", "API_EditRecord", "API_ImportFromCSV"}));
  EXPECT_TRUE(ServiceRecords(emulator, "bjf9xufbz", "6", "{6.EX.'SO-PEND'}").empty());
}

// A multi-user field shows each user's display name in the order the service
// holds the ids; RAWUSERFIELD shows the ids.
TEST_F(FieldsTest, MultiUserFieldsShowEveryUsersName) {
  ASSERT_EQ(Direct("INSERT INTO \"Sales: Orders\" (\"Order No\", Team) VALUES ('SO-TEAM', 'chloe;alice')"),
            SQL_SUCCESS)
      << Problem().text;
  OdbcHandles raw;
  ASSERT_TRUE(SQL_SUCCEEDED(raw.DriverConnect("DSN=demo;RAWUSERFIELD=1"))) << raw.ConnectionDiagnostic().text;
  SQLHSTMT rawStatement = SQL_NULL_HSTMT;
  ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, raw.connection, &rawStatement), SQL_SUCCESS);
  struct {
    const char* orderNo;
    const char* names;
    const char* ids;
  } cases[] = {
      {"SO-0001", "Alice \xC3\x85ngstr\xC3\xB6m;Bob Brown", "56760200.cxjz;56760201.dkrm"},
      {"SO-0004", "Alice \xC3\x85ngstr\xC3\xB6m", "56760200.cxjz"},
      {"SO-TEAM", "Chlo\xC3\xA9 Dubois;Alice \xC3\x85ngstr\xC3\xB6m", "56760202.enps;56760200.cxjz"},
  };
  for (const auto& c : cases) {
    const std::string sql = std::string("SELECT Team FROM \"Sales: Orders\" WHERE \"Order No\" = '") + c.orderNo + "'";
    EXPECT_EQ(FirstValue(statement, sql), c.names) << c.orderNo;
    EXPECT_EQ(FirstValue(rawStatement, sql), c.ids) << c.orderNo;
  }
  SQLFreeHandle(SQL_HANDLE_STMT, rawStatement);
}

// The built-in fields 1 to 5 are read-only: described so, and an UPDATE of
// any of them is refused before anything is written.
TEST_F(FieldsTest, BuiltInFieldsAreReadOnly) {
  const char* builtIns[] = {"\"Date Created\"", "\"Date Modified\"", "\"Record ID_\"", "\"Record Owner\"",
                            "\"Last Modified By\""};
  std::string list;
  for (const char* column : builtIns) list += std::string(list.empty() ? "" : ", ") + column;
  ASSERT_EQ(Direct("SELECT " + list + " FROM \"Sales: Orders\""), SQL_SUCCESS) << Problem().text;
  for (SQLUSMALLINT column = 1; column <= 5; ++column) {
    SQLLEN updatable = -1;
    ASSERT_EQ(SQLColAttribute(statement, column, SQL_DESC_UPDATABLE, nullptr, 0, nullptr, &updatable), SQL_SUCCESS);
    EXPECT_EQ(updatable, SQL_ATTR_READONLY) << builtIns[column - 1];
  }
  for (const char* column : {"\"Date Created\"", "\"Date Modified\"", "\"Record Owner\"", "\"Last Modified By\""}) {
    ClearLog();
    const std::string sql = std::string("UPDATE \"Sales: Orders\" SET ") + column + " = " +
                            (Holds(column, "Date") ? "{ts '2020-01-02 03:04:05'}" : "'bob'") +
                            " WHERE \"Order No\" = 'SO-0001'";
    EXPECT_EQ(Direct(sql), SQL_ERROR) << column;
    EXPECT_TRUE(Holds(Problem().text, "cannot be written")) << column << ": " << Problem().text;
    EXPECT_FALSE(SentAny(emulator, {"API_ImportFromCSV", "API_EditRecord", "API_AddRecord"})) << column;
  }
}

// Data definition that would make a table in a guessed application, or a
// second column of a name, is refused before anything is sent.
TEST_F(FieldsTest, DataDefinitionRefusals) {
  struct {
    const char* sql;
    const char* state;
    const char* text;
  } cases[] = {
      {"CREATE TABLE t1 (a INTEGER)", "HY000", "name it as \"Application: Table\""},
      {"ALTER TABLE \"Sales: Orders\" ADD Team VARCHAR(10)", "42S21", "Column already exists: Team"},
      {"ALTER TABLE \"Sales: Orders\" ADD tEAM VARCHAR(10)", "42S21", "Column already exists: tEAM"},
      {"ALTER TABLE \"Sales: Orders\" ADD \"Record ID#\" INTEGER", "42S21", "Column already exists: Record ID#"},
      {"ALTER TABLE \"Sales: Orders\" ADD Tag VARCHAR(5), tag VARCHAR(5)", "42S21", "Column already exists: tag"},
      {"CREATE TABLE \"Sales: Pairs\" (a INTEGER, A INTEGER)", "42S21", "Column already exists: A"},
  };
  for (const auto& c : cases) {
    ClearLog();
    EXPECT_EQ(Direct(c.sql), SQL_ERROR) << c.sql;
    const Diagnostic refused = Problem();
    EXPECT_EQ(refused.state, c.state) << c.sql;
    EXPECT_TRUE(Holds(refused.text, c.text)) << c.sql << ": " << refused.text;
    EXPECT_FALSE(SentAny(emulator, {"API_CreateTable", "API_AddField", "API_SetFieldProperties", "API_SetKeyField"}))
        << c.sql;
  }
  ASSERT_EQ(Direct("ALTER TABLE \"Sales: Orders\" ADD Tag VARCHAR(5)"), SQL_SUCCESS) << Problem().text;
  EXPECT_EQ(Direct("ALTER TABLE \"Sales: Orders\" ADD TAG VARCHAR(5)"), SQL_ERROR);
  EXPECT_EQ(Problem().state, "42S21");
}

}  // namespace
