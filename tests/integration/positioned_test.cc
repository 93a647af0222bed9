// Positioned writes through the Driver Manager: SQLSetPos and
// SQLBulkOperations over static and keyset cursors with rowsets bound by row
// and by column, checked against what reached the emulator at each commit.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "odbc_test_support.h"

namespace {

constexpr const char* kLines = "\"Sales: Order Lines\"";
constexpr const char* kLinesDbid = "bfhfj2jkz";
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
  // COUNT(*) of the order lines the condition keeps, on a statement of its own.
  SQLINTEGER CountOf(const std::string& condition) {
    SQLHSTMT other = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, handles->connection, &other);
    const std::string sql = std::string("SELECT COUNT(*) FROM ") + kLines + " " + condition;
    SQLINTEGER count = -1;
    if (SQL_SUCCEEDED(SQLExecDirect(other, (SQLCHAR*)sql.c_str(), SQL_NTS)) && SQLFetch(other) == SQL_SUCCESS)
      SQLGetData(other, 1, SQL_C_SLONG, &count, 0, nullptr);
    SQLFreeHandle(SQL_HANDLE_STMT, other);
    return count;
  }
  // Runs one statement on a statement of its own of the connection.
  SQLRETURN RunOn(SQLHDBC connection, const std::string& sql) {
    SQLHSTMT other = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, connection, &other);
    const SQLRETURN result = SQLExecDirect(other, (SQLCHAR*)sql.c_str(), SQL_NTS);
    SQLFreeHandle(SQL_HANDLE_STMT, other);
    return result;
  }
  // Another user's statement, committed on its own connection.
  void AnotherUser(const std::string& sql) {
    OdbcHandles other;
    ASSERT_TRUE(SQL_SUCCEEDED(other.Connect("demo"))) << other.ConnectionDiagnostic().text;
    ASSERT_EQ(RunOn(other.connection, sql), SQL_SUCCESS);
  }
  // Record id, product and quantity of the order lines from first to last,
  // as the service holds them.
  std::vector<std::string> StoredLines(int first, int last) {
    return ServiceRecords(emulator, kLinesDbid, "3.7.8",
                          "{3.GTE.'" + std::to_string(first) + "'}AND{3.LTE.'" + std::to_string(last) + "'}");
  }
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

// One row of kFirstLines bound by row, fetched at the absolute position.
struct OneLine : PositionedTest {
  Rowset rowset{kLineColumns, true, 1};
  void OpenAt(SQLLEN row) {
    rowset.Bind(statement);
    ASSERT_EQ(Open(kFirstLines), SQL_SUCCESS) << Problem().text;
    ASSERT_EQ(SQLFetchScroll(statement, SQL_FETCH_ABSOLUTE, row), SQL_SUCCESS) << Problem().text;
  }
  SQLRETURN UpdateProduct(const std::string& product) {
    rowset.SetText(2, 0, product);
    rowset.Length(3, 0) = SQL_COLUMN_IGNORE;
    return SQLSetPos(statement, 1, SQL_UPDATE, SQL_LOCK_NO_CHANGE);
  }
};

