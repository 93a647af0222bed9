// What a statement reads, through the Driver Manager: every execution sees
// what others committed before it ran, with autocommit on and off, while
// the rows one execution reads serve that execution again (a join's inner
// table asked once more, positioning over a sorted or scrolled result), so
// no shape costs more requests than that reuse allows.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "demo_data_source.h"

namespace {

SQLPOINTER Integer(SQLULEN value) { return reinterpret_cast<SQLPOINTER>(static_cast<uintptr_t>(value)); }

// The rows of an executed statement, each its columns' texts joined by '|'.
std::vector<std::string> FetchRows(SQLHSTMT statement) {
  std::vector<std::string> rows;
  SQLSMALLINT columns = 0;
  SQLNumResultCols(statement, &columns);
  while (SQL_SUCCEEDED(SQLFetch(statement))) {
    std::string row;
    for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(columns); ++c) {
      char value[128] = {0};
      SQLLEN indicator = 0;
      SQLGetData(statement, c, SQL_C_CHAR, value, sizeof value, &indicator);
      row += (c > 1 ? "|" : "") + std::string(indicator == SQL_NULL_DATA ? "NULL" : value);
    }
    rows.push_back(row);
  }
  SQLCloseCursor(statement);
  return rows;
}

std::string Joined(std::vector<std::string> rows, bool sorted) {
  if (sorted) std::sort(rows.begin(), rows.end());
  std::string text;
  for (const std::string& row : rows) text += (text.empty() ? "" : ",") + row;
  return text;
}

using FreshReadsTest = DemoDataSourceTest;

void Execute(SQLHDBC connection, const std::string& sql) {
  SQLHSTMT statement = SQL_NULL_HSTMT;
  SQLAllocHandle(SQL_HANDLE_STMT, connection, &statement);
  EXPECT_TRUE(SQL_SUCCEEDED(SQLExecDirect(statement, (SQLCHAR*)sql.c_str(), SQL_NTS)))
      << sql << ": " << ReadDiagnostic(SQL_HANDLE_STMT, statement).text;
  SQLFreeHandle(SQL_HANDLE_STMT, statement);
}

