// SortFile against a reference: every output is checked to be in order under
// CompareSortRecords and to hold exactly the input's records (or one of each
// run of duplicates), over run boundaries, merge passes, in-place sorts and
// failing temporary directories.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

#include "exec/file_size_limit.h"
#include "exec/sort_engine.h"
#include "exec/sort_test_records.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kUntouched = 777777;

struct SortOutcome {
  std::uint32_t status = kUntouched;
  std::uint32_t count = kUntouched;
  std::string output;
};

std::uint64_t HashRecord(const char* record, std::size_t length) {
  std::uint64_t hash = 1469598103934665603ull;
  for (std::size_t i = 0; i < length; ++i) hash = (hash ^ static_cast<unsigned char>(record[i])) * 1099511628211ull;
  return hash;
}

std::vector<std::uint64_t> SortedHashes(const std::string& records, std::size_t length) {
  std::vector<std::uint64_t> hashes;
  for (std::size_t at = 0; at < records.size(); at += length) hashes.push_back(HashRecord(&records[at], length));
  std::sort(hashes.begin(), hashes.end());
  return hashes;
}

// The keys that decide duplicates, as a SortSpec of their own.
SortSpec DuplicateKeysOf(const SortSpec& order) {
  SortSpec keys = order;
  keys.key_count = 0;
  int end = order.duplicate_position + order.duplicate_length;
  for (int i = 0; i < order.key_count; ++i) {
    const SortKey& key = order.keys[i];
    int key_end = key.position + key.length + key.nullable;
    if (key.position < end && order.duplicate_position < key_end && key_end > key.position) {
      keys.keys[keys.key_count++] = key;
    }
  }
  return keys;
}

bool Equal(const SortSpec& order, const char* a, const char* b) {
  return CompareSortRecords(order, a, b) && CompareSortRecords(order, b, a);
}

// Duplicates: equal keys over the DUPO range, and equal bytes where the range
// holds no key.
bool Duplicates(const SortSpec& order, const char* a, const char* b) {
  if (!Equal(DuplicateKeysOf(order), a, b)) return false;
  for (int at = order.duplicate_position; at < order.duplicate_position + order.duplicate_length; ++at) {
    bool covered = false;
    for (int i = 0; i < order.key_count; ++i) {
      const SortKey& key = order.keys[i];
      covered = covered || (key.position <= at && at < key.position + key.length + key.nullable);
    }
    if (!covered && a[at] != b[at]) return false;
  }
  return true;
}

// Runs of duplicates in the input sorted by a plain comparison sort.
std::size_t ReferenceRunCount(const SortSpec& order, const std::string& input) {
  std::size_t length = order.record_length;
  std::vector<const char*> records;
  for (std::size_t at = 0; at < input.size(); at += length) records.push_back(&input[at]);
  std::sort(records.begin(), records.end(),
            [&](const char* a, const char* b) { return !CompareSortRecords(order, a, b); });
  std::size_t runs = 0;
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (i == 0 || !Duplicates(order, records[i - 1], records[i])) ++runs;
  }
  return runs;
}

void ExpectSortedFrom(const std::string& order_text, const std::string& input, const SortOutcome& outcome) {
  SortSpec order;
  ASSERT_EQ(ParseSortSpec(order_text, order), kMsgSuccess);
  std::size_t length = order.record_length;
  ASSERT_EQ(outcome.status, kMsgSuccess) << order_text;
  ASSERT_EQ(outcome.output.size() % length, 0u);
  ASSERT_EQ(outcome.count, outcome.output.size() / length) << order_text;
  const std::string& output = outcome.output;
  for (std::size_t at = length; at < output.size(); at += length) {
    ASSERT_TRUE(CompareSortRecords(order, &output[at], &output[at - length]))
        << order_text << ": record " << at / length << " sorts before the one ahead of it";
    if (order.duplicate_length > 0) {
      ASSERT_FALSE(Duplicates(order, &output[at], &output[at - length]))
          << order_text << ": duplicate kept at record " << at / length;
    }
  }
  if (order.duplicate_length == 0) {
    EXPECT_EQ(SortedHashes(output, length), SortedHashes(input, length)) << order_text << ": not a permutation";
    return;
  }
  std::vector<std::uint64_t> in = SortedHashes(input, length);
  std::unordered_set<std::uint64_t> known(in.begin(), in.end());
  for (std::size_t at = 0; at < output.size(); at += length) {
    ASSERT_TRUE(known.count(HashRecord(&output[at], length))) << order_text << ": record not in the input";
  }
  EXPECT_EQ(outcome.count, ReferenceRunCount(order, input)) << order_text;
}

