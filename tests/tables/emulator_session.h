// Test support for table access: a QuickBase emulator started for the test
// (127.0.0.1, a free port, bounded start), a connection to it, and the
// emulator's admin interface (request log, faults, row generator).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "connection/connection_record.h"
#include "connection/handles.h"

struct LoggedRequest {
  std::string action;
  std::string dbid;
  std::string body;
};

struct EmulatorSession {
  std::string pidFile;
  int port = 0;
  EnvironmentHandle environment;
  ConnectionHandle connection;

  EmulatorSession() = default;
  EmulatorSession(const EmulatorSession&) = delete;
  EmulatorSession& operator=(const EmulatorSession&) = delete;
  ~EmulatorSession();

  // Starts the emulator with the fixture (relative to the source tree) and connects.
  bool Start(const std::string& fixture, const std::string& extraSettings = "");
  ConnectionRecord& Record() { return *connection.record; }
  // A JSON admin request; the reply body.
  std::string Admin(const std::string& method, const std::string& path, const std::string& body = "");
  // The logged API requests of one action (all when empty), oldest first.
  std::vector<LoggedRequest> Log(const std::string& action = "");
  void ClearLog() { Admin("POST", "log/clear"); }
  void InjectFault(const std::string& json) { Admin("POST", "faults", json); }
  // The dbid of a table, "App: Table", from the granted list.
  std::string TableId(const std::string& name);
};