// Until the commit the connection reads its own writes: a refresh shows the
// pending edit and a deleted row reads as deleted; the commit sends one
// import and one purge.
TEST_F(OneLine, RefreshAndDeleteReadTheConnectionsOwnWrites) {
  OpenAt(2);
  ClearLog();
  ASSERT_EQ(UpdateProduct("Edited"), SQL_SUCCESS) << Problem().text;
  rowset.SetText(2, 0, "overwritten");
  ASSERT_EQ(SQLSetPos(statement, 1, SQL_REFRESH, SQL_LOCK_NO_CHANGE), SQL_SUCCESS) << Problem().text;
  EXPECT_STREQ(rowset.Value(2, 0), "Edited");
  EXPECT_EQ(statuses[0], SQL_ROW_SUCCESS);

  ASSERT_EQ(SQLFetchScroll(statement, SQL_FETCH_ABSOLUTE, 3), SQL_SUCCESS);
  ASSERT_EQ(SQLSetPos(statement, 1, SQL_DELETE, SQL_LOCK_NO_CHANGE), SQL_SUCCESS) << Problem().text;
  EXPECT_EQ(statuses[0], SQL_ROW_DELETED);
  EXPECT_EQ(RowCount(), 1);
  EXPECT_EQ(SQLSetPos(statement, 1, SQL_REFRESH, SQL_LOCK_NO_CHANGE), SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(Problem().state, "HY109");
  EXPECT_EQ(statuses[0], SQL_ROW_DELETED);
  EXPECT_EQ(SQLFetchScroll(statement, SQL_FETCH_ABSOLUTE, 3), SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(statuses[0], SQL_ROW_DELETED);
  char product[64] = {0};
  SQLLEN length = 0;
  EXPECT_EQ(SQLGetData(statement, 2, SQL_C_CHAR, product, sizeof product, &length), SQL_ERROR) << product;
  EXPECT_TRUE(Imports().empty());
  EXPECT_TRUE(Purges().empty());

  ASSERT_EQ(Commit(), SQL_SUCCESS);
  const std::vector<std::string> imports = Imports();
  ASSERT_EQ(imports.size(), 1u);
  EXPECT_TRUE(Holds(imports[0], R"(2,\"Edited\")")) << imports[0];
  const std::vector<std::string> purges = Purges();
  ASSERT_EQ(purges.size(), 1u);
  EXPECT_TRUE(Holds(purges[0], "{3.EX.&apos;3&apos;}")) << purges[0];
  EXPECT_EQ(ProductOf(3), "(no row)");
}

// A rollback sends nothing; the row read again has its old value.
TEST_F(OneLine, RollbackSendsNothing) {
  OpenAt(2);
  ClearLog();
  ASSERT_EQ(UpdateProduct("Never sent"), SQL_SUCCESS) << Problem().text;
  ASSERT_EQ(SQLEndTran(SQL_HANDLE_DBC, handles->connection, SQL_ROLLBACK), SQL_SUCCESS);
  ASSERT_EQ(Open(kFirstLines), SQL_SUCCESS) << Problem().text;
  ASSERT_EQ(SQLFetchScroll(statement, SQL_FETCH_ABSOLUTE, 2), SQL_SUCCESS);
  EXPECT_STREQ(rowset.Value(2, 0), "Sprocket");
  EXPECT_TRUE(Imports().empty());
}

// Under autocommit the result's writes are one transaction, sent when its
// cursor closes.
TEST_F(OneLine, UnderAutocommitTheWritesGoWhenTheCursorCloses) {
  Autocommit(true);
  OpenAt(2);
  ClearLog();
  ASSERT_EQ(UpdateProduct("At close"), SQL_SUCCESS) << Problem().text;
  EXPECT_TRUE(Imports().empty());
  ASSERT_EQ(SQLCloseCursor(statement), SQL_SUCCESS);
  ASSERT_EQ(Imports().size(), 1u);
  EXPECT_EQ(ProductOf(2), "At close");
}

// A failed commit keeps the writes; the retry sends them once.
TEST_F(OneLine, AFailedCommitKeepsTheWritesForItsRetry) {
  OpenAt(2);
  ASSERT_EQ(UpdateProduct("Retried"), SQL_SUCCESS) << Problem().text;
  ClearLog();
  Fault(R"({"action": "API_ImportFromCSV", "errcode": 77})");
  EXPECT_EQ(Commit(), SQL_ERROR);
  ASSERT_EQ(Imports().size(), 1u);
  ClearLog();
  ASSERT_EQ(Commit(), SQL_SUCCESS);
  const std::vector<std::string> imports = Imports();
  ASSERT_EQ(imports.size(), 1u);
  EXPECT_EQ(Count(imports[0], "Retried"), 1u);
  EXPECT_EQ(ProductOf(2), "Retried");
}

// Under autocommit a commit refused at the cursor's close drops what the
// service did not take, as a write statement's does: the disconnect is not
// held up and nothing more is sent. The two rows change different fields, so
// they go out in two imports, and the second is refused.
TEST_F(OneLine, UnderAutocommitARefusedCommitAtCloseDropsTheUnsentRows) {
  Autocommit(true);
  OpenAt(2);
  ASSERT_EQ(UpdateProduct("Taken"), SQL_SUCCESS) << Problem().text;
  ASSERT_EQ(SQLFetchScroll(statement, SQL_FETCH_ABSOLUTE, 3), SQL_SUCCESS);
  const double quantity = 42;
  std::memcpy(rowset.Value(3, 0), &quantity, sizeof quantity);
  rowset.Length(3, 0) = sizeof quantity;
  rowset.Length(2, 0) = SQL_COLUMN_IGNORE;
  ASSERT_EQ(SQLSetPos(statement, 1, SQL_UPDATE, SQL_LOCK_NO_CHANGE), SQL_SUCCESS) << Problem().text;
  ClearLog();
  Fault(R"([{"action": "API_ImportFromCSV", "count": 1, "delay": 0.001},
            {"action": "API_ImportFromCSV", "errcode": 77}])");
  EXPECT_EQ(SQLCloseCursor(statement), SQL_ERROR);
  const Diagnostic refused = Problem();
  EXPECT_EQ(refused.state, "HY000");
  EXPECT_EQ(refused.text.rfind("[Tarvox ODBC]Writes partly done: 'Sales: Order Lines' 1 written, 1 not written "
                               "(dropped). [QuickBase]Request limit exceeded",
                               0),
            0u)
      << refused.text;
  FreeStatement();
  EXPECT_EQ(SQLDisconnect(handles->connection), SQL_SUCCESS) << handles->ConnectionDiagnostic().text;
  handles->connected = false;
  EXPECT_EQ(Imports().size(), 2u);
}

// A value sent in three pieces, on each of two rows in turn: each row's data
// is complete before the next row asks for its own.
TEST_F(PositionedTest, DataAtExecutionGoesRowByRow) {
  Rowset rowset(kLineColumns, true, 2);
  rowset.Bind(statement);
  ASSERT_EQ(Open(kFirstLines), SQL_SUCCESS) << Problem().text;
  ASSERT_EQ(SQLFetchScroll(statement, SQL_FETCH_FIRST, 0), SQL_SUCCESS);
  for (int i = 0; i < 2; ++i) {
    rowset.Length(2, i) = SQL_LEN_DATA_AT_EXEC(0);
    rowset.Length(3, i) = SQL_COLUMN_IGNORE;
  }
  ASSERT_EQ(SQLSetPos(statement, 0, SQL_UPDATE, SQL_LOCK_NO_CHANGE), SQL_NEED_DATA) << Problem().text;
  SQLPOINTER token = nullptr;
  ASSERT_EQ(SQLParamData(statement, &token), SQL_NEED_DATA) << Problem().text;
  EXPECT_EQ(token, rowset.Value(2, 0));
  for (const char* piece : {"three ", "little ", "pieces"})
    ASSERT_EQ(SQLPutData(statement, (SQLPOINTER)piece, SQL_NTS), SQL_SUCCESS) << Problem().text;
  ASSERT_EQ(SQLParamData(statement, &token), SQL_NEED_DATA) << Problem().text;
  EXPECT_EQ(token, rowset.Value(2, 1));
  ASSERT_EQ(SQLPutData(statement, (SQLPOINTER) "whole", SQL_NTS), SQL_SUCCESS);
  ASSERT_EQ(SQLParamData(statement, &token), SQL_SUCCESS) << Problem().text;
  EXPECT_EQ(statuses[0], SQL_ROW_UPDATED);
  EXPECT_EQ(statuses[1], SQL_ROW_UPDATED);
  EXPECT_EQ(RowCount(), 2);
  ClearLog();
  ASSERT_EQ(Commit(), SQL_SUCCESS);
  const std::vector<std::string> imports = Imports();
  ASSERT_EQ(imports.size(), 1u);
  EXPECT_TRUE(Holds(imports[0], R"(1,\"three little pieces\")")) << imports[0];
  EXPECT_TRUE(Holds(imports[0], R"(2,\"whole\")")) << imports[0];
}

// An application that binds every column of SELECT * adds a row and reads it
// back by its bookmark, before the row is sent and after: the flush that
// sends it (here the settings table's flush command, which leaves the cursor
// open) follows the driver's provisional id to the one the service gave the
// row. Until then the row has no record id: it reads NULL in any C type and
// no comparison on the record id matches it. Each row binds the numbers
// (columns 3, 6, 8 and 9) as cType and the rest as text.
TEST_F(PositionedTest, AnAddedRowReadsNoRecordIdUntilItIsSent) {
  const char* everyColumn = "SELECT * FROM \"Sales: Order Lines\" WHERE \"Record ID_\" <= 5";
  const struct {
    SQLSMALLINT cType;
    const char* sentId;
  } cases[] = {{SQL_C_SLONG, "31"}, {SQL_C_CHAR, "32"}};
  SQLINTEGER sent = 0;  // the fixture's records end at 30
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cType);
    NewStatement();
    std::vector<Column> columns = {{0, SQL_C_VARBOOKMARK, 4, false}};
    for (SQLUSMALLINT n = 1; n <= 10; ++n) {
      const bool number = n == 3 || n == 6 || n == 8 || n == 9;
      const bool fixed = number && c.cType == SQL_C_SLONG;
      const SQLSMALLINT cType = number ? c.cType : SQLSMALLINT{SQL_C_CHAR};
      columns.push_back({n, cType, fixed ? SQLLEN(sizeof(SQLINTEGER)) : 32, fixed});
    }
    Rowset rowset(columns, true, 1);
    rowset.Bind(statement);
    ASSERT_EQ(Open(everyColumn), SQL_SUCCESS) << Problem().text;
    SQLSMALLINT nullable = -1;
    ASSERT_EQ(SQLDescribeCol(statement, 3, nullptr, 0, nullptr, nullptr, nullptr, nullptr, &nullable), SQL_SUCCESS);
    EXPECT_EQ(nullable, SQL_NULLABLE);
    ASSERT_EQ(SQLFetchScroll(statement, SQL_FETCH_ABSOLUTE, 1), SQL_SUCCESS) << Problem().text;
    for (SQLUSMALLINT n : {1, 2, 3, 4, 5, 10}) rowset.Length(n, 0) = SQL_NULL_DATA;
    for (SQLUSMALLINT n : {6, 8, 9}) {
      if (c.cType == SQL_C_SLONG) {
        const SQLINTEGER value = n;
        std::memcpy(rowset.Value(n, 0), &value, sizeof value);
        rowset.Length(n, 0) = 0;
      } else {
        rowset.SetText(n, 0, std::to_string(n));
      }
    }
    rowset.SetText(7, 0, "Added");
    ClearLog();
    ASSERT_EQ(SQLSetPos(statement, 1, SQL_ADD, SQL_LOCK_NO_CHANGE), SQL_SUCCESS) << Problem().text;
    EXPECT_EQ(statuses[0], SQL_ROW_ADDED);
    SQLINTEGER bookmark = rowset.Integer(0, 0);
    EXPECT_EQ(bookmark, 6);
    SQLSetStmtAttr(statement, SQL_ATTR_FETCH_BOOKMARK_PTR, &bookmark, 0);
    auto readAdded = [&](const char* recordId) {
      rowset.SetText(7, 0, "");
      rowset.Length(3, 0) = 99;
      ASSERT_EQ(SQLFetchScroll(statement, SQL_FETCH_BOOKMARK, 0), SQL_SUCCESS) << Problem().text;
      EXPECT_STREQ(rowset.Value(7, 0), "Added");
      if (recordId == nullptr) {
        EXPECT_EQ(rowset.Length(3, 0), SQL_NULL_DATA);
      } else if (c.cType == SQL_C_SLONG) {
        EXPECT_EQ(std::to_string(rowset.Integer(3, 0)), recordId);
      } else {
        EXPECT_STREQ(rowset.Value(3, 0), recordId);
      }
    };
    readAdded(nullptr);
    EXPECT_EQ(CountOf("WHERE \"Record ID_\" > 30"), sent);
    EXPECT_EQ(CountOf("WHERE \"Record ID_\" IS NULL"), 1);
    EXPECT_TRUE(Imports().empty());

    SQLHSTMT settings = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, handles->connection, &settings);
    const char* flush = "INSERT INTO \"TARVOX CONNECTION CONFIG\" (qPARAMETER, qVALUE) VALUES "
                        "('FLUSH_THIS_DBID_CACHE_TO_QUICKBASE', 'Sales: Order Lines')";
    ASSERT_TRUE(SQL_SUCCEEDED(SQLExecDirect(settings, (SQLCHAR*)flush, SQL_NTS)));
    SQLFreeHandle(SQL_HANDLE_STMT, settings);
    ASSERT_EQ(Imports().size(), 1u);
    readAdded(c.sentId);
    EXPECT_EQ(CountOf("WHERE \"Record ID_\" > 30"), ++sent);
  }
}

