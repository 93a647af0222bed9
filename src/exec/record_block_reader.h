// Reads a file of fixed-length records from its start, a block of whole
// records at a time: the sort's input and the sorted files that the result
// passes walk in order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/files.h"

struct RecordBlockReader {
  PlatformFile file;
  std::size_t length;   // of a record
  std::uint64_t left;   // records not yet handed out
  std::vector<unsigned char> block;
  std::size_t at = 0;
  std::size_t end = 0;
  std::int64_t offset = 0;  // of the next block in the file

  // A block holds as many whole records as block_bytes does, one at least.
  RecordBlockReader(PlatformFile f, std::size_t record_length, std::uint64_t count, std::size_t block_bytes);

  // The next record, or nullptr after the last one or on a failed read.
  const unsigned char* Next();
};
