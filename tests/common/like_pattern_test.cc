// LIKE matching: escapes, UTF-8 characters, trailing blanks, A-Z folding,
// and a differential check against a plain recursive matcher.
#include "common/like_pattern.h"

#include <gtest/gtest.h>
#include <sql.h>

#include <random>
#include <string>

namespace {

struct LikeCase {
  char escape;
  const char* text;
  const char* pattern;
  bool caseSensitive;
  bool matches;
};

TEST(MatchLikePatternTest, Cases) {
  const LikeCase cases[] = {
      {'\\', "abc", "a%", false, true},
      {'\\', "abc", "A%", false, true},
      {'\\', "abc", "A%", true, false},
      {'\\', "abc", "%b", false, false},
      {'\\', "abc", "_b_", false, true},
      {'\\', "abc", "__", false, false},
      {'\\', "ab", "___", false, false},
      {'\\', "", "%", false, true},
      {'\\', "", "", false, true},
      {'\\', "", "_", false, false},
      {'\\', "aab", "%a%b", false, true},
      {'\\', "mississippi", "%iss%ipp%", false, true},
      {'\\', "mississippi", "%ss%ss%ss%", false, false},
      // Trailing blanks of either side never count, escaped ones included.
      {'\\', "abc  ", "abc", false, true},
      {'\\', "abc", "abc   ", false, true},
      {'\\', "abc", "abc\\ ", false, true},
      {'\\', "ab  ", "ab_", false, false},
      {'\\', "a c", "a_c", false, true},
      // Escapes.
      {'\\', "a%c", "a\\%c", false, true},
      {'\\', "abc", "a\\%c", false, false},
      {'\\', "a_c", "a\\_c", false, true},
      {'\\', "a\\c", "a\\\\c", false, true},
      {'\\', "abc", "\\a\\b\\c", false, true},
      {'\\', "ab\\", "ab\\", false, true},
      {1, "a%c", "a\\%c", false, true},
      {1, "abc", "a\\%c", false, false},
      {'!', "a%c", "a!%c", false, true},
      {'!', "a\\c", "a\\c", false, true},
      {0, "a\\c", "a\\c", false, true},
      {0, "a\\%", "a\\%", false, true},
      // "_" takes one whole UTF-8 character.
      {'\\', "\xC3\xA9", "_", false, true},
      {'\\', "\xC3\xA9", "__", false, false},
      {'\\',
       "\xC3\xA9"
       "a",
       "_a", false, true},
      {'\\', "a\xC3\xA9", "%_", false, true},
      {'\\', "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", "___", false, true},
      {'\\', "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", "__", false, false},
      {'\\', "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", "%\xE8\xAA\x9E", false, true},
      {'\\', "\xF0\x9F\x98\x80x", "_x", false, true},
      // Only A-Z fold.
      {'\\', "\xC3\x89", "\xC3\xA9", false, false},
      {'\\', "STRASSE", "strasse", false, true},
      {'\\', "[", "{", false, false},
      {'\\', "@", "`", false, false},
  };
  for (const LikeCase& c : cases) {
    EXPECT_EQ(MatchLikePattern(c.escape, c.text, SQL_NTS, c.pattern, SQL_NTS, c.caseSensitive), c.matches)
        << "'" << c.text << "' LIKE '" << c.pattern << "' escape " << static_cast<int>(c.escape);
  }
}

TEST(MatchLikePatternTest, LengthsAndNullPointers) {
  EXPECT_TRUE(MatchLikePattern('\\', "abcXYZ", 3, "abc", SQL_NTS, false));
  EXPECT_TRUE(MatchLikePattern('\\', "abc", SQL_NTS, "a%zzz", 2, false));
  EXPECT_TRUE(MatchLikePattern('\\', nullptr, 0, "%", SQL_NTS, false));
  EXPECT_FALSE(MatchLikePattern('\\', nullptr, SQL_NTS, "_", SQL_NTS, false));
  EXPECT_TRUE(MatchLikePattern('\\', "", SQL_NTS, nullptr, SQL_NTS, false));
}

TEST(MatchLikePatternTest, ManyRunsOverALongTextFinish) {
  const std::string text(3000, 'a');
  EXPECT_FALSE(MatchLikePattern('\\', text.c_str(), SQL_NTS, "%a%a%a%a%a%a%a%a%a%a%b", SQL_NTS, false));
  EXPECT_TRUE(MatchLikePattern('\\', text.c_str(), SQL_NTS, "%a%a%a%a%a%a%a%a%a%a%", SQL_NTS, false));
}

// Tries every split, exponential but plainly right for short inputs.
bool ReferenceLike(const std::string& text, std::size_t t, const std::string& pattern, std::size_t p) {
  if (p == pattern.size()) return t == text.size();
  if (pattern[p] == '%') {
    for (std::size_t k = t; k <= text.size(); ++k) {
      if (ReferenceLike(text, k, pattern, p + 1)) return true;
    }
    return false;
  }
  if (t == text.size()) return false;
  if (pattern[p] == '\\' && p + 1 < pattern.size()) {
    return text[t] == pattern[p + 1] && ReferenceLike(text, t + 1, pattern, p + 2);
  }
  if (pattern[p] == '_' || pattern[p] == text[t]) return ReferenceLike(text, t + 1, pattern, p + 1);
  return false;
}

TEST(MatchLikePatternTest, AgreesWithARecursiveMatcher) {
  std::mt19937 random(11);
  const char textAlphabet[] = "ab%_";
  const char patternAlphabet[] = "ab%_\\";
  std::uniform_int_distribution<int> length(0, 7);
  for (int i = 0; i < 20000; ++i) {
    std::string text;
    std::string pattern;
    for (int n = length(random); n > 0; --n) text.push_back(textAlphabet[random() % 4]);
    for (int n = length(random); n > 0; --n) pattern.push_back(patternAlphabet[random() % 5]);
    EXPECT_EQ(MatchLikePattern('\\', text.c_str(), SQL_NTS, pattern.c_str(), SQL_NTS, true),
              ReferenceLike(text, 0, pattern, 0))
        << "'" << text << "' LIKE '" << pattern << "'";
  }
}

}  // namespace