// Each test sorts in a folder of its own, with $TMPDIR pointing at an empty
// folder inside it, so that leftover run files can be counted.
class SortFileTest : public ::testing::Test {
 protected:
  fs::path base_;
  fs::path tmp_;
  std::string saved_tmpdir_;
  bool had_tmpdir_ = false;

  void SetUp() override {
    if (const char* old = std::getenv("TMPDIR")) {
      saved_tmpdir_ = old;
      had_tmpdir_ = true;
    }
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    base_ = fs::temp_directory_path() /
            ("helvane-sort-" + std::to_string(getpid()) + "-" + info->name());
    fs::remove_all(base_);
    tmp_ = base_ / "tmp";
    fs::create_directories(tmp_);
    setenv("TMPDIR", tmp_.c_str(), 1);
  }

  void TearDown() override {
    if (had_tmpdir_) setenv("TMPDIR", saved_tmpdir_.c_str(), 1); else unsetenv("TMPDIR");
    fs::remove_all(base_);
  }

  std::string PathOf(const std::string& name) const { return (base_ / name).string(); }

  // The sort through descriptors of the named files: one for both when they
  // are the same file, kNoFile for a file that does not exist.
  static void SortPaths(const std::string& in, const std::string& out, const std::string& order,
                        std::uint32_t& count, std::uint32_t& status, std::size_t budget = kSortMemoryBudget) {
    PlatformFile input = in == out ? OpenFileForUpdate(in) : OpenFileForReading(in);
    PlatformFile output = in == out ? input : OpenFileForUpdate(out);
    SortFileWithMemoryBudget(input, output, order, count, status, budget);
    if (output != input) CloseFile(output);
    CloseFile(input);
  }

  static void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }

  static std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  std::size_t LeftoverTemporaryFiles() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(tmp_), fs::directory_iterator()));
  }

  // Sorts input into an output that held other bytes before.
  SortOutcome Sort(const std::string& order, const std::string& input, std::size_t budget = kSortMemoryBudget,
                   bool in_place = false) {
    std::string in = PathOf("input");
    std::string out = in_place ? in : PathOf("output");
    WriteBytes(in, input);
    if (!in_place) WriteBytes(out, "bytes of an earlier result, longer than most outputs here");
    SortOutcome outcome;
    SortPaths(in, out, order, outcome.count, outcome.status, budget);
    outcome.output = ReadBytes(out);
    return outcome;
  }
};

std::string Join(const std::vector<std::string>& records) {
  std::string bytes;
  for (const std::string& record : records) bytes += record;
  return bytes;
}

std::string KeysText(int count) {
  std::string text = "S(";
  for (int i = 0; i < count; ++i) text += (i ? "," : "") + std::to_string(i + 1) + ",1,C," + (i % 2 ? "D" : "A");
  return text + ")F(FIX," + std::to_string(count) + ")";
}

