// Sort texts (SortSpec): parsing them, comparing two records under one, and
// the normalized key form the sort engine orders by.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "exec/sort_engine.h"
#include "exec/sort_engine_records.h"
#include "exec/sort_keys.h"
#include "platform/text_fold.h"

namespace {

bool StartsAt(std::string_view text, std::size_t at, std::string_view word) {
  return text.substr(at, word.size()) == word;
}

// Reads 1 to 5 digits and the terminator after them. The old parser kept 16
// bits and wrapped, turning 65537 into 1; a number that does not fit is
// refused rather than silently sorting the wrong bytes.
bool ReadNumber(std::string_view text, std::size_t& at, char terminator, std::uint16_t& value) {
  std::uint32_t number = 0;
  std::size_t digits = 0;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
    number = number * 10 + static_cast<std::uint32_t>(text[at] - '0');
    if (number > 0xFFFF) return false;
    ++at;
    ++digits;
  }
  if (digits == 0 || at >= text.size() || text[at] != terminator) return false;
  ++at;
  value = static_cast<std::uint16_t>(number);
  return true;
}

bool ReadPosition(std::string_view text, std::size_t& at, char terminator, std::uint16_t& position) {
  if (!ReadNumber(text, at, terminator, position) || position == 0) return false;
  --position;
  return true;
}

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool SkipPast(std::string_view text, std::size_t& at, char c) {
  std::size_t found = text.find(c, at);
  if (found == std::string_view::npos) return false;
  at = found + 1;
  return true;
}

bool StartsSection(std::string_view text, std::size_t at) {
  return StartsAt(text, at, "S(") || StartsAt(text, at, "F(") || StartsAt(text, at, "W(") ||
         StartsAt(text, at, "DUPO(");
}

// A directory may itself hold ")", so the section ends at the first ")" after
// which the text ends or another section starts.
std::size_t SkipWorkingDirectory(std::string_view text, std::size_t at) {
  for (std::size_t close = text.find(')', at); close != std::string_view::npos;
       close = text.find(')', close + 1)) {
    if (close + 1 == text.size() || StartsSection(text, close + 1)) return close + 1;
  }
  return text.size();
}

bool ReadKey(std::string_view text, std::size_t& at, SortKey& key) {
  if (!ReadPosition(text, at, ',', key.position) || !ReadNumber(text, at, ',', key.length)) return false;
  if (at + 3 > text.size() || !IsLetter(text[at]) || text[at + 1] != ',' || !IsLetter(text[at + 2])) {
    return false;
  }
  char type = text[at];
  key.nullable = (type == 'c' || type == 'n' || type == 'e' || type == 'b') ? 1 : 0;
  key.type = static_cast<std::uint8_t>(key.nullable ? FoldToUpperAZ(type) : type);
  key.descending = text[at + 2] == 'A' ? 0 : 1;
  at += 3;
  return true;
}

bool ReadKeys(std::string_view text, std::size_t& at, SortSpec& order) {
  for (;;) {
    if (order.key_count == kMaxSortKeys) return false;
    if (!ReadKey(text, at, order.keys[order.key_count])) return false;
    ++order.key_count;
    if (at >= text.size()) return false;
    char next = text[at++];
    if (next == ')') return true;
    if (next != ',') return false;
  }
}

bool ReadDuplicateRange(std::string_view text, std::size_t& at, SortSpec& order) {
  return SkipPast(text, at, ',') && ReadPosition(text, at, ',', order.duplicate_position) &&
         ReadNumber(text, at, ')', order.duplicate_length);
}

bool ReadRecordLength(std::string_view text, std::size_t& at, SortSpec& order) {
  return SkipPast(text, at, ',') && ReadNumber(text, at, ')', order.record_length);
}

// Where the key's bytes and its marker end in the record.
std::uint32_t KeyEnd(const SortKey& key) { return std::uint32_t{key.position} + key.length + key.nullable; }

// Every key byte, marker and DUPO byte is read straight from the record, so a
// range past its end would read the next record or past the buffer.
bool FitsRecord(const SortSpec& order) {
  for (int i = 0; i < order.key_count; ++i) {
    const SortKey& key = order.keys[i];
    if (key.type == 'E' && key.length != 8) return false;
    if (key.type == 'W' && key.length != 4) return false;
    if (KeyEnd(key) > order.record_length) return false;
  }
  return order.duplicate_length == 0 ||
         std::uint32_t{order.duplicate_position} + order.duplicate_length <= order.record_length;
}

