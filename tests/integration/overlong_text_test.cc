// Texts longer than their column through the Driver Manager: the service
// keeps what was stored when a field's size is lowered, and every clause reads
// such a value whole, or says where it can't.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "odbc_test_support.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;

// S and T are stored at up to 10 characters, then lowered to 5 and 2, so a
// sort record's four bytes a character hold every S whole and no long T.
constexpr const char* kFixture = R"({"apps": [{"name": "Wide", "users": ["alice"], "tables": [
 {"name": "Notes", "dbid": "bwidetxt2", "fields": [
   {"fid": 6, "label": "Id", "type": "float"},
   {"fid": 7, "label": "S", "type": "text", "properties": {"maxlength": 20}},
   {"fid": 8, "label": "T", "type": "text", "properties": {"maxlength": 20}}],
  "records": [
   {"6": 1, "7": "abcdefghij", "8": "abcdefgh12"},
   {"6": 2, "7": "abcdeXYZ", "8": "abcdefgh34"},
   {"6": 3, "7": "abc", "8": "ab"},
   {"6": 4, "7": "abcde", "8": "x"},
   {"6": 5, "7": "abcdefghij", "8": "abcdefgh34"}]},
 {"name": "Tags", "dbid": "bwidetags", "fields": [
   {"fid": 6, "label": "Name", "type": "text", "properties": {"maxlength": 20}},
   {"fid": 7, "label": "Label", "type": "text"}],
  "records": [{"6": "abcdefghij", "7": "long"}, {"6": "abcde", "7": "short"}, {"6": "abcdeXYZ", "7": "xyz"}]}]}]})";

constexpr SQLULEN kForward = SQL_CURSOR_FORWARD_ONLY;
constexpr SQLULEN kStatic = SQL_CURSOR_STATIC;

struct Case {
  std::string sql;
  SQLULEN cursor;
  Rows rows;                          // a query's rows; a write's row count
  std::string diagnostic;             // "" or the SQLSTATE, a blank and the column the message names
  std::vector<std::string> records;   // after a write: Id, S and T as the service holds them
  SQLLEN buffer = 64;                 // bytes of the buffer each value is fetched into
};

struct OverlongTextTest : ::testing::Test {
  TempFolder folder;
  Emulator emulator{folder};
  std::unique_ptr<OdbcHandles> handles;

  void SetUp() override {
    ASSERT_NE(emulator.port, 0);
    const std::string path = folder.path + "/wide.json";
    std::ofstream(path) << kFixture;
    RunCommand("curl -s -X POST -H 'Content-Type: application/json' --data-binary @" + path + " " +
               emulator.HttpUrl() + "/_emulator/fixture");
    LowerFieldSize("7", "5");
    LowerFieldSize("8", "2");
    WriteOdbcFiles(folder, {"QUICKBASESERVER=" + emulator.HttpUrl(), "UID=alice", "PWD=wonderland"});
    handles = std::make_unique<OdbcHandles>();
    ASSERT_TRUE(SQL_SUCCEEDED(handles->Connect("demo"))) << handles->ConnectionDiagnostic().text;
  }

  void LowerFieldSize(const std::string& fid, const std::string& size) {
    const std::string body = "<qdbapi><usertoken>b7d2c9_demo_alice_token</usertoken><fid>" + fid +
                             "</fid><maxlength>" + size + "</maxlength></qdbapi>";
    const std::string reply = RunCommand("curl -s -X POST -H 'QUICKBASE-ACTION: API_SetFieldProperties' --data '" +
                                         body + "' " + emulator.HttpUrl() + "/db/bwidetxt2");
    ASSERT_NE(reply.find("<errcode>0</errcode>"), std::string::npos) << reply;
  }

