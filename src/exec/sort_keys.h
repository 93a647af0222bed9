// The byte-comparable form of a record's sort keys, used by the sort engine
// so that ordering and duplicate tests are memcmp calls. It lives beside
// CompareSortRecords because the two must agree on every pair of records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "exec/sort_engine.h"

// Bytes of the normalized keys of one record under order.
std::size_t NormalizedKeyLength(const SortSpec& order);

// Writes NormalizedKeyLength(order) bytes such that memcmp of two outputs has
// the sign of the records' order under CompareSortRecords, and 0 exactly when
// they compare equal.
void NormalizeSortKeys(const SortSpec& order, const unsigned char* record, unsigned char* out);

// A byte range of the normalized keys.
struct KeySegment {
  std::uint32_t offset = 0;
  std::uint32_t length = 0;
};

// The normalized bytes that decide whether two records are duplicates:
// those of the keys that overlap the DUPO range, adjacent ones joined.
std::vector<KeySegment> DuplicateKeySegments(const SortSpec& order);
