// Batches of statements and parameter arrays through the Driver Manager:
// what ran, judged by what the emulator's tables hold, and what the
// application is told about it.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "odbc_test_support.h"

namespace {

constexpr const char* kOrdersDbid = "bjf9xufbz";
constexpr const char* kLinesDbid = "bfhfj2jkz";

std::string InsertLine(const std::string& product) {
  return "INSERT INTO \"Sales: Order Lines\" (Product) VALUES ('" + product + "')";
}
std::string InsertOrder(const std::string& number) {
  return "INSERT INTO \"Sales: Orders\" (\"Order No\") VALUES ('" + number + "')";
}
std::string CreateAndInsert(const std::string& table, const std::string& values) {
  return "CREATE TABLE \"Sales: " + table + "\" (Code VARCHAR(10)); INSERT INTO \"Sales: " + table + "\" (Code) " +
         values;
}

struct BatchesTest : ::testing::Test {
  TempFolder folder;
  Emulator emulator{folder};
  std::unique_ptr<OdbcHandles> handles;
  SQLHSTMT statement = SQL_NULL_HSTMT;

  void SetUp() override {
    ASSERT_NE(emulator.port, 0);
    WriteOdbcFiles(folder, {"QUICKBASESERVER=" + emulator.HttpUrl(), "UID=alice", "PWD=wonderland"});
    handles = std::make_unique<OdbcHandles>();
    ASSERT_TRUE(SQL_SUCCEEDED(handles->Connect("demo"))) << handles->ConnectionDiagnostic().text;
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, handles->connection, &statement), SQL_SUCCESS);
  }
  void TearDown() override { SQLFreeHandle(SQL_HANDLE_STMT, statement); }

  // How many records of the table hold the value: Order Lines' Product,
  // Orders' Order No, or the Code of the table the last import went to.
  std::size_t Stored(const char* dbid, const std::string& value) {
    std::string table = dbid != nullptr ? dbid : "";
    if (table.empty()) {
      const std::vector<std::string> imports = LoggedRequests(emulator, "API_ImportFromCSV", "dbid");
      if (imports.empty()) return 0;
      table = imports.back();
    }
    const std::string fid = table == kLinesDbid ? "7" : "6";
    return ServiceRecords(emulator, table, fid, "{" + fid + ".EX.'" + value + "'}").size();
  }
};

