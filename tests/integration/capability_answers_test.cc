// What SQLGetInfo advertises, tried through the Driver Manager: each bit of
// the cursor attributes, the SQL-92 join operators and predicates and the
// batch and parameter-array answers is set exactly when what it stands for
// works.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "demo_data_source.h"

namespace {

SQLPOINTER Integer(SQLULEN value) { return reinterpret_cast<SQLPOINTER>(static_cast<uintptr_t>(value)); }

constexpr const char* kFirstLines = "SELECT Product FROM \"Sales: Order Lines\" WHERE \"Record ID_\" <= 6";

// A cursor of one type over the first six order lines, bookmarks on,
// concurrency LOCK, rowsets of two bound column-wise; its first rowset
// fetched.
struct ProbeCursor {
  SQLHDBC connection;
  SQLHSTMT statement = SQL_NULL_HSTMT;
  SQLULEN cursorType = SQL_CURSOR_FORWARD_ONLY;
  SQLINTEGER bookmarks[2] = {};
  SQLLEN bookmarkLengths[2] = {};
  char products[2][32] = {};
  SQLLEN productLengths[2] = {};
  SQLUSMALLINT statuses[2] = {};

  bool Open(SQLULEN type) {
    cursorType = type;
    SQLAllocHandle(SQL_HANDLE_STMT, connection, &statement);
    SQLSetStmtAttr(statement, SQL_ATTR_CURSOR_TYPE, Integer(cursorType), 0);
    SQLSetStmtAttr(statement, SQL_ATTR_USE_BOOKMARKS, Integer(SQL_UB_VARIABLE), 0);
    SQLSetStmtAttr(statement, SQL_ATTR_CONCURRENCY, Integer(SQL_CONCUR_LOCK), 0);
    SQLSetStmtAttr(statement, SQL_ATTR_ROW_ARRAY_SIZE, Integer(2), 0);
    SQLSetStmtAttr(statement, SQL_ATTR_ROW_STATUS_PTR, statuses, 0);
    return Execute(kFirstLines) && SQL_SUCCEEDED(SQLFetchScroll(statement, SQL_FETCH_NEXT, 0));
  }
  bool Execute(const char* sql) {
    if (!SQL_SUCCEEDED(SQLExecDirect(statement, (SQLCHAR*)sql, SQL_NTS))) return false;
    SQLBindCol(statement, 0, SQL_C_VARBOOKMARK, bookmarks, sizeof bookmarks[0], bookmarkLengths);
    SQLBindCol(statement, 1, SQL_C_CHAR, products, sizeof products[0], productLengths);
    return true;
  }
  ~ProbeCursor() {
    if (statement != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, statement);
    SQLEndTran(SQL_HANDLE_DBC, connection, SQL_ROLLBACK);
  }
  void Write(const char* product) {
    for (int row = 0; row < 2; ++row) {
      std::strcpy(products[row], product);
      productLengths[row] = SQL_NTS;
    }
  }
  bool SetPos(SQLUSMALLINT operation, SQLUSMALLINT lock = SQL_LOCK_NO_CHANGE) {
    return SQL_SUCCEEDED(SQLSetPos(statement, 1, operation, lock));
  }
  bool Bulk(SQLUSMALLINT operation) { return SQL_SUCCEEDED(SQLBulkOperations(statement, operation)); }
  bool Scroll(SQLSMALLINT orientation, SQLLEN offset = 0) {
    return SQL_SUCCEEDED(SQLFetchScroll(statement, orientation, offset));
  }
  // Leaves the first row and comes back to it: by scrolling where the
  // cursor scrolls, else by refreshing it.
  bool Return() {
    std::strcpy(products[0], "");
    if (cursorType == SQL_CURSOR_FORWARD_ONLY) return SetPos(SQL_REFRESH);
    return Scroll(SQL_FETCH_ABSOLUTE, 3) && Scroll(SQL_FETCH_ABSOLUTE, 1);
  }
  bool PositionedStatement(const std::string& head) {
    SQLCHAR name[32] = {};
    SQLSMALLINT length = 0;
    SQLGetCursorName(statement, name, sizeof name, &length);
    SQLHSTMT other = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, connection, &other);
    const std::string sql = head + " WHERE CURRENT OF " + reinterpret_cast<char*>(name);
    const bool ran = SQL_SUCCEEDED(SQLExecDirect(other, (SQLCHAR*)sql.c_str(), SQL_NTS));
    SQLFreeHandle(SQL_HANDLE_STMT, other);
    return ran;
  }
  // The value is taken as it was asked, without 01S02.
  bool Concurrency(SQLULEN value) {
    SQLCloseCursor(statement);
    SQLULEN kept = 0;
    return SQLSetStmtAttr(statement, SQL_ATTR_CONCURRENCY, Integer(value), 0) == SQL_SUCCESS &&
           SQL_SUCCEEDED(SQLGetStmtAttr(statement, SQL_ATTR_CONCURRENCY, &kept, 0, nullptr)) && kept == value;
  }
  // The rows SQL_ATTR_MAX_ROWS 1 lets a new execution fetch.
  int RowsUnderMaxRowsOfOne() {
    SQLCloseCursor(statement);
    SQLSetStmtAttr(statement, SQL_ATTR_MAX_ROWS, Integer(1), 0);
    SQLULEN fetched = 0;
    SQLSetStmtAttr(statement, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0);
    if (!Execute(kFirstLines) || !Scroll(SQL_FETCH_NEXT)) return 0;
    return static_cast<int>(fetched);
  }
};

