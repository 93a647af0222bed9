// Positioned writes through the Driver Manager: SQLSetPos and
// SQLBulkOperations over static and keyset cursors with rowsets bound by row
// and by column, checked against what reached the emulator at each commit.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "odbc_test_support.h"

namespace {

constexpr const char* kLines = "\"Sales: Order Lines\"";
constexpr const char* kFirstLines =
    "SELECT \"Record ID_\", Product, Quantity FROM \"Sales: Order Lines\" WHERE \"Record ID_\" <= 5";

// A bound column's buffers; a fixed-size type binds with buffer length 0, as
// applications do.
struct Column {
  SQLUSMALLINT number;
  SQLSMALLINT cType;
  SQLLEN size;
  bool fixed;
};

// Columns 0 to 3 of kFirstLines: bookmark, record id, product, quantity.
const std::vector<Column> kLineColumns = {{0, SQL_C_VARBOOKMARK, 4, false},
                                          {1, SQL_C_SLONG, sizeof(SQLINTEGER), true},
                                          {2, SQL_C_CHAR, 32, false},
                                          {3, SQL_C_DOUBLE, sizeof(double), true}};

// The rowset's buffers, laid out by row (one structure a row) or by column
// (one array a column and one of lengths).
struct Rowset {
  std::vector<Column> columns;
  bool byRow;
  int rows;
  std::vector<SQLLEN> valueOffsets;  // by row: within the row; by column: the array's start
  std::vector<SQLLEN> lengthOffsets;
  SQLLEN rowSize = 0;
  std::vector<char> bytes;

  Rowset(std::vector<Column> boundColumns, bool rowWise, int rowCount)
      : columns(std::move(boundColumns)), byRow(rowWise), rows(rowCount) {
    SQLLEN at = 0;
    for (const Column& c : columns) {
      const SQLLEN values = (c.size + 7) / 8 * 8;
      valueOffsets.push_back(at);
      at += byRow ? values : values * rows;
      lengthOffsets.push_back(at);
      at += byRow ? sizeof(SQLLEN) : sizeof(SQLLEN) * rows;
    }
    rowSize = at;
    bytes.assign(static_cast<std::size_t>(byRow ? at * rows : at), '\0');
  }
  std::size_t Index(SQLUSMALLINT number) const {
    for (std::size_t i = 0; i < columns.size(); ++i)
      if (columns[i].number == number) return i;
    return 0;
  }
  char* Value(SQLUSMALLINT number, int row) {
    const std::size_t c = Index(number);
    return bytes.data() + (byRow ? row * rowSize + valueOffsets[c] : valueOffsets[c] + row * columns[c].size);
  }
  SQLLEN& Length(SQLUSMALLINT number, int row) {
    const std::size_t c = Index(number);
    char* at = bytes.data() + (byRow ? row * rowSize + lengthOffsets[c] : lengthOffsets[c] + row * sizeof(SQLLEN));
    return *reinterpret_cast<SQLLEN*>(at);
  }
  SQLINTEGER Integer(SQLUSMALLINT number, int row) {
    SQLINTEGER value = 0;
    std::memcpy(&value, Value(number, row), sizeof value);
    return value;
  }
  void SetText(SQLUSMALLINT number, int row, const std::string& text) {
    std::memcpy(Value(number, row), text.c_str(), text.size() + 1);
    Length(number, row) = SQL_NTS;
  }
  void Bind(SQLHSTMT statement) {
    SQLSetStmtAttr(statement, SQL_ATTR_ROW_BIND_TYPE,
                   reinterpret_cast<SQLPOINTER>(byRow ? static_cast<SQLULEN>(rowSize) : SQL_BIND_BY_COLUMN), 0);
    SQLSetStmtAttr(statement, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(rows)), 0);
    for (const Column& c : columns)
      ASSERT_EQ(SQLBindCol(statement, c.number, c.cType, Value(c.number, 0), c.fixed ? 0 : c.size,
                           &Length(c.number, 0)),
                SQL_SUCCESS);
  }
};

std::size_t Count(const std::string& text, const std::string& piece) {
  std::size_t n = 0;
  for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + piece.size())) ++n;
  return n;
}

