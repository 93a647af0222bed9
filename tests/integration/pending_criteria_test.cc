// Reads of a table with pending writes, through the Driver Manager: the
// criteria whose answer the pending writes can't change still go to the
// service, so a keyed update array costs one query per row whatever the
// table's size, and every read still shows the connection's own writes.
// The emulator's table and request log are the judges.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "demo_data_source.h"

namespace {

constexpr const char* kRowsDbid = "bupdtabz";
constexpr int kTableRows = 5000;
constexpr int kUpdates = 400;

SQLPOINTER Integer(SQLULEN value) { return reinterpret_cast<SQLPOINTER>(static_cast<uintptr_t>(value)); }

struct PendingCriteriaTest : DemoDataSourceTest {
  std::unique_ptr<OdbcHandles> handles;

  void SetUp() override {
    DemoDataSourceTest::SetUp();
    if (HasFatalFailure()) return;
    handles = std::make_unique<OdbcHandles>();
    ASSERT_EQ(handles->Connect("demo"), SQL_SUCCESS) << handles->ConnectionDiagnostic().text;
  }
};

SQLRETURN ExecuteText(SQLHSTMT statement, const std::string& sql) {
  const SQLRETURN result = SQLExecDirect(statement, (SQLCHAR*)sql.c_str(), SQL_NTS);
  EXPECT_TRUE(SQL_SUCCEEDED(result)) << sql << ": " << ReadDiagnostic(SQL_HANDLE_STMT, statement).text;
  return result;
}

// The first column of every row, sorted and joined by ','.
std::string FirstColumn(SQLHSTMT statement) {
  std::vector<std::string> values;
  while (SQL_SUCCEEDED(SQLFetch(statement))) {
    char value[64] = {0};
    SQLLEN indicator = 0;
    SQLGetData(statement, 1, SQL_C_CHAR, value, sizeof value, &indicator);
    values.push_back(value);
  }
  SQLCloseCursor(statement);
  std::sort(values.begin(), values.end());
  std::string text;
  for (const std::string& value : values) text += (text.empty() ? "" : ",") + value;
  return text;
}

// Each row of the array looks its record up by id while the rows before it
// are pending; the commit writes exactly the array's rows.
TEST_F(PendingCriteriaTest, KeyedUpdateArrayCostsOneQueryPerRow) {
  emulator.Admin("fixture", std::string(R"({"apps": [{"name": "Upd", "users": ["alice"], "tables": [{"name": "Rows",
      "dbid": ")") + kRowsDbid + R"(", "fields": [{"fid": 6, "label": "q", "type": "float"}]}]}]})");
  emulator.Generate(kRowsDbid, kTableRows, 5);
  std::vector<SQLINTEGER> recordIds(kUpdates);
  std::vector<std::string> expected;
  for (int i = 0; i < kUpdates; ++i) {
    recordIds[static_cast<std::size_t>(i)] = 1 + i * (kTableRows / kUpdates);
    expected.push_back(std::to_string(recordIds[static_cast<std::size_t>(i)]));
  }
  std::sort(expected.begin(), expected.end());
  const struct {
    SQLULEN autocommit;
    double q;
  } modes[] = {{SQL_AUTOCOMMIT_OFF, 7.25}, {SQL_AUTOCOMMIT_ON, 8.25}};
  for (const auto& mode : modes) {
    SCOPED_TRACE(mode.autocommit == SQL_AUTOCOMMIT_ON ? "autocommit on" : "autocommit off");
    ASSERT_EQ(SQLSetConnectAttr(handles->connection, SQL_ATTR_AUTOCOMMIT, Integer(mode.autocommit), 0), SQL_SUCCESS);
    SQLHSTMT statement = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, handles->connection, &statement);
    std::vector<SQLDOUBLE> values(kUpdates, mode.q);
    SQLSetStmtAttr(statement, SQL_ATTR_PARAMSET_SIZE, Integer(kUpdates), 0);
    const char* sql = "UPDATE \"Upd: Rows\" SET q = ? WHERE \"Record ID_\" = ?";
    ASSERT_EQ(SQLPrepare(statement, (SQLCHAR*)sql, SQL_NTS), SQL_SUCCESS);
    SQLBindParameter(statement, 1, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 0, 0, values.data(), 0, nullptr);
    SQLBindParameter(statement, 2, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, recordIds.data(), 0, nullptr);
    ClearLog();
    ASSERT_EQ(SQLExecute(statement), SQL_SUCCESS) << ReadDiagnostic(SQL_HANDLE_STMT, statement).text;
    EXPECT_EQ(QueryBodies().size(), static_cast<std::size_t>(kUpdates));
    if (mode.autocommit == SQL_AUTOCOMMIT_OFF) {
      ASSERT_EQ(SQLEndTran(SQL_HANDLE_DBC, handles->connection, SQL_COMMIT), SQL_SUCCESS);
    }
    std::vector<std::string> written =
        ServiceRecords(emulator, kRowsDbid, "3", "{6.EX.'" + std::to_string(mode.q) + "'}");
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, expected);
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
  }
}

