// Block reads of fixed-length records.
#include "exec/record_block_reader.h"

#include <algorithm>

RecordBlockReader::RecordBlockReader(PlatformFile f, std::size_t record_length, std::uint64_t count,
                                     std::size_t block_bytes)
    : file(f), length(record_length), left(count),
      block(record_length * std::max<std::size_t>(1, block_bytes / record_length)) {}

const unsigned char* RecordBlockReader::Next() {
  if (left == 0) return nullptr;
  if (at == end) {
    const auto bytes = static_cast<std::size_t>(std::min<std::uint64_t>(block.size() / length, left) * length);
    if (ReadFullBufferAt(file, block.data(), bytes, offset) != static_cast<std::int64_t>(bytes)) return nullptr;
    offset += static_cast<std::int64_t>(bytes);
    at = 0;
    end = bytes;
  }
  const unsigned char* record = block.data() + at;
  at += length;
  --left;
  return record;
}
