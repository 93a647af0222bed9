// The settings pseudo-table through the Driver Manager: its flush command
// sends a table's pending rows within the INSERT that asks for it and fails
// that INSERT as a commit fails, and UPDATE changes a setting as INSERT does.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "demo_data_source.h"

namespace {

constexpr const char* kLinesDbid = "bfhfj2jkz";
constexpr const char* kFlush =
    "INSERT INTO \"TARVOX CONNECTION CONFIG\" (qPARAMETER, qVALUE) VALUES "
    "('FLUSH_THIS_DBID_CACHE_TO_QUICKBASE', 'Sales: Order Lines')";

struct SettingsTableTest : DemoConnectionTest {
  SQLRETURN Direct(SQLHSTMT on, const std::string& sql) {
    SQLFreeStmt(on, SQL_CLOSE);
    return SQLExecDirect(on, (SQLCHAR*)sql.c_str(), SQL_NTS);
  }
  std::size_t Imports() const { return LoggedRequests(emulator, "API_ImportFromCSV").size(); }
  std::size_t Stored(const std::string& product) const {
    return ServiceRecords(emulator, kLinesDbid, "7", "{7.EX.'" + product + "'}").size();
  }
};

// The flush runs within its INSERT, direct or prepared with parameters; its
// failure is that INSERT's, with the account a commit gives, and no other
// statement hears of it.
TEST_F(SettingsTableTest, TheFlushCommandTellsItsFailure) {
  struct {
    const char* label;
    bool prepared;
    const char* fault;  // for the imports into Order Lines
    SQLRETURN result;
    const char* state;
    const char* text;
    std::size_t imports;
    std::vector<std::size_t> stored;  // of the two rows, the second only when its field list differs
  } cases[] = {
      {"direct, sent", false, nullptr, SQL_SUCCESS, "", "", 1, {1}},
      {"prepared, sent", true, nullptr, SQL_SUCCESS, "", "", 1, {1}},
      {"direct, dropped", false, R"({"action": "API_ImportFromCSV", "drop": true})", SQL_ERROR, "08007",
       "'Sales: Order Lines' 1 unknown", 1, {0}},
      {"prepared, closed after applying", true, R"({"action": "API_ImportFromCSV", "drop_after": true})",
       SQL_ERROR, "08007", "'Sales: Order Lines' 1 unknown", 1, {1}},
      {"second import refused", true,
       R"([{"action": "API_ImportFromCSV", "delay": 0.001}, {"action": "API_ImportFromCSV", "errcode": 77}])",
       SQL_ERROR, "HY000", "Writes partly done: 'Sales: Order Lines' 1 written, 1 not written", 2, {1, 0}},
  };
  SQLSetConnectAttr(owned->connection, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0);
  SQLHSTMT other = SQL_NULL_HSTMT;
  ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, owned->connection, &other), SQL_SUCCESS);
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    // Prepared before the other statement's writes and reads.
    char key[64] = "FLUSH_THIS_DBID_CACHE_TO_QUICKBASE", table[32] = "Sales: Order Lines";
    SQLLEN nts = SQL_NTS;
    if (c.prepared) {
      SQLBindParameter(statement, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 254, 0, key, sizeof key, &nts);
      SQLBindParameter(statement, 2, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 254, 0, table, sizeof table, &nts);
      const char* sql = "INSERT INTO \"TARVOX CONNECTION CONFIG\" (qPARAMETER, qVALUE) VALUES (?, ?)";
      ASSERT_EQ(SQLPrepare(statement, (SQLCHAR*)sql, SQL_NTS), SQL_SUCCESS);
    }
    std::vector<std::string> products;
    for (std::size_t k = 0; k < c.stored.size(); ++k) {
      products.push_back("flush-" + std::to_string(++n));
      const std::string quantity = k == 0 ? "" : ", Quantity";
      ASSERT_EQ(Direct(other, "INSERT INTO \"Sales: Order Lines\" (Product" + quantity + ") VALUES ('" +
                                  products.back() + "'" + (k == 0 ? "" : ", 2") + ")"),
                SQL_SUCCESS);
    }
    // A read open while the flush runs, closed after it.
    ASSERT_EQ(Direct(other, "SELECT COUNT(*) FROM \"Sales: Orders\""), SQL_SUCCESS);
    ClearLog();
    if (c.fault != nullptr) emulator.Admin("faults", c.fault);
    const SQLRETURN result = c.prepared ? SQLExecute(statement) : Direct(statement, kFlush);
    const Diagnostic diagnostic = ReadDiagnostic(SQL_HANDLE_STMT, statement);
    EXPECT_EQ(result, c.result) << diagnostic.text;
    EXPECT_EQ(diagnostic.state, c.state);
    EXPECT_NE(diagnostic.text.find(c.text), std::string::npos) << diagnostic.text;
    EXPECT_EQ(Imports(), c.imports);
    EXPECT_EQ(SQLFreeStmt(other, SQL_CLOSE), SQL_SUCCESS) << ReadDiagnostic(SQL_HANDLE_STMT, other).text;
    EXPECT_EQ(Direct(other, "SELECT COUNT(*) FROM \"Sales: Customers\""), SQL_SUCCESS);
    SQLFreeStmt(statement, SQL_CLOSE);
    SQLFreeStmt(statement, SQL_RESET_PARAMS);
    EXPECT_EQ(SQLEndTran(SQL_HANDLE_DBC, owned->connection, SQL_ROLLBACK), SQL_SUCCESS);
    EXPECT_EQ(Imports(), c.imports);  // nothing more went out
    for (std::size_t k = 0; k < products.size(); ++k) EXPECT_EQ(Stored(products[k]), c.stored[k]) << products[k];
  }
  SQLFreeHandle(SQL_HANDLE_STMT, other);
}