TEST_F(SortFileTest, SortsSmallFilesAsWritten) {
  struct Case {
    std::string order;
    std::vector<std::string> input;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"S(1,3,C,A)F(FIX,3)", {"abe", "ABD", "abc"}, {"abc", "ABD", "abe"}},
      {"S(1,6,N,A)F(FIX,6)W(/tmp/)", {"10    ", "9     ", "-10   ", "-9    ", "9.5   "},
       {"-10   ", "-9    ", "9     ", "9.5   ", "10    "}},
      {"S(1,8,E,D)F(FIX,8)", {DoubleBytes(-1), DoubleBytes(3), DoubleBytes(0.5)},
       {DoubleBytes(3), DoubleBytes(0.5), DoubleBytes(-1)}},
      {"S(1,4,W,A)F(FIX,4)", {RecordIdBytes(0x80000000u), RecordIdBytes(256), RecordIdBytes(1)},
       {RecordIdBytes(1), RecordIdBytes(256), RecordIdBytes(0x80000000u)}},
      // NULL first ascending, apart from '' and 0.
      {"S(1,2,c,A,4,8,e,D)F(FIX,12)",
       {"  " " " + DoubleBytes(1) + " ", "  N" + DoubleBytes(0) + " ", "  " " " + DoubleBytes(0) + "N",
        "a " " " + DoubleBytes(0) + " "},
       {"  N" + DoubleBytes(0) + " ", "  " " " + DoubleBytes(1) + " ", "  " " " + DoubleBytes(0) + "N",
        "a " " " + DoubleBytes(0) + " "}},
      {KeysText(20), {"bbbbbbbbbbbbbbbbbbbb", "abbbbbbbbbbbbbbbbbbb", "aabbbbbbbbbbbbbbbbbb"},
       {"abbbbbbbbbbbbbbbbbbb", "aabbbbbbbbbbbbbbbbbb", "bbbbbbbbbbbbbbbbbbbb"}},
      // A sorted file with a run of three equal keys keeps one of them.
      {"S(1,2,C,A)DUPO(B4,1,2)F(FIX,4)", {"aa01", "bb02", "BB03", "bb04", "cc05"}, {}},
      // Equal keys keep their input order; duplicate removal keeps the first.
      {"S(1,1,C,A)F(FIX,2)", {"b1", "a2", "B3", "A4", "b5"}, {"a2", "A4", "b1", "B3", "b5"}},
      {"S(1,1,C,A)DUPO(B2,1,1)F(FIX,2)", {"b1", "a2", "B3", "A4"}, {"a2", "b1"}},
      // A marker inside the DUPO range but outside the keys still tells
      // NULL from '' and 0.
      {"S(1,2,C,A)DUPO(B3,1,3)F(FIX,3)", {"  N", "   ", "  N", "   "}, {"   ", "  N"}},
      {"S(1,8,E,A)DUPO(B9,1,9)F(FIX,9)", {DoubleBytes(0) + "N", DoubleBytes(0) + " ", DoubleBytes(0) + "N"},
       {DoubleBytes(0) + " ", DoubleBytes(0) + "N"}},
      {"S(1,2,C,A)F(FIX,2)", {}, {}},
  };
  for (const Case& c : cases) {
    SortOutcome outcome = Sort(c.order, Join(c.input));
    if (c.expected.empty() && !c.input.empty()) {
      ExpectSortedFrom(c.order, Join(c.input), outcome);
      EXPECT_EQ(outcome.count, c.input.size() - 2) << c.order;
    } else {
      EXPECT_EQ(outcome.status, kMsgSuccess) << c.order;
      EXPECT_EQ(outcome.count, c.expected.size()) << c.order;
      EXPECT_EQ(outcome.output, Join(c.expected)) << c.order;
    }
  }
}

TEST_F(SortFileTest, RefusesWhatItCannotSortAndLeavesTheOutputAlone) {
  struct Case {
    const char* what;
    std::string order;
    std::string input;
  };
  const Case cases[] = {
      {"size not a multiple of the record length", "S(1,4,C,A)F(FIX,4)", "abcdefghij"},
      {"21 keys", KeysText(21), std::string(42, 'x')},
      {"no record length", "S(1,4,C,A)", "abcd"},
      {"key past the record", "S(1,5,C,A)F(FIX,4)", "abcd"},
      {"number too large", "S(1,4,C,A)F(FIX,65540)", "abcd"},
  };
  for (const Case& c : cases) {
    SortOutcome outcome = Sort(c.order, c.input);
    EXPECT_EQ(outcome.status, kMsgUnableToOrderBy) << c.what;
    EXPECT_EQ(outcome.count, kUntouched) << c.what;
    EXPECT_EQ(outcome.output, "bytes of an earlier result, longer than most outputs here") << c.what;
  }
  std::uint32_t count = kUntouched;
  std::uint32_t status = kUntouched;
  WriteBytes(PathOf("input"), "abcd");
  SortPaths(PathOf("input"), PathOf("missing"), "S(1,4,C,A)F(FIX,4)", count, status);
  EXPECT_EQ(status, kMsgUnableToOrderBy);
  SortPaths(PathOf("missing"), PathOf("input"), "S(1,4,C,A)F(FIX,4)", count, status);
  EXPECT_EQ(status, kMsgUnableToOrderBy);
  EXPECT_EQ(count, kUntouched);
}

