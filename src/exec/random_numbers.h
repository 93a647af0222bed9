// RAND's generator: three small multiplicative congruential generators
// combined (Wichmann-Hill), restarted from a stored seed on every call. The
// seed is process-wide, shared by every connection; concurrent calls may
// interleave their sequences but never tear the state.
#pragma once

#include <cstdint>

// The next number in [0, 1). A non-zero seed is stored first, so the same
// seed restarts the same sequence; 0 continues the current one.
double NextRandomNumber(std::int32_t seed);
