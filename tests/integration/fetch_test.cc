// Describing and fetching query results through the unixODBC Driver Manager
// to the emulator: column descriptions under ODBC 3 and ODBC 2 at the widths
// ODBC gives them, TOP through every fetch function, bound rowsets, long
// values read in pieces byte for byte, and attachment files that last no
// longer than their cursor or their process.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "../odbc/fetching/long_values_fixture.h"
#include "odbc_test_support.h"

namespace {

struct FetchTest : ::testing::Test {
  TempFolder folder;
  std::unique_ptr<Emulator> emulator;
  std::unique_ptr<OdbcHandles> handles;
  SQLHSTMT statement = SQL_NULL_HSTMT;

  void Connect(SQLINTEGER version) {
    emulator = std::make_unique<Emulator>(folder);
    ASSERT_NE(emulator->port, 0) << "the emulator did not start";
    WriteOdbcFiles(folder, {"QUICKBASESERVER=" + emulator->HttpUrl(), "UID=alice", "PWD=wonderland"});
    handles = std::make_unique<OdbcHandles>(version);
    ASSERT_EQ(handles->Connect("demo"), SQL_SUCCESS) << handles->ConnectionDiagnostic().text;
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, handles->connection, &statement), SQL_SUCCESS);
  }
  void TearDown() override {
    if (statement != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, statement);
  }
  // A fixture too long for a command line goes to the emulator from a file.
  void LoadFixture(const std::string& json) {
    const std::string path = folder.path + "/fixture.json";
    std::ofstream(path) << json;
    RunCommand("curl -s -X POST -H 'Content-Type: application/json' --data-binary @" + path + " " +
               emulator->HttpUrl() + "/_emulator/fixture");
  }
  SQLRETURN Execute(const std::string& sql) { return SQLExecDirect(statement, (SQLCHAR*)sql.c_str(), SQL_NTS); }
  std::string State() { return ReadDiagnostic(SQL_HANDLE_STMT, statement).state; }
};

constexpr const char* kEveryFieldType =
    "SELECT o.\"Record ID_\", o.\"Order No\", c.Notes, o.Amount, o.Shipped, c.\"Customer Since\", "
    "o.\"Ordered At\", o.\"Delivery Time\", o.Invoice FROM \"Sales: Orders\" o, \"Sales: Customers\" c "
    "WHERE o.\"Related Customer\" = c.\"Record ID_\"";

struct ColumnExpectation {
  const char* name;
  SQLSMALLINT odbc3Type;
  SQLSMALLINT odbc2Type;
  SQLULEN size;
  SQLLEN displaySize;
};

const ColumnExpectation kColumns[] = {
    {"Record ID_", SQL_INTEGER, SQL_INTEGER, 10, 11},
    {"Order No", SQL_VARCHAR, SQL_VARCHAR, 12, 12},
    {"Notes", SQL_LONGVARCHAR, SQL_LONGVARCHAR, 65534, 65534},
    {"Amount", SQL_DOUBLE, SQL_DOUBLE, 15, 22},
    {"Shipped", SQL_BIT, SQL_BIT, 1, 1},
    {"Customer Since", SQL_TYPE_DATE, SQL_DATE, 10, 10},
    {"Ordered At", SQL_TYPE_TIMESTAMP, SQL_TIMESTAMP, 23, 23},
    {"Delivery Time", SQL_TYPE_TIME, SQL_TIME, 8, 8},
    {"Invoice", SQL_LONGVARBINARY, SQL_LONGVARBINARY, 2147483647, 4294967294},
};

