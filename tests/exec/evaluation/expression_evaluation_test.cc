// EvaluateRowExpression on statements bound over the driver's pseudo-tables,
// which open without the service: the three-valued logic, AND's early stop,
// chains 100,000 deep on a small stack, the NULL tests, IN and BETWEEN,
// text and LIKE on a real column, quantified sub-selects over a scripted
// source, scalar-function arguments, DISTINCT records and the warnings that
// let evaluation go on.
#include <gtest/gtest.h>

#include <pthread.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "exec/evaluation/bound_statement.h"
#include "exec/evaluation/evaluation_fakes.h"
#include "exec/expression_evaluation.h"
#include "exec/spool_files.h"
#include "handles/connection_record.h"
#include "handles/handles.h"
#include "tables/table_cursor.h"
#include "tables/table_select.h"

namespace {

constexpr char kIdentity[] = " FROM \"@@identity\"";
constexpr char kSettings[] = " FROM \"TARVOX CONNECTION CONFIG\"";

// What a condition or number came to, as one letter or its value.
std::string Outcome(MessageId id, const ValueCell& cell) {
  if (id != kMsgSuccess && id != kMsgDataTruncated) return "error " + std::to_string(id);
  if (cell.nullFlag != 0) return "U";
  if (cell.valueType == kValueInteger && cell.sqlType == -7) return cell.value.number == 1.0 ? "T" : "F";
  if (cell.valueType == kValueCharacter || cell.valueType == kValueNumeric) return "'" + cell.bytes + "'";
  char text[32];
  std::snprintf(text, sizeof text, "%.15g", cell.value.number);
  return text;
}

// A connection around the pseudo-tables, with one statement on it.
struct PseudoStatement {
  EnvironmentHandle environment;
  ConnectionHandle connection;
  ConnectionRecord record;
  StatementHandle statement;
  ScopedEvaluationFakes fakes;

  PseudoStatement() {
    connection.environment = &environment;
    connection.record = &record;
    record.connection = &connection;
    statement.connection = &connection;
    record.currentStatement = &statement;
  }
  ~PseudoStatement() { FreeParseTree(statement.parseTree); }

  ParseTree& Tree() { return *statement.parseTree; }
  ValueCell& Cell(NodeIndex node) { return Tree().nodes[node].cell; }

  // Prepares the text and puts every FROM table on its first row.
  MessageId Prepare(const std::string& text) {
    if (MessageId id = PrepareStatementTree(statement, &record, text)) return id;
    for (NodeIndex table : FromTables(Tree())) {
      TableCursor& cursor = *Tree().nodes[table].fields.tableReference.cursor;
      if (MessageId id = ExecuteTableSelect(cursor)) return id;
      if (MessageId id = FetchNextRow(cursor, 0)) return id;
    }
    return kMsgSuccess;
  }

  // Stores parameter values as the execute path leaves them: typed by the
  // binder, nullopt for NULL.
  void SetParameters(const std::vector<std::optional<double>>& values) {
    const std::vector<NodeIndex> markers = ParameterMarkers(Tree());
    ASSERT_EQ(markers.size(), values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
      ValueCell& cell = Cell(markers[i]);
      cell.nullFlag = values[i] ? 0 : 1;
      cell.value.number = values[i].value_or(0);
    }
  }

  // The first FROM table's NULL row, as an outer join without partner sets it.
  void SetNullRow(bool on) { Tree().nodes[FromTables(Tree())[0]].fields.tableReference.nullRow = on ? 1 : 0; }