// Each batch runs whole inside one call, prepared as direct; a statement
// that does not parse runs none of them, and a failure at run time stops
// the batch and says what ran before it.
TEST_F(BatchesTest, ABatchRunsWholeOrSaysWhatRan) {
  struct Judged {
    const char* dbid;  // nullptr: the table the batch created
    const char* value;
    std::size_t copies;
  };
  struct {
    const char* label;
    bool prepared;
    std::string sql;
    const char* fault;  // for the import into Order Lines
    SQLRETURN result;
    const char* state;
    std::vector<const char*> named;  // in the diagnostic's text
    std::vector<Judged> judged;
  } cases[] = {
      {"direct", false, InsertLine("d1") + "; " + InsertLine("d2"), nullptr, SQL_SUCCESS, "", {},
       {{kLinesDbid, "d1", 1}, {kLinesDbid, "d2", 1}}},
      // Run twice: the second run starts again from the first statement.
      {"prepared", true, InsertLine("p1") + ";" + InsertLine("p2"), nullptr, SQL_SUCCESS, "", {},
       {{kLinesDbid, "p1", 2}, {kLinesDbid, "p2", 2}}},
      {"direct, second does not parse", false,
       InsertLine("d3") + ";\n  INSERT INTO x VALUEZ ('d4', 'a list of values longer than a diagnostic names')",
       nullptr, SQL_ERROR, "42000",
       {"(batch statement 2, INSERT INTO x VALUEZ ('d4', 'a list of values longer than a..., does not parse; "
        "no statement ran)"},
       {{kLinesDbid, "d3", 0}}},
      {"prepared, second does not parse", true, InsertLine("p3") + "; INSERT INTO x VALUEZ ('p4')", nullptr,
       SQL_ERROR, "42000", {"batch statement 2, INSERT INTO x VALUEZ", "no statement ran"}, {{kLinesDbid, "p3", 0}}},
      {"direct, create then insert", false, CreateAndInsert("Direct", "VALUES ('c1')"), nullptr, SQL_SUCCESS, "", {},
       {{nullptr, "c1", 1}}},
      {"prepared, create then insert", true, CreateAndInsert("Prepared", "VALUES ('c2')"), nullptr, SQL_SUCCESS, "",
       {}, {{nullptr, "c2", 1}}},
      {"direct, create then an insert that does not parse", false, CreateAndInsert("Never", "VALUEZ ('c3')"), nullptr,
       SQL_ERROR, "42000", {"batch statement 2, INSERT INTO \"Sales: Never\" (Code) VALUEZ ('c3'), does not parse"}, {}},
      {"prepared, create then an insert that does not parse", true, CreateAndInsert("Never", "VALUEZ ('c4')"),
       nullptr, SQL_ERROR, "42000", {"batch statement 2"}, {}},
      {"direct, second refused", false, InsertOrder("r1") + "; " + InsertLine("r2"), R"("errcode": 77)", SQL_ERROR,
       "HY000", {"Refused for the test", "(batch statement 2, INSERT INTO \"Sales: Order Lines\" (Product) VALUES "
                 "('r2'), failed; statement 1 ran, rows: 1)"},
       {{kOrdersDbid, "r1", 1}, {kLinesDbid, "r2", 0}}},
      {"prepared, second's outcome unknown", true, InsertOrder("r3") + "; " + InsertLine("r4"),
       R"("drop_after": true)", SQL_ERROR, "08007", {"'Sales: Order Lines'", "statement 1 ran, rows: 1"},
       {{kOrdersDbid, "r3", 1}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    emulator.Admin("log/clear", "{}");
    if (c.fault != nullptr)
      emulator.Admin("faults", std::string(R"({"action": "API_ImportFromCSV", "dbid": ")") + kLinesDbid +
                                   R"(", "errdetail": "Refused for the test", )" + c.fault + "}");
    const SQLCHAR* sql = reinterpret_cast<const SQLCHAR*>(c.sql.c_str());
    SQLRETURN result = c.prepared ? SQLPrepare(statement, const_cast<SQLCHAR*>(sql), SQL_NTS)
                                  : SQLExecDirect(statement, const_cast<SQLCHAR*>(sql), SQL_NTS);
    if (c.prepared && result == SQL_SUCCESS) result = SQLExecute(statement);
    const Diagnostic diagnostic = ReadDiagnostic(SQL_HANDLE_STMT, statement);
    EXPECT_EQ(result, c.result) << diagnostic.text;
    EXPECT_EQ(diagnostic.state, c.state);
    for (const char* named : c.named) EXPECT_NE(diagnostic.text.find(named), std::string::npos) << diagnostic.text;
    if (c.result == SQL_SUCCESS) {
      SQLLEN rows = 0;
      EXPECT_EQ(SQLRowCount(statement, &rows), SQL_SUCCESS);
      EXPECT_EQ(rows, 1);
      EXPECT_EQ(SQLMoreResults(statement), SQL_NO_DATA);
    }
    if (c.prepared && c.result == SQL_SUCCESS) {
      EXPECT_EQ(SQLExecute(statement), c.sql.find("CREATE") == std::string::npos ? SQL_SUCCESS : SQL_ERROR);
    }
    if (c.state == std::string("42000")) {
      EXPECT_TRUE(LoggedRequests(emulator, "API_ImportFromCSV").empty());
      EXPECT_TRUE(LoggedRequests(emulator, "API_CreateTable").empty());
    }
    for (const Judged& s : c.judged) EXPECT_EQ(Stored(s.dbid, s.value), s.copies) << s.value;
    SQLFreeStmt(statement, SQL_CLOSE);
  }
}

// The last statement's result is the call's: an INSERT then a SELECT
// returns the SELECT's rows, the INSERT's row among them. A SELECT before
// another statement leaves no cursor behind when that statement is refused.
TEST_F(BatchesTest, TheLastStatementsResultIsTheCalls) {
  const std::string batch = InsertLine("s1") + "; SELECT Product FROM \"Sales: Order Lines\" WHERE Product = 's1'";
  ASSERT_EQ(SQLExecDirect(statement, (SQLCHAR*)batch.c_str(), SQL_NTS), SQL_SUCCESS)
      << ReadDiagnostic(SQL_HANDLE_STMT, statement).text;
  char product[16] = {0};
  SQLLEN length = 0;
  ASSERT_EQ(SQLBindCol(statement, 1, SQL_C_CHAR, product, sizeof product, &length), SQL_SUCCESS);
  ASSERT_EQ(SQLFetch(statement), SQL_SUCCESS);
  EXPECT_STREQ(product, "s1");
  EXPECT_EQ(SQLFetch(statement), SQL_NO_DATA);
  EXPECT_EQ(SQLMoreResults(statement), SQL_NO_DATA);
  SQLFreeStmt(statement, SQL_UNBIND);

  const std::string selectFirst = "SELECT Product FROM \"Sales: Order Lines\"; " + InsertLine("s2");
  EXPECT_EQ(SQLExecDirect(statement, (SQLCHAR*)selectFirst.c_str(), SQL_NTS), SQL_ERROR);
  const Diagnostic refused = ReadDiagnostic(SQL_HANDLE_STMT, statement);
  EXPECT_EQ(refused.state, "24000");
  EXPECT_NE(refused.text.find("batch statement 2"), std::string::npos) << refused.text;
  EXPECT_EQ(Stored(kLinesDbid, "s2"), 0u);
  EXPECT_EQ(SQLExecDirect(statement, (SQLCHAR*)batch.c_str(), SQL_NTS), SQL_SUCCESS)
      << ReadDiagnostic(SQL_HANDLE_STMT, statement).text;
}

// Markers are counted over the whole batch; a batch with markers in two
// statements, which would each read parameter 1, is refused and sends nothing.
TEST_F(BatchesTest, MarkersOfABatch) {
  const std::string secondOnly = InsertLine("m1") + "; INSERT INTO \"Sales: Order Lines\" (Product) VALUES (?)";
  ASSERT_EQ(SQLPrepare(statement, (SQLCHAR*)secondOnly.c_str(), SQL_NTS), SQL_SUCCESS);
  SQLSMALLINT markers = 0;
  EXPECT_EQ(SQLNumParams(statement, &markers), SQL_SUCCESS);
  EXPECT_EQ(markers, 1);
  char value[8] = "m2";
  SQLLEN length = SQL_NTS;
  SQLBindParameter(statement, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 20, 0, value, sizeof value, &length);
  ASSERT_EQ(SQLExecute(statement), SQL_SUCCESS) << ReadDiagnostic(SQL_HANDLE_STMT, statement).text;
  EXPECT_EQ(Stored(kLinesDbid, "m2"), 1u);

  emulator.Admin("log/clear", "{}");
  const std::string both = "INSERT INTO \"Sales: Order Lines\" (Product) VALUES (?); " + InsertLine("m3") +
                           "; INSERT INTO \"Sales: Order Lines\" (Product) VALUES (?)";
  EXPECT_EQ(SQLExecDirect(statement, (SQLCHAR*)both.c_str(), SQL_NTS), SQL_ERROR);
  const Diagnostic refused = ReadDiagnostic(SQL_HANDLE_STMT, statement);
  EXPECT_EQ(refused.state, "HYC00");
  EXPECT_NE(refused.text.find("statements 1 and 3"), std::string::npos) << refused.text;
  EXPECT_EQ(emulator.Log().find("API_"), std::string::npos);
}

// A 5,000-row array whose row 2,501 can't be stored: every status entry
// says what became of its row, the processed count stops at the failing
// row, and the diagnostic names it. When the commit of the rows before it
// fails too, that failure takes the one diagnostic.
TEST_F(BatchesTest, AParameterArrayFailingHalfWay) {
  constexpr int kRows = 5000;
  constexpr int kFailing = 2500;
  std::vector<char> products(kRows * 8);
  for (int i = 0; i < kRows; ++i) std::snprintf(&products[i * 8], 8, "a-%04d", i);
  products[kFailing * 8 + 2] = '\x01';
  struct {
    const char* label;
    const char* fault;
    const char* state;
    SQLLEN rowNumber;
    SQLUSMALLINT before;  // the status of the rows before the failing one
    SQLUSMALLINT failing;
    std::size_t stored;
  } cases[] = {
      {"the rows before it commit", nullptr, "22018", kFailing + 1, SQL_PARAM_SUCCESS, SQL_PARAM_ERROR, kFailing},
      {"their commit is refused", R"("errcode": 77)", "HY000", SQL_ROW_NUMBER_UNKNOWN, SQL_PARAM_ERROR,
       SQL_PARAM_DIAG_UNAVAILABLE, 0},
  };
  std::vector<SQLLEN> lengths(kRows, SQL_NTS);
  std::vector<SQLUSMALLINT> statuses(kRows);
  SQLULEN processed = 0;
  SQLSetStmtAttr(statement, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(kRows), 0);
  SQLSetStmtAttr(statement, SQL_ATTR_PARAM_STATUS_PTR, statuses.data(), 0);
  SQLSetStmtAttr(statement, SQL_ATTR_PARAMS_PROCESSED_PTR, &processed, 0);
  SQLBindParameter(statement, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 20, 0, products.data(), 8, lengths.data());
  const std::string sql = "INSERT INTO \"Sales: Order Lines\" (Product) VALUES (?)";
  ASSERT_EQ(SQLPrepare(statement, (SQLCHAR*)sql.c_str(), SQL_NTS), SQL_SUCCESS);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    if (c.fault != nullptr)
      emulator.Admin("faults", std::string(R"({"action": "API_ImportFromCSV", )") + c.fault + "}");
    std::fill(statuses.begin(), statuses.end(), 99);
    processed = 0;
    EXPECT_EQ(SQLExecute(statement), SQL_ERROR);
    const Diagnostic diagnostic = ReadDiagnostic(SQL_HANDLE_STMT, statement);
    EXPECT_EQ(diagnostic.state, c.state) << diagnostic.text;
    SQLLEN rowNumber = 0;
    EXPECT_EQ(SQLGetDiagField(SQL_HANDLE_STMT, statement, 1, SQL_DIAG_ROW_NUMBER, &rowNumber, 0, nullptr),
              SQL_SUCCESS);
    EXPECT_EQ(rowNumber, c.rowNumber);
    EXPECT_EQ(processed, static_cast<SQLULEN>(kFailing + 1));
    EXPECT_EQ(std::count(statuses.begin(), statuses.begin() + kFailing, c.before), kFailing);
    EXPECT_EQ(statuses[kFailing], c.failing);
    EXPECT_EQ(std::count(statuses.begin() + kFailing + 1, statuses.end(), SQL_PARAM_UNUSED), kRows - kFailing - 1);
    EXPECT_EQ(ServiceRecords(emulator, kLinesDbid, "7", "{7.SW.'a-'}").size(), c.stored);
    emulator.Admin("reset", R"({"path": ")" + DemoFixture() + R"("})");
  }
}

}  // namespace