// Every numeric answer fills a whole SQLLEN, so the all-ones guard never
// survives in its high half; SQLDescribeCol's column size is an SQLULEN.
void CheckDescriptions(SQLHSTMT statement, SQLINTEGER version) {
  SQLSMALLINT count = 0;
  ASSERT_EQ(SQLNumResultCols(statement, &count), SQL_SUCCESS);
  ASSERT_EQ(count, static_cast<SQLSMALLINT>(std::size(kColumns)));
  for (SQLUSMALLINT column = 1; column <= count; ++column) {
    const ColumnExpectation& e = kColumns[column - 1];
    SCOPED_TRACE(e.name);
    SQLCHAR name[64] = {0};
    SQLSMALLINT nameLength = 0, type = 0, digits = 0, nullable = 0;
    SQLULEN size = ~SQLULEN{0};
    ASSERT_EQ(SQLDescribeCol(statement, column, name, sizeof name, &nameLength, &type, &size, &digits, &nullable),
              SQL_SUCCESS);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(name)), e.name);
    EXPECT_EQ(type, version == SQL_OV_ODBC3 ? e.odbc3Type : e.odbc2Type);
    EXPECT_EQ(size, e.size);
    SQLLEN number = -1;
    if (version == SQL_OV_ODBC3) {
      ASSERT_EQ(SQLColAttribute(statement, column, SQL_DESC_DISPLAY_SIZE, nullptr, 0, nullptr, &number), SQL_SUCCESS);
      EXPECT_EQ(number, e.displaySize);
      number = -1;
      ASSERT_EQ(SQLColAttribute(statement, column, SQL_DESC_CONCISE_TYPE, nullptr, 0, nullptr, &number), SQL_SUCCESS);
      EXPECT_EQ(number, e.odbc3Type);
      number = -1;
      ASSERT_EQ(SQLColAttribute(statement, column, SQL_DESC_LENGTH, nullptr, 0, nullptr, &number), SQL_SUCCESS);
      EXPECT_EQ(number, static_cast<SQLLEN>(e.size));
      SQLCHAR label[64] = {0};
      SQLSMALLINT labelLength = 0;
      ASSERT_EQ(SQLColAttribute(statement, column, SQL_DESC_LABEL, label, sizeof label, &labelLength, nullptr),
                SQL_SUCCESS);
      EXPECT_EQ(std::string(reinterpret_cast<char*>(label)), e.name);
    } else {
      ASSERT_EQ(SQLColAttributes(statement, column, SQL_COLUMN_DISPLAY_SIZE, nullptr, 0, nullptr, &number),
                SQL_SUCCESS);
      EXPECT_EQ(number, e.displaySize);
      number = -1;
      ASSERT_EQ(SQLColAttributes(statement, column, SQL_COLUMN_TYPE, nullptr, 0, nullptr, &number), SQL_SUCCESS);
      EXPECT_EQ(number, e.odbc2Type);
    }
  }
}

TEST_F(FetchTest, DescriptionsUnderOdbc3) {
  Connect(SQL_OV_ODBC3);
  ASSERT_EQ(Execute(kEveryFieldType), SQL_SUCCESS) << State();
  CheckDescriptions(statement, SQL_OV_ODBC3);
}

TEST_F(FetchTest, DescriptionsUnderOdbc2) {
  Connect(SQL_OV_ODBC2);
  ASSERT_EQ(Execute(kEveryFieldType), SQL_SUCCESS) << State();
  CheckDescriptions(statement, SQL_OV_ODBC2);
}

enum class FetchFunction { kFetch, kFetchScroll, kExtendedFetch };

