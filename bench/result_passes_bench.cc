// Benchmark of the driver's own result passes through the unixODBC Driver
// Manager: an ORDER BY, a GROUP BY with three aggregates and a SELECT
// DISTINCT over a 1,000,000-row table, next to SQLite (libsqlite3, an
// in-memory database filled with the same rows) running the same queries in
// the same run. Asserts nothing.
//
// Every execution reads what the service holds, so each query reads its
// million rows from the emulator again. What is timed is this process's CPU
// (getrusage, user plus system; the emulator is another process) of the
// query executed and read to its end on a forward-only cursor, 1,000-row
// rowsets bound as text, minus the CPU of a plain SELECT of the same columns
// fetched to its end with no column bound (the service's pages read and
// parsed, every row stepped, nothing converted for the application): what
// remains is the pass itself (sort records written, the external sort,
// grouping or duplicate removal, the result read back and delivered).
// SQLite is measured identically: the query's CPU, every result column read
// as text, minus the CPU of stepping through a plain SELECT of the same
// columns without reading them. Each figure is the best of kRepeats runs,
// a query and its plain read taking turns.
// Beside each ratio: the requests the query sent, and the plain read's own
// CPU and wall time (the emulator's serving shows in the wall time only).
#include <sql.h>
#include <sqlext.h>
#include <sqlite3.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "bench_emulator.h"

namespace {

constexpr int kRows = 1000000;
constexpr int kRepeats = 5;
constexpr SQLULEN kRowset = 1000;
constexpr SQLLEN kTextSize = 64;
constexpr int kTableColumns = 3;
constexpr int kMostColumns = 4;

// Words of one to four random words, numbers with cents, ratings 1 to 5;
// about one value in twenty is empty.
constexpr const char* kFixture =
    "{\"apps\": [{\"name\": \"Bench\", \"users\": [\"alice\"], \"tables\": [{\"name\": \"Big\", \"dbid\": "
    "\"bbenchbgz\", \"fields\": [{\"fid\": 6, \"label\": \"T1\", \"type\": \"text\", \"properties\": "
    "{\"maxlength\": 40}}, {\"fid\": 7, \"label\": \"N1\", \"type\": \"float\"}, {\"fid\": 8, \"label\": \"G1\", "
    "\"type\": \"rating\"}]}]}]}";

// Each query with the plain read of the columns it reads.
const struct {
  const char* name;
  const char* sql;
  const char* plain;
} kQueries[] = {
    {"ORDER BY", "SELECT T1, N1, G1 FROM \"Bench: Big\" ORDER BY N1", "SELECT T1, N1, G1 FROM \"Bench: Big\""},
    {"GROUP BY, 3 aggregates", "SELECT G1, COUNT(*), SUM(N1), MAX(N1) FROM \"Bench: Big\" GROUP BY G1",
     "SELECT G1, N1 FROM \"Bench: Big\""},
    {"DISTINCT", "SELECT DISTINCT T1 FROM \"Bench: Big\"", "SELECT T1 FROM \"Bench: Big\""},
};

using Row = std::vector<std::optional<std::string>>;

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

enum class Columns { kRead, kUnread };

// Executes the query on a forward-only cursor and fetches every row in
// rowsets of kRowset, each column bound as text unless left unread; calls
// take for each row. Answers the rows, or -1 when the query failed.
template <typename Take>
long RunOurs(SQLHDBC connection, const char* sql, Columns read, Take take) {
  SQLHSTMT s = SQL_NULL_HSTMT;
  SQLAllocHandle(SQL_HANDLE_STMT, connection, &s);
  SQLULEN fetched = 0;
  SQLSetStmtAttr(s, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(kRowset), 0);
  SQLSetStmtAttr(s, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0);
  if (!SQL_SUCCEEDED(SQLExecDirect(s, (SQLCHAR*)sql, SQL_NTS))) {
    std::fprintf(stderr, "%s: %s\n", sql, ReadDiagnostic(SQL_HANDLE_STMT, s).text.c_str());
    SQLFreeHandle(SQL_HANDLE_STMT, s);
    return -1;
  }
  SQLSMALLINT columns = 0;
  SQLNumResultCols(s, &columns);
  std::vector<char> text(kMostColumns * kRowset * kTextSize);
  std::vector<SQLLEN> lengths(kMostColumns * kRowset);
  for (SQLSMALLINT i = 0; read == Columns::kRead && i < columns && i < kMostColumns; ++i)
    SQLBindCol(s, i + 1, SQL_C_CHAR, &text[i * kRowset * kTextSize], kTextSize, &lengths[i * kRowset]);
  long rows = 0;
  while (SQL_SUCCEEDED(SQLFetch(s))) {
    for (SQLULEN r = 0; r < fetched; ++r) take(text, lengths, r);
    rows += static_cast<long>(fetched);
  }
  SQLFreeHandle(SQL_HANDLE_STMT, s);
  return rows;
}

void NoRow(const std::vector<char>&, const std::vector<SQLLEN>&, SQLULEN) {}

// The table's rows as the driver reads them, to fill SQLite with.
std::vector<Row> ReadTable(SQLHDBC connection) {
  std::vector<Row> rows;
  rows.reserve(kRows);
  auto take = [&](const std::vector<char>& text, const std::vector<SQLLEN>& lengths, SQLULEN r) {
    Row& row = rows.emplace_back();
    for (int c = 0; c < kTableColumns; ++c) {
      if (lengths[c * kRowset + r] == SQL_NULL_DATA) row.emplace_back();
      else row.emplace_back(&text[(c * kRowset + r) * kTextSize]);
    }
  };
  RunOurs(connection, kQueries[0].plain, Columns::kRead, take);
  return rows;
}

bool FillSqlite(sqlite3* db, const std::vector<Row>& rows) {
  if (sqlite3_exec(db, "CREATE TABLE \"Bench: Big\" (T1 TEXT, N1 REAL, G1 REAL); BEGIN", nullptr, nullptr,
                   nullptr) != SQLITE_OK)
    return false;
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO \"Bench: Big\" VALUES (?, ?, ?)", -1, &insert, nullptr);
  for (const Row& row : rows) {
    if (row[0]) sqlite3_bind_text(insert, 1, row[0]->c_str(), -1, SQLITE_TRANSIENT);
    else sqlite3_bind_null(insert, 1);
    for (int c = 1; c < kTableColumns; ++c) {
      if (row[c]) sqlite3_bind_double(insert, c + 1, std::stod(*row[c]));
      else sqlite3_bind_null(insert, c + 1);
    }
    sqlite3_step(insert);
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  return sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
}

// Every row stepped, every column read as text unless left unread, as the
// driver's side does.
long RunSqlite(sqlite3* db, const char* sql, Columns read) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) {
    std::fprintf(stderr, "SQLite: %s: %s\n", sql, sqlite3_errmsg(db));
    return -1;
  }
  long rows = 0;
  std::size_t bytes = 0;
  const int columns = read == Columns::kRead ? sqlite3_column_count(statement) : 0;
  while (sqlite3_step(statement) == SQLITE_ROW) {
    for (int c = 0; c < columns; ++c) {
      const unsigned char* text = sqlite3_column_text(statement, c);
      bytes += text != nullptr ? static_cast<std::size_t>(sqlite3_column_bytes(statement, c)) : 0;
    }
    ++rows;
  }
  sqlite3_finalize(statement);
  // Keeps the reads of the texts from being left out.
  static volatile std::size_t read_bytes;
  read_bytes = read_bytes + bytes;
  return rows;
}