  std::string EvaluateWhere() {
    const NodeIndex where = WhereOf(Tree());
    return Outcome(EvaluateRowExpression(statement, Tree(), where), Cell(where));
  }
};

std::vector<std::optional<double>> TruthValue(char letter) {
  if (letter == 'U') return {std::nullopt};
  return {letter == 'T' ? 1.0 : 0.0};
}

TEST(EvaluateRowExpression, ThreeValuedLogic) {
  struct Case {
    char a;
    char b;
    const char* andResult;
    const char* orResult;
  } cases[] = {
      {'T', 'T', "T", "T"}, {'T', 'F', "F", "T"}, {'T', 'U', "U", "T"},
      {'F', 'T', "F", "T"}, {'F', 'F', "F", "F"}, {'F', 'U', "F", "U"},
      {'U', 'T', "U", "T"}, {'U', 'F', "F", "U"}, {'U', 'U', "U", "U"},
  };
  for (const Case& c : cases) {
    for (const char* op : {"AND", "OR"}) {
      PseudoStatement s;
      ASSERT_EQ(s.Prepare(std::string("SELECT IDENTITY") + kIdentity + " WHERE ? >= 1 " + op + " ? >= 1"), kMsgSuccess);
      std::vector<std::optional<double>> values = TruthValue(c.a);
      values.push_back(TruthValue(c.b)[0]);
      s.SetParameters(values);
      EXPECT_EQ(s.EvaluateWhere(), std::string(op)[0] == 'A' ? c.andResult : c.orResult) << c.a << " " << op << " " << c.b;
    }
  }
  for (const auto& [a, notA] : {std::pair{'T', "F"}, {'F', "T"}, {'U', "U"}}) {
    PseudoStatement s;
    ASSERT_EQ(s.Prepare(std::string("SELECT IDENTITY") + kIdentity + " WHERE NOT ? >= 1"), kMsgSuccess);
    s.SetParameters(TruthValue(a));
    EXPECT_EQ(s.EvaluateWhere(), notA) << "NOT " << a;
  }
}

// AND stops at the first false operand, so what follows it can't fail the
// row; OR evaluates both sides.
TEST(EvaluateRowExpression, AndStopsAtTheFirstFalseOperand) {
  struct Case {
    const char* condition;
    std::vector<std::optional<double>> parameters;
    const char* outcome;
  } cases[] = {
      {"1 = 0 AND 1 / 0 = 1", {}, "F"},
      {"1 = 1 AND 1 / 0 = 1", {}, "error 1053"},
      {"1 / 0 = 1 AND 1 = 0", {}, "error 1053"},
      {"? >= 1 AND 1 = 0 AND 1 / 0 = 1", {std::nullopt}, "F"},
      {"1 = 1 AND (1 = 0 OR 2 = 2) AND 3 = 3", {}, "T"},
      {"1 = 1 OR 1 / 0 = 1", {}, "error 1053"},
      {"1 = 0 OR (2 = 2 AND 1 = 0) OR 4 = 4", {}, "T"},
  };
  for (const Case& c : cases) {
    PseudoStatement s;
    ASSERT_EQ(s.Prepare(std::string("SELECT IDENTITY") + kIdentity + " WHERE " + c.condition), kMsgSuccess)
        << c.condition;
    s.SetParameters(c.parameters);
    EXPECT_EQ(s.EvaluateWhere(), c.outcome) << c.condition;
  }
}

std::string Repeat(const std::string& text, int count, const std::string& separator) {
  std::string out;
  out.reserve((text.size() + separator.size()) * static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) out += (i ? separator : "") + text;
  return out;
}

struct StackRun {
  PseudoStatement* statement;
  NodeIndex node;
  MessageId id;
};

// Runs the evaluation on a thread with a quarter of a mebibyte of stack:
// one native frame per node of a 100,000-deep chain would overflow it many
// times over.
MessageId EvaluateOnSmallStack(PseudoStatement& s, NodeIndex node) {
  StackRun run{&s, node, kMsgInternalError};
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, 256 * 1024);
  pthread_t thread;
  const auto body = [](void* argument) -> void* {
    auto* r = static_cast<StackRun*>(argument);
    r->id = EvaluateRowExpression(r->statement->statement, r->statement->Tree(), r->node);
    return nullptr;
  };
  if (pthread_create(&thread, &attributes, body, &run) != 0) return kMsgInternalError;
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attributes);
  return run.id;
}

