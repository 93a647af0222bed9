// Sorted, grouped and DISTINCT results, the batched key lookup and keysets
// through the Driver Manager: every aggregate over groups with NULLs, NULL
// apart from '' and 0 and lowest in every order, case variants as one value,
// aggregates over no rows, a sum too large for its field, and no temporary
// file left behind.
#include <gtest/gtest.h>

#include <dirent.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "odbc_test_support.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;

// Values: Grp is '' once; Num holds 0 and NULLs; Txt holds case variants and
// ''; Ref names tags 1 to 3, a tag that doesn't exist, or none. Tag 1's
// label is '', tags 2 and 3 are case variants. Big holds twelve BIGINTs as
// text, whose sum needs 21 digits.
constexpr const char* kFixture = R"({"apps": [{"name": "Stats", "users": ["alice"], "tables": [
 {"name": "Values", "dbid": "bstatsvxq", "fields": [
   {"fid": 6, "label": "Grp", "type": "text", "properties": {"maxlength": 10}},
   {"fid": 7, "label": "Num", "type": "float"},
   {"fid": 8, "label": "Txt", "type": "text", "properties": {"maxlength": 10}},
   {"fid": 9, "label": "Day", "type": "date"},
   {"fid": 10, "label": "Ref", "type": "float"}],
  "records": [
   {"6": "a", "7": 1, "8": "Apple", "9": "2024-01-02", "10": 1},
   {"6": "a", "7": 2, "8": "apple", "9": "2024-03-04", "10": 2},
   {"6": "a", "8": "APPLE", "10": 3},
   {"6": "b", "8": "", "10": 1},
   {"6": "b", "8": "pear", "10": 9},
   {"6": "", "7": 0, "8": "pear"}]},
 {"name": "Tags", "dbid": "bstatstag", "fields": [
   {"fid": 6, "label": "Id", "type": "float"},
   {"fid": 7, "label": "Label", "type": "text", "properties": {"maxlength": 10}}],
  "records": [{"6": 1, "7": ""}, {"6": 2, "7": "x"}, {"6": 3, "7": "X"}]},
 {"name": "Empty", "dbid": "bstatsemp", "fields": [
   {"fid": 6, "label": "Num", "type": "float"},
   {"fid": 7, "label": "Txt", "type": "text", "properties": {"maxlength": 10}}]},
 {"name": "Big", "dbid": "bstatsbig", "fields": [{"fid": 6, "label": "Digits", "type": "text"}],
  "records": [{"6": "-9000000000000000000"}, {"6": "-9000000000000000000"}, {"6": "-9000000000000000000"},
              {"6": "-9000000000000000000"}, {"6": "-9000000000000000000"}, {"6": "-9000000000000000000"},
              {"6": "-9000000000000000000"}, {"6": "-9000000000000000000"}, {"6": "-9000000000000000000"},
              {"6": "-9000000000000000000"}, {"6": "-9000000000000000000"}, {"6": "-9000000000000000000"}]},
 {"name": "Many", "dbid": "bstatsmny", "fields": [{"fid": 6, "label": "Word", "type": "text"}]}]}]})";

struct ResultPassesTest : ::testing::Test {
  TempFolder folder;
  TempFolder spill;  // the driver's temporary files go here
  Emulator emulator{folder};
  std::unique_ptr<OdbcHandles> handles;
  SQLHSTMT statement = SQL_NULL_HSTMT;

