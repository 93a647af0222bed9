// The external sort: runs that fit the memory budget are sorted on their
// normalized keys and spooled to a temporary file, then merged k ways, in as
// many passes as the budget's fan-in needs. Records are packed in memory and
// in run files and keys take the bytes their values need, so wide, mostly
// blank records cost memory and run-file bytes for their contents only.
// Called by the result passes that order, group and de-duplicate rows.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "exec/sort_engine.h"
#include "exec/record_block_reader.h"
#include "exec/sort_engine_records.h"
#include "exec/sort_keys.h"
#include "platform/files.h"

namespace {

constexpr std::size_t kMaxIoBlock = std::size_t{1} << 20;

// 0 except while a test has lowered the budget.
std::atomic<std::size_t> testing_memory_budget{0};

// What the budget buys: the input block and the output block, the arena that
// holds one run and then the merges' inputs, each merge input's read window,
// and how many runs one merge takes.
struct MemoryPlan {
  std::size_t io_block = 0;  // bytes, whole records
  std::size_t arena = 0;     // bytes
  std::size_t window = 0;    // bytes
  std::size_t fan_in = 0;
};

// A sort entry: the first 8 normalized bytes as a number decide most
// comparisons without touching the rest of the keys. In the arena each
// record is its normalized keys followed by the packed record.
struct SortEntry {
  std::uint64_t prefix;
  std::uint32_t offset;  // of the key in the arena
  std::uint32_t key_length;
};

struct SortPlan {
  SortSpec order;
  std::size_t record_length = 0;
  std::size_t max_key_length = 0;
  std::size_t max_packed_length = 0;
  bool remove_duplicates = false;
  DuplicateRule duplicates;
  MemoryPlan memory;
};

// Run files hold each record as the first kStoredPrefix bytes of its
// normalized keys (zero-padded) and the packed record. Writing whole keys
// would cost more than making them again, and a merge seldom needs more
// than those bytes to order its heads; it makes a head's keys only when two
// heads share them or duplicates are removed.
constexpr std::size_t kStoredPrefix = 16;

// A sorted sequence of stored records in a run file, in bytes.
struct Run {
  std::uint64_t first = 0;
  std::uint64_t length = 0;
};

MemoryPlan PlanMemory(std::size_t budget, const SortPlan& plan, std::uint64_t total) {
  MemoryPlan memory;
  const std::size_t record_length = plan.record_length;
  // A record's keys and packed record, its entry and the radix sort's slot.
  const std::size_t per_record = plan.max_key_length + plan.max_packed_length + 2 * sizeof(SortEntry);
  // A small file gets buffers for what it holds, not for the whole budget.
  const std::uint64_t records = std::max<std::uint64_t>(1, total);
  const std::size_t io_bytes =
      static_cast<std::size_t>(std::min<std::uint64_t>(std::min(budget / 16, kMaxIoBlock), records * record_length));
  memory.io_block = std::max<std::size_t>(1, io_bytes / record_length) * record_length;
  // Whole-megabyte reads keep the merge sequential on disk; a small budget
  // trades read size for fan-in so that it still merges many runs at once.
  memory.window = std::max(std::min(budget / 64, kMaxIoBlock), 2 * (kStoredPrefix + plan.max_packed_length));
  const std::size_t per_input = memory.window + record_length + plan.max_key_length;
  const std::size_t room = budget > 2 * memory.io_block ? budget - 2 * memory.io_block : 0;
  // The spare entry rounds the records' bytes up to whole entries.
  const std::uint64_t needed = records * per_record + sizeof(SortEntry);
  memory.arena = needed <= room ? static_cast<std::size_t>(needed)
                                : std::max({room, 2 * per_record + sizeof(SortEntry), 2 * per_input});
  // Entries address the arena with 32 bits.
  memory.arena = std::min<std::size_t>(memory.arena, std::numeric_limits<std::uint32_t>::max());
  memory.fan_in = std::max<std::size_t>(2, memory.arena / per_input);
  return memory;
}

// Eight bytes as a number that orders like them.
std::uint64_t LoadBigEndian(const unsigned char* bytes) {
  std::uint64_t number = 0;
  for (std::size_t i = 0; i < 8; ++i) number = number << 8 | bytes[i];
  return number;
}

// The first 8 normalized bytes, zero-padded; padding never makes two keys
// equal, since no key is a prefix of another.
std::uint64_t KeyPrefix(const unsigned char* key, std::size_t key_length) {
  if (key_length >= 8) return LoadBigEndian(key);
  unsigned char padded[8] = {};
  std::memcpy(padded, key, key_length);
  return LoadBigEndian(padded);
}

// The order of two normalized keys whose first `from` bytes are equal.
// Keys are never a prefix of one another, so the bytes both have decide,
// and equal bytes mean equal keys.
int CompareKeysFrom(std::size_t from, const unsigned char* a, std::size_t a_length, const unsigned char* b,
                    std::size_t b_length) {
  const std::size_t common = std::min(a_length, b_length);
  return common > from ? std::memcmp(a + from, b + from, common - from) : 0;
}

// Buffers bytes on their way to a file and writes them in whole blocks.
struct BlockWriter {
  PlatformFile file;
  std::int64_t offset;  // of the block in the file
  std::vector<unsigned char> block;
  std::size_t used = 0;
  bool failed = false;

