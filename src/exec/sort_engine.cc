// The external sort: runs that fit the memory budget are sorted on their
// normalized keys and spooled to a temporary file, then merged k ways, in as
// many passes as the budget's fan-in needs; duplicates go in the last merge.
// Called by the result passes that order, group and de-duplicate rows.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "exec/sort_engine.h"
#include "exec/sort_keys.h"
#include "platform/files.h"

namespace {

constexpr std::size_t kMaxIoBlock = std::size_t{1} << 20;

// 0 except while a test has lowered the budget.
std::atomic<std::size_t> testing_memory_budget{0};

// Closes a file opened here on every path out.
struct OpenFileHolder {
  PlatformFile file = kNoFile;
  explicit OpenFileHolder(PlatformFile f) : file(f) {}
  OpenFileHolder(const OpenFileHolder&) = delete;
  OpenFileHolder& operator=(const OpenFileHolder&) = delete;
  ~OpenFileHolder() { CloseFile(file); }
};

// What the budget buys: records per in-memory run, records per output block,
// records per merge input's read block, and how many runs one merge takes.
struct MemoryPlan {
  std::size_t run_records = 0;
  std::size_t block_records = 0;
  std::size_t read_records = 0;
  std::size_t fan_in = 0;
};

// A sort entry: the first 8 normalized bytes as a number decide most
// comparisons without touching the rest of the keys.
struct SortEntry {
  std::uint64_t prefix;
  std::uint32_t index;
};

struct SortPlan {
  SortSpec order;
  std::size_t record_length = 0;
  std::size_t key_length = 0;
  bool remove_duplicates = false;
  std::vector<KeySegment> duplicate_segments;
  MemoryPlan memory;
};

// A sorted sequence of records in a run file, counted in records.
struct Run {
  std::uint64_t first = 0;
  std::uint64_t count = 0;
};

std::size_t RecordsIn(std::size_t bytes, std::size_t record_length) {
  return std::max<std::size_t>(1, bytes / record_length);
}

MemoryPlan PlanMemory(std::size_t budget, std::size_t record_length, std::size_t key_length) {
  MemoryPlan plan;
  plan.block_records = RecordsIn(std::min(budget / 16, kMaxIoBlock), record_length);
  std::size_t block_bytes = plan.block_records * record_length;
  std::size_t room = budget > block_bytes ? budget - block_bytes : 0;
  plan.run_records = std::max<std::size_t>(2, room / (record_length + key_length + sizeof(SortEntry)));
  // Whole-megabyte reads keep the merge sequential on disk; a small budget
  // trades read size for fan-in so that it still merges many runs at once.
  plan.read_records = RecordsIn(std::min(budget / 64, kMaxIoBlock), record_length);
  std::size_t per_input = plan.read_records * record_length + key_length + sizeof(SortEntry);
  plan.fan_in = std::max<std::size_t>(2, room / per_input);
  // A run is indexed by 32 bits in its entries.
  plan.run_records = std::min<std::size_t>(plan.run_records, std::numeric_limits<std::uint32_t>::max());
  return plan;
}

std::uint64_t KeyPrefix(const unsigned char* key, std::size_t key_length) {
  std::uint64_t prefix = 0;
  std::size_t n = std::min<std::size_t>(8, key_length);
  for (std::size_t i = 0; i < 8; ++i) prefix = prefix << 8 | (i < n ? key[i] : 0);
  return prefix;
}

int CompareKeyTails(const unsigned char* a, const unsigned char* b, std::size_t key_length) {
  return key_length > 8 ? std::memcmp(a + 8, b + 8, key_length - 8) : 0;
}

bool SameDuplicateKey(const SortPlan& plan, const unsigned char* a, const unsigned char* b) {
  for (const KeySegment& segment : plan.duplicate_segments) {
    if (std::memcmp(a + segment.offset, b + segment.offset, segment.length) != 0) return false;
  }
  return true;
}

// Buffers records on their way to a file and writes them in whole blocks; it
// also drops a record whose duplicate key equals the last one kept.
struct RecordWriter {
  const SortPlan& plan;
  PlatformFile file;
  std::int64_t offset;  // bytes
  bool remove_duplicates;
  std::vector<unsigned char> block;
  std::size_t used = 0;
  std::vector<unsigned char> last_key;
  bool has_last = false;
  std::uint64_t written = 0;  // records
  bool failed = false;

  RecordWriter(const SortPlan& p, PlatformFile f, std::int64_t start, bool dedupe)
      : plan(p), file(f), offset(start), remove_duplicates(dedupe),
        block(p.memory.block_records * p.record_length), last_key(dedupe ? p.key_length : 0) {}

