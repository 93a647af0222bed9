// The byte-comparable form of a record's sort keys, used by the sort engine
// so that ordering and duplicate tests are memcmp calls. It lives beside
// CompareSortRecords because the two must agree on every pair of records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "exec/sort_engine.h"
#include "exec/sort_engine_records.h"

// The most bytes the normalized keys of one record under order take.
std::size_t NormalizedKeyLength(const SortSpec& order);

// Writes the normalized keys of a record and returns their length, at most
// NormalizedKeyLength(order). Wide text keys take only the bytes their text
// needs, so lengths differ; memcmp over the shorter of two outputs has the
// sign of the records' order under CompareSortRecords, and is 0 exactly when
// they compare equal, which is when both outputs are the same bytes (no
// output is a prefix of another). runs, when given, are the record's runs
// as FindRecordRuns finds them, which spare reading a text's padding again.
std::size_t PackSortKeys(const SortSpec& order, const unsigned char* record, const std::vector<ByteRun>* runs,
                         unsigned char* out);

// PackSortKeys followed by zeros up to NormalizedKeyLength(order), for
// callers that compare whole buffers of that length.
void NormalizeSortKeys(const SortSpec& order, const unsigned char* record, unsigned char* out);

// Which keys decide whether two records are duplicates: those that overlap
// the DUPO range (bit i for key i).
struct DuplicateRule {
  std::uint32_t key_mask = 0;
  bool every_key = false;
};
DuplicateRule DuplicateRuleOf(const SortSpec& order);

// True when two records whose PackSortKeys outputs these are duplicates: the
// keys of the rule and the uncovered DUPO bytes are the same.
bool SameDuplicateKeys(const SortSpec& order, const DuplicateRule& rule, const unsigned char* a,
                       std::size_t a_length, const unsigned char* b, std::size_t b_length);