using Probe = std::function<bool(ProbeCursor&)>;

struct BitProbe {
  const char* name;
  SQLUINTEGER bit;
  Probe works;
};

const std::vector<BitProbe>& CursorAttributes1() {
  static const std::vector<BitProbe> probes = {
      {"NEXT", SQL_CA1_NEXT, [](ProbeCursor& c) { return c.Scroll(SQL_FETCH_NEXT); }},
      {"ABSOLUTE", SQL_CA1_ABSOLUTE, [](ProbeCursor& c) { return c.Scroll(SQL_FETCH_ABSOLUTE, 3); }},
      {"RELATIVE", SQL_CA1_RELATIVE, [](ProbeCursor& c) { return c.Scroll(SQL_FETCH_RELATIVE, 1); }},
      {"BOOKMARK", SQL_CA1_BOOKMARK,
       [](ProbeCursor& c) {
         SQLSetStmtAttr(c.statement, SQL_ATTR_FETCH_BOOKMARK_PTR, &c.bookmarks[1], 0);
         return c.Scroll(SQL_FETCH_BOOKMARK);
       }},
      {"LOCK_NO_CHANGE", SQL_CA1_LOCK_NO_CHANGE, [](ProbeCursor& c) { return c.SetPos(SQL_POSITION); }},
      {"LOCK_EXCLUSIVE", SQL_CA1_LOCK_EXCLUSIVE,
       [](ProbeCursor& c) { return c.SetPos(SQL_POSITION, SQL_LOCK_EXCLUSIVE); }},
      {"LOCK_UNLOCK", SQL_CA1_LOCK_UNLOCK, [](ProbeCursor& c) { return c.SetPos(SQL_POSITION, SQL_LOCK_UNLOCK); }},
      {"POS_POSITION", SQL_CA1_POS_POSITION, [](ProbeCursor& c) { return c.SetPos(SQL_POSITION); }},
      {"POS_UPDATE", SQL_CA1_POS_UPDATE,
       [](ProbeCursor& c) {
         c.Write("Probe");
         return c.SetPos(SQL_UPDATE);
       }},
      {"POS_DELETE", SQL_CA1_POS_DELETE, [](ProbeCursor& c) { return c.SetPos(SQL_DELETE); }},
      {"POS_REFRESH", SQL_CA1_POS_REFRESH, [](ProbeCursor& c) { return c.SetPos(SQL_REFRESH); }},
      {"POSITIONED_UPDATE", SQL_CA1_POSITIONED_UPDATE,
       [](ProbeCursor& c) { return c.PositionedStatement("UPDATE \"Sales: Order Lines\" SET Quantity = 1"); }},
      {"POSITIONED_DELETE", SQL_CA1_POSITIONED_DELETE,
       [](ProbeCursor& c) { return c.PositionedStatement("DELETE FROM \"Sales: Order Lines\""); }},
      {"SELECT_FOR_UPDATE", SQL_CA1_SELECT_FOR_UPDATE,
       [](ProbeCursor& c) {
         SQLCloseCursor(c.statement);
         return c.Execute("SELECT Product FROM \"Sales: Order Lines\" FOR UPDATE OF Product");
       }},
      {"BULK_ADD", SQL_CA1_BULK_ADD,
       [](ProbeCursor& c) {
         c.Write("Probe");
         return c.Bulk(SQL_ADD);
       }},
      {"BULK_UPDATE_BY_BOOKMARK", SQL_CA1_BULK_UPDATE_BY_BOOKMARK,
       [](ProbeCursor& c) {
         c.Write("Probe");
         return c.Bulk(SQL_UPDATE_BY_BOOKMARK);
       }},
      {"BULK_DELETE_BY_BOOKMARK", SQL_CA1_BULK_DELETE_BY_BOOKMARK,
       [](ProbeCursor& c) { return c.Bulk(SQL_DELETE_BY_BOOKMARK); }},
      {"BULK_FETCH_BY_BOOKMARK", SQL_CA1_BULK_FETCH_BY_BOOKMARK,
       [](ProbeCursor& c) { return c.Bulk(SQL_FETCH_BY_BOOKMARK); }},
  };
  return probes;
}

