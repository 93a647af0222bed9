// The external sort behind ORDER BY, GROUP BY, DISTINCT and the record-id
// passes: sorts a file of fixed-length records as a sort text describes.
//
// A sort text is made of sections, in any order; every character
// outside them is ignored:
//   S(pos,len,type,dir,...)  up to 20 keys, most significant first; positions
//                            are 1-based; dir A ascending, any other letter
//                            descending
//   F(FIX,reclen)            the record length
//   DUPO(Bx,pos,len)         keep one record of each run of duplicates
//   W(directory)             ignored; run files go to $TMPDIR
// Numbers are decimal, 1 to 5 digits, at most 65535.
//
// Key types:
//   C  text, A-Z folded to a-z, ending at the first NUL byte
//   B  bytes, compared unsigned over the whole length (binary values)
//   N  decimal text, left-aligned and blank-padded
//   E  an 8-byte double (length 8); NaN sorts below every number
//   W  a 4-byte little-endian record id, compared as unsigned (length 4)
//   any other letter: the key compares equal
//
// What writers emit for NULL. A sort record holds each value followed by its
// NULL-marker byte (' ' for a value, 'N' for NULL). A key over a value that
// may be NULL is written with its type letter in lower case ("c", "b", "n",
// "e");
// the engine then reads the marker byte right after the key's bytes (so it
// must lie inside the record) and sorts NULL below every value: first when
// ascending, last when descending, never among '' or 0, and equal to every
// other NULL whatever the value bytes hold. Upper-case letters compare the
// key bytes alone, which is what keys over row numbers and record ids need,
// since no marker follows them. For example, ORDER BY a DESC, b over a
// nullable VARCHAR(20) and a nullable INTEGER, record ids at 31:
//   S(1,20,c,D,22,8,e,A)F(FIX,34)W(/tmp/)
// A lower-case letter keeps the key count at one per value, so the 20-key
// limit still admits 20 columns.
//
// Duplicate removal uses the sort's own equality: two records are duplicates
// when every key whose bytes (with its marker) overlap the DUPO range compares
// equal and the bytes of the range that no key covers are equal byte for
// byte. Those uncovered bytes (an upper-case key's NULL marker among them)
// also order the records, after every key, so that duplicates are neighbours
// and a NULL never merges with '' or 0 whatever letter its key was written
// with. Writers name a range that covers the leading keys (DISTINCT covers
// all of them); one record of each run of neighbouring duplicates is kept.
//
// The sort is stable: records that compare equal keep their input order, so
// the record kept of a run of duplicates is the first of them in the input.
//
// A W directory may hold ")": the section ends at the first ")" that is
// followed by the end of the text or by the start of another section, so only
// a directory holding ")S(", ")F(", ")W(" or ")DUPO(" is misread. Writers may
// leave the directory out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/message_ids.h"
#include "platform/files.h"

// Everything one sort may hold in memory at once, whatever the file's size.
inline constexpr std::size_t kSortMemoryBudget = std::size_t{64} << 20;

inline constexpr int kMaxSortKeys = 20;

struct SortKey {
  std::uint16_t position = 0;  // 0-based
  std::uint16_t length = 0;
  std::uint8_t type = 0;        // 'C', 'N', 'E', 'W', or another letter
  std::uint8_t descending = 0;  // 0 for A, 1 otherwise
  std::uint8_t nullable = 0;    // a NULL marker follows the key's bytes
};

// A run of bytes of a record.
struct RecordRange {
  std::uint16_t position = 0;  // 0-based
  std::uint16_t length = 0;
};

struct SortSpec {
  std::uint16_t duplicate_length = 0;    // 0: no duplicate removal
  std::uint16_t duplicate_position = 0;  // 0-based
  SortKey keys[kMaxSortKeys] = {};
  std::uint16_t key_count = 0;
  std::uint16_t record_length = 0;
  // The bytes of the DUPO range outside every key, in record order; between
  // and around 20 keys there are at most 21 such runs.
  RecordRange uncovered[kMaxSortKeys + 1] = {};
  std::uint16_t uncovered_count = 0;
};

// 0, or kMsgUnableToOrderBy for more than 20 keys, a malformed or too large
// number, a malformed key, an E key not 8 bytes long, a W key not 4 bytes
// long, or a key, marker or DUPO range that does not lie inside the record.
MessageId ParseSortSpec(std::string_view text, SortSpec& order);

// True when a does not sort before b (a sorts after b or equal to it).
bool CompareSortRecords(const SortSpec& order, const void* a, const void* b);

// Sorts the input file into the output file, both open descriptors (temporary
// files have no name to open them by): the input readable, the output
// writable. Both may be the same descriptor, open for both, to sort in place;
// positional reads and writes leave the offsets alone. status is 0 or
// kMsgUnableToOrderBy; record_count is the number of records in the output,
// which is cut to them. A failure before the sort starts (a bad sort text, a
// size that is no multiple of the record length, a missing descriptor)
// leaves record_count alone.
void SortFile(PlatformFile input, PlatformFile output, std::string_view order_text, std::uint32_t& record_count,
              std::uint32_t& status);

// SortFile with another memory budget, so that tests can make small files
// take many runs and merge passes. A budget too small for two records of a
// run or two merge inputs is exceeded by that much.
void SortFileWithMemoryBudget(PlatformFile input, PlatformFile output, std::string_view order_text,
                              std::uint32_t& record_count, std::uint32_t& status, std::size_t memory_budget);

// For tests only: the budget every later SortFile call uses (0 restores
// kSortMemoryBudget), so that tests of the passes above the sort can make a
// few thousand rows take several runs.
void SetSortMemoryBudgetForTesting(std::size_t memory_budget);
