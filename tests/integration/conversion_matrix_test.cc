// Every SQL type the driver reports read into every C type through the
// unixODBC Driver Manager, checked against ODBC's conversion tables: the
// conversions they list give the value (with 01S07 where a part is dropped,
// 22018 where a text holds no such value), the others 07006.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "odbc_test_support.h"

namespace {

// What one row expects of each group of C types: a value as Render shows it,
// "!STATE" for a refusal, "value STATE" for a warning.
struct Row {
  const char* item;  // a select-list item of the scalar fixture's one row
  SQLSMALLINT sqlType;
  const char* character;  // SQL_C_CHAR and SQL_C_WCHAR
  const char* binary;
  const char* bit;
  const char* integer;  // every integer C type
  const char* real;     // SQL_C_FLOAT and SQL_C_DOUBLE
  const char* numeric;
  const char* date;
  const char* time;
  const char* timestamp;
};

constexpr const char* kNo = "!07006";
constexpr const char* kNotAValue = "!22018";

// "today" stands for the current date. Integer values go out as 64-bit
// integers and floating ones as doubles, which their binary form shows.
const Row kRows[] = {
    {"Flag", SQL_BIT, "1", "01", "1", "1", "1", "1", kNo, kNo, kNo},
    {"{fn CONVERT(1, SQL_TINYINT)}", SQL_TINYINT, "1", "0100000000000000", "1", "1", "1", "1", kNo, kNo, kNo},
    {"{fn CONVERT(1, SQL_SMALLINT)}", SQL_SMALLINT, "1", "0100000000000000", "1", "1", "1", "1", kNo, kNo, kNo},
    {"{fn CONVERT(1, SQL_INTEGER)}", SQL_INTEGER, "1", "0100000000000000", "1", "1", "1", "1", kNo, kNo, kNo},
    {"{fn CONVERT(1, SQL_BIGINT)}", SQL_BIGINT, "1", "31", "1", "1", "1", "1", kNo, kNo, kNo},
    {"{fn CONVERT(1.5, SQL_NUMERIC)}", SQL_NUMERIC, "1.5", "312E35", "1 01S07", "1 01S07", "1.5", "1 01S07", kNo,
     kNo, kNo},
    {"{fn CONVERT(1, SQL_DECIMAL)}", SQL_DECIMAL, "1", "31", "1", "1", "1", "1", kNo, kNo, kNo},
    {"{fn CONVERT(1, SQL_REAL)}", SQL_REAL, "1", "000000000000F03F", "1", "1", "1", "1", kNo, kNo, kNo},
    {"{fn CONVERT(1, SQL_FLOAT)}", SQL_FLOAT, "1", "000000000000F03F", "1", "1", "1", "1", kNo, kNo, kNo},
    {"Rate", SQL_DOUBLE, "0.25", "000000000000D03F", "0 01S07", "0 01S07", "0.25", "0 01S07", kNo, kNo, kNo},
    {"{fn CONVERT(42, SQL_CHAR)}", SQL_CHAR, "42         ", "3432202020202020202020", "!22003", "42", "42", "42",
     kNotAValue, kNotAValue, kNotAValue},
    {"Text", SQL_VARCHAR, "Hello World", "48656C6C6F20576F726C64", kNotAValue, kNotAValue, kNotAValue, kNotAValue,
     kNotAValue, kNotAValue, kNotAValue},
    {"'2024-02-29 10:11:12'", SQL_VARCHAR, "2024-02-29 10:11:12", "323032342D30322D32392031303A31313A3132",
     kNotAValue, kNotAValue, kNotAValue, kNotAValue, "2024-02-29 01S07", "10:11:12", "2024-02-29 10:11:12.000"},
    {"'10:11:12'", SQL_VARCHAR, "10:11:12", "31303A31313A3132", kNotAValue, kNotAValue, kNotAValue, kNotAValue,
     kNotAValue, "10:11:12", "today 10:11:12.000"},
    {"Memo", SQL_LONGVARCHAR, "Line one", "4C696E65206F6E65", kNotAValue, kNotAValue, kNotAValue, kNotAValue,
     kNotAValue, kNotAValue, kNotAValue},
    {"{fn CONVERT('1', SQL_BINARY)}", SQL_BINARY, "31", "31", kNo, kNo, kNo, kNo, kNo, kNo, kNo},
    {"{fn CONVERT('12', SQL_VARBINARY)}", SQL_VARBINARY, "3132", "3132", kNo, kNo, kNo, kNo, kNo, kNo, kNo},
    {"Logo", SQL_LONGVARBINARY, "504E47", "504E47", kNo, kNo, kNo, kNo, kNo, kNo, kNo},
    {"Day", SQL_TYPE_DATE, "2024-02-29", "E80702001D00", kNo, kNo, kNo, kNo, "2024-02-29", kNo,
     "2024-02-29 00:00:00.000"},
    {"Clock", SQL_TYPE_TIME, "13:14:15", "0D000E000F00", kNo, kNo, kNo, kNo, kNo, "13:14:15", "today 13:14:15.000"},
    {"Stamp", SQL_TYPE_TIMESTAMP, "2024-03-10 06:30:00.000", "E8070300" "0A000600" "1E000000" "00000000", kNo, kNo,
     kNo, kNo, "2024-03-10 01S07", "06:30:00", "2024-03-10 06:30:00.000"},
};

enum class Group { kCharacter, kBinary, kBit, kInteger, kReal, kNumeric, kDate, kTime, kTimestamp };

struct CType {
  SQLSMALLINT type;
  Group group;
};

const CType kCTypes[] = {
    {SQL_C_CHAR, Group::kCharacter},   {SQL_C_WCHAR, Group::kCharacter},   {SQL_C_BINARY, Group::kBinary},
    {SQL_C_BIT, Group::kBit},          {SQL_C_STINYINT, Group::kInteger},  {SQL_C_UTINYINT, Group::kInteger},
    {SQL_C_TINYINT, Group::kInteger},  {SQL_C_SSHORT, Group::kInteger},    {SQL_C_USHORT, Group::kInteger},
    {SQL_C_SHORT, Group::kInteger},    {SQL_C_SLONG, Group::kInteger},     {SQL_C_ULONG, Group::kInteger},
    {SQL_C_LONG, Group::kInteger},     {SQL_C_SBIGINT, Group::kInteger},   {SQL_C_UBIGINT, Group::kInteger},
    {SQL_C_FLOAT, Group::kReal},       {SQL_C_DOUBLE, Group::kReal},       {SQL_C_NUMERIC, Group::kNumeric},
    {SQL_C_TYPE_DATE, Group::kDate},   {SQL_C_TYPE_TIME, Group::kTime},    {SQL_C_TYPE_TIMESTAMP, Group::kTimestamp},
};

std::string Expected(const Row& row, Group group) {
  const char* const texts[] = {row.character, row.binary, row.bit,  row.integer,  row.real,
                               row.numeric,   row.date,   row.time, row.timestamp};
  return texts[static_cast<int>(group)];
}

std::string Hex(const unsigned char* bytes, SQLLEN length) {
  std::string hex;
  char pair[3];
  for (SQLLEN i = 0; i < length; ++i) {
    std::snprintf(pair, sizeof pair, "%02X", bytes[i]);
    hex += pair;
  }
  return hex;
}

template <typename T>
T As(const unsigned char* buffer) {
  T value{};
  std::memcpy(&value, buffer, sizeof value);
  return value;
}

std::string DateText(const SQL_DATE_STRUCT& d) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u", d.year, d.month, d.day);
  return text;
}

