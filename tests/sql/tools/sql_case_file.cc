// Splits the parser's case file into cases; used by parse_dump.
#include "sql_case_file.h"

#include <fstream>

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
