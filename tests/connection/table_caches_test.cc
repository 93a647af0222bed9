// A cached row read as a map from field id to text: whatever order the
// fields arrive in, each field answers with its last text and an absent
// field with none.
#include <gtest/gtest.h>

#include <map>

#include "connection/table_caches.h"

namespace {

TEST(TableCaches, CachedRowReadsLikeAMap) {
  struct {
    const char* label;
    std::vector<std::pair<std::uint32_t, std::string>> sets;
  } cases[] = {
      {"ascending", {{3, "1"}, {6, "a"}, {7, ""}, {10, "z"}}},
      {"descending", {{10, "z"}, {7, "y"}, {3, "1"}}},
      {"shuffled", {{7, "y"}, {3, "1"}, {12, "q"}, {6, "a"}, {1, "t"}}},
      {"repeated field keeps the later text", {{3, "1"}, {6, "a"}, {6, "b"}, {4, "u"}, {3, "2"}}},
      {"long texts", {{6, std::string(300, 'x')}, {5, std::string(40, 'y')}, {6, "short"}}},
      {"empty row", {}},
  };
  for (const auto& c : cases) {
    CachedRow row;
    std::map<std::uint32_t, std::string> expected;
    for (const auto& [fid, text] : c.sets) {
      SetCachedValue(row, fid, text);
      expected[fid] = text;
    }
    ASSERT_EQ(row.values.size(), expected.size()) << c.label;
    for (std::uint32_t fid = 0; fid < 14; ++fid) {
      const std::string* text = FindCachedValue(row, fid);
      auto want = expected.find(fid);
      if (want == expected.end()) {
        EXPECT_EQ(text, nullptr) << c.label << " fid " << fid;
      } else {
        ASSERT_NE(text, nullptr) << c.label << " fid " << fid;
        EXPECT_EQ(*text, want->second) << c.label << " fid " << fid;
      }
    }
  }
}

}  // namespace
