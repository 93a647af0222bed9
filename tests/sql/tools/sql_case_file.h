// The case file of the parser's golden transcript: cases separated by a
// line "=====", each optionally led by "#:" description lines and "#!"
// directive lines. Read by the golden dump tools and the parse-rate bench.
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

std::vector<std::string> SplitLines(const std::string& text);

// 0 when the transcripts are equal; otherwise prints the first differing
// lines and answers 1.
int CompareTranscripts(const std::string& actual, const std::string& expected);

// The end of every dump tool: with no expected file the transcript goes to
// stdout, with "--write" after it the file is rewritten, else the two are
// compared. expectedArgument is the index of the expected file in argv.
int FinishTranscript(const std::string& actual, int argc, char** argv, int expectedArgument);