// Every count from empty to several runs, for budgets of a few records per
// run and per merge, so that exact multiples, short last runs, single-input
// merges and several merge passes all occur.
TEST_F(SortFileTest, SortsAcrossRunAndMergeBoundaries) {
  const std::string order = "S(1,3,C,A,4,4,W,D)F(FIX,9)";
  std::mt19937 random(7);
  for (std::size_t budget : {std::size_t{256}, std::size_t{700}, std::size_t{4096}}) {
    for (int count = 0; count <= 420; count += (count < 80 ? 1 : 17)) {
      std::string input;
      for (int i = 0; i < count; ++i) {
        input += std::string(1, "aAbBc"[random() % 5]) + "x" + "yz"[random() % 2];
        input += RecordIdBytes(static_cast<std::uint32_t>(random() % 4) << 30 | static_cast<std::uint32_t>(i % 3));
        input += static_cast<char>(i);
        input += static_cast<char>(i >> 8);
      }
      SCOPED_TRACE("budget " + std::to_string(budget) + ", " + std::to_string(count) + " records");
      ExpectSortedFrom(order, input, Sort(order, input, budget));
      EXPECT_EQ(LeftoverTemporaryFiles(), 0u);
    }
  }
}

TEST_F(SortFileTest, KeepsOneRecordOfDuplicatesSpreadOverManyRuns) {
  // DISTINCT's layout: row number, then values with their markers.
  const std::string order = "S(6,3,c,A,10,8,e,D)DUPO(B18,6,13)F(FIX,18)";
  const std::string values[] = {"abc " + DoubleBytes(1) + " ", "ABC " + DoubleBytes(1) + " ",
                                "abc " + DoubleBytes(1) + "N", "   N" + DoubleBytes(0) + " ",
                                "zzzN" + DoubleBytes(2) + "N", "    " + DoubleBytes(0) + " "};
  for (bool sorted_input : {false, true}) {
    for (std::size_t budget : {std::size_t{300}, std::size_t{2000}, kSortMemoryBudget}) {
      std::vector<std::string> records;
      for (int i = 0; i < 3000; ++i) {
        char row[6];
        std::snprintf(row, sizeof row, "%05d", i);
        records.push_back(row + values[sorted_input ? i * 6 / 3000 : i % 6]);
      }
      SCOPED_TRACE(std::string(sorted_input ? "sorted" : "mixed") + ", budget " + std::to_string(budget));
      SortOutcome outcome = Sort(order, Join(records), budget);
      ExpectSortedFrom(order, Join(records), outcome);
      // abc/ABC are one value; NULL is neither '' nor 0, and equals NULL.
      EXPECT_EQ(outcome.count, 5u);
      // Each value keeps the first row that held it.
      std::set<std::string> kept;
      for (std::size_t at = 0; at < outcome.output.size(); at += 18) kept.insert(outcome.output.substr(at, 5));
      const std::set<std::string> first = sorted_input ? std::set<std::string>{"00000", "01000", "01500", "02000", "02500"}
                                                       : std::set<std::string>{"00000", "00002", "00003", "00004", "00005"};
      EXPECT_EQ(kept, first);
    }
  }
}

enum class Shape { kRandom, kSorted, kReversed, kAllEqual };

std::string MakeInput(const SortSpec& order, Shape shape, std::size_t count, std::mt19937& random) {
  std::size_t key_bytes = 0;
  for (int k = 0; k < order.key_count; ++k) key_bytes += order.keys[k].length + order.keys[k].nullable;
  std::size_t payload = order.record_length - key_bytes;
  std::string first_keys;
  for (int k = 0; k < order.key_count; ++k) first_keys += RandomKeyBytes(order.keys[k], random);
  std::vector<std::string> records;
  for (std::size_t i = 0; i < count; ++i) {
    std::string record = first_keys;
    if (shape != Shape::kAllEqual) {
      record.clear();
      for (int k = 0; k < order.key_count; ++k) record += RandomKeyBytes(order.keys[k], random);
    }
    for (std::size_t p = 0; p < payload; ++p) record += static_cast<char>(random());
    records.push_back(record);
  }
  if (shape == Shape::kSorted || shape == Shape::kReversed) {
    std::sort(records.begin(), records.end(),
              [&](const std::string& a, const std::string& b) { return !CompareSortRecords(order, a.data(), b.data()); });
    if (shape == Shape::kReversed) std::reverse(records.begin(), records.end());
  }
  return Join(records);
}

