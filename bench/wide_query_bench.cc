// Benchmark of wide queries through the unixODBC Driver Manager: a SELECT of
// 1,000, 4,000 and 16,000 select-list columns over 20 rows of one table,
// every value read as text, with SQLGetData or through bound columns.
// Prints the time per select-list column of preparing (SQLPrepare and
// describing every column), of executing (SQLExecute, which sends the
// query) and of binding, and the time per value (column and row) of
// fetching; all should stay flat as the list grows. Asserts nothing.
#include <sql.h>
#include <sqlext.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_emulator.h"

namespace {

constexpr int kRows = 20;
constexpr std::size_t kTextSize = 64;
constexpr int kWidths[] = {1000, 4000, 16000};
constexpr const char* kFields[] = {"T1", "N1", "D1", "S1", "C1"};

constexpr const char* kFixture =
    "{\"apps\": [{\"name\": \"Bench\", \"users\": [\"alice\"], \"tables\": [{\"name\": \"Wide\", \"dbid\": "
    "\"bbenchwdz\", \"fields\": [{\"fid\": 6, \"label\": \"T1\", \"type\": \"text\"}, {\"fid\": 7, \"label\": "
    "\"N1\", \"type\": \"float\"}, {\"fid\": 8, \"label\": \"D1\", \"type\": \"date\"}, {\"fid\": 9, \"label\": "
    "\"S1\", \"type\": \"timestamp\"}, {\"fid\": 10, \"label\": \"C1\", \"type\": \"checkbox\"}]}]}]}";

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// SELECT T1, N1, D1, ... cycling through the table's fields.
std::string WideSelect(int width) {
  std::string sql = "SELECT ";
  for (int i = 0; i < width; ++i) {
    if (i > 0) sql += ", ";
    sql += kFields[i % 5];
  }
  return sql + " FROM \"Bench: Wide\"";
}

void Report(SQLRETURN result, SQLHSTMT statement, const char* what) {
  if (SQL_SUCCEEDED(result) || result == SQL_NO_DATA) return;
  std::fprintf(stderr, "%s failed: %s\n", what, ReadDiagnostic(SQL_HANDLE_STMT, statement).text.c_str());
}

// What an application asks after executing: the count, then each column's
// name and type.
void DescribeColumns(SQLHSTMT s) {
  SQLSMALLINT count = 0;
  Report(SQLNumResultCols(s, &count), s, "SQLNumResultCols");
  SQLCHAR name[128];
  SQLSMALLINT nameLength = 0, type = 0, digits = 0, nullable = 0;
  SQLULEN size = 0;
  for (SQLSMALLINT column = 1; column <= count; ++column)
    SQLDescribeCol(s, static_cast<SQLUSMALLINT>(column), name, sizeof name, &nameLength, &type, &size, &digits,
                   &nullable);
}

enum class Reading { kGetData, kBound };

struct Timing {
  double prepare = 0;  // SQLPrepare and describing every column
  double execute = 0;  // SQLExecute, which sends the query to the service
  double bind = 0;     // SQLBindCol for every column
  double fetch = 0;    // every row, and SQLGetData for every value
  long rows = 0;
};

// One execution read to its end, each value with SQLGetData or all columns
// bound first.
Timing RunOnce(SQLHDBC connection, const std::string& sql, int width, Reading reading) {
  Timing timing;
  SQLHSTMT s = SQL_NULL_HSTMT;
  SQLAllocHandle(SQL_HANDLE_STMT, connection, &s);
  Clock::time_point start = Clock::now();
  Report(SQLPrepare(s, (SQLCHAR*)sql.c_str(), SQL_NTS), s, "SQLPrepare");
  DescribeColumns(s);
  timing.prepare = SecondsSince(start);
  start = Clock::now();
  Report(SQLExecute(s), s, "SQLExecute");
  timing.execute = SecondsSince(start);
  std::vector<char> text(static_cast<std::size_t>(width) * kTextSize);
  std::vector<SQLLEN> lengths(static_cast<std::size_t>(width));
  start = Clock::now();
  if (reading == Reading::kBound) {
    for (int column = 0; column < width; ++column)
      SQLBindCol(s, static_cast<SQLUSMALLINT>(column + 1), SQL_C_CHAR, &text[column * kTextSize], kTextSize,
                 &lengths[column]);
  }
  timing.bind = SecondsSince(start);
  start = Clock::now();
  while (SQL_SUCCEEDED(SQLFetch(s))) {
    if (reading == Reading::kGetData) {
      for (int column = 0; column < width; ++column)
        SQLGetData(s, static_cast<SQLUSMALLINT>(column + 1), SQL_C_CHAR, &text[column * kTextSize], kTextSize,
                   &lengths[column]);
    }
    ++timing.rows;
  }
  timing.fetch = SecondsSince(start);
  SQLFreeHandle(SQL_HANDLE_STMT, s);
  return timing;
}

}  // namespace

int main() {
  TempFolder folder;
  Emulator emulator(folder);
  if (!ServeBenchTable(folder, emulator, kFixture, "bbenchwdz", kRows, 5)) return 1;
  OdbcHandles handles;
  if (!SQL_SUCCEEDED(handles.Connect("demo"))) {
    std::fprintf(stderr, "connect failed: %s\n", handles.ConnectionDiagnostic().text.c_str());
    return 1;
  }
  // A narrow query first, so the schema is cached before anything is timed.
  RunOnce(handles.connection, WideSelect(5), 5, Reading::kGetData);
  std::printf("%8s %5s %14s %14s %13s %14s %14s\n", "columns", "rows", "prepare us/col", "execute us/col",
              "bind us/col", "GetData us/val", "bound us/val");
  for (int width : kWidths) {
    const std::string sql = WideSelect(width);
    const Timing bound = RunOnce(handles.connection, sql, width, Reading::kBound);
    const Timing read = RunOnce(handles.connection, sql, width, Reading::kGetData);
    const double values = static_cast<double>(width) * static_cast<double>(read.rows > 0 ? read.rows : 1);
    std::printf("%8d %5ld %14.2f %14.2f %13.2f %14.3f %14.3f\n", width, read.rows, read.prepare * 1e6 / width,
                read.execute * 1e6 / width, bound.bind * 1e6 / width, read.fetch * 1e6 / values,
                bound.fetch * 1e6 / values);
  }
  return 0;
}