  BlockWriter(PlatformFile f, std::int64_t start, std::size_t size) : file(f), offset(start), block(size) {}

  // Room for length bytes, which the caller fills; length is at most the block.
  unsigned char* Reserve(std::size_t length) {
    if (used + length > block.size()) Flush();
    unsigned char* at = block.data() + used;
    used += length;
    return at;
  }

  void Flush() {
    if (used == 0) return;
    if (!failed && !WriteWholeBufferAt(file, block.data(), used, offset)) failed = true;
    offset += static_cast<std::int64_t>(used);
    used = 0;
  }

  std::uint64_t BytesWritten() const { return static_cast<std::uint64_t>(offset) + used; }
};

// Where sorted records go: stored into a run file, or unpacked into the
// output, dropping a record whose duplicate keys equal the last one kept.
// Runs drop them too when the DUPO range covers every key: duplicates are
// then equal in the sort's order and neighbours in every run as in the
// output, whose first is also first in its run, so removing the others early
// keeps the same records and spares writing and merging them. (Records equal
// over a range that leaves a key out need not be neighbours, and only the
// output's neighbours count.)
struct RecordWriter {
  const SortPlan& plan;
  BlockWriter blocks;
  bool to_output;
  bool remove_duplicates;
  std::vector<unsigned char> last_key;
  std::size_t last_key_length = 0;
  bool has_last = false;
  std::uint64_t written = 0;  // records

  RecordWriter(const SortPlan& p, PlatformFile f, bool output)
      : plan(p), blocks(f, 0, std::max(p.memory.io_block, kStoredPrefix + p.max_packed_length)), to_output(output),
        remove_duplicates(p.remove_duplicates && (output || p.duplicates.every_key)),
        last_key(remove_duplicates ? p.max_key_length : 0) {}

  // True for a record to drop; else its keys become the last kept.
  bool Duplicate(const unsigned char* key, std::size_t key_length) {
    if (!remove_duplicates) return false;
    if (has_last && SameDuplicateKeys(plan.order, plan.duplicates, last_key.data(), last_key_length, key, key_length)) {
      return true;
    }
    if (key_length > 0) std::memcpy(last_key.data(), key, key_length);
    last_key_length = key_length;
    has_last = true;
    return false;
  }

  // A record as a run file stores it, from the arena.
  void PutToRun(const unsigned char* key, std::size_t key_length, const unsigned char* packed,
                std::size_t packed_length) {
    if (Duplicate(key, key_length)) return;
    unsigned char* at = blocks.Reserve(kStoredPrefix + packed_length);
    std::memset(at, 0, kStoredPrefix);
    std::memcpy(at, key, std::min(key_length, kStoredPrefix));
    std::memcpy(at + kStoredPrefix, packed, packed_length);
    ++written;
  }

  // A record from one run file into another. The keys, like those below,
  // are read only when duplicates are removed.
  void PutStored(const unsigned char* stored, std::size_t stored_length, const unsigned char* key,
                 std::size_t key_length) {
    if (Duplicate(key, key_length)) return;
    std::memcpy(blocks.Reserve(stored_length), stored, stored_length);
    ++written;
  }