// The digits of a SQL_NUMERIC_STRUCT small enough for 64 bits, scaled.
std::string NumericText(const SQL_NUMERIC_STRUCT& n) {
  unsigned long long magnitude = 0;
  for (int i = 7; i >= 0; --i) magnitude = magnitude << 8 | n.val[i];
  std::string digits = std::to_string(magnitude);
  if (n.scale > 0) {
    digits.insert(0, static_cast<std::size_t>(std::max(0, n.scale + 1 - static_cast<int>(digits.size()))), '0');
    digits.insert(digits.size() - static_cast<std::size_t>(n.scale), ".");
  }
  return (n.sign == 0 ? "-" : "") + digits;
}

// The value in the buffer as the table writes it; today's date as "today".
std::string Render(SQLSMALLINT cType, const unsigned char* buffer, SQLLEN length) {
  char text[64];
  switch (cType) {
    case SQL_C_CHAR: return std::string(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(length));
    case SQL_C_WCHAR: {
      std::string narrow;  // the expected texts are ASCII
      for (SQLLEN i = 0; i + 1 < length; i += 2) narrow += static_cast<char>(buffer[i]);
      return narrow;
    }
    case SQL_C_BINARY: return Hex(buffer, length);
    case SQL_C_BIT:
    case SQL_C_UTINYINT: return std::to_string(As<unsigned char>(buffer));
    case SQL_C_STINYINT:
    case SQL_C_TINYINT: return std::to_string(As<signed char>(buffer));
    case SQL_C_SSHORT:
    case SQL_C_SHORT: return std::to_string(As<SQLSMALLINT>(buffer));
    case SQL_C_USHORT: return std::to_string(As<SQLUSMALLINT>(buffer));
    case SQL_C_SLONG:
    case SQL_C_LONG: return std::to_string(As<SQLINTEGER>(buffer));
    case SQL_C_ULONG: return std::to_string(As<SQLUINTEGER>(buffer));
    case SQL_C_SBIGINT: return std::to_string(As<SQLBIGINT>(buffer));
    case SQL_C_UBIGINT: return std::to_string(As<SQLUBIGINT>(buffer));
    case SQL_C_FLOAT: std::snprintf(text, sizeof text, "%g", As<float>(buffer)); return text;
    case SQL_C_DOUBLE: std::snprintf(text, sizeof text, "%g", As<double>(buffer)); return text;
    case SQL_C_NUMERIC: return NumericText(As<SQL_NUMERIC_STRUCT>(buffer));
    case SQL_C_TYPE_DATE: return DateText(As<SQL_DATE_STRUCT>(buffer));
    case SQL_C_TYPE_TIME: {
      const auto t = As<SQL_TIME_STRUCT>(buffer);
      std::snprintf(text, sizeof text, "%02u:%02u:%02u", t.hour, t.minute, t.second);
      return text;
    }
    default: {
      const auto t = As<SQL_TIMESTAMP_STRUCT>(buffer);
      std::snprintf(text, sizeof text, " %02u:%02u:%02u.%03u", t.hour, t.minute, t.second, t.fraction / 1000000);
      return DateText(SQL_DATE_STRUCT{t.year, t.month, t.day}) + text;
    }
  }
}

