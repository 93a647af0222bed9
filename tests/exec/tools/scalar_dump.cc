// scalar_dump: the golden table of scalar functions. Starts the emulator with
// a one-row fixture holding a value and a NULL of each field type, binds every
// case of a case file against it, evaluates the call on that row and prints
// its result type and value (or SQLSTATE and message). With an expected file
// it compares under the process's TZ; "--write" rewrites the file from runs
// under every zone of kGoldenZones, tagging the lines that differ by zone.
//
// Case directives: "zoned" (the answer may depend on the zone: timestamps
// read from the service), "clock" (the value is compared with the clock
// instead of printed), "tzoffset N" (the connection's TIMEZONEOFFSET).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <sqlext.h>

#include "common/diagnostics.h"
#include "connection/quickbase_client.h"
#include "handles/statement_handle.h"
#include "platform/local_time.h"
#include "platform/utf8_text.h"
#include "sql/parse_tree.h"
#include "sql/scalar_function_table.h"
#include "sql/semantic_pass.h"
#include "sql/statement_parser.h"
#include "sql_case_file.h"
#include "support/scalar_test_support.h"
#include "tables/emulator_session.h"
#include "tables/row_values.h"
#include "tables/table_select.h"
#include "zoned_golden.h"

namespace {

void PrepareConnection(EmulatorSession& emulator, const SqlCase& sqlCase) {
  const std::string* offset = CaseDirective(sqlCase, "tzoffset");
  emulator.connection.timezoneOffsetSet = offset != nullptr;
  emulator.connection.timezoneOffsetMinutes = offset != nullptr ? std::atoi(offset->c_str() + 9) : 0;
  emulator.Record().client->localOffsetMemo = LocalOffsetMemo{};
}

SQLSMALLINT CTypeFor(std::int16_t valueType) {
  switch (valueType) {
    case kValueInteger:
    case kValueDouble: return SQL_C_DOUBLE;
    case kValueDate: return SQL_C_DATE;
    case kValueTime: return SQL_C_TIME;
    case kValueTimestamp: return SQL_C_TIMESTAMP;
    case kValueBinary: return SQL_C_BINARY;
    default: return SQL_C_CHAR;
  }
}

// Reads a column of the current row into its cell, as the evaluator will.
MessageId LoadColumn(ParseTree& tree, NodeIndex node) {
  ValueCell& cell = tree.nodes[node].cell;
  const ColumnReferenceFields& f = tree.nodes[node].fields.columnReference;
  TableCursor* cursor = tree.nodes[f.tableReference].fields.tableReference.cursor;
  if (cursor == nullptr) return kMsgInternalError;
  const SQLSMALLINT cType = CTypeFor(cell.valueType);
  // A text's size counts characters of up to four bytes.
  std::vector<char> buffer(static_cast<std::size_t>(std::max(cell.size, 0)) * kMaxUtf8CharacterBytes + 32);
  SQLLEN offset = 0;
  SQLLEN length = 0;
  MessageId id = GetRowColumnData(*cursor, static_cast<std::uint16_t>(f.columnNumber), &offset, cType, buffer.data(),
                                  static_cast<SQLLEN>(buffer.size()), &length);
  if (id != kMsgSuccess && id != kRowDataCut) return id;
  cell.nullFlag = length == SQL_NULL_DATA ? 1 : 0;
  cell.bytes.clear();
  if (cell.nullFlag != 0) return kMsgSuccess;
  switch (cType) {
    case SQL_C_DOUBLE: std::memcpy(&cell.value.number, buffer.data(), sizeof(double)); break;
    case SQL_C_DATE: std::memcpy(&cell.value.date, buffer.data(), sizeof(SQL_DATE_STRUCT)); break;
    case SQL_C_TIME: std::memcpy(&cell.value.time, buffer.data(), sizeof(SQL_TIME_STRUCT)); break;
    case SQL_C_TIMESTAMP: std::memcpy(&cell.value.timestamp, buffer.data(), sizeof(SQL_TIMESTAMP_STRUCT)); break;
    default:
      cell.bytes.assign(buffer.data(), std::min<std::size_t>(static_cast<std::size_t>(length), buffer.size()));
      if (cType == SQL_C_CHAR) cell.bytes.resize(std::strlen(cell.bytes.c_str()));
      break;
  }
  return kMsgSuccess;
}

// Every table of the statement stands on its first (and only) row.
MessageId PositionTables(ParseTree& tree) {
  for (ParseNode& node : tree.nodes) {
    if (node.kind != kNodeTableReference || node.fields.tableReference.cursor == nullptr) continue;
    TableCursor& cursor = *node.fields.tableReference.cursor;
    if (MessageId id = ExecuteTableSelect(cursor)) return id;
    if (MessageId id = FetchNextRow(cursor, 0)) return id;
  }
  return kMsgSuccess;
}

// Long texts are shown by their start and length, so the transcript stays
// readable.
std::string TranscriptValue(const ValueCell& cell) {
  const std::string text = ShowValue(cell);
  if (text.size() <= 300) return text;
  return text.substr(0, Utf8PrefixBytes(text, 60)) + "... (" + std::to_string(cell.bytes.size()) + " bytes)";
}

std::string ErrorLine(const StatementHandle& statement, MessageId id) {
  const RenderedMessage message = RenderMessage(id, statement.diagnostic.detailText, statement.diagnostic.messageText);
  return "error " + message.odbc3State + " " + message.text;
}

std::int64_t WallSecondsNow(const ConnectionHandle& connection) {
  const std::int64_t utc = UtcSecondsNow();
  return utc + (connection.timezoneOffsetSet ? connection.timezoneOffsetMinutes * 60 : LocalUtcOffsetSeconds(utc));
}

// "now" when the current date, time or timestamp is within 2 s of the clock
// in the connection's zone.
std::string ClockLine(const ConnectionHandle& connection, const ValueCell& cell) {
  std::int64_t distance = 0;
  const std::int64_t wall = WallSecondsNow(connection);
  if (cell.valueType == kValueTimestamp) {
    const SQL_TIMESTAMP_STRUCT& t = cell.value.timestamp;
    distance = ClockDistance(ClockValueKind::kTimestamp, t.year, t.month, t.day, t.hour, t.minute, t.second, wall);
  } else if (cell.valueType == kValueTime) {
    const SQL_TIME_STRUCT& t = cell.value.time;
    distance = ClockDistance(ClockValueKind::kTime, 0, 1, 1, t.hour, t.minute, t.second, wall);
  } else if (cell.valueType == kValueDate) {
    const SQL_DATE_STRUCT& d = cell.value.date;
    distance = ClockDistance(ClockValueKind::kDate, d.year, d.month, d.day, 0, 0, 0, wall);
  } else {
    return "value " + ShowValue(cell) + " (not a date or time)";
  }
  return std::llabs(distance) <= 2 ? "value now" : "value " + ShowValue(cell) + " (off the clock by " +
                                                        std::to_string(distance) + " s)";
}

void NoteRows(const ParseTree& tree, std::set<std::uint16_t>& rows) {
  for (const ParseNode& node : tree.nodes) {
    if (node.kind == kNodeScalarFunction) rows.insert(node.fields.scalarFunction.functionRow);
  }
}

std::string RunCase(EmulatorSession& emulator, const SqlCase& sqlCase, std::set<std::uint16_t>& rows) {
  PrepareConnection(emulator, sqlCase);
  auto statement = std::make_unique<StatementHandle>();
  statement->connection = &emulator.connection;
  emulator.Record().currentStatement = statement.get();
  const std::string& text = sqlCase.text;
  MessageId id = ParseStatement(*statement, &emulator.Record(), text.data(), text.size(), statement->parseTree);
  if (id == kMsgSuccess) statement->diagnostic.detailText.clear();
  if (id == kMsgSuccess) id = BindStatementTree(*statement, *statement->parseTree, 0, 0, 0, kNoNode, kNoNode);
  std::string out;
  if (id != kMsgSuccess) {
    out = "type -\n" + ErrorLine(*statement, id) + "\n";
  } else {
    ParseTree& tree = *statement->parseTree;
    NoteRows(tree, rows);
    const NodeIndex expression = FirstSelectExpression(tree);
    out = "type " + ShowShape(tree.nodes[expression].cell) + "\n";
    id = PositionTables(tree);
    if (id == kMsgSuccess) id = EvaluateTestExpression(*statement, tree, expression, LoadColumn);
    const ValueCell& cell = tree.nodes[expression].cell;
    if (id != kMsgSuccess) out += ErrorLine(*statement, id) + "\n";
    else if (CaseDirective(sqlCase, "clock") != nullptr) out += ClockLine(emulator.connection, cell) + "\n";
    else out += "value " + TranscriptValue(cell) + "\n";
  }
  emulator.Record().currentStatement = nullptr;
  FreeParseTree(statement->parseTree);
  return out;
}

std::string CoverageLine(const std::set<std::uint16_t>& rows) {
  std::string missing;
  for (std::uint16_t row = 0; row < kScalarFunctionRowCount; ++row) {
    if (rows.count(row) == 0) missing += " " + std::to_string(row);
  }
  return "function rows bound: " + std::to_string(rows.size()) + " of " + std::to_string(kScalarFunctionRowCount) +
         (missing.empty() ? "" : "; missing:" + missing) + "\n";
}

std::vector<std::string> RunCases(EmulatorSession& emulator, const std::vector<SqlCase>& cases, std::string& coverage) {
  std::vector<std::string> outputs;
  std::set<std::uint16_t> rows;
  for (const SqlCase& sqlCase : cases) outputs.push_back(RunCase(emulator, sqlCase, rows));
  coverage = CoverageLine(rows);
  return outputs;
}

void UseZone(const char* zone) {
  setenv("TZ", zone, 1);
  ReloadLocalTimeZone();
}

std::string Transcript(const std::vector<SqlCase>& cases, const std::vector<std::string>& outputs,
                       const std::string& coverage) {
  std::string out;
  for (std::size_t i = 0; i < cases.size(); ++i) out += CaseHeader(cases, i) + outputs[i];
  return out + coverage;
}

// One expected file for every zone; only "zoned" cases may differ.
int WriteExpected(EmulatorSession& emulator, const std::vector<SqlCase>& cases, const std::string& path) {
  std::vector<std::string> transcripts;
  for (const char* zone : kGoldenZones) {
    UseZone(zone);
    std::string coverage;
    const std::vector<std::string> outputs = RunCases(emulator, cases, coverage);
    transcripts.push_back(Transcript(cases, outputs, coverage));
  }
  std::string merged;
  const bool ok = MergeZoneTranscripts(cases, transcripts, merged);
  std::ofstream(path, std::ios::binary) << merged;
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: scalar_dump FIXTURE CASES [EXPECTED [--write]]\n");
    return 2;
  }
  std::vector<SqlCase> cases;
  if (!ReadSqlCases(argv[2], cases)) {
    std::fprintf(stderr, "cannot read %s\n", argv[2]);
    return 2;
  }
  EmulatorSession emulator;
  // An empty text field reads as NULL, so the fixture's row has a NULL text.
  if (!emulator.Start(argv[1], "TEXTNULL=1")) {
    std::fprintf(stderr, "the emulator did not start with %s\n", argv[1]);
    return 2;
  }
  if (argc > 4 && std::string(argv[4]) == "--write") return WriteExpected(emulator, cases, argv[3]);
  const char* zone = std::getenv("TZ");
  const std::string zoneName = zone != nullptr ? zone : "";
  if (!ZoneIsKnown(zoneName)) {
    std::fprintf(stderr, "the system has no zone data for %s\n", zoneName.c_str());
    return 2;
  }
  std::string coverage;
  const std::vector<std::string> outputs = RunCases(emulator, cases, coverage);
  const std::string actual = Transcript(cases, outputs, coverage);
  if (argc == 3) {
    std::fwrite(actual.data(), 1, actual.size(), stdout);
    return 0;
  }
  std::ifstream in(argv[3], std::ios::binary);
  std::stringstream expected;
  expected << in.rdbuf();
  return CompareTranscripts(actual, ExpectedForZone(expected.str(), zoneName));
}