// The parser builds chains 100,000 deep (a + b + ... down the left, AND and
// OR down the right); shorter chains of OR and IN items make the same walk.
TEST(EvaluateRowExpression, ChainsOfAHundredThousandNeedNoNativeStack) {
  const int deep = 100000;
  const int shorter = 20000;
  const std::string where = "SELECT IDENTITY" + std::string(kIdentity) + " WHERE ";
  struct Case {
    std::string text;
    bool item;  // evaluate the first select item rather than the WHERE condition
    std::vector<std::optional<double>> parameters;
    const char* outcome;
  } cases[] = {
      {"SELECT " + Repeat("IDENTITY", deep, " + ") + kIdentity, true, {}, "300000"},
      {where + Repeat("IDENTITY = 3", deep, " AND ") + " AND IDENTITY = ?", false, {3}, "T"},
      {where + Repeat("IDENTITY = 3", deep, " AND ") + " AND IDENTITY = ?", false, {4}, "F"},
      {where + Repeat("IDENTITY = 4", shorter, " OR ") + " OR IDENTITY = 3", false, {}, "T"},
      {where + "IDENTITY IN (" + Repeat("4", shorter, ",") + ", 3)", false, {}, "T"},
  };
  PseudoStatement s;
  s.record.lastImportRecordId = 3;
  std::string prepared;
  for (const Case& c : cases) {
    if (c.text != prepared) {
      ASSERT_EQ(s.Prepare(c.text), kMsgSuccess) << c.text.substr(0, 60);
      prepared = c.text;
    }
    s.SetParameters(c.parameters);
    const NodeIndex node = c.item ? SelectItems(s.Tree())[0] : WhereOf(s.Tree());
    EXPECT_EQ(Outcome(EvaluateOnSmallStack(s, node), s.Cell(node)), c.outcome) << c.text.substr(0, 60);
  }
}

// x = NULL (IS NULL) and x = ? with a NULL value test for NULL, whichever
// side the marker stands on; other comparisons with NULL are unknown; IN
// passes over NULL items.
TEST(EvaluateRowExpression, NullTests) {
  struct Case {
    const char* condition;
    std::vector<std::optional<double>> parameters;
    const char* whenNull;  // x is NULL
    const char* whenTwo;   // x is 2
  } cases[] = {
      {"IDENTITY IS NULL", {}, "T", "F"},
      {"IDENTITY IS NOT NULL", {}, "F", "T"},
      {"IDENTITY = ?", {std::nullopt}, "T", "F"},
      {"IDENTITY <> ?", {std::nullopt}, "F", "T"},
      {"? = IDENTITY", {std::nullopt}, "T", "F"},
      {"? <> IDENTITY", {std::nullopt}, "F", "T"},
      {"IDENTITY < ?", {std::nullopt}, "U", "U"},
      {"IDENTITY = ?", {2}, "U", "T"},
      {"IDENTITY + 1 = 3", {}, "U", "T"},
      {"IDENTITY IN (1, ?)", {std::nullopt}, "U", "F"},
      {"IDENTITY NOT IN (1, ?)", {std::nullopt}, "U", "T"},
      {"IDENTITY IN (?, 2)", {std::nullopt}, "U", "T"},
      {"IDENTITY NOT IN (2, 3)", {}, "U", "F"},
      {"IDENTITY BETWEEN ? AND 10", {std::nullopt}, "U", "U"},
      {"IDENTITY BETWEEN 1 AND ?", {3}, "U", "T"},
      {"NOT IDENTITY IS NULL", {}, "F", "T"},
  };
  for (const Case& c : cases) {
    for (bool isNull : {true, false}) {
      PseudoStatement s;
      s.record.lastImportRecordId = 2;
      ASSERT_EQ(s.Prepare(std::string("SELECT IDENTITY") + kIdentity + " WHERE " + c.condition), kMsgSuccess)
          << c.condition;
      s.SetParameters(c.parameters);
      s.SetNullRow(isNull);
      EXPECT_EQ(s.EvaluateWhere(), isNull ? c.whenNull : c.whenTwo) << c.condition << (isNull ? " NULL" : " 2");
    }
  }
}

