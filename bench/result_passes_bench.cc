// Benchmark of the result passes over 1,000,000 cached rows through the
// unixODBC Driver Manager: an ORDER BY, a GROUP BY with three aggregates
// and a SELECT DISTINCT, each executed and read to its end, next to SQLite
// (libsqlite3, an in-memory database filled with the same rows) running the
// same queries in the same run. Prints the best of three runs of each and
// their ratio; asserts nothing.
//
// The cursors are static: the connection then keeps the pages it read, so
// every execution after the first reads the row cache (the emulator's
// request log shows that nothing is sent while timed), and an ORDER BY is
// sorted by the driver rather than handed to the service.
#include <sql.h>
#include <sqlext.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "bench_emulator.h"

namespace {

constexpr int kRows = 1000000;
constexpr int kRepeats = 3;
constexpr SQLULEN kRowset = 1000;
constexpr SQLLEN kTextSize = 64;
constexpr int kColumns = 3;

// Words of one to four random words, numbers with cents, ratings 1 to 5;
// about one value in twenty is empty.
constexpr const char* kFixture =
    "{\"apps\": [{\"name\": \"Bench\", \"users\": [\"alice\"], \"tables\": [{\"name\": \"Big\", \"dbid\": "
    "\"bbenchbgz\", \"fields\": [{\"fid\": 6, \"label\": \"T1\", \"type\": \"text\", \"properties\": "
    "{\"maxlength\": 40}}, {\"fid\": 7, \"label\": \"N1\", \"type\": \"float\"}, {\"fid\": 8, \"label\": \"G1\", "
    "\"type\": \"rating\"}]}]}]}";

const struct {
  const char* name;
  const char* sql;
} kQueries[] = {
    {"ORDER BY", "SELECT T1, N1, G1 FROM \"Bench: Big\" ORDER BY N1"},
    {"GROUP BY, 3 aggregates", "SELECT G1, COUNT(*), SUM(N1), MAX(N1) FROM \"Bench: Big\" GROUP BY G1"},
    {"DISTINCT", "SELECT DISTINCT T1 FROM \"Bench: Big\""},
};

using Row = std::vector<std::optional<std::string>>;

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

struct Driver {
  OdbcHandles handles;
  SQLHSTMT Statement() {
    SQLHSTMT statement = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, handles.connection, &statement);
    SQLSetStmtAttr(statement, SQL_ATTR_CURSOR_TYPE, reinterpret_cast<SQLPOINTER>(SQL_CURSOR_STATIC), 0);
    return statement;
  }
};

// Executes the query and reads every row, each column bound as text in
// rowsets of kRowset; calls take for each row when given. Answers the rows.
template <typename Take>
long RunOurs(Driver& driver, const char* sql, Take take) {
  SQLHSTMT s = driver.Statement();
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
  std::vector<char> text(kColumns * kRowset * kTextSize);
  std::vector<SQLLEN> lengths(kColumns * kRowset);
  for (SQLSMALLINT i = 0; i < columns && i < kColumns; ++i)
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
std::vector<Row> ReadTable(Driver& driver) {
  std::vector<Row> rows;
  rows.reserve(kRows);
  RunOurs(driver, "SELECT T1, N1, G1 FROM \"Bench: Big\"",
          [&](const std::vector<char>& text, const std::vector<SQLLEN>& lengths, SQLULEN r) {
            Row& row = rows.emplace_back();
            for (int c = 0; c < kColumns; ++c) {
              if (lengths[c * kRowset + r] == SQL_NULL_DATA) row.emplace_back();
              else row.emplace_back(&text[(c * kRowset + r) * kTextSize]);
            }
          });
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
    for (int c = 1; c < kColumns; ++c) {
      if (row[c]) sqlite3_bind_double(insert, c + 1, std::stod(*row[c]));
      else sqlite3_bind_null(insert, c + 1);
    }
    sqlite3_step(insert);
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  return sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
}

// Every row stepped, every column read as text, as the driver's side does.
long RunSqlite(sqlite3* db, const char* sql) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) {
    std::fprintf(stderr, "SQLite: %s: %s\n", sql, sqlite3_errmsg(db));
    return -1;
  }
  long rows = 0;
  std::size_t bytes = 0;
  const int columns = sqlite3_column_count(statement);
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

template <typename Run>
double BestSeconds(Run run, long& rows) {
  double best = 1e300;
  for (int i = 0; i < kRepeats; ++i) {
    const auto start = std::chrono::steady_clock::now();
    rows = run();
    best = std::min(best, Seconds(start));
  }
  return best;
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

  Driver driver;
  if (!SQL_SUCCEEDED(driver.handles.Connect("demo"))) {
    std::fprintf(stderr, "connect failed: %s\n", driver.handles.ConnectionDiagnostic().text.c_str());
    return 1;
  }
  start = std::chrono::steady_clock::now();
  const std::vector<Row> rows = ReadTable(driver);
  std::printf("read %zu rows from the service into the row cache in %.1f s\n", rows.size(), Seconds(start));

  sqlite3* db = nullptr;
  sqlite3_open(":memory:", &db);
  if (!FillSqlite(db, rows)) {
    std::fprintf(stderr, "could not fill SQLite: %s\n", sqlite3_errmsg(db));
    return 1;
  }

  const std::size_t queriesBefore = ServiceQueries(emulator);
  std::printf("%-24s %9s %10s %10s %7s\n", "query", "rows", "helvane s", "SQLite s", "ratio");
  for (const auto& q : kQueries) {
    long ourRows = 0, sqliteRows = 0;
    const double ours = BestSeconds([&] { return RunOurs(driver, q.sql, NoRow); }, ourRows);
    const double theirs = BestSeconds([&] { return RunSqlite(db, q.sql); }, sqliteRows);
    std::printf("%-24s %9ld %10.3f %10.3f %7.2f%s\n", q.name, ourRows, ours, theirs, ours / theirs,
                ourRows == sqliteRows ? "" : "  (row counts differ)");
    std::fflush(stdout);
  }
  std::printf("requests to the service while timed: %zu\n", ServiceQueries(emulator) - queriesBefore);
  sqlite3_close(db);
  return 0;
}
