// Reading tables from the emulator: opening by every name form, paging,
// reuse of an identical query, refused criteria that still return every row,
// and column values by field kind.
#include "tables/table_select.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "emulator_session.h"
#include "tables/attachment_files.h"
#include "tables/query_criteria.h"
#include "tables/row_values.h"
#include "tables/write_cache.h"

namespace {

constexpr const char* kFixture = "tests/tables/fixtures/shop.json";

std::string TextOf(TableCursor& cursor, std::uint16_t column, MessageId* result = nullptr) {
  char buffer[256] = {};
  SQLLEN length = 0;
  SQLLEN offset = 0;
  MessageId id = GetRowColumnData(cursor, column, &offset, SQL_C_CHAR, buffer, sizeof buffer, &length);
  if (result != nullptr) *result = id;
  return length == SQL_NULL_DATA ? "<null>" : std::string(buffer);
}

// Every row's value of one column, in the order read.
std::vector<std::string> ReadColumn(TableCursor& cursor, const std::string& name) {
  std::vector<std::string> values;
  int column = ColumnNamed(cursor, name);
  for (MessageId id = FetchNextRow(cursor, 0); id == kMsgSuccess; id = FetchNextRow(cursor, 0))
    values.push_back(TextOf(cursor, static_cast<std::uint16_t>(column)));
  return values;
}

class TableSelectTest : public ::testing::Test {
 protected:
  EmulatorSession emulator;
  void SetUp() override { ASSERT_TRUE(emulator.Start(kFixture, "TIMEZONEOFFSET=0")); }
  void Open(const std::string& name, CursorHolder& holder) {
    ASSERT_EQ(OpenTable(emulator.Record(), name, 0, holder.cursor), kMsgSuccess) << name;
    for (const ColumnDescriptor& column : holder.cursor->columns)
      AddFieldToFetch(*emulator.Record().client, *holder.cursor, column.fieldId);
  }
};

TEST_F(TableSelectTest, OpensEveryNameFormAndCachesTheSchema) {
  std::string itemsId = emulator.TableId("Shop: Items");
  const char* names[] = {"Shop: Items", "shop:items", "Shop :Items", itemsId.c_str()};
  for (const char* name : names) {
    CursorHolder holder;
    Open(name, holder);
    EXPECT_EQ(holder.cursor->tableId, itemsId) << name;
  }
  EXPECT_EQ(emulator.Log("API_GetSchema").size(), 1u);
  TableCursor* cursor = nullptr;
  EXPECT_EQ(OpenTable(emulator.Record(), "Items", 0, cursor), kMsgQuickBaseTableNotFound);  // two applications
  EXPECT_EQ(OpenTable(emulator.Record(), "No Such: Table", 0, cursor), kMsgQuickBaseTableNotFound);
  EXPECT_EQ(cursor, nullptr);
}

TEST_F(TableSelectTest, PagesThroughEveryRowOnce) {
  std::string bigId = emulator.TableId("Shop: Big");
  emulator.Admin("POST", "generate", "{\"table\": \"" + bigId + "\", \"rows\": 2345, \"seed\": 7}");
  CursorHolder holder;
  Open("Shop: Big", holder);
  emulator.ClearLog();
  ASSERT_EQ(ExecuteTableSelect(*holder.cursor), kMsgSuccess);
  std::vector<std::string> ids = ReadColumn(*holder.cursor, "Record ID_");
  std::set<std::string> distinct(ids.begin(), ids.end());
  EXPECT_EQ(ids.size(), 2345u);
  EXPECT_EQ(distinct.size(), 2345u);
  std::vector<LoggedRequest> queries = emulator.Log("API_DoQuery");
  ASSERT_EQ(queries.size(), 3u);
  EXPECT_NE(queries[2].body.find("<query>{3.GT.&apos;2000&apos;}</query>"), std::string::npos);
  EXPECT_NE(queries[0].body.find("<slist>3</slist>"), std::string::npos);
  for (const LoggedRequest& query : queries) EXPECT_EQ(query.body.find("skp-"), std::string::npos);
}

// Two cursors of one execution share an identical query's rows until the
// table changes; a later execution asks the service again.
TEST_F(TableSelectTest, ReusesAnIdenticalQueryWithinOneExecution) {
  CursorHolder first, second;
  Open("Shop: Items", first);
  Open("Shop: Items", second);
  first.cursor->keepsEveryPage = second.cursor->keepsEveryPage = true;
  first.cursor->execution = second.cursor->execution = BeginStatementExecution(emulator.Record());
  emulator.ClearLog();
  ASSERT_EQ(ExecuteTableSelect(*first.cursor), kMsgSuccess);
  ASSERT_EQ(ExecuteTableSelect(*second.cursor), kMsgSuccess);
  EXPECT_EQ(ReadColumn(*second.cursor, "Name").size(), 4u);
  EXPECT_EQ(emulator.Log("API_DoQuery").size(), 1u);
  ASSERT_EQ(FetchNextRow(*first.cursor, 0), kMsgSuccess);
  ASSERT_EQ(DeleteCurrentRow(*first.cursor), kMsgSuccess);
  ASSERT_EQ(ExecuteTableSelect(*second.cursor), kMsgSuccess);
  EXPECT_EQ(ReadColumn(*second.cursor, "Name").size(), 3u);
  EXPECT_EQ(emulator.Log("API_DoQuery").size(), 2u);
  second.cursor->execution = BeginStatementExecution(emulator.Record());
  ASSERT_EQ(ExecuteTableSelect(*second.cursor), kMsgSuccess);
  EXPECT_EQ(emulator.Log("API_DoQuery").size(), 3u);
}

TEST_F(TableSelectTest, RefusedOrPartialCriteriaReturnEveryRow) {
  struct Case {
    const char* name;
    std::uint16_t op;
    std::string value;
    std::uint16_t join;
    std::size_t rows;
  };
  const Case cases[] = {
      {"sent and exact", kCriterionEx, "apple", 0, 1},
      {"quote in value", kCriterionEx, "it's {odd}", 0, 1},
      {"both quotes refused", kCriterionEx, "it's \"x\"", 0, 4},
      {"OR with a local alternative", kCriterionLocal, "", kCriteriaJoinOr, 4},
  };
  for (const Case& c : cases) {
    CursorHolder holder;
    Open("Shop: Items", holder);
    TableCursor& cursor = *holder.cursor;
    cursor.joinOperator = c.join;
    std::uint16_t columns[] = {static_cast<std::uint16_t>(ColumnNamed(cursor, "Name")),
                               static_cast<std::uint16_t>(ColumnNamed(cursor, "Name"))};
    std::uint16_t ops[] = {kCriterionEx, c.op};
    std::int16_t types[] = {kValueCharacter, kValueCharacter};
    const void* values[] = {c.value.data(), c.value.data()};
    SQLLEN lengths[] = {static_cast<SQLLEN>(c.value.size()), static_cast<SQLLEN>(c.value.size())};
    int count = c.join == kCriteriaJoinOr ? 2 : 1;
    if (c.join != kCriteriaJoinOr) ops[0] = c.op;
    MessageId built = BuildQueryCriteria(cursor, count, columns, ops, types, values, lengths);
    EXPECT_TRUE(built == kMsgSuccess || built == kMsgNotSupported) << c.name;
    ASSERT_EQ(ExecuteTableSelect(cursor), kMsgSuccess) << c.name;
    EXPECT_EQ(ReadColumn(cursor, "Name").size(), c.rows) << c.name;
  }
}

TEST_F(TableSelectTest, ValuesConvertByFieldKind) {
  CursorHolder holder;
  Open("Shop: Items", holder);
  TableCursor& cursor = *holder.cursor;
  ASSERT_EQ(ExecuteTableSelect(cursor), kMsgSuccess);
  ASSERT_EQ(FetchNextRow(cursor, 0), kMsgSuccess);
  const struct {
    const char* column;
    const char* text;
  } first[] = {{"Name", "apple"}, {"Qty", "3"}, {"Made", "2024-01-31"}, {"Stamp", "2024-01-31 11:20:00.000"},
               {"Done", "1"},     {"Owner", "Alice Ames"}, {"Lead", "86400000"}, {"Notes", ""}};
  for (const auto& c : first) EXPECT_EQ(TextOf(cursor, ColumnNamed(cursor, c.column)), c.text) << c.column;
  // The attachment: downloaded once, delivered in pieces.
  int doc = ColumnNamed(cursor, "Doc");
  char piece[6] = {};
  SQLLEN offset = 0, length = 0;
  EXPECT_EQ(GetRowColumnData(cursor, doc, &offset, SQL_C_BINARY, piece, 5, &length), kRowDataCut);
  EXPECT_EQ(std::string(piece, 5), "hello");
  EXPECT_EQ(length, 16);
  std::string rest(11, '\0');
  EXPECT_EQ(GetRowColumnData(cursor, doc, &offset, SQL_C_BINARY, rest.data(), 64, &length), kMsgSuccess);
  EXPECT_EQ(rest, " attachment");
  EXPECT_EQ(GetRowColumnData(cursor, doc, &offset, SQL_C_BINARY, rest.data(), 64, &length), kRowDataExhausted);
  EXPECT_EQ(emulator.Log("download").size(), 1u);
  ASSERT_EQ(FetchNextRow(cursor, 0), kMsgSuccess);
  EXPECT_EQ(TextOf(cursor, ColumnNamed(cursor, "Name")), "Brötchen");
  EXPECT_EQ(TextOf(cursor, ColumnNamed(cursor, "Doc")), "<null>");
  EXPECT_EQ(TextOf(cursor, ColumnNamed(cursor, "Made")), "<null>");
}

TEST_F(TableSelectTest, PositionsOnRowsOutsideTheCurrentPage) {
  CursorHolder holder;
  Open("Shop: Items", holder);
  ASSERT_EQ(PositionOnRow(*holder.cursor, 2), kMsgSuccess);
  EXPECT_EQ(TextOf(*holder.cursor, ColumnNamed(*holder.cursor, "Name")), "Brötchen");
  EXPECT_EQ(PositionOnRow(*holder.cursor, 999), kMsgInvalidCursorPosition);
}

TEST(AttachmentNames, StayInsideTheFolder) {
  const struct {
    const char* name;
    const char* safe;
  } cases[] = {{"report.pdf", "report.pdf"}, {"../../etc/passwd", ".._.._etc_passwd"}, {"..", "attachment.."},
               {"a\\b", "a_b"}};
  for (const auto& c : cases) EXPECT_EQ(SafeAttachmentName(c.name), c.safe) << c.name;
}

}  // namespace
