// Criteria and sort lists as the service receives them: quoting, refusals
// that keep every row, IN lists, LIKE values and value types by field kind.
#include "tables/query_criteria.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

ColumnDescriptor Column(const char* fid, FieldKind kind, std::uint16_t rank) {
  ColumnDescriptor column;
  column.fieldIdText = fid;
  column.fieldId = static_cast<std::uint32_t>(std::stoul(fid));
  column.fieldKind = kind;
  column.pushDownRank = rank;
  return column;
}

// Columns: 0 record id, 1 text, 2 number, 3 date, 4 timestamp, 5 duration (never sent), 6 time of day,
// 7 a related record's id.
void OpenTestTable(TableCursor& cursor) {
  cursor.columns = {Column("3", FieldKind::kRecordId, 4),   Column("6", FieldKind::kText, 1),
                    Column("7", FieldKind::kNumeric, 2),    Column("8", FieldKind::kDate, 2),
                    Column("9", FieldKind::kTimestamp, 2),  Column("10", FieldKind::kDuration, 0),
                    Column("11", FieldKind::kTimeOfDay, 2), Column("21", FieldKind::kRecordId, 4)};
}

struct Criterion {
  std::uint16_t column;
  std::uint16_t op;
  std::int16_t type;
  std::string text;    // character values
  double number = 0;   // double values
  bool isNull = false;
  std::uint16_t group = 0;  // items of one IN list share a group
};

struct CriteriaCase {
  const char* name;
  std::vector<Criterion> entries;
  std::uint16_t join = 0;
  MessageId expected;
  const char* query;
};

MessageId Build(TableCursor& cursor, const CriteriaCase& c) {
  std::vector<std::uint16_t> columns, ops, groups;
  std::vector<std::int16_t> types;
  std::vector<const void*> values;
  std::vector<SQLLEN> lengths;
  for (const Criterion& e : c.entries) {
    columns.push_back(e.column);
    ops.push_back(e.op);
    types.push_back(e.type);
    values.push_back(e.type == kValueDouble ? static_cast<const void*>(&e.number) : e.text.data());
    lengths.push_back(e.isNull ? -1 : (e.type == kValueDouble ? 8 : static_cast<SQLLEN>(e.text.size())));
    groups.push_back(e.group);
  }
  cursor.joinOperator = c.join;
  return BuildQueryCriteria(cursor, static_cast<std::int32_t>(c.entries.size()), columns.data(), ops.data(),
                            types.data(), values.data(), lengths.data(), groups.data());
}

