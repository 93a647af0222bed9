// The message-id type that every handle's diagnostic keeps; the ids
// themselves are listed in common/message_ids.h.
#pragma once

#include <cstdint>

using MessageId = std::uint16_t;

inline constexpr MessageId kMsgSuccess = 0;
