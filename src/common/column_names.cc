// Field labels to SQL column names, for table opening and column resolution.
#include "common/column_names.h"

#include <algorithm>

#include "platform/utf8_text.h"

namespace {

constexpr std::size_t kHostNameCharacters = 63;
constexpr std::size_t kNameCharacters = 127;

bool KeptWithoutHostFlag(char c, bool hyphenFlag) {
  if (static_cast<unsigned char>(c) >= 0x80) return true;
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
  return c == ' ' || c == ':' || (c == '-' && hyphenFlag);
}

// The host's query tools break on these in a name; nothing else is touched.
bool ReplacedForHost(char c) { return c == '.' || c == '!' || c == '[' || c == ']' || c == '`'; }

std::string ReplaceCharacters(std::string_view label, bool hostFlag, bool hyphenFlag) {
  std::string name(label);
  for (char& c : name) {
    bool replace = hostFlag ? ReplacedForHost(c) : !KeptWithoutHostFlag(c, hyphenFlag);
    if (replace) c = '_';
  }
  return name;
}

std::string LastCharacters(const std::string& name, std::size_t count) {
  const std::size_t characters = CountUtf8Characters(name);
  if (characters <= count) return name;
  return name.substr(Utf8PrefixBytes(name, characters - count));
}

}  // namespace

std::string SanitizeColumnName(std::string_view fieldLabel, bool hostFlag, bool hyphenFlag) {
  std::string name = ReplaceCharacters(fieldLabel, hostFlag, hyphenFlag);
  name = LastCharacters(name, hostFlag ? kHostNameCharacters : kNameCharacters);
  name.erase(0, std::min(name.find_first_not_of(' '), name.size()));
  return name;
}
