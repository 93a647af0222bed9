// Replies that would make the driver keep far more than they hold: a query
// reply with a million nested elements and a sign-in reply with a million
// side by side end with 08S01 naming the bound they broke, and the process
// that read them peaks within a bounded size of one that read plain replies.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "odbc_test_support.h"

namespace {

constexpr const char* kQuery = "SELECT Name FROM \"Sales: Customers\"";

// Connects as the data source "demo" and runs the statement, if one is
// given, to its last row: "ok", or the failure's SQLSTATE and text.
std::string ConnectAndRun(const std::string& sql) {
  OdbcHandles handles;
  if (!SQL_SUCCEEDED(handles.Connect("demo"))) {
    const Diagnostic diagnostic = handles.ConnectionDiagnostic();
    return diagnostic.state + " " + diagnostic.text;
  }
  if (sql.empty()) return "ok";
  SQLHSTMT s = SQL_NULL_HSTMT;
  SQLAllocHandle(SQL_HANDLE_STMT, handles.connection, &s);
  SQLRETURN result = SQLExecDirect(s, (SQLCHAR*)sql.c_str(), SQL_NTS);
  while (SQL_SUCCEEDED(result)) result = SQLFetch(s);
  const Diagnostic diagnostic = ReadDiagnostic(SQL_HANDLE_STMT, s);
  SQLFreeHandle(SQL_HANDLE_STMT, s);
  return result == SQL_NO_DATA ? "ok" : diagnostic.state + " " + diagnostic.text;
}

struct ChildRun {
  std::string outcome;
  long peakKilobytes = 0;  // the child's peak resident size, as the kernel counts it
};

// ConnectAndRun in a child process, so that its peak is its own.
ChildRun RunInChild(const std::string& sql) {
  ChildRun run;
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return run;
  const pid_t child = fork();
  if (child == 0) {
    close(pipeEnds[0]);
    const std::string outcome = ConnectAndRun(sql);
    const bool written = write(pipeEnds[1], outcome.data(), outcome.size()) == static_cast<ssize_t>(outcome.size());
    _exit(written ? 0 : 1);
  }
  close(pipeEnds[1]);
  char buffer[512];
  for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;) run.outcome.append(buffer, n);
  close(pipeEnds[0]);
  rusage usage{};
  int status = 0;
  if (child > 0 && wait4(child, &status, 0, &usage) == child) run.peakKilobytes = usage.ru_maxrss;
  return run;
}

TEST(ReplyBounds, ElementsAndNestingEndTheRequestWithinBoundedMemory) {
  TempFolder folder;
  Emulator emulator(folder);
  ASSERT_NE(emulator.port, 0) << "the emulator did not start";
  WriteOdbcFiles(folder, {"QUICKBASESERVER=" + emulator.HttpUrl(), "UID=alice", "PWD=wonderland"});
  const ChildRun plain = RunInChild(kQuery);
  ASSERT_EQ(plain.outcome, "ok");
  // What a request may add to the peak, in the sanitizer build, whose
  // shadow memory and quarantine inflate every peak (a Release build peaks
  // at about half). Unbounded, the nested reply added 240 MB there, held in
  // expat's stack of open elements; the tree of a million siblings is what
  // the bound lets through. Replies of either shape that fill the 64 MiB
  // reply bound took 1.5 and 2 GB unbounded.
  const struct {
    const char* label;
    const char* fault;
    const char* sql;
    const char* says;
    long allowanceKilobytes;
  } cases[] = {
      {"a million nested elements in a query reply", "{\"action\": \"API_DoQuery\", \"nested\": 1000000}", kQuery,
       "reply nested deeper than 256 levels", 100 * 1024},
      // The reply's own elements take it past the bound.
      {"a million siblings in a sign-in reply", "{\"action\": \"API_Authenticate\", \"siblings\": 1000000}", "",
       "reply holds more than 1000000 elements", 600 * 1024},
  };
  for (const auto& c : cases) {
    emulator.Admin("faults", c.fault);
    const ChildRun run = RunInChild(c.sql);
    EXPECT_EQ(run.outcome.substr(0, 6), "08S01 ") << c.label << ": " << run.outcome;
    EXPECT_NE(run.outcome.find(c.says), std::string::npos) << c.label << ": " << run.outcome;
    EXPECT_LT(run.peakKilobytes - plain.peakKilobytes, c.allowanceKilobytes) << c.label;
    std::printf("%s: peak %ld KB, %ld KB above a plain connect and query\n", c.label, run.peakKilobytes,
                run.peakKilobytes - plain.peakKilobytes);
  }
}

}  // namespace
