// The compiled-in string resources: the message table and the day and month
// names, looked up by id in place of the Windows string resources.
#pragma once

#include <cstdint>

// The resource text of an id, or nullptr when the table has no such id.
const char* LoadMessageResource(std::uint32_t id);

inline constexpr std::uint32_t kFirstDayNameResource = 5002;    // Sunday
inline constexpr std::uint32_t kFirstMonthNameResource = 5009;  // January
