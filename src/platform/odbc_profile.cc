// odbc.ini access through SQLGetPrivateProfileString of libodbcinst.
#include "platform/odbc_profile.h"

#include <odbcinst.h>

#include <mutex>

namespace {

// libodbcinst locks its cache of ini files but finds their paths through a
// static buffer it writes outside that lock, so two connects on different
// threads must not read odbc.ini at the same moment.
std::mutex& ProfileMutex() {
  static std::mutex mutex;
  return mutex;
}

}  // namespace

std::string ReadDataSourceKey(const std::string& dataSource, const std::string& key) {
  if (dataSource.empty() || key.empty()) return {};
  char value[4096] = {0};
  int n = 0;
  {
    std::lock_guard<std::mutex> lock(ProfileMutex());
    n = SQLGetPrivateProfileString(dataSource.c_str(), key.c_str(), "", value, static_cast<int>(sizeof value),
                                   "odbc.ini");
  }
  if (n <= 0) return {};
  return std::string(value, static_cast<std::size_t>(n) < sizeof value ? static_cast<std::size_t>(n) : sizeof value - 1);
}
