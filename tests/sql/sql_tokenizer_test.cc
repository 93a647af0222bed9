// Tokenizer, expect helpers and number readers: token streams and the exact
// failure texts the parser reports from them.
#include <gtest/gtest.h>

#include <string>

#include "handles/statement_handle.h"
#include "sql/sql_keywords.h"
#include "sql/sql_tokenizer.h"
#include "sql/token_readers.h"

namespace {

// Every token of text as "kind:token", separated by " | ", or the failure
// as "ERROR id detail" after the tokens read before it.
std::string Tokens(const std::string& text, bool blankNames = false, bool onInNames = false) {
  StatementHandle statement;
  std::string token;
  std::string out;
  SqlCursor c{text.data(), text.size()};
  for (int guard = 0; guard < 100; ++guard) {
    SqlTokenKind kind = kTokenEnd;
    SqlCursor next;
    MessageId id = NextSqlToken(statement, c, token, kind, next, blankNames, onInNames);
    if (!out.empty()) out += " | ";
    if (id != kMsgSuccess) return out + "ERROR " + std::to_string(id) + " " + statement.diagnostic.detailText;
    if (kind == kTokenEnd) return out + "end";
    out += std::to_string(kind) + ":" + token;
    c = next;
  }
  return out + "...";
}

struct TokenCase {
  const char* text;
  bool blankNames;
  bool onInNames;
  const char* expected;
};

TEST(SqlTokenizer, TokenStreams) {
  const TokenCase cases[] = {
      {"a<>b", false, false, "4:a | 1:<> | 4:b | end"},
      {"a<=b>=c", false, false, "4:a | 1:<= | 4:b | 1:>= | 4:c | end"},
      {"a=<b", false, false, "4:a | 1:= | 1:< | 4:b | end"},
      {".5 t.col", false, false, "2:.5 | 4:t | 1:. | 4:col | end"},
      {"12abc", false, false, "2:12 | 4:abc | end"},
      {"1E5 1e+5 2.5e-3", false, false, "2:1E5 | 2:1e+5 | 2:2.5e-3 | end"},
      {"'It''s'", false, false, "3:It's | end"},
      {"''", false, false, "3: | end"},
      {"[Order Details] \"SELECT\"", false, false, "4:Order Details | 4:SELECT | end"},
      {"select SeLeCt selected", false, false, "5:select | 5:SeLeCt | 4:selected | end"},
      {"--", false, false, "1:-- | end"},
      {"- -", false, false, "1:- | 1:- | end"},
      {"(),*+/;=?{}", false, false, "1:( | 1:) | 1:, | 1:* | 1:+ | 1:/ | 1:; | 1:= | 1:? | 1:{ | 1:} | end"},
      {"t;", false, false, "4:t | 1:; | end"},
      {"O'Brien x", false, false, "4:O'Brien | 4:x | end"},
      {"~tilde", false, false, "4:~tilde | end"},
      {"\xC3\xA9t\xC3\xA9 x", false, false, "4:\xC3\xA9t\xC3\xA9 | 4:x | end"},
      {"  \t\r\n", false, false, "end"},
      // Names with blanks.
      {"Sales Orders WHERE", true, false, "4:Sales Orders | 5:WHERE | end"},
      // A keyword that starts a name with blanks stays in it.
      {"Sales Orders WHERE x", true, false, "4:Sales Orders | 4:WHERE x | end"},
      {"Sort By Date", true, false, "4:Sort By Date | end"},
      {"Primary Contact", true, false, "4:Primary Contact | end"},
      {"Customer Name ON =x", true, false, "4:Customer Name | 5:ON | 1:= | 4:x | end"},
      {"Customer Name ON =x", true, true, "4:Customer Name ON | 1:= | 4:x | end"},
      {"Orders  WHERE", true, false, "4:Orders | 5:WHERE | end"},
      {"Orders ", true, false, "4:Orders | end"},
      {"Orders  ", true, false, "4:Orders | end"},
      {"a b , c", true, false, "4:a b | 1:, | 4:c | end"},
      {"t WHERE(a)", true, false, "4:t | 5:WHERE | 1:( | 4:a | 1:) | end"},
      {"Orders ORDER", true, false, "4:Orders | 5:ORDER | end"},
      {"Orders;SELECT", true, false, "4:Orders | 1:; | 5:SELECT | end"},
      {"x\ty", true, false, "4:x | 4:y | end"},
  };
  for (const TokenCase& c : cases) {
    EXPECT_EQ(Tokens(c.text, c.blankNames, c.onInNames), c.expected) << "text: " << c.text;
  }
  // A NUL ends the text whatever length the caller gave.
  EXPECT_EQ(Tokens(std::string("a\0b", 3)), "4:a | end");
}

TEST(SqlTokenizer, Failures) {
  const TokenCase cases[] = {
      {"1.2.3", false, false, "ERROR 1016 1.2"},
      {"1E", false, false, "ERROR 1016 1E"},
      {"1E+", false, false, "ERROR 1016 1E+"},
      {"1Ex", false, false, "ERROR 1016 1E"},
      {"1E5E2", false, false, "ERROR 1016 1E5"},
      {"1E5.2", false, false, "ERROR 1016 1E5"},
      {"'abc", false, false, "ERROR 1013 "},
      {"'abc''", false, false, "ERROR 1013 "},
      {"[abc", false, false, "ERROR 1013 "},
      {"\"abc", false, false, "ERROR 1013 "},
  };
  for (const TokenCase& c : cases) EXPECT_EQ(Tokens(c.text), c.expected) << "text: " << c.text;
}

TEST(SqlTokenizer, TokensOfMoreThan65535BytesAreTooLarge) {
  const std::string fits(65535, 'a');
  const std::string tooLong(65536, 'a');
  struct Case {
    std::string text;
    std::string expectedStart;
  };
  const Case cases[] = {
      {fits, "4:"},
      {tooLong, "ERROR 1014 "},
      {"'" + fits + "'", "3:"},
      {"'" + tooLong + "'", "ERROR 1014 "},
      {"[" + fits + "]", "4:"},
      {"[" + tooLong + "]", "ERROR 1014 "},
      {std::string(65535, '1'), "2:"},
      {std::string(65536, '1'), "ERROR 1014 "},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Tokens(c.text).substr(0, c.expectedStart.size()), c.expectedStart) << c.text.substr(0, 3);
  }
}

