// The write cache against the emulator: what each write sends, reading a
// table's own pending writes, and flushes that fail part-way.
#include "tables/write_flush.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "emulator_session.h"
#include "tables/cursor_pending_writes.h"
#include "tables/query_criteria.h"
#include "tables/row_values.h"
#include "tables/table_select.h"
#include "tables/write_cache.h"

namespace {

constexpr const char* kFixture = "tests/tables/fixtures/shop.json";

class WriteFlushTest : public ::testing::Test {
 protected:
  EmulatorSession emulator;
  void SetUp() override { ASSERT_TRUE(emulator.Start(kFixture)); }

  void Open(const std::string& name, CursorHolder& holder) {
    ASSERT_EQ(OpenTable(emulator.Record(), name, 0, holder.cursor), kMsgSuccess);
    for (const ColumnDescriptor& column : holder.cursor->columns)
      AddFieldToFetch(*emulator.Record().client, *holder.cursor, column.fieldId);
  }

  void SetText(TableCursor& cursor, const char* column, const std::string& text) {
    ASSERT_EQ(UpdateRowValues(cursor, ColumnNamed(cursor, column), kValueCharacter, text.data(),
                              static_cast<SQLLEN>(text.size())),
              kMsgSuccess);
  }

  void Insert(TableCursor& cursor, const std::string& name) {
    ASSERT_EQ(NewInsertRow(cursor), kMsgSuccess);
    SetText(cursor, "Name", name);
    ASSERT_EQ(WriteRow(cursor), kMsgSuccess);
  }

