// Test support for table access: a QuickBase emulator started for the test
// (127.0.0.1, a free port, bounded start), a connection to it, the
// emulator's admin interface (request log, faults, row generator) and the
// cursor helpers the tests share.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "handles/connection_record.h"
#include "handles/handles.h"
#include "tables/table_cursor.h"

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

// A table cursor handed back the way a statement hands it back.
struct CursorHolder {
  TableCursor* cursor = nullptr;
  ~CursorHolder() { ApplyFlushCacheCommand(cursor); }
};

// The index of the cursor's column of that name; -1 when there is none.
inline int ColumnNamed(const TableCursor& cursor, const std::string& name) {
  for (std::size_t i = 0; i < cursor.columns.size(); ++i)
    if (cursor.columns[i].name == name) return static_cast<int>(i);
  return -1;
}
