// Reads that span pages while another connection writes, through the Driver
// Manager: each page continues after the last record read, so a deletion or
// change behind the read neither skips nor repeats a record, for reads and
// for the UPDATE built on one; and the pages' queries at the page boundary,
// with OR criteria, at the criteria limit and under a sort done locally.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <memory>
#include <numeric>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "odbc_test_support.h"

namespace {

constexpr const char* kDbid = "bpagewrts";
constexpr int kRecords = 3000;
constexpr int kPage = 1000;
constexpr double kHoldSeconds = 3;

// Records 1 to 3000: N holds 1 (records 1-5: firstFive), "Other Id" 3001 - rid,
// so ordering by it reverses the record ids.
std::string PagingFixture(int firstFive) {
  std::string records;
  for (int rid = 1; rid <= kRecords; ++rid)
    records += std::string(rid == 1 ? "" : ",") + "{\"6\": " + std::to_string(rid <= 5 ? firstFive : 1) +
               ", \"7\": " + std::to_string(kRecords + 1 - rid) + "}";
  return R"({"users": [{"login": "alice", "password": "wonderland", "usertoken": "b7d2c9_demo_alice_token"}],
            "apps": [{"name": "Paging", "tables": [{"name": "Rows", "dbid": ")" +
         std::string(kDbid) + R"(", "fields": [
              {"fid": 6, "label": "N", "type": "float"}, {"fid": 7, "label": "Other Id", "type": "recordid"}],
             "records": [)" +
         records + "]}]}]}";
}

struct PagingTest : ::testing::Test {
  TempFolder folder;
  std::unique_ptr<Emulator> emulator;

  void Serve(int firstFive) {
    const std::string fixture = folder.path + "/paging.json";
    std::ofstream(fixture) << PagingFixture(firstFive);
    emulator = std::make_unique<Emulator>(folder, "", fixture);
    ASSERT_NE(emulator->port, 0) << "the emulator did not start";
    WriteOdbcFiles(folder, {"QUICKBASESERVER=" + emulator->HttpUrl(), "UID=alice", "PWD=wonderland"});
  }
  void ClearLog() const { emulator->Admin("log/clear", "{}"); }
  // The record ids the service holds that match the query.
  std::set<int> Matching(const std::string& query) const {
    std::set<int> ids;
    for (const std::string& id : ServiceRecords(*emulator, kDbid, "3", query)) ids.insert(std::stoi(id));
    return ids;
  }
};

SQLRETURN ExecuteSql(SQLHSTMT statement, const std::string& sql) {
  const SQLRETURN result = SQLExecDirect(statement, (SQLCHAR*)sql.c_str(), SQL_NTS);
  EXPECT_TRUE(SQL_SUCCEEDED(result)) << sql << ": " << ReadDiagnostic(SQL_HANDLE_STMT, statement).text;
  return result;
}

// The first column of every row, as numbers.
std::vector<int> FirstColumn(SQLHSTMT statement) {
  std::vector<int> ids;
  for (const std::vector<std::string>& row : FetchRowsAsText(statement)) ids.push_back(std::stoi(row.at(0)));
  return ids;
}

// The statement's pages, in order: the queries of the requests carrying its
// connection's ticket, the first query logged being its first page.
std::vector<std::string> PageQueries(const Emulator& emulator) {
  const std::vector<std::string> tickets = LoggedParameters(emulator, "API_DoQuery", "ticket");
  const std::vector<std::string> queries = LoggedParameters(emulator, "API_DoQuery", "query");
  std::vector<std::string> pages;
  for (std::size_t i = 0; i < queries.size() && i < tickets.size(); ++i)
    if (tickets[i] == tickets.front()) pages.push_back(queries[i]);
  return pages;
}

struct ConcurrentCase {
  const char* name;
  int firstFive;          // N of records 1-5 at the start
  const char* statement;  // a read, or an UPDATE built on one
  const char* condition;  // its condition as a service query, for the judge
  const char* write;      // the other connection's, while the statement's second page is held
  bool serviceSortedDescending;
};

const ConcurrentCase kConcurrentCases[] = {
    {"DeletionBehind", 1, "SELECT \"Record ID_\" FROM \"Paging: Rows\"", "",
     "DELETE FROM \"Paging: Rows\" WHERE \"Record ID_\" <= 5", false},
    {"ChangeOutOfACondition", 1, "SELECT \"Record ID_\" FROM \"Paging: Rows\" WHERE N = 1", "{6.EX.'1'}",
     "UPDATE \"Paging: Rows\" SET N = 2 WHERE \"Record ID_\" <= 5", false},
    {"ChangeIntoACondition", 2, "SELECT \"Record ID_\" FROM \"Paging: Rows\" WHERE N = 1", "{6.EX.'1'}",
     "UPDATE \"Paging: Rows\" SET N = 1 WHERE \"Record ID_\" <= 5", false},
    {"MassUpdate", 1, "UPDATE \"Paging: Rows\" SET N = 7 WHERE N <> 7", "{6.XEX.'7'}",
     "UPDATE \"Paging: Rows\" SET N = 7 WHERE \"Record ID_\" <= 5", false},
    {"ServiceSortedDeletionBehind", 1, "SELECT \"Record ID_\" FROM \"Paging: Rows\" ORDER BY \"Record ID_\" DESC", "",
     "DELETE FROM \"Paging: Rows\" WHERE \"Record ID_\" > 2995", true},
};

void PrintTo(const ConcurrentCase& c, std::ostream* out) { *out << c.name; }

struct ConcurrentPagingTest : PagingTest,
                              ::testing::WithParamInterface<std::tuple<ConcurrentCase, SQLULEN>> {};

// The other connection writes while the emulator holds the statement's
// second page, so its first page was read before the write and the rest
// after it. What must come back, by the service's own records: every
// record that matched before and after the write, and the first page's.
TEST_P(ConcurrentPagingTest, NoRecordIsMissedOrReadTwice) {
  const auto& [c, cursorType] = GetParam();
  Serve(c.firstFive);
  const bool descendingPages = c.serviceSortedDescending && cursorType == SQL_CURSOR_FORWARD_ONLY;
  const std::set<int> before = Matching(c.condition);
  std::vector<int> firstPage(before.begin(), before.end());
  if (descendingPages) std::reverse(firstPage.begin(), firstPage.end());
  firstPage.resize(std::min<std::size_t>(firstPage.size(), kPage));

  OdbcHandles reader, other;
  ASSERT_TRUE(SQL_SUCCEEDED(reader.Connect("demo"))) << reader.ConnectionDiagnostic().text;
  ASSERT_TRUE(SQL_SUCCEEDED(other.Connect("demo"))) << other.ConnectionDiagnostic().text;
  SQLHSTMT statement = SQL_NULL_HSTMT, writing = SQL_NULL_HSTMT;
  SQLAllocHandle(SQL_HANDLE_STMT, reader.connection, &statement);
  SQLAllocHandle(SQL_HANDLE_STMT, other.connection, &writing);
  SQLSetStmtAttr(statement, SQL_ATTR_CURSOR_TYPE, reinterpret_cast<SQLPOINTER>(cursorType), 0);
  ClearLog();
  const std::string table = std::string("\"dbid\": \"") + kDbid + "\"";
  emulator->Admin("faults", "{\"action\": \"API_DoQuery\", " + table + ", \"delay\": 0.001}");
  emulator->Admin("faults", "{\"action\": \"API_DoQuery\", " + table + ", \"delay\": " +
                                std::to_string(kHoldSeconds) + "}");

  std::set<int> after;
  double heldAt = 0, writtenAt = 0;
  std::thread writer([&] {
    // The second request that took a fault is the one held.
    for (int tries = 0; tries < 100 && heldAt == 0; ++tries) {
      const std::vector<std::string> faults = LoggedRequests(*emulator, "API_DoQuery", "fault");
      const std::vector<std::string> times = LoggedRequests(*emulator, "API_DoQuery", "time");
      for (std::size_t i = 0, taken = 0; i < faults.size() && i < times.size(); ++i)
        if (!faults[i].empty() && ++taken == 2) heldAt = std::stod(times[i]);
      if (heldAt == 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ExecuteSql(writing, c.write);
    after = Matching(c.condition);
    writtenAt = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
  });
  const bool update = std::string(c.statement).rfind("UPDATE", 0) == 0;
  const SQLRETURN executed = ExecuteSql(statement, c.statement);
  std::vector<int> rows;
  SQLLEN rowCount = -1;
  if (update) SQLRowCount(statement, &rowCount);
  else rows = FirstColumn(statement);
  writer.join();
  ASSERT_TRUE(SQL_SUCCEEDED(executed));
  ASSERT_NE(heldAt, 0) << "the second page was never held";
  ASSERT_LT(writtenAt, heldAt + kHoldSeconds) << "the write did not land while the page was held";

  std::set<int> expected(firstPage.begin(), firstPage.end());
  for (int id : before)
    if (after.count(id) != 0) expected.insert(id);
  if (update) {
    EXPECT_EQ(rowCount, static_cast<SQLLEN>(expected.size()));
    EXPECT_TRUE(Matching(c.condition).empty()) << "a record the UPDATE matched kept its old value";
  } else {
    std::vector<int> want(expected.begin(), expected.end());
    if (c.serviceSortedDescending) std::reverse(want.begin(), want.end());
    EXPECT_EQ(rows, want);
  }
  const std::vector<std::string> pages = PageQueries(*emulator);
  ASSERT_GE(pages.size(), 3u);
  for (std::size_t i = 1; i < pages.size(); ++i)
    EXPECT_NE(pages[i].find(descendingPages ? "{3.LT.'" : "{3.GT.'"), std::string::npos) << pages[i];
  for (const std::string& body : LoggedRequests(*emulator, "API_DoQuery"))
    EXPECT_EQ(body.find("skp-"), std::string::npos);
  SQLFreeHandle(SQL_HANDLE_STMT, writing);
  SQLFreeHandle(SQL_HANDLE_STMT, statement);
}

INSTANTIATE_TEST_SUITE_P(
    EveryCase, ConcurrentPagingTest,
    ::testing::Combine(::testing::ValuesIn(kConcurrentCases),
                       ::testing::Values(static_cast<SQLULEN>(SQL_CURSOR_FORWARD_ONLY),
                                         static_cast<SQLULEN>(SQL_CURSOR_STATIC))),
    [](const ::testing::TestParamInfo<ConcurrentPagingTest::ParamType>& info) {
      return std::string(std::get<0>(info.param).name) +
             (std::get<1>(info.param) == SQL_CURSOR_STATIC ? "Static" : "ForwardOnly");
    });

// Conditions N <> 2, N <> 3, ... joined by AND, and their service query.
std::string Inequalities(int count, std::string& query) {
  std::string sql;
  for (int n = 2; n < count + 2; ++n) {
    sql += std::string(sql.empty() ? "" : " AND ") + "N <> " + std::to_string(n);
    query += "{6.XEX.'" + std::to_string(n) + "'}" + (n < count + 1 ? "AND" : "");
  }
  return sql;
}

// Every row once, whatever the pages' queries; they stay within the
// service's 100 criteria, and only the record id is ever sorted by there.
TEST_F(PagingTest, EachPageAsksForTheRecordsAfterTheLastOneRead) {
  Serve(1);
  std::string ninetyNine, hundred;
  const std::string select = "SELECT \"Record ID_\" FROM \"Paging: Rows\" ";
  const std::string sqlNinetyNine = select + "WHERE " + Inequalities(99, ninetyNine);
  const std::string sqlHundred = select + "WHERE " + Inequalities(100, hundred);
  const struct {
    const char* name;
    std::string sql;
    int rows;  // records 1 to rows, each once
    std::vector<std::string> pages;
    bool descending = false;  // the rows come in descending record-id order
  } cases[] = {
      {"exactly 1,000 rows", select + "WHERE \"Record ID_\" <= 1000", 1000,
       {"{3.LTE.'1000'}", "({3.LTE.'1000'})AND{3.GT.'1000'}"}},
      {"1,001 rows", select + "WHERE \"Record ID_\" <= 1001", 1001,
       {"{3.LTE.'1001'}", "({3.LTE.'1001'})AND{3.GT.'1000'}"}},
      {"criteria holding OR", select + "WHERE N = 1 OR N = 3", 3000,
       {"{6.EX.'1'}OR{6.EX.'3'}", "({6.EX.'1'}OR{6.EX.'3'})AND{3.GT.'1000'}",
        "({6.EX.'1'}OR{6.EX.'3'})AND{3.GT.'2000'}", "({6.EX.'1'}OR{6.EX.'3'})AND{3.GT.'3000'}"}},
      {"99 criteria and the continuation", sqlNinetyNine, 3000,
       {ninetyNine, "(" + ninetyNine + ")AND{3.GT.'1000'}", "(" + ninetyNine + ")AND{3.GT.'2000'}",
        "(" + ninetyNine + ")AND{3.GT.'3000'}"}},
      {"100 criteria stay local", sqlHundred, 3000, {"", "{3.GT.'1000'}", "{3.GT.'2000'}", "{3.GT.'3000'}"}},
      {"sorted here by a related record's id", select + "ORDER BY \"Other Id\"", 3000,
       {"", "{3.GT.'1000'}", "{3.GT.'2000'}", "{3.GT.'3000'}"}, true},
  };
  OdbcHandles handles;
  ASSERT_TRUE(SQL_SUCCEEDED(handles.Connect("demo"))) << handles.ConnectionDiagnostic().text;
  SQLHSTMT statement = SQL_NULL_HSTMT;
  SQLAllocHandle(SQL_HANDLE_STMT, handles.connection, &statement);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ClearLog();
    if (!SQL_SUCCEEDED(ExecuteSql(statement, c.sql))) continue;
    std::vector<int> rows = FirstColumn(statement);
    if (!c.descending) std::sort(rows.begin(), rows.end());
    std::vector<int> want(static_cast<std::size_t>(c.rows));
    std::iota(want.begin(), want.end(), 1);
    if (c.descending) std::reverse(want.begin(), want.end());
    EXPECT_EQ(rows, want);
    EXPECT_EQ(LoggedParameters(*emulator, "API_DoQuery", "query"), c.pages);
    for (const std::string& slist : LoggedParameters(*emulator, "API_DoQuery", "slist")) EXPECT_EQ(slist, "3");
  }
  SQLFreeHandle(SQL_HANDLE_STMT, statement);
}

}  // namespace