  // The Name of every row a fresh read of the table shows.
  std::vector<std::string> Names(const std::string& table = "Shop: Items") {
    CursorHolder holder;
    Open(table, holder);
    std::vector<std::string> names;
    if (ExecuteTableSelect(*holder.cursor) != kMsgSuccess) return names;
    int column = ColumnNamed(*holder.cursor, "Name");
    while (FetchNextRow(*holder.cursor, 0) == kMsgSuccess) {
      char buffer[128] = {};
      SQLLEN length = 0, offset = 0;
      GetRowColumnData(*holder.cursor, column, &offset, SQL_C_CHAR, buffer, sizeof buffer, &length);
      names.push_back(length == SQL_NULL_DATA ? "<null>" : buffer);
    }
    return names;
  }
};

TEST_F(WriteFlushTest, AFlushFailingPartWaySendsEveryBatchExactlyOnce) {
  CursorHolder holder;
  Open("Shop: Items", holder);
  TableCursor& cursor = *holder.cursor;
  Insert(cursor, "first");  // batch 1: Name
  ASSERT_EQ(NewInsertRow(cursor), kMsgSuccess);
  SetText(cursor, "Name", "second");
  SetText(cursor, "Qty", "2");  // batch 2: Name, Qty
  ASSERT_EQ(WriteRow(cursor), kMsgSuccess);
  Insert(cursor, "third");  // batch 1 again
  // The first import goes through, the second is refused.
  emulator.InjectFault("[{\"action\": \"API_ImportFromCSV\", \"count\": 1, \"delay\": 0.01},"
                       " {\"action\": \"API_ImportFromCSV\", \"count\": 1, \"errcode\": 77}]");
  EXPECT_EQ(FlushPendingWrites(emulator.Record()), kMsgWritesPartlyDone);
  EXPECT_EQ(emulator.Record().lastMessageDetail,
            "'Shop: Items' 2 written, 1 not written (still pending). [QuickBase]Request limit exceeded Injected fault");
  EXPECT_EQ(emulator.Record().lastImportRecordId, 0u);
  EXPECT_TRUE(TableHasPendingWrites(cursor));
  EXPECT_EQ(FlushPendingWrites(emulator.Record()), kMsgSuccess);
  EXPECT_FALSE(TableHasPendingWrites(cursor));
  std::vector<std::string> names = Names();
  for (const char* name : {"first", "second", "third"})
    EXPECT_EQ(std::count(names.begin(), names.end(), name), 1) << name;
  EXPECT_EQ(names.size(), 7u);
  EXPECT_EQ(emulator.Record().lastImportRecordId, 7u);
}

// Rows go out one import per field list however their lists alternate; a
// record written twice goes out once, with its last values, and an edit
// that adds a field takes its record to that field list's import.
TEST_F(WriteFlushTest, OneImportPerFieldListAndOneRowPerRecord) {
  CursorHolder holder;
  Open("Shop: Items", holder);
  TableCursor& cursor = *holder.cursor;
  for (int i = 0; i < 6; ++i) {
    ASSERT_EQ(NewInsertRow(cursor), kMsgSuccess);
    SetText(cursor, "Name", "row" + std::to_string(i));
    if (i % 2 == 1) SetText(cursor, "Qty", std::to_string(i));
    ASSERT_EQ(WriteRow(cursor), kMsgSuccess);
  }
  ASSERT_EQ(PositionOnRow(cursor, cursor.recordId), kMsgSuccess);  // the pending insert "row5"
  SetText(cursor, "Qty", "40");
  ASSERT_EQ(WriteRow(cursor), kMsgSuccess);
  for (const char* name : {"first try", "pear"}) {
    ASSERT_EQ(PositionOnRow(cursor, 1), kMsgSuccess);
    SetText(cursor, "Name", name);
    ASSERT_EQ(WriteRow(cursor), kMsgSuccess);
  }
  ASSERT_EQ(PositionOnRow(cursor, 1), kMsgSuccess);
  SetText(cursor, "Qty", "7");  // the record's pending edit gains a field
  ASSERT_EQ(WriteRow(cursor), kMsgSuccess);
  emulator.ClearLog();
  ASSERT_EQ(FlushPendingWrites(emulator.Record()), kMsgSuccess);
  std::vector<LoggedRequest> imports = emulator.Log("API_ImportFromCSV");
  ASSERT_EQ(imports.size(), 2u);
  for (const char* name : {"row0", "row2", "row4"})
    EXPECT_NE(imports[0].body.find(name), std::string::npos) << imports[0].body;
  EXPECT_NE(imports[1].body.find("<clist>3.6.7</clist>"), std::string::npos) << imports[1].body;
  for (const char* row : {"\"row5\",\"40\"", "1,\"pear\",\"7\""})
    EXPECT_NE(imports[1].body.find(row), std::string::npos) << row << " in " << imports[1].body;
  EXPECT_EQ(imports[1].body.find("first try"), std::string::npos);
  std::vector<std::string> names = Names();
  EXPECT_EQ(names.size(), 10u);
  EXPECT_EQ(names[0], "pear");
}

TEST_F(WriteFlushTest, AnEditSendsOnlyTheFieldsItChanged) {
  CursorHolder holder;
  Open("Shop: Items", holder);
  TableCursor& cursor = *holder.cursor;
  ASSERT_EQ(PositionOnRow(cursor, 1), kMsgSuccess);
  SetText(cursor, "Name", "pear");
  ASSERT_EQ(WriteRow(cursor), kMsgSuccess);
  ASSERT_EQ(PositionOnRow(cursor, 2), kMsgSuccess);
  double qty = 9;
  ASSERT_EQ(UpdateRowValues(cursor, ColumnNamed(cursor, "Qty"), kValueDouble, &qty, 8), kMsgSuccess);
  ASSERT_EQ(WriteRow(cursor), kMsgSuccess);
  emulator.ClearLog();
  ASSERT_EQ(FlushPendingWrites(emulator.Record()), kMsgSuccess);
  std::vector<LoggedRequest> imports = emulator.Log("API_ImportFromCSV");
  ASSERT_EQ(imports.size(), 2u);
  EXPECT_NE(imports[0].body.find("<clist>3.6</clist>"), std::string::npos) << imports[0].body;
  EXPECT_NE(imports[1].body.find("<clist>3.7</clist>"), std::string::npos) << imports[1].body;
  std::vector<std::string> names = Names();
  EXPECT_EQ(names[0], "pear");
  EXPECT_EQ(names[1], "Brötchen");  // untouched by the Qty edit
}

TEST_F(WriteFlushTest, ATableReadsItsOwnPendingWrites) {
  CursorHolder holder;
  Open("Shop: Items", holder);
  TableCursor& cursor = *holder.cursor;
  Insert(cursor, "new one");
  ASSERT_EQ(PositionOnRow(cursor, 2), kMsgSuccess);
  SetText(cursor, "Name", "changed");
  ASSERT_EQ(WriteRow(cursor), kMsgSuccess);
  ASSERT_EQ(PositionOnRow(cursor, 4), kMsgSuccess);
  ASSERT_EQ(DeleteCurrentRow(cursor), kMsgSuccess);
  // Criteria that the pending edit no longer matches must not hide the row.
  CursorHolder reader;
  Open("Shop: Items", reader);
  std::string value = "Brötchen";
  std::uint16_t columns[] = {static_cast<std::uint16_t>(ColumnNamed(*reader.cursor, "Name"))};
  std::uint16_t ops[] = {kCriterionXex};
  std::int16_t types[] = {kValueCharacter};
  const void* values[] = {value.data()};
  SQLLEN lengths[] = {static_cast<SQLLEN>(value.size())};
  EXPECT_EQ(BuildQueryCriteria(*reader.cursor, 1, columns, ops, types, values, lengths), kMsgSuccess);
  EXPECT_EQ(reader.cursor->queryText, "");
  std::vector<std::string> names = Names();
  EXPECT_EQ(names, (std::vector<std::string>{"apple", "changed", "it's {odd}", "new one"}));
  ASSERT_EQ(FlushPendingWrites(emulator.Record()), kMsgSuccess);
  EXPECT_EQ(Names(), (std::vector<std::string>{"apple", "changed", "it's {odd}", "new one"}));
}

TEST_F(WriteFlushTest, DeletionsGoOutInGroupsAndNeverAsAnEmptyPurge) {
  std::string bigId = emulator.TableId("Shop: Big");
  emulator.Admin("POST", "generate", "{\"table\": \"" + bigId + "\", \"rows\": 250, \"seed\": 3}");
  CursorHolder holder;
  Open("Shop: Big", holder);
  TableCursor& cursor = *holder.cursor;
  ASSERT_EQ(ExecuteTableSelect(cursor), kMsgSuccess);
  while (FetchNextRow(cursor, 0) == kMsgSuccess) ASSERT_EQ(DeleteCurrentRow(cursor), kMsgSuccess);
  emulator.ClearLog();
  ASSERT_EQ(FlushPendingWrites(emulator.Record()), kMsgSuccess);
  std::vector<LoggedRequest> purges = emulator.Log("API_PurgeRecords");
  ASSERT_EQ(purges.size(), 3u);
  for (const LoggedRequest& purge : purges) EXPECT_NE(purge.body.find("<query>{3.EX."), std::string::npos);
  // Nothing pending: a second flush sends no purge at all.
  emulator.ClearLog();
  ASSERT_EQ(FlushPendingWrites(emulator.Record()), kMsgSuccess);
  EXPECT_TRUE(emulator.Log("API_PurgeRecords").empty());
  EXPECT_TRUE(Names("Shop: Big").empty());
}

TEST_F(WriteFlushTest, AwkwardValuesArriveUnchanged) {
  const std::string values[] = {"a,b \"quoted\"", "]]>", "x & y < z", "Grüße 東京", "line\nbreak", "{6.EX.'1'}"};
  CursorHolder holder;
  Open("Shop: Items", holder);
  for (const std::string& value : values) {
    ASSERT_EQ(NewInsertRow(*holder.cursor), kMsgSuccess);
    SetText(*holder.cursor, "Notes", value);
    SetText(*holder.cursor, "Name", "odd");
    ASSERT_EQ(WriteRow(*holder.cursor), kMsgSuccess);
  }
  ASSERT_EQ(FlushPendingWrites(emulator.Record()), kMsgSuccess);
  CursorHolder reader;
  Open("Shop: Items", reader);
  ASSERT_EQ(ExecuteTableSelect(*reader.cursor), kMsgSuccess);
  std::vector<std::string> notes;
  int column = ColumnNamed(*reader.cursor, "Notes");
  while (FetchNextRow(*reader.cursor, 0) == kMsgSuccess) {
    char buffer[128] = {};
    SQLLEN length = 0, offset = 0;
    GetRowColumnData(*reader.cursor, column, &offset, SQL_C_CHAR, buffer, sizeof buffer, &length);
    if (length != SQL_NULL_DATA) notes.push_back(buffer);
  }
  for (const std::string& value : values)
    EXPECT_EQ(std::count(notes.begin(), notes.end(), value), 1) << value;
}

TEST_F(WriteFlushTest, RollbackDropsPendingWrites) {
  CursorHolder holder;
  Open("Shop: Items", holder);
  Insert(*holder.cursor, "ghost");
  EXPECT_EQ(Names().size(), 5u);
  EXPECT_EQ(DiscardPendingWrites(emulator.Record()), kMsgSuccess);
  emulator.ClearLog();
  EXPECT_EQ(FlushPendingWrites(emulator.Record()), kMsgSuccess);
  EXPECT_TRUE(emulator.Log("API_ImportFromCSV").empty());
  EXPECT_EQ(Names().size(), 4u);
}

TEST_F(WriteFlushTest, FlushCommandSendsOneTablesBatch) {
  CursorHolder holder;
  Open("Shop: Items", holder);
  Insert(*holder.cursor, "by command");
  SettingsMap& settings = emulator.Record().connection->settings;
  settings["FLUSH_THIS_DBID_CACHE_TO_QUICKBASE"] = "Shop: Items";
  TableCursor* released = nullptr;
  ASSERT_EQ(OpenTable(emulator.Record(), "TARVOX CONNECTION CONFIG", 0, released), kMsgSuccess);
  EXPECT_EQ(ApplyFlushCacheCommand(released), kMsgSuccess);
  EXPECT_EQ(settings.count("FLUSH_THIS_DBID_CACHE_TO_QUICKBASE"), 0u);
  EXPECT_FALSE(TableHasPendingWrites(*holder.cursor));
  settings["FLUSH_THIS_DBID_CACHE_TO_QUICKBASE"] = "Shop: Items";
  ASSERT_EQ(OpenTable(emulator.Record(), "@@identity", 0, released), kMsgSuccess);
  EXPECT_EQ(ApplyFlushCacheCommand(released), kMsgCacheNotFound);
}

}  // namespace

