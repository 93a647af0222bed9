// Column references of every field kind read through table access from the
// emulator, with NULLs for empty fields, an attachment of any length, and
// the arithmetic on top of them.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/datetime_text.h"
#include "exec/evaluation/bound_statement.h"
#include "exec/evaluation/evaluation_fakes.h"
#include "exec/expression_evaluation.h"
#include "tables/emulator_session.h"
#include "tables/table_select.h"

namespace {

std::string Shown(MessageId id, const ValueCell& cell) {
  if (id != kMsgSuccess) return "error " + std::to_string(id);
  if (cell.nullFlag != 0) return "NULL";
  char text[32] = {};
  switch (cell.valueType) {
    case kValueCharacter:
    case kValueBinary: return "'" + cell.bytes + "'";
    case kValueDate: FormatDateText(cell.value.date, text); return text;
    case kValueTimestamp: FormatTimestampText(cell.value.timestamp, text); return text;
    default: std::snprintf(text, sizeof text, "%.15g", cell.value.number); return text;
  }
}

TEST(ColumnValues, EveryFieldKindFromTheService) {
  EmulatorSession emulator;
  ASSERT_TRUE(emulator.Start("tests/tables/fixtures/shop.json", "TIMEZONEOFFSET=0"));
  ScopedEvaluationFakes fakes;
  StatementHandle statement;
  statement.connection = &emulator.connection;
  emulator.Record().currentStatement = &statement;
  ASSERT_EQ(PrepareStatementTree(statement, &emulator.Record(),
                                 "SELECT Name, Qty * 2, Made + 1, Made - {d '2024-01-01'}, Stamp, Doc, Done, "
                                 "Name + '!' FROM \"Shop: Items\""),
            kMsgSuccess)
      << statement.diagnostic.detailText;
  ParseTree& tree = *statement.parseTree;
  TableCursor& cursor = *tree.nodes[FromTables(tree)[0]].fields.tableReference.cursor;
  const std::vector<std::vector<std::string>> expected = {
      {"'apple'", "6", "2024-02-01", "30", "2024-01-31 11:20:00.000", "'hello attachment'", "1", "'apple!'"},
      {"'Brötchen'", "5", "NULL", "NULL", "NULL", "NULL", "0", "'Brötchen!'"},
      {"'it's {odd}'", "0", "NULL", "NULL", "NULL", "NULL", "0", "'it's {odd}!'"},
      {"''", "20", "NULL", "NULL", "NULL", "NULL", "0", "'!'"},
  };
  ASSERT_EQ(ExecuteTableSelect(cursor), kMsgSuccess);
  for (const std::vector<std::string>& row : expected) {
    ASSERT_EQ(FetchNextRow(cursor, 0), kMsgSuccess);
    const std::vector<NodeIndex> items = SelectItems(tree);
    for (std::size_t i = 0; i < items.size(); ++i) {
      const MessageId id = EvaluateRowExpression(statement, tree, items[i]);
      EXPECT_EQ(Shown(id, tree.nodes[items[i]].cell), row[i]) << row[0] << " item " << i;
    }
  }
  EXPECT_EQ(FetchNextRow(cursor, 0), kMsgNoMoreRows);
  EXPECT_EQ(statement.transactionFlags[0], 1);
  FreeParseTree(statement.parseTree);
  emulator.Record().currentStatement = nullptr;
}

}  // namespace
