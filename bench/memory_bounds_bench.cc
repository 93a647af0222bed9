// memory_bounds_bench: the peak memory of one process through the unixODBC
// Driver Manager for replies and statements that could make the driver keep
// far more than they hold: a sign-in reply of 16,000,000 sibling elements,
// a query reply of 9,500,000 nested elements (each just under the 64 MiB
// reply bound) and a SELECT with an IN list of 300,000 record ids (2.4 MB of
// SQL). Each runs in a child process of its own, whose peak resident size
// the kernel reports; a plain connect and query gives the baseline. Prints
// figures and asserts nothing.
#include <sql.h>
#include <sqlext.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "bench_emulator.h"

namespace {

constexpr const char* kTable = "\"Sales: Customers\"";

std::string InListSelect(int items) {
  std::string sql = std::string("SELECT Name FROM ") + kTable + " WHERE \"Record ID_\" IN (";
  for (int i = 1; i <= items; ++i) sql += (i > 1 ? ", " : "") + std::to_string(i);
  return sql + ")";
}

// Connects as the data source "demo" and, given a statement, runs it and
// fetches every row; what the driver answered, on stdout.
void ConnectAndRun(const std::string& sql) {
  OdbcHandles handles;
  if (!SQL_SUCCEEDED(handles.Connect("demo"))) {
    std::printf("  connect: %s\n", handles.ConnectionDiagnostic().text.substr(0, 110).c_str());
    return;
  }
  if (sql.empty()) {
    std::printf("  connected\n");
    return;
  }
  SQLHSTMT s = SQL_NULL_HSTMT;
  SQLAllocHandle(SQL_HANDLE_STMT, handles.connection, &s);
  SQLRETURN result = SQLExecDirect(s, (SQLCHAR*)sql.c_str(), static_cast<SQLINTEGER>(sql.size()));
  long rows = 0;
  while (SQL_SUCCEEDED(result) && SQL_SUCCEEDED(result = SQLFetch(s))) ++rows;
  if (result == SQL_NO_DATA)
    std::printf("  %ld rows\n", rows);
  else
    std::printf("  statement: %s\n", ReadDiagnostic(SQL_HANDLE_STMT, s).text.substr(0, 110).c_str());
  SQLFreeHandle(SQL_HANDLE_STMT, s);
}

// The child's peak resident size in MB, the fault (a JSON object, or none)
// injected first.
double PeakOfChild(const Emulator& emulator, const std::string& fault, const std::string& sql) {
  emulator.Admin("faults", fault.empty() ? "[]" : fault);
  std::fflush(stdout);
  const pid_t child = fork();
  if (child == 0) {
    ConnectAndRun(sql);
    std::fflush(stdout);
    _exit(0);
  }
  rusage usage{};
  int status = 0;
  wait4(child, &status, 0, &usage);
  emulator.Admin("faults", "[]");
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

}  // namespace

int main() {
  TempFolder folder;
  Emulator emulator(folder);
  if (emulator.port == 0) {
    std::fprintf(stderr, "could not start the emulator\n");
    return 1;
  }
  WriteOdbcFiles(folder, {"QUICKBASESERVER=" + emulator.HttpUrl(), "UID=alice", "PWD=wonderland"});
  const std::string plainQuery = std::string("SELECT Name FROM ") + kTable;
  const std::string inList = InListSelect(300000);
  const struct {
    const char* label;
    std::string fault;
    std::string sql;
  } cases[] = {
      {"connect and a plain query (baseline)", "", plainQuery},
      {"sign-in reply with 16,000,000 sibling elements",
       "{\"action\": \"API_Authenticate\", \"siblings\": 16000000}", std::string()},
      {"query reply with 9,500,000 nested elements", "{\"action\": \"API_DoQuery\", \"nested\": 9500000}",
       plainQuery},
      {"IN list of 300,000 record ids", "", inList},
  };
  std::printf("IN list statement: %zu bytes of SQL\n", inList.size());
  for (const auto& c : cases) {
    std::printf("%s\n", c.label);
    const double peak = PeakOfChild(emulator, c.fault, c.sql);
    std::printf("  peak resident size %.1f MB\n", peak);
  }
  return 0;
}