// The bookmark operations over a rowset of two bound by column: update,
// fetch and delete each row by its own bookmark, then add two rows.
TEST_F(PositionedTest, BookmarkOperationsActOnEveryRowOfTheRowset) {
  Rowset rowset(kLineColumns, false, 2);
  rowset.Bind(statement);
  ASSERT_EQ(Open(kFirstLines), SQL_SUCCESS) << Problem().text;
  ASSERT_EQ(SQLFetchScroll(statement, SQL_FETCH_ABSOLUTE, 2), SQL_SUCCESS);
  for (int i = 0; i < 2; ++i) {
    rowset.SetText(2, i, "By bookmark " + std::to_string(i));
    rowset.Length(3, i) = SQL_COLUMN_IGNORE;
  }
  ClearLog();
  ASSERT_EQ(SQLBulkOperations(statement, SQL_UPDATE_BY_BOOKMARK), SQL_SUCCESS) << Problem().text;
  EXPECT_EQ(RowCount(), 2);
  for (int i = 0; i < 2; ++i) EXPECT_EQ(statuses[i], SQL_ROW_UPDATED) << i;

  for (int i = 0; i < 2; ++i) rowset.SetText(2, i, "");
  ASSERT_EQ(SQLBulkOperations(statement, SQL_FETCH_BY_BOOKMARK), SQL_SUCCESS) << Problem().text;
  for (int i = 0; i < 2; ++i) {
    EXPECT_STREQ(rowset.Value(2, i), ("By bookmark " + std::to_string(i)).c_str());
    EXPECT_EQ(rowset.Integer(1, i), i + 2);
    EXPECT_EQ(statuses[i], SQL_ROW_SUCCESS);
  }

  ASSERT_EQ(SQLBulkOperations(statement, SQL_DELETE_BY_BOOKMARK), SQL_SUCCESS) << Problem().text;
  EXPECT_EQ(RowCount(), 2);
  for (int i = 0; i < 2; ++i) EXPECT_EQ(statuses[i], SQL_ROW_DELETED) << i;
  // A rowset holding a deleted row still delivers the rows beside it.
  ASSERT_EQ(SQLFetchScroll(statement, SQL_FETCH_ABSOLUTE, 3), SQL_SUCCESS_WITH_INFO) << Problem().text;
  EXPECT_EQ(statuses[0], SQL_ROW_DELETED);
  EXPECT_EQ(statuses[1], SQL_ROW_SUCCESS);
  EXPECT_EQ(rowset.Integer(1, 1), 4);
  ASSERT_EQ(SQLFetchScroll(statement, SQL_FETCH_ABSOLUTE, 2), SQL_SUCCESS_WITH_INFO) << Problem().text;

  for (int i = 0; i < 2; ++i) {
    rowset.Length(1, i) = SQL_NULL_DATA;
    rowset.SetText(2, i, "Bulk " + std::to_string(i));
  }
  ASSERT_EQ(SQLBulkOperations(statement, SQL_ADD), SQL_SUCCESS) << Problem().text;
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(statuses[i], SQL_ROW_ADDED) << i;
    EXPECT_EQ(rowset.Integer(0, i), 6 + i);
  }
  // The cursor stays where the fetch left it.
  ASSERT_EQ(SQLFetchScroll(statement, SQL_FETCH_NEXT, 0), SQL_SUCCESS);
  EXPECT_EQ(rowset.Integer(1, 0), 4);
  EXPECT_TRUE(Imports().empty());
  EXPECT_TRUE(Purges().empty());

  ASSERT_EQ(Commit(), SQL_SUCCESS);
  std::string sent;
  for (const std::string& body : Imports()) sent += body;
  EXPECT_TRUE(Holds(sent, R"(\"\",\"Bulk 0\")")) << sent;
  EXPECT_TRUE(Holds(sent, R"(\"\",\"Bulk 1\")")) << sent;
  const std::vector<std::string> purges = Purges();
  ASSERT_EQ(purges.size(), 1u);
  EXPECT_TRUE(Holds(purges[0], "{3.EX.&apos;2&apos;}OR{3.EX.&apos;3&apos;}")) << purges[0];
}

