// The data source's keys in odbc.ini, read through the installer library.
#include "connection/data_source_settings.h"

#include "platform/odbc_profile.h"

const char* const kDataSourceKeys[] = {
    "UID",          "PWD",          "QUICKBASESERVER", "APPTOKEN",     "DETECTPROXY",      "WINHTTPPROXYNAME",
    "WINHTTPTIMEOUTS", "CAFILE",    "FIELDNAMEHYPHENS", "TEXTNULL",    "ALLREVISIONS",     "USEFIDS",
    "RAWUSERFIELD", "GLOBALCATALOG", "TIMEZONEOFFSET", "DURATION",     "FILE",             "FILEPATH",
    "IGNOREMISSINGFILE", "CROSSAPP",
};
const std::size_t kDataSourceKeyCount = sizeof kDataSourceKeys / sizeof kDataSourceKeys[0];

void AddDataSourceKeys(SettingsMap& settings) {
  const std::string dsn = LookupSetting(settings, "DSN");
  if (dsn.empty()) return;
  for (std::size_t i = 0; i < kDataSourceKeyCount; ++i) {
    if (settings.count(kDataSourceKeys[i]) != 0) continue;
    std::string value = ReadDataSourceKey(dsn, kDataSourceKeys[i]);
    if (!value.empty()) settings.emplace(kDataSourceKeys[i], std::move(value));
  }
}

void SetConnectArguments(SettingsMap& settings, const std::string& dataSource, const std::string& userName,
                         const std::string& password) {
  settings["DSN"] = dataSource;
  if (!userName.empty()) settings["UID"] = userName;
  if (!password.empty()) settings["PWD"] = password;
}
