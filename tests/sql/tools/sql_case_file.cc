// Splits a golden case file into cases and compares transcripts.
#include "sql_case_file.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

void AddLine(SqlCase& current, const std::string& line) {
  if (!current.started && line.rfind("#:", 0) == 0) {
    current.descriptions.push_back(line.substr(line.size() > 2 && line[2] == ' ' ? 3 : 2));
  } else if (!current.started && line.rfind("#!", 0) == 0) {
    current.directives.push_back(line.substr(line.size() > 2 && line[2] == ' ' ? 3 : 2));
  } else if (!current.started) {
    current.text = line;
    current.started = true;
  } else {
    current.text += "\n" + line;
  }
}

}  // namespace

bool ReadSqlCases(const std::string& path, std::vector<SqlCase>& cases) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  SqlCase current;
  std::string line;
  while (std::getline(in, line)) {
    if (line == kCaseSeparator) {
      if (current.started || !current.descriptions.empty()) cases.push_back(current);
      current = SqlCase{};
      continue;
    }
    AddLine(current, line);
  }
  if (current.started) cases.push_back(current);
  return true;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

int CompareTranscripts(const std::string& actual, const std::string& expected) {
  if (actual == expected) return 0;
  const std::vector<std::string> want = SplitLines(expected);
  const std::vector<std::string> got = SplitLines(actual);
  int shown = 0;
  for (std::size_t i = 0; i < std::max(want.size(), got.size()) && shown < 20; ++i) {
    const std::string w = i < want.size() ? want[i] : "<end>";
    const std::string g = i < got.size() ? got[i] : "<end>";
    if (w == g) continue;
    std::printf("line %zu\n  expected: %s\n  actual:   %s\n", i + 1, w.c_str(), g.c_str());
    ++shown;
  }
  return 1;
}

int FinishTranscript(const std::string& actual, int argc, char** argv, int expectedArgument) {
  if (argc <= expectedArgument) {
    std::fwrite(actual.data(), 1, actual.size(), stdout);
    return 0;
  }
  if (argc > expectedArgument + 1 && std::string(argv[expectedArgument + 1]) == "--write") {
    std::ofstream(argv[expectedArgument], std::ios::binary) << actual;
    return 0;
  }
  std::ifstream in(argv[expectedArgument], std::ios::binary);
  std::stringstream expected;
  expected << in.rdbuf();
  return CompareTranscripts(actual, expected.str());
}
