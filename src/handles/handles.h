// The environment and connection handles that the Driver Manager holds, with
// the connection's settings map. This folder holds the records that every
// layer shares (handles, the connection record, call and catalog records), so
// that includes run only downward; what works on them lives in the layers.
//
// Threads: an application may call the driver on different handles from
// different threads at once, and nothing above the driver serialises them.
// The rule, kept by the export wrappers alone (odbc/export_guard.h): an
// environment's mutex guards its list of connections; a connection's mutex
// guards everything it shares among its statements (its statement and
// descriptor lists, the connection record with the API session, caches and
// current statement, and every diagnostic on it, its statements and its
// descriptors). An export on a statement or descriptor takes its
// connection's mutex; allocating or freeing a handle takes its parent's. A
// thread holding both takes the environment's first. Nothing below the
// wrappers locks, so cores may call each other freely; the one exception is
// LASTERROR, which reads the environment's message from a statement and so
// only tries the environment's lock (exec/system_functions.cc).
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include "handles/handle_diagnostic.h"
#include "handles/handle_registry.h"

struct ConnectionHandle;
struct ConnectionRecord;
struct StatementHandle;
struct DescriptorHandle;

inline constexpr std::int16_t kHandleKindEnvironment = 1;
inline constexpr std::int16_t kHandleKindConnection = 2;
inline constexpr std::int16_t kHandleKindStatement = 3;
inline constexpr std::int16_t kHandleKindDescriptor = 4;

// The kind of a live handle record; 0 for a null handle, a record already
// freed and anything that never was one. The registry answers, so the
// memory the handle points at is not read.
inline std::int16_t HandleKind(const void* handle) { return LiveHandleKind(handle); }

// Upper-case key to value; an absent key reads as the empty text.
using SettingsMap = std::map<std::string, std::string>;

struct EnvironmentHandle {
  std::int16_t kind = kHandleKindEnvironment;
  ConnectionHandle* firstConnection = nullptr;
  std::int32_t odbcVersion = 3;  // 2 selects ODBC 2 SQLSTATEs and date-time codes
  HandleDiagnostic diagnostic;
  std::mutex mutex;  // the connection list and this record (see the top of this file)

  EnvironmentHandle() { RegisterHandle(this, kind); }
  EnvironmentHandle(const EnvironmentHandle&) = delete;
  EnvironmentHandle& operator=(const EnvironmentHandle&) = delete;
  ~EnvironmentHandle() { RetireHandle(this); }
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
  // On from allocation, as ODBC applications expect; a choice made before
  // connecting is kept by connecting.
  std::uint8_t autocommit = 1;
  // Defaults copied into every new statement.
  std::uint64_t bindType = 0;
  std::uint16_t concurrency = 1;
  std::uint16_t cursorType = 0;
  std::uint16_t retrieveData = 1;
  std::uint16_t useBookmarks = 0;
  std::uint8_t metadataId = 0;
  double durationMultiplier = 1.0;
  std::int32_t timezoneOffsetMinutes = 0;
  bool timezoneOffsetSet = false;

  std::mutex mutex;  // this connection and all it owns (see the top of this file)
  // The statement whose export holds the mutex, so SQLCancel from another
  // thread can tell a running call from an idle statement without waiting.
  std::atomic<const StatementHandle*> statementInCall{nullptr};

  ConnectionHandle() { RegisterHandle(this, kind); }
  ConnectionHandle(const ConnectionHandle&) = delete;
  ConnectionHandle& operator=(const ConnectionHandle&) = delete;
  ~ConnectionHandle() { RetireHandle(this); }
};

// The value of a settings key, or the empty text when it is absent.
const std::string& LookupSetting(const SettingsMap& settings, const std::string& key);
