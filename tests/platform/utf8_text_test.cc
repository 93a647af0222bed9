// Counting and cutting UTF-8 characters, and one code point read and written.
#include "platform/utf8_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// "aé€😀": characters of 1, 2, 3 and 4 bytes, starting at bytes 0, 1, 3, 6.
const std::string kText = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";

TEST(Utf8Text, CountsAndCutsWholeCharacters) {
  EXPECT_EQ(CountUtf8Characters(kText), 4u);
  EXPECT_EQ(CountUtf8Characters(""), 0u);
  const std::size_t prefixes[] = {0, 1, 3, 6, 10, 10};
  for (std::size_t n = 0; n < std::size(prefixes); ++n) EXPECT_EQ(Utf8PrefixBytes(kText, n), prefixes[n]) << n;
}

TEST(Utf8Text, DecodesAndEncodesEachLength) {
  const char32_t codes[] = {0x61, 0xE9, 0x20AC, 0x1F600};
  std::string encoded;
  std::size_t pos = 0;
  for (char32_t expected : codes) {
    char32_t code = 0;
    const std::size_t length = DecodeUtf8At(kText, pos, code);
    ASSERT_NE(length, 0u) << pos;
    EXPECT_EQ(code, expected);
    AppendUtf8(encoded, code);
    pos += length;
  }
  EXPECT_EQ(encoded, kText);
  char32_t code = 0;
  for (const char* malformed : {"\xFF", "\xC3", "\xC0\xAF", "\xED\xA0\x80"})
    EXPECT_EQ(DecodeUtf8At(malformed, 0, code), 0u) << malformed;
}

}  // namespace
