// Benchmark of the catalog functions through the unixODBC Driver Manager on a
// generated application of 500 tables, one of them with 300 columns:
// SQLTables over every table, SQLColumns of the wide table and SQLColumns
// over every table, each run twice on one connection. Prints each run's time,
// rows and the requests the emulator received (the granted list, schemas,
// all); asserts nothing. A connection asks for a table's schema once, so
// the repeated runs should send only the granted list.
#include <sql.h>
#include <sqlext.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>

#include "../tests/integration/odbc_test_support.h"

namespace {

constexpr int kTables = 500;
constexpr int kWideColumns = 300;
constexpr int kRuns = 2;
const char* const kFieldTypes[] = {"text", "float", "date", "timestamp", "checkbox"};

// The wide table first, then narrow tables of five fields each.
std::string GeneratedFixture() {
  std::string tables;
  for (int t = 0; t < kTables; ++t) {
    const int fields = t == 0 ? kWideColumns : 5;
    std::string list;
    for (int f = 0; f < fields; ++f) {
      if (f != 0) list += ", ";
      list += "{\"fid\": " + std::to_string(6 + f) + ", \"label\": \"Field " + std::to_string(f) +
              "\", \"type\": \"" + kFieldTypes[f % 5] + "\"}";
    }
    if (t != 0) tables += ", ";
    tables += "{\"name\": \"" + (t == 0 ? std::string("Wide") : "Table " + std::to_string(t)) +
              "\", \"fields\": [" + list + "]}";
  }
  return "{\"users\": [{\"login\": \"alice\", \"password\": \"wonderland\"}], \"apps\": [{\"name\": \"Bench\", "
         "\"tables\": [" + tables + "]}]}";
}

// Reads every row and column of the open result as text; the row count.
long ReadRows(SQLHSTMT statement) {
  SQLSMALLINT columns = 0;
  SQLNumResultCols(statement, &columns);
  long rows = 0;
  char value[256];
  SQLLEN length = 0;
  while (SQL_SUCCEEDED(SQLFetch(statement))) {
    for (SQLUSMALLINT c = 1; c <= columns; ++c) SQLGetData(statement, c, SQL_C_CHAR, value, sizeof value, &length);
    ++rows;
  }
  SQLCloseCursor(statement);
  return rows;
}

SQLCHAR* Text(const char* text) { return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text)); }

}  // namespace

int main() {
  TempFolder folder;
  const std::string fixture = folder.path + "/catalog_bench.json";
  std::ofstream(fixture) << GeneratedFixture();
  Emulator emulator(folder, "", fixture);
  if (emulator.port == 0) {
    std::fprintf(stderr, "the emulator did not start\n");
    return 1;
  }
  WriteOdbcFiles(folder, {"QUICKBASESERVER=" + emulator.HttpUrl(), "UID=alice", "PWD=wonderland"});
  OdbcHandles handles;
  if (!SQL_SUCCEEDED(handles.Connect("demo"))) {
    std::fprintf(stderr, "connect failed: %s\n", handles.ConnectionDiagnostic().text.c_str());
    return 1;
  }
  SQLHSTMT statement = SQL_NULL_HSTMT;
  SQLAllocHandle(SQL_HANDLE_STMT, handles.connection, &statement);

  const struct {
    const char* label;
    std::function<SQLRETURN()> call;
  } calls[] = {
      {"SQLTables, every table",
       [&] { return SQLTables(statement, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0); }},
      {"SQLColumns, the 300-column table",
       [&] { return SQLColumns(statement, nullptr, 0, nullptr, 0, Text("Bench: Wide"), SQL_NTS, nullptr, 0); }},
      {"SQLColumns, every table",
       [&] { return SQLColumns(statement, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0); }},
  };
  std::printf("%d tables, one of %d columns; each call twice on one connection\n\n", kTables, kWideColumns);
  std::printf("%-34s %4s %10s %7s %11s %10s %9s\n", "call", "run", "time (ms)", "rows", "GrantedDBs", "GetSchema",
              "requests");
  for (const auto& c : calls) {
    for (int run = 1; run <= kRuns; ++run) {
      emulator.Admin("log/clear", "{}");
      const auto start = std::chrono::steady_clock::now();
      if (!SQL_SUCCEEDED(c.call())) {
        std::fprintf(stderr, "%s failed: %s\n", c.label, ReadDiagnostic(SQL_HANDLE_STMT, statement).text.c_str());
        return 1;
      }
      const long rows = ReadRows(statement);
      const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
      std::printf("%-34s %4d %10.1f %7ld %11zu %10zu %9zu\n", c.label, run, ms, rows,
                  LoggedRequests(emulator, "API_GrantedDBs").size(), LoggedRequests(emulator, "API_GetSchema").size(),
                  LoggedRequests(emulator, "").size());
    }
  }
  SQLFreeHandle(SQL_HANDLE_STMT, statement);
  return 0;
}