// TOP and SQL_ATTR_MAX_ROWS limit SQLFetch, SQLFetchScroll and
// SQLExtendedFetch alike. SQLFetch and SQLFetchScroll fetch
// SQL_ATTR_ROW_ARRAY_SIZE rows and SQLExtendedFetch SQL_ROWSET_SIZE rows:
// an ODBC 2 program sets the second and binds one row for SQLFetch.
TEST_F(FetchTest, RowLimitsAndRowsetSizesOfEveryFetchFunction) {
  Connect(SQL_OV_ODBC3);
  using F = FetchFunction;
  struct Case {
    const char* top;
    SQLULEN maxRows;
    F function;
    SQLINTEGER sizeAttribute;
    SQLULEN size;
    std::vector<SQLULEN> rowsets;
  } const cases[] = {
      {"TOP 5", 0, F::kFetch, SQL_ATTR_ROW_ARRAY_SIZE, 3, {3, 2}},
      {"TOP 5", 0, F::kFetch, SQL_ROWSET_SIZE, 3, {1, 1, 1, 1, 1}},
      {"TOP 5", 0, F::kFetchScroll, SQL_ATTR_ROW_ARRAY_SIZE, 4, {4, 1}},
      {"TOP 5", 0, F::kExtendedFetch, SQL_ROWSET_SIZE, 2, {2, 2, 1}},
      {"", 3, F::kFetch, SQL_ATTR_ROW_ARRAY_SIZE, 1, {1, 1, 1}},
      {"", 3, F::kFetchScroll, SQL_ATTR_ROW_ARRAY_SIZE, 2, {2, 1}},
      {"TOP 9", 2, F::kExtendedFetch, SQL_ROWSET_SIZE, 10, {2}},
      {"TOP 0", 0, F::kFetchScroll, SQL_ATTR_ROW_ARRAY_SIZE, 5, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.top) + " max " + std::to_string(c.maxRows));
    SQLHSTMT s = SQL_NULL_HSTMT;
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, handles->connection, &s), SQL_SUCCESS);
    SQLULEN fetched = 0;
    SQLUSMALLINT statuses[10];
    SQLINTEGER ids[10 + 1];
    ids[c.size] = -77;  // the element after the rowset's last
    ASSERT_EQ(SQLSetStmtAttr(s, c.sizeAttribute, (SQLPOINTER)c.size, 0), SQL_SUCCESS);
    ASSERT_EQ(SQLSetStmtAttr(s, SQL_ATTR_MAX_ROWS, (SQLPOINTER)c.maxRows, 0), SQL_SUCCESS);
    ASSERT_EQ(SQLSetStmtAttr(s, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0), SQL_SUCCESS);
    const std::string sql = std::string("SELECT ") + c.top + " \"Record ID_\" FROM \"Sales: Orders\"";
    ASSERT_EQ(SQLExecDirect(s, (SQLCHAR*)sql.c_str(), SQL_NTS), SQL_SUCCESS);
    ASSERT_EQ(SQLBindCol(s, 1, SQL_C_SLONG, ids, 0, nullptr), SQL_SUCCESS);
    std::vector<SQLULEN> rowsets;
    SQLINTEGER next = 1;
    for (int i = 0; i < 10; ++i) {
      SQLRETURN result = SQL_ERROR;
      if (c.function == F::kFetch) result = SQLFetch(s);
      if (c.function == F::kFetchScroll) result = SQLFetchScroll(s, SQL_FETCH_NEXT, 0);
      if (c.function == F::kExtendedFetch) result = SQLExtendedFetch(s, SQL_FETCH_NEXT, 0, &fetched, statuses);
      if (result == SQL_NO_DATA) break;
      ASSERT_EQ(result, SQL_SUCCESS) << ReadDiagnostic(SQL_HANDLE_STMT, s).text;
      rowsets.push_back(fetched);
      for (SQLULEN r = 0; r < fetched; ++r) EXPECT_EQ(ids[r], next++);
    }
    EXPECT_EQ(rowsets, c.rowsets);
    EXPECT_EQ(ids[c.size], -77);
    EXPECT_EQ(SQLFreeHandle(SQL_HANDLE_STMT, s), SQL_SUCCESS);
  }
  // A forward-only cursor doesn't scroll; SQLMoreResults closes the result.
  ASSERT_EQ(Execute("SELECT \"Record ID_\" FROM \"Sales: Orders\""), SQL_SUCCESS);
  EXPECT_EQ(SQLFetchScroll(statement, SQL_FETCH_PRIOR, 0), SQL_ERROR);
  EXPECT_EQ(State(), "HY106");
  EXPECT_EQ(SQLMoreResults(statement), SQL_NO_DATA);
  EXPECT_EQ(SQLFetch(statement), SQL_ERROR);
}

// The 100 KB text and the attachment through SQLGetData in pieces, as
// character, wide and binary data.
TEST_F(FetchTest, LongValuesInPieces) {
  Connect(SQL_OV_ODBC3);
  LoadFixture(LongValuesFixture());
  ASSERT_EQ(Execute(std::string("SELECT Body, Blob FROM \"") + kLongValuesTable + "\""), SQL_SUCCESS) << State();
  ASSERT_EQ(SQLFetch(statement), SQL_SUCCESS);
  auto readAll = [&](SQLUSMALLINT column, SQLSMALLINT cType, SQLLEN size) {
    std::string whole;
    std::vector<char> buffer(static_cast<std::size_t>(size));
    const SQLLEN terminator = cType == SQL_C_CHAR ? 1 : 0;
    for (;;) {
      SQLLEN length = 0;
      const SQLRETURN result = SQLGetData(statement, column, cType, buffer.data(), size, &length);
      if (result == SQL_NO_DATA) break;
      EXPECT_TRUE(SQL_SUCCEEDED(result)) << State();
      if (!SQL_SUCCEEDED(result)) break;
      const std::size_t kept = result == SQL_SUCCESS ? static_cast<std::size_t>(length)
                               : cType == SQL_C_CHAR ? std::strlen(buffer.data())
                                                     : static_cast<std::size_t>(size - terminator);
      whole.append(buffer.data(), kept);
    }
    return whole;
  };
  EXPECT_EQ(readAll(1, SQL_C_CHAR, 8192), LongText());
  EXPECT_EQ(readAll(2, SQL_C_BINARY, 8192), AttachmentBytes());
}