TEST(SqlTokenizer, EscapeSequences) {
  struct Case {
    const char* text;
    MessageId id;
    const char* token;
  };
  const Case cases[] = {
      {"  {d '2024-01-01'} x", kMsgSuccess, "{d '2024-01-01'}"},
      {"--(*vendor(Microsoft),product(ODBC) d '2024-01-01'*)-- x", kMsgSuccess,
       "--(*vendor(Microsoft),product(ODBC) d '2024-01-01'*)--"},
      {"{d '2024-01-01'", kMsgUnexpectedEnd, ""},
      {"--(* no close", kMsgUnexpectedEnd, ""},
      {"-x", kMsgUnexpectedEnd, ""},
      {"   ", kMsgUnexpectedEnd, ""},
      {"x", kMsgElementMissing, ""},
  };
  for (const Case& c : cases) {
    StatementHandle statement;
    std::string token;
    SqlCursor cursor{c.text, std::char_traits<char>::length(c.text)};
    EXPECT_EQ(ParseEscapeSequence(statement, cursor, token), c.id) << c.text;
    EXPECT_EQ(token, c.token) << c.text;
    if (c.id == kMsgElementMissing) {
      EXPECT_EQ(statement.diagnostic.detailText, "<escape-sequence>");
    }
  }
}

