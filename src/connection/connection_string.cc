// The connection-string grammar of SQLDriverConnect, both directions.
#include "connection/connection_string.h"

#include "platform/text_fold.h"

namespace {

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// Reads a braced value starting at text[at] == '{'; at ends past the '}'.
bool ReadBracedValue(std::string_view text, std::size_t& at, std::string& value) {
  for (++at; at < text.size(); ++at) {
    if (text[at] != '}') {
      value += text[at];
      continue;
    }
    if (at + 1 < text.size() && text[at + 1] == '}') {
      value += '}';
      ++at;
      continue;
    }
    ++at;
    return true;
  }
  return false;
}

bool NeedsBraces(const std::string& value) {
  if (value.find_first_of(";{}=") != std::string::npos) return true;
  return !value.empty() && (value.front() == ' ' || value.back() == ' ');
}

std::string EscapeBraces(const std::string& value) {
  std::string out;
  for (char c : value) {
    out += c;
    if (c == '}') out += '}';
  }
  return out;
}

std::string BracedValue(const std::string& value) {
  return NeedsBraces(value) ? "{" + EscapeBraces(value) + "}" : value;
}

}  // namespace

bool ParseConnectionString(std::string_view text, SettingsMap& settings) {
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t equals = text.find('=', at);
    if (equals == std::string_view::npos) break;
    std::size_t semicolon = text.find(';', at);
    if (semicolon < equals) {
      at = semicolon + 1;  // a piece without '=' carries nothing
      continue;
    }
    std::string key = UpperCopyAZ(TrimBlanks(text.substr(at, equals - at)));
    at = equals + 1;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
    std::string value;
    if (at < text.size() && text[at] == '{') {
      if (!ReadBracedValue(text, at, value)) return false;
      std::size_t end = text.find(';', at);
      at = end == std::string_view::npos ? text.size() : end + 1;
    } else {
      std::size_t end = text.find(';', at);
      std::size_t stop = end == std::string_view::npos ? text.size() : end;
      value = std::string(TrimBlanks(text.substr(at, stop - at)));
      at = end == std::string_view::npos ? text.size() : end + 1;
    }
    if (!key.empty()) settings.emplace(std::move(key), std::move(value));
  }
  return true;
}

std::string BuildOutConnectionString(const SettingsMap& settings) {
  std::string out;
  const std::string& dsn = LookupSetting(settings, "DSN");
  if (!dsn.empty())
    out = "DSN=" + BracedValue(dsn) + ";";
  else if (!LookupSetting(settings, "DRIVER").empty())
    out = "DRIVER={" + EscapeBraces(LookupSetting(settings, "DRIVER")) + "};";
  for (const auto& [key, value] : settings) {
    if (key == "DSN" || key == "DRIVER" || value.empty()) continue;
    out += key + "=" + BracedValue(value) + ";";
  }
  return out;
}
