// The registry of live handles: one map under its own lock, which nothing
// else takes, so it nests inside every lock of the handle layer.
#include "handles/handle_registry.h"

#include <mutex>
#include <unordered_map>

namespace {

// The lock is constant-initialised and has nothing to destroy, so handles
// freed while the process exits, after the library's own objects are gone,
// still find it. The map exists only while some handle lives: an unloaded
// library leaves nothing allocated behind.
std::mutex registryMutex;
std::unordered_map<const void*, std::int16_t>* liveHandles = nullptr;

}  // namespace

void RegisterHandle(const void* handle, std::int16_t kind) {
  std::lock_guard<std::mutex> lock(registryMutex);
  if (liveHandles == nullptr) liveHandles = new std::unordered_map<const void*, std::int16_t>;
  (*liveHandles)[handle] = kind;
}

void RetireHandle(const void* handle) {
  std::lock_guard<std::mutex> lock(registryMutex);
  if (liveHandles == nullptr) return;
  liveHandles->erase(handle);
  if (!liveHandles->empty()) return;
  delete liveHandles;
  liveHandles = nullptr;
}

std::int16_t LiveHandleKind(const void* handle) {
  if (handle == nullptr) return 0;
  std::lock_guard<std::mutex> lock(registryMutex);
  if (liveHandles == nullptr) return 0;
  auto found = liveHandles->find(handle);
  return found == liveHandles->end() ? 0 : found->second;
}