// The DUPO range less every key's bytes and marker, as runs of record bytes.
void FindUncoveredDuplicateBytes(SortSpec& order) {
  if (order.duplicate_length == 0) return;
  const std::uint32_t begin = order.duplicate_position;
  const std::uint32_t end = begin + order.duplicate_length;
  std::uint32_t at = begin;
  while (at < end) {
    // The first key that covers at, or else where the next one starts.
    std::uint32_t covered_to = at;
    std::uint32_t next_start = end;
    for (int i = 0; i < order.key_count; ++i) {
      const SortKey& key = order.keys[i];
      const std::uint32_t key_begin = key.position;
      const std::uint32_t key_end = KeyEnd(key);
      if (key_begin <= at && at < key_end) covered_to = std::max(covered_to, key_end);
      else if (key_begin > at) next_start = std::min(next_start, key_begin);
    }
    if (covered_to > at) {
      at = covered_to;
      continue;
    }
    const std::uint32_t stop = std::min(next_start, end);
    order.uncovered[order.uncovered_count++] = {static_cast<std::uint16_t>(at), static_cast<std::uint16_t>(stop - at)};
    at = stop;
  }
}

std::size_t UncoveredLength(const SortSpec& order) {
  std::size_t length = 0;
  for (int i = 0; i < order.uncovered_count; ++i) length += order.uncovered[i].length;
  return length;
}

int Sign(bool below, bool above) { return below ? -1 : (above ? 1 : 0); }

int CompareCharacterKey(const unsigned char* a, const unsigned char* b, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    unsigned char x = static_cast<unsigned char>(FoldToLowerAZ(static_cast<char>(a[i])));
    unsigned char y = static_cast<unsigned char>(FoldToLowerAZ(static_cast<char>(b[i])));
    if (x != y) return x < y ? -1 : 1;
    if (x == 0) return 0;
  }
  return 0;
}

// Characters before the decimal point or the padding: for numbers written
// without leading zeros, more of them means a larger magnitude.
std::size_t IntegerWidth(const unsigned char* text, std::size_t length) {
  std::size_t width = 0;
  while (width < length && text[width] != '.' && text[width] != ' ') ++width;
  return width;
}

bool IsNegativeText(const unsigned char* text, std::size_t length) { return length > 0 && text[0] == '-'; }

int CompareNumericKey(const unsigned char* a, const unsigned char* b, std::size_t length) {
  bool negative_a = IsNegativeText(a, length);
  bool negative_b = IsNegativeText(b, length);
  if (negative_a != negative_b) return negative_a ? -1 : 1;
  std::size_t width_a = IntegerWidth(a, length);
  std::size_t width_b = IntegerWidth(b, length);
  int result = width_a != width_b ? Sign(width_a < width_b, width_a > width_b) : std::memcmp(a, b, length);
  result = Sign(result < 0, result > 0);
  return negative_a ? -result : result;
}