// The service only narrows the rows: a predicate it was sent is still
// evaluated on every row that comes back, including the negative forms the
// service's rules for empty fields would keep.
TEST(EvaluateRowExpression, PushedPredicatesAreStillEvaluated) {
  const struct {
    const char* condition;
    bool nullRow;  // the row's IDENTITY is NULL, as an empty field would be
  } cases[] = {{"IDENTITY NOT IN (1, 2)", false}, {"IDENTITY NOT BETWEEN 1 AND 5", false}, {"IDENTITY <> 2", false},
               {"IDENTITY = 3", false},           {"IDENTITY IS NOT NULL", true},          {"IDENTITY <> 7", true}};
  for (const auto& c : cases) {
    PseudoStatement s;
    s.record.lastImportRecordId = 2;
    ASSERT_EQ(s.Prepare(std::string("SELECT IDENTITY") + kIdentity + " WHERE " + c.condition), kMsgSuccess);
    const NodeIndex where = WhereOf(s.Tree());
    s.Tree().nodes[where].fields.predicate.pushedFlag = 1;
    TableCursor& cursor = *s.Tree().nodes[FromTables(s.Tree())[0]].fields.tableReference.cursor;
    cursor.criteriaCount = 1;
    cursor.cachedResultGeneration = 0;
    s.SetNullRow(c.nullRow);
    EXPECT_NE(s.EvaluateWhere(), "T") << c.condition;
  }
}

TEST(EvaluateRowExpression, BetweenTakesItsBoundsInEitherOrder) {
  const char* conditions[] = {"IDENTITY BETWEEN 10 AND 1", "IDENTITY BETWEEN 1 AND 10",
                              "IDENTITY NOT BETWEEN 10 AND 1"};
  const struct {
    std::uint32_t x;
    const char* outcomes[3];
  } cases[] = {{0, {"F", "F", "T"}}, {1, {"T", "T", "F"}}, {5, {"T", "T", "F"}}, {10, {"T", "T", "F"}},
               {11, {"F", "F", "T"}}};
  for (const auto& c : cases) {
    for (int i = 0; i < 3; ++i) {
      PseudoStatement s;
      s.record.lastImportRecordId = c.x;
      ASSERT_EQ(s.Prepare(std::string("SELECT IDENTITY") + kIdentity + " WHERE " + conditions[i]), kMsgSuccess);
      EXPECT_EQ(s.EvaluateWhere(), c.outcomes[i]) << c.x << " " << conditions[i];
    }
  }
}

// Text read from a VARCHAR column of the settings table.
TEST(EvaluateRowExpression, TextComparisonAndLike) {
  struct Case {
    const char* value;
    const char* condition;
    const char* outcome;
  } cases[] = {
      {"abc", "qVALUE = 'ABC  '", "T"},
      {"abc  ", "qVALUE = 'abc'", "T"},
      {"abc", "qVALUE <> 'abd'", "T"},
      {"abc", "qVALUE < 'abcd'", "T"},
      {"abc", "qVALUE LIKE 'A%'", "T"},
      {"abc", "qVALUE LIKE '_B_'", "T"},
      {"abc", "qVALUE NOT LIKE 'a%'", "F"},
      {"50%", "qVALUE LIKE '50\\%'", "T"},
      {"500", "qVALUE LIKE '50\\%'", "F"},
      {"a_c", "qVALUE LIKE 'a\\_c'", "T"},
      {"abc", "qVALUE LIKE 'a\\_c'", "F"},
      {"abc", "qVALUE + 'd' = 'ABCD'", "T"},
      {"abc", "qPARAMETER = 'k'", "T"},
      {"", "qVALUE = ''", "T"},
      {"", "qVALUE IS NULL", "F"},
  };
  for (const Case& c : cases) {
    PseudoStatement s;
    s.connection.settings["K"] = c.value;
    ASSERT_EQ(s.Prepare(std::string("SELECT qVALUE") + kSettings + " WHERE " + c.condition), kMsgSuccess)
        << c.condition;
    EXPECT_EQ(s.EvaluateWhere(), c.outcome) << "'" << c.value << "' " << c.condition;
  }
}

using Rows = std::vector<std::optional<std::uint32_t>>;

