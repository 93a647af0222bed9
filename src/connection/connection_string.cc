// The connection-string grammar of SQLDriverConnect, both directions, and
// the check that the settings it yields are text.
#include "connection/connection_string.h"

#include "common/url_credentials.h"
#include "common/utf16_text.h"
#include "platform/text_fold.h"

namespace {

constexpr const char* kSecretKeys[] = {"PWD", "APPTOKEN"};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The position of the first of the given characters at or after at, or the
// end of the text.
std::size_t FindFrom(std::string_view text, std::size_t at, std::string_view characters) {
  std::size_t found = text.find_first_of(characters, at);
  return found == std::string_view::npos ? text.size() : found;
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

// Reads the value after a key's '='; at ends past the ';' that closes the
// pair (or at the end of the text).
bool ReadValue(std::string_view text, std::size_t& at, std::string& value) {
  while (at < text.size() && IsBlank(text[at])) ++at;
  if (at < text.size() && text[at] == '{') {
    if (!ReadBracedValue(text, at, value)) return false;
    at = FindFrom(text, at, ";");  // anything between '}' and ';' is dropped
  } else {
    std::size_t end = FindFrom(text, at, ";");
    value = std::string(TrimBlanks(text.substr(at, end - at)));
    at = end;
  }
  if (at < text.size()) ++at;
  return true;
}

bool IsSecretKey(const std::string& key) {
  for (const char* secret : kSecretKeys)
    if (key == secret) return true;
  return false;
}

// A server or proxy URL with a user name and password that the data source
// supplied stays in odbc.ini, as its PWD does: connecting again with the
// completed string reads it from there.
bool IsDataSourceCredential(const std::string& key, const std::string& value, const SettingsMap& applicationKeys) {
  return IsUrlSettingKey(key) && HoldsUrlCredentials(value) && LookupSetting(applicationKeys, key).empty();
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

// Why a text can't be used, or nothing.
const char* TextFault(const std::string& text) {
  if (text.find('\0') != std::string::npos) return "holds a NUL byte";
  if (!IsValidUtf8(text)) return "is not UTF-8 text";
  return nullptr;
}

}  // namespace

bool ParseConnectionString(std::string_view text, SettingsMap& settings) {
  std::size_t at = 0;
  while (at < text.size()) {
    // One scan finds whichever ends the key first; a piece without '='
    // carries nothing. Scanning ahead for '=' alone would read a long run of
    // such pieces again for each of them.
    std::size_t stop = FindFrom(text, at, "=;");
    if (stop == text.size()) break;
    if (text[stop] == ';') {
      at = stop + 1;
      continue;
    }
    std::string key = UpperCopyAZ(TrimBlanks(text.substr(at, stop - at)));
    at = stop + 1;
    std::string value;
    if (!ReadValue(text, at, value)) return false;
    if (!key.empty()) settings.emplace(std::move(key), std::move(value));
  }
  return true;
}

std::string BuildOutConnectionString(const SettingsMap& settings, const SettingsMap& applicationKeys) {
  std::string out;
  const std::string& dsn = LookupSetting(settings, "DSN");
  if (!dsn.empty())
    out = "DSN=" + BracedValue(dsn) + ";";
  else if (!LookupSetting(settings, "DRIVER").empty())
    out = "DRIVER={" + EscapeBraces(LookupSetting(settings, "DRIVER")) + "};";
  for (const auto& [key, value] : settings) {
    if (key == "DSN" || key == "DRIVER" || IsSecretKey(key) || value.empty()) continue;
    if (IsDataSourceCredential(key, value, applicationKeys)) continue;
    out += key + "=" + BracedValue(value) + ";";
  }
  for (const char* secret : kSecretKeys) {
    const std::string& value = LookupSetting(applicationKeys, secret);
    if (!value.empty()) out += std::string(secret) + "=" + BracedValue(value) + ";";
  }
  return out;
}

std::string FindUnusableSetting(const SettingsMap& settings) {
  for (const auto& [key, value] : settings) {
    // A key that is not text can't be named in a diagnostic.
    if (const char* fault = TextFault(key)) return std::string("a key of the connection string ") + fault;
    if (const char* fault = TextFault(value)) return "the value of " + key + " " + fault;
  }
  return {};
}
