// Finding and removing the credentials of URL-like settings.
#include "common/url_credentials.h"

namespace {

bool IsSchemeCharacter(char c, bool first) {
  const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
  return letter || (!first && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'));
}

// Where the part that may hold credentials starts: past "scheme://" when
// the value begins with a scheme, else at its start. A password that holds
// "://" does not make what precedes it a scheme.
std::size_t AuthorityStart(std::string_view url) {
  const std::size_t separator = url.find("://");
  if (separator == std::string_view::npos || separator == 0) return 0;
  for (std::size_t i = 0; i < separator; ++i)
    if (!IsSchemeCharacter(url[i], i == 0)) return 0;
  return separator + 3;
}

}  // namespace

bool HoldsUrlCredentials(std::string_view url) {
  return url.find('@', AuthorityStart(url)) != std::string_view::npos;
}

std::string WithoutUrlCredentials(std::string_view url) {
  if (!HoldsUrlCredentials(url)) return std::string(url);
  return std::string(url.substr(0, AuthorityStart(url))) + std::string(url.substr(url.rfind('@') + 1));
}