// Quantified comparisons over the scripted sub-select: ALL and ANY over
// empty results and results with NULL, a single-row comparison with none,
// one and two rows, IN and NOT IN over a sub-select, and EXISTS.
TEST(EvaluateRowExpression, SubSelectQuantifiers) {
  const std::string sub = "(SELECT IDENTITY" + std::string(kIdentity) + ")";
  struct Case {
    std::string condition;
    Rows rows;
    const char* outcome;
  } cases[] = {
      {"5 > ALL " + sub, {}, "T"},
      {"5 > ALL " + sub, {1, 2}, "T"},
      {"5 > ALL " + sub, {1, 7}, "F"},
      {"5 > ALL " + sub, {1, std::nullopt}, "U"},
      {"5 > ALL " + sub, {std::nullopt, 7}, "F"},
      {"5 > ANY " + sub, {}, "F"},
      {"5 > ANY " + sub, {7, 1}, "T"},
      {"5 > ANY " + sub, {7, std::nullopt}, "U"},
      {"5 > ANY " + sub, {std::nullopt, 1}, "T"},
      {"5 = " + sub, {}, "U"},
      {"5 = " + sub, {5}, "T"},
      {"5 = " + sub, {4}, "F"},
      {"5 = " + sub, {std::nullopt}, "U"},
      {"5 = " + sub, {5, 5}, "error 1067"},
      {"5 IN " + sub, {3, 5}, "T"},
      {"5 IN " + sub, {3}, "F"},
      {"5 IN " + sub, {3, std::nullopt}, "U"},
      {"5 NOT IN " + sub, {}, "T"},
      {"5 NOT IN " + sub, {3}, "T"},
      {"5 NOT IN " + sub, {5}, "F"},
      {"5 NOT IN " + sub, {3, std::nullopt}, "U"},
      {"EXISTS " + sub, {}, "F"},
      {"EXISTS " + sub, {std::nullopt}, "T"},
      {"NOT EXISTS " + sub, {1}, "F"},
  };
  for (const Case& c : cases) {
    PseudoStatement s;
    ASSERT_EQ(s.Prepare("SELECT IDENTITY" + std::string(kIdentity) + " WHERE " + c.condition), kMsgSuccess)
        << c.condition;
    s.fakes.fakes.subSelect.rows = c.rows;
    EXPECT_EQ(s.EvaluateWhere(), c.outcome) << c.condition << " over " << c.rows.size() << " rows";
    EXPECT_EQ(s.fakes.fakes.subSelect.executions, 1) << c.condition;
  }
}

// What the executor answers: an empty result (1038) is no row, a warning
// (1002) comes back after a decided result, and failures end the evaluation.
TEST(EvaluateRowExpression, SubSelectExecutionResults) {
  const std::string sub = "(SELECT IDENTITY" + std::string(kIdentity) + ")";
  struct Case {
    std::string condition;
    std::vector<std::optional<double>> parameters;
    MessageId executeResult;
    MessageId positionFailure;
    MessageId id;
    const char* outcome;
    int executions;
  } cases[] = {
      {"EXISTS " + sub, {}, kMsgNoDataFound, 0, 0, "F", 1},
      {"5 > ALL " + sub, {}, kMsgNoDataFound, 0, 0, "T", 1},
      {"5 > ALL " + sub, {}, kMsgDataTruncated, 0, kMsgDataTruncated, "T", 1},
      {"EXISTS " + sub, {}, kMsgDataTruncated, 0, kMsgDataTruncated, "T", 1},
      {"5 > ANY " + sub, {}, kMsgUnableToOrderBy, 0, kMsgUnableToOrderBy, "", 1},
      {"5 > ANY " + sub, {}, 0, kMsgInvalidCursorState, kMsgInvalidCursorState, "", 1},
      // A NULL operand decides nothing over rows, but ALL holds and ANY fails over none.
      {"? > ALL " + sub, {std::nullopt}, 0, 0, 0, "U", 1},
      {"? > ALL " + sub, {std::nullopt}, kMsgNoDataFound, 0, 0, "T", 1},
      {"? NOT IN " + sub, {std::nullopt}, kMsgNoDataFound, 0, 0, "T", 1},
      {"? > ANY " + sub, {std::nullopt}, kMsgNoDataFound, 0, 0, "F", 1},
      {"? = " + sub, {std::nullopt}, kMsgNoDataFound, 0, 0, "U", 1},
  };
  for (const Case& c : cases) {
    PseudoStatement s;
    ASSERT_EQ(s.Prepare("SELECT IDENTITY" + std::string(kIdentity) + " WHERE " + c.condition), kMsgSuccess)
        << c.condition;
    s.SetParameters(c.parameters);
    ScriptedSubSelect& script = s.fakes.fakes.subSelect;
    script.rows = {1};
    script.executeResult = c.executeResult;
    script.positionFailure = c.positionFailure;
    const NodeIndex where = WhereOf(s.Tree());
    const MessageId id = EvaluateRowExpression(s.statement, s.Tree(), where);
    EXPECT_EQ(id, c.id) << c.condition;
    if (id == kMsgSuccess || id == kMsgDataTruncated) {
      EXPECT_EQ(Outcome(id, s.Cell(where)), c.outcome) << c.condition;
    }
    EXPECT_EQ(script.executions, c.executions) << c.condition;
  }
}