double ReadDouble(const unsigned char* bytes) {
  double value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

// NaN compared equal to everything, which no sort can honour consistently;
// it sorts below every number instead.
int CompareDoubleKey(const unsigned char* a, const unsigned char* b) {
  double x = ReadDouble(a);
  double y = ReadDouble(b);
  if (std::isnan(x) || std::isnan(y)) return Sign(!std::isnan(y), !std::isnan(x));
  return Sign(x < y, x > y);
}

std::uint32_t ReadRecordId(const unsigned char* bytes) {
  return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
         std::uint32_t{bytes[3]} << 24;
}

int CompareKeyValues(const SortKey& key, const unsigned char* a, const unsigned char* b) {
  switch (key.type) {
    case 'C': return CompareCharacterKey(a, b, key.length);
    case 'B': {
      int result = std::memcmp(a, b, key.length);
      return Sign(result < 0, result > 0);
    }
    case 'N': return CompareNumericKey(a, b, key.length);
    case 'E': return CompareDoubleKey(a, b);
    case 'W': {
      std::uint32_t x = ReadRecordId(a);
      std::uint32_t y = ReadRecordId(b);
      return Sign(x < y, x > y);
    }
    default: return 0;
  }
}

bool IsNullMarker(unsigned char marker) { return marker == 'N'; }

int CompareKey(const SortKey& key, const unsigned char* a, const unsigned char* b) {
  const unsigned char* x = a + key.position;
  const unsigned char* y = b + key.position;
  int result;
  if (key.nullable && (IsNullMarker(x[key.length]) || IsNullMarker(y[key.length]))) {
    bool null_x = IsNullMarker(x[key.length]);
    bool null_y = IsNullMarker(y[key.length]);
    result = Sign(null_x && !null_y, null_y && !null_x);
  } else {
    result = CompareKeyValues(key, x, y);
  }
  return key.descending ? -result : result;
}

// A wide text key is mostly the blanks that pad it to four bytes a
// character, so it is normalized in a packed form instead: chunks of
// kChunkLength normalized bytes, each followed by a byte that tells whether
// the rest of the key is all blanks, or else whether its first byte that is
// not a blank lies below or above one. The chunks stop where the rest is all
// blanks. Compared with memcmp, that orders and equates exactly as the key's
// whole blank-padded bytes do, and no packed key is a prefix of another.
constexpr std::size_t kPackedKeyMinLength = 32;
constexpr std::size_t kChunkLength = 32;
constexpr unsigned char kPad = ' ';
constexpr unsigned char kRestBelowPad = 1;
constexpr unsigned char kRestIsPad = 2;
constexpr unsigned char kRestAbovePad = 3;

bool IsPackedKey(const SortKey& key) { return key.type == 'C' && key.length >= kPackedKeyMinLength; }

std::size_t ChunkCount(std::size_t length) { return (length + kChunkLength - 1) / kChunkLength; }

std::size_t NormalizedValueLength(const SortKey& key) {
  if (IsPackedKey(key)) return ChunkCount(key.length) * (kChunkLength + 1);
  switch (key.type) {
    case 'C':
    case 'B': return key.length;
    case 'N': return std::size_t{key.length} + 3;
    case 'E': return 8;
    case 'W': return 4;
    default: return 0;
  }
}

// The most bytes the key's normalized form takes; fixed-length keys always
// take that many.
std::size_t NormalizedLength(const SortKey& key) { return NormalizedValueLength(key) + key.nullable; }

void PutBigEndian(std::uint64_t value, int bytes, unsigned char* out) {
  for (int i = bytes - 1; i >= 0; --i) {
    out[i] = static_cast<unsigned char>(value);
    value >>= 8;
  }
}

void NormalizeCharacter(const unsigned char* text, std::size_t length, unsigned char* out) {
  std::size_t i = 0;
  for (; i < length && text[i] != 0; ++i) out[i] = static_cast<unsigned char>(FoldToLowerAZ(static_cast<char>(text[i])));
  std::memset(out + i, 0, length - i);
}

// Kept out of line: inlined, g++ 12 does not turn the loop into vector
// instructions.
[[gnu::noinline]] void FoldInPlace(unsigned char* bytes, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    bytes[i] = static_cast<unsigned char>(FoldToLowerAZ(static_cast<char>(bytes[i])));
  }
}

// A text key's normalized bytes, as NormalizeCharacter writes them but not
// yet folded: the text up to folded, zeros from its first NUL up to
// value_end, blanks after that.
struct PackedText {
  const unsigned char* text;
  std::size_t folded;
  std::size_t value_end;
  std::size_t next_not_pad = 0;  // where the last search for the rest's first non-blank stopped

  // The chunk of bytes from begin.
  void Chunk(std::size_t begin, unsigned char* out) const {
    if (begin + kChunkLength <= folded) {
      std::memcpy(out, text + begin, kChunkLength);
      return;
    }
    std::memset(out, kPad, kChunkLength);
    if (value_end > begin) std::memset(out, 0, std::min(value_end - begin, kChunkLength));
    if (folded > begin) std::memcpy(out, text + begin, folded - begin);
  }

  // How the normalized bytes from `from` on compare with blanks; the
  // searches only move forward, so a key costs one pass however many chunks.
  unsigned char RestAfter(std::size_t from) {
    if (from >= value_end) return kRestIsPad;
    std::size_t at = std::max(next_not_pad, from);
    while (at < folded && text[at] == kPad) ++at;
    next_not_pad = at;
    // Folding leaves every byte on its side of the blank; past the text come
    // the zeros after a NUL, and one of them at least, since value_end > from.
    return at < folded && text[at] > kPad ? kRestAbovePad : kRestBelowPad;
  }
};