  void SetUp() override {
    ASSERT_NE(emulator.port, 0);
    const std::string path = folder.path + "/stats.json";
    std::ofstream(path) << kFixture;
    RunCommand("curl -s -X POST -H 'Content-Type: application/json' --data-binary @" + path + " " +
               emulator.HttpUrl() + "/_emulator/fixture");
    setenv("TMPDIR", spill.path.c_str(), 1);
    WriteOdbcFiles(folder, {"QUICKBASESERVER=" + emulator.HttpUrl(), "UID=alice", "PWD=wonderland"});
    handles = std::make_unique<OdbcHandles>();
    ASSERT_TRUE(SQL_SUCCEEDED(handles->Connect("demo"))) << handles->ConnectionDiagnostic().text;
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, handles->connection, &statement), SQL_SUCCESS);
  }
  void TearDown() override {
    if (statement != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, statement);
    unsetenv("TMPDIR");
  }
  std::string Diagnostic() { return ReadDiagnostic(SQL_HANDLE_STMT, statement).text; }
  // A prepared statement takes no new cursor type.
  void NewStatement() {
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, handles->connection, &statement), SQL_SUCCESS);
  }

  // Every row as text, NULL as "NULL"; the cursor is closed afterwards. The
  // statement is prepared and run twice, as applications run it again, and
  // must give the same rows both times.
  Rows Query(const std::string& sql) {
    Rows first;
    EXPECT_EQ(SQLPrepare(statement, (SQLCHAR*)sql.c_str(), SQL_NTS), SQL_SUCCESS) << sql << ": " << Diagnostic();
    for (int run = 0; run < 2; ++run) {
      Rows rows;
      SQLRETURN result = SQLExecute(statement);
      EXPECT_EQ(result, SQL_SUCCESS) << sql << " (run " << run << "): " << Diagnostic();
      if (!SQL_SUCCEEDED(result)) return first;
      SQLSMALLINT columns = 0;
      SQLNumResultCols(statement, &columns);
      while ((result = SQLFetch(statement)) == SQL_SUCCESS) rows.push_back(RowText(columns));
      EXPECT_EQ(result, SQL_NO_DATA) << sql << ": " << Diagnostic();
      SQLCloseCursor(statement);
      if (run == 0) first = rows;
      else EXPECT_EQ(rows, first) << sql << " run again";
    }
    return first;
  }
  std::vector<std::string> RowText(SQLSMALLINT columns) {
    std::vector<std::string> row;
    for (SQLUSMALLINT column = 1; column <= columns; ++column) {
      char value[64] = {0};
      SQLLEN indicator = 0;
      SQLGetData(statement, column, SQL_C_CHAR, value, sizeof value, &indicator);
      row.push_back(indicator == SQL_NULL_DATA ? "NULL" : value);
    }
    return row;
  }
  // The driver's temporary files: those it holds open in the spill folder
  // (they have no name there) and any name left in it.
  std::size_t TemporaryFiles() {
    auto count = static_cast<std::size_t>(OpenFilesIn(getpid(), spill.path));
    if (DIR* dir = opendir(spill.path.c_str())) {
      while (dirent* entry = readdir(dir)) count += entry->d_name[0] != '.' ? 1 : 0;
      closedir(dir);
    }
    return count;
  }
};

struct QueryCase {
  const char* what;
  const char* sql;
  Rows rows;
};

void ExpectRows(ResultPassesTest& test, const std::vector<QueryCase>& cases) {
  for (const QueryCase& c : cases) EXPECT_EQ(test.Query(c.sql), c.rows) << c.what << ": " << c.sql;
}

TEST_F(ResultPassesTest, AggregatesOverGroupsWithNullsAndHaving) {
  ExpectRows(*this, {
    {"every aggregate; group b's numbers are all NULL",
     "SELECT Grp, COUNT(*), COUNT(Num), SUM(Num), AVG(Num), MIN(Num), MAX(Num), MIN(Txt), MAX(Txt), MAX(Day) "
     "FROM \"Stats: Values\" GROUP BY Grp",
     {{"", "1", "1", "0", "0", "0", "0", "pear", "pear", "NULL"},
      {"a", "3", "2", "3", "1.5", "1", "2", "APPLE", "apple", "2024-03-04"},
      {"b", "2", "0", "NULL", "NULL", "NULL", "NULL", "", "pear", "NULL"}}},
    {"a HAVING that is NULL drops the group",
     "SELECT Grp FROM \"Stats: Values\" GROUP BY Grp HAVING SUM(Num) >= 0", {{""}, {"a"}}},
    {"ORDER BY an aggregate sorts the groups after aggregation",
     "SELECT Grp, COUNT(*) FROM \"Stats: Values\" GROUP BY Grp ORDER BY COUNT(*) DESC",
     {{"a", "3"}, {"b", "2"}, {"", "1"}}},
    {"ORDER BY an expression of aggregates; its NULL comes first",
     "SELECT Grp FROM \"Stats: Values\" GROUP BY Grp ORDER BY (SUM(Num) + 1)", {{"b"}, {""}, {"a"}}},
    {"NULL and 0 are groups of their own, NULL first",
     "SELECT Num, COUNT(*) FROM \"Stats: Values\" GROUP BY Num", {{"NULL", "3"}, {"0", "1"}, {"1", "1"}, {"2", "1"}}},
    {"case variants are one group, shown as the first seen",
     "SELECT Txt, COUNT(*) FROM \"Stats: Values\" GROUP BY Txt", {{"", "1"}, {"Apple", "3"}, {"pear", "2"}}},
  });
}