  void Put(const unsigned char* record, const unsigned char* key) {
    if (remove_duplicates) {
      if (has_last && SameDuplicateKey(plan, last_key.data(), key)) return;
      if (plan.key_length > 0) std::memcpy(last_key.data(), key, plan.key_length);
      has_last = true;
    }
    if (used == block.size()) Flush();
    std::memcpy(block.data() + used, record, plan.record_length);
    used += plan.record_length;
    ++written;
  }

  void Flush() {
    if (used == 0) return;
    if (!failed && !WriteWholeBufferAt(file, block.data(), used, offset)) failed = true;
    offset += static_cast<std::int64_t>(used);
    used = 0;
  }
};

// One run's worth of records in memory with their normalized keys.
struct RunBuffer {
  std::vector<unsigned char> records;
  std::vector<unsigned char> keys;
  std::vector<SortEntry> entries;
};

bool ReadRecords(PlatformFile input, const SortPlan& plan, std::size_t count, RunBuffer& run) {
  std::size_t bytes = count * plan.record_length;
  if (ReadFullBuffer(input, run.records.data(), bytes) != static_cast<std::int64_t>(bytes)) return false;
  run.entries.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    unsigned char* key = run.keys.data() + i * plan.key_length;
    NormalizeSortKeys(plan.order, run.records.data() + i * plan.record_length, key);
    run.entries[i] = {KeyPrefix(key, plan.key_length), static_cast<std::uint32_t>(i)};
  }
  return true;
}

// Equal keys fall back on the input position, which makes the sort stable
// (runs are read, and merged, in input order), so the first record of a
// group or of a set of duplicates is the first one the writer wrote.
void SortRun(const SortPlan& plan, RunBuffer& run) {
  const unsigned char* keys = run.keys.data();
  std::size_t key_length = plan.key_length;
  std::sort(run.entries.begin(), run.entries.end(), [=](const SortEntry& a, const SortEntry& b) {
    if (a.prefix != b.prefix) return a.prefix < b.prefix;
    int tails = CompareKeyTails(keys + a.index * key_length, keys + b.index * key_length, key_length);
    return tails != 0 ? tails < 0 : a.index < b.index;
  });
}

void WriteRun(const SortPlan& plan, const RunBuffer& run, RecordWriter& writer) {
  for (const SortEntry& entry : run.entries) {
    writer.Put(run.records.data() + std::size_t{entry.index} * plan.record_length,
               run.keys.data() + std::size_t{entry.index} * plan.key_length);
  }
}

void AllocateRunBuffer(const SortPlan& plan, std::size_t records, RunBuffer& run) {
  run.records.resize(records * plan.record_length);
  run.keys.resize(records * plan.key_length);
  run.entries.reserve(records);
}

// Everything fits one run: sorted straight into the output.
bool SortInMemory(const SortPlan& plan, PlatformFile input, PlatformFile output, std::size_t count,
                  std::uint64_t& kept) {
  RunBuffer run;
  AllocateRunBuffer(plan, count, run);
  if (!ReadRecords(input, plan, count, run)) return false;
  SortRun(plan, run);
  RecordWriter writer(plan, output, 0, plan.remove_duplicates);
  WriteRun(plan, run, writer);
  writer.Flush();
  kept = writer.written;
  return !writer.failed;
}

bool SpoolRuns(const SortPlan& plan, PlatformFile input, std::uint64_t total, PlatformFile runs_file,
               std::vector<Run>& runs) {
  RunBuffer run;
  AllocateRunBuffer(plan, plan.memory.run_records, run);
  RecordWriter writer(plan, runs_file, 0, false);
  for (std::uint64_t done = 0; done < total;) {
    auto count = static_cast<std::size_t>(std::min<std::uint64_t>(plan.memory.run_records, total - done));
    if (!ReadRecords(input, plan, count, run)) return false;
    SortRun(plan, run);
    WriteRun(plan, run, writer);
    runs.push_back({done, count});
    done += count;
  }
  writer.Flush();
  return !writer.failed;
}

// One merge input: a window of its run and the normalized key of its head.
struct MergeInput {
  unsigned char* buffer = nullptr;
  std::size_t buffered = 0;  // records in the window
  std::size_t at = 0;        // head's index in the window
  std::uint64_t next = 0;    // next record of the file to read
  std::uint64_t left = 0;    // records of the run not yet read
  unsigned char* key = nullptr;
  std::uint64_t prefix = 0;
};