  void PutToOutput(const unsigned char* packed, const unsigned char* key, std::size_t key_length) {
    if (Duplicate(key, key_length)) return;
    UnpackRecord(packed, plan.record_length, blocks.Reserve(plan.record_length));
    ++written;
  }

  bool Finish() {
    blocks.Flush();
    return !blocks.failed;
  }
};

// One run in memory. Keys and packed records grow from the start of the
// arena and their entries down from its end, so a run fills the budget
// whatever the mix of long and short records. Each entry keeps a second
// slot free between the two for the radix sort's copy.
struct RunArena {
  std::unique_ptr<SortEntry[]> storage;
  std::size_t slots = 0;  // entries the storage could hold
  std::size_t used = 0;   // bytes from the start
  std::size_t count = 0;  // entries at the end

  explicit RunArena(std::size_t bytes)
      : storage(std::make_unique_for_overwrite<SortEntry[]>(SlotsFor(bytes))), slots(SlotsFor(bytes)) {}

  static std::size_t SlotsFor(std::size_t bytes) { return (bytes + sizeof(SortEntry) - 1) / sizeof(SortEntry); }

  unsigned char* Bytes() { return reinterpret_cast<unsigned char*>(storage.get()); }
  SortEntry* Entries() { return storage.get() + (slots - count); }
  SortEntry* Spare() { return storage.get() + (slots - 2 * count); }
  bool Fits(std::size_t bytes) const { return SlotsFor(used + bytes) + 2 * (count + 1) <= slots; }
};

// The record's runs, found once, serve both its keys and its packing.
void AddRecord(const SortPlan& plan, RunArena& run, const unsigned char* record, std::vector<ByteRun>& runs) {
  FindRecordRuns(record, plan.record_length, runs);
  unsigned char* key = run.Bytes() + run.used;
  const std::size_t key_length = PackSortKeys(plan.order, record, &runs, key);
  const std::size_t packed_length = PackRecord(record, plan.record_length, runs, key + key_length);
  ++run.count;
  run.Entries()[0] = {KeyPrefix(key, key_length), static_cast<std::uint32_t>(run.used),
                      static_cast<std::uint32_t>(key_length)};
  run.used += key_length + packed_length;
}

// Takes records until the arena might not hold the next one; false when a
// read fails.
bool FillRun(const SortPlan& plan, RecordBlockReader& input, RunArena& run) {
  run.used = 0;
  run.count = 0;
  std::vector<ByteRun> runs;
  // The plan gives the arena room for one record at least.
  while (input.left > 0 && run.Fits(plan.max_key_length + plan.max_packed_length)) {
    const unsigned char* record = input.Next();
    if (record == nullptr) return false;
    AddRecord(plan, run, record, runs);
  }
  return true;
}

// Orders entries by prefix, a byte at a time from the least significant
// (each pass keeps the order of the last), skipping bytes that every entry
// shares; spare holds count entries.
void RadixSortByPrefix(SortEntry* entries, SortEntry* spare, std::size_t count) {
  std::size_t counts[8][256] = {};
  for (std::size_t i = 0; i < count; ++i) {
    for (int byte = 0; byte < 8; ++byte) ++counts[byte][entries[i].prefix >> (8 * byte) & 0xFF];
  }
  SortEntry* from = entries;
  SortEntry* to = spare;
  for (int byte = 0; byte < 8; ++byte) {
    std::size_t* slots = counts[byte];
    if (std::find(slots, slots + 256, count) != slots + 256) continue;
    std::size_t next = 0;
    for (int value = 0; value < 256; ++value) next += std::exchange(slots[value], next);
    for (std::size_t i = 0; i < count; ++i) to[slots[from[i].prefix >> (8 * byte) & 0xFF]++] = from[i];
    std::swap(from, to);
  }
  if (from != entries) std::copy(from, from + count, entries);
}

// Entries of equal prefix go on to the rest of their keys, then to the arena
// offset, which is the input order, so the sort is stable (runs are read,
// and merged, in input order) and the first record of a group or of a set
// of duplicates is the first one the writer wrote.
void SortRun(RunArena& run) {
  SortEntry* entries = run.Entries();
  RadixSortByPrefix(entries, run.Spare(), run.count);
  const unsigned char* bytes = run.Bytes();
  auto before = [bytes](const SortEntry& a, const SortEntry& b) {
    int tails = CompareKeysFrom(8, bytes + a.offset, a.key_length, bytes + b.offset, b.key_length);
    return tails != 0 ? tails < 0 : a.offset < b.offset;
  };
  for (std::size_t first = 0; first < run.count;) {
    std::size_t last = first + 1;
    while (last < run.count && entries[last].prefix == entries[first].prefix) ++last;
    if (last - first > 1) std::sort(entries + first, entries + last, before);
    first = last;
  }
}

void WriteRun(const SortPlan& plan, RunArena& run, RecordWriter& writer) {
  const unsigned char* bytes = run.Bytes();
  const SortEntry* entries = run.Entries();
  // Sorted entries visit the arena out of order; fetching a few records
  // ahead hides most of the cache misses.
  constexpr std::size_t kPrefetchDistance = 16;
  for (std::size_t i = 0; i < run.count; ++i) {
    if (i + kPrefetchDistance < run.count) {
      const SortEntry& ahead = entries[i + kPrefetchDistance];
      const unsigned char* packed = bytes + ahead.offset + ahead.key_length;
      for (int line = 0; line < 4; ++line) __builtin_prefetch(packed + 64 * line);
    }
    const unsigned char* key = bytes + entries[i].offset;
    const std::size_t key_length = entries[i].key_length;
    const unsigned char* packed = key + key_length;
    if (writer.to_output) {
      writer.PutToOutput(packed, key, key_length);
    } else {
      writer.PutToRun(key, key_length, packed, PackedRecordLength(packed, plan.record_length));
    }
  }
}

// One merge input: a window of its run, whose head is the stored record at
// `at`; its keys are made when first needed.
struct MergeInput {
  unsigned char* window = nullptr;
  std::size_t at = 0;            // the head's offset in the window
  std::size_t end = 0;           // bytes the window holds
  std::size_t head_length = 0;   // the head's stored bytes
  std::uint64_t next = 0;        // file offset of the run's next unread byte
  std::uint64_t left = 0;        // bytes of the run not yet read
  std::uint64_t high = 0;        // the head's stored key bytes as numbers
  std::uint64_t low = 0;
  bool key_made = false;
  unsigned char* record = nullptr;  // the head unpacked, once its keys are made
  unsigned char* key = nullptr;
  std::size_t key_length = 0;