TEST_F(ResultPassesTest, NullsAndCaseVariantsInOrderAndDistinct) {
  const std::string joined = "FROM \"Stats: Values\" v LEFT OUTER JOIN \"Stats: Tags\" t ON t.Id = v.Ref";
  ExpectRows(*this, {
    {"NULL sorts first ascending", "SELECT Num FROM \"Stats: Values\" ORDER BY Num",
     {{"NULL"}, {"NULL"}, {"NULL"}, {"0"}, {"1"}, {"2"}}},
    {"and last descending", "SELECT Num FROM \"Stats: Values\" ORDER BY Num DESC",
     {{"2"}, {"1"}, {"0"}, {"NULL"}, {"NULL"}, {"NULL"}}},
    {"NULL is one DISTINCT value apart from 0", "SELECT DISTINCT Num FROM \"Stats: Values\"",
     {{"NULL"}, {"0"}, {"1"}, {"2"}}},
    {"case variants are one DISTINCT value, the first seen",
     "SELECT DISTINCT Txt FROM \"Stats: Values\"", {{""}, {"Apple"}, {"pear"}}},
    {"DISTINCT in ORDER BY order", "SELECT DISTINCT Txt FROM \"Stats: Values\" ORDER BY Txt DESC",
     {{"pear"}, {"Apple"}, {""}}},
    {"the first row of each value in ORDER BY order, ties in table order",
     "SELECT DISTINCT Grp FROM \"Stats: Values\" ORDER BY Num DESC", {{"a"}, {""}, {"b"}}},
    {"a missing partner's NULL text apart from ''", ("SELECT t.Label, COUNT(*) " + joined + " GROUP BY t.Label").c_str(),
     {{"NULL", "2"}, {"", "2"}, {"x", "2"}}},
    {"the same for DISTINCT", ("SELECT DISTINCT t.Label " + joined).c_str(), {{"NULL"}, {""}, {"x"}}},
    {"DISTINCT over literals only", "SELECT DISTINCT 'k', 1 FROM \"Stats: Values\"", {{"k", "1"}}},
    {"DISTINCT over no rows", "SELECT DISTINCT Txt FROM \"Stats: Empty\"", {}},
  });
}

TEST_F(ResultPassesTest, AggregatesOverNoRowsAndSumsBeyondTheirField) {
  ExpectRows(*this, {
    {"an empty table", "SELECT COUNT(*), SUM(Num), MIN(Txt) FROM \"Stats: Empty\"", {{"0", "NULL", "NULL"}}},
    {"an empty join", "SELECT COUNT(*), COUNT(v.Num) FROM \"Stats: Values\" v, \"Stats: Empty\" e", {{"0", "0"}}},
    {"a WHERE no row meets", "SELECT COUNT(*) FROM \"Stats: Values\" WHERE Num > 100", {{"0"}}},
    {"groups of no rows", "SELECT Grp, COUNT(*) FROM \"Stats: Values\" WHERE Num > 100 GROUP BY Grp", {}},
    {"an exact sum of 20 digits",
     "SELECT SUM({fn CONVERT(Digits, SQL_BIGINT)}) FROM \"Stats: Big\" WHERE \"Record ID_\" <= 2",
     {{"-18000000000000000000"}}},
  });
  // A static cursor needs a result file even when no row came out.
  NewStatement();
  ASSERT_EQ(SQLSetStmtAttr(statement, SQL_ATTR_CURSOR_TYPE, (SQLPOINTER)SQL_CURSOR_STATIC, 0), SQL_SUCCESS);
  ExpectRows(*this, {
    {"groups of no rows, static", "SELECT Grp, COUNT(*) FROM \"Stats: Values\" WHERE Num > 100 GROUP BY Grp", {}},
    {"ordered no rows, static", "SELECT Grp FROM \"Stats: Values\" WHERE Num > 100 ORDER BY Grp", {}},
    {"an empty table, static", "SELECT COUNT(*) FROM \"Stats: Empty\"", {{"0"}}},
  });
  const char* tooLong = "SELECT SUM({fn CONVERT(Digits, SQL_BIGINT)}) FROM \"Stats: Big\"";
  EXPECT_EQ(SQLExecDirect(statement, (SQLCHAR*)tooLong, SQL_NTS), SQL_ERROR);
  EXPECT_EQ(ReadDiagnostic(SQL_HANDLE_STMT, statement).state, "22003");
  EXPECT_EQ(TemporaryFiles(), 0u);
}