TEST_F(SortFileTest, MatchesTheReferenceOnRandomKeysAndShapes) {
  std::mt19937 random(424242);
  const Shape shapes[] = {Shape::kRandom, Shape::kSorted, Shape::kReversed, Shape::kAllEqual};
  const std::size_t budgets[] = {200, 1000, 6000, kSortMemoryBudget};
  for (int round = 0; round < 64; ++round) {
    std::string order_text = RandomSortText(random, 2, true);
    SortSpec order;
    ASSERT_EQ(ParseSortSpec(order_text, order), kMsgSuccess) << order_text;
    Shape shape = shapes[round % 4];
    std::size_t count = random() % 3 == 0 ? random() % 50 : random() % 4000;
    std::size_t budget = budgets[random() % std::size(budgets)];
    bool in_place = random() % 4 == 0;
    std::string input = MakeInput(order, shape, count, random);
    SCOPED_TRACE(order_text + ", shape " + std::to_string(static_cast<int>(shape)) + ", " + std::to_string(count) +
                 " records, budget " + std::to_string(budget) + (in_place ? ", in place" : ""));
    ExpectSortedFrom(order_text, input, Sort(order_text, input, budget, in_place));
    ASSERT_EQ(LeftoverTemporaryFiles(), 0u);
  }
}

// Half a million records with a budget of a few hundred records per run: over
// four hundred runs and two merge passes, as a file of hundreds of millions
// would take under the real budget. The shapes are made by counting rather
// than sorting, to keep the test quick under the sanitizers.
TEST_F(SortFileTest, SortsLargeFilesThroughSeveralMergePasses) {
  const std::string order = "S(1,4,W,A,5,3,c,D,9,8,e,A)F(FIX,20)";
  const std::size_t count = 120000;
  std::mt19937 random(99);
  for (Shape shape : {Shape::kRandom, Shape::kSorted, Shape::kReversed, Shape::kAllEqual}) {
    std::string input;
    input.reserve(count * 20);
    for (std::size_t i = 0; i < count; ++i) {
      std::uint32_t id = shape == Shape::kRandom     ? static_cast<std::uint32_t>(random() % 5000)
                         : shape == Shape::kSorted   ? static_cast<std::uint32_t>(i / 3)
                         : shape == Shape::kReversed ? static_cast<std::uint32_t>(count - i)
                                                     : 7;
      input += RecordIdBytes(id);
      input += shape == Shape::kAllEqual ? std::string("abc ") : std::string{"aB_"[random() % 3], 'x', 'y', " N"[random() % 2]};
      input += DoubleBytes(shape == Shape::kAllEqual ? 1.0 : static_cast<double>(random() % 5));
      input += shape == Shape::kAllEqual ? ' ' : " N"[random() % 2];
      input += std::string{static_cast<char>(i), static_cast<char>(i >> 8), static_cast<char>(i >> 16)};
    }
    SCOPED_TRACE("shape " + std::to_string(static_cast<int>(shape)));
    SortOutcome outcome = Sort(order, input, std::size_t{16} << 10);
    ExpectSortedFrom(order, input, outcome);
    EXPECT_EQ(LeftoverTemporaryFiles(), 0u);
    // Equal neighbours keep their input order, counted in the last 3 bytes.
    SortSpec spec;
    ParseSortSpec(order, spec);
    auto ordinal = [&](std::size_t at) {
      const auto* tail = reinterpret_cast<const unsigned char*>(&outcome.output[at + 17]);
      return tail[0] | tail[1] << 8 | tail[2] << 16;
    };
    for (std::size_t at = 20; at < outcome.output.size(); at += 20) {
      if (Equal(spec, &outcome.output[at], &outcome.output[at - 20])) {
        ASSERT_LT(ordinal(at - 20), ordinal(at));
      }
    }
  }
}

// What a stable sort of the input gives, less every record that duplicates
// the one kept before it.
std::string StableReference(const SortSpec& order, const std::string& input) {
  const std::size_t length = order.record_length;
  std::vector<const char*> records;
  for (std::size_t at = 0; at < input.size(); at += length) records.push_back(&input[at]);
  std::stable_sort(records.begin(), records.end(),
                   [&](const char* a, const char* b) { return !CompareSortRecords(order, a, b); });
  std::string expected;
  const char* kept = nullptr;
  for (const char* record : records) {
    if (order.duplicate_length > 0 && kept != nullptr && Duplicates(order, kept, record)) continue;
    expected.append(record, length);
    kept = record;
  }
  return expected;
}