TEST(QueryCriteria, RendersOrRefusesEachSet) {
  const CriteriaCase cases[] = {
      {"equal text", {{1, kCriterionEx, kValueCharacter, "abc"}}, 0, kMsgSuccess, "{6.EX.'abc'}"},
      {"single quote switches to double", {{1, kCriterionEx, kValueCharacter, "it's"}}, 0, kMsgSuccess,
       "{6.EX.\"it's\"}"},
      {"both quotes are refused", {{1, kCriterionEx, kValueCharacter, "it's \"x\""}}, 0, kMsgNotSupported, ""},
      {"braces stay inside the quotes", {{1, kCriterionEx, kValueCharacter, "}{6.EX.'x'}"}}, 0, kMsgSuccess,
       "{6.EX.\"}{6.EX.'x'}\"}"},
      {"markup and non-ASCII travel as text", {{1, kCriterionCt, kValueCharacter, "]]>&<Grüße"}}, 0, kMsgSuccess, "{6.CT.']]>&<Grüße'}"},
      {"number", {{2, kCriterionGte, kValueDouble, "", 5.5}}, 0, kMsgSuccess, "{7.GTE.'5.5'}"},
      {"AND of two", {{2, kCriterionGt, kValueDouble, "", 1}, {1, kCriterionSw, kValueCharacter, "ab"}},
       kCriteriaJoinAnd, kMsgSuccess, "{7.GT.'1'}AND{6.SW.'ab'}"},
      {"local entry left out of an AND", {{2, kCriterionGt, kValueDouble, "", 1}, {1, 0, kValueCharacter, ""}},
       kCriteriaJoinAnd, kMsgSuccess, "{7.GT.'1'}"},
      {"local entry refuses an OR", {{2, kCriterionGt, kValueDouble, "", 1}, {1, 0, kValueCharacter, ""}},
       kCriteriaJoinOr, kMsgNotSupported, ""},
      {"OR of two", {{2, kCriterionEx, kValueDouble, "", 1}, {1, kCriterionEx, kValueCharacter, "x"}},
       kCriteriaJoinOr, kMsgSuccess, "{7.EX.'1'}OR{6.EX.'x'}"},
      {"IN list",
       {{2, kCriterionEx, kValueDouble, "", 1, false, 1},
        {2, kCriterionEx, kValueDouble, "", 2, false, 1},
        {2, kCriterionEx, kValueDouble, "", 3, false, 1}},
       0, kMsgSuccess, "({7.EX.'1'}OR{7.EX.'2'}OR{7.EX.'3'})"},
      {"NOT IN list on text beside another criterion",
       {{1, kCriterionXex, kValueCharacter, "a", 0, false, 1},
        {1, kCriterionXex, kValueCharacter, "B or c", 0, false, 1},
        {2, kCriterionGt, kValueDouble, "", 5}},
       kCriteriaJoinAnd, kMsgSuccess, "({6.XEX.'a'}AND{6.XEX.'B or c'})AND{7.GT.'5'}"},
      {"two lists stay apart",
       {{1, kCriterionEx, kValueCharacter, "a", 0, false, 1}, {1, kCriterionEx, kValueCharacter, "b", 0, false, 1},
        {2, kCriterionEx, kValueDouble, "", 7, false, 2}},
       kCriteriaJoinAnd, kMsgSuccess, "({6.EX.'a'}OR{6.EX.'b'})AND{7.EX.'7'}"},
      // The service may fold letters above 127 that SQL compares as bytes, so
      // a negative operator could drop rows the condition keeps.
      {"negative operators on letters above 127 stay local",
       {{1, kCriterionXex, kValueCharacter, "Grüße"},
        {1, kCriterionXct, kValueCharacter, "Grüße"},
        {1, kCriterionXsw, kValueCharacter, "Grüße"},
        {2, kCriterionGt, kValueDouble, "", 5}},
       kCriteriaJoinAnd, kMsgSuccess, "{7.GT.'5'}"},
      {"a plain value holding OR is one value", {{1, kCriterionEx, kValueCharacter, "cats OR dogs"}}, 0,
       kMsgSuccess, "{6.EX.'cats OR dogs'}"},
      {"a list with an item that can't be sent stays local",
       {{2, kCriterionEx, kValueDouble, "", 1, false, 1}, {2, kCriterionEx, kValueCharacter, "x", 0, false, 1}},
       0, kMsgNotSupported, ""},
      {"LIKE escapes are removed", {{1, kCriterionSw, kValueCharacter, "50\\%"}}, 0, kMsgSuccess,
       "{6.SW.'50%'}"},
      {"empty pattern value is not sent", {{1, kCriterionCt, kValueCharacter, ""}}, 0, kMsgNotSupported, ""},
      {"pattern on a number is not sent", {{2, kCriterionCt, kValueCharacter, "1"}}, 0, kMsgNotSupported, ""},
      {"text against a number field", {{2, kCriterionEx, kValueCharacter, "abc"}}, 0, kMsgNotSupported, ""},
      {"number text against a number field", {{2, kCriterionLt, kValueCharacter, "-2.5"}}, 0, kMsgSuccess,
       "{7.LT.'-2.5'}"},
      {"date text against a date field", {{3, kCriterionEx, kValueCharacter, "2024-01-31"}}, 0, kMsgSuccess,
       "{8.EX.'2024-01-31'}"},
      {"loose date text is not sent", {{3, kCriterionEx, kValueCharacter, "2024-1-31"}}, 0, kMsgNotSupported,
       ""},
      {"text against a timestamp field", {{4, kCriterionEx, kValueCharacter, "1700000000000"}}, 0, kMsgNotSupported, ""},
      {"NULL equality", {{2, kCriterionEx, kValueDouble, "", 0, true}}, 0, kMsgSuccess, "{7.EX.''}"},
      {"NULL ordering is not sent", {{2, kCriterionLt, kValueDouble, "", 0, true}}, 0, kMsgNotSupported, ""},
      {"rank 0 column", {{5, kCriterionEx, kValueDouble, "", 1}}, 0, kMsgNotSupported, ""},
      // The service's times of day keep milliseconds that the SQL value drops.
      {"time of day: = and <= stay local, < and >= are sent",
       {{6, kCriterionEx, kValueCharacter, "43200000"}, {6, kCriterionLte, kValueCharacter, "43200000"},
        {6, kCriterionLt, kValueCharacter, "43200000"}, {6, kCriterionGte, kValueCharacter, "43200000"}},
       kCriteriaJoinAnd, kMsgSuccess, "{11.LT.'43200000'}AND{11.GTE.'43200000'}"},
      // Values the service's XML can't carry are refused, sent or not.
      {"control byte", {{1, kCriterionEx, kValueCharacter, std::string("a\0b", 3)}}, 0, kMsgUnstorableCharacter,
       ""},
      {"bytes that are not UTF-8", {{1, kCriterionEx, kValueCharacter, "caf\xE9"}}, 0, kMsgUnstorableCharacter, ""},
      {"U+FFFE in an IN list",
       {{1, kCriterionEx, kValueCharacter, "a", 0, false, 1},
        {1, kCriterionEx, kValueCharacter, "\xEF\xBF\xBE", 0, false, 1}},
       0, kMsgUnstorableCharacter, ""},
      {"not UTF-8 in a pattern that stays local", {{1, 0, kValueCharacter, "a_\xC3%"}}, 0, kMsgUnstorableCharacter,
       ""},
  };
  for (const CriteriaCase& c : cases) {
    TableCursor cursor;
    OpenTestTable(cursor);
    EXPECT_EQ(Build(cursor, c), c.expected) << c.name;
    EXPECT_EQ(cursor.queryText, c.query) << c.name;
    if (c.expected == kMsgNotSupported) {
      EXPECT_GT(cursor.criteriaCount, kMaxQueryCriteria) << c.name;
    }
  }
}

