// GROUP BY and DISTINCT over keys that hold NULL, 0 and '' many times,
// with the sort's budget lowered so that the records go through dozens of
// sorted runs and their merge: NULL stays one group and one value, apart
// from 0 and from ''.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "exec/sort_engine.h"
#include "fetch_session.h"
#include "odbc/column_data.h"
#include "odbc/row_fetch.h"
#include "odbc/statement_free.h"

namespace {

constexpr int kItems = 3000;
// A few dozen records per sorted run.
constexpr std::size_t kSmallSortBudget = 4096;

// Num is 0, NULL, then 1 to 7 in turn; Word is '', "ab" and "AB" in turn;
// Ref names tag 1 (label ''), tag 2 ('x') and a tag that doesn't exist, a
// thousand items each in a block.
std::string ItemsFixture() {
  static const char* const kWords[] = {"", "ab", "AB"};
  std::string records;
  for (int i = 0; i < kItems; ++i) {
    std::string record = "{\"7\": " + std::to_string(i < 1000 ? 1 : i < 2000 ? 2 : 99);
    record += ", \"8\": \"" + std::string(kWords[i % 3]) + "\"";
    if (i % 3 == 0) record += ", \"6\": 0";
    if (i % 3 == 2) record += ", \"6\": " + std::to_string(i % 7 + 1);
    records += (i ? ", " : "") + record + "}";
  }
  return "{\"apps\": [{\"name\": \"Runs\", \"users\": [\"alice\"], \"tables\": ["
         "{\"name\": \"Items\", \"fields\": [{\"fid\": 6, \"label\": \"Num\", \"type\": \"float\"}, "
         "{\"fid\": 7, \"label\": \"Ref\", \"type\": \"float\"}, "
         "{\"fid\": 8, \"label\": \"Word\", \"type\": \"text\", \"properties\": {\"maxlength\": 10}}], "
         "\"records\": [" + records + "]}, "
         "{\"name\": \"Tags\", \"fields\": [{\"fid\": 6, \"label\": \"Id\", \"type\": \"float\"}, "
         "{\"fid\": 7, \"label\": \"Label\", \"type\": \"text\", \"properties\": {\"maxlength\": 10}}], "
         "\"records\": [{\"6\": 1, \"7\": \"\"}, {\"6\": 2, \"7\": \"x\"}]}]}]}";
}

struct SmallSortBudget {
  SmallSortBudget() { SetSortMemoryBudgetForTesting(kSmallSortBudget); }
  ~SmallSortBudget() { SetSortMemoryBudgetForTesting(0); }
};

// Each row's columns as text, NULL as "NULL".
std::vector<std::vector<std::string>> Rows(FetchSession& session, const std::string& sql, int columns) {
  std::vector<std::vector<std::string>> rows;
  StatementHandle& s = session.Statement();
  EXPECT_EQ(session.Run(sql), SQL_SUCCESS) << sql << ": " << s.diagnostic.messageId;
  while (FetchRow(s) == SQL_SUCCESS) {
    std::vector<std::string>& row = rows.emplace_back();
    for (int column = 1; column <= columns; ++column) {
      char text[32] = {0};
      SQLLEN indicator = 0;
      GetData(s, static_cast<std::uint16_t>(column), SQL_C_CHAR, text, sizeof text, &indicator);
      row.push_back(indicator == SQL_NULL_DATA ? "NULL" : text);
    }
  }
  FreeStatement(&s, SQL_CLOSE);
  return rows;
}

TEST(GroupAggregation, NullZeroAndEmptyKeysAcrossManySortedRuns) {
  FetchSession session(3, ItemsFixture());
  ASSERT_TRUE(session.Ready());
  SmallSortBudget budget;
  std::map<int, int> counts;
  for (int i = 2; i < kItems; i += 3) ++counts[i % 7 + 1];
  std::vector<std::vector<std::string>> numbers = {{"NULL", "1000"}, {"0", "1000"}};
  for (const auto& [value, count] : counts) numbers.push_back({std::to_string(value), std::to_string(count)});
  const std::vector<std::vector<std::string>> labels = {{"NULL", "1000"}, {"", "1000"}, {"x", "1000"}};
  const std::string joined = "FROM \"Runs: Items\" i LEFT OUTER JOIN \"Runs: Tags\" t ON t.Id = i.Ref";

  EXPECT_EQ(Rows(session, "SELECT Num, COUNT(*) FROM \"Runs: Items\" GROUP BY Num", 2), numbers);
  EXPECT_EQ(Rows(session, "SELECT t.Label, COUNT(*) " + joined + " GROUP BY t.Label", 2), labels);
  // Case variants that the sort keeps in their input order, interleaved,
  // are still one group.
  EXPECT_EQ(Rows(session, "SELECT Word, COUNT(*) FROM \"Runs: Items\" GROUP BY Word", 2),
            (std::vector<std::vector<std::string>>{{"", "1000"}, {"ab", "2000"}}));

  std::vector<std::vector<std::string>> distinctNumbers;
  for (const auto& row : numbers) distinctNumbers.push_back({row[0]});
  EXPECT_EQ(Rows(session, "SELECT DISTINCT Num FROM \"Runs: Items\"", 1), distinctNumbers);
  EXPECT_EQ(Rows(session, "SELECT DISTINCT t.Label " + joined, 1),
            (std::vector<std::vector<std::string>>{{"NULL"}, {""}, {"x"}}));
}

}  // namespace
