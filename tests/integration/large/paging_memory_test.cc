// Peak memory of reads through the Driver Manager, each measured from the
// rusage of a child process (isql) that runs it: a server that repeats its
// pages or sends more than asked ends the read with 08S01 at once, and a
// forward-only read after an ORDER BY on the same connection pages
// sequentially as on a fresh one.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "../odbc_test_support.h"

namespace {

constexpr const char* kDbid = "bpagerwsz";
constexpr const char* kFixture =
    "{\"apps\": [{\"name\": \"Big\", \"users\": [\"alice\"], \"tables\": [{\"name\": \"Rows\", \"dbid\": "
    "\"bpagerwsz\", \"fields\": [{\"fid\": 6, \"label\": \"T1\", \"type\": \"text\"}, {\"fid\": 7, \"label\": "
    "\"N1\", \"type\": \"float\"}, {\"fid\": 8, \"label\": \"D1\", \"type\": \"date\"}, {\"fid\": 9, \"label\": "
    "\"T2\", \"type\": \"text\"}]}]}]}";
constexpr long kMiB = 1024;  // ru_maxrss counts KiB

// The sanitizer runtime this program runs with, which isql must load first
// to host a sanitized driver; empty in a plain build.
std::string SanitizerRuntime() {
  std::ifstream maps("/proc/self/maps");
  for (std::string line; std::getline(maps, line);) {
    const std::size_t at = line.find('/');
    if (at != std::string::npos && line.find("/libasan.so", at) != std::string::npos) return line.substr(at);
  }
  return "";
}

struct ChildRead {
  bool finished = false;
  long peakKiB = 0;
  std::string output;
};

// isql runs the statements on one connection of the data source "demo",
// and is killed when it runs past the deadline. The sanitizer's quarantine
// of freed memory is off in it, so that the peak shows what the driver keeps.
ChildRead RunIsql(const TempFolder& folder, const std::string& statements, int seconds) {
  const std::string input = folder.path + "/input.sql";
  const std::string output = folder.path + "/output.txt";
  std::ofstream(input) << statements;
  const std::string runtime = SanitizerRuntime();
  std::fflush(stdout);  // or the child's freopen would print it again
  const pid_t child = fork();
  if (child == 0) {
    if (!freopen(input.c_str(), "r", stdin) || !freopen(output.c_str(), "w", stdout) || dup2(1, 2) < 0) _exit(126);
    if (!runtime.empty()) setenv("LD_PRELOAD", runtime.c_str(), 1);
    setenv("ASAN_OPTIONS", "detect_leaks=0:quarantine_size_mb=0", 1);
    execlp("isql", "isql", "-b", "-v", "-d,", "demo", static_cast<char*>(nullptr));
    _exit(127);
  }
  ChildRead read;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  int status = 0;
  rusage usage{};
  while (wait4(child, &status, WNOHANG, &usage) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(child, SIGKILL);
      wait4(child, &status, 0, &usage);
      read.output = "killed after " + std::to_string(seconds) + " s";
      return read;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  read.finished = true;
  read.peakKiB = usage.ru_maxrss;
  std::stringstream text;
  text << std::ifstream(output).rdbuf();
  read.output = text.str();
  return read;
}

struct PagingMemoryTest : ::testing::Test {
  TempFolder folder;
  std::unique_ptr<Emulator> emulator;

  void Serve(int rows) {
    emulator = std::make_unique<Emulator>(folder);
    ASSERT_NE(emulator->port, 0) << "the emulator did not start";
    emulator->Admin("fixture", kFixture);
    emulator->Generate(kDbid, rows, 3);
    WriteOdbcFiles(folder, {"QUICKBASESERVER=" + emulator->HttpUrl(), "UID=alice", "PWD=wonderland"});
  }
};

// Each fault holds for every query that follows; without the checks the
// reads would return the same rows without end. A repeated page is the
// first one again, the continuation after the last record read ignored.
TEST_F(PagingMemoryTest, PagesThatDoNotAdvanceEndTheReadWith08S01) {
  Serve(2500);
  const std::string repeat = R"({"action": "API_DoQuery", "repeat_page": true, "count": 1000000})";
  const struct {
    const char* label;
    const char* sql;
    std::string fault;
    const char* says;
  } cases[] = {
      {"repeated page, record-id order", "SELECT * FROM \"Big: Rows\"", repeat, "came after record 1000"},
      {"repeated page, ORDER BY kept in memory", "SELECT * FROM \"Big: Rows\" ORDER BY N1", repeat,
       "came after record 1000"},
      {"repeated page, the service's sort", "SELECT * FROM \"Big: Rows\" ORDER BY \"Record ID_\" DESC", repeat,
       "came after record 1501"},
      {"page longer than asked", "SELECT * FROM \"Big: Rows\"",
       R"({"action": "API_DoQuery", "long_page": 500, "count": 1000000})", "1500 records where 1000 were asked for"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    RunCommand("curl -s -X DELETE " + emulator->HttpUrl() + "/_emulator/faults");
    emulator->Admin("faults", c.fault);
    const ChildRead read = RunIsql(folder, std::string(c.sql) + "\n", 120);
    ASSERT_TRUE(read.finished) << read.output;
    const std::string tail = read.output.substr(read.output.size() - std::min<std::size_t>(read.output.size(), 2000));
    EXPECT_NE(read.output.find("[08S01]"), std::string::npos) << tail;
    EXPECT_NE(read.output.find(c.says), std::string::npos) << tail;
    EXPECT_LT(read.peakKiB, 200 * kMiB);
    std::printf("%s: peak %ld KiB\n", c.label, read.peakKiB);
  }
}

// The ORDER BY keeps the pages it reads for its own positioning only.
TEST_F(PagingMemoryTest, ForwardOnlyReadAfterAnOrderByPagesSequentially) {
  Serve(40000);
  const std::string read = "SELECT * FROM \"Big: Rows\"\n";
  const ChildRead fresh = RunIsql(folder, read, 240);
  const ChildRead afterOrderBy =
      RunIsql(folder, "SELECT Name FROM \"Sales: Customers\" ORDER BY Name\n" + read, 240);
  ASSERT_TRUE(fresh.finished && afterOrderBy.finished) << fresh.output << afterOrderBy.output;
  EXPECT_EQ(fresh.output.find("[ISQL]ERROR"), std::string::npos) << fresh.output.substr(0, 2000);
  std::printf("forward-only read of 40,000 rows: peak %ld KiB fresh, %ld KiB after an ORDER BY\n", fresh.peakKiB,
              afterOrderBy.peakKiB);
  EXPECT_LE(afterOrderBy.peakKiB, fresh.peakKiB + 8 * kMiB);
}

}  // namespace
