// parse_bench: statements parsed per second over the parser's golden case
// file, in a Release build. Prints figures and asserts nothing.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "handles/statement_handle.h"
#include "sql/parse_tree.h"
#include "sql/statement_parser.h"

namespace {

// The statement texts of the case file: blocks between "=====" lines, less
// their "#" lines; cases built by directives are left out.
std::vector<std::string> ReadStatements(const std::string& path) {
  std::vector<std::string> statements;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  std::string text;
  bool started = false;
  bool skip = false;
  while (std::getline(in, line)) {
    if (line == "=====") {
      if (started && !skip) statements.push_back(text);
      text.clear();
      started = skip = false;
    } else if (!started && line.rfind("#", 0) == 0) {
      skip = skip || line.rfind("#! expand", 0) == 0;
    } else {
      text += (started ? "\n" : "") + line;
      started = true;
    }
  }
  return statements;
}

std::string DefaultCasePath() {
  std::string path = __FILE__;
  return path.substr(0, path.rfind("bench/")) + "tests/sql/golden/parse_cases.sql";
}

}  // namespace

int main(int argc, char** argv) {
  const std::string path = argc > 1 ? argv[1] : DefaultCasePath();
  const std::vector<std::string> statements = ReadStatements(path);
  if (statements.empty()) {
    std::fprintf(stderr, "no statements in %s\n", path.c_str());
    return 1;
  }
  std::size_t bytes = 0;
  for (const std::string& text : statements) bytes += text.size();

  StatementHandle statement;
  std::size_t parsed = 0;
  std::size_t succeeded = 0;
  const auto start = std::chrono::steady_clock::now();
  std::chrono::duration<double> elapsed{};
  for (int round = 0; elapsed.count() < 3.0; ++round) {
    for (const std::string& text : statements) {
      succeeded += ParseStatement(statement, nullptr, text.data(), text.size(), statement.parseTree) == 0;
      FreeParseTree(statement.parseTree);
      ++parsed;
    }
    elapsed = std::chrono::steady_clock::now() - start;
  }
  const double rounds = static_cast<double>(parsed) / static_cast<double>(statements.size());
  std::printf("cases: %zu (%zu bytes), parsed %zu statements (%zu succeeded) in %.2f s\n", statements.size(), bytes,
              parsed, succeeded, elapsed.count());
  std::printf("statements per second: %.0f\n", static_cast<double>(parsed) / elapsed.count());
  std::printf("megabytes per second: %.1f\n", rounds * static_cast<double>(bytes) / elapsed.count() / 1e6);
  return 0;
}