TEST(QueryCriteria, RefusesWholeSetsThatCantBeSentExactly) {
  struct Refusal {
    const char* name;
    std::int32_t entries;
    std::uint8_t pushDown;
    std::uint8_t orJoinFlag;
    std::uint16_t join;
    MessageId expected;
  };
  const Refusal cases[] = {
      // One of the service's 100 is the continuation of the pages.
      {"99 criteria go out", 99, 1, 1, kCriteriaJoinAnd, kMsgSuccess},
      {"100 criteria stay local", 100, 1, 1, kCriteriaJoinAnd, kMsgNotSupported},
      {"push-down flag cleared", 2, 0, 1, kCriteriaJoinAnd, kMsgNotSupported},
      {"OR mixed with other joins", 2, 1, 0, kCriteriaJoinOr, kMsgNotSupported},
  };
  for (const Refusal& c : cases) {
    TableCursor cursor;
    OpenTestTable(cursor);
    cursor.pushDown = c.pushDown;
    cursor.orJoin = c.orJoinFlag;
    cursor.joinOperator = c.join;
    double value = 1;
    std::vector<std::uint16_t> columns(c.entries, 2), ops(c.entries, kCriterionGt);
    std::vector<std::int16_t> types(c.entries, kValueDouble);
    std::vector<const void*> values(c.entries, &value);
    std::vector<SQLLEN> lengths(c.entries, 8);
    EXPECT_EQ(BuildQueryCriteria(cursor, c.entries, columns.data(), ops.data(), types.data(), values.data(),
                                 lengths.data()),
              c.expected)
        << c.name;
    EXPECT_EQ(cursor.queryText.empty(), c.expected != kMsgSuccess) << c.name;
  }
}

// Only a sort led by the table's own record id pages by continuing after
// the last record read; any other is done locally.
TEST(QueryCriteria, SortsOnlyByRecordIdFirst) {
  const struct {
    std::vector<std::uint16_t> keys;
    MessageId expected;
    const char* fields;
    const char* orders;
  } cases[] = {
      {{0}, kMsgSuccess, "3", "D"},
      {{0, 7}, kMsgSuccess, "3.21", "DA"},
      {{7, 0}, kMsgNotSupported, "", ""},
      {{1}, kMsgNotSupported, "", ""},
  };
  for (const auto& c : cases) {
    TableCursor cursor;
    OpenTestTable(cursor);
    const std::uint8_t directions[] = {1, 0};
    EXPECT_EQ(BuildSortList(cursor, static_cast<std::uint16_t>(c.keys.size()), c.keys.data(), directions), c.expected);
    EXPECT_EQ(cursor.sortFields, c.fields);
    EXPECT_EQ(cursor.sortOrders, c.orders);
  }
  TableCursor cursor;
  OpenTestTable(cursor);
  const std::uint16_t byId[] = {0};
  const std::uint8_t ascending[] = {0};
  ASSERT_EQ(BuildSortList(cursor, 1, byId, ascending), kMsgSuccess);
  EXPECT_EQ(BuildSortList(cursor, 0, nullptr, nullptr), kMsgSuccess);
  EXPECT_TRUE(cursor.sortFields.empty());
}

}  // namespace