// The best CPU and the best wall time of the runs so far, the rows of the last.
struct Cost {
  double cpu = 1e300;
  double wall = 1e300;
  long rows = 0;
};

template <typename Run>
void RunOnce(Run run, Cost& cost) {
  const double cpu = CpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  cost.rows = run();
  cost.wall = std::min(cost.wall, Seconds(start));
  cost.cpu = std::min(cost.cpu, CpuSeconds() - cpu);
}

std::size_t ServiceQueries(const Emulator& emulator) { return LoggedRequests(emulator, "API_DoQuery").size(); }

}  // namespace

int main() {
  TempFolder folder;
  Emulator emulator(folder);
  auto start = std::chrono::steady_clock::now();
  if (!ServeBenchTable(folder, emulator, kFixture, "bbenchbgz", kRows, 7)) return 1;
  std::printf("generated %d rows in the emulator in %.1f s\n", kRows, Seconds(start));
  setenv("TMPDIR", folder.path.c_str(), 1);

  OdbcHandles handles;
  if (!SQL_SUCCEEDED(handles.Connect("demo"))) {
    std::fprintf(stderr, "connect failed: %s\n", handles.ConnectionDiagnostic().text.c_str());
    return 1;
  }
  start = std::chrono::steady_clock::now();
  const std::vector<Row> rows = ReadTable(handles.connection);
  std::printf("read %zu rows from the service in %.1f s\n", rows.size(), Seconds(start));

  sqlite3* db = nullptr;
  sqlite3_open(":memory:", &db);
  if (!FillSqlite(db, rows)) {
    std::fprintf(stderr, "could not fill SQLite: %s\n", sqlite3_errmsg(db));
    return 1;
  }

  std::printf("pass CPU s = the query's CPU less the plain read's (nothing bound), best of %d each;\n"
              "requests, plain CPU s and plain wall s are helvane's\n",
              kRepeats);
  std::printf("%-24s %8s %10s %10s %7s %9s %13s %13s\n", "query", "rows", "helvane s", "SQLite s", "ratio",
              "requests", "plain CPU s", "plain wall s");
  for (const auto& q : kQueries) {
    // The query and its plain read take turns, so that the host's drifts
    // touch both alike.
    Cost ours, ourPlain, theirs, theirPlain;
    std::size_t requests = 0;
    for (int i = 0; i < kRepeats; ++i) {
      const std::size_t requestsBefore = ServiceQueries(emulator);
      RunOnce([&] { return RunOurs(handles.connection, q.sql, Columns::kRead, NoRow); }, ours);
      requests = ServiceQueries(emulator) - requestsBefore;
      RunOnce([&] { return RunOurs(handles.connection, q.plain, Columns::kUnread, NoRow); }, ourPlain);
      RunOnce([&] { return RunSqlite(db, q.sql, Columns::kRead); }, theirs);
      RunOnce([&] { return RunSqlite(db, q.plain, Columns::kUnread); }, theirPlain);
    }
    const double ourPass = ours.cpu - ourPlain.cpu;
    const double theirPass = theirs.cpu - theirPlain.cpu;
    std::printf("%-24s %8ld %10.3f %10.3f %7.2f %9zu %13.3f %13.3f%s\n", q.name, ours.rows, ourPass, theirPass,
                ourPass / theirPass, requests, ourPlain.cpu, ourPlain.wall,
                ours.rows == theirs.rows ? "" : "  (row counts differ)");
    std::printf("%-24s %8s query CPU: helvane %.3f, SQLite %.3f; plain CPU: SQLite %.3f\n", "", "", ours.cpu,
                theirs.cpu, theirPlain.cpu);
    std::fflush(stdout);
  }
  sqlite3_close(db);
  return 0;
}
