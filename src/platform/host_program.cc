// Reads the running program's name from /proc.
#include "platform/host_program.h"

#include <climits>
#include <unistd.h>

#include "platform/text_fold.h"

namespace {
// Only tests write this, before any connection exists.
std::string& HostNameOverride() {
  static std::string name;
  return name;
}
}  // namespace

std::string HostProgramName() {
  if (!HostNameOverride().empty()) return HostNameOverride();
  char path[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return {};
  std::string full(path, static_cast<std::size_t>(n));
  std::size_t slash = full.rfind('/');
  return LowerCopyAZ(slash == std::string::npos ? full : full.substr(slash + 1));
}

void SetHostProgramNameForTesting(const std::string& name) { HostNameOverride() = name; }