namespace {

// Durations travel as days in plain decimal digits: the service reads no
// exponent, so a millisecond must not become 1.1574074074074074e-08.
TEST_F(WriteFlushTest, DurationsGoOutAsPlainDecimalDays) {
  CursorHolder holder;
  Open("Shop: Items", holder);
  ASSERT_EQ(NewInsertRow(*holder.cursor), kMsgSuccess);
  SetText(*holder.cursor, "Name", "quick");
  const double oneMillisecond = 1;
  ASSERT_EQ(UpdateRowValues(*holder.cursor, ColumnNamed(*holder.cursor, "Lead"), kValueDouble, &oneMillisecond, 8),
            kMsgSuccess);
  ASSERT_EQ(WriteRow(*holder.cursor), kMsgSuccess);
  emulator.ClearLog();
  ASSERT_EQ(FlushPendingWrites(emulator.Record()), kMsgSuccess);
  std::vector<LoggedRequest> imports = emulator.Log("API_ImportFromCSV");
  ASSERT_EQ(imports.size(), 1u);
  // Only the CSV cells: the random sign-in ticket may itself hold "e-".
  const std::string& body = imports[0].body;
  const std::size_t csvStart = body.find("<records_csv>");
  const std::size_t csvEnd = body.find("</records_csv>");
  ASSERT_NE(csvStart, std::string::npos) << body;
  ASSERT_NE(csvEnd, std::string::npos) << body;
  const std::string csv = body.substr(csvStart, csvEnd - csvStart);
  EXPECT_NE(csv.find("0.000000011574074074074074"), std::string::npos) << body;
  EXPECT_EQ(csv.find("e-"), std::string::npos) << body;
}

}  // namespace