std::string Today() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[16];
  std::strftime(text, sizeof text, "%Y-%m-%d", &local);
  return text;
}

// The scalar functions' one-row fixture: a value of every field type.
const std::string kFixture = std::string(HELVANE_EMULATOR_DIR) + "/../tests/exec/fixtures/scalar_values.json";

struct ConversionMatrix : ::testing::Test {
  TempFolder folder;
  std::unique_ptr<Emulator> emulator;
  std::unique_ptr<OdbcHandles> handles;

  void SetUp() override {
    emulator = std::make_unique<Emulator>(folder, "", kFixture);
    ASSERT_NE(emulator->port, 0) << "the emulator did not start";
    WriteOdbcFiles(folder, {"QUICKBASESERVER=" + emulator->HttpUrl(), "UID=alice", "PWD=wonderland",
                            "TIMEZONEOFFSET=0"});
    handles = std::make_unique<OdbcHandles>();
    ASSERT_EQ(handles->Connect("demo"), SQL_SUCCESS) << handles->ConnectionDiagnostic().text;
  }

  // The row's item once for each C type in one statement; column n is read
  // into the nth C type, as the table writes it. One text when the item
  // can't be read or is described as another type.
  std::vector<std::string> Read(const Row& row) {
    SQLHSTMT statement = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, handles->connection, &statement);
    std::string sql = "SELECT ";
    for (std::size_t n = 0; n < std::size(kCTypes); ++n) sql += (n > 0 ? ", " : "") + std::string(row.item);
    sql += " FROM \"Fn: Values\"";
    SQLSMALLINT sqlType = 0;
    std::vector<std::string> shown;
    if (!SQL_SUCCEEDED(SQLExecDirect(statement, (SQLCHAR*)sql.c_str(), SQL_NTS)) ||
        SQLDescribeCol(statement, 1, nullptr, 0, nullptr, &sqlType, nullptr, nullptr, nullptr) != SQL_SUCCESS ||
        SQLFetch(statement) != SQL_SUCCESS) {
      shown.push_back("not read: " + ReadDiagnostic(SQL_HANDLE_STMT, statement).text);
    } else if (sqlType != row.sqlType) {
      shown.push_back("described as type " + std::to_string(sqlType));
    } else {
      for (std::size_t n = 0; n < std::size(kCTypes); ++n) shown.push_back(ReadColumn(statement, n));
    }
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
    return shown;
  }

  static std::string ReadColumn(SQLHSTMT statement, std::size_t n) {
    const SQLSMALLINT cType = kCTypes[n].type;
    unsigned char buffer[128];
    SQLLEN length = 0;
    const auto column = static_cast<SQLUSMALLINT>(n + 1);
    const SQLRETURN result = SQLGetData(statement, column, cType, buffer, sizeof buffer, &length);
    const std::string state = ReadDiagnostic(SQL_HANDLE_STMT, statement).state;
    if (result == SQL_ERROR) return "!" + state;
    std::string text = Render(cType, buffer, length);
    if (text.compare(0, 10, Today()) == 0) text.replace(0, 10, "today");
    return result == SQL_SUCCESS_WITH_INFO ? text + " " + state : text;
  }
};

TEST_F(ConversionMatrix, EveryReportedSqlTypeIntoEveryCType) {
  for (const Row& row : kRows) {
    const std::vector<std::string> shown = Read(row);
    ASSERT_EQ(shown.size(), std::size(kCTypes)) << row.item << ": " << shown.front();
    for (std::size_t n = 0; n < shown.size(); ++n)
      EXPECT_EQ(shown[n], Expected(row, kCTypes[n].group)) << row.item << " as C type " << kCTypes[n].type;
  }
}

}  // namespace
