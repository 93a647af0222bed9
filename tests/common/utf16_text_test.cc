// UTF-8 <-> UTF-16LE conversion and cutting for wide application buffers.
#include "common/utf16_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// "aé€😀": 1-, 2-, 3- and 4-byte UTF-8; the last is a surrogate pair.
const std::string kUtf8 = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
const std::string kUtf16("a\0\xE9\0\xAC\x20\x3D\xD8\x00\xDE", 10);

TEST(Utf16Text, RoundTripsEveryEncodedLength) {
  EXPECT_EQ(Utf8ToUtf16Le(kUtf8), kUtf16);
  std::string back;
  ASSERT_TRUE(Utf16LeToUtf8(kUtf16.data(), kUtf16.size(), back));
  EXPECT_EQ(back, kUtf8);
}

TEST(Utf16Text, RejectsInputThatIsNotUtf16) {
  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"odd byte count", std::string("a\0b", 3)},
      {"lone high surrogate at end", std::string("\x3D\xD8", 2)},
      {"high surrogate before a letter", std::string("\x3D\xD8" "a\0", 4)},
      {"lone low surrogate", std::string("\x00\xDE", 2)},
  };
  for (const Case& c : cases) {
    std::string out;
    EXPECT_FALSE(Utf16LeToUtf8(c.bytes.data(), c.bytes.size(), out)) << c.name;
  }
}

TEST(Utf16Text, ReplacesMalformedUtf8) {
  struct Case {
    std::string utf8;
    std::string utf16;
  };
  const Case cases[] = {
      {"\xFF", std::string("\xFD\xFF", 2)},
      {"\xC3", std::string("\xFD\xFF", 2)},                     // truncated sequence
      {"\xC0\xAF", std::string("\xFD\xFF\xFD\xFF", 4)},          // overlong
      {"\xED\xA0\x80", std::string("\xFD\xFF\xFD\xFF\xFD\xFF", 6)},  // encoded surrogate
  };
  for (const Case& c : cases) EXPECT_EQ(Utf8ToUtf16Le(c.utf8), c.utf16);
}

TEST(Utf16Text, TerminatedLengthStopsAtNulOrLimit) {
  const std::string text("a\0b\0\0\0c\0", 8);
  EXPECT_EQ(Utf16LeTerminatedLength(text.data(), 0), 4u);
  EXPECT_EQ(Utf16LeTerminatedLength(text.data(), 3), 2u);
}

TEST(Utf16Text, CutsNeverSplitUnitsOrSequences) {
  struct Case {
    std::size_t max;
    std::size_t utf16Cut;
    std::size_t utf8Cut;
  };
  // Boundaries: UTF-16 at 2, 4, 6, 10 bytes; UTF-8 at 1, 3, 6, 10.
  const Case cases[] = {
      {0, 0, 0}, {1, 0, 1}, {2, 2, 1}, {3, 2, 3}, {5, 4, 3}, {7, 6, 6}, {8, 6, 6}, {9, 6, 6}, {10, 10, 10}, {99, 10, 10},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CutUtf16Le(kUtf16, c.max), c.utf16Cut) << c.max;
    EXPECT_EQ(CutUtf8(kUtf8, c.max), c.utf8Cut) << c.max;
  }
}

}  // namespace