// UPDATE sets the value of the rows it selects, as INSERT does; a setting
// the statement doesn't select stays as it was.
TEST_F(SettingsTableTest, UpdateChangesSettings) {
  const std::string read = "SELECT qVALUE FROM \"TARVOX CONNECTION CONFIG\" WHERE qPARAMETER = ";
  ASSERT_EQ(Direct(statement, "INSERT INTO \"TARVOX CONNECTION CONFIG\" (qPARAMETER, qVALUE) VALUES ('X1', 'a')"),
            SQL_SUCCESS);
  struct {
    const char* sql;
    SQLLEN rows;  // -1: every row
    const char* uid;
    const char* x1;
  } cases[] = {
      {"UPDATE \"TARVOX CONNECTION CONFIG\" SET qVALUE = 'x' WHERE qPARAMETER = 'UID'", 1, "x", "a"},
      {"UPDATE \"TARVOX CONNECTION CONFIG\" SET qVALUE = qVALUE", -1, "x", "a"},
      {"UPDATE \"TARVOX CONNECTION CONFIG\" SET qVALUE = 'b' WHERE qVALUE = 'a'", 1, "x", "b"},
  };
  SQLLEN settings = 0;
  ASSERT_EQ(Direct(statement, "SELECT COUNT(*) FROM \"TARVOX CONNECTION CONFIG\""), SQL_SUCCESS);
  settings = std::stol(FetchRowsAsText(statement)[0][0]);
  for (const auto& c : cases) {
    ASSERT_EQ(Direct(statement, c.sql), SQL_SUCCESS) << c.sql << ReadDiagnostic(SQL_HANDLE_STMT, statement).text;
    SQLLEN rows = 0;
    SQLRowCount(statement, &rows);
    EXPECT_EQ(rows, c.rows < 0 ? settings : c.rows) << c.sql;
    ASSERT_EQ(Direct(statement, read + "'UID'"), SQL_SUCCESS);
    EXPECT_EQ(FetchRowsAsText(statement), (std::vector<std::vector<std::string>>{{c.uid}})) << c.sql;
    ASSERT_EQ(Direct(statement, read + "'X1'"), SQL_SUCCESS);
    EXPECT_EQ(FetchRowsAsText(statement), (std::vector<std::vector<std::string>>{{c.x1}})) << c.sql;
  }
}

}  // namespace
