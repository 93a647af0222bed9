// Benchmark of fetching 100,000 rows of 10 columns that the driver already
// holds, through the unixODBC Driver Manager: bound columns with rowsets of
// one row and of 1,000 rows, and SQLGetData, every column as text. The
// SQLite ODBC driver (Debian's libsqliteodbc) serves the same rows in the
// same run, from a database file filled with what this driver read. Prints
// rows per second of both and their ratio; asserts nothing.
//
// Every execution reads what the service holds, so fetching alone is timed
// on a static cursor that was executed and read to its end once, untimed:
// each timed run scrolls back to its first row and fetches to the end, for
// both drivers alike, and the emulator's request log shows that nothing is
// sent meanwhile. A last line gives the end-to-end read, one forward-only
// execution read from the emulator, beside SQLite's from its file.
#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "bench_emulator.h"

namespace {

constexpr int kRows = 100000;
constexpr int kColumns = 10;
constexpr SQLLEN kTextSize = 64;
constexpr int kRepeats = 3;
constexpr const char* kSqliteDriver = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";
constexpr const char* kQuery = "SELECT * FROM \"Bench: Rows\"";

// Ten columns: the five every table has and five of the main field types.
constexpr const char* kFixture =
    "{\"apps\": [{\"name\": \"Bench\", \"users\": [\"alice\"], \"tables\": [{\"name\": \"Rows\", \"dbid\": "
    "\"bbenchrwz\", \"fields\": [{\"fid\": 6, \"label\": \"T1\", \"type\": \"text\"}, {\"fid\": 7, \"label\": "
    "\"N1\", \"type\": \"float\"}, {\"fid\": 8, \"label\": \"D1\", \"type\": \"date\"}, {\"fid\": 9, \"label\": "
    "\"S1\", \"type\": \"timestamp\"}, {\"fid\": 10, \"label\": \"C1\", \"type\": \"checkbox\"}]}]}]}";

struct Connection {
  SQLHENV environment = SQL_NULL_HENV;
  SQLHDBC connection = SQL_NULL_HDBC;
  explicit Connection(const std::string& text) {
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment);
    SQLSetEnvAttr(environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, environment, &connection);
    const SQLRETURN result = SQLDriverConnect(connection, nullptr, (SQLCHAR*)text.c_str(), SQL_NTS, nullptr, 0,
                                              nullptr, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(result)) std::fprintf(stderr, "connect failed: %s\n", ConnectionDiagnostic().c_str());
  }
  ~Connection() {
    SQLDisconnect(connection);
    SQLFreeHandle(SQL_HANDLE_DBC, connection);
    SQLFreeHandle(SQL_HANDLE_ENV, environment);
  }
  std::string ConnectionDiagnostic() const { return ReadDiagnostic(SQL_HANDLE_DBC, connection).text; }
  SQLHSTMT Statement() const {
    SQLHSTMT statement = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, connection, &statement);
    return statement;
  }
};

void Check(SQLRETURN result, SQLHSTMT statement, const char* what) {
  if (SQL_SUCCEEDED(result) || result == SQL_NO_DATA) return;
  std::fprintf(stderr, "%s failed: %s\n", what, ReadDiagnostic(SQL_HANDLE_STMT, statement).text.c_str());
}

// Every row of the query as ten texts (NULL as an empty text).
std::vector<std::vector<std::string>> ReadAll(const Connection& c) {
  std::vector<std::vector<std::string>> rows;
  SQLHSTMT s = c.Statement();
  Check(SQLExecDirect(s, (SQLCHAR*)kQuery, SQL_NTS), s, "the first read");
  char text[kColumns][kTextSize];
  SQLLEN lengths[kColumns];
  for (int i = 0; i < kColumns; ++i) SQLBindCol(s, i + 1, SQL_C_CHAR, text[i], kTextSize, &lengths[i]);
  while (SQL_SUCCEEDED(SQLFetch(s))) {
    std::vector<std::string>& row = rows.emplace_back();
    for (int i = 0; i < kColumns; ++i) row.emplace_back(lengths[i] == SQL_NULL_DATA ? "" : text[i]);
  }
  SQLFreeHandle(SQL_HANDLE_STMT, s);
  return rows;
}