  // Runs the case on a statement of its cursor type: the rows (or the row
  // count), and the first warning or failure as "SQLSTATE column". With a
  // parameter, the SQL's one marker is bound to it as a C program binds a
  // text, executed directly or prepared.
  void Run(const Case& c, Rows& rows, std::string& diagnostic, const char* parameter = nullptr,
           bool prepared = false) {
    SQLHSTMT statement = SQL_NULL_HSTMT;
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, handles->connection, &statement), SQL_SUCCESS);
    SQLSetStmtAttr(statement, SQL_ATTR_CURSOR_TYPE, reinterpret_cast<SQLPOINTER>(c.cursor), 0);
    SQLLEN terminated = SQL_NTS;
    if (parameter != nullptr)
      SQLBindParameter(statement, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 200, 0, (SQLPOINTER)parameter, 0,
                       &terminated);
    auto note = [&](SQLRETURN result) {
      if (result != SQL_SUCCESS && result != SQL_NO_DATA && diagnostic.empty()) {
        const Diagnostic d = ReadDiagnostic(SQL_HANDLE_STMT, statement);
        diagnostic = d.state + " " + d.text.substr(d.text.rfind(' ') + 1);
      }
      return result;
    };
    const SQLRETURN executed =
        note(prepared && SQLPrepare(statement, (SQLCHAR*)c.sql.c_str(), SQL_NTS) == SQL_SUCCESS
                 ? SQLExecute(statement)
                 : SQLExecDirect(statement, (SQLCHAR*)c.sql.c_str(), SQL_NTS));
    SQLSMALLINT columns = 0;
    if (SQL_SUCCEEDED(executed)) SQLNumResultCols(statement, &columns);
    if (SQL_SUCCEEDED(executed) && columns == 0) {
      SQLLEN count = 0;
      SQLRowCount(statement, &count);
      rows.push_back({std::to_string(count)});
    }
    while (columns > 0 && SQL_SUCCEEDED(SQLFetch(statement))) {
      std::vector<std::string> row;
      for (SQLUSMALLINT column = 1; column <= columns; ++column) {
        std::vector<char> value(static_cast<std::size_t>(c.buffer), '\0');
        SQLLEN indicator = 0;
        note(SQLGetData(statement, column, SQL_C_CHAR, value.data(), c.buffer, &indicator));
        row.push_back(indicator == SQL_NULL_DATA ? "NULL" : value.data());
      }
      rows.push_back(row);
    }
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
  }
};