// Sensitivity is to the cursor's own changes: what it shows when it comes
// back to a row it changed, or looks for a row it added.
const std::vector<BitProbe>& CursorAttributes2() {
  static const std::vector<BitProbe> probes = {
      {"READ_ONLY_CONCURRENCY", SQL_CA2_READ_ONLY_CONCURRENCY,
       [](ProbeCursor& c) { return c.Concurrency(SQL_CONCUR_READ_ONLY); }},
      {"LOCK_CONCURRENCY", SQL_CA2_LOCK_CONCURRENCY, [](ProbeCursor& c) { return c.Concurrency(SQL_CONCUR_LOCK); }},
      {"OPT_ROWVER_CONCURRENCY", SQL_CA2_OPT_ROWVER_CONCURRENCY,
       [](ProbeCursor& c) { return c.Concurrency(SQL_CONCUR_ROWVER); }},
      {"OPT_VALUES_CONCURRENCY", SQL_CA2_OPT_VALUES_CONCURRENCY,
       [](ProbeCursor& c) { return c.Concurrency(SQL_CONCUR_VALUES); }},
      {"SENSITIVITY_ADDITIONS", SQL_CA2_SENSITIVITY_ADDITIONS,
       [](ProbeCursor& c) {
         c.Write("Added");
         if (!c.Bulk(SQL_ADD)) return false;
         for (bool more = c.Scroll(SQL_FETCH_FIRST) || c.Scroll(SQL_FETCH_NEXT); more; more = c.Scroll(SQL_FETCH_NEXT))
           for (int row = 0; row < 2; ++row)
             if (c.statuses[row] != SQL_ROW_NOROW && std::strcmp(c.products[row], "Added") == 0) return true;
         return false;
       }},
      {"SENSITIVITY_DELETIONS", SQL_CA2_SENSITIVITY_DELETIONS,
       [](ProbeCursor& c) {
         return c.SetPos(SQL_DELETE) && c.Return() && c.statuses[0] != SQL_ROW_DELETED;
       }},
      {"SENSITIVITY_UPDATES", SQL_CA2_SENSITIVITY_UPDATES,
       [](ProbeCursor& c) {
         c.Write("Updated");
         return c.SetPos(SQL_UPDATE) && c.Return() && std::strcmp(c.products[0], "Updated") == 0;
       }},
      {"MAX_ROWS_SELECT", SQL_CA2_MAX_ROWS_SELECT, [](ProbeCursor& c) { return c.RowsUnderMaxRowsOfOne() == 1; }},
  };
  return probes;
}

struct CapabilityAnswersTest : DemoConnectionTest {
  SQLUINTEGER Answer(SQLUSMALLINT infoType) {
    SQLUINTEGER value = 0;
    EXPECT_EQ(SQLGetInfo(owned->connection, infoType, &value, sizeof value, nullptr), SQL_SUCCESS) << infoType;
    return value;
  }
  bool Runs(const std::string& sql) {
    SQLHSTMT s = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, owned->connection, &s);
    const bool ran = SQL_SUCCEEDED(SQLExecDirect(s, (SQLCHAR*)sql.c_str(), SQL_NTS));
    SQLFreeHandle(SQL_HANDLE_STMT, s);
    return ran;
  }
};