  const unsigned char* Packed() const { return window + at + kStoredPrefix; }
};

// Ties go to the input of the earlier run.
struct MergeState {
  const SortPlan& plan;
  PlatformFile source;
  std::vector<MergeInput> inputs;
  std::vector<std::uint32_t> heap;  // indices of inputs with a head
  std::vector<ByteRun> runs;        // of the head last unpacked

  void MakeKeys(MergeInput& input) {
    if (input.key_made) return;
    UnpackRecord(input.Packed(), plan.record_length, input.record, &runs);
    input.key_length = PackSortKeys(plan.order, input.record, &runs, input.key);
    input.key_made = true;
  }

  bool Before(std::uint32_t a, std::uint32_t b) {
    MergeInput& x = inputs[a];
    MergeInput& y = inputs[b];
    if (x.high != y.high) return x.high < y.high;
    if (x.low != y.low) return x.low < y.low;
    MakeKeys(x);
    MakeKeys(y);
    int tails = CompareKeysFrom(kStoredPrefix, x.key, x.key_length, y.key, y.key_length);
    return tails != 0 ? tails < 0 : a < b;
  }
};

// Moves what is left of the window to its start and reads behind it.
bool RefillWindow(const MergeState& state, MergeInput& input) {
  const std::size_t kept = input.end - input.at;
  std::memmove(input.window, input.window + input.at, kept);
  auto count = static_cast<std::size_t>(std::min<std::uint64_t>(state.plan.memory.window - kept, input.left));
  auto offset = static_cast<std::int64_t>(input.next);
  if (ReadFullBufferAt(state.source, input.window + kept, count, offset) != static_cast<std::int64_t>(count)) {
    return false;
  }
  input.at = 0;
  input.end = kept + count;
  input.next += count;
  input.left -= count;
  return true;
}

// Moves the input to its next record; false at the end of its run or when
// the read fails (failed tells which). The window always holds a whole
// record ahead unless the run ends first.
bool AdvanceInput(MergeState& state, MergeInput& input, bool& failed) {
  const SortPlan& plan = state.plan;
  input.at += input.head_length;
  if (input.end - input.at < kStoredPrefix + plan.max_packed_length && input.left > 0 &&
      !RefillWindow(state, input)) {
    failed = true;
    return false;
  }
  if (input.at == input.end) return false;
  const unsigned char* head = input.window + input.at;
  input.high = LoadBigEndian(head);
  input.low = LoadBigEndian(head + 8);
  input.head_length = kStoredPrefix + PackedRecordLength(input.Packed(), plan.record_length);
  input.key_made = false;
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
  bool failed = false;
  state.heap.clear();
  for (std::size_t i = 0; i < count; ++i) {
    MergeInput& input = state.inputs[i];
    input.at = input.end = input.head_length = 0;
    input.next = group[i].first;
    input.left = group[i].length;
    if (AdvanceInput(state, input, failed)) state.heap.push_back(static_cast<std::uint32_t>(i));
  }
  for (std::size_t slot = state.heap.size(); slot-- > 0;) SiftDown(state, slot);
  while (!state.heap.empty() && !failed) {
    MergeInput& top = state.inputs[state.heap.front()];
    if (writer.remove_duplicates) state.MakeKeys(top);
    if (writer.to_output) {
      writer.PutToOutput(top.Packed(), top.key, top.key_length);
    } else {
      writer.PutStored(top.window + top.at, top.head_length, top.key, top.key_length);
    }
    if (!AdvanceInput(state, top, failed)) {
      state.heap.front() = state.heap.back();
      state.heap.pop_back();
    }
    SiftDown(state, 0);
  }
  return !failed;
}

// The inputs' windows, records and keys take the arena, which the runs no
// longer need; the plan made it large enough for fan-in inputs.
void AllocateMergeState(MergeState& state, unsigned char* arena) {
  const SortPlan& plan = state.plan;
  const std::size_t fan_in = plan.memory.fan_in;
  state.inputs.resize(fan_in);
  state.heap.reserve(fan_in);
  for (MergeInput& input : state.inputs) {
    input.window = arena;
    input.record = input.window + plan.memory.window;
    input.key = input.record + plan.record_length;
    arena = input.key + plan.max_key_length;
  }
}

// Merges groups of fan-in runs into longer runs in the other temporary file
// until one merge can take them all. The other file is written over from its
// start rather than truncated: its old bytes lie past every new run, and
// truncating a file to nothing makes the file system flush it to disk when
// it is closed.
bool ReduceRuns(const SortPlan& plan, unsigned char* arena, TemporaryFileHolder& source, TemporaryFileHolder& spare,
                std::vector<Run>& runs) {
  while (runs.size() > plan.memory.fan_in) {
    if (spare.file == kNoFile && !spare.Create()) return false;
    MergeState state{plan, source.file, {}, {}, {}};
    AllocateMergeState(state, arena);
    RecordWriter writer(plan, spare.file, false);
    std::vector<Run> merged;
    for (std::size_t i = 0; i < runs.size(); i += plan.memory.fan_in) {
      std::size_t count = std::min(plan.memory.fan_in, runs.size() - i);
      std::uint64_t first = writer.blocks.BytesWritten();
      if (!MergeGroup(state, runs.data() + i, count, writer)) return false;
      merged.push_back({first, writer.blocks.BytesWritten() - first});
    }
    if (!writer.Finish()) return false;
    runs.swap(merged);
    std::swap(source.file, spare.file);
  }
  return true;
}

// Writes the run in memory and every later one to the runs file.
bool SpoolRuns(const SortPlan& plan, RecordBlockReader& input, RunArena& run, PlatformFile runs_file,
               std::vector<Run>& runs) {
  RecordWriter writer(plan, runs_file, false);
  for (;;) {
    std::uint64_t first = writer.blocks.BytesWritten();
    SortRun(run);
    WriteRun(plan, run, writer);
    runs.push_back({first, writer.blocks.BytesWritten() - first});
    if (input.left == 0) break;
    if (!FillRun(plan, input, run)) return false;
  }
  return writer.Finish();
}

bool MergeRuns(const SortPlan& plan, unsigned char* arena, TemporaryFileHolder& runs_file, std::vector<Run>& runs,
               PlatformFile output, std::uint64_t& kept) {
  TemporaryFileHolder spare_file;
  if (!ReduceRuns(plan, arena, runs_file, spare_file, runs)) return false;
  MergeState state{plan, runs_file.file, {}, {}, {}};
  AllocateMergeState(state, arena);
  RecordWriter writer(plan, output, true);
  if (!MergeGroup(state, runs.data(), runs.size(), writer)) return false;
  kept = writer.written;
  return writer.Finish();
}

// The steps once both files are open. The input is read to its end before
// the output is written, which is what lets both be the same file; when it
// fits one run it goes straight to the output without a temporary file.
bool SortRecords(const SortPlan& plan, PlatformFile input_file, PlatformFile output, std::uint64_t total,
                 std::uint64_t& kept) {
  RecordBlockReader input(input_file, plan.record_length, total, plan.memory.io_block);
  RunArena run(plan.memory.arena);
  if (!FillRun(plan, input, run)) return false;
  if (input.left == 0) {
    SortRun(run);
    RecordWriter writer(plan, output, true);
    WriteRun(plan, run, writer);
    kept = writer.written;
    return writer.Finish();
  }
  TemporaryFileHolder runs_file;
  std::vector<Run> runs;
  if (!runs_file.Create() || !SpoolRuns(plan, input, run, runs_file.file, runs)) return false;
  return MergeRuns(plan, run.Bytes(), runs_file, runs, output, kept);
}

SortPlan MakeSortPlan(const SortSpec& order, std::size_t memory_budget, std::uint64_t total) {
  SortPlan plan;
  plan.order = order;
  plan.record_length = order.record_length;
  plan.max_key_length = NormalizedKeyLength(order);
  plan.max_packed_length = MaxPackedRecordLength(plan.record_length);
  plan.remove_duplicates = order.duplicate_length > 0;
  plan.duplicates = DuplicateRuleOf(order);
  plan.memory = PlanMemory(memory_budget, plan, total);
  return plan;
}

bool SortOpenFiles(const SortPlan& plan, PlatformFile input, PlatformFile output, std::uint64_t total,
                   std::uint64_t& kept) {
  return (total == 0 || SortRecords(plan, input, output, total, kept)) &&
         TruncateFile(output, static_cast<std::int64_t>(kept * plan.record_length));
}

void SortFileWithin(PlatformFile input, PlatformFile output, std::string_view order_text,
                    std::uint32_t& record_count, std::uint32_t& status, std::size_t memory_budget) {
  status = kMsgUnableToOrderBy;
  SortSpec order;
  if (ParseSortSpec(order_text, order) != kMsgSuccess || order.record_length == 0) return;
  if (input == kNoFile || output == kNoFile) return;
  std::int64_t size = FileSize(input);
  if (size < 0 || size % order.record_length != 0) return;
  auto total = static_cast<std::uint64_t>(size) / order.record_length;
  if (total > std::numeric_limits<std::uint32_t>::max()) return;
  record_count = static_cast<std::uint32_t>(total);
  SortPlan plan = MakeSortPlan(order, memory_budget, total);
  std::uint64_t kept = 0;
  if (!SortOpenFiles(plan, input, output, total, kept)) return;
  record_count = static_cast<std::uint32_t>(kept);
  status = kMsgSuccess;
}

}  // namespace

void SortFileWithMemoryBudget(PlatformFile input, PlatformFile output, std::string_view order_text,
                              std::uint32_t& record_count, std::uint32_t& status, std::size_t memory_budget) {
  try {
    SortFileWithin(input, output, order_text, record_count, status, memory_budget);
  } catch (...) {
    // Allocation failures, and anything else a container throws, end the sort
    // like any other failure; the holders have already closed the run files.
    status = kMsgUnableToOrderBy;
  }
}

void SortFile(PlatformFile input, PlatformFile output, std::string_view order_text, std::uint32_t& record_count,
              std::uint32_t& status) {
  const std::size_t tested = testing_memory_budget.load(std::memory_order_relaxed);
  SortFileWithMemoryBudget(input, output, order_text, record_count, status,
                           tested != 0 ? tested : kSortMemoryBudget);
}

void SetSortMemoryBudgetForTesting(std::size_t memory_budget) {
  testing_memory_budget.store(memory_budget, std::memory_order_relaxed);
}
