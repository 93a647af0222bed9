// Random sort keys and sort texts shared by the sort tests: few byte
// values per key, so that ties, shared prefixes, NULs, signs, NaNs and NULL
// markers meet often; wide text keys are mostly blank padding, as writers
// leave a text of n characters in 4n bytes.
#pragma once

#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>
#include <random>
#include <string>

#include "exec/sort_engine.h"

// Text keys from this width on are generated as padded texts.
inline constexpr int kWideTextKey = 32;

inline std::string DoubleBytes(double value) {
  std::string bytes(8, '\0');
  std::memcpy(bytes.data(), &value, 8);
  return bytes;
}

inline std::string RecordIdBytes(std::uint32_t id) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(id >> (8 * i));
  return bytes;
}

// Texts of one- to four-byte characters, often short enough to repeat, now
// and then cut by a NUL, blank-padded to width. Bytes below, at and above
// the blank meet where one text ends and another goes on.
inline std::string WideTextBytes(std::size_t width, std::mt19937& random) {
  static const char* const kPieces[] = {"a", "A", "b", " ", "\t", "\x01", "\xC3\xA9", "\xE6\x9D\xB1",
                                        "\xF0\x9F\x98\x80", "z", "  "};
  const std::size_t length = random() % 3 == 0 ? random() % 4 : random() % (width + 1);
  std::string text;
  while (text.size() < length) text += kPieces[random() % std::size(kPieces)];
  text.resize(length);
  if (!text.empty() && random() % 8 == 0) text[random() % text.size()] = '\0';
  text.resize(width, ' ');
  return text;
}

// The key's bytes, and its NULL marker when it has one.
inline std::string RandomKeyBytes(const SortKey& key, std::mt19937& random) {
  static const char kText[] = {'a', 'A', 'b', 'B', '_', ' ', '\0', 'z', '\xE9', '-', '.', '1', '9', 'N'};
  static const double kDoubles[] = {0.0, -0.0, 1.0, -1.0, 0.5, 1e300, -1e300,
                                    std::numeric_limits<double>::infinity(),
                                    -std::numeric_limits<double>::infinity(),
                                    std::numeric_limits<double>::quiet_NaN()};
  static const std::uint32_t kIds[] = {0, 1, 255, 256, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFFFu};
  std::string bytes;
  switch (key.type) {
    case 'E': bytes = DoubleBytes(kDoubles[random() % std::size(kDoubles)]); break;
    case 'W': bytes = RecordIdBytes(kIds[random() % std::size(kIds)]); break;
    case 'C':
      if (key.length >= kWideTextKey) {
        bytes = WideTextBytes(key.length, random);
        break;
      }
      [[fallthrough]];
    default:
      for (int i = 0; i < key.length; ++i) bytes += kText[random() % std::size(kText)];
  }
  if (key.nullable) bytes += (random() % 3 == 0) ? 'N' : ' ';
  return bytes;
}

// A sort text of one to four keys laid out one after the other, as the
// writers do, followed by payload_length bytes that no key reads.
inline std::string RandomSortText(std::mt19937& random, int payload_length, bool allow_duplicate_removal) {
  static const char kTypes[] = {'C', 'B', 'N', 'E', 'W', 'c', 'b', 'n', 'e', 'X'};
  std::string keys;
  int position = 1;
  int count = 1 + static_cast<int>(random() % 4);
  int first_key_end = 0;
  for (int k = 0; k < count; ++k) {
    char type = kTypes[random() % std::size(kTypes)];
    int length = type == 'E' || type == 'e' ? 8 : (type == 'W' ? 4 : 1 + static_cast<int>(random() % 4));
    if ((type == 'C' || type == 'c') && random() % 3 == 0) length = kWideTextKey + static_cast<int>(random() % 64);
    keys += (k ? "," : "") + std::to_string(position) + "," + std::to_string(length) + "," + type + "," +
            (random() % 2 ? "A" : "D");
    position += length + (type == 'c' || type == 'b' || type == 'n' || type == 'e' ? 1 : 0);
    if (k == 0) first_key_end = position;
  }
  int record_length = position - 1 + payload_length;
  std::string text = "S(" + keys + ")";
  if (allow_duplicate_removal) {
    // All keys, as DISTINCT writes it, or only the leading one.
    switch (random() % 3) {
      case 0: text += "DUPO(B" + std::to_string(record_length) + ",1," + std::to_string(position - 1) + ")"; break;
      case 1: text += "DUPO(B" + std::to_string(record_length) + ",1," + std::to_string(first_key_end - 1) + ")"; break;
      default: break;
    }
  }
  return text + "F(FIX," + std::to_string(record_length) + ")W(/tmp/)";
}