TEST(SqlKeywords, TableMembershipAndContextWords) {
  EXPECT_EQ(kSqlKeywordCount, 57u);
  EXPECT_EQ(SqlKeywordTable[kSqlKeywordCount], nullptr);
  for (std::size_t i = 0; i < kSqlKeywordCount; ++i) {
    std::string lower = SqlKeywordTable[i];
    for (char& ch : lower) ch = static_cast<char>(ch - 'A' + 'a');
    EXPECT_EQ(IsReservedWord(SqlKeywordTable[i]), kTokenKeyword) << SqlKeywordTable[i];
    EXPECT_EQ(IsReservedWord(lower), kTokenKeyword) << lower;
    EXPECT_EQ(IsReservedWord(lower + "s"), kTokenIdentifier) << lower;
  }
  EXPECT_EQ(IsReservedWord("where"), kTokenKeyword);
  EXPECT_EQ(IsReservedWord("KEY"), kTokenKeyword);
  EXPECT_EQ(IsReservedWord("wheres"), kTokenIdentifier);
  // Only A-Z fold: a dotless capital I is not "i".
  EXPECT_EQ(IsReservedWord("\xC4\xB0N"), kTokenIdentifier);
  EXPECT_TRUE(IsContextWord("primary", false));
  EXPECT_FALSE(IsContextWord("on", false));
  EXPECT_TRUE(IsContextWord("On", true));
  EXPECT_FALSE(IsContextWord("WHERE", true));
}

struct ExpectCase {
  const char* text;
  int helper;  // 0 symbol, 1 keyword, 2 identifier
  const char* wanted;
  MessageId id;
  const char* detail;
};

TEST(SqlTokenizer, ExpectHelpersAndTheirMessages) {
  const ExpectCase cases[] = {
      {" ( x", 0, "(", kMsgSuccess, ""},
      {"x y", 0, "(", kMsgElementMissing, "While parsing SQL found 'x' instead of '(' near:  y"},
      {"x", 0, "", kMsgElementMissing, "<symbol>"},
      {"", 0, ")", kMsgElementMissing, "While parsing SQL found '' instead of ')' near: "},
      {"from t", 1, "FROM", kMsgSuccess, ""},
      {"FORM t", 1, "FROM", kMsgElementMissing, "While parsing SQL found 'FORM' instead of 'FROM' near:  t"},
      {"foo bar", 1, "", kMsgElementMissing, "While parsing SQL found 'foo' instead of <keyword> near:  bar"},
      {"  ", 1, "FROM", kMsgUnexpectedEnd, ""},
      {"\"FROM\"", 1, "FROM", kMsgElementMissing, "While parsing SQL found 'prev' instead of 'FROM'"},
      {"\"FROM\"", 1, "", kMsgElementMissing, "While parsing SQL found 'prev' instead of <keyword>"},
      {"abcdefghijklmnopqrstuvwxyz0123 x", 1, "FROM", kMsgElementMissing,
       "While parsing SQL found 'abcdefghijklmnopqrstuvwxyz0123' instead of 'FROM' near:  x"},
      {"x 123456789012345678901234567890", 1, "FROM", kMsgElementMissing,
       "While parsing SQL found 'x' instead of 'FROM' near:  12345678901234567890123"},
      {"fn x", 2, "", kMsgSuccess, ""},
      {"SELECT x", 2, "", kMsgSuccess, ""},
      {"[fn] x", 2, "vendor", kMsgElementMissing, "vendor"},
      {"( x", 2, "", kMsgElementMissing, "While parsing SQL found '(' instead of <identifier> near:  x"},
      {"", 2, "", kMsgUnexpectedEnd, ""},
  };
  for (const ExpectCase& c : cases) {
    StatementHandle statement;
    std::string token = "prev";
    SqlCursor cursor{c.text, std::char_traits<char>::length(c.text)};
    MessageId id = c.helper == 0   ? ExpectSymbol(statement, cursor, c.wanted, token)
                   : c.helper == 1 ? ExpectKeyword(statement, cursor, c.wanted, token)
                                   : ExpectIdentifier(statement, cursor, c.wanted, token);
    EXPECT_EQ(id, c.id) << c.text;
    EXPECT_EQ(statement.diagnostic.detailText, c.detail) << c.text;
  }
}

