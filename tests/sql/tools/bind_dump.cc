// bind_dump: starts the emulator with a schema fixture, connects, then parses
// and binds every case of a case file and prints each bound tree; with an
// expected file it compares (the golden transcript test), with --write it
// rewrites it. Directives: "odbc2" binds under ODBC 2, "hyphens" sets
// FIELDNAMEHYPHENS, "access" makes the host msaccess.exe.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "connection/quickbase_client.h"
#include "exec/sort_engine.h"
#include "handles/connection_record.h"
#include "handles/statement_handle.h"
#include "sql/parse_tree.h"
#include "sql/semantic_pass.h"
#include "sql/statement_parser.h"
#include "sql_case_file.h"
#include "tables/emulator_session.h"
#include "tree_dump.h"

namespace {

bool HasDirective(const SqlCase& sqlCase, const std::string& name) {
  return std::find(sqlCase.directives.begin(), sqlCase.directives.end(), name) != sqlCase.directives.end();
}

// Every sort text the pass writes must be one the sort engine accepts.
std::string RefusedSpecifications(const ParseTree& tree) {
  std::string out;
  for (const ParseNode& node : tree.nodes) {
    if (node.kind != kNodeSelect) continue;
    const SelectFields& f = node.fields.select;
    for (ValueIndex text : {f.sortSpec, f.groupOrderSpec, f.distinctSpec}) {
      SortSpec order;
      if (text != kNoValue && ParseSortSpec(GetValueText(tree, text), order) != kMsgSuccess)
        out += "REFUSED BY THE SORT ENGINE: " + GetValueText(tree, text) + "\n";
    }
  }
  return out;
}

// Each case starts from the same connection state: the schemas stay cached,
// the fields to fetch and the options are reset.
void PrepareConnection(EmulatorSession& emulator, const SqlCase& sqlCase) {
  ConnectionRecord& record = emulator.Record();
  for (auto& table : record.client->caches.tables) table.second.fieldsToFetch.clear();
  emulator.environment.odbcVersion = HasDirective(sqlCase, "odbc2") ? 2 : 3;
  emulator.connection.settings.erase("FIELDNAMEHYPHENS");
  if (HasDirective(sqlCase, "hyphens")) emulator.connection.settings["FIELDNAMEHYPHENS"] = "1";
  record.hostIsAccessOrQuery = HasDirective(sqlCase, "access") ? 1 : 0;
}

std::string RunCase(EmulatorSession& emulator, const SqlCase& sqlCase) {
  PrepareConnection(emulator, sqlCase);
  auto statement = std::make_unique<StatementHandle>();
  statement->connection = &emulator.connection;
  emulator.Record().currentStatement = statement.get();
  const std::string& text = sqlCase.text;
  MessageId id = ParseStatement(*statement, &emulator.Record(), text.data(), text.size(), statement->parseTree);
  // A parse that succeeded may leave the detail of an alternative it tried.
  if (id == kMsgSuccess) statement->diagnostic.detailText.clear();
  if (id == kMsgSuccess) id = BindStatementTree(*statement, *statement->parseTree, 0, 0, 0, kNoNode, kNoNode);
  std::string out = DumpBindResult(*statement, statement->parseTree, id);
  if (id == kMsgSuccess) out += RefusedSpecifications(*statement->parseTree);
  emulator.Record().currentStatement = nullptr;
  FreeParseTree(statement->parseTree);
  return out;
}

std::string RunCases(EmulatorSession& emulator, const std::vector<SqlCase>& cases) {
  std::string out;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    out += "=== " + std::to_string(i + 1);
    for (const std::string& description : cases[i].descriptions) out += " " + description;
    out += "\nSQL: " + QuoteShortText(cases[i].text) + "\n";
    out += RunCase(emulator, cases[i]);
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bind_dump FIXTURE CASES [EXPECTED [--write]]\n");
    return 2;
  }
  std::vector<SqlCase> cases;
  if (!ReadSqlCases(argv[2], cases)) {
    std::fprintf(stderr, "cannot read %s\n", argv[2]);
    return 2;
  }
  EmulatorSession emulator;
  if (!emulator.Start(argv[1])) {
    std::fprintf(stderr, "the emulator did not start with %s\n", argv[1]);
    return 2;
  }
  const std::string actual = RunCases(emulator, cases);
  return FinishTranscript(actual, argc, argv, 3);
}
