// A process that ends without closing its cursors, killed in the middle of
// a sorted, grouped, DISTINCT or static query or leaving through exit or
// abort with a sorted cursor open, leaves nothing in its temporary folder.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "odbc_test_support.h"

namespace {

constexpr int kRows = 5000;

constexpr const char* kFixture =
    "{\"apps\": [{\"name\": \"Spill\", \"users\": [\"alice\"], \"tables\": [{\"name\": \"Rows\", \"dbid\": "
    "\"btmpfrqs\", \"fields\": [{\"fid\": 6, \"label\": \"Word\", \"type\": \"text\", \"properties\": "
    "{\"maxlength\": 40}}, {\"fid\": 7, \"label\": \"Num\", \"type\": \"float\"}]}]}]}";

enum class Ending { kKilled, kExit, kAbort };

struct EndingCase {
  const char* what;
  const char* sql;
  bool staticCursor;
  Ending ending;
};

// What the folder holds, each name with its size, for the failure message.
std::string FolderContents(const std::string& folder) {
  std::string listing;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::error_code ignored;
    listing += entry.path().filename().string() + " (" + std::to_string(entry.file_size(ignored)) + " bytes) ";
  }
  return listing;
}

// The child's part: runs the query, fetches a row, says so, and ends as the
// case asks once the parent has looked at its files (or is killed first).
[[noreturn]] void RunChild(const EndingCase& c, int ready, int go) {
  OdbcHandles own;
  SQLHSTMT s = SQL_NULL_HSTMT;
  if (!SQL_SUCCEEDED(own.Connect("demo")) || SQLAllocHandle(SQL_HANDLE_STMT, own.connection, &s) != SQL_SUCCESS)
    _exit(1);
  if (c.staticCursor) SQLSetStmtAttr(s, SQL_ATTR_CURSOR_TYPE, reinterpret_cast<SQLPOINTER>(SQL_CURSOR_STATIC), 0);
  if (!SQL_SUCCEEDED(SQLExecDirect(s, (SQLCHAR*)c.sql, SQL_NTS)) || !SQL_SUCCEEDED(SQLFetch(s))) {
    std::fprintf(stderr, "%s\n", ReadDiagnostic(SQL_HANDLE_STMT, s).text.c_str());
    _exit(1);
  }
  if (write(ready, "r", 1) != 1) _exit(1);
  char byte = 0;
  if (c.ending == Ending::kKilled || read(go, &byte, 1) != 1) {
    for (;;) pause();
  }
  if (c.ending == Ending::kExit) std::exit(0);
  const rlimit noCore{0, 0};
  setrlimit(RLIMIT_CORE, &noCore);
  std::abort();
}

// Waits until the child holds a file in the folder, its query is done, or
// it ended.
int WaitForHeldFile(pid_t child, const std::string& folder, int ready) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    if (const int held = OpenFilesIn(child, folder)) return held;
    pollfd done{ready, POLLIN, 0};
    if (poll(&done, 1, 0) == 1) return OpenFilesIn(child, folder);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return 0;
}

// True once the child says its query is done; false when it ended first.
bool QueryDone(int ready) {
  pollfd wait{ready, POLLIN, 0};
  char byte = 0;
  return poll(&wait, 1, 60000) == 1 && read(ready, &byte, 1) == 1;
}

bool EndedAsAsked(Ending ending, int status) {
  switch (ending) {
    case Ending::kKilled: return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    case Ending::kExit: return WIFEXITED(status);
    case Ending::kAbort: return WIFSIGNALED(status) && WTERMSIG(status) == SIGABRT;
  }
  return false;
}