// Four records of kLines from first on.
std::string LinesFrom(int first, const char* orderBy = "") {
  return std::string("SELECT \"Record ID_\", Product, Quantity FROM ") + kLines + " WHERE \"Record ID_\" >= " +
         std::to_string(first) + " AND \"Record ID_\" <= " + std::to_string(first + 3) + orderBy;
}

// A forward-only rowset of three streamed rows: SQLSetPos acts on the row it
// names, or on every row for 0, with each row's true status; the rows it
// does not name keep their records; and the next SQLFetch reads on after the
// rowset (its one row, in a rowset that ran past the end of the result, can
// be refreshed as well). The last case is cancelled while its second row
// waits for data.
// Each case works on four records of its own (the fixture has 30).
TEST_F(PositionedTest, ForwardOnlyRowsetActsOnEveryRow) {
  enum Outcome { kSame, kChanged, kGone };
  struct Case {
    SQLSETPOSIROW row;
    SQLUSMALLINT operation;
    bool cancelled;
    SQLUSMALLINT status[3];
    Outcome outcome[3];
  };
  constexpr SQLUSMALLINT S = SQL_ROW_SUCCESS, U = SQL_ROW_UPDATED, D = SQL_ROW_DELETED;
  const Case cases[] = {
      {1, SQL_UPDATE, false, {U, S, S}, {kChanged, kSame, kSame}},
      {3, SQL_UPDATE, false, {S, S, U}, {kSame, kSame, kChanged}},
      {0, SQL_UPDATE, false, {U, U, U}, {kChanged, kChanged, kChanged}},
      {0, SQL_REFRESH, false, {S, S, S}, {kSame, kSame, kSame}},
      {2, SQL_DELETE, false, {S, D, S}, {kSame, kGone, kSame}},
      {0, SQL_DELETE, false, {D, D, D}, {kGone, kGone, kGone}},
      {0, SQL_UPDATE, true, {U, S, S}, {kChanged, kSame, kSame}},
  };
  int first = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE("records from " + std::to_string(first));
    NewStatement();
    Rowset rowset(kLineColumns, true, 3);
    rowset.Bind(statement);
    ASSERT_EQ(Open(LinesFrom(first), SQL_CURSOR_FORWARD_ONLY), SQL_SUCCESS) << Problem().text;
    ASSERT_EQ(SQLFetch(statement), SQL_SUCCESS) << Problem().text;
    ASSERT_EQ(fetched, 3u);
    std::string products[3];
    for (int i = 0; i < 3; ++i) {
      ASSERT_EQ(rowset.Integer(1, i), first + i);
      products[i] = rowset.Value(2, i);
      rowset.SetText(2, i, c.operation == SQL_UPDATE ? "Forward " + std::to_string(first + i) : "scribbled");
      rowset.Length(3, i) = SQL_COLUMN_IGNORE;
      std::memset(rowset.Value(0, i), 0, sizeof(SQLINTEGER));
    }
    if (c.cancelled) rowset.Length(2, 1) = SQL_LEN_DATA_AT_EXEC(0);
    const SQLRETURN result = SQLSetPos(statement, c.row, c.operation, SQL_LOCK_NO_CHANGE);
    if (c.cancelled) {
      ASSERT_EQ(result, SQL_NEED_DATA) << Problem().text;
      ASSERT_EQ(SQLCancel(statement), SQL_SUCCESS);
    } else {
      ASSERT_EQ(result, SQL_SUCCESS) << Problem().text;
    }
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(statuses[i], c.status[i]) << i;
      if (c.operation == SQL_REFRESH) {
        EXPECT_EQ(rowset.Value(2, i), products[i]) << i;
        EXPECT_EQ(rowset.Integer(0, i), i + 1) << i;  // the row's bookmark
      }
    }
    ASSERT_EQ(SQLFetch(statement), SQL_SUCCESS) << Problem().text;
    EXPECT_EQ(fetched, 1u);
    EXPECT_EQ(rowset.Integer(1, 0), first + 3);
    // That rowset ran past the end of the result; its row can be acted on too.
    std::memset(rowset.Value(1, 0), 0, sizeof(SQLINTEGER));
    ASSERT_EQ(SQLSetPos(statement, 1, SQL_REFRESH, SQL_LOCK_NO_CHANGE), SQL_SUCCESS) << Problem().text;
    EXPECT_EQ(rowset.Integer(1, 0), first + 3);
    ASSERT_EQ(Commit(), SQL_SUCCESS);
    for (int i = 0; i < 3; ++i) {
      const std::string expected[] = {products[i], "Forward " + std::to_string(first + i), "(no row)"};
      EXPECT_EQ(ProductOf(first + i), expected[c.outcome[i]]) << i;
    }
    first += 4;
  }
}

