// Lookup in the message table compiled in from resources/message_table.inc.
#include "platform/message_resources.h"

#include <algorithm>
#include <iterator>

namespace {

struct MessageResource {
  std::uint32_t id;
  const char* text;
};

constexpr MessageResource kMessageResources[] = {
#include "message_table.inc"
};

constexpr bool IdsAscend() {
  for (std::size_t i = 1; i < std::size(kMessageResources); ++i)
    if (kMessageResources[i - 1].id >= kMessageResources[i].id) return false;
  return true;
}
static_assert(IdsAscend(), "message_table.inc must list ids in ascending order");

}  // namespace

const char* LoadMessageResource(std::uint32_t id) {
  auto found = std::lower_bound(std::begin(kMessageResources), std::end(kMessageResources), id,
                                [](const MessageResource& entry, std::uint32_t key) { return entry.id < key; });
  if (found == std::end(kMessageResources) || found->id != id) return nullptr;
  return found->text;
}