TEST_F(CapabilityAnswersTest, CursorAttributesAreWhatEachCursorDoes) {
  ASSERT_EQ(SQLSetConnectAttr(owned->connection, SQL_ATTR_AUTOCOMMIT, Integer(SQL_AUTOCOMMIT_OFF), 0), SQL_SUCCESS);
  const struct {
    const char* cursor;
    SQLULEN type;
    SQLUSMALLINT attributes1;
    SQLUSMALLINT attributes2;
  } cursors[] = {
      {"forward-only", SQL_CURSOR_FORWARD_ONLY, SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES1,
       SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES2},
      {"static", SQL_CURSOR_STATIC, SQL_STATIC_CURSOR_ATTRIBUTES1, SQL_STATIC_CURSOR_ATTRIBUTES2},
      {"keyset", SQL_CURSOR_KEYSET_DRIVEN, SQL_KEYSET_CURSOR_ATTRIBUTES1, SQL_KEYSET_CURSOR_ATTRIBUTES2},
  };
  for (const auto& cursor : cursors) {
    for (const auto& [infoType, probes] : {std::pair{cursor.attributes1, &CursorAttributes1()},
                                           std::pair{cursor.attributes2, &CursorAttributes2()}}) {
      const SQLUINTEGER answer = Answer(infoType);
      if (infoType == SQL_STATIC_CURSOR_ATTRIBUTES2) {
        // The ODBC 2 answer says the same of a static cursor.
        const SQLUINTEGER sensitivity = (answer / SQL_CA2_SENSITIVITY_ADDITIONS) & 7;
        EXPECT_EQ(Answer(SQL_STATIC_SENSITIVITY), sensitivity);
      }
      for (const BitProbe& probe : *probes) {
        SCOPED_TRACE(std::string(cursor.cursor) + " " + probe.name);
        ProbeCursor c{owned->connection};
        ASSERT_TRUE(c.Open(cursor.type)) << ReadDiagnostic(SQL_HANDLE_STMT, c.statement).text;
        EXPECT_EQ(probe.works(c), (answer & probe.bit) != 0) << ReadDiagnostic(SQL_HANDLE_STMT, c.statement).text;
      }
    }
  }
}

TEST_F(CapabilityAnswersTest, Sql92AnswersAreWhatTheParserTakes) {
  const std::string orders = "\"Sales: Orders\" o ";
  const std::string on = " \"Sales: Customers\" c ON o.\"Related Customer\" = c.\"Record ID_\"";
  const std::string lines = "SELECT COUNT(*) FROM \"Sales: Order Lines\" WHERE ";
  const struct {
    SQLUSMALLINT infoType;
    SQLUINTEGER bit;
    std::string sql;
  } cases[] = {
      {SQL_SQL92_RELATIONAL_JOIN_OPERATORS, SQL_SRJO_INNER_JOIN, "SELECT * FROM " + orders + "INNER JOIN" + on},
      {SQL_SQL92_RELATIONAL_JOIN_OPERATORS, SQL_SRJO_LEFT_OUTER_JOIN,
       "SELECT * FROM " + orders + "LEFT OUTER JOIN" + on},
      {SQL_SQL92_RELATIONAL_JOIN_OPERATORS, SQL_SRJO_RIGHT_OUTER_JOIN,
       "SELECT * FROM " + orders + "RIGHT OUTER JOIN" + on},
      {SQL_SQL92_RELATIONAL_JOIN_OPERATORS, SQL_SRJO_FULL_OUTER_JOIN,
       "SELECT * FROM " + orders + "FULL OUTER JOIN" + on},
      {SQL_SQL92_RELATIONAL_JOIN_OPERATORS, SQL_SRJO_CROSS_JOIN,
       "SELECT * FROM " + orders + "CROSS JOIN \"Sales: Customers\" c"},
      {SQL_SQL92_RELATIONAL_JOIN_OPERATORS, SQL_SRJO_NATURAL_JOIN,
       "SELECT * FROM " + orders + "NATURAL JOIN \"Sales: Customers\" c"},
      {SQL_SQL92_PREDICATES, SQL_SP_EXISTS, lines + "EXISTS (SELECT * FROM \"Sales: Orders\")"},
      {SQL_SQL92_PREDICATES, SQL_SP_ISNOTNULL, lines + "Product IS NOT NULL"},
      {SQL_SQL92_PREDICATES, SQL_SP_ISNULL, lines + "Product IS NULL"},
      {SQL_SQL92_PREDICATES, SQL_SP_MATCH_FULL, lines + "Quantity MATCH FULL (SELECT Quantity FROM \"Sales: Orders\")"},
      {SQL_SQL92_PREDICATES, SQL_SP_OVERLAPS, lines + "(Quantity, Quantity) OVERLAPS (Quantity, Quantity)"},
      {SQL_SQL92_PREDICATES, SQL_SP_UNIQUE, lines + "UNIQUE (SELECT Quantity FROM \"Sales: Order Lines\")"},
      {SQL_SQL92_PREDICATES, SQL_SP_LIKE, lines + "Product LIKE 'W%'"},
      {SQL_SQL92_PREDICATES, SQL_SP_IN, lines + "Quantity IN (1, 2)"},
      {SQL_SQL92_PREDICATES, SQL_SP_BETWEEN, lines + "Quantity BETWEEN 1 AND 2"},
      {SQL_SQL92_PREDICATES, SQL_SP_COMPARISON, lines + "Quantity > 1"},
      {SQL_SQL92_PREDICATES, SQL_SP_QUANTIFIED_COMPARISON,
       lines + "Quantity > ALL (SELECT Quantity FROM \"Sales: Order Lines\" WHERE Quantity < 2)"},
  };
  for (const auto& c : cases) EXPECT_EQ(Runs(c.sql), (Answer(c.infoType) & c.bit) != 0) << c.sql;
}