// A forward-only cursor read one row at a time stands on its second row:
// SQLSetPos(1) refreshes or renames that row's record, not the one before
// it, also after a row was added there (the table must not stay on the new
// record); and the next SQLFetch reads the third row. Rows stream, or come
// from an ORDER BY's result file.
TEST_F(PositionedTest, ForwardOnlyCursorActsOnTheRowItStandsOn) {
  struct Case {
    const char* orderBy;
    bool addFirst;
    SQLUSMALLINT operation;
  };
  // The service sorts by record id alone; a second key keeps the sort here.
  const char* const ordered = " ORDER BY \"Record ID_\", Product";
  const Case cases[] = {{"", false, SQL_REFRESH},    {"", false, SQL_UPDATE},    {"", true, SQL_REFRESH},
                        {"", true, SQL_UPDATE},      {ordered, false, SQL_REFRESH}, {ordered, false, SQL_UPDATE},
                        {ordered, true, SQL_REFRESH}, {ordered, true, SQL_UPDATE}};
  int first = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE("records from " + std::to_string(first));
    NewStatement();
    Rowset rowset(kLineColumns, true, 1);
    rowset.Bind(statement);
    ASSERT_EQ(Open(LinesFrom(first, c.orderBy), SQL_CURSOR_FORWARD_ONLY), SQL_SUCCESS) << Problem().text;
    ASSERT_EQ(SQLFetch(statement), SQL_SUCCESS) << Problem().text;
    const std::string firstProduct = rowset.Value(2, 0);
    ASSERT_EQ(SQLFetch(statement), SQL_SUCCESS) << Problem().text;
    const std::string secondProduct = rowset.Value(2, 0);
    const std::string added = "Added " + std::to_string(first);
    rowset.Length(1, 0) = SQL_COLUMN_IGNORE;
    rowset.Length(3, 0) = SQL_COLUMN_IGNORE;
    if (c.addFirst) {
      rowset.SetText(2, 0, added);
      ASSERT_EQ(SQLSetPos(statement, 1, SQL_ADD, SQL_LOCK_NO_CHANGE), SQL_SUCCESS) << Problem().text;
      char product[64] = "";
      SQLLEN length = 0;
      ASSERT_EQ(SQLGetData(statement, 2, SQL_C_CHAR, product, sizeof product, &length), SQL_SUCCESS);
      EXPECT_EQ(product, secondProduct);
    }
    const std::string renamed = "Renamed " + std::to_string(first);
    rowset.SetText(2, 0, c.operation == SQL_UPDATE ? renamed : "scribbled");
    ASSERT_EQ(SQLSetPos(statement, 1, c.operation, SQL_LOCK_NO_CHANGE), SQL_SUCCESS) << Problem().text;
    if (c.operation == SQL_REFRESH) {
      EXPECT_EQ(rowset.Integer(1, 0), first + 1);
      EXPECT_EQ(rowset.Value(2, 0), secondProduct);
    }
    ASSERT_EQ(SQLFetch(statement), SQL_SUCCESS) << Problem().text;
    EXPECT_EQ(rowset.Integer(1, 0), first + 2);
    ASSERT_EQ(Commit(), SQL_SUCCESS);
    EXPECT_EQ(ProductOf(first), firstProduct);
    EXPECT_EQ(ProductOf(first + 1), c.operation == SQL_UPDATE ? renamed : secondProduct);
    if (c.addFirst) {
      EXPECT_EQ(CountOf("WHERE Product = '" + added + "'"), 1);
    }
    first += 3;
  }
}