bool IsEmptyFolder(const std::string& folder) { return std::filesystem::is_empty(folder); }

constexpr const char* kReadLogo = "SELECT Logo FROM \"Sales: Customers\" WHERE \"Record ID_\" = 1";

// Positions on the first logo and reads one byte of it, so that its file is
// held while the cursor stays there.
SQLRETURN ReadLogoByte(SQLHSTMT statement) {
  if (!SQL_SUCCEEDED(SQLFetch(statement))) return SQL_ERROR;
  char byte[1];
  SQLLEN length = 0;
  return SQLGetData(statement, 1, SQL_C_BINARY, byte, sizeof byte, &length);
}

// An attachment's file is held no longer than the cursor that read it:
// closing the cursor of a prepared statement or freeing the statement lets
// it go, and the temporary folder never shows a name for it.
TEST_F(FetchTest, AttachmentFilesGoWithTheirCursor) {
  TmpDir tmp;
  Connect(SQL_OV_ODBC3);
  ASSERT_EQ(SQLPrepare(statement, (SQLCHAR*)kReadLogo, SQL_NTS), SQL_SUCCESS) << ReadDiagnostic(SQL_HANDLE_STMT, statement).text;
  for (const char* release : {"SQLCloseCursor", "SQLFreeHandle"}) {
    SCOPED_TRACE(release);
    ASSERT_EQ(SQLExecute(statement), SQL_SUCCESS) << State();
    ASSERT_EQ(ReadLogoByte(statement), SQL_SUCCESS_WITH_INFO) << ReadDiagnostic(SQL_HANDLE_STMT, statement).text;
    EXPECT_EQ(OpenFilesIn(getpid(), tmp.path()), 1);
    EXPECT_TRUE(IsEmptyFolder(tmp.path()));
    if (release == std::string("SQLCloseCursor")) {
      ASSERT_EQ(SQLCloseCursor(statement), SQL_SUCCESS);
    } else {
      ASSERT_EQ(SQLFreeHandle(SQL_HANDLE_STMT, statement), SQL_SUCCESS);
      statement = SQL_NULL_HSTMT;
    }
    EXPECT_EQ(OpenFilesIn(getpid(), tmp.path()), 0);
  }
}

// A process killed while it holds an attachment leaves nothing in the
// temporary folder.
TEST_F(FetchTest, KilledReaderOfAnAttachmentLeavesNoFile) {
  TmpDir tmp;
  Connect(SQL_OV_ODBC3);
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(ready[0]);
    OdbcHandles own;
    SQLHSTMT s = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(own.Connect("demo")) || SQLAllocHandle(SQL_HANDLE_STMT, own.connection, &s) != SQL_SUCCESS ||
        !SQL_SUCCEEDED(SQLExecDirect(s, (SQLCHAR*)kReadLogo, SQL_NTS)) || !SQL_SUCCEEDED(ReadLogoByte(s)))
      _exit(1);
    if (write(ready[1], "r", 1) != 1) _exit(1);
    for (;;) pause();
  }
  close(ready[1]);
  pollfd wait{ready[0], POLLIN, 0};
  char signal = 0;
  const bool holding = poll(&wait, 1, 20000) == 1 && read(ready[0], &signal, 1) == 1;
  close(ready[0]);
  const int held = holding ? OpenFilesIn(child, tmp.path()) : -1;
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  ASSERT_TRUE(holding) << "the child did not read the attachment";
  EXPECT_EQ(held, 1);
  EXPECT_TRUE(IsEmptyFolder(tmp.path()));
}

}  // namespace