// After a NULL argument the rest are not evaluated (the division by zero
// never runs), except for IFNULL, which evaluates both.
TEST(EvaluateRowExpression, ScalarFunctionArguments) {
  struct Case {
    const char* call;
    bool firstIsNull;
    const char* outcome;
  } cases[] = {
      {"{fn MOD(IDENTITY, 1 / 0)}", true, "U"},
      {"{fn MOD(IDENTITY, 1 / 0)}", false, "error 1053"},
      {"{fn MOD(IDENTITY, 4)}", false, "7"},
      {"{fn IFNULL(IDENTITY, 1 / 0)}", true, "error 1053"},
  };
  for (const Case& c : cases) {
    PseudoStatement s;
    s.record.lastImportRecordId = 7;
    ASSERT_EQ(s.Prepare(std::string("SELECT ") + c.call + kIdentity), kMsgSuccess) << c.call;
    s.SetNullRow(c.firstIsNull);
    const NodeIndex call = SelectItems(s.Tree())[0];
    EXPECT_EQ(Outcome(EvaluateRowExpression(s.statement, s.Tree(), call), s.Cell(call)), c.outcome) << c.call;
    EXPECT_EQ(s.fakes.fakes.functionCalls, std::string(c.outcome) == "error 1053" ? 0 : 1) << c.call;
  }
}

// Once a SELECT's rows are DISTINCT records, its items are read from them:
// nothing is computed and no table is read.
TEST(EvaluateRowExpression, DistinctRowsAreReadFromTheirRecords) {
  PseudoStatement s;
  ASSERT_EQ(s.Prepare(std::string("SELECT DISTINCT IDENTITY, IDENTITY * 2, {fn ABS(IDENTITY)}") + kIdentity),
            kMsgSuccess);
  const NodeIndex select = StatementNode(s.Tree());
  const SelectFields& f = s.Tree().nodes[select].fields.select;
  std::string record(f.distinctRecordLength, ' ');
  const double values[] = {41, 82, 41};
  const std::vector<NodeIndex> items = SelectItems(s.Tree());
  for (std::size_t i = 0; i < items.size(); ++i) {
    ValueCell value = s.Cell(items[i]);
    value.nullFlag = i == 2 ? 1 : 0;
    value.value.number = values[i];
    const std::uint32_t position = i == 0   ? s.Tree().nodes[items[i]].fields.columnReference.distinctPosition
                                   : i == 1 ? s.Tree().nodes[items[i]].fields.arithmetic.distinctPosition
                                            : s.Tree().nodes[items[i]].fields.scalarFunction.distinctPosition;
    ASSERT_GT(position, 0u);
    ASSERT_EQ(EncodeSpooledValue(value, 8, reinterpret_cast<unsigned char*>(&record[position - 1])), kMsgSuccess);
  }
  SpoolWriter writer;
  ASSERT_EQ(OpenSpoolWriter(writer), kMsgSuccess);
  ASSERT_EQ(WriteSpoolBytes(writer, record.data(), static_cast<std::uint32_t>(record.size())), 
            static_cast<std::int64_t>(record.size()));
  ASSERT_EQ(InstallResultFile(s.Tree(), select, writer, 1), kMsgSuccess);
  s.Tree().nodes[select].fields.select.currentRow = 0;
  s.SetNullRow(true);  // a read of the table would give NULL
  const char* expected[] = {"41", "82", "U"};
  for (std::size_t i = 0; i < items.size(); ++i)
    EXPECT_EQ(Outcome(EvaluateRowExpression(s.statement, s.Tree(), items[i]), s.Cell(items[i])), expected[i]) << i;
  EXPECT_EQ(s.fakes.fakes.functionCalls, 0);
}