// Ties go to the input of the earlier run.
struct MergeState {
  const SortPlan& plan;
  PlatformFile source;
  std::vector<unsigned char> windows;
  std::vector<unsigned char> keys;
  std::vector<MergeInput> inputs;
  std::vector<std::uint32_t> heap;  // indices of inputs with a head

  bool Before(std::uint32_t a, std::uint32_t b) const {
    const MergeInput& x = inputs[a];
    const MergeInput& y = inputs[b];
    if (x.prefix != y.prefix) return x.prefix < y.prefix;
    int tails = CompareKeyTails(x.key, y.key, plan.key_length);
    return tails != 0 ? tails < 0 : a < b;
  }
};

const unsigned char* HeadRecord(const SortPlan& plan, const MergeInput& input) {
  return input.buffer + input.at * plan.record_length;
}

void NormalizeHead(const SortPlan& plan, MergeInput& input) {
  NormalizeSortKeys(plan.order, HeadRecord(plan, input), input.key);
  input.prefix = KeyPrefix(input.key, plan.key_length);
}

// Moves the input to its next record; false at the end of its run or when
// the read fails (failed tells which).
bool AdvanceInput(MergeState& state, MergeInput& input, bool& failed) {
  const SortPlan& plan = state.plan;
  if (++input.at < input.buffered) {
    NormalizeHead(plan, input);
    return true;
  }
  if (input.left == 0) return false;
  auto count = static_cast<std::size_t>(std::min<std::uint64_t>(plan.memory.read_records, input.left));
  std::size_t bytes = count * plan.record_length;
  auto offset = static_cast<std::int64_t>(input.next * plan.record_length);
  if (ReadFullBufferAt(state.source, input.buffer, bytes, offset) != static_cast<std::int64_t>(bytes)) {
    failed = true;
    return false;
  }
  input.buffered = count;
  input.at = 0;
  input.next += count;
  input.left -= count;
  NormalizeHead(plan, input);
  return true;
}

void SiftDown(MergeState& state, std::size_t slot) {
  std::vector<std::uint32_t>& heap = state.heap;
  for (;;) {
    std::size_t child = 2 * slot + 1;
    if (child >= heap.size()) return;
    if (child + 1 < heap.size() && state.Before(heap[child + 1], heap[child])) ++child;
    if (!state.Before(heap[child], heap[slot])) return;
    std::swap(heap[slot], heap[child]);
    slot = child;
  }
}

bool MergeGroup(MergeState& state, const Run* group, std::size_t count, RecordWriter& writer) {
  const SortPlan& plan = state.plan;
  bool failed = false;
  state.heap.clear();
  for (std::size_t i = 0; i < count; ++i) {
    MergeInput& input = state.inputs[i];
    input.buffered = 0;
    input.at = 0;
    input.next = group[i].first;
    input.left = group[i].count;
    if (AdvanceInput(state, input, failed)) state.heap.push_back(static_cast<std::uint32_t>(i));
  }
  for (std::size_t slot = state.heap.size(); slot-- > 0;) SiftDown(state, slot);
  while (!state.heap.empty() && !failed) {
    MergeInput& top = state.inputs[state.heap.front()];
    writer.Put(HeadRecord(plan, top), top.key);
    if (!AdvanceInput(state, top, failed)) {
      state.heap.front() = state.heap.back();
      state.heap.pop_back();
    }
    SiftDown(state, 0);
  }
  return !failed;
}

void AllocateMergeState(MergeState& state) {
  const SortPlan& plan = state.plan;
  std::size_t fan_in = plan.memory.fan_in;
  state.windows.resize(fan_in * plan.memory.read_records * plan.record_length);
  state.keys.resize(fan_in * plan.key_length);
  state.inputs.resize(fan_in);
  state.heap.reserve(fan_in);
  for (std::size_t i = 0; i < fan_in; ++i) {
    state.inputs[i].buffer = state.windows.data() + i * plan.memory.read_records * plan.record_length;
    state.inputs[i].key = state.keys.data() + i * plan.key_length;
  }
}

// Merges groups of fan-in runs into longer runs in the other temporary file
// until one merge can take them all.
bool ReduceRuns(const SortPlan& plan, TemporaryFileHolder& source, TemporaryFileHolder& spare,
                std::vector<Run>& runs) {
  while (runs.size() > plan.memory.fan_in) {
    if (spare.file == kNoFile && !spare.Create()) return false;
    if (!TruncateFile(spare.file, 0)) return false;
    MergeState state{plan, source.file, {}, {}, {}, {}};
    AllocateMergeState(state);
    RecordWriter writer(plan, spare.file, 0, false);
    std::vector<Run> merged;
    for (std::size_t i = 0; i < runs.size(); i += plan.memory.fan_in) {
      std::size_t count = std::min(plan.memory.fan_in, runs.size() - i);
      std::uint64_t first = writer.written;
      if (!MergeGroup(state, runs.data() + i, count, writer)) return false;
      merged.push_back({first, writer.written - first});
    }
    writer.Flush();
    if (writer.failed) return false;
    runs.swap(merged);
    std::swap(source.file, spare.file);
  }
  return true;
}