// Ten alternatives of one key test, as tools send them; ids 256 and 512,
// alike in their low byte, are each asked for more than once.
TEST_F(ResultPassesTest, BatchedLookupReturnsEachRecordOnceInTheOrderFound) {
  emulator.Generate("bstatsmny", 600, 5);
  std::string sql = "SELECT \"Record ID_\" FROM \"Stats: Many\" WHERE";
  for (int i = 0; i < 10; ++i) sql += std::string(i ? " OR" : "") + " \"Record ID_\" = ?";
  ASSERT_EQ(SQLPrepare(statement, (SQLCHAR*)sql.c_str(), SQL_NTS), SQL_SUCCESS) << Diagnostic();
  SQLINTEGER ids[10] = {256, 512, 256, 512, 3, 256, 9999, 512, 4, 3};
  for (SQLUSMALLINT i = 0; i < 10; ++i)
    SQLBindParameter(statement, i + 1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, &ids[i], 0, nullptr);
  emulator.Admin("log/clear", "{}");
  ASSERT_EQ(SQLExecute(statement), SQL_SUCCESS) << Diagnostic();
  // The query of all ten, then one per alternative.
  const std::vector<std::string> queries = LoggedRequests(emulator, "API_DoQuery");
  ASSERT_EQ(queries.size(), 11u);
  for (int i = 0; i < 10; ++i)
    EXPECT_NE(queries[i + 1].find("{3.EX.&apos;" + std::to_string(ids[i]) + "&apos;}"), std::string::npos) << queries[i + 1];
  Rows rows;
  while (SQLFetch(statement) == SQL_SUCCESS) rows.push_back(RowText(1));
  EXPECT_EQ(rows, (Rows{{"256"}, {"512"}, {"3"}, {"4"}}));
}