// A column's value longer than the column is read whole, and so is a
// marker's value longer than its reserved buffer.
TEST(EvaluateRowExpression, LongColumnsAndMarkersReadWhole) {
  PseudoStatement s;
  s.connection.settings["K"] = "x";
  ASSERT_EQ(s.Prepare(std::string("SELECT qVALUE") + kSettings + " WHERE qVALUE = 'x' OR 1 = 1"), kMsgSuccess);
  const NodeIndex where = WhereOf(s.Tree());
  const NodeIndex column = SelectItems(s.Tree())[0];
  // The column holds 254 characters, whatever their bytes.
  std::string euros;
  for (int i = 0; i < 255; ++i) euros += "\xE2\x82\xAC";
  for (const std::string& text : {std::string(300, 'x'), euros}) {
    s.connection.settings["K"] = text;
    EXPECT_EQ(EvaluateRowExpression(s.statement, s.Tree(), where), kMsgSuccess);
    EXPECT_EQ(Outcome(kMsgSuccess, s.Cell(where)), "T");
    EXPECT_EQ(EvaluateRowExpression(s.statement, s.Tree(), column), kMsgSuccess);
    EXPECT_EQ(s.Cell(column).bytes, text);
  }

  ASSERT_EQ(s.Prepare(std::string("SELECT qVALUE") + kSettings + " WHERE qVALUE = ?"), kMsgSuccess);
  const NodeIndex marker = ParameterMarkers(s.Tree())[0];
  s.Tree().nodes[marker].fields.parameter.resultBuffer = AddValueBuffer(s.Tree(), 256);
  s.Cell(marker).nullFlag = 0;
  const std::string whole = std::string(254, 'x') + "\xC3\xA9" + "tail";
  s.Cell(marker).bytes = whole;
  EXPECT_EQ(EvaluateRowExpression(s.statement, s.Tree(), WhereOf(s.Tree())), kMsgSuccess);
  EXPECT_EQ(s.Cell(marker).bytes, whole);
}

TEST(EvaluateRowExpression, ColumnsOfANullRowAndFailedReads) {
  PseudoStatement s;
  s.connection.settings["K"] = "value";
  s.record.userName = "bob";
  ASSERT_EQ(s.Prepare(std::string("SELECT qVALUE, USER") + kSettings), kMsgSuccess);
  const NodeIndex column = SelectItems(s.Tree())[0];
  const NodeIndex user = SelectItems(s.Tree())[1];
  EXPECT_EQ(Outcome(EvaluateRowExpression(s.statement, s.Tree(), user), s.Cell(user)), "'bob'");
  s.SetNullRow(true);
  EXPECT_EQ(EvaluateRowExpression(s.statement, s.Tree(), column), kMsgSuccess);
  EXPECT_EQ(s.Cell(column).nullFlag, 1);
  EXPECT_EQ(s.Cell(column).bytes, "");

  // A table not on a row: table access's failure ends the evaluation.
  ASSERT_EQ(PrepareStatementTree(s.statement, &s.record, std::string("SELECT qVALUE") + kSettings), kMsgSuccess);
  const NodeIndex unread = SelectItems(s.Tree())[0];
  EXPECT_EQ(EvaluateRowExpression(s.statement, s.Tree(), unread), kMsgInvalidCursorState);
  EXPECT_EQ(EvaluateRowExpression(s.statement, s.Tree(), kNoNode), kMsgInternalError);
  EXPECT_EQ(EvaluateRowExpression(s.statement, s.Tree(), StatementNode(s.Tree())), kMsgInternalError);
}

}  // namespace