// The text's length without its trailing blanks. When the record's runs are
// known, a run of blanks over the text's last byte says where they start
// (the byte before a run differs from it), and without one they are too few
// to be worth more than a byte at a time; else they are read.
std::size_t SignificantLength(const unsigned char* text, std::size_t begin, std::size_t length,
                              const std::vector<ByteRun>* runs) {
  if (runs == nullptr) return length - TrailingRunLength(text, length, kPad);
  std::size_t end = length;
  for (const ByteRun& run : *runs) {
    if (run.begin >= begin + length) break;
    if (run.end >= begin + length && run.value == kPad) {
      end = run.begin > begin ? run.begin - begin : 0;
      break;
    }
  }
  while (end > 0 && text[end - 1] == kPad) --end;
  return end;
}

// text is the key's length bytes at begin in the record.
std::size_t PackCharacter(const unsigned char* text, std::size_t begin, std::size_t length,
                          const std::vector<ByteRun>* runs, unsigned char* out) {
  const std::size_t significant = SignificantLength(text, begin, length, runs);
  const auto* nul = static_cast<const unsigned char*>(std::memchr(text, 0, significant));
  PackedText packed{text, nul != nullptr ? static_cast<std::size_t>(nul - text) : significant,
                    nul != nullptr ? length : significant};
  const std::size_t chunks = std::max<std::size_t>(1, ChunkCount(packed.value_end));
  unsigned char* at = out;
  for (std::size_t chunk = 0; chunk < chunks; ++chunk) {
    const std::size_t begin = chunk * kChunkLength;
    packed.Chunk(begin, at);
    at[kChunkLength] = packed.RestAfter(begin + kChunkLength);
    at += kChunkLength + 1;
  }
  // The markers, blanks and zeros are no letters: folding everything folds
  // the text.
  FoldInPlace(out, static_cast<std::size_t>(at - out));
  return static_cast<std::size_t>(at - out);
}

// Sign, then the integer width, then the text; a negative number's width and
// text are inverted so that larger magnitudes come first.
void NormalizeNumeric(const unsigned char* text, std::size_t length, unsigned char* out) {
  bool negative = IsNegativeText(text, length);
  std::size_t width = IntegerWidth(text, length);
  out[0] = negative ? 0 : 1;
  PutBigEndian(negative ? 0xFFFF - width : width, 2, out + 1);
  for (std::size_t i = 0; i < length; ++i) out[3 + i] = negative ? static_cast<unsigned char>(~text[i]) : text[i];
}

// IEEE bits with the sign flipped (positives) or all bits inverted
// (negatives) order like the numbers; NaN becomes 0, below -infinity.
void NormalizeDouble(const unsigned char* bytes, unsigned char* out) {
  double value = ReadDouble(bytes);
  std::uint64_t bits = 0;
  if (!std::isnan(value)) {
    if (value == 0) value = 0;  // -0 equals 0
    std::memcpy(&bits, &value, sizeof bits);
    bits = (bits >> 63) != 0 ? ~bits : bits | (std::uint64_t{1} << 63);
  }
  PutBigEndian(bits, 8, out);
}

void NormalizeValue(const SortKey& key, const unsigned char* value, unsigned char* out) {
  switch (key.type) {
    case 'C': NormalizeCharacter(value, key.length, out); break;
    case 'B': std::memcpy(out, value, key.length); break;
    case 'N': NormalizeNumeric(value, key.length, out); break;
    case 'E': NormalizeDouble(value, out); break;
    case 'W': PutBigEndian(ReadRecordId(value), 4, out); break;
    default: break;
  }
}

// Writes one key's normalized bytes and returns how many.
std::size_t NormalizeKey(const SortKey& key, const unsigned char* record, const std::vector<ByteRun>* runs,
                         unsigned char* out) {
  const unsigned char* value = record + key.position;
  unsigned char* at = out;
  const bool is_null = key.nullable && IsNullMarker(value[key.length]);
  if (key.nullable) *at++ = is_null ? 0 : 1;
  if (is_null) {
    // A packed NULL is its marker alone: NULLs are equal whatever follows.
    const std::size_t rest = IsPackedKey(key) ? 0 : NormalizedValueLength(key);
    std::memset(at, 0, rest);
    at += rest;
  } else if (IsPackedKey(key)) {
    at += PackCharacter(value, key.position, key.length, runs, at);
  } else {
    NormalizeValue(key, value, at);
    at += NormalizedValueLength(key);
  }
  if (key.descending) {
    for (unsigned char* byte = out; byte < at; ++byte) *byte = static_cast<unsigned char>(~*byte);
  }
  return static_cast<std::size_t>(at - out);
}

// memcmp, which must not see a null pointer even for no bytes.
bool SameBytes(const unsigned char* a, const unsigned char* b, std::size_t length) {
  return length == 0 || std::memcmp(a, b, length) == 0;
}