// Text keys as wide as 254 characters take, mostly padding, through runs of
// a few dozen records and two or more merge passes: the output is exactly
// the stable sort's, duplicates removed over wide keys, over the first of
// two keys, and over NULL markers.
TEST_F(SortFileTest, SortsWideMostlyPaddedTextKeysExactlyAsAStableSort) {
  const std::string orders[] = {
      "S(1,1016,c,A)F(FIX,1021)",
      "S(1,1016,c,D)DUPO(B1021,1,1017)F(FIX,1021)",
      "S(1,80,C,A,82,80,c,D)DUPO(B166,1,81)F(FIX,166)",
  };
  std::mt19937 random(254);
  for (const std::string& order_text : orders) {
    SortSpec order;
    ASSERT_EQ(ParseSortSpec(order_text, order), kMsgSuccess);
    for (std::size_t budget : {std::size_t{24} << 10, std::size_t{200} << 10}) {
      std::string input;
      for (std::uint32_t i = 0; i < 3000; ++i) {
        std::string record;
        for (int k = 0; k < order.key_count; ++k) record += RandomKeyBytes(order.keys[k], random);
        record.resize(order.record_length - 4, ' ');
        input += record + RecordIdBytes(i);
      }
      SCOPED_TRACE(order_text + ", budget " + std::to_string(budget));
      for (bool in_place : {false, true}) {
        SortOutcome outcome = Sort(order_text, input, budget, in_place);
        ASSERT_EQ(outcome.status, kMsgSuccess);
        const std::string expected = StableReference(order, input);
        EXPECT_EQ(outcome.count, expected.size() / order.record_length);
        EXPECT_TRUE(outcome.output == expected) << "the output differs from the stable sort";
        EXPECT_EQ(LeftoverTemporaryFiles(), 0u);
      }
    }
  }
}

TEST_F(SortFileTest, FailingTemporaryFilesGiveUnableToOrderByAndLeaveNothingBehind) {
  const std::string order = "S(1,4,C,A)F(FIX,8)";
  std::string input;
  for (int i = 0; i < 20000; ++i) input += std::string{"abcd"[i % 4], "xy"[i % 2], 'z', 'q'} + RecordIdBytes(i);
  WriteBytes(PathOf("input"), input);
  WriteBytes(PathOf("not-a-folder"), "x");
  struct Case {
    const char* what;
    std::string tmpdir;
    rlim_t file_size_limit;  // 0: none
    std::size_t budget;
    std::uint32_t status;
  };
  const Case cases[] = {
      {"temporary folder is a file", PathOf("not-a-folder"), 0, 4096, kMsgUnableToOrderBy},
      {"temporary folder is missing", PathOf("missing"), 0, 4096, kMsgUnableToOrderBy},
      {"one run needs no temporary file", PathOf("missing"), 0, kSortMemoryBudget, kMsgSuccess},
      {"full after a few runs", tmp_.string(), 20000, 4096, kMsgUnableToOrderBy},
      {"full during the last runs", tmp_.string(), input.size() - 100, 4096, kMsgUnableToOrderBy},
      {"full after a few runs, several passes", tmp_.string(), 50000, 600, kMsgUnableToOrderBy},
  };
  for (const Case& c : cases) {
    WriteBytes(PathOf("output"), "");
    setenv("TMPDIR", c.tmpdir.c_str(), 1);
    std::uint32_t count = 0;
    std::uint32_t status = kUntouched;
    if (c.file_size_limit > 0) {
      ScopedFileSizeLimit limit(c.file_size_limit);
      SortPaths(PathOf("input"), PathOf("output"), order, count, status, c.budget);
    } else {
      SortPaths(PathOf("input"), PathOf("output"), order, count, status, c.budget);
    }
    EXPECT_EQ(status, c.status) << c.what;
    EXPECT_EQ(LeftoverTemporaryFiles(), 0u) << c.what;
    EXPECT_EQ(ReadBytes(PathOf("input")), input) << c.what;
  }
  setenv("TMPDIR", tmp_.c_str(), 1);
  EXPECT_EQ(fs::exists(PathOf("missing")), false);
}

}  // namespace
