// Queries through the Driver Manager: joins over the demo application, the
// requests a SELECT, a large insert and a large delete cost once the schemas
// are cached, results read forward-only and through a result file, and no
// temporary file left behind.
#include <gtest/gtest.h>

#include <dirent.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "odbc_test_support.h"

namespace {

// Column values of every row, as text; NULL reads as "NULL".
using Rows = std::vector<std::vector<std::string>>;

struct QueryTest : ::testing::Test {
  TempFolder folder;
  TempFolder spill;  // the driver's temporary files go here
  Emulator emulator{folder};
  std::unique_ptr<OdbcHandles> owned;
  SQLHSTMT statement = SQL_NULL_HSTMT;

  void SetUp() override {
    ASSERT_NE(emulator.port, 0);
    setenv("TMPDIR", spill.path.c_str(), 1);
    WriteOdbcFiles(folder, {"QUICKBASESERVER=" + emulator.HttpUrl(), "UID=alice", "PWD=wonderland"});
    owned = std::make_unique<OdbcHandles>();
    ASSERT_TRUE(SQL_SUCCEEDED(owned->Connect("demo"))) << owned->ConnectionDiagnostic().text;
    statement = NewStatement();
  }
  void TearDown() override {
    if (statement != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, statement);
    unsetenv("TMPDIR");
  }
  SQLHSTMT NewStatement() {
    SQLHSTMT handle = SQL_NULL_HSTMT;
    EXPECT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, owned->connection, &handle), SQL_SUCCESS);
    return handle;
  }
  std::string StatementText(SQLHSTMT handle) { return ReadDiagnostic(SQL_HANDLE_STMT, handle).text; }

  Rows Query(const std::string& sql, SQLHSTMT handle = SQL_NULL_HSTMT) {
    if (handle == SQL_NULL_HSTMT) handle = statement;
    Rows rows;
    SQLRETURN result = SQLExecDirect(handle, (SQLCHAR*)sql.c_str(), SQL_NTS);
    EXPECT_TRUE(SQL_SUCCEEDED(result)) << sql << ": " << StatementText(handle);
    if (!SQL_SUCCEEDED(result)) return rows;
    SQLSMALLINT columns = 0;
    SQLNumResultCols(handle, &columns);
    while ((result = SQLFetch(handle)) == SQL_SUCCESS || result == SQL_SUCCESS_WITH_INFO) {
      std::vector<std::string> row;
      for (SQLUSMALLINT column = 1; column <= columns; ++column) {
        char value[512] = {0};
        SQLLEN indicator = 0;
        SQLGetData(handle, column, SQL_C_CHAR, value, sizeof value, &indicator);
        row.push_back(indicator == SQL_NULL_DATA ? "NULL" : value);
      }
      rows.push_back(row);
    }
    EXPECT_EQ(result, SQL_NO_DATA) << sql << ": " << StatementText(handle);
    SQLCloseCursor(handle);
    return rows;
  }
  void ClearLog() { emulator.Admin("log/clear", "{}"); }
  std::vector<std::string> Actions() { return LoggedRequests(emulator, "", "action"); }
  std::vector<std::string> TemporaryFiles() {
    std::vector<std::string> names;
    if (DIR* dir = opendir(spill.path.c_str())) {
      while (dirent* entry = readdir(dir))
        if (entry->d_name[0] != '.') names.push_back(entry->d_name);
      closedir(dir);
    }
    return names;
  }
};

constexpr const char* kOrders = "\"Sales: Orders\"";
constexpr const char* kCustomers = "\"Sales: Customers\"";
constexpr const char* kLines = "\"Sales: Order Lines\"";