// A reader keeps one prepared statement per query shape and runs each again
// after every write that another connection commits, with a forward-only
// and with a static cursor (which keeps the rows it reads, for scrolling).
TEST_F(FreshReadsTest, EachExecutionSeesWhatOthersCommitted) {
  const struct {
    const char* sql;
    bool sorted;  // no ORDER BY: compared as a set
  } shapes[] = {
      {"SELECT COUNT(*) FROM \"Sales: Order Lines\" WHERE Product = ?", false},
      {"SELECT Quantity FROM \"Sales: Order Lines\" WHERE Product = ?", true},
      {"SELECT Quantity FROM \"Sales: Order Lines\" WHERE Product = ? ORDER BY Quantity DESC", false},
      {"SELECT Product, SUM(Quantity) FROM \"Sales: Order Lines\" WHERE Product = ? GROUP BY Product", false},
      {"SELECT DISTINCT Quantity FROM \"Sales: Order Lines\" WHERE Product = ? AND Quantity > 0", true},
  };
  // The writer's committed change, then what each shape reads after it.
  const struct {
    const char* write;
    std::vector<const char*> reads;
  } steps[] = {
      {"", {"0", "", "", "", ""}},
      {"INSERT INTO \"Sales: Order Lines\" (Product, Quantity) VALUES ('%', 5)", {"1", "5", "5", "%|5", "5"}},
      {"INSERT INTO \"Sales: Order Lines\" (Product, Quantity) VALUES ('%', 3)", {"2", "3,5", "5,3", "%|8", "3,5"}},
      {"UPDATE \"Sales: Order Lines\" SET Quantity = 4 WHERE Product = '%' AND Quantity = 5",
       {"2", "3,4", "4,3", "%|7", "3,4"}},
      {"DELETE FROM \"Sales: Order Lines\" WHERE Product = '%' AND Quantity = 3", {"1", "4", "4", "%|4", "4"}},
  };
  OdbcHandles writer;
  ASSERT_EQ(writer.Connect("demo"), SQL_SUCCESS) << writer.ConnectionDiagnostic().text;
  const std::pair<SQLULEN, SQLULEN> readers[] = {{SQL_AUTOCOMMIT_ON, SQL_CURSOR_FORWARD_ONLY},
                                                 {SQL_AUTOCOMMIT_OFF, SQL_CURSOR_FORWARD_ONLY},
                                                 {SQL_AUTOCOMMIT_ON, SQL_CURSOR_STATIC},
                                                 {SQL_AUTOCOMMIT_OFF, SQL_CURSOR_STATIC}};
  for (const auto& [autocommit, cursorType] : readers) {
    OdbcHandles reader;
    ASSERT_EQ(reader.Connect("demo"), SQL_SUCCESS) << reader.ConnectionDiagnostic().text;
    ASSERT_EQ(SQLSetConnectAttr(reader.connection, SQL_ATTR_AUTOCOMMIT, Integer(autocommit), 0), SQL_SUCCESS);
    // Each shape reads rows of its own, so that its executions follow one another.
    for (std::size_t s = 0; s < std::size(shapes); ++s) {
      const std::string product =
          "Fresh " + std::to_string(autocommit) + "." + std::to_string(cursorType) + "." + std::to_string(s);
      auto named = [&](std::string text) {
        for (std::size_t at = text.find('%'); at != std::string::npos; at = text.find('%', at + product.size()))
          text.replace(at, 1, product);
        return text;
      };
      SQLHSTMT statement = SQL_NULL_HSTMT;
      SQLAllocHandle(SQL_HANDLE_STMT, reader.connection, &statement);
      ASSERT_TRUE(SQL_SUCCEEDED(SQLSetStmtAttr(statement, SQL_ATTR_CURSOR_TYPE, Integer(cursorType), 0)));
      ASSERT_EQ(SQLPrepare(statement, (SQLCHAR*)shapes[s].sql, SQL_NTS), SQL_SUCCESS) << shapes[s].sql;
      SQLLEN length = SQL_NTS;
      SQLBindParameter(statement, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 40, 0,
                       const_cast<char*>(product.c_str()), 0, &length);
      for (const auto& step : steps) {
        SCOPED_TRACE(std::string(shapes[s].sql) + ", after \"" + named(step.write) + "\"");
        if (*step.write != '\0') Execute(writer.connection, named(step.write));
        ASSERT_TRUE(SQL_SUCCEEDED(SQLExecute(statement))) << ReadDiagnostic(SQL_HANDLE_STMT, statement).text;
        EXPECT_EQ(Joined(FetchRows(statement), shapes[s].sorted), named(step.reads[s]));
      }
      SQLFreeHandle(SQL_HANDLE_STMT, statement);
    }
    EXPECT_EQ(SQLEndTran(SQL_HANDLE_DBC, reader.connection, SQL_COMMIT), SQL_SUCCESS);
  }
}

