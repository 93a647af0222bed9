// Makes the next writes of this process fail at a size, as a full disk
// would: for the tests of passes that must leave nothing behind when a
// write fails.
#pragma once

#include <signal.h>
#include <sys/resource.h>

// Ignores SIGXFSZ and caps the size of any file this process writes.
struct ScopedFileSizeLimit {
  rlimit saved{};
  struct sigaction savedAction {};
  explicit ScopedFileSizeLimit(rlim_t bytes) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &savedAction);
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limit = saved;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~ScopedFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved);
    sigaction(SIGXFSZ, &savedAction, nullptr);
  }
  ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
  ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;
};