void FillSqlite(const Connection& c, const std::vector<std::vector<std::string>>& rows) {
  SQLHSTMT s = c.Statement();
  Check(SQLExecDirect(s,
                      (SQLCHAR*)"CREATE TABLE \"Bench: Rows\" (\"Date Created\" TIMESTAMP, \"Date Modified\" "
                                "TIMESTAMP, \"Record ID#\" INTEGER, \"Record Owner\" VARCHAR(254), \"Last Modified "
                                "By\" VARCHAR(254), T1 VARCHAR(254), N1 DOUBLE, D1 DATE, S1 TIMESTAMP, C1 BIT)",
                      SQL_NTS),
        s, "CREATE TABLE");
  SQLSetConnectAttr(c.connection, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0);
  Check(SQLPrepare(s, (SQLCHAR*)"INSERT INTO \"Bench: Rows\" VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)", SQL_NTS), s,
        "INSERT");
  char values[kColumns][kTextSize];
  SQLLEN lengths[kColumns];
  for (int i = 0; i < kColumns; ++i)
    SQLBindParameter(s, i + 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, kTextSize, 0, values[i], kTextSize,
                     &lengths[i]);
  for (const std::vector<std::string>& row : rows) {
    for (int i = 0; i < kColumns; ++i) {
      std::snprintf(values[i], kTextSize, "%s", row[i].c_str());
      lengths[i] = row[i].empty() ? SQL_NULL_DATA : SQL_NTS;
    }
    Check(SQLExecute(s), s, "an INSERT");
  }
  SQLEndTran(SQL_HANDLE_DBC, c.connection, SQL_COMMIT);
  SQLFreeHandle(SQL_HANDLE_STMT, s);
}

enum class Mode { kBoundSingleRows, kBoundRowsets, kGetData };

// A statement whose rows are fetched in one mode, with its buffers.
struct Reader {
  SQLHSTMT statement = SQL_NULL_HSTMT;
  Mode mode;
  SQLULEN rowset;
  SQLULEN fetched = 0;
  std::vector<char> text;
  std::vector<SQLLEN> lengths;
  Reader(const Connection& c, Mode readMode, SQLULEN cursorType)
      : statement(c.Statement()),
        mode(readMode),
        rowset(readMode == Mode::kBoundRowsets ? 1000 : 1),
        text(kColumns * rowset * kTextSize),
        lengths(kColumns * rowset) {
    SQLSetStmtAttr(statement, SQL_ATTR_CURSOR_TYPE, reinterpret_cast<SQLPOINTER>(cursorType), 0);
    SQLSetStmtAttr(statement, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(rowset), 0);
    SQLSetStmtAttr(statement, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0);
    Check(SQLExecDirect(statement, (SQLCHAR*)kQuery, SQL_NTS), statement, "the query");
    if (mode == Mode::kGetData) return;
    for (int i = 0; i < kColumns; ++i)
      SQLBindCol(statement, i + 1, SQL_C_CHAR, &text[i * rowset * kTextSize], kTextSize, &lengths[i * rowset]);
  }
  ~Reader() { SQLFreeHandle(SQL_HANDLE_STMT, statement); }
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;

  // Fetches in the orientation given and then onward to the end; answers
  // the rows fetched.
  long FetchFrom(SQLSMALLINT orientation) {
    long rows = 0;
    SQLRETURN result = SQLFetchScroll(statement, orientation, 0);
    while (SQL_SUCCEEDED(result)) {
      if (mode == Mode::kGetData) {
        for (int i = 0; i < kColumns; ++i)
          SQLGetData(statement, i + 1, SQL_C_CHAR, &text[i * kTextSize], kTextSize, &lengths[i]);
      }
      rows += static_cast<long>(fetched);
      result = SQLFetchScroll(statement, SQL_FETCH_NEXT, 0);
    }
    Check(result, statement, "a fetch");
    return rows;
  }
};