// The keyset of a static cursor over a LEFT OUTER JOIN: customer 8 has no
// order, and its row shows the order's NULLs in every orientation.
TEST_F(ResultPassesTest, KeysetOverAnOuterJoinScrolledEveryWay) {
  const char* sql = "SELECT c.\"Record ID_\", o.\"Record ID_\" FROM \"Sales: Customers\" c LEFT OUTER JOIN "
                    "\"Sales: Orders\" o ON o.\"Related Customer\" = c.\"Record ID_\"";
  const Rows all = Query(sql);
  ASSERT_EQ(all.size(), 20u);
  NewStatement();
  constexpr SQLULEN kRowset = 3;
  ASSERT_EQ(SQLSetStmtAttr(statement, SQL_ATTR_CURSOR_TYPE, (SQLPOINTER)SQL_CURSOR_STATIC, 0), SQL_SUCCESS);
  ASSERT_EQ(SQLSetStmtAttr(statement, SQL_ATTR_ROW_ARRAY_SIZE, (SQLPOINTER)kRowset, 0), SQL_SUCCESS);
  ASSERT_EQ(SQLSetStmtAttr(statement, SQL_ATTR_USE_BOOKMARKS, (SQLPOINTER)SQL_UB_VARIABLE, 0), SQL_SUCCESS);
  SQLINTEGER bookmark = 18;  // a row's number
  ASSERT_EQ(SQLSetStmtAttr(statement, SQL_ATTR_FETCH_BOOKMARK_PTR, &bookmark, 0), SQL_SUCCESS);
  SQLULEN fetched = 0;
  ASSERT_EQ(SQLSetStmtAttr(statement, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0), SQL_SUCCESS);
  ASSERT_EQ(SQLExecDirect(statement, (SQLCHAR*)sql, SQL_NTS), SQL_SUCCESS) << Diagnostic();
  SQLINTEGER customers[kRowset], orders[kRowset];
  SQLLEN orderIndicators[kRowset];
  SQLBindCol(statement, 1, SQL_C_SLONG, customers, 0, nullptr);
  SQLBindCol(statement, 2, SQL_C_SLONG, orders, 0, orderIndicators);
  struct Step {
    SQLSMALLINT orientation;
    SQLLEN offset;
    SQLRETURN result;
    std::size_t first;  // the rowset's first row, 0-based
    std::size_t count;
  };
  const Step steps[] = {
      {SQL_FETCH_NEXT, 0, SQL_SUCCESS, 0, 3},      {SQL_FETCH_NEXT, 0, SQL_SUCCESS, 3, 3},
      {SQL_FETCH_PRIOR, 0, SQL_SUCCESS, 0, 3},     {SQL_FETCH_LAST, 0, SQL_SUCCESS, 17, 3},
      {SQL_FETCH_ABSOLUTE, 19, SQL_SUCCESS, 18, 2}, {SQL_FETCH_RELATIVE, -4, SQL_SUCCESS, 14, 3},
      {SQL_FETCH_ABSOLUTE, -1, SQL_SUCCESS, 19, 1}, {SQL_FETCH_FIRST, 0, SQL_SUCCESS, 0, 3},
      {SQL_FETCH_PRIOR, 0, SQL_NO_DATA, 0, 0},      {SQL_FETCH_ABSOLUTE, 21, SQL_NO_DATA, 0, 0},
      {SQL_FETCH_BOOKMARK, 1, SQL_SUCCESS, 18, 2},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(std::to_string(step.orientation) + " " + std::to_string(step.offset));
    ASSERT_EQ(SQLFetchScroll(statement, step.orientation, step.offset), step.result) << Diagnostic();
    ASSERT_EQ(fetched, step.count);
    for (std::size_t i = 0; i < fetched; ++i) {
      const std::vector<std::string>& expected = all[step.first + i];
      EXPECT_EQ(std::to_string(customers[i]), expected[0]);
      EXPECT_EQ(orderIndicators[i] == SQL_NULL_DATA ? "NULL" : std::to_string(orders[i]), expected[1]);
    }
  }
  int partnerless = 0;
  for (const auto& row : all) partnerless += row[1] == "NULL" ? 1 : 0;
  EXPECT_EQ(partnerless, 1);
}

// One result file while a result is open, none once it is closed, also
// after a pass failed.
TEST_F(ResultPassesTest, NoTemporaryFileLeftBehind) {
  const char* queries[] = {
      "SELECT Txt FROM \"Stats: Values\" ORDER BY Txt",
      "SELECT Grp, COUNT(*) FROM \"Stats: Values\" GROUP BY Grp ORDER BY COUNT(*)",
      "SELECT DISTINCT Grp FROM \"Stats: Values\" ORDER BY Num",
      "SELECT SUM({fn CONVERT(Digits, SQL_BIGINT)}) FROM \"Stats: Big\"",
  };
  for (const char* sql : queries) {
    SCOPED_TRACE(sql);
    const SQLRETURN result = SQLExecDirect(statement, (SQLCHAR*)sql, SQL_NTS);
    EXPECT_EQ(TemporaryFiles(), SQL_SUCCEEDED(result) ? 1u : 0u);
    SQLFreeStmt(statement, SQL_CLOSE);
    EXPECT_EQ(TemporaryFiles(), 0u);
  }
  ASSERT_EQ(SQLSetStmtAttr(statement, SQL_ATTR_CURSOR_TYPE, (SQLPOINTER)SQL_CURSOR_STATIC, 0), SQL_SUCCESS);
  ASSERT_EQ(SQLExecDirect(statement, (SQLCHAR*)"SELECT Txt FROM \"Stats: Values\"", SQL_NTS), SQL_SUCCESS);
  EXPECT_EQ(TemporaryFiles(), 1u);
  SQLFreeHandle(SQL_HANDLE_STMT, statement);
  statement = SQL_NULL_HSTMT;
  EXPECT_EQ(TemporaryFiles(), 0u);
}

}  // namespace
