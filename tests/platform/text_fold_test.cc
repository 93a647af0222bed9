// The driver's single case rule: only A-Z fold; everything else compares as
// unsigned bytes.
#include <gtest/gtest.h>

#include "platform/text_fold.h"

TEST(TextFold, ComparesWithOnlyAsciiLettersFolded) {
  struct Case { const char* a; const char* b; int sign; };
  const Case cases[] = {
      {"Orders", "ORDERS", 0},
      {"abc", "abd", -1},
      {"ab", "abc", -1},          // a proper prefix sorts first
      {"_x", "ax", -1},           // '_' (95) sorts before folded letters (97+)
      {"_x", "AX", -1},
      {"\xC3\x84", "\xC3\xA4", -1},  // Ä and ä stay apart: bytes above 127 don't fold
      {"\xC3\xA4", "z", 1},       // and compare unsigned
      {"", "", 0},
  };
  for (const Case& c : cases) {
    int got = CompareFoldedAZ(c.a, c.b);
    int sign = (got > 0) - (got < 0);
    EXPECT_EQ(sign, c.sign) << c.a << " vs " << c.b;
    EXPECT_EQ(-sign, (CompareFoldedAZ(c.b, c.a) > 0) - (CompareFoldedAZ(c.b, c.a) < 0));
  }
}

TEST(TextFold, CopiesChangeOnlyAsciiLetters) {
  EXPECT_EQ(UpperCopyAZ("select \xC3\xA4 _1z"), "SELECT \xC3\xA4 _1Z");
  EXPECT_EQ(LowerCopyAZ("FROM \xC3\x84 [Z]"), "from \xC3\x84 [z]");
}