bool SortThroughRuns(const SortPlan& plan, PlatformFile input, PlatformFile output, std::uint64_t total,
                     std::uint64_t& kept) {
  TemporaryFileHolder runs_file;
  TemporaryFileHolder spare_file;
  if (!runs_file.Create()) return false;
  std::vector<Run> runs;
  if (!SpoolRuns(plan, input, total, runs_file.file, runs)) return false;
  if (!ReduceRuns(plan, runs_file, spare_file, runs)) return false;
  MergeState state{plan, runs_file.file, {}, {}, {}, {}};
  AllocateMergeState(state);
  RecordWriter writer(plan, output, 0, plan.remove_duplicates);
  if (!MergeGroup(state, runs.data(), runs.size(), writer)) return false;
  writer.Flush();
  kept = writer.written;
  return !writer.failed;
}

SortPlan MakeSortPlan(const SortSpec& order, std::size_t memory_budget) {
  SortPlan plan;
  plan.order = order;
  plan.record_length = order.record_length;
  plan.key_length = NormalizedKeyLength(order);
  plan.remove_duplicates = order.duplicate_length > 0;
  plan.duplicate_segments = DuplicateKeySegments(order);
  plan.memory = PlanMemory(memory_budget, plan.record_length, plan.key_length);
  return plan;
}

// The steps once both files are open; the input is read to its end before
// the output is written, which is what lets both be the same file.
bool SortOpenFiles(const SortPlan& plan, PlatformFile input, PlatformFile output, std::uint64_t total,
                   std::uint64_t& kept) {
  bool sorted = total <= plan.memory.run_records
                    ? SortInMemory(plan, input, output, static_cast<std::size_t>(total), kept)
                    : SortThroughRuns(plan, input, output, total, kept);
  return sorted && TruncateFile(output, static_cast<std::int64_t>(kept * plan.record_length));
}

void SortFileWithin(const std::string& input_path, const std::string& output_path, std::string_view order_text,
                    std::uint32_t& record_count, std::uint32_t& status, std::size_t memory_budget) {
  status = kMsgUnableToOrderBy;
  SortSpec order;
  if (ParseSortSpec(order_text, order) != kMsgSuccess || order.record_length == 0) return;
  OpenFileHolder input(OpenFileForReading(input_path));
  if (input.file == kNoFile) return;
  std::int64_t size = FileSize(input.file);
  if (size < 0 || size % order.record_length != 0) return;
  auto total = static_cast<std::uint64_t>(size) / order.record_length;
  if (total > std::numeric_limits<std::uint32_t>::max()) return;
  OpenFileHolder output(OpenFileForUpdate(output_path));
  if (output.file == kNoFile) return;
  record_count = static_cast<std::uint32_t>(total);
  SortPlan plan = MakeSortPlan(order, memory_budget);
  std::uint64_t kept = 0;
  if (!SortOpenFiles(plan, input.file, output.file, total, kept)) return;
  record_count = static_cast<std::uint32_t>(kept);
  status = kMsgSuccess;
}

}  // namespace

void SortFileWithMemoryBudget(const std::string& input_path, const std::string& output_path,
                              std::string_view order_text, std::uint32_t& record_count, std::uint32_t& status,
                              std::size_t memory_budget) {
  try {
    SortFileWithin(input_path, output_path, order_text, record_count, status, memory_budget);
  } catch (...) {
    // Allocation failures, and anything else a container throws, end the sort
    // like any other failure; the holders have already closed and deleted.
    status = kMsgUnableToOrderBy;
  }
}

void SortFile(const std::string& input_path, const std::string& output_path, std::string_view order_text,
              std::uint32_t& record_count, std::uint32_t& status) {
  const std::size_t tested = testing_memory_budget.load(std::memory_order_relaxed);
  SortFileWithMemoryBudget(input_path, output_path, order_text, record_count, status,
                           tested != 0 ? tested : kSortMemoryBudget);
}

void SetSortMemoryBudgetForTesting(std::size_t memory_budget) {
  testing_memory_budget.store(memory_budget, std::memory_order_relaxed);
}