// The length of one key's normalized bytes at normalized.
std::size_t NormalizedKeyBytes(const SortKey& key, const unsigned char* normalized) {
  if (!IsPackedKey(key)) return NormalizedLength(key);
  const unsigned char flip = key.descending ? 0xFF : 0;
  std::size_t length = 0;
  if (key.nullable && (normalized[length++] ^ flip) == 0) return 1;
  do {
    length += kChunkLength + 1;
  } while ((normalized[length - 1] ^ flip) != kRestIsPad);
  return length;
}

}  // namespace

MessageId ParseSortSpec(std::string_view text, SortSpec& order) {
  order = SortSpec{};
  std::size_t at = 0;
  bool ok = true;
  while (ok && at < text.size()) {
    if (StartsAt(text, at, "S(")) {
      at += 2;
      ok = ReadKeys(text, at, order);
    } else if (StartsAt(text, at, "F(")) {
      at += 2;
      ok = ReadRecordLength(text, at, order);
    } else if (StartsAt(text, at, "DUPO(")) {
      at += 5;
      ok = ReadDuplicateRange(text, at, order);
    } else if (StartsAt(text, at, "W(")) {
      at = SkipWorkingDirectory(text, at + 2);
    } else {
      ++at;
    }
  }
  if (ok && FitsRecord(order)) {
    FindUncoveredDuplicateBytes(order);
    return kMsgSuccess;
  }
  order = SortSpec{};
  return kMsgUnableToOrderBy;
}

bool CompareSortRecords(const SortSpec& order, const void* a, const void* b) {
  const auto* x = static_cast<const unsigned char*>(a);
  const auto* y = static_cast<const unsigned char*>(b);
  for (int i = 0; i < order.key_count; ++i) {
    int result = CompareKey(order.keys[i], x, y);
    if (result != 0) return result > 0;
  }
  for (int i = 0; i < order.uncovered_count; ++i) {
    const RecordRange& range = order.uncovered[i];
    int result = std::memcmp(x + range.position, y + range.position, range.length);
    if (result != 0) return result > 0;
  }
  return true;
}

std::size_t NormalizedKeyLength(const SortSpec& order) {
  std::size_t length = UncoveredLength(order);
  for (int i = 0; i < order.key_count; ++i) length += NormalizedLength(order.keys[i]);
  return length;
}

std::size_t PackSortKeys(const SortSpec& order, const unsigned char* record, const std::vector<ByteRun>* runs,
                         unsigned char* out) {
  unsigned char* at = out;
  for (int i = 0; i < order.key_count; ++i) at += NormalizeKey(order.keys[i], record, runs, at);
  for (int i = 0; i < order.uncovered_count; ++i) {
    const RecordRange& range = order.uncovered[i];
    std::memcpy(at, record + range.position, range.length);
    at += range.length;
  }
  return static_cast<std::size_t>(at - out);
}

void NormalizeSortKeys(const SortSpec& order, const unsigned char* record, unsigned char* out) {
  const std::size_t length = PackSortKeys(order, record, nullptr, out);
  std::memset(out + length, 0, NormalizedKeyLength(order) - length);
}

DuplicateRule DuplicateRuleOf(const SortSpec& order) {
  DuplicateRule rule;
  const std::uint32_t range_begin = order.duplicate_position;
  const std::uint32_t range_end = range_begin + order.duplicate_length;
  for (int i = 0; i < order.key_count; ++i) {
    const SortKey& key = order.keys[i];
    if (key.position < range_end && range_begin < KeyEnd(key)) rule.key_mask |= std::uint32_t{1} << i;
  }
  rule.every_key = rule.key_mask == (std::uint32_t{1} << order.key_count) - 1;
  return rule;
}

bool SameDuplicateKeys(const SortSpec& order, const DuplicateRule& rule, const unsigned char* a,
                       std::size_t a_length, const unsigned char* b, std::size_t b_length) {
  if (rule.every_key) return a_length == b_length && SameBytes(a, b, a_length);
  for (int i = 0; i < order.key_count; ++i) {
    const std::size_t length = NormalizedKeyBytes(order.keys[i], a);
    const std::size_t other = NormalizedKeyBytes(order.keys[i], b);
    const bool decides = (rule.key_mask >> i & 1) != 0;
    if (decides && (length != other || !SameBytes(a, b, length))) return false;
    a += length;
    b += other;
  }
  // The uncovered bytes follow every key.
  return SameBytes(a, b, UncoveredLength(order));
}
