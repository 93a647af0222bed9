// Settings keys that shape the API session: server, timeouts, proxy, trust
// anchor and credentials.
#include "connection/session_settings.h"

#include <charconv>

#include "platform/text_fold.h"

std::string ResolveServerUrl(const std::string& server) {
  std::size_t start = server.find_first_not_of(" \t");
  if (start == std::string::npos) return "https://www.quickbase.com";
  std::string url = server.substr(start, server.find_last_not_of(" \t") - start + 1);
  if (url.find("://") == std::string::npos) url = "https://" + url;
  while (!url.empty() && url.back() == '/') url.pop_back();
  return url;
}

void ParseTimeoutList(const std::string& text, TransportSettings& settings) {
  long* slots[] = {&settings.resolveTimeoutMs, &settings.connectTimeoutMs, &settings.sendTimeoutMs,
                   &settings.receiveTimeoutMs};
  std::size_t at = 0;
  for (long* slot : slots) {
    if (at > text.size()) break;
    std::size_t comma = text.find(',', at);
    std::string piece = text.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
    std::size_t first = piece.find_first_not_of(" \t");
    long value = 0;
    if (first != std::string::npos) {
      auto [end, error] = std::from_chars(piece.data() + first, piece.data() + piece.size(), value);
      bool rest = piece.find_first_not_of(" \t", static_cast<std::size_t>(end - piece.data())) == std::string::npos;
      if (error == std::errc() && rest && value >= 0) *slot = value;
    }
    if (comma == std::string::npos) break;
    at = comma + 1;
  }
}

bool ParseTimezoneOffset(const std::string& text, std::int32_t& minutes) {
  constexpr std::int32_t kMinutesPerDay = 24 * 60;
  std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return false;
  std::size_t last = text.find_last_not_of(" \t") + 1;
  // from_chars takes a minus sign but not a plus sign, which is how offsets
  // east of UTC are commonly written.
  if (text[first] == '+') {
    ++first;
    if (first == last || text[first] == '-') return false;
  }
  std::int32_t value = 0;
  auto [end, error] = std::from_chars(text.data() + first, text.data() + last, value);
  if (error != std::errc() || end != text.data() + last) return false;
  if (value <= -kMinutesPerDay || value >= kMinutesPerDay) return false;
  minutes = value;
  return true;
}

bool IsSettingOn(const std::string& value) {
  std::string folded = UpperCopyAZ(value);
  return folded == "1" || folded == "Y" || folded == "YES" || folded == "ON" || folded == "TRUE";
}

void ApplySessionSettings(const SettingsMap& settings, const std::string& userAgent, ApiSession& session) {
  session.userName = LookupSetting(settings, "UID");
  session.password = LookupSetting(settings, "PWD");
  session.appToken = LookupSetting(settings, "APPTOKEN");
  TransportSettings& transport = session.transport.settings;
  transport.baseUrl = ResolveServerUrl(LookupSetting(settings, "QUICKBASESERVER"));
  ParseTimeoutList(LookupSetting(settings, "WINHTTPTIMEOUTS"), transport);
  transport.useEnvironmentProxy = IsSettingOn(LookupSetting(settings, "DETECTPROXY"));
  transport.proxyName = LookupSetting(settings, "WINHTTPPROXYNAME");
  transport.caFile = LookupSetting(settings, "CAFILE");
  transport.userAgent = userAgent;
}
