// Reading the proxy variables of the environment.
#include "platform/proxy_environment.h"

#include <cstdlib>

std::vector<std::string> ProxyEnvironmentValues() {
  static constexpr const char* kNames[] = {"http_proxy", "HTTP_PROXY", "https_proxy",
                                           "HTTPS_PROXY", "all_proxy",  "ALL_PROXY"};
  std::vector<std::string> values;
  for (const char* name : kNames)
    if (const char* value = std::getenv(name)) values.emplace_back(value);
  return values;
}
