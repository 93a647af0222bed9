// SQL LIKE matching for the evaluator's LIKE predicates and the catalog
// functions' name patterns.
#include "common/like_pattern.h"

#include <sql.h>

#include <cstring>
#include <string_view>

#include "platform/text_fold.h"
#include "platform/utf8_text.h"

namespace {

enum class TokenKind { kAnyRun, kOneCharacter, kLiteral };

struct PatternToken {
  TokenKind kind = TokenKind::kLiteral;
  char literal = 0;
  std::size_t next = 0;
};

struct LikeInput {
  std::string_view text;
  std::string_view pattern;
  char escape = 0;
  bool caseSensitive = false;
};

std::string_view ArgumentText(const char* pointer, SQLLEN length) {
  if (pointer == nullptr) return std::string_view();
  if (length == SQL_NTS) return std::string_view(pointer);
  if (length < 0) return std::string_view();
  return std::string_view(pointer, static_cast<std::size_t>(length));
}

std::string_view WithoutTrailingBlanks(std::string_view text) {
  std::size_t end = text.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
}

// An escape as the pattern's last character has nothing to make literal, so
// it stands for itself.
PatternToken ReadToken(std::string_view pattern, std::size_t at, char escape) {
  char c = pattern[at];
  if (escape != 0 && c == escape && at + 1 < pattern.size())
    return {TokenKind::kLiteral, pattern[at + 1], at + 2};
  if (c == '%' && c != escape) return {TokenKind::kAnyRun, 0, at + 1};
  if (c == '_' && c != escape) return {TokenKind::kOneCharacter, 0, at + 1};
  return {TokenKind::kLiteral, c, at + 1};
}

// Trailing blanks of the text are ignored, so the pattern's trailing blank
// literals, escaped ones included, must be ignored too.
std::string_view SignificantPattern(std::string_view pattern, char escape) {
  std::size_t end = 0;
  for (std::size_t at = 0; at < pattern.size();) {
    PatternToken token = ReadToken(pattern, at, escape);
    if (token.kind != TokenKind::kLiteral || token.literal != ' ') end = token.next;
    at = token.next;
  }
  return pattern.substr(0, end);
}

// Steps over one UTF-8 character: its lead byte and any continuation bytes.
std::size_t NextCharacter(std::string_view text, std::size_t at) {
  ++at;
  while (at < text.size() && IsUtf8Continuation(text[at])) ++at;
  return at;
}

bool SameByte(char a, char b, bool caseSensitive) {
  return a == b || (!caseSensitive && FoldToUpperAZ(a) == FoldToUpperAZ(b));
}

bool OnlyAnyRunsFrom(const LikeInput& in, std::size_t at) {
  while (at < in.pattern.size()) {
    PatternToken token = ReadToken(in.pattern, at, in.escape);
    if (token.kind != TokenKind::kAnyRun) return false;
    at = token.next;
  }
  return true;
}

// Greedy matching that returns only to the latest "%": the text between two
// "%" is matched without choices, so trying later starts for the latest "%"
// finds every match, in time bounded by text length times pattern length.
bool MatchTokens(const LikeInput& in) {
  std::size_t t = 0;
  std::size_t p = 0;
  std::size_t runPattern = std::string_view::npos;
  std::size_t runText = 0;
  while (t < in.text.size()) {
    if (p < in.pattern.size()) {
      PatternToken token = ReadToken(in.pattern, p, in.escape);
      if (token.kind == TokenKind::kAnyRun) {
        runPattern = p = token.next;
        runText = t;
        continue;
      }
      if (token.kind == TokenKind::kOneCharacter || SameByte(in.text[t], token.literal, in.caseSensitive)) {
        t = token.kind == TokenKind::kOneCharacter ? NextCharacter(in.text, t) : t + 1;
        p = token.next;
        continue;
      }
    }
    if (runPattern == std::string_view::npos) return false;
    runText = NextCharacter(in.text, runText);
    t = runText;
    p = runPattern;
  }
  return OnlyAnyRunsFrom(in, p);
}

}  // namespace

bool MatchLikePattern(char escape, const char* text, SQLLEN textLength, const char* pattern,
                      SQLLEN patternLength, bool caseSensitive) {
  LikeInput in;
  in.escape = escape == 1 ? '\\' : escape;
  in.text = WithoutTrailingBlanks(ArgumentText(text, textLength));
  in.pattern = SignificantPattern(ArgumentText(pattern, patternLength), in.escape);
  in.caseSensitive = caseSensitive;
  return MatchTokens(in);
}