TEST_F(OverlongTextTest, EveryClauseReadsTheWholeValueOrSaysWhereItCant) {
  auto notes = [](const std::string& head, const std::string& tail) { return head + " \"Wide: Notes\" " + tail; };
  const Rows longRows = {{"1"}, {"5"}};
  const Case cases[] = {
      {notes("SELECT Id FROM", "WHERE S = 'abcdefghij' ORDER BY Id"), kForward, longRows, "", {}},
      {notes("SELECT Id FROM", "WHERE S = 'abcdefghij' ORDER BY Id"), kStatic, longRows, "", {}},
      {notes("SELECT Id FROM", "WHERE S LIKE 'abcde%' ORDER BY Id"), kForward, {{"1"}, {"2"}, {"4"}, {"5"}}, "", {}},
      {notes("SELECT Id FROM", "WHERE S LIKE '%ghij' ORDER BY Id"), kStatic, longRows, "", {}},
      {notes("SELECT Id FROM", "WHERE {fn UCASE(S)} = 'ABCDEFGHIJ' ORDER BY Id"), kForward, longRows, "", {}},
      {notes("SELECT n.Id, g.Label FROM", "n INNER JOIN \"Wide: Tags\" g ON n.S = g.Name ORDER BY n.Id"), kForward,
       {{"1", "long"}, {"2", "xyz"}, {"4", "short"}, {"5", "long"}}, "", {}},
      {notes("SELECT S, COUNT(*) FROM", "GROUP BY S"), kForward,
       {{"abc", "1"}, {"abcde", "1"}, {"abcdefghij", "2"}, {"abcdeXYZ", "1"}}, "", {}},
      {notes("SELECT S FROM", "GROUP BY S HAVING S LIKE '%ghij'"), kForward, {{"abcdefghij"}}, "", {}},
      {notes("SELECT DISTINCT S FROM", ""), kForward, {{"abc"}, {"abcde"}, {"abcdefghij"}, {"abcdeXYZ"}}, "", {}},
      {notes("SELECT S FROM", "ORDER BY S DESC, Id"), kStatic,
       {{"abcdeXYZ"}, {"abcdefghij"}, {"abcdefghij"}, {"abcde"}, {"abc"}}, "", {}},
      // T's sort key holds 8 bytes: the rows are ordered by them, with a warning.
      {notes("SELECT Id FROM", "ORDER BY T, Id"), kForward, {{"3"}, {"1"}, {"2"}, {"5"}, {"4"}}, "01004 T", {}},
      {notes("SELECT T, COUNT(*) FROM", "GROUP BY T"), kForward, {}, "HY000 T", {}},
      {notes("SELECT DISTINCT T FROM", ""), kForward, {}, "HY000 T", {}},
      {notes("SELECT MAX(T) FROM", ""), kForward, {}, "HY000 T", {}},
      {notes("SELECT S FROM", "WHERE Id = 1"), kForward, {{"abcde"}}, "01004 truncated", {}, 6},
      // A value written back as the row holds it keeps its tail.
      {notes("UPDATE", "SET S = S, T = T WHERE Id = 1"), kForward, {{"1"}}, "",
       {"1\tabcdefghij\tabcdefgh12", "2\tabcdeXYZ\tabcdefgh34", "3\tabc\tab", "4\tabcde\tx",
        "5\tabcdefghij\tabcdefgh34"}},
      {notes("UPDATE", "SET Id = Id + 10 WHERE S LIKE 'abcdef%'"), kForward, {{"2"}}, "",
       {"11\tabcdefghij\tabcdefgh12", "2\tabcdeXYZ\tabcdefgh34", "3\tabc\tab", "4\tabcde\tx",
        "15\tabcdefghij\tabcdefgh34"}},
      {notes("DELETE FROM", "WHERE S LIKE 'abcdef%'"), kForward, {{"2"}}, "",
       {"2\tabcdeXYZ\tabcdefgh34", "3\tabc\tab", "4\tabcde\tx"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sql + (c.cursor == kStatic ? " (static)" : " (forward-only)"));
    Rows rows;
    std::string diagnostic;
    Run(c, rows, diagnostic);
    EXPECT_EQ(rows, c.rows);
    EXPECT_EQ(diagnostic, c.diagnostic);
    if (!c.records.empty()) {
      EXPECT_EQ(ServiceRecords(emulator, "bwidetxt2", "6.7.8"), c.records);
    }
  }
}

// A parameter compares whole, as the literal of the same text, whatever the
// size of the column it meets: one longer than S matches nothing (cut to
// S's 5 characters, "abcdeZZZ" would find row 4's "abcde"), one equal to a
// value stored longer than S finds it, through the service's criteria and
// locally alike.
void CheckParametersCompareWhole(OverlongTextTest& test, bool prepared) {
  const std::vector<std::string> untouched = {"1\tabcdefghij\tabcdefgh12", "2\tabcdeXYZ\tabcdefgh34",
                                              "3\tabc\tab", "4\tabcde\tx", "5\tabcdefghij\tabcdefgh34"};
  const struct {
    Case c;
    const char* parameter;
  } cases[] = {
      {{"SELECT Id FROM \"Wide: Notes\" WHERE S = ? ORDER BY Id", kForward, {}, "", {}}, "abcdeZZZ"},
      {{"SELECT Id FROM \"Wide: Notes\" WHERE S IN ('none', ?) ORDER BY Id", kStatic, {}, "", {}}, "abcdeZZZ"},
      {{"SELECT Id FROM \"Wide: Notes\" WHERE S = ? ORDER BY Id", kForward, {{"1"}, {"5"}}, "", {}}, "abcdefghij"},
      {{"SELECT Id FROM \"Wide: Notes\" WHERE S LIKE ? ORDER BY Id", kStatic, {{"1"}, {"5"}}, "", {}}, "abcdef%"},
      {{"SELECT g.Label FROM \"Wide: Tags\" g WHERE g.Name IN (SELECT S FROM \"Wide: Notes\" WHERE S = ?)",
        kForward, {{"long"}}, "", {}},
       "abcdefghij"},
      {{"UPDATE \"Wide: Notes\" SET T = 'u' WHERE S = ?", kForward, {}, "", untouched}, "abcdeZZZ"},
      {{"DELETE FROM \"Wide: Notes\" WHERE S = ?", kForward, {}, "", untouched}, "abcdeZZZ"},
      {{"UPDATE \"Wide: Notes\" SET T = 'u' WHERE S = ?", kForward, {{"2"}}, "",
        {"1\tabcdefghij\tu", "2\tabcdeXYZ\tabcdefgh34", "3\tabc\tab", "4\tabcde\tx", "5\tabcdefghij\tu"}},
       "abcdefghij"},
      {{"DELETE FROM \"Wide: Notes\" WHERE S = ?", kForward, {{"2"}}, "",
        {"2\tabcdeXYZ\tabcdefgh34", "3\tabc\tab", "4\tabcde\tx"}},
       "abcdefghij"},
  };
  for (const auto& [c, parameter] : cases) {
    SCOPED_TRACE(c.sql + " with '" + parameter + (prepared ? "' (prepared)" : "' (direct)"));
    Rows rows;
    std::string diagnostic;
    test.Run(c, rows, diagnostic, parameter, prepared);
    EXPECT_EQ(rows, c.rows);
    EXPECT_EQ(diagnostic, c.diagnostic);
    if (!c.records.empty()) {
      EXPECT_EQ(ServiceRecords(test.emulator, "bwidetxt2", "6.7.8"), c.records);
    }
  }
}

TEST_F(OverlongTextTest, AParameterComparesWholeExecutedDirectly) { CheckParametersCompareWhole(*this, false); }

TEST_F(OverlongTextTest, AParameterComparesWholePrepared) { CheckParametersCompareWhole(*this, true); }

// A grid writes back every bound column of the row it changed: the texts it
// did not change keep their tails; a new text longer than its field's
// maxlength is refused (22001) and nothing of the row is written.
TEST_F(OverlongTextTest, APositionedUpdateWritesBackWhatTheRowHoldsWhole) {
  const struct {
    double newId;
    const char* newS;
    SQLRETURN result;
    const char* record;
  } cases[] = {
      {50, nullptr, SQL_SUCCESS, "50\tabcdefghij\tabcdefgh34"},
      {60, "vwxyz12", SQL_ERROR, "50\tabcdefghij\tabcdefgh34"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.newS == nullptr ? "unchanged S" : c.newS);
    SQLHSTMT statement = SQL_NULL_HSTMT;
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, handles->connection, &statement), SQL_SUCCESS);
    SQLSetStmtAttr(statement, SQL_ATTR_CURSOR_TYPE, reinterpret_cast<SQLPOINTER>(kStatic), 0);
    SQLSetStmtAttr(statement, SQL_ATTR_CONCURRENCY, reinterpret_cast<SQLPOINTER>(SQL_CONCUR_LOCK), 0);
    double id = 0;
    char s[64] = {0}, t[64] = {0};
    SQLLEN lengths[3] = {0, 0, 0};
    SQLBindCol(statement, 1, SQL_C_DOUBLE, &id, 0, &lengths[0]);
    SQLBindCol(statement, 2, SQL_C_CHAR, s, sizeof s, &lengths[1]);
    SQLBindCol(statement, 3, SQL_C_CHAR, t, sizeof t, &lengths[2]);
    const std::string sql = "SELECT Id, S, T FROM \"Wide: Notes\" WHERE Id = 5 OR Id = 50";
    ASSERT_EQ(SQLExecDirect(statement, (SQLCHAR*)sql.c_str(), SQL_NTS), SQL_SUCCESS);
    ASSERT_EQ(SQLFetch(statement), SQL_SUCCESS);
    id = c.newId;
    if (c.newS != nullptr) std::snprintf(s, sizeof s, "%s", c.newS);
    lengths[1] = SQL_NTS;
    EXPECT_EQ(SQLSetPos(statement, 1, SQL_UPDATE, SQL_LOCK_NO_CHANGE), c.result)
        << ReadDiagnostic(SQL_HANDLE_STMT, statement).text;
    EXPECT_EQ(SQLFreeHandle(SQL_HANDLE_STMT, statement), SQL_SUCCESS);
    EXPECT_EQ(ServiceRecords(emulator, "bwidetxt2", "6.7.8", "{6.EX.'50'}"), std::vector<std::string>{c.record});
  }
}