bool Holds(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

struct PositionedTest : ::testing::Test {
  TempFolder folder;
  Emulator emulator{folder};
  std::unique_ptr<OdbcHandles> handles;
  SQLHSTMT statement = SQL_NULL_HSTMT;
  std::vector<SQLUSMALLINT> statuses = std::vector<SQLUSMALLINT>(8, 99);
  SQLULEN fetched = 0;

  void SetUp() override {
    ASSERT_NE(emulator.port, 0);
    WriteOdbcFiles(folder, {"QUICKBASESERVER=" + emulator.HttpUrl(), "UID=alice", "PWD=wonderland"});
    handles = std::make_unique<OdbcHandles>();
    ASSERT_TRUE(SQL_SUCCEEDED(handles->Connect("demo"))) << handles->ConnectionDiagnostic().text;
    Autocommit(false);
    NewStatement();
  }
  void TearDown() override { FreeStatement(); }
  void FreeStatement() {
    if (statement != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, statement);
    statement = SQL_NULL_HSTMT;
  }
  void NewStatement() {
    FreeStatement();
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, handles->connection, &statement), SQL_SUCCESS);
  }
  void Autocommit(bool on) {
    SQLSetConnectAttr(handles->connection, SQL_ATTR_AUTOCOMMIT,
                      reinterpret_cast<SQLPOINTER>(static_cast<intptr_t>(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF)),
                      0);
  }
  // Executes with the cursor type and concurrency given, bookmarks on and
  // the row status and rows-fetched buffers set.
  SQLRETURN Open(const std::string& sql, SQLULEN cursorType = SQL_CURSOR_STATIC,
                 SQLULEN concurrency = SQL_CONCUR_LOCK) {
    SQLSetStmtAttr(statement, SQL_ATTR_CURSOR_TYPE, reinterpret_cast<SQLPOINTER>(cursorType), 0);
    SQLSetStmtAttr(statement, SQL_ATTR_CONCURRENCY, reinterpret_cast<SQLPOINTER>(concurrency), 0);
    SQLSetStmtAttr(statement, SQL_ATTR_USE_BOOKMARKS, reinterpret_cast<SQLPOINTER>(SQL_UB_VARIABLE), 0);
    SQLSetStmtAttr(statement, SQL_ATTR_ROW_STATUS_PTR, statuses.data(), 0);
    SQLSetStmtAttr(statement, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0);
    return SQLExecDirect(statement, (SQLCHAR*)sql.c_str(), SQL_NTS);
  }
  SQLLEN RowCount() {
    SQLLEN rows = -7;
    SQLRowCount(statement, &rows);
    return rows;
  }
  void ClearLog() { emulator.Admin("log/clear", "{}"); }
  void Fault(const std::string& json) { emulator.Admin("faults", json); }
  std::vector<std::string> Imports() { return LoggedRequests(emulator, "API_ImportFromCSV"); }
  std::vector<std::string> Purges() { return LoggedRequests(emulator, "API_PurgeRecords"); }
  SQLRETURN Commit() { return SQLEndTran(SQL_HANDLE_DBC, handles->connection, SQL_COMMIT); }
  Diagnostic Problem() { return ReadDiagnostic(SQL_HANDLE_STMT, statement); }
  // The product of a record, read afresh on a statement of its own.
  std::string ProductOf(int recordId) {
    SQLHSTMT other = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, handles->connection, &other);
    const std::string sql =
        std::string("SELECT Product FROM ") + kLines + " WHERE \"Record ID_\" = " + std::to_string(recordId);
    char product[64] = "(none)";
    SQLLEN length = 0;
    if (SQL_SUCCEEDED(SQLExecDirect(other, (SQLCHAR*)sql.c_str(), SQL_NTS)) && SQLFetch(other) != SQL_SUCCESS)
      std::strcpy(product, "(no row)");
    else
      SQLGetData(other, 1, SQL_C_CHAR, product, sizeof product, &length);
    SQLFreeHandle(SQL_HANDLE_STMT, other);
    return product;
  }
};

// Every layout and cursor: the rowset's rows get new products, the quantity
// is left alone with SQL_COLUMN_IGNORE, the unchanged record id (read-only)
// stays out of the write, and on a rowset of five one row is ignored through
// the row operation array. The commit sends one import of the changed field.
TEST_F(PositionedTest, UpdateThroughBoundColumnsSendsOnlyTheChangedFields) {
  struct Case {
    SQLULEN cursorType;
    bool byRow;
    int rows;
  };
  const Case cases[] = {{SQL_CURSOR_STATIC, true, 1},        {SQL_CURSOR_STATIC, false, 1},
                        {SQL_CURSOR_STATIC, true, 5},        {SQL_CURSOR_STATIC, false, 5},
                        {SQL_CURSOR_KEYSET_DRIVEN, true, 5}, {SQL_CURSOR_KEYSET_DRIVEN, false, 5}};
  int round = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.cursorType) + (c.byRow ? " by row, " : " by column, ") + std::to_string(c.rows));
    ++round;
    NewStatement();
    Rowset rowset(kLineColumns, c.byRow, c.rows);
    rowset.Bind(statement);
    std::vector<SQLUSMALLINT> operations(c.rows, SQL_ROW_PROCEED);
    if (c.rows == 5) operations[2] = SQL_ROW_IGNORE;
    SQLSetStmtAttr(statement, SQL_ATTR_ROW_OPERATION_PTR, operations.data(), 0);
    ASSERT_EQ(Open(kFirstLines, c.cursorType), SQL_SUCCESS) << Problem().text;
    ASSERT_EQ(SQLFetchScroll(statement, SQL_FETCH_FIRST, 0), SQL_SUCCESS) << Problem().text;
    for (int i = 0; i < c.rows; ++i) {
      rowset.SetText(2, i, "Changed " + std::to_string(round) + "." + std::to_string(i + 1));
      rowset.Length(3, i) = SQL_COLUMN_IGNORE;
    }
    ClearLog();
    ASSERT_EQ(SQLSetPos(statement, c.rows == 1 ? 1 : 0, SQL_UPDATE, SQL_LOCK_NO_CHANGE), SQL_SUCCESS) << Problem().text;
    const int written = c.rows == 5 ? 4 : 1;
    EXPECT_EQ(RowCount(), written);
    EXPECT_EQ(fetched, static_cast<SQLULEN>(written));
    for (int i = 0; i < c.rows; ++i) EXPECT_EQ(statuses[i], i == 2 && c.rows == 5 ? SQL_ROW_SUCCESS : SQL_ROW_UPDATED) << i;
    EXPECT_TRUE(Imports().empty());
    ASSERT_EQ(Commit(), SQL_SUCCESS);
    const std::vector<std::string> imports = Imports();
    ASSERT_EQ(imports.size(), 1u);
    EXPECT_TRUE(Holds(imports[0], "<clist>3.7</clist>")) << imports[0];
    EXPECT_EQ(Count(imports[0], "Changed " + std::to_string(round) + "."), static_cast<std::size_t>(written));
    EXPECT_FALSE(Holds(imports[0], "Changed " + std::to_string(round) + ".3") && c.rows == 5);
    EXPECT_EQ(ProductOf(1), "Changed " + std::to_string(round) + ".1");
  }
}

}  // namespace