TEST(SqlTokenizer, NearTextKeepsUtf8CharactersWhole) {
  std::string text;
  for (int i = 0; i < 30; ++i) text += "\xC3\xA9";
  EXPECT_EQ(NearText(SqlCursor{text.data(), text.size()}), text.substr(0, 48));
  EXPECT_EQ(NearText(SqlCursor{"ab\0cd", 5}), "ab");
}

struct NumberCase {
  const char* text;
  MessageId id;
  std::int16_t valueType;
  std::uint16_t digits;
  double value;
  const char* token;
};

TEST(SqlNumbers, ReadNumberToken) {
  const NumberCase cases[] = {
      {"123", kMsgSuccess, kValueInteger, 0, 123, "123"},
      {"12.50", kMsgSuccess, kValueNumeric, 2, 12.5, "12.50"},
      {"12.", kMsgSuccess, kValueInteger, 0, 12, "12"},
      {".5", kMsgSuccess, kValueNumeric, 1, 0.5, ".5"},
      {"1.5E3", kMsgSuccess, kValueDouble, kNoDigits, 1500, "1.5E3"},
      {"3E-1", kMsgSuccess, kValueDouble, kNoDigits, 0.3, "3E-1"},
      {"0.1", kMsgSuccess, kValueNumeric, 1, 0.1, "0.1"},
      {"- 5", kMsgSuccess, kValueInteger, 0, -5, "-5"},
      {"+7", kMsgSuccess, kValueInteger, 0, 7, "7"},
      {"1E-400", kMsgSuccess, kValueDouble, kNoDigits, 0, "1E-400"},
      {"1E400", kMsgMalformedNumber, 0, 0, 0, "1E400"},
      {"x", kMsgElementMissing, 0, 0, 0, "x"},
      {"-", kMsgElementMissing, 0, 0, 0, ""},
  };
  for (const NumberCase& c : cases) {
    StatementHandle statement;
    std::string token;
    SqlCursor cursor{c.text, std::char_traits<char>::length(c.text)};
    double value = -1;
    std::int16_t valueType = 0;
    std::uint16_t digits = 0;
    MessageId id = ReadNumberToken(statement, cursor, value, token, valueType, digits);
    EXPECT_EQ(id, c.id) << c.text;
    EXPECT_EQ(token, c.token) << c.text;
    if (id != kMsgSuccess) continue;
    EXPECT_EQ(valueType, c.valueType) << c.text;
    EXPECT_EQ(digits, c.digits) << c.text;
    EXPECT_EQ(value, c.value) << c.text;  // exact: the value is correctly rounded
  }
}

TEST(SqlNumbers, ReadUnsignedInteger) {
  struct Case {
    const char* text;
    MessageId id;
    std::uint32_t value;
    const char* detail;
  };
  const Case cases[] = {
      {"40", kMsgSuccess, 40, ""},
      {"4294967295", kMsgSuccess, 4294967295u, ""},
      {"4294967296", kMsgMalformedNumber, 0, "4294967296"},
      {"99999999999999999999", kMsgMalformedNumber, 0, "99999999999999999999"},
      {"10.5", kMsgMalformedNumber, 0, ".5"},
      {"1E3", kMsgMalformedNumber, 0, "E3"},
      {"abc", kMsgMalformedNumber, 0, "abc"},
  };
  for (const Case& c : cases) {
    StatementHandle statement;
    std::string token;
    SqlCursor cursor{c.text, std::char_traits<char>::length(c.text)};
    std::uint32_t value = 0;
    EXPECT_EQ(ReadUnsignedInteger(statement, cursor, value, token), c.id) << c.text;
    if (c.id == kMsgSuccess) {
      EXPECT_EQ(value, c.value) << c.text;
    }
    EXPECT_EQ(statement.diagnostic.detailText, c.detail) << c.text;
  }
}

}  // namespace