// In one transaction, after one write each: the criterion on a field that a
// pending edit sets stays local, any other still goes to the service, and
// the rows read are the connection's own (over the demo's 30 order lines;
// Quantity is field 8, and lines 4, 9, 14, 19, 24 and 29 have 5).
TEST_F(PendingCriteriaTest, ReadsAfterPendingWritesShowTheConnectionsOwnView) {
  const char* lines = "\"Sales: Order Lines\"";
  const struct {
    const char* label;
    std::string write;
    std::string select;
    const char* rows;
    bool criterionSent;  // whether the select's query carries {8.EX.
  } cases[] = {
      {"edited into the criterion", std::string("UPDATE ") + lines + " SET Quantity = 7 WHERE \"Record ID_\" IN (3, 5)",
       std::string("SELECT \"Record ID_\" FROM ") + lines + " WHERE Quantity = 7", "3,5", false},
      {"edited out of the criterion", std::string("UPDATE ") + lines + " SET Quantity = 1 WHERE \"Record ID_\" = 4",
       std::string("SELECT \"Record ID_\" FROM ") + lines + " WHERE Quantity = 5", "14,19,24,29,9", false},
      {"another field edited", std::string("UPDATE ") + lines + " SET Product = 'Renamed' WHERE \"Record ID_\" = 9",
       std::string("SELECT Product FROM ") + lines + " WHERE Quantity = 5",
       "Doohickey,Gizmo,Renamed,Thingamajig,Widget,Ünïcode Thing", true},
      {"a deleted row", std::string("DELETE FROM ") + lines + " WHERE \"Record ID_\" = 9",
       std::string("SELECT \"Record ID_\" FROM ") + lines + " WHERE Quantity = 5", "14,19,24,29,4", true},
      {"an inserted row", std::string("INSERT INTO ") + lines + " (Product, Quantity) VALUES ('New', 5)",
       std::string("SELECT Product FROM ") + lines + " WHERE Quantity = 5",
       "Doohickey,Gadget,Gizmo,New,Thingamajig,Widget,Ünïcode Thing", true},
  };
  ASSERT_EQ(SQLSetConnectAttr(handles->connection, SQL_ATTR_AUTOCOMMIT, Integer(SQL_AUTOCOMMIT_OFF), 0), SQL_SUCCESS);
  SQLHSTMT statement = SQL_NULL_HSTMT;
  SQLAllocHandle(SQL_HANDLE_STMT, handles->connection, &statement);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    ExecuteText(statement, c.write);
    ClearLog();
    ASSERT_TRUE(SQL_SUCCEEDED(ExecuteText(statement, c.select)));
    EXPECT_EQ(FirstColumn(statement), c.rows);
    const std::vector<std::string> bodies = QueryBodies();
    ASSERT_EQ(bodies.size(), 1u);
    EXPECT_EQ(bodies[0].find("{8.EX.") != std::string::npos, c.criterionSent) << bodies[0];
    ASSERT_EQ(SQLEndTran(SQL_HANDLE_DBC, handles->connection, SQL_ROLLBACK), SQL_SUCCESS);
  }
  SQLFreeHandle(SQL_HANDLE_STMT, statement);
}

}  // namespace