// The demo's 20 orders name customers 1 to 7 but one names none; customer 8
// has no order; order 13 has one line of the 30.
TEST_F(QueryTest, JoinsInnerLeftOuterAndOfThreeTables) {
  const std::string inner = std::string("SELECT o.\"Order No\", c.Name FROM ") + kOrders + " o, " + kCustomers +
                            " c WHERE o.\"Related Customer\" = c.\"Record ID_\"";
  EXPECT_EQ(Query(inner).size(), 19u);

  const std::string outer = std::string("SELECT c.\"Record ID_\", o.\"Order No\" FROM ") + kCustomers +
                            " c LEFT OUTER JOIN " + kOrders + " o ON o.\"Related Customer\" = c.\"Record ID_\"";
  const Rows all = Query(outer);
  EXPECT_EQ(all.size(), 20u);
  int partnerless = 0;
  for (const auto& row : all) partnerless += row[1] == "NULL" ? 1 : 0;
  EXPECT_EQ(partnerless, 1);
  const Rows lonely = Query(outer + " WHERE c.\"Record ID_\" = 8");
  ASSERT_EQ(lonely.size(), 1u);
  EXPECT_EQ(lonely[0][1], "NULL");
  const Rows partnered = Query(outer + " WHERE c.\"Record ID_\" = 2");
  EXPECT_EQ(partnered.size(), 3u);
  for (const auto& row : partnered) EXPECT_NE(row[1], "NULL");

  const std::string three = std::string("SELECT o.\"Order No\", c.Name, l.Product FROM ") + kOrders + " o, " +
                            kCustomers + " c, " + kLines +
                            " l WHERE o.\"Related Customer\" = c.\"Record ID_\" AND l.\"Related Order\" = "
                            "o.\"Record ID_\"";
  EXPECT_EQ(Query(three).size(), 29u);
}

// An attachment is tested for a value without being compared byte for byte:
// two of the eight customers have a logo.
TEST_F(QueryTest, AttachmentsAreTestedForAValue) {
  EXPECT_EQ(Query(std::string("SELECT Name FROM ") + kCustomers + " WHERE Logo IS NOT NULL").size(), 2u);
  EXPECT_EQ(Query(std::string("SELECT Name FROM ") + kCustomers + " WHERE Logo IS NULL").size(), 6u);
}

// The same joins read as streaming forward-only rows and from a static
// cursor's result file give the same rows; once the statements are freed no
// temporary file is left.
TEST_F(QueryTest, StreamingAndResultFileRowsAgree) {
  const std::string joins[] = {
      std::string("SELECT c.\"Record ID_\", o.\"Order No\" FROM ") + kCustomers + " c LEFT OUTER JOIN " + kOrders +
          " o ON o.\"Related Customer\" = c.\"Record ID_\"",
      std::string("SELECT o.\"Order No\", l.Product FROM ") + kOrders + " o, " + kLines +
          " l WHERE l.\"Related Order\" = o.\"Record ID_\" AND o.Amount > 700",
  };
  SQLHSTMT scrollable = NewStatement();
  SQLSetStmtAttr(scrollable, SQL_ATTR_CURSOR_TYPE, reinterpret_cast<SQLPOINTER>(SQL_CURSOR_STATIC), 0);
  for (const std::string& sql : joins) {
    SCOPED_TRACE(sql);
    const Rows streamed = Query(sql);
    EXPECT_FALSE(streamed.empty());
    EXPECT_EQ(Query(sql, scrollable), streamed);
  }
  SQLFreeHandle(SQL_HANDLE_STMT, scrollable);
  SQLFreeHandle(SQL_HANDLE_STMT, statement);
  statement = SQL_NULL_HSTMT;
  EXPECT_TRUE(TemporaryFiles().empty());
}

