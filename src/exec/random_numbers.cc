// RAND's process-wide state and its generators.
#include "exec/random_numbers.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>

namespace {

// The seed the next call starts from, and the seed the last call left; both
// start at 1 as a fresh process's sequence does.
std::atomic<std::int64_t> storedSeed{1};
std::atomic<std::int64_t> previousSeed{1};

// A combined seed equal to the last one would repeat the sequence forever, so
// it is replaced by the next value of this linear congruential generator,
// one per thread, started at 1.
std::int64_t NextFallbackSeed() {
  thread_local std::uint32_t state = 1;
  state = state * 214013u + 2531011u;
  return (state >> 16) & 0x7FFF;
}

std::int64_t StartingValue(std::int64_t seed, std::int64_t offset) { return std::llabs(seed + offset) % 30000 + 1; }

std::int64_t CurrentSeconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

}  // namespace

double NextRandomNumber(std::int32_t seed) {
  if (seed != 0) storedSeed.store(seed);
  std::int64_t start = storedSeed.load();
  if (start == 0) start = CurrentSeconds();
  const std::int64_t s1 = 171 * StartingValue(start, 4) % 30269;
  const std::int64_t s2 = 172 * StartingValue(start, 10014) % 30307;
  const std::int64_t s3 = 170 * StartingValue(start, 3017) % 30323;
  const double sum = s1 / 30269.0 + s2 / 30307.0 + s3 / 30323.0;
  std::int64_t next = s1 + s2 + s3;
  if (next == previousSeed.load()) next = NextFallbackSeed();
  storedSeed.store(next);
  previousSeed.store(next);
  return sum - std::floor(sum);
}
