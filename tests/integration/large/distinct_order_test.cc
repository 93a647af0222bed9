// SELECT DISTINCT with ORDER BY over 150,000 rows through the Driver
// Manager: more rows than five-digit row numbers count, and thousands of
// NULL keys whose order only the input order decides.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "../odbc_test_support.h"

namespace {

constexpr int kRows = 150000;

constexpr const char* kFixture =
    "{\"apps\": [{\"name\": \"Large\", \"users\": [\"alice\"], \"tables\": [{\"name\": \"Rows\", \"dbid\": "
    "\"bxargerws\", \"fields\": [{\"fid\": 6, \"label\": \"Word\", \"type\": \"text\", \"properties\": "
    "{\"maxlength\": 40}}, {\"fid\": 7, \"label\": \"Num\", \"type\": \"float\"}]}]}]}";

struct Row {
  std::string word;
  bool numIsNull;
  double num;
};

std::string Text(SQLHSTMT statement, SQLUSMALLINT column, SQLLEN& indicator) {
  char value[128] = {0};
  SQLGetData(statement, column, SQL_C_CHAR, value, sizeof value, &indicator);
  return value;
}

// The words, first by Num (NULL first, ties in table order), each kept at
// its first row: what SELECT DISTINCT Word ... ORDER BY Num must return.
std::vector<std::string> FirstWordsByNum(std::vector<Row> rows) {
  std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
    if (a.numIsNull != b.numIsNull) return a.numIsNull;
    return !a.numIsNull && a.num < b.num;
  });
  std::vector<std::string> words;
  std::set<std::string> seen;
  for (const Row& row : rows) {
    if (seen.insert(row.word).second) words.push_back(row.word);
  }
  return words;
}

TEST(DistinctOrder, KeepsTheOrderByOrderOverManyRows) {
  TempFolder folder;
  Emulator emulator(folder);
  ASSERT_NE(emulator.port, 0);
  emulator.Admin("fixture", kFixture);
  emulator.Generate("bxargerws", kRows, 3);
  WriteOdbcFiles(folder, {"QUICKBASESERVER=" + emulator.HttpUrl(), "UID=alice", "PWD=wonderland"});
  OdbcHandles handles;
  ASSERT_TRUE(SQL_SUCCEEDED(handles.Connect("demo"))) << handles.ConnectionDiagnostic().text;
  SQLHSTMT statement = SQL_NULL_HSTMT;
  ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, handles.connection, &statement), SQL_SUCCESS);

  // The generated words never differ in case alone, so the test's set of
  // words tells duplicates as the driver does.
  std::vector<Row> rows;
  ASSERT_EQ(SQLExecDirect(statement, (SQLCHAR*)"SELECT Word, Num FROM \"Large: Rows\"", SQL_NTS), SQL_SUCCESS);
  while (SQLFetch(statement) == SQL_SUCCESS) {
    Row row;
    SQLLEN indicator = 0;
    row.word = Text(statement, 1, indicator);
    const std::string num = Text(statement, 2, indicator);
    row.numIsNull = indicator == SQL_NULL_DATA;
    row.num = row.numIsNull ? 0 : std::stod(num);
    rows.push_back(row);
  }
  SQLCloseCursor(statement);
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(kRows));
  const std::vector<std::string> expected = FirstWordsByNum(rows);
  ASSERT_LT(expected.size(), rows.size());

  const char* sql = "SELECT DISTINCT Word FROM \"Large: Rows\" ORDER BY Num";
  ASSERT_EQ(SQLExecDirect(statement, (SQLCHAR*)sql, SQL_NTS), SQL_SUCCESS)
      << ReadDiagnostic(SQL_HANDLE_STMT, statement).text;
  std::vector<std::string> words;
  SQLLEN indicator = 0;
  while (SQLFetch(statement) == SQL_SUCCESS) words.push_back(Text(statement, 1, indicator));
  EXPECT_EQ(words.size(), expected.size());
  EXPECT_TRUE(words == expected);
  SQLFreeHandle(SQL_HANDLE_STMT, statement);
}

}  // namespace
