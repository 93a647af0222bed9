// Packed sort records: alternating literals and runs, each literal a 2-byte
// length and its bytes, each run a 2-byte length and its byte value; the
// record length, which every reader knows, says where the record ends.
#include "exec/sort_engine_records.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// A run costs 5 bytes (its own and the next literal's header), fewer than
// kMinPackedRun, so a packed record never outgrows its record by more than
// the first literal's header.
constexpr std::uint64_t kEveryByte = 0x0101010101010101ull;

std::uint64_t LoadWord(const unsigned char* bytes) {
  std::uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

std::size_t LoadLength(const unsigned char* bytes) { return std::size_t{bytes[0]} | std::size_t{bytes[1]} << 8; }

unsigned char* StoreLength(unsigned char* out, std::size_t length) {
  out[0] = static_cast<unsigned char>(length);
  out[1] = static_cast<unsigned char>(length >> 8);
  return out + 2;
}

// The first run of kMinPackedRun or more equal bytes in [from, length).
// Testing one word in every eight bytes is enough: such a run holds a whole
// word wherever it starts.
bool FindRun(const unsigned char* record, std::size_t from, std::size_t length, ByteRun& run) {
  for (std::size_t at = from; at + 8 <= length;) {
    const std::uint64_t word = LoadWord(record + at);
    if (word != (word & 0xFF) * kEveryByte) {
      at += 8;
      continue;
    }
    run.value = record[at];
    run.begin = at;
    while (run.begin > from && record[run.begin - 1] == run.value) --run.begin;
    run.end = at + 8 + LeadingRunLength(record + at + 8, length - at - 8, run.value);
    if (run.end - run.begin >= kMinPackedRun) return true;
    at = run.end;
  }
  return false;
}

unsigned char* PutLiteral(unsigned char* out, const unsigned char* bytes, std::size_t length) {
  out = StoreLength(out, length);
  std::memcpy(out, bytes, length);
  return out + length;
}

unsigned char* PutRun(unsigned char* out, std::size_t length, unsigned char value) {
  out = StoreLength(out, length);
  *out = value;
  return out + 1;
}

// Runs are mostly padding, hundreds of bytes long: they are compared with a
// block of their value by memcmp, which the C library does many bytes an
// instruction, before word by word and byte by byte at their edge.
constexpr std::size_t kBlock = 256;
constexpr std::size_t kSmallBlock = 32;

}  // namespace

std::size_t LeadingRunLength(const unsigned char* bytes, std::size_t length, unsigned char value) {
  std::size_t run = 0;
  if (length >= 2 * kSmallBlock) {
    unsigned char block[kBlock];
    std::memset(block, value, kBlock);
    while (run + kBlock <= length && std::memcmp(bytes + run, block, kBlock) == 0) run += kBlock;
    while (run + kSmallBlock <= length && std::memcmp(bytes + run, block, kSmallBlock) == 0) run += kSmallBlock;
  }
  const std::uint64_t pattern = value * kEveryByte;
  while (run + 8 <= length && LoadWord(bytes + run) == pattern) run += 8;
  while (run < length && bytes[run] == value) ++run;
  return run;
}

std::size_t TrailingRunLength(const unsigned char* bytes, std::size_t length, unsigned char value) {
  std::size_t start = length;  // of the run
  if (length >= 2 * kSmallBlock) {
    unsigned char block[kBlock];
    std::memset(block, value, kBlock);
    while (start >= kBlock && std::memcmp(bytes + start - kBlock, block, kBlock) == 0) start -= kBlock;
    while (start >= kSmallBlock && std::memcmp(bytes + start - kSmallBlock, block, kSmallBlock) == 0) {
      start -= kSmallBlock;
    }
  }
  const std::uint64_t pattern = value * kEveryByte;
  while (start >= 8 && LoadWord(bytes + start - 8) == pattern) start -= 8;
  while (start > 0 && bytes[start - 1] == value) --start;
  return length - start;
}

std::size_t MaxPackedRecordLength(std::size_t record_length) { return record_length + 2; }

void FindRecordRuns(const unsigned char* record, std::size_t record_length, std::vector<ByteRun>& runs) {
  runs.clear();
  ByteRun run;
  for (std::size_t from = 0; FindRun(record, from, record_length, run); from = run.end) runs.push_back(run);
}

std::size_t PackRecord(const unsigned char* record, std::size_t record_length, const std::vector<ByteRun>& runs,
                       unsigned char* out) {
  unsigned char* at = out;
  std::size_t literal = 0;
  for (const ByteRun& run : runs) {
    at = PutLiteral(at, record + literal, run.begin - literal);
    at = PutRun(at, run.end - run.begin, run.value);
    literal = run.end;
  }
  if (literal < record_length || runs.empty()) at = PutLiteral(at, record + literal, record_length - literal);
  return static_cast<std::size_t>(at - out);
}

std::size_t PackedRecordLength(const unsigned char* packed, std::size_t record_length) {
  const unsigned char* at = packed;
  for (std::size_t done = 0;;) {
    const std::size_t literal = LoadLength(at);
    at += 2 + literal;
    done += literal;
    if (done == record_length) break;
    done += LoadLength(at);
    at += 3;
    if (done == record_length) break;
  }
  return static_cast<std::size_t>(at - packed);
}

std::size_t UnpackRecord(const unsigned char* packed, std::size_t record_length, unsigned char* record,
                         std::vector<ByteRun>* runs) {
  if (runs != nullptr) runs->clear();
  const unsigned char* at = packed;
  for (std::size_t done = 0;;) {
    const std::size_t literal = LoadLength(at);
    std::memcpy(record + done, at + 2, literal);
    at += 2 + literal;
    done += literal;
    if (done == record_length) break;
    const std::size_t run = LoadLength(at);
    std::memset(record + done, at[2], run);
    if (runs != nullptr) runs->push_back({done, done + run, at[2]});
    at += 3;
    done += run;
    if (done == record_length) break;
  }
  return static_cast<std::size_t>(at - packed);
}
