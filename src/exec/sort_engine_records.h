// Packed sort records: a fixed-length record with its long runs of one byte
// value (the blanks that pad a text to four bytes a character) stored as a
// count. The sort engine keeps records packed in its runs and run files, so
// padding is neither held in memory nor written and read back.
#pragma once

#include <cstddef>
#include <vector>

// Every run of this many equal bytes or more is packed; shorter ones would
// cost more than they save.
inline constexpr std::size_t kMinPackedRun = 16;

// Bytes [begin, end) of a record, all equal to value.
struct ByteRun {
  std::size_t begin = 0;
  std::size_t end = 0;
  unsigned char value = 0;
};

// The most bytes a packed record of record_length bytes takes.
std::size_t MaxPackedRecordLength(std::size_t record_length);

// Every run of kMinPackedRun or more equal bytes of the record, in order.
void FindRecordRuns(const unsigned char* record, std::size_t record_length, std::vector<ByteRun>& runs);

// Packs record_length bytes whose runs FindRecordRuns found into out (room
// for MaxPackedRecordLength) and returns the packed length.
std::size_t PackRecord(const unsigned char* record, std::size_t record_length, const std::vector<ByteRun>& runs,
                       unsigned char* out);

// The length of the packed record at packed, which PackRecord made from a
// record of record_length bytes.
std::size_t PackedRecordLength(const unsigned char* packed, std::size_t record_length);

// Writes the record_length bytes of the record back and returns the packed
// length; runs, when given, receives the record's runs as FindRecordRuns
// would.
std::size_t UnpackRecord(const unsigned char* packed, std::size_t record_length, unsigned char* record,
                         std::vector<ByteRun>* runs = nullptr);

// How many bytes equal value at the start of bytes[0, length), and at its
// end; long runs cost a few instructions a block.
std::size_t LeadingRunLength(const unsigned char* bytes, std::size_t length, unsigned char value);
std::size_t TrailingRunLength(const unsigned char* bytes, std::size_t length, unsigned char value);
