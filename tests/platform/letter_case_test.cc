// Case mapping of letters in the covered scripts, whatever the process locale.
#include "platform/letter_case.h"

#include <gtest/gtest.h>

#include <clocale>

TEST(LetterCase, MapsEveryCoveredScriptBothWays) {
  struct Case {
    const char* lower;
    const char* upper;
  };
  const Case cases[] = {
      {"azàöøþÿ", "AZÀÖØÞŸ"},                   // Basic Latin, Latin-1
      {"āėįĳķńŋŷźž", "ĀĖĮĲĶŃŊŶŹŽ"},             // Latin Extended-A
      {"ǎșțɓ", "ǍȘȚƁ"},                         // Latin Extended-B
      {"άέίόύώαωϊϋ", "ΆΈΊΌΎΏΑΩΪΫ"},             // Greek
      {"абяёђџѡґӂӑԯ", "АБЯЁЂЏѠҐӁӐԮ"},           // Cyrillic
      {"աֆ", "ԱՖ"},                             // Armenian
      {"ạỹ", "ẠỸ"},                             // Vietnamese
      {"ａｚ", "ＡＺ"},                           // fullwidth
  };
  for (const Case& c : cases) {
    EXPECT_EQ(UpperCaseUtf8(c.lower), c.upper) << c.lower;
    EXPECT_EQ(LowerCaseUtf8(c.upper), c.lower) << c.upper;
  }
}

TEST(LetterCase, OneWayLettersAndTheRestStayPut) {
  EXPECT_EQ(UpperCaseUtf8("ıſµς ß ǅ"), "ISΜΣ ß Ǆ");
  EXPECT_EQ(LowerCaseUtf8("İẞ ǅ"), "iß ǆ");
  // No case, malformed bytes and digits are kept byte for byte.
  EXPECT_EQ(UpperCaseUtf8("東京 1_\xFF\xC3"), "東京 1_\xFF\xC3");
  // A stray byte just above ASCII stays one byte, not U+0080.
  EXPECT_EQ(UpperCaseUtf8("a\x80" "b"), "A\x80" "B");
  EXPECT_EQ(LowerCaseUtf8("A\x80" "B"), "a\x80" "b");
  // The process locale plays no part.
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(UpperCaseUtf8("é"), "É");
}
