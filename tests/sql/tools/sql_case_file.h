// The case file of the parser's golden transcript: cases separated by a
// line "=====", each optionally led by "#:" description lines and "#!"
// directive lines. Read by parse_dump and the parse-rate bench.
#pragma once

#include <string>
#include <vector>

struct SqlCase {
  std::vector<std::string> descriptions;  // "#:" lines, without the marker
  std::vector<std::string> directives;    // "#!" lines: maxrows N, same-handle, nul N, expand MARK N C
  std::string text;                       // the statement text, lines joined by "\n"
  bool started = false;                   // a text line has been read (it may be empty)
};

inline constexpr const char* kCaseSeparator = "=====";

// False when the file can't be read.
bool ReadSqlCases(const std::string& path, std::vector<SqlCase>& cases);
