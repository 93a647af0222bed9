// Text that travels in pieces or holds carriage returns, through the Driver
// Manager: SQLGetData into buffers too small for one whole character always
// moves on and the pieces join into the value, a wide value sent with
// SQLPutData (as a parameter or a positioned update's column) may split a
// surrogate pair between pieces, and CR and CRLF
// are stored and read back as written.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "demo_data_source.h"

namespace {

constexpr const char* kCustomers = "\"Sales: Customers\"";
constexpr const char* kCustomersDbid = "bii6tyqgm";

struct TextPiecesTest : DemoConnectionTest {
  std::string State() { return ReadDiagnostic(SQL_HANDLE_STMT, statement).state; }
  SQLRETURN Direct(const std::string& sql) { return SQLExecDirect(statement, (SQLCHAR*)sql.c_str(), SQL_NTS); }
};

// The bytes a piece put before its terminator.
std::size_t PieceLength(const std::vector<char>& buffer, SQLSMALLINT cType) {
  if (cType == SQL_C_CHAR) return std::strlen(buffer.data());
  std::size_t length = 0;
  while (length + 1 < buffer.size() && (buffer[length] != 0 || buffer[length + 1] != 0)) length += 2;
  return length;
}

// Every piece of one column; fails the test when a call delivers nothing
// and doesn't end the value, or when the calls don't end.
std::string ReadInPieces(SQLHSTMT statement, SQLUSMALLINT column, SQLSMALLINT cType, SQLLEN size) {
  std::string joined;
  std::vector<char> buffer(static_cast<std::size_t>(size));
  for (int call = 0; call < 400; ++call) {
    SQLLEN length = 0;
    const SQLRETURN result = SQLGetData(statement, column, cType, buffer.data(), size, &length);
    if (result == SQL_NO_DATA) return joined;
    EXPECT_TRUE(SQL_SUCCEEDED(result)) << ReadDiagnostic(SQL_HANDLE_STMT, statement).text;
    if (result == SQL_SUCCESS) return joined + std::string(buffer.data(), static_cast<std::size_t>(length));
    const std::size_t piece = PieceLength(buffer, cType);
    EXPECT_GT(piece, 0u) << "call " << call << " delivered nothing";
    if (piece == 0 || result != SQL_SUCCESS_WITH_INFO) return joined;
    joined.append(buffer.data(), piece);
  }
  ADD_FAILURE() << "the pieces never ended";
  return joined;
}

// Values whose characters take 2 and 4 bytes (two UTF-16 units), read
// through every buffer that has room for one byte or unit besides the
// terminator but not for one whole character.
TEST_F(TextPiecesTest, SQLGetDataInPiecesAlwaysMovesOn) {
  const std::string values[] = {"\xC3\xA9", "a\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80\xF0\x9F\x98\x81\xF0\x9F\x98\x82"};
  const std::string sql = "SELECT '" + values[0] + "', '" + values[1] + "', '" + values[2] + "' FROM " +
                          kCustomers + " WHERE \"Record ID_\" = 1";
  // The wide forms, read whole, are what the wide pieces must join into.
  ASSERT_EQ(Direct(sql), SQL_SUCCESS) << State();
  ASSERT_EQ(SQLFetch(statement), SQL_SUCCESS);
  std::vector<std::string> wide;
  for (SQLUSMALLINT column = 1; column <= 3; ++column) wide.push_back(ReadInPieces(statement, column, SQL_C_WCHAR, 64));
  SQLCloseCursor(statement);
  EXPECT_EQ(wide[1], std::string("a\0\x3D\xD8\x00\xDE", 6));
  const struct {
    SQLSMALLINT cType;
    SQLLEN size;
  } buffers[] = {{SQL_C_CHAR, 2}, {SQL_C_CHAR, 3}, {SQL_C_CHAR, 4}, {SQL_C_CHAR, 5}, {SQL_C_WCHAR, 4},
                 {SQL_C_WCHAR, 6}};
  for (const auto& b : buffers) {
    SCOPED_TRACE((b.cType == SQL_C_CHAR ? "SQL_C_CHAR into " : "SQL_C_WCHAR into ") + std::to_string(b.size));
    ASSERT_EQ(Direct(sql), SQL_SUCCESS) << State();
    ASSERT_EQ(SQLFetch(statement), SQL_SUCCESS);
    for (SQLUSMALLINT column = 1; column <= 3; ++column)
      EXPECT_EQ(ReadInPieces(statement, column, b.cType, b.size), b.cType == SQL_C_CHAR ? values[column - 1]
                                                                                         : wide[column - 1])
          << "column " << column;
    SQLCloseCursor(statement);
  }
}

// Wide values sent in pieces split inside a surrogate pair, and what they
// join into; half a pair at the end of the last piece is refused (nullptr).
const struct {
  std::vector<std::vector<SQLWCHAR>> pieces;
  const char* stored;
} kWidePieces[] = {
    {{{'X', 0xD83D}, {0xDE00, 'Y'}}, "X\xF0\x9F\x98\x80Y"},
    {{{0xD83D}, {0xDE01}, {'Z'}}, "\xF0\x9F\x98\x81Z"},
    {{{'W', 0xD83D}}, nullptr},
};

// Asks for the awaited value and sends its pieces, then ends the sequence:
// SQL_SUCCESS, or SQL_ERROR with 22018 for a value the pieces leave half a
// pair in.
void SendWidePieces(SQLHSTMT statement, const std::vector<std::vector<SQLWCHAR>>& pieces, bool refused) {
  SQLPOINTER token = nullptr;
  ASSERT_EQ(SQLParamData(statement, &token), SQL_NEED_DATA) << ReadDiagnostic(SQL_HANDLE_STMT, statement).text;
  for (const auto& piece : pieces)
    ASSERT_EQ(SQLPutData(statement, (SQLPOINTER)piece.data(), static_cast<SQLLEN>(piece.size() * 2)), SQL_SUCCESS)
        << ReadDiagnostic(SQL_HANDLE_STMT, statement).text;
  const SQLRETURN result = SQLParamData(statement, &token);
  const Diagnostic diagnostic = ReadDiagnostic(SQL_HANDLE_STMT, statement);
  EXPECT_EQ(result, refused ? SQL_ERROR : SQL_SUCCESS) << diagnostic.text;
  if (refused) {
    EXPECT_EQ(diagnostic.state, "22018");
  }
}

// A wide parameter sent at execution arrives whole; a refused one sends nothing.
TEST_F(TextPiecesTest, WideDataAtExecutionJoinsSurrogateHalves) {
  const std::string sql = std::string("INSERT INTO ") + kCustomers + " (Name) VALUES (?)";
  ASSERT_EQ(SQLPrepare(statement, (SQLCHAR*)sql.c_str(), SQL_NTS), SQL_SUCCESS) << State();
  SQLLEN atExecution = SQL_LEN_DATA_AT_EXEC(0);
  ASSERT_EQ(SQLBindParameter(statement, 1, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR, 80, 0, &atExecution, 0,
                             &atExecution),
            SQL_SUCCESS);
  for (const auto& c : kWidePieces) {
    ClearLog();
    ASSERT_EQ(SQLExecute(statement), SQL_NEED_DATA) << State();
    SendWidePieces(statement, c.pieces, c.stored == nullptr);
    if (c.stored == nullptr) {
      EXPECT_TRUE(LoggedRequests(emulator, "API_ImportFromCSV").empty());
      continue;
    }
    const std::string query = std::string("{6.EX.'") + c.stored + "'}";
    EXPECT_EQ(ServiceRecords(emulator, kCustomersDbid, "6", query).size(), 1u) << c.stored;
  }
}

// The same through a positioned update: the fetched row's Name, bound as
// wide text, is sent at execution; a refused one leaves the Name as it was.
TEST_F(TextPiecesTest, WidePositionedDataAtExecutionJoinsSurrogateHalves) {
  SQLSetStmtAttr(statement, SQL_ATTR_CURSOR_TYPE, reinterpret_cast<SQLPOINTER>(SQL_CURSOR_STATIC), 0);
  SQLSetStmtAttr(statement, SQL_ATTR_CONCURRENCY, reinterpret_cast<SQLPOINTER>(SQL_CONCUR_LOCK), 0);
  const std::string sql = std::string("SELECT Name FROM ") + kCustomers + " WHERE \"Record ID_\" = 1";
  for (const auto& c : kWidePieces) {
    const std::vector<std::string> before = ServiceRecords(emulator, kCustomersDbid, "6", "{3.EX.'1'}");
    ASSERT_EQ(Direct(sql), SQL_SUCCESS) << State();
    SQLWCHAR name[81] = {0};
    SQLLEN length = 0;
    SQLBindCol(statement, 1, SQL_C_WCHAR, name, sizeof name, &length);
    ASSERT_EQ(SQLFetch(statement), SQL_SUCCESS) << State();
    length = SQL_LEN_DATA_AT_EXEC(0);
    ASSERT_EQ(SQLSetPos(statement, 1, SQL_UPDATE, SQL_LOCK_NO_CHANGE), SQL_NEED_DATA) << State();
    SendWidePieces(statement, c.pieces, c.stored == nullptr);
    // Under autocommit the row goes out when the cursor closes.
    ASSERT_EQ(SQLCloseCursor(statement), SQL_SUCCESS) << State();
    SQLFreeStmt(statement, SQL_UNBIND);
    EXPECT_EQ(ServiceRecords(emulator, kCustomersDbid, "6", "{3.EX.'1'}"),
              c.stored == nullptr ? before : std::vector<std::string>{c.stored});
  }
}

// CR and CRLF are stored as written, read back as written, and a text
// written back as it was read changes nothing.
TEST_F(TextPiecesTest, CarriageReturnsRoundTrip) {
  const std::string notes[] = {"crlf\r\nline", "lone\rcr", "\r\n\r"};
  for (const std::string& note : notes) {
    const std::string name = "CR " + std::to_string(&note - notes);
    ASSERT_EQ(Direct(std::string("INSERT INTO ") + kCustomers + " (Name, Notes) VALUES ('" + name + "', '" + note +
                     "')"),
              SQL_SUCCESS)
        << State();
    ASSERT_EQ(Direct(std::string("UPDATE ") + kCustomers + " SET Notes = Notes WHERE Name = '" + name + "'"),
              SQL_SUCCESS)
        << State();
    EXPECT_EQ(ServiceRecords(emulator, kCustomersDbid, "6", "{10.EX.'" + note + "'}"),
              std::vector<std::string>{name});
    ASSERT_EQ(Direct(std::string("SELECT Notes FROM ") + kCustomers + " WHERE Name = '" + name + "'"), SQL_SUCCESS);
    EXPECT_EQ(FetchRowsAsText(statement), std::vector<std::vector<std::string>>{{note}}) << name;
  }
}

}  // namespace