TEST(TemporaryFiles, AProcessThatEndsWithOpenResultsLeavesNoFile) {
  TempFolder folder;
  Emulator emulator(folder);
  ASSERT_NE(emulator.port, 0);
  emulator.Admin("fixture", kFixture);
  emulator.Generate("btmpfrqs", kRows, 5);
  WriteOdbcFiles(folder, {"QUICKBASESERVER=" + emulator.HttpUrl(), "UID=alice", "PWD=wonderland"});
  // The service sorts only by record id: the driver sorts this itself.
  const char* sorted = "SELECT Word, Num FROM \"Spill: Rows\" ORDER BY Word";
  const EndingCase cases[] = {
      {"sorted, killed", sorted, false, Ending::kKilled},
      {"grouped, killed", "SELECT Word, COUNT(*), SUM(Num) FROM \"Spill: Rows\" GROUP BY Word", false,
       Ending::kKilled},
      {"DISTINCT, killed", "SELECT DISTINCT Word FROM \"Spill: Rows\"", false, Ending::kKilled},
      {"static, killed", "SELECT Word, Num FROM \"Spill: Rows\"", true, Ending::kKilled},
      {"sorted, exit(0)", sorted, false, Ending::kExit},
      {"sorted, abort()", sorted, false, Ending::kAbort},
  };
  for (const EndingCase& c : cases) {
    SCOPED_TRACE(c.what);
    TmpDir tmp;
    // Slow pages keep the query running while its files are open, so the
    // kill lands in its middle.
    emulator.Admin("faults", "{\"action\": \"API_DoQuery\", \"delay\": 0.2, \"count\": 1000}");
    int ready[2];
    int go[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(go), 0);
    std::fflush(nullptr);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(ready[0]);
      close(go[1]);
      RunChild(c, ready[1], go[0]);
    }
    close(ready[1]);
    close(go[0]);
    const int held = WaitForHeldFile(child, tmp.path(), ready[0]);
    if (c.ending == Ending::kKilled || !QueryDone(ready[0]) || write(go[1], "g", 1) != 1) kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    close(ready[0]);
    close(go[1]);
    RunCommand("curl -s -X DELETE " + emulator.HttpUrl() + "/_emulator/faults");
    EXPECT_GE(held, 1) << "the child held no temporary file";
    EXPECT_TRUE(EndedAsAsked(c.ending, status)) << "status " << status;
    EXPECT_TRUE(std::filesystem::is_empty(tmp.path())) << FolderContents(tmp.path());
  }
}

// Every pass that needs a temporary file says which folder it could not use
// and why.
TEST(TemporaryFiles, AMissingFolderIsNamedWithTheSystemsReason) {
  TempFolder folder;
  Emulator emulator(folder);
  ASSERT_NE(emulator.port, 0);
  WriteOdbcFiles(folder, {"QUICKBASESERVER=" + emulator.HttpUrl(), "UID=alice", "PWD=wonderland"});
  OdbcHandles handles;
  ASSERT_TRUE(SQL_SUCCEEDED(handles.Connect("demo"))) << handles.ConnectionDiagnostic().text;
  const std::string missing = folder.path + "/missing";
  setenv("TMPDIR", missing.c_str(), 1);
  const struct {
    const char* sql;
    bool staticCursor;
  } cases[] = {
      {"SELECT Product FROM \"Sales: Order Lines\" ORDER BY Product", false},
      {"SELECT Product, COUNT(*) FROM \"Sales: Order Lines\" GROUP BY Product", false},
      {"SELECT DISTINCT Product FROM \"Sales: Order Lines\"", false},
      {"SELECT Product FROM \"Sales: Order Lines\"", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sql);
    SQLHSTMT s = SQL_NULL_HSTMT;
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, handles.connection, &s), SQL_SUCCESS);
    if (c.staticCursor) SQLSetStmtAttr(s, SQL_ATTR_CURSOR_TYPE, reinterpret_cast<SQLPOINTER>(SQL_CURSOR_STATIC), 0);
    SQLRETURN result = SQLExecDirect(s, (SQLCHAR*)c.sql, SQL_NTS);
    if (SQL_SUCCEEDED(result)) result = SQLFetch(s);
    EXPECT_EQ(result, SQL_ERROR);
    EXPECT_NE(ReadDiagnostic(SQL_HANDLE_STMT, s).text.find("'" + missing + "': No such file or directory"),
              std::string::npos)
        << ReadDiagnostic(SQL_HANDLE_STMT, s).text;
    SQLFreeHandle(SQL_HANDLE_STMT, s);
  }
  unsetenv("TMPDIR");
}

}  // namespace