// A batch answers its last statement's count alone (no SQL_BRC_EXPLICIT),
// and a query with markers is refused with a parameter array
// (SQL_PAS_NO_SELECT) before anything is read, every row unused.
TEST_F(CapabilityAnswersTest, BatchCountsAndQueriesWithParameterArrays) {
  EXPECT_EQ(Answer(SQL_BATCH_ROW_COUNT), 0u);
  ASSERT_EQ(SQLExecDirect(statement,
                          (SQLCHAR*)"UPDATE \"Sales: Order Lines\" SET Quantity = 8 WHERE \"Record ID_\" <= 2; "
                                    "UPDATE \"Sales: Order Lines\" SET Quantity = 8 WHERE \"Record ID_\" = 3",
                          SQL_NTS),
            SQL_SUCCESS);
  SQLLEN rows = 0;
  SQLRowCount(statement, &rows);
  EXPECT_EQ(rows, 1);
  EXPECT_EQ(SQLMoreResults(statement), SQL_NO_DATA);

  EXPECT_EQ(Answer(SQL_PARAM_ARRAY_SELECTS), static_cast<SQLUINTEGER>(SQL_PAS_NO_SELECT));
  SQLINTEGER ids[3] = {1, 2, 3};
  SQLUSMALLINT statuses[3] = {9, 9, 9};
  SQLULEN processed = 7;
  SQLSetStmtAttr(statement, SQL_ATTR_PARAMSET_SIZE, Integer(3), 0);
  SQLSetStmtAttr(statement, SQL_ATTR_PARAM_STATUS_PTR, statuses, 0);
  SQLSetStmtAttr(statement, SQL_ATTR_PARAMS_PROCESSED_PTR, &processed, 0);
  SQLBindParameter(statement, 1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, ids, 0, nullptr);
  ClearLog();
  EXPECT_EQ(SQLExecDirect(statement,
                          (SQLCHAR*)"SELECT Product FROM \"Sales: Order Lines\" WHERE \"Record ID_\" = ?", SQL_NTS),
            SQL_ERROR);
  EXPECT_EQ(ReadDiagnostic(SQL_HANDLE_STMT, statement).state, "HYC00");
  EXPECT_TRUE(QueryBodies().empty());
  EXPECT_EQ(processed, 0u);
  for (SQLUSMALLINT status : statuses) EXPECT_EQ(status, SQL_PARAM_UNUSED);
}

}  // namespace