// The refusals, each case breaking the rules from its own onwards, so that
// only the first check in the order may answer.
TEST_F(PositionedTest, RefusalsComeInTheirOrder) {
  const std::string join = "SELECT l.Product FROM \"Sales: Order Lines\" l INNER JOIN \"Sales: Orders\" o ON "
                           "l.\"Related Order\" = o.\"Record ID_\" WHERE l.\"Record ID_\" <= 2";
  const std::string grouped = "SELECT l.Product FROM \"Sales: Order Lines\" l, \"Sales: Orders\" o WHERE "
                              "l.\"Related Order\" = o.\"Record ID_\" AND l.\"Record ID_\" <= 2 GROUP BY l.Product";
  struct Case {
    const char* name;
    std::string sql;
    SQLULEN cursorType;
    SQLULEN concurrency;
    SQLSETPOSIROW row;
    SQLUSMALLINT lock;
    SQLSMALLINT bulkOperation;  // 0: SQLSetPos(row, SQL_UPDATE, lock)
    const char* text;
  };
  const Case cases[] = {
      {"lock type", grouped, SQL_CURSOR_STATIC, SQL_CONCUR_READ_ONLY, 2, SQL_LOCK_EXCLUSIVE, 0, "Driver not capable"},
      {"GROUP BY", grouped, SQL_CURSOR_STATIC, SQL_CONCUR_READ_ONLY, 2, SQL_LOCK_NO_CHANGE, 0, "Not supported"},
      {"row 2", join, SQL_CURSOR_STATIC, SQL_CONCUR_READ_ONLY, 2, SQL_LOCK_NO_CHANGE, 0, "Row value out of range"},
      {"read-only", join, SQL_CURSOR_STATIC, SQL_CONCUR_READ_ONLY, 1, SQL_LOCK_NO_CHANGE, 0, "Cursor is read-only"},
      {"join", join, SQL_CURSOR_STATIC, SQL_CONCUR_LOCK, 1, SQL_LOCK_NO_CHANGE, 0, "Driver not capable"},
      {"expression", "SELECT Quantity * 2 FROM \"Sales: Order Lines\"", SQL_CURSOR_STATIC, SQL_CONCUR_LOCK, 1,
       SQL_LOCK_NO_CHANGE, 0, "Cannot assign value to an expression"},
      {"bookmarks, forward-only", kFirstLines, SQL_CURSOR_FORWARD_ONLY, SQL_CONCUR_LOCK, 1, SQL_LOCK_NO_CHANGE,
       SQL_UPDATE_BY_BOOKMARK, "Invalid attribute identifier"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    NewStatement();
    char value[64] = "";
    SQLLEN length = 0;
    SQLINTEGER bookmark = 0;
    SQLLEN bookmarkLength = 0;
    ASSERT_EQ(Open(c.sql, c.cursorType, c.concurrency), SQL_SUCCESS) << Problem().text;
    SQLBindCol(statement, 0, SQL_C_VARBOOKMARK, &bookmark, sizeof bookmark, &bookmarkLength);
    SQLBindCol(statement, 1, SQL_C_CHAR, value, sizeof value, &length);
    ASSERT_EQ(SQLFetch(statement), SQL_SUCCESS) << Problem().text;
    ClearLog();
    const SQLRETURN result = c.bulkOperation != 0 ? SQLBulkOperations(statement, c.bulkOperation)
                                                  : SQLSetPos(statement, c.row, SQL_UPDATE, c.lock);
    EXPECT_EQ(result, SQL_ERROR);
    EXPECT_TRUE(Holds(Problem().text, c.text)) << Problem().text;
    EXPECT_EQ(LoggedRequests(emulator, "").size(), 0u);
  }
}

// A bound formula field holding its own value stays out of the write; any
// other value in it fails the row with 1044's text.
TEST_F(PositionedTest, AFormulaFieldIsWrittenOnlyWhenUnchanged) {
  const char* orders = "SELECT \"Order No\", \"Net Amount\" FROM \"Sales: Orders\" WHERE \"Record ID_\" = 1";
  const std::vector<Column> columns = {{1, SQL_C_CHAR, 16, false}, {2, SQL_C_DOUBLE, sizeof(double), true}};
  Rowset rowset(columns, true, 1);
  rowset.Bind(statement);
  ASSERT_EQ(Open(orders), SQL_SUCCESS) << Problem().text;
  ASSERT_EQ(SQLFetchScroll(statement, SQL_FETCH_FIRST, 0), SQL_SUCCESS);
  rowset.SetText(1, 0, "SO-0001-A");
  ASSERT_EQ(SQLSetPos(statement, 1, SQL_UPDATE, SQL_LOCK_NO_CHANGE), SQL_SUCCESS) << Problem().text;
  EXPECT_EQ(statuses[0], SQL_ROW_UPDATED);

  *reinterpret_cast<double*>(rowset.Value(2, 0)) += 1;
  EXPECT_EQ(SQLSetPos(statement, 1, SQL_UPDATE, SQL_LOCK_NO_CHANGE), SQL_ERROR);
  EXPECT_EQ(statuses[0], SQL_ROW_ERROR);
  EXPECT_TRUE(Holds(Problem().text, "Field 'Net Amount' cannot be written.")) << Problem().text;
  ClearLog();
  ASSERT_EQ(Commit(), SQL_SUCCESS);
  const std::vector<std::string> imports = Imports();
  ASSERT_EQ(imports.size(), 1u);
  EXPECT_TRUE(Holds(imports[0], R"(1,\"SO-0001-A\")")) << imports[0];
  EXPECT_TRUE(Holds(imports[0], "<clist>3.6</clist>")) << imports[0];
}

// Rows with a new attachment go to the service at once, each on its own:
// one that the service refuses fails alone; a refused add appends nothing
// and hands out no bookmark.
TEST_F(PositionedTest, AttachmentsGoAtOnceAndARefusedRowFailsAlone) {
  const char* orders = "SELECT \"Order No\", Invoice FROM \"Sales: Orders\" WHERE \"Record ID_\" <= 3";
  const std::vector<Column> columns = {
      {0, SQL_C_VARBOOKMARK, 4, false}, {1, SQL_C_CHAR, 16, false}, {2, SQL_C_BINARY, 16, false}};
  Rowset rowset(columns, false, 3);
  rowset.Bind(statement);
  ASSERT_EQ(Open(orders), SQL_SUCCESS) << Problem().text;
  ASSERT_TRUE(SQL_SUCCEEDED(SQLFetchScroll(statement, SQL_FETCH_FIRST, 0))) << Problem().text;
  for (int i = 0; i < 3; ++i) {
    rowset.Length(1, i) = SQL_COLUMN_IGNORE;
    std::memcpy(rowset.Value(2, i), "new invoice", 11);
    rowset.Length(2, i) = 11;
  }
  ClearLog();
  Fault(R"({"action": "API_EditRecord", "errcode": 77})");
  EXPECT_EQ(SQLSetPos(statement, 0, SQL_UPDATE, SQL_LOCK_NO_CHANGE), SQL_SUCCESS_WITH_INFO);
  const SQLUSMALLINT expected[] = {SQL_ROW_ERROR, SQL_ROW_UPDATED, SQL_ROW_UPDATED};
  for (int i = 0; i < 3; ++i) EXPECT_EQ(statuses[i], expected[i]) << i;
  EXPECT_EQ(RowCount(), 2);
  EXPECT_EQ(LoggedRequests(emulator, "API_EditRecord").size(), 3u);

  rowset.SetText(1, 0, "SO-9999");
  const SQLINTEGER untouched = -1;
  std::memcpy(rowset.Value(0, 0), &untouched, sizeof untouched);
  Fault(R"({"action": "API_AddRecord", "errcode": 77})");
  EXPECT_EQ(SQLSetPos(statement, 1, SQL_ADD, SQL_LOCK_NO_CHANGE), SQL_ERROR);
  EXPECT_EQ(statuses[0], SQL_ROW_ERROR);
  EXPECT_EQ(rowset.Integer(0, 0), untouched);
  SQLINTEGER fourth = 4;  // the bookmark the refused row did not get
  SQLSetStmtAttr(statement, SQL_ATTR_FETCH_BOOKMARK_PTR, &fourth, 0);
  EXPECT_EQ(SQLFetchScroll(statement, SQL_FETCH_BOOKMARK, 0), SQL_ERROR);
  EXPECT_TRUE(Holds(Problem().text, "Invalid bookmark value")) << Problem().text;

  ASSERT_TRUE(SQL_SUCCEEDED(SQLFetchScroll(statement, SQL_FETCH_FIRST, 0)));
  rowset.SetText(1, 0, "SO-9999");
  std::memcpy(rowset.Value(2, 0), "new invoice", 11);
  rowset.Length(2, 0) = 11;
  ASSERT_EQ(SQLSetPos(statement, 1, SQL_ADD, SQL_LOCK_NO_CHANGE), SQL_SUCCESS) << Problem().text;
  EXPECT_EQ(rowset.Integer(0, 0), 4);

  // A row added without a file waits in the write cache; once it gains one
  // it goes out whole at once, and its bookmark still reaches it.
  rowset.SetText(1, 0, "SO-9998");
  rowset.Length(2, 0) = SQL_COLUMN_IGNORE;
  ASSERT_EQ(SQLSetPos(statement, 1, SQL_ADD, SQL_LOCK_NO_CHANGE), SQL_SUCCESS) << Problem().text;
  EXPECT_EQ(rowset.Integer(0, 0), 5);
  ASSERT_TRUE(SQL_SUCCEEDED(SQLFetchScroll(statement, SQL_FETCH_BOOKMARK, 0))) << Problem().text;
  EXPECT_STREQ(rowset.Value(1, 0), "SO-9999");
  ASSERT_EQ(fetched, 2u);
  rowset.Length(1, 1) = SQL_COLUMN_IGNORE;
  std::memcpy(rowset.Value(2, 1), "late invoice", 12);
  rowset.Length(2, 1) = 12;
  SQLUSMALLINT onlySecond[] = {SQL_ROW_IGNORE, SQL_ROW_PROCEED, SQL_ROW_IGNORE};
  SQLSetStmtAttr(statement, SQL_ATTR_ROW_OPERATION_PTR, onlySecond, 0);
  ASSERT_EQ(SQLSetPos(statement, 0, SQL_UPDATE, SQL_LOCK_NO_CHANGE), SQL_SUCCESS) << Problem().text;
  EXPECT_EQ(LoggedRequests(emulator, "API_AddRecord").size(), 3u);
  rowset.SetText(1, 1, "");
  ASSERT_TRUE(SQL_SUCCEEDED(SQLFetchScroll(statement, SQL_FETCH_BOOKMARK, 0))) << Problem().text;
  EXPECT_EQ(statuses[1], SQL_ROW_SUCCESS);
  EXPECT_STREQ(rowset.Value(1, 1), "SO-9998");
  ASSERT_EQ(Commit(), SQL_SUCCESS);
  EXPECT_TRUE(Imports().empty());
}

// A pending insert that gains a file goes out whole at once. When that add's
// reply is lost the service may hold the row, so it leaves the pending
// writes: the commit does not import it again.
TEST_F(PositionedTest, APendingInsertWhoseAddWentUnansweredIsNotImportedAgain) {
  const std::string insert = "INSERT INTO \"Sales: Orders\" (\"Order No\") VALUES ('SO-7777')";
  ASSERT_EQ(SQLExecDirect(statement, (SQLCHAR*)insert.c_str(), SQL_NTS), SQL_SUCCESS) << Problem().text;
  NewStatement();
  Rowset rowset({{1, SQL_C_CHAR, 16, false}, {2, SQL_C_BINARY, 16, false}}, true, 1);
  rowset.Bind(statement);
  ASSERT_EQ(Open("SELECT \"Order No\", Invoice FROM \"Sales: Orders\" WHERE \"Order No\" = 'SO-7777'"), SQL_SUCCESS)
      << Problem().text;
  ASSERT_EQ(SQLFetchScroll(statement, SQL_FETCH_FIRST, 0), SQL_SUCCESS) << Problem().text;
  rowset.Length(1, 0) = SQL_COLUMN_IGNORE;
  std::memcpy(rowset.Value(2, 0), "invoice", 7);
  rowset.Length(2, 0) = 7;
  ClearLog();
  Fault(R"({"action": "API_AddRecord", "drop_after": true})");
  EXPECT_EQ(SQLSetPos(statement, 1, SQL_UPDATE, SQL_LOCK_NO_CHANGE), SQL_ERROR);
  EXPECT_EQ(Problem().state, "08007");
  EXPECT_TRUE(Holds(Problem().text, "'Sales: Orders' 1 unknown")) << Problem().text;
  ASSERT_EQ(Commit(), SQL_SUCCESS);
  EXPECT_TRUE(Imports().empty());
  EXPECT_EQ(ServiceRecords(emulator, "bjf9xufbz", "6", "{6.EX.'SO-7777'}").size(), 1u);
}

// Another user commits new quantities for the rows this connection fetched;
// this connection then changes products only, some by case alone ('Gadget'
// to 'GADGET', equal to SQL, is a change). A positioned update writes only
// what the application changed since the fetch, so the other user's
// quantities stay, and a row not changed at all sends nothing yet reads
// updated. An update by bookmark writes every bound column: the quantity
// fetched wins there.
TEST_F(PositionedTest, AnUpdateLeavesWhatTheApplicationDidNotChangeToOtherUsers) {
  enum Call { kSetPosFirst, kSetPosEvery, kByBookmark };
  const struct {
    SQLULEN cursorType;
    int rows;
    Call call;
    std::vector<bool> changed;
  } cases[] = {
      {SQL_CURSOR_STATIC, 1, kSetPosFirst, {true}},
      {SQL_CURSOR_FORWARD_ONLY, 3, kSetPosEvery, {true, false, true}},
      {SQL_CURSOR_STATIC, 2, kByBookmark, {true, true}},
  };
  int first = 1;
  for (const auto& c : cases) {
    SCOPED_TRACE("records from " + std::to_string(first));
    const int last = first + c.rows - 1;
    NewStatement();
    Rowset rowset(kLineColumns, true, c.rows);
    rowset.Bind(statement);
    ASSERT_EQ(Open(LinesFrom(first), c.cursorType), SQL_SUCCESS) << Problem().text;
    ASSERT_EQ(c.cursorType == SQL_CURSOR_STATIC ? SQLFetchScroll(statement, SQL_FETCH_FIRST, 0) : SQLFetch(statement),
              SQL_SUCCESS)
        << Problem().text;
    std::vector<std::string> expected = StoredLines(first, last);
    AnotherUser(std::string("UPDATE ") + kLines + " SET Quantity = 42 WHERE \"Record ID_\" >= " +
                std::to_string(first) + " AND \"Record ID_\" <= " + std::to_string(last));
    for (int i = 0; i < c.rows; ++i) {
      std::string product = rowset.Value(2, i);
      if (c.changed[i]) {
        for (char& ch : product) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        rowset.SetText(2, i, product);
      }
      std::string& line = expected[static_cast<std::size_t>(i)];
      const std::size_t tab = line.find('\t');
      line = line.substr(0, tab + 1) + product + (c.call == kByBookmark ? line.substr(line.rfind('\t')) : "\t42");
    }
    const SQLRETURN result = c.call == kByBookmark ? SQLBulkOperations(statement, SQL_UPDATE_BY_BOOKMARK)
                                                   : SQLSetPos(statement, c.call == kSetPosFirst ? 1 : 0, SQL_UPDATE,
                                                               SQL_LOCK_NO_CHANGE);
    ASSERT_EQ(result, SQL_SUCCESS) << Problem().text;
    for (int i = 0; i < c.rows; ++i) EXPECT_EQ(statuses[i], SQL_ROW_UPDATED) << i;
    ASSERT_EQ(Commit(), SQL_SUCCESS);
    EXPECT_EQ(StoredLines(first, last), expected);
    first += 4;
  }
}

// What an update wrote is what the row holds from then on: a later update
// of another column of the row does not write the first one again over what
// another user committed to it in between.
TEST_F(OneLine, AnUpdateDeliversWhatItWroteToTheRow) {
  OpenAt(2);
  rowset.SetText(2, 0, "Mine");
  ASSERT_EQ(SQLSetPos(statement, 1, SQL_UPDATE, SQL_LOCK_NO_CHANGE), SQL_SUCCESS) << Problem().text;
  ASSERT_TRUE(SQL_SUCCEEDED(RunOn(handles->connection, "INSERT INTO \"TARVOX CONNECTION CONFIG\" (qPARAMETER, "
                                                        "qVALUE) VALUES ('FLUSH_THIS_DBID_CACHE_TO_QUICKBASE', "
                                                        "'Sales: Order Lines')")));
  AnotherUser(std::string("UPDATE ") + kLines + " SET Product = 'Theirs' WHERE \"Record ID_\" = 2");
  const double quantity = 7;
  std::memcpy(rowset.Value(3, 0), &quantity, sizeof quantity);
  rowset.Length(3, 0) = 0;
  ASSERT_EQ(SQLSetPos(statement, 1, SQL_UPDATE, SQL_LOCK_NO_CHANGE), SQL_SUCCESS) << Problem().text;
  ASSERT_EQ(Commit(), SQL_SUCCESS);
  EXPECT_EQ(StoredLines(2, 2), std::vector<std::string>{"2\tTheirs\t7"});
}

}  // namespace
