// scalar_odbc_dump: the golden table of scalar functions read through the
// unixODBC Driver Manager. Starts the emulator with the scalar fixture, runs
// every case of the executor's case file with SQLExecDirect on one
// connection (TEXTNULL=1; a "tzoffset N" case on a connection of its own
// with TIMEZONEOFFSET=N) and prints what SQLDescribeCol says of the column
// and the value read with SQLGetData as SQL_C_CHAR (binary columns as
// SQL_C_BINARY, shown in hex), or the SQLSTATE and message. With an expected
// file it compares under the process's TZ; "--write" runs itself once per
// zone of kGoldenZones in a child process, since the driver and the Driver
// Manager read the zone and the data source once per process, and merges the
// transcripts with zone tags.
//
// Where this transcript differs from scalar_dump's, the two roads differ, not
// the functions:
// - "digits 0" where scalar_dump shows "digits -": SQLDescribeCol has no
//   value for "none", and ODBC answers 0 for the types that have no digits.
// - LOG and SQRT of -1 read as error 22003: scalar_dump shows the NaN that
//   the function made, while no C type receives a value that no SQL number
//   stands for (CONVERT to a text still shows infinity, as "-inf").
// - DATABASE answers the data source's name, 'demo': scalar_dump's
//   connection was made without one.
// - No "function rows bound" line: which rows of the function table the
//   binder took can't be seen from outside the driver.
#include <sql.h>
#include <sqlext.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "../odbc_test_support.h"
#include "sql_case_file.h"
#include "zoned_golden.h"

namespace {

// The emulator with the fixture and a data source "demo" for it.
struct DumpSession {
  TempFolder folder;
  std::unique_ptr<Emulator> emulator;
  std::unique_ptr<OdbcHandles> handles;