long ServiceQueries(const Emulator& emulator) {
  return static_cast<long>(LoggedRequests(emulator, "API_DoQuery").size());
}

// The best of a few runs of fetching from the first row to the end of a
// static cursor read once before, in rows per second; counts the queries
// the emulator got meanwhile when given one.
double RowsPerSecond(const Connection& c, Mode mode, long& rows, const Emulator* emulator, long& queries) {
  Reader reader(c, mode, SQL_CURSOR_STATIC);
  reader.FetchFrom(SQL_FETCH_NEXT);
  const long queriesBefore = emulator != nullptr ? ServiceQueries(*emulator) : 0;
  double best = 0;
  for (int i = 0; i < kRepeats; ++i) {
    const auto start = std::chrono::steady_clock::now();
    rows = reader.FetchFrom(SQL_FETCH_FIRST);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    best = std::max(best, rows / seconds);
  }
  queries = emulator != nullptr ? ServiceQueries(*emulator) - queriesBefore : 0;
  return best;
}

// One forward-only execution read to its end, in rows per second.
double EndToEndRowsPerSecond(const Connection& c, long& rows) {
  const auto start = std::chrono::steady_clock::now();
  Reader reader(c, Mode::kBoundRowsets, SQL_CURSOR_FORWARD_ONLY);
  rows = reader.FetchFrom(SQL_FETCH_NEXT);
  return rows / std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main() {
  TempFolder folder;
  Emulator emulator(folder);
  if (!ServeBenchTable(folder, emulator, kFixture, "bbenchrwz", kRows, 11)) return 1;
  std::ofstream(folder.path + "/odbcinst.ini", std::ios::app) << "[SQLite3]\nDriver=" << kSqliteDriver << "\n";

  Connection ours("DSN=demo");
  Connection sqlite("DRIVER={SQLite3};Database=" + folder.path + "/bench.sqlite");
  const std::vector<std::vector<std::string>> rows = ReadAll(ours);
  FillSqlite(sqlite, rows);
  std::printf("rows: %zu of %d columns, every column bound or read as SQL_C_CHAR\n", rows.size(), kColumns);

  const struct {
    Mode mode;
    const char* name;
  } modes[] = {{Mode::kBoundSingleRows, "bound columns, 1-row rowsets    "},
               {Mode::kBoundRowsets, "bound columns, 1,000-row rowsets"},
               {Mode::kGetData, "SQLGetData, 1-row rowsets       "}};
  for (const auto& m : modes) {
    long ourRows = 0, sqliteRows = 0, queries = 0, none = 0;
    const double ourRate = RowsPerSecond(ours, m.mode, ourRows, &emulator, queries);
    const double sqliteRate = RowsPerSecond(sqlite, m.mode, sqliteRows, nullptr, none);
    std::printf("%s  helvane %9.0f rows/s (%ld rows)   SQLite %9.0f rows/s (%ld rows)   ratio %.2f   "
                "requests while timed: %ld\n",
                m.name, ourRate, ourRows, sqliteRate, sqliteRows, ourRate / sqliteRate, queries);
  }
  long ourRows = 0, sqliteRows = 0;
  const long queriesBefore = ServiceQueries(emulator);
  const double ourRate = EndToEndRowsPerSecond(ours, ourRows);
  const long queries = ServiceQueries(emulator) - queriesBefore;
  const double sqliteRate = EndToEndRowsPerSecond(sqlite, sqliteRows);
  std::printf("end to end, one forward-only execution with 1,000-row rowsets: helvane %.0f rows/s from the "
              "emulator (%ld rows, %ld requests), SQLite %.0f rows/s from its file (%ld rows)\n",
              ourRate, ourRows, queries, sqliteRate, sqliteRows);
  return 0;
}
