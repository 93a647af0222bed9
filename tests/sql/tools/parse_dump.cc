// parse_dump: parses every case of a case file and prints each tree's
// canonical text; with an expected file it compares and reports the first
// differences (the golden transcript test), with --write it rewrites it.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "handles/statement_handle.h"
#include "sql/parse_tree.h"
#include "sql/statement_parser.h"
#include "sql_case_file.h"
#include "tree_dump.h"

namespace {

void ApplyDirective(const std::string& directive, StatementHandle& statement, std::string& text) {
  std::istringstream words(directive);
  std::string name;
  long long value = 0;
  words >> name >> value;
  if (name == "maxrows") statement.maxRows = value;
  if (name == "nul" && value >= 0 && static_cast<std::size_t>(value) < text.size()) text[value] = '\0';
  if (name == "expand") {
    // expand MARK COUNT CHAR: MARK becomes COUNT copies of CHAR.
    std::string mark;
    std::size_t count = 0;
    char fill = 'a';
    std::istringstream(directive.substr(6)) >> mark >> count >> fill;
    std::size_t at = text.find(mark);
    if (!mark.empty() && at != std::string::npos) text.replace(at, mark.size(), std::string(count, fill));
  }
}

bool HasDirective(const SqlCase& sqlCase, const std::string& name) {
  for (const std::string& directive : sqlCase.directives) {
    if (directive.rfind(name, 0) == 0) return true;
  }
  return false;
}

std::string RunCases(const std::vector<SqlCase>& cases) {
  std::string out;
  auto statement = std::make_unique<StatementHandle>();
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const SqlCase& sqlCase = cases[i];
    if (!HasDirective(sqlCase, "same-handle")) {
      FreeParseTree(statement->parseTree);
      statement = std::make_unique<StatementHandle>();
    }
    std::string text = sqlCase.text;
    for (const std::string& directive : sqlCase.directives) ApplyDirective(directive, *statement, text);
    out += "=== " + std::to_string(i + 1);
    for (const std::string& description : sqlCase.descriptions) out += " " + description;
    out += "\nSQL: " + QuoteShortText(text) + "\n";
    statement->diagnostic.detailText.clear();
    MessageId id = ParseStatement(*statement, nullptr, text.data(), text.size(), statement->parseTree);
    out += DumpParseResult(*statement, statement->parseTree, id);
  }
  FreeParseTree(statement->parseTree);
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: parse_dump CASES [EXPECTED [--write]]\n");
    return 2;
  }
  std::vector<SqlCase> cases;
  if (!ReadSqlCases(argv[1], cases)) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 2;
  }
  const std::string actual = RunCases(cases);
  return FinishTranscript(actual, argc, argv, 2);
}
