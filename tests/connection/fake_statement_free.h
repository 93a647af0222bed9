// The statement kind that makes the fake FreeStatement refuse a drop.
#pragma once

#include <cstdint>

inline constexpr std::int32_t kRefuseDrop = 99;
