// Random sort keys and sort texts shared by the sort tests: few byte
// values per key, so that ties, shared prefixes, NULs, signs, NaNs and NULL
// markers meet often.
#pragma once

#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>
#include <random>
#include <string>

#include "exec/sort_engine.h"

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
