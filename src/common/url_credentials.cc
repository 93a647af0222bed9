// Finding the credentials of URL-like settings and hiding their passwords.
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

bool IsUrlSettingKey(std::string_view key) {
  for (const char* urlKey : kUrlSettingKeys)
    if (key == urlKey) return true;
  return false;
}

std::string MaskUrlPassword(std::string_view url) {
  if (!HoldsUrlCredentials(url)) return std::string(url);
  const std::size_t at = url.rfind('@');
  // A user name can't hold an unencoded ':', so the first one starts the password.
  const std::size_t colon = url.find(':', AuthorityStart(url));
  if (colon > at) return std::string(url);
  return std::string(url.substr(0, colon)) + ":***" + std::string(url.substr(at));
}
