// The string scalar functions on literals: results, the bad-argument
// answers, the 32-bit counts, the length limits, and the helpers.
#include <gtest/gtest.h>

#include <string>

#include "exec/string_functions.h"
#include "scalar_call_fixture.h"

namespace {

struct Case {
  std::string call;
  std::string expected;  // ShowValue of the result, or "error <id>"
};

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

std::string Repeated(const std::string& text, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += text;
  return out;
}

TEST(StringFunctions, ResultsAndBadArguments) {
  const Case cases[] = {
      {"{fn ASCII('A')}", "65"},
      {"{fn ASCII('')}", "0"},
      {"{fn ASCII('\xC3\xA9')}", "233"},
      {"{fn BIT_LENGTH('abc')}", "24"},
      {"{fn CHAR(65)}", "'A'"},
      {"{fn CHAR(0)}", "''"},
      {"{fn CHAR(321)}", "'A'"},
      {"{fn CHAR_LENGTH('ab  ')}", "4"},
      {"{fn CHARACTER_LENGTH('abc')}", "3"},
      {"{fn OCTET_LENGTH('\xC3\xA9')}", "2"},
      {"{fn LENGTH('ab  ')}", "2"},
      {"{fn LENGTH('   ')}", "0"},
      {"{fn CONCAT('ab', 'cd')}", "'abcd'"},
      {"{fn DIFFERENCE('Robert', 'Robert')}", "0"},
      {"{fn DIFFERENCE('Robert', 'Rupert')}", "0"},
      {"{fn DIFFERENCE('Tymczak', 'Robert')}", "20011019"},
      {"{fn INSERT('abcdef', 2, 3, 'XY')}", "'aXYef'"},
      {"{fn INSERT('abc', 1, 0, 'X')}", "'Xabc'"},
      {"{fn INSERT('abc', 3, 100000, 'X')}", "'abX'"},
      {"{fn INSERT('abc', 4, 1, 'X')}", "error 1059"},
      {"{fn INSERT('abc', 0, 1, 'X')}", "error 1059"},
      {"{fn INSERT('abc', -1, 1, 'X')}", "error 1059"},
      {"{fn INSERT('abc', 1, -1, 'X')}", "error 1059"},
      {"{fn LCASE('AbC\xC3\x89')}", "'abc\xC3\xA9'"},
      {"{fn UCASE('aBc\xC3\xA9')}", "'ABC\xC3\x89'"},
      {"{fn LEFT('abc', 5)}", "'abc'"},
      {"{fn LEFT('abc', 0)}", "''"},
      {"{fn LEFT('abc', -1)}", "error 1059"},
      {"{fn LEFT('abc', 65537)}", "'abc'"},
      {"{fn LEFT('abc', 999999999)}", "'abc'"},
      {"{fn RIGHT('abc', 2)}", "'bc'"},
      {"{fn RIGHT('abc', 65537)}", "'abc'"},
      {"{fn RIGHT('abc', -1)}", "error 1059"},
      {"{fn LOCATE('b', 'abcb', 3)}", "4"},
      {"{fn LOCATE('b', 'abcb')}", "2"},
      {"{fn LOCATE('x', 'abc')}", "0"},
      {"{fn LOCATE('b', 'abc', 0)}", "error 1059"},
      {"{fn LOCATE('', 'abc', 2)}", "2"},
      {"{fn LOCATE('c', 'abc', 65539)}", "0"},
      {"{fn POSITION('c' IN 'abc')}", "3"},
      {"{fn LTRIM('  a b  ')}", "'a b  '"},
      {"{fn RTRIM('  a b  ')}", "'  a b'"},
      {"{fn REPEAT('ab', 127)}", Quoted(Repeated("ab", 127))},
      {"{fn REPEAT('ab', 128)}", "error 1059"},
      {"{fn REPEAT('ab', 0)}", "''"},
      {"{fn REPEAT('ab', -1)}", "error 1059"},
      {"{fn REPEAT('', 999999999)}", "''"},
      {"{fn REPLACE('a-b-c', '-', '+')}", "'a+b+c'"},
      {"{fn REPLACE('ab', 'a', 'xa')}", "'xab'"},
      {"{fn REPLACE('aab', 'ab', 'b')}", "'ab'"},
      {"{fn REPLACE('abc', '', 'x')}", "error 1059"},
      {"{fn REPLACE('abc', 'b', 'b')}", "'abc'"},
      {"{fn SOUNDEX('Robert')}", "'RABARD'"},
      {"{fn SOUNDEX('Tymczak')}", "'TAMCAC'"},
      {"{fn SOUNDEX('1a')}", "'A'"},
      {"{fn SOUNDEX('')}", "''"},
      {"{fn SPACE(3)}", "'   '"},
      {"{fn SPACE(256)}", "error 1059"},
      {"{fn SPACE(-1)}", "error 1059"},
      {"{fn SPACE(65536)}", "error 1059"},
      {"{fn SUBSTRING('abcdef', 2, 3)}", "'bcd'"},
      {"{fn SUBSTRING('abcdef', 2, -1)}", "'bcde'"},
      {"{fn SUBSTRING('abc', 0, 2)}", "''"},
      {"{fn SUBSTRING('abc', 5, 2)}", "''"},
      {"{fn SUBSTRING('abc', 2, 65537)}", "'bc'"},
      {"{fn SUBSTRING('abc', 999999999, -999999999)}", "''"},
  };
  for (const Case& c : cases) {
    ScalarCallFixture f;
    EXPECT_EQ(f.Run(c.call).Text(), c.expected) << c.call;
  }
}

// Lengths, positions and limits count characters of one to four bytes;
// OCTET_LENGTH and BIT_LENGTH count bytes; case changes every letter.
TEST(StringFunctions, CountCharactersNotBytes) {
  const Case cases[] = {
      {"{fn LENGTH('東京商事  ')}", "4"},
      {"{fn CHAR_LENGTH('aé東😀')}", "4"},
      {"{fn OCTET_LENGTH('aé東😀')}", "10"},
      {"{fn BIT_LENGTH('é')}", "16"},
      {"{fn LEFT('Müller GmbH', 2)}", "'Mü'"},
      {"{fn LEFT('東京商事', 2)}", "'東京'"},
      {"{fn RIGHT('Café Zoë', 3)}", "'Zoë'"},
      {"{fn SUBSTRING('Müller', 2, 2)}", "'ül'"},
      {"{fn SUBSTRING('😀😁😂', 2, -1)}", "'😁'"},
      {"{fn LOCATE('ü', 'Grüße aus Düsseldorf', 4)}", "12"},
      {"{fn POSITION('商' IN '東京商事')}", "3"},
      {"{fn LOCATE('事', '東京商事', 5)}", "0"},
      {"{fn INSERT('東京商事', 2, 2, 'Ω')}", "'東Ω事'"},
      {"{fn INSERT('東京商事', 5, 1, 'x')}", "error 1059"},
      {"{fn REPEAT('é', 255)}", Quoted(Repeated("é", 255))},
      {"{fn REPEAT('é', 256)}", "error 1059"},
      {"{fn REPLACE('Straße', 'ß', 'ss')}", "'Strasse'"},
      {"{fn CONCAT('Zoë', '東')}", "'Zoë東'"},
      {"{fn ASCII('😀')}", "128512"},
      {"{fn ASCII('東京')}", "26481"},
      {"{fn CHAR(233)}", "'é'"},
      {"{fn CHAR(511)}", "'ÿ'"},
      {"{fn UCASE('Müller straße ǆ')}", "'MÜLLER STRAßE Ǆ'"},
      {"{fn UCASE('αβγ ως ђ ӏ')}", "'ΑΒΓ ΩΣ Ђ Ӏ'"},
      {"{fn LCASE('ÀÉÎ ŸŁ ΣΆ ЖЩ İ')}", "'àéî ÿł σά жщ i'"},
      {"{fn SOUNDEX('ſmith')}", "'SMADA'"},
      {"{fn SOUNDEX('Ærø')}", "'ARA'"},
  };
  for (const Case& c : cases) {
    ScalarCallFixture f;
    EXPECT_EQ(f.Run(c.call).Text(), c.expected) << c.call;
  }
}

TEST(StringFunctions, BadArgumentsNameTheFunction) {
  ScalarCallFixture f;
  EXPECT_EQ(f.Run("{fn left('abc', -1)}").detail, "LEFT");
  EXPECT_EQ(f.Run("{fn SPACE(300)}").detail, "SPACE");
}

TEST(StringFunctions, ConcatBeyondItsColumnOverflows) {
  ScalarCallFixture f;
  const std::string a(200, 'a');
  const std::string b(100, 'b');
  const CallOutcome outcome = f.Run("{fn CONCAT('" + a + "', '" + b + "')}");
  EXPECT_EQ(outcome.id, kMsgConcatenationOverflow);
  const std::string c(55, 'c');
  EXPECT_EQ(f.Run("{fn CONCAT('" + a + "', '" + c + "')}").cell.bytes, a + c);
}

// A replacement may grow the text up to 65535 bytes and no further; a
// source text beyond that is refused with its own detail.
TEST(StringFunctions, ReplaceLimit) {
  ScalarCallFixture f;
  // 21845 'a' tripled is 65535 bytes exactly.
  CallOutcome fits = f.Run("{fn REPLACE({fn REPEAT('a', 255)}, 'a', 'aaa')}");
  EXPECT_EQ(fits.cell.bytes, std::string(765, 'a'));
  const std::string big(21845, 'a');
  fits = f.Run("{fn REPLACE('" + big + "', 'a', 'bcd')}");
  ASSERT_EQ(fits.id, kMsgSuccess);
  EXPECT_EQ(fits.cell.bytes.size(), 65535u);
  EXPECT_EQ(f.Run("{fn REPLACE('" + big + "a', 'a', 'bcd')}").id, kMsgInvalidScalarArgument);
  ASSERT_EQ(f.Prepare("{fn REPLACE('x', 'a', 'b')}").id, kMsgSuccess);
  f.FirstStringLiteral().assign(65536, 'x');
  const CallOutcome tooLong = f.Evaluate();
  EXPECT_EQ(tooLong.id, kMsgInvalidScalarArgument);
  EXPECT_EQ(tooLong.detail, "REPLACE cannot replace characters in fields with more than 65535 characters.");
}

TEST(StringFunctions, SoundexOfALongTextStopsAtThirtyCharacters) {
  const std::string text = Repeated("ab", 1000);
  const std::string code = ComputeSoundex(text);
  EXPECT_EQ(code, "ABABABABABABABABABABABABABABAB");
  ScalarCallFixture f;
  EXPECT_EQ(f.Run("{fn SOUNDEX('" + text.substr(0, 1000) + "')}").cell.bytes, code);
}

TEST(StringFunctions, LocateSubstringBounds) {
  struct {
    const char* needle;
    const char* haystack;
    std::int32_t start;
    std::int32_t expected;
  } cases[] = {
      {"b", "abcb", 1, 2}, {"b", "abcb", 3, 4}, {"b", "abcb", 5, 0}, {"abcd", "abc", 1, 0}, {"", "abc", 3, 3},
      {"", "abc", 4, 0},   {"", "", 1, 0},      {"c", "abc", 3, 3},  {"bc", "abc", 3, 0},   {"a", "abc", 2147483647, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LocateSubstring(c.needle, c.haystack, c.start), c.expected) << c.needle << " in " << c.haystack;
  }
}

// The four leading code characters weigh 10^7, 10^5, 10^3 and 10; the rest
// of the codes decides the last digit's sign.
TEST(StringFunctions, DifferenceWeighsLeadingCharacters) {
  EXPECT_EQ(ComputeDifference("Robert", "Rupert"), 0);
  EXPECT_EQ(ComputeDifference("B", "A"), 10000000);
  EXPECT_EQ(ComputeDifference("Abcdel", "Abcdeb"), 1);
  EXPECT_EQ(ComputeDifference("Abcdeb", "Abcdel"), -1);
  EXPECT_EQ(ComputeDifference("", "A"), -650000000);
}

}  // namespace
