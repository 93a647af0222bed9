// Criteria sent to the service through the Driver Manager: every condition
// keeps the rows it keeps when evaluated wholly in the driver, over every
// field type with empty values and with TEXTNULL off and on; and the
// requests a join costs when its condition also holds an OR or an
// uncorrelated sub-select.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "odbc_test_support.h"

namespace {

// Texts whose blanks, case and letters above 127 the service reads its own
// way (one ends in a tab, escaped as the fixture's JSON writes it); every
// text field of a row holds the same one. Non-text fields are empty on
// every other row.
constexpr const char* kTexts[] = {"ann", "Ann", "ann ", "ann x", "anna",    " ann",    "ANN  X",  "", "   ",
                                  "b",   "ab",  "xb y", "a b",   "Ännchen", "ännchen", "ann\\t", "é"};

std::string ProbeFixture() {
  std::string records;
  for (std::size_t i = 0; i < std::size(kTexts); ++i) {
    const std::string text = std::string("\"") + kTexts[i] + "\"";
    records += std::string(i == 0 ? "" : ",") + "{\"6\": " + text + ", \"7\": " + text + ", \"8\": " + text;
    if (i % 2 == 1)
      records += ", \"9\": \"alice\", \"10\": " + std::to_string(i) +
                 ", \"11\": 0.5, \"12\": true, \"13\": \"2024-01-31\", \"14\": \"1700000000000\", "
                 "\"15\": \"08:30:00.250\", \"16\": \"60000\"";
    records += "}";
  }
  return R"({"users": [{"login": "alice", "password": "wonderland", "email": "alice@example.com",
                        "first_name": "Alice", "last_name": "Ames", "screen_name": "alice"}],
            "apps": [{"name": "Probe", "tables": [{"name": "Values", "fields": [
              {"fid": 6, "label": "Name", "type": "text"}, {"fid": 7, "label": "Mail", "type": "email"},
              {"fid": 8, "label": "Notes", "type": "multitext"}, {"fid": 9, "label": "Owner", "type": "userid"},
              {"fid": 10, "label": "Amount", "type": "float"}, {"fid": 11, "label": "Share", "type": "percent"},
              {"fid": 12, "label": "Done", "type": "checkbox"}, {"fid": 13, "label": "Day", "type": "date"},
              {"fid": 14, "label": "Stamp", "type": "timestamp"}, {"fid": 15, "label": "Clock", "type": "timeofday"},
              {"fid": 16, "label": "Span", "type": "duration"}],
             "records": [)" +
         records + "]}]}]}";
}

std::string WriteFixture(const TempFolder& folder) {
  const std::string path = folder.path + "/probe.json";
  std::ofstream(path) << ProbeFixture();
  return path;
}

using RecordIds = std::vector<std::string>;

struct PushDownTest : ::testing::Test {
  TempFolder folder;

  // The record ids of the rows a SELECT yields, in order of id.
  static RecordIds Rows(SQLHDBC connection, const std::string& sql) {
    SQLHSTMT statement = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, connection, &statement);
    RecordIds ids;
    SQLRETURN result = SQLExecDirect(statement, (SQLCHAR*)sql.c_str(), SQL_NTS);
    EXPECT_TRUE(SQL_SUCCEEDED(result)) << sql << ": " << ReadDiagnostic(SQL_HANDLE_STMT, statement).text;
    while (SQL_SUCCEEDED(result) && SQL_SUCCEEDED(SQLFetch(statement))) {
      char value[64] = {0};
      SQLLEN indicator = 0;
      SQLGetData(statement, 1, SQL_C_CHAR, value, sizeof value, &indicator);
      ids.push_back(value);
    }
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
    std::sort(ids.begin(), ids.end());
    return ids;
  }

  static std::size_t CountContaining(const std::vector<std::string>& bodies, const std::string& part) {
    return static_cast<std::size_t>(std::count_if(bodies.begin(), bodies.end(), [&](const std::string& body) {
      return body.find(part) != std::string::npos;
    }));
  }
};

// Each condition as sent (the service narrows, the driver checks every row
// that comes back) and inside NOT NOT, which the plan keeps wholly local.
TEST_F(PushDownTest, PushedConditionsKeepEveryRowTheSqlKeeps) {
  Emulator emulator(folder, "", WriteFixture(folder));
  ASSERT_NE(emulator.port, 0);
  WriteOdbcFiles(folder, {"QUICKBASESERVER=" + emulator.HttpUrl(), "UID=alice", "PWD=wonderland"});
  const std::vector<std::string> nullTests = {"IS NULL", "IS NOT NULL"};
  const std::vector<std::string> equalities = {"= 'ann'",     "= 'ANN   '", "<> 'ann'",     "<> 'Ann  '",
                                               "= ''",        "<> ''",      "= '   '",      "<> 'ännchen'",
                                               "= 'Ännchen'", "NOT IN ('ann', 'B ')"};
  const std::vector<std::string> patterns = {"LIKE 'ann%'",      "NOT LIKE 'ann%'",  "LIKE 'ann %'",
                                             "NOT LIKE 'ann %'", "NOT LIKE ' ann%'", "LIKE '%b %'",
                                             "NOT LIKE '%b %'",  "NOT LIKE '%a b%'", "NOT LIKE '  %'",
                                             "NOT LIKE '%ÄNN%'", "< 'ann'",          ">= 'ann'"};
  // A time of day reads without the milliseconds the service keeps.
  std::vector<std::string> conditions = {"Amount <> 5", "Day <> {d '2024-01-31'}", "Done <> 1",
                                         "Clock = {t '08:30:00'}", "Clock <= {t '08:30:00'}"};
  auto add = [&](const char* column, const std::vector<std::string>& shapes) {
    for (const std::string& shape : shapes) conditions.push_back(std::string(column) + " " + shape);
  };
  add("Name", patterns);
  for (const char* column : {"Name", "Mail"}) add(column, equalities);
  // Every field type with an empty value but files, whose NULL test the
  // binder refuses (a long binary column takes no comparison).
  for (const char* column : {"Name", "Mail", "Notes", "Owner", "Amount", "Share", "Done", "Day", "Stamp", "Clock",
                             "Span"})
    add(column, nullTests);

  const std::string select = "SELECT \"Record ID#\" FROM \"Probe: Values\" WHERE ";
  for (const char* textNull : {"0", "1"}) {
    SCOPED_TRACE(std::string("TEXTNULL=") + textNull);
    OdbcHandles handles;
    ASSERT_EQ(handles.DriverConnect(std::string("DSN=demo;TEXTNULL=") + textNull), SQL_SUCCESS)
        << handles.ConnectionDiagnostic().text;
    Rows(handles.connection, select + "1 = 1");  // the schema is cached from here on
    emulator.Admin("log/clear", "{}");
    std::vector<RecordIds> pushed;
    for (const std::string& condition : conditions) pushed.push_back(Rows(handles.connection, select + condition));
    // Most conditions narrow the query, so the comparison below is no formality.
    EXPECT_GT(CountContaining(LoggedRequests(emulator, "API_DoQuery"), "<query>"), conditions.size() / 2);
    emulator.Admin("log/clear", "{}");
    for (std::size_t i = 0; i < conditions.size(); ++i)
      EXPECT_EQ(pushed[i], Rows(handles.connection, select + "NOT (NOT (" + conditions[i] + "))")) << conditions[i];
    EXPECT_EQ(CountContaining(LoggedRequests(emulator, "API_DoQuery"), "<query>"), 0u);
  }
}

// Over the demo's 20 orders and 30 lines: a join whose inner condition adds
// an OR to the join key sends the key with each inner query, and an
// uncorrelated sub-select is read once however many rows the join yields.
TEST_F(PushDownTest, JoinsSendTheirKeysAndReadUncorrelatedSubSelectsOnce) {
  Emulator emulator(folder);
  ASSERT_NE(emulator.port, 0);
  WriteOdbcFiles(folder, {"QUICKBASESERVER=" + emulator.HttpUrl(), "UID=alice", "PWD=wonderland"});
  OdbcHandles handles;
  ASSERT_EQ(handles.Connect("demo"), SQL_SUCCESS) << handles.ConnectionDiagnostic().text;
  const std::string join = "SELECT l.\"Record ID#\" FROM \"Sales: Orders\" o, \"Sales: Order Lines\" l "
                           "WHERE l.\"Related Order\" = o.\"Record ID#\" AND ";
  const struct {
    const char* condition;
    std::size_t rows;
    std::size_t requests;
    const char* criterion;  // the part of a request body that many requests hold
    std::size_t holding;
  } cases[] = {
      {"(l.Quantity > 3 OR l.Quantity < 2)", 18, 21, "{6.EX.", 20},
      {"o.\"Related Customer\" IN (SELECT c.\"Record ID#\" FROM \"Sales: Customers\" c WHERE c.Active = 1)", 19,
       22, "{11.EX.", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.condition);
    Rows(handles.connection, join + c.condition);  // the schemas are cached from here on
    emulator.Admin("log/clear", "{}");
    EXPECT_EQ(Rows(handles.connection, join + c.condition).size(), c.rows);
    const std::vector<std::string> bodies = LoggedRequests(emulator, "");
    EXPECT_EQ(bodies.size(), c.requests);
    EXPECT_EQ(CountContaining(bodies, c.criterion), c.holding);
  }
}

}  // namespace
