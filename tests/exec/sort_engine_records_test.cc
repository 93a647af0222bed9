// Packed sort records: every record reads back exactly, whatever its runs,
// padding shrinks to a few bytes, and no record grows past the bound the
// engine sizes its buffers by.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "exec/sort_engine_records.h"

namespace {

// The packed record's length, after checking that it reads back exactly.
std::size_t PackedLengthOf(const std::string& record) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(record.data());
  std::vector<unsigned char> packed(MaxPackedRecordLength(record.size()) + 1, 0xEE);
  std::vector<ByteRun> runs;
  FindRecordRuns(bytes, record.size(), runs);
  const std::size_t length = PackRecord(bytes, record.size(), runs, packed.data());
  EXPECT_LE(length, MaxPackedRecordLength(record.size()));
  EXPECT_EQ(packed[MaxPackedRecordLength(record.size())], 0xEE) << "wrote past the bound";
  EXPECT_EQ(PackedRecordLength(packed.data(), record.size()), length);
  std::string unpacked(record.size(), '?');
  auto* into = reinterpret_cast<unsigned char*>(unpacked.data());
  std::vector<ByteRun> unpacked_runs;
  EXPECT_EQ(UnpackRecord(packed.data(), record.size(), into, &unpacked_runs), length);
  EXPECT_EQ(unpacked, record);
  EXPECT_EQ(unpacked_runs.size(), runs.size());
  return length;
}

TEST(SortRecordPacking, ReadsBackExactlyAndDropsPadding) {
  struct Case {
    const char* what;
    std::string record;
    std::size_t at_most;
  };
  const std::string id("\x01\x00\x00\x80", 4);
  const Case cases[] = {
      {"a text in 1016 bytes", "M\xC3\xBCller GmbH" + std::string(1004, ' ') + " " + id, 40},
      {"runs of other values back to back", std::string(20, 'a') + std::string(128, 'b') + std::string(300, 'c'), 25},
      {"a run at the start, one at the end", std::string(300, '\0') + "xyz" + std::string(40, ' '), 20},
      {"every byte the same", std::string(1021, ' '), 10},
      {"a run too short to pay", "x" + std::string(15, '-') + "y", 19},
      {"no runs", "abababababababababababababababab", 34},
      {"shorter than a word", "abc", 5},
      {"one byte", "N", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_LE(PackedLengthOf(c.record), c.at_most);
  }
}

TEST(SortRecordPacking, ReadsBackRandomMixesOfRunsAndLiterals) {
  std::mt19937 random(1016);
  for (int round = 0; round < 2000; ++round) {
    std::string record;
    const std::size_t pieces = 1 + random() % 6;
    for (std::size_t i = 0; i < pieces; ++i) {
      const std::size_t length = random() % 3 == 0 ? random() % 40 : random() % 300;
      if (random() % 2 == 0) {
        record += std::string(length, " \0ab\xFF"[random() % 5]);
      } else {
        for (std::size_t j = 0; j < length; ++j) record += static_cast<char>(random() % 4);
      }
    }
    if (record.empty()) record = "x";
    PackedLengthOf(record);
  }
}

}  // namespace
