// The proxy variables of the process's environment, which libcurl reads when
// a request names no proxy of its own. The transport checks them for
// credentials before it quotes libcurl's words about a failure.
#pragma once

#include <string>
#include <vector>

// The values of http_proxy, https_proxy and all_proxy, in lower or upper
// case, that are set.
std::vector<std::string> ProxyEnvironmentValues();
