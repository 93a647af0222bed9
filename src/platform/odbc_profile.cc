// odbc.ini access through SQLGetPrivateProfileString of libodbcinst.
#include "platform/odbc_profile.h"

#include <odbcinst.h>

std::string ReadDataSourceKey(const std::string& dataSource, const std::string& key) {
  if (dataSource.empty() || key.empty()) return {};
  char value[4096] = {0};
  int n = SQLGetPrivateProfileString(dataSource.c_str(), key.c_str(), "", value,
                                     static_cast<int>(sizeof value), "odbc.ini");
  if (n <= 0) return {};
  return std::string(value, static_cast<std::size_t>(n) < sizeof value ? static_cast<std::size_t>(n) : sizeof value - 1);
}