  bool Start(const std::string& fixture) {
    emulator = std::make_unique<Emulator>(folder, "", std::filesystem::absolute(fixture).string());
    if (emulator->port == 0) return false;
    // An empty text field reads as NULL, so the fixture's row has a NULL text.
    WriteOdbcFiles(folder, {"QUICKBASESERVER=" + emulator->HttpUrl(), "UID=alice", "PWD=wonderland", "TEXTNULL=1"});
    handles = std::make_unique<OdbcHandles>();
    return SQL_SUCCEEDED(handles->Connect("demo"));
  }
};

std::string ErrorLine(SQLHSTMT statement) {
  const Diagnostic diagnostic = ReadDiagnostic(SQL_HANDLE_STMT, statement);
  return "error " + diagnostic.state + " " + diagnostic.text + "\n";
}

bool IsBinaryType(SQLSMALLINT type) {
  return type == SQL_BINARY || type == SQL_VARBINARY || type == SQL_LONGVARBINARY;
}

// The types whose values the executor's transcript quotes: texts, and the
// exact numbers it holds as decimal text.
bool IsQuotedType(SQLSMALLINT type) {
  switch (type) {
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_LONGVARCHAR:
    case SQL_NUMERIC:
    case SQL_DECIMAL:
    case SQL_BIGINT: return true;
    default: return false;
  }
}

std::string Hex(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text = "0x";
  for (const char c : bytes) {
    text += kDigits[static_cast<unsigned char>(c) >> 4];
    text += kDigits[static_cast<unsigned char>(c) & 15];
  }
  return text;
}

struct ColumnValue {
  bool isNull = false;
  std::string bytes;
};

// A character piece may end short of the buffer (never inside a UTF-8
// sequence), so its NUL tells its length.
std::size_t PieceLength(SQLSMALLINT cType, const char* buffer, std::size_t size, SQLLEN length) {
  if (cType == SQL_C_CHAR) return std::strlen(buffer);
  return length == SQL_NO_TOTAL || length > static_cast<SQLLEN>(size) ? size : static_cast<std::size_t>(length);
}

// Column 1 of the current row, in pieces as long as it takes; an error line
// when the driver refuses it.
std::string ReadColumn(SQLHSTMT statement, SQLSMALLINT cType, ColumnValue& value) {
  char buffer[4096];
  for (;;) {
    SQLLEN length = 0;
    const SQLRETURN result = SQLGetData(statement, 1, cType, buffer, sizeof buffer, &length);
    if (result == SQL_NO_DATA) return "";
    if (!SQL_SUCCEEDED(result)) return ErrorLine(statement);
    if (length == SQL_NULL_DATA) {
      value.isNull = true;
      return "";
    }
    value.bytes.append(buffer, PieceLength(cType, buffer, sizeof buffer, length));
    if (result == SQL_SUCCESS) return "";
  }
}

// Long values are shown by their start and length, as in scalar_dump.
std::string ShownValue(SQLSMALLINT type, const ColumnValue& value) {
  if (value.isNull) return "NULL";
  const std::string shown =
      IsBinaryType(type) ? Hex(value.bytes) : IsQuotedType(type) ? "'" + value.bytes + "'" : value.bytes;
  if (shown.size() <= 300) return shown;
  // Sixty characters, cut where the sixty-first starts.
  std::size_t cut = 0;
  for (int characters = 0; cut < shown.size(); ++cut)
    if ((static_cast<unsigned char>(shown[cut]) & 0xC0) != 0x80 && characters++ == 60) break;
  return shown.substr(0, cut) + "... (" + std::to_string(value.bytes.size()) + " bytes)";
}

std::int64_t WallSecondsNow(const std::string* offsetDirective) {
  const std::int64_t utc = UtcSecondsNow();
  if (offsetDirective != nullptr) return utc + std::atoi(offsetDirective->c_str() + 9) * 60;
  const auto now = static_cast<std::time_t>(utc);
  std::tm local{};
  localtime_r(&now, &local);
  return utc + local.tm_gmtoff;
}

// "now" when the text of the current date, time or timestamp is within 2 s
// of the clock in the connection's zone.
std::string ClockLine(SQLSMALLINT type, const ColumnValue& value, const std::string* offsetDirective) {
  int y = 0, mo = 1, d = 1, h = 0, mi = 0, s = 0;
  const char* text = value.bytes.c_str();
  std::int64_t distance = 86400;
  const std::int64_t wall = WallSecondsNow(offsetDirective);
  if ((type == SQL_TYPE_TIMESTAMP || type == SQL_TIMESTAMP) &&
      std::sscanf(text, "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s) == 6) {
    distance = ClockDistance(ClockValueKind::kTimestamp, y, mo, d, h, mi, s, wall);
  } else if ((type == SQL_TYPE_TIME || type == SQL_TIME) && std::sscanf(text, "%d:%d:%d", &h, &mi, &s) == 3) {
    distance = ClockDistance(ClockValueKind::kTime, y, mo, d, h, mi, s, wall);
  } else if ((type == SQL_TYPE_DATE || type == SQL_DATE) && std::sscanf(text, "%d-%d-%d", &y, &mo, &d) == 3) {
    distance = ClockDistance(ClockValueKind::kDate, y, mo, d, h, mi, s, wall);
  } else {
    return "value " + ShownValue(type, value) + " (not a date or time)\n";
  }
  if (std::llabs(distance) <= 2) return "value now\n";
  return "value " + ShownValue(type, value) + " (off the clock by " + std::to_string(distance) + " s)\n";
}

std::string ShapeLine(SQLHSTMT statement, SQLSMALLINT& type) {
  SQLCHAR name[256] = {0};
  SQLSMALLINT nameLength = 0, digits = 0, nullable = 0;
  SQLULEN size = 0;
  if (!SQL_SUCCEEDED(SQLDescribeCol(statement, 1, name, sizeof name, &nameLength, &type, &size, &digits, &nullable)))
    return "type ?\n" + ErrorLine(statement);
  return "type " + std::to_string(type) + " size " + std::to_string(size) + " digits " + std::to_string(digits) +
         "\n";
}

std::string StatementLines(SQLHSTMT statement, const SqlCase& sqlCase) {
  if (!SQL_SUCCEEDED(SQLExecDirect(statement, (SQLCHAR*)sqlCase.text.c_str(), SQL_NTS)))
    return "type -\n" + ErrorLine(statement);
  SQLSMALLINT type = 0;
  const std::string shape = ShapeLine(statement, type);
  const SQLRETURN fetched = SQLFetch(statement);
  if (fetched == SQL_NO_DATA) return shape + "no row\n";
  if (!SQL_SUCCEEDED(fetched)) return shape + ErrorLine(statement);
  ColumnValue value;
  const std::string error = ReadColumn(statement, IsBinaryType(type) ? SQL_C_BINARY : SQL_C_CHAR, value);
  if (!error.empty()) return shape + error;
  if (CaseDirective(sqlCase, "clock") != nullptr && !value.isNull)
    return shape + ClockLine(type, value, CaseDirective(sqlCase, "tzoffset"));
  return shape + "value " + ShownValue(type, value) + "\n";
}

std::string RunCase(DumpSession& session, const SqlCase& sqlCase) {
  SQLHDBC connection = session.handles->connection;
  std::unique_ptr<OdbcHandles> offsetConnection;
  if (const std::string* offset = CaseDirective(sqlCase, "tzoffset")) {
    offsetConnection = std::make_unique<OdbcHandles>();
    const std::string text = "DSN=demo;TIMEZONEOFFSET=" + offset->substr(9);
    if (!SQL_SUCCEEDED(offsetConnection->DriverConnect(text)))
      return "type -\nerror connecting: " + offsetConnection->ConnectionDiagnostic().text + "\n";
    connection = offsetConnection->connection;
  }
  SQLHSTMT statement = SQL_NULL_HSTMT;
  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection, &statement))) return "type -\nno statement\n";
  const std::string out = StatementLines(statement, sqlCase);
  SQLFreeHandle(SQL_HANDLE_STMT, statement);
  return out;
}