// A grid binds S at its declared size plus one (6 bytes, the last row's
// exactly on the heap) and the fetch cuts the third row's 10 characters
// (indicator 10). No write reads that buffer past its 6 bytes: left as the
// fetch left it, S stays out of the update of the row's other columns; any
// other write that would take it refuses that row with 22001 naming S and
// sends nothing for it, while the rows beside it go through. Each case works
// on the table the one before left; the third row is always the long S.
TEST_F(OverlongTextTest, ABoundBufferIsNeverReadPastItsLength) {
  enum Call { kSetPosUpdate, kSetPosAdd, kBulkUpdate, kBulkAdd };
  const struct {
    const char* name;
    Call call;
    double ids[3];
    bool changeS;  // the third row's S rewritten, its length left at 10
    SQLRETURN result;
    std::size_t at;  // where the records the call changed or added stand
    std::vector<std::string> records;
  } cases[] = {
      {"update, S changed", kSetPosUpdate, {3, 4, 50}, true, SQL_ERROR, 0, {}},
      {"add", kSetPosAdd, {3, 4, 60}, false, SQL_ERROR, 0, {}},
      {"update, S as fetched", kSetPosUpdate, {3, 4, 50}, false, SQL_SUCCESS, 4, {"50\tabcdefghij\tabcdefgh34"}},
      {"update by bookmark", kBulkUpdate, {30, 40, 51}, false, SQL_SUCCESS_WITH_INFO, 2,
       {"30\tabc\tab", "40\tabcde\tx"}},
      {"bulk add", kBulkAdd, {31, 41, 60}, false, SQL_SUCCESS_WITH_INFO, 5, {"31\tabc\tab", "41\tabcde\tx"}},
  };
  std::vector<std::string> table = {"1\tabcdefghij\tabcdefgh12", "2\tabcdeXYZ\tabcdefgh34", "3\tabc\tab",
                                    "4\tabcde\tx", "5\tabcdefghij\tabcdefgh34"};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SQLHSTMT statement = SQL_NULL_HSTMT;
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, handles->connection, &statement), SQL_SUCCESS);
    SQLSetStmtAttr(statement, SQL_ATTR_CURSOR_TYPE, reinterpret_cast<SQLPOINTER>(kStatic), 0);
    SQLSetStmtAttr(statement, SQL_ATTR_CONCURRENCY, reinterpret_cast<SQLPOINTER>(SQL_CONCUR_LOCK), 0);
    SQLSetStmtAttr(statement, SQL_ATTR_USE_BOOKMARKS, reinterpret_cast<SQLPOINTER>(SQL_UB_VARIABLE), 0);
    SQLSetStmtAttr(statement, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(3), 0);
    std::vector<SQLINTEGER> bookmarks(3);
    std::vector<double> ids(3);
    std::vector<char> s(3 * 6), t(3 * 64);
    std::vector<SQLLEN> lengths(4 * 3);
    SQLBindCol(statement, 0, SQL_C_VARBOOKMARK, bookmarks.data(), sizeof(SQLINTEGER), &lengths[0]);
    SQLBindCol(statement, 1, SQL_C_DOUBLE, ids.data(), 0, &lengths[3]);
    SQLBindCol(statement, 2, SQL_C_CHAR, s.data(), 6, &lengths[6]);
    SQLBindCol(statement, 3, SQL_C_CHAR, t.data(), 64, &lengths[9]);
    const std::string sql = "SELECT Id, S, T FROM \"Wide: Notes\" WHERE Id >= 3 ORDER BY Id";
    ASSERT_EQ(SQLExecDirect(statement, (SQLCHAR*)sql.c_str(), SQL_NTS), SQL_SUCCESS);
    ASSERT_TRUE(SQL_SUCCEEDED(SQLFetchScroll(statement, SQL_FETCH_FIRST, 0)));
    ASSERT_EQ(lengths[8], 10);
    for (int i = 0; i < 3; ++i) ids[i] = c.ids[i];
    if (c.changeS) std::memcpy(&s[12], "vwxyz", 5);
    SQLRETURN result = SQL_ERROR;
    switch (c.call) {
      case kSetPosUpdate: result = SQLSetPos(statement, 3, SQL_UPDATE, SQL_LOCK_NO_CHANGE); break;
      case kSetPosAdd: result = SQLSetPos(statement, 3, SQL_ADD, SQL_LOCK_NO_CHANGE); break;
      case kBulkUpdate: result = SQLBulkOperations(statement, SQL_UPDATE_BY_BOOKMARK); break;
      case kBulkAdd: result = SQLBulkOperations(statement, SQL_ADD); break;
    }
    EXPECT_EQ(result, c.result);
    if (result != SQL_SUCCESS) {
      const Diagnostic d = ReadDiagnostic(SQL_HANDLE_STMT, statement);
      EXPECT_EQ(d.state, "22001");
      EXPECT_NE(d.text.find("right truncated: S ("), std::string::npos) << d.text;
    }
    EXPECT_EQ(SQLFreeHandle(SQL_HANDLE_STMT, statement), SQL_SUCCESS);
    table.resize(std::max(table.size(), c.at + c.records.size()));
    std::copy(c.records.begin(), c.records.end(), table.begin() + static_cast<std::ptrdiff_t>(c.at));
    EXPECT_EQ(ServiceRecords(emulator, "bwidetxt2", "6.7.8"), table);
  }
}

}  // namespace
