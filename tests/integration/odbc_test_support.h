// What the integration tests share: a private folder with their own
// odbcinst.ini and odbc.ini, an emulator started on a free port and stopped
// again, and small readers of ODBC diagnostics. Everything goes through the
// unixODBC Driver Manager.
#pragma once

#include <sql.h>
#include <sqlext.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../qbapi/unused_port.h"

inline constexpr const char* kDriverName = "Tarvox ODBC for QuickBase";

// Runs a shell command and returns its standard output.
inline std::string RunCommand(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return output;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
  pclose(pipe);
  return output;
}

// A command's output as its lines, without their line feeds.
inline std::vector<std::string> OutputLines(const std::string& output) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end = output.find('\n'); end != std::string::npos; end = output.find('\n', start)) {
    lines.push_back(output.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

struct TempFolder {
  std::string path;
  TempFolder() {
    std::string pattern = std::filesystem::temp_directory_path().string() + "/helvane-it-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) != nullptr) path = buffer.data();
  }
  ~TempFolder() {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove_all(path, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
};

// A temporary folder of the test's own as $TMPDIR, for as long as it lives.
struct TmpDir {
  TempFolder folder;
  TmpDir() { setenv("TMPDIR", folder.path.c_str(), 1); }
  ~TmpDir() { unsetenv("TMPDIR"); }
  TmpDir(const TmpDir&) = delete;
  TmpDir& operator=(const TmpDir&) = delete;
  const std::string& path() const { return folder.path; }
};

// The files a process holds open in a folder (a file without a name still
// shows its folder); 0 once the process is gone.
inline int OpenFilesIn(pid_t process, const std::string& folder) {
  int count = 0;
  std::error_code gone;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/" + std::to_string(process) + "/fd", gone)) {
    std::error_code ignored;
    if (std::filesystem::read_symlink(entry.path(), ignored).string().rfind(folder + "/", 0) == 0) ++count;
  }
  return count;
}

inline std::string DemoFixture() { return std::string(HELVANE_EMULATOR_DIR) + "/fixtures/demo.json"; }

// A background emulator with a fixture, the demo's unless told; stopped when
// it goes away, and by itself when the test program is gone without that.
struct Emulator {
  std::string pidFile;
  int port = 0;
  Emulator(const TempFolder& folder, const std::string& extraArguments = "",
           const std::string& fixture = DemoFixture()) {
    pidFile = folder.path + "/emulator.pid";
    std::string command = std::string("/usr/bin/python3 ") + HELVANE_EMULATOR_DIR + "/emuctl.py start --pidfile " +
                          pidFile + " --owner " + std::to_string(getpid()) + " --log " + folder.path +
                          "/emulator.log -- --host 127.0.0.1 --fixture '" +
                          fixture + "' " + extraArguments;
    port = std::atoi(RunCommand(command).c_str());
  }
  ~Emulator() {
    if (port != 0)
      RunCommand(std::string("/usr/bin/python3 ") + HELVANE_EMULATOR_DIR + "/emuctl.py stop --pidfile " + pidFile);
  }
  Emulator(const Emulator&) = delete;
  Emulator& operator=(const Emulator&) = delete;
  std::string HttpUrl() const { return "http://127.0.0.1:" + std::to_string(port); }
  // POSTs a JSON body to the admin interface and returns the reply.
  std::string Admin(const std::string& path, const std::string& json) const {
    return RunCommand("curl -s -X POST -H 'Content-Type: application/json' --data '" + json + "' " + HttpUrl() +
                      "/_emulator/" + path);
  }
  std::string Log() const { return RunCommand("curl -s " + HttpUrl() + "/_emulator/log"); }
  // Fills the table with rows of made-up values, the same for the same seed.
  std::string Generate(const std::string& dbid, int rows, int seed) const {
    return Admin("generate", "{\"table\": \"" + dbid + "\", \"rows\": " + std::to_string(rows) +
                                 ", \"seed\": " + std::to_string(seed) + "}");
  }
};

// Every remaining row of the statement's open result, each column read as
// text ("NULL" for NULL, at most 511 bytes a value); the cursor is closed
// after it.
inline std::vector<std::vector<std::string>> FetchRowsAsText(SQLHSTMT statement) {
  std::vector<std::vector<std::string>> rows;
  SQLSMALLINT columns = 0;
  SQLNumResultCols(statement, &columns);
  while (columns > 0 && SQL_SUCCEEDED(SQLFetch(statement))) {
    std::vector<std::string> row;
    for (SQLUSMALLINT column = 1; column <= columns; ++column) {
      char value[512] = {0};
      SQLLEN indicator = 0;
      SQLGetData(statement, column, SQL_C_CHAR, value, sizeof value, &indicator);
      row.push_back(indicator == SQL_NULL_DATA ? "NULL" : value);
    }
    rows.push_back(row);
  }
  SQLCloseCursor(statement);
  return rows;
}

// One value of each request log entry of an action (of every action when
// it is empty), in order, JSON-escaped without the quotes: the Python
// expression gives it from the entry e.
inline std::vector<std::string> LoggedValues(const Emulator& emulator, const std::string& action,
                                             const std::string& expression) {
  const std::string output =
      RunCommand("curl -s '" + emulator.HttpUrl() + "/_emulator/log" + (action.empty() ? "" : "?action=" + action) +
                 "' | /usr/bin/python3 -c 'import json, sys\nfor e in json.load(sys.stdin)[\"entries\"]: "
                 "print(json.dumps(str(" + expression + "))[1:-1])'");
  return OutputLines(output);
}

// The request log's entries of one action (or of every action when it is
// empty): one field of each ("body" or "action"), in order. Python reads
// the log, so a field of the same name nested inside an entry (a fault's
// description) is not counted.
inline std::vector<std::string> LoggedRequests(const Emulator& emulator, const std::string& action,
                                               const std::string& field = "body") {
  return LoggedValues(emulator, action, "e.get(\"" + field + "\", \"\")");
}

// One parameter of each request of an action as the service read it (a
// query's text unescaped), in order; empty where a request lacks it.
inline std::vector<std::string> LoggedParameters(const Emulator& emulator, const std::string& action,
                                                 const std::string& name) {
  return LoggedValues(emulator, action, "e.get(\"params\", {}).get(\"" + name + "\", \"\")");
}

// The judge of what reached the service: the given fields (a clist such as
// "7.8") of every record of a table that matches the query, read from the
// emulator as the demo's alice. One line per record, its values joined by tabs.
inline std::vector<std::string> ServiceRecords(const Emulator& emulator, const std::string& dbid,
                                               const std::string& clist, const std::string& query = "") {
  const std::string program = R"PY(import sys, urllib.request, xml.etree.ElementTree as ET
from xml.sax.saxutils import escape
url, clist, query = sys.argv[1:4]
body = "<qdbapi><usertoken>b7d2c9_demo_alice_token</usertoken><query>%s</query><clist>%s</clist>" \
       "<fmt>structured</fmt></qdbapi>" % (escape(query, {"\r": "&#13;"}), clist)
request = urllib.request.Request(url, body.encode(), {"QUICKBASE-ACTION": "API_DoQuery"})
for record in ET.fromstring(urllib.request.urlopen(request).read()).iter("record"):
    print("\t".join(record.findtext("f[@id=\"%s\"]" % f) or "" for f in clist.split(".")))
)PY";
  const std::string output = RunCommand("PYTHONIOENCODING=utf-8 /usr/bin/python3 -c '" + program + "' \"" +
                                        emulator.HttpUrl() + "/db/" + dbid + "\" \"" + clist + "\" \"" + query +
                                        "\"");
  return OutputLines(output);
}

// Registers the driver and writes one data source "demo" with the given keys;
// the Driver Manager and the driver both read these files.
inline void WriteOdbcFiles(const TempFolder& folder, const std::vector<std::string>& dataSourceLines) {
  {
    std::ofstream odbcinst(folder.path + "/odbcinst.ini");
    odbcinst << "[" << kDriverName << "]\nDescription=QuickBase ODBC driver under test\nDriver=" << HELVANE_LIBRARY_PATH
             << "\n";
  }
  std::ofstream odbc(folder.path + "/odbc.ini");
  odbc << "[demo]\nDriver=" << kDriverName << "\n";
  for (const std::string& line : dataSourceLines) odbc << line << "\n";
  odbc.close();
  setenv("ODBCSYSINI", folder.path.c_str(), 1);
  setenv("ODBCINI", (folder.path + "/odbc.ini").c_str(), 1);
}

struct Diagnostic {
  std::string state;
  SQLINTEGER native = 0;
  std::string text;
};

inline Diagnostic ReadDiagnostic(SQLSMALLINT handleType, SQLHANDLE handle) {
  Diagnostic diagnostic;
  SQLCHAR state[6] = {0};
  SQLCHAR text[1024] = {0};
  SQLSMALLINT length = 0;
  if (SQL_SUCCEEDED(SQLGetDiagRec(handleType, handle, 1, state, &diagnostic.native, text, sizeof text, &length))) {
    diagnostic.state = reinterpret_cast<char*>(state);
    diagnostic.text = reinterpret_cast<char*>(text);
  }
  return diagnostic;
}

// An environment of the given ODBC version and one connection handle on it.
struct OdbcHandles {
  SQLHENV environment = SQL_NULL_HENV;
  SQLHDBC connection = SQL_NULL_HDBC;
  bool connected = false;
  explicit OdbcHandles(SQLINTEGER version = SQL_OV_ODBC3) {
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment);
    SQLSetEnvAttr(environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(static_cast<intptr_t>(version)), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, environment, &connection);
  }
  ~OdbcHandles() {
    if (connected) SQLDisconnect(connection);
    SQLFreeHandle(SQL_HANDLE_DBC, connection);
    SQLFreeHandle(SQL_HANDLE_ENV, environment);
  }
  OdbcHandles(const OdbcHandles&) = delete;
  OdbcHandles& operator=(const OdbcHandles&) = delete;

  SQLRETURN DriverConnect(const std::string& text, std::string* out = nullptr, SQLSMALLINT outSize = 1024) {
    std::vector<SQLCHAR> buffer(static_cast<std::size_t>(outSize > 0 ? outSize : 1));
    SQLSMALLINT length = 0;
    SQLRETURN result = SQLDriverConnect(connection, nullptr, (SQLCHAR*)text.c_str(), SQL_NTS, buffer.data(),
                                        outSize, &length, SQL_DRIVER_NOPROMPT);
    connected = SQL_SUCCEEDED(result);
    if (out != nullptr) *out = reinterpret_cast<char*>(buffer.data());
    return result;
  }
  SQLRETURN Connect(const std::string& dsn, const std::string& user = "", const std::string& password = "") {
    SQLRETURN result = SQLConnect(connection, (SQLCHAR*)dsn.c_str(), SQL_NTS, (SQLCHAR*)user.c_str(), SQL_NTS,
                                  (SQLCHAR*)password.c_str(), SQL_NTS);
    connected = SQL_SUCCEEDED(result);
    return result;
  }
  Diagnostic ConnectionDiagnostic() const { return ReadDiagnostic(SQL_HANDLE_DBC, connection); }
};