// Once the schemas are cached, a SELECT the service can filter costs one
// API_DoQuery per page of 1,000 rows; one parameter array of 10,000 rows is
// one import; 250 deletions are three purges.
TEST_F(QueryTest, RequestsOfLargeReadsInsertsAndDeletes) {
  constexpr int kRows = 10000;
  std::vector<SQLINTEGER> quantities(kRows);
  for (int i = 0; i < kRows; ++i) quantities[i] = 1000 + i;
  SQLSetStmtAttr(statement, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(kRows), 0);
  const std::string insert = std::string("INSERT INTO ") + kLines + " (Product, Quantity) VALUES ('bulk', ?)";
  ASSERT_EQ(SQLPrepare(statement, (SQLCHAR*)insert.c_str(), SQL_NTS), SQL_SUCCESS);
  SQLBindParameter(statement, 1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, quantities.data(), 0, nullptr);
  ClearLog();
  ASSERT_EQ(SQLExecute(statement), SQL_SUCCESS) << StatementText(statement);
  EXPECT_EQ(Actions(), std::vector<std::string>{"API_ImportFromCSV"});
  SQLFreeStmt(statement, SQL_RESET_PARAMS);
  SQLSetStmtAttr(statement, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(1), 0);

  const std::string read = std::string("SELECT Product, Quantity FROM ") + kLines + " WHERE Quantity >= 1000";
  Query(read);  // the schema is cached by now in any case
  ClearLog();
  EXPECT_EQ(Query(read).size(), static_cast<std::size_t>(kRows));
  EXPECT_EQ(Actions(), std::vector<std::string>(kRows / 1000 + 1, "API_DoQuery"));

  ClearLog();
  const std::string remove = std::string("DELETE FROM ") + kLines + " WHERE Quantity >= 1000 AND Quantity < 1250";
  ASSERT_EQ(SQLExecDirect(statement, (SQLCHAR*)remove.c_str(), SQL_NTS), SQL_SUCCESS) << StatementText(statement);
  SQLLEN deleted = 0;
  SQLRowCount(statement, &deleted);
  EXPECT_EQ(deleted, 250);
  std::vector<std::string> actions = Actions();
  ASSERT_FALSE(actions.empty());
  EXPECT_EQ(actions.front(), "API_DoQuery");
  EXPECT_EQ(std::count(actions.begin(), actions.end(), "API_PurgeRecords"), 3);
  EXPECT_EQ(std::count(actions.begin(), actions.end(), "API_DoQuery") + 3, static_cast<long>(actions.size()));
}

// A statement that fails at binding asks only what finding its tables
// takes (the granted list, their schemas), and nothing once that is cached.
TEST_F(QueryTest, ABindingFailureSendsOnlySchemaRequests) {
  ClearLog();
  const std::string missing = std::string("SELECT Missing FROM ") + kOrders;
  EXPECT_EQ(SQLExecDirect(statement, (SQLCHAR*)missing.c_str(), SQL_NTS), SQL_ERROR);
  for (const std::string& action : Actions())
    EXPECT_TRUE(action == "API_GetSchema" || action == "API_GrantedDBs") << action;
  ClearLog();
  EXPECT_EQ(SQLExecDirect(statement, (SQLCHAR*)missing.c_str(), SQL_NTS), SQL_ERROR);
  EXPECT_TRUE(Actions().empty());
}

}  // namespace

namespace {

// A page reply without its records is a broken reply, never the end of the
// data: the 1,000 rows already read must not pass for the whole result.
TEST_F(QueryTest, APageWithoutItsRecordsIsAFailureNotTheEnd) {
  const std::string dbid = "bfhfj2jkz";  // Order Lines
  emulator.Generate(dbid, 1500, 1);
  Query(std::string("SELECT Product FROM ") + kLines);  // the schema is cached by now
  emulator.Admin("faults", R"([{"action": "API_DoQuery", "delay": 0.01}, {"action": "API_DoQuery", "omit": "records"}])");
  ASSERT_EQ(SQLExecDirect(statement, (SQLCHAR*)(std::string("SELECT Product FROM ") + kLines).c_str(), SQL_NTS),
            SQL_SUCCESS)
      << StatementText(statement);
  SQLRETURN result = SQL_SUCCESS;
  int rows = 0;
  while ((result = SQLFetch(statement)) == SQL_SUCCESS) ++rows;
  EXPECT_EQ(rows, 1000);
  EXPECT_EQ(result, SQL_ERROR);
  EXPECT_EQ(ReadDiagnostic(SQL_HANDLE_STMT, statement).state, "08S01");
}

}  // namespace