std::string Transcript(DumpSession& session, const std::vector<SqlCase>& cases) {
  std::string out;
  for (std::size_t i = 0; i < cases.size(); ++i) out += CaseHeader(cases, i) + RunCase(session, cases[i]);
  return out;
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

int WriteExpected(const std::vector<SqlCase>& cases, char** argv) {
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  std::vector<std::string> transcripts;
  for (const char* zone : kGoldenZones) {
    transcripts.push_back(RunCommand("TZ=" + Quoted(zone) + " " + Quoted(self) + " " + Quoted(argv[1]) + " " +
                                     Quoted(argv[2])));
  }
  std::string merged;
  const bool ok = MergeZoneTranscripts(cases, transcripts, merged);
  std::ofstream(argv[3], std::ios::binary) << merged;
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: scalar_odbc_dump FIXTURE CASES [EXPECTED [--write]]\n");
    return 2;
  }
  std::vector<SqlCase> cases;
  if (!ReadSqlCases(argv[2], cases)) {
    std::fprintf(stderr, "cannot read %s\n", argv[2]);
    return 2;
  }
  if (argc > 4 && std::string(argv[4]) == "--write") return WriteExpected(cases, argv);
  const char* zone = std::getenv("TZ");
  const std::string zoneName = zone != nullptr ? zone : "";
  if (!ZoneIsKnown(zoneName)) {
    std::fprintf(stderr, "the system has no zone data for %s\n", zoneName.c_str());
    return 2;
  }
  DumpSession session;
  if (!session.Start(argv[1])) {
    std::fprintf(stderr, "no connection to the emulator with %s\n", argv[1]);
    return 2;
  }
  const std::string actual = Transcript(session, cases);
  if (argc == 3) {
    std::fwrite(actual.data(), 1, actual.size(), stdout);
    return 0;
  }
  std::ifstream in(argv[3], std::ios::binary);
  std::stringstream expected;
  expected << in.rdbuf();
  return CompareTranscripts(actual, ExpectedForZone(expected.str(), zoneName));
}
