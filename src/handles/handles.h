// The environment and connection handles that the Driver Manager holds, with
// the connection's settings map. This folder holds the records that every
// layer shares (handles, the connection record, call and catalog records), so
// that includes run only downward; what works on them lives in the layers.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "handles/handle_diagnostic.h"

struct ConnectionHandle;
struct ConnectionRecord;
struct StatementHandle;
struct DescriptorHandle;

inline constexpr std::int16_t kHandleKindEnvironment = 1;
inline constexpr std::int16_t kHandleKindConnection = 2;
inline constexpr std::int16_t kHandleKindStatement = 3;
inline constexpr std::int16_t kHandleKindDescriptor = 4;

// Upper-case key to value; an absent key reads as the empty text.
using SettingsMap = std::map<std::string, std::string>;

struct EnvironmentHandle {
  std::int16_t kind = kHandleKindEnvironment;
  ConnectionHandle* firstConnection = nullptr;
  std::int32_t odbcVersion = 3;  // 2 selects ODBC 2 SQLSTATEs and date-time codes
  HandleDiagnostic diagnostic;
};

struct ConnectionHandle {
  std::int16_t kind = kHandleKindConnection;
  ConnectionHandle* nextConnection = nullptr;
  StatementHandle* firstStatement = nullptr;
  DescriptorHandle* firstDescriptor = nullptr;
  HandleDiagnostic diagnostic;
  EnvironmentHandle* environment = nullptr;
  SettingsMap settings;
  ConnectionRecord* record = nullptr;  // none until connected
  std::string currentCatalog;
  std::int64_t isolationLevel = -1;
  std::uint8_t autocommit = 0;
  // Defaults copied into every new statement.
  std::uint64_t bindType = 0;
  std::uint16_t concurrency = 1;
  std::uint16_t cursorType = 0;
  std::uint8_t sequentialPaging = 1;
  std::uint16_t retrieveData = 1;
  std::uint16_t useBookmarks = 0;
  std::uint8_t metadataId = 0;
  double durationMultiplier = 1.0;
  std::int32_t timezoneOffsetMinutes = 0;
  bool timezoneOffsetSet = false;
};

// The value of a settings key, or the empty text when it is absent.
const std::string& LookupSetting(const SettingsMap& settings, const std::string& key);
