// Settings-map access shared by every subsystem that reads connection keys.
#include "handles/handles.h"

const std::string& LookupSetting(const SettingsMap& settings, const std::string& key) {
  static const std::string kEmpty;
  auto found = settings.find(key);
  return found == settings.end() ? kEmpty : found->second;
}