// The requests of one execution of each shape, the schemas already known.
// A join's inner table asked again with the same key, and positioning on
// the rows an execution read, are served from that execution's rows.
TEST_F(FreshReadsTest, OneExecutionReusesItsOwnRows) {
  const std::string join =
      "SELECT o.\"Order No\", c.Name, l.Product, l.Quantity FROM \"Sales: Orders\" o, \"Sales: Customers\" c, "
      "\"Sales: Order Lines\" l WHERE o.\"Related Customer\" = c.\"Record ID_\" AND "
      "l.\"Related Order\" = o.\"Record ID_\"";
  const struct {
    const char* label;
    std::string sql;
    SQLULEN cursorType;
    std::size_t rows;
    std::size_t queries;
  } shapes[] = {
      {"the demo's three-table join", join + " AND o.\"Record ID_\" <= 4", SQL_CURSOR_FORWARD_ONLY, 7, 9},
      {"ORDER BY over a join", join + " ORDER BY l.Quantity, c.Name", SQL_CURSOR_FORWARD_ONLY, 29, 94},
      {"a static cursor over a join", join + " AND o.\"Record ID_\" <= 6", SQL_CURSOR_STATIC, 11, 49},
  };
  OdbcHandles handles;
  ASSERT_EQ(handles.Connect("demo"), SQL_SUCCESS) << handles.ConnectionDiagnostic().text;
  for (const auto& shape : shapes) {
    SCOPED_TRACE(shape.label);
    SQLHSTMT statement = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, handles.connection, &statement);
    ASSERT_TRUE(SQL_SUCCEEDED(SQLSetStmtAttr(statement, SQL_ATTR_CURSOR_TYPE, Integer(shape.cursorType), 0)));
    ASSERT_EQ(SQLPrepare(statement, (SQLCHAR*)shape.sql.c_str(), SQL_NTS), SQL_SUCCESS);  // the schemas
    ClearLog();
    ASSERT_TRUE(SQL_SUCCEEDED(SQLExecute(statement))) << ReadDiagnostic(SQL_HANDLE_STMT, statement).text;
    std::vector<std::string> rows;
    if (shape.cursorType == SQL_CURSOR_STATIC) {
      // Back and forth over the keyset: every row is positioned on twice.
      for (const SQLSMALLINT orientation : {SQL_FETCH_LAST, SQL_FETCH_FIRST})
        EXPECT_EQ(SQLFetchScroll(statement, orientation, 0), SQL_SUCCESS);
      for (SQLRETURN r = SQL_SUCCESS; r == SQL_SUCCESS; r = SQLFetchScroll(statement, SQL_FETCH_NEXT, 0))
        rows.push_back("row");
      for (SQLRETURN r = SQLFetchScroll(statement, SQL_FETCH_PRIOR, 0); r == SQL_SUCCESS;
           r = SQLFetchScroll(statement, SQL_FETCH_PRIOR, 0)) {
      }
      SQLCloseCursor(statement);
    } else {
      rows = FetchRows(statement);
    }
    EXPECT_EQ(rows.size(), shape.rows);
    EXPECT_EQ(QueryBodies().size(), shape.queries);
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
  }
}

// A query run twice asks the service twice; a prepared statement whose
// uncorrelated sub-select takes a parameter reads it again at each run.
TEST_F(FreshReadsTest, EveryExecutionAsksTheServiceAgain) {
  OdbcHandles handles;
  ASSERT_EQ(handles.Connect("demo"), SQL_SUCCESS) << handles.ConnectionDiagnostic().text;
  SQLHSTMT statement = SQL_NULL_HSTMT;
  SQLAllocHandle(SQL_HANDLE_STMT, handles.connection, &statement);
  const char* count = "SELECT COUNT(*) FROM \"Sales: Order Lines\" WHERE Quantity > 2";
  ASSERT_EQ(SQLExecDirect(statement, (SQLCHAR*)count, SQL_NTS), SQL_SUCCESS);
  FetchRows(statement);
  ClearLog();
  for (int run = 0; run < 2; ++run) {
    ASSERT_EQ(SQLExecDirect(statement, (SQLCHAR*)count, SQL_NTS), SQL_SUCCESS);
    EXPECT_EQ(Joined(FetchRows(statement), false), "18");
  }
  EXPECT_EQ(QueryBodies().size(), 2u);

  // Line 1 has Quantity 2, line 2 Quantity 3.
  const char* bounded = "SELECT \"Record ID_\" FROM \"Sales: Order Lines\" WHERE \"Record ID_\" <= "
                        "(SELECT Quantity FROM \"Sales: Order Lines\" WHERE \"Record ID_\" = ?)";
  ASSERT_EQ(SQLPrepare(statement, (SQLCHAR*)bounded, SQL_NTS), SQL_SUCCESS);
  SQLINTEGER line = 0;
  SQLBindParameter(statement, 1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, &line, 0, nullptr);
  for (const auto& run : {std::pair<SQLINTEGER, const char*>{1, "1,2"}, {2, "1,2,3"}}) {
    line = run.first;
    ASSERT_EQ(SQLExecute(statement), SQL_SUCCESS) << ReadDiagnostic(SQL_HANDLE_STMT, statement).text;
    EXPECT_EQ(Joined(FetchRows(statement), true), run.second) << "line " << line;
  }
  SQLFreeHandle(SQL_HANDLE_STMT, statement);
}

}  // namespace
