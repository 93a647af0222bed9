// Writes through the Driver Manager: INSERT, UPDATE and DELETE by
// SQLExecDirect and prepared statements with parameter arrays and data at
// execution, batches, data definition and commits, each checked against what
// reached the emulator in its request log.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "demo_data_source.h"

namespace {

constexpr const char* kLines = "\"Sales: Order Lines\"";

std::size_t Count(const std::string& text, const std::string& piece) {
  std::size_t n = 0;
  for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + piece.size())) ++n;
  return n;
}

struct WritesTest : DemoConnectionTest {
  OdbcHandles& Handles() { return *owned; }

  SQLRETURN Direct(const std::string& sql) {
    return SQLExecDirect(statement, (SQLCHAR*)sql.c_str(), SQL_NTS);
  }
  SQLLEN RowCount() {
    SQLLEN rows = -7;
    SQLRowCount(statement, &rows);
    return rows;
  }
  void Autocommit(bool on) {
    SQLSetConnectAttr(Handles().connection, SQL_ATTR_AUTOCOMMIT,
                      reinterpret_cast<SQLPOINTER>(static_cast<intptr_t>(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF)),
                      0);
  }
  std::string StatementState() { return ReadDiagnostic(SQL_HANDLE_STMT, statement).state; }
};

TEST_F(WritesTest, InsertUpdateDeleteReachTheServiceUnderAutocommit) {
  ClearLog();
  ASSERT_EQ(Direct(std::string("INSERT INTO ") + kLines + " (Product, Quantity) VALUES ('Quokka', 4)"), SQL_SUCCESS)
      << StatementState();
  EXPECT_EQ(RowCount(), 1);
  std::vector<std::string> imports = LoggedRequests(emulator, "API_ImportFromCSV");
  ASSERT_EQ(imports.size(), 1u);
  EXPECT_NE(imports[0].find("Quokka"), std::string::npos);

  ClearLog();
  ASSERT_EQ(Direct(std::string("UPDATE ") + kLines + " SET Quantity = 9 WHERE Product = 'Quokka'"), SQL_SUCCESS)
      << StatementState();
  EXPECT_EQ(RowCount(), 1);
  EXPECT_EQ(LoggedRequests(emulator, "API_ImportFromCSV").size(), 1u);

  ClearLog();
  ASSERT_EQ(Direct(std::string("DELETE FROM ") + kLines + " WHERE Product = 'Quokka'"), SQL_SUCCESS);
  EXPECT_EQ(RowCount(), 1);
  EXPECT_EQ(LoggedRequests(emulator, "API_PurgeRecords").size(), 1u);

  // Nothing left to touch: SQL_NO_DATA under ODBC 3, and nothing is sent.
  ClearLog();
  EXPECT_EQ(Direct(std::string("DELETE FROM ") + kLines + " WHERE Product = 'Quokka'"), SQL_NO_DATA);
  EXPECT_EQ(RowCount(), 0);
  EXPECT_EQ(Direct(std::string("UPDATE ") + kLines + " SET Quantity = 1 WHERE Product = 'Quokka'"), SQL_NO_DATA);
  EXPECT_EQ(RowCount(), 0);
  EXPECT_EQ(LoggedRequests(emulator, "API_ImportFromCSV").size(), 0u);
  EXPECT_EQ(LoggedRequests(emulator, "API_PurgeRecords").size(), 0u);
}

// 1,000 rows of one parameter array, bound row-wise behind a bind offset,
// wait for the commit and then go out as one import.
TEST_F(WritesTest, ARowWiseParameterArrayIsOneImportAtCommit) {
  Autocommit(false);
  struct Row {
    char product[16];
    SQLLEN productLength;
    double quantity;
    SQLLEN quantityIndicator;
  };
  constexpr int kRows = 1000;
  std::vector<Row> rows(kRows + 1);
  for (int i = 0; i < kRows; ++i) {
    std::snprintf(rows[i + 1].product, sizeof rows[i + 1].product, "item-%04d", i);
    rows[i + 1].productLength = SQL_NTS;
    rows[i + 1].quantity = i;
    rows[i + 1].quantityIndicator = i % 10 == 0 ? SQL_NULL_DATA : 0;
  }
  SQLLEN offset = sizeof(Row);  // the application's arrays start one row in
  SQLUSMALLINT status[kRows] = {};
  SQLULEN processed = 0;
  SQLSetStmtAttr(statement, SQL_ATTR_PARAM_BIND_TYPE, reinterpret_cast<SQLPOINTER>(sizeof(Row)), 0);
  SQLSetStmtAttr(statement, SQL_ATTR_PARAM_BIND_OFFSET_PTR, &offset, 0);
  SQLSetStmtAttr(statement, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(kRows), 0);
  SQLSetStmtAttr(statement, SQL_ATTR_PARAM_STATUS_PTR, status, 0);
  SQLSetStmtAttr(statement, SQL_ATTR_PARAMS_PROCESSED_PTR, &processed, 0);
  const std::string sql = std::string("INSERT INTO ") + kLines + " (Product, Quantity) VALUES (?, ?)";
  ASSERT_EQ(SQLPrepare(statement, (SQLCHAR*)sql.c_str(), SQL_NTS), SQL_SUCCESS) << StatementState();
  SQLBindParameter(statement, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 50, 0, rows[0].product,
                   sizeof rows[0].product, &rows[0].productLength);
  SQLBindParameter(statement, 2, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 15, 0, &rows[0].quantity, 0,
                   &rows[0].quantityIndicator);
  ClearLog();
  ASSERT_EQ(SQLExecute(statement), SQL_SUCCESS) << StatementState();
  EXPECT_EQ(processed, static_cast<SQLULEN>(kRows));
  EXPECT_EQ(RowCount(), kRows);
  for (int i = 0; i < kRows; ++i) ASSERT_EQ(status[i], SQL_PARAM_SUCCESS) << i;
  EXPECT_EQ(LoggedRequests(emulator, "API_ImportFromCSV").size(), 0u);
  ASSERT_EQ(SQLEndTran(SQL_HANDLE_DBC, Handles().connection, SQL_COMMIT), SQL_SUCCESS);
  std::vector<std::string> imports = LoggedRequests(emulator, "API_ImportFromCSV");
  ASSERT_EQ(imports.size(), 1u);
  EXPECT_EQ(Count(imports[0], "item-"), static_cast<std::size_t>(kRows));
  EXPECT_NE(imports[0].find("item-0999"), std::string::npos);
}

// Column-wise arrays: fixed-size values step by their own size, character
// values by their buffer length; rows the application marks are skipped.
TEST_F(WritesTest, AColumnWiseParameterArrayRunsEveryRowButTheIgnoredOnes) {
  Autocommit(false);
  constexpr int kRows = 5;
  char products[kRows][8] = {"a", "b", "c", "d", "e"};
  SQLLEN productLengths[kRows] = {SQL_NTS, SQL_NTS, SQL_NTS, SQL_NTS, SQL_NTS};
  SQLINTEGER quantities[kRows] = {1, 2, 3, 4, 5};
  SQLUSMALLINT operations[kRows] = {SQL_PARAM_PROCEED, SQL_PARAM_IGNORE, SQL_PARAM_PROCEED, SQL_PARAM_PROCEED,
                                    SQL_PARAM_PROCEED};
  SQLUSMALLINT status[kRows] = {};
  SQLSetStmtAttr(statement, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(kRows), 0);
  SQLSetStmtAttr(statement, SQL_ATTR_PARAM_OPERATION_PTR, operations, 0);
  SQLSetStmtAttr(statement, SQL_ATTR_PARAM_STATUS_PTR, status, 0);
  const std::string sql = std::string("INSERT INTO ") + kLines + " (Product, Quantity) VALUES (?, ?)";
  ASSERT_EQ(SQLPrepare(statement, (SQLCHAR*)sql.c_str(), SQL_NTS), SQL_SUCCESS);
  SQLBindParameter(statement, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 8, 0, products, 8, productLengths);
  // Buffer length 0, as applications bind integer arrays.
  SQLBindParameter(statement, 2, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, quantities, 0, nullptr);
  ClearLog();
  ASSERT_EQ(SQLExecute(statement), SQL_SUCCESS) << StatementState();
  EXPECT_EQ(RowCount(), 4);
  EXPECT_EQ(status[1], SQL_PARAM_UNUSED);
  ASSERT_EQ(SQLEndTran(SQL_HANDLE_DBC, Handles().connection, SQL_COMMIT), SQL_SUCCESS);
  std::vector<std::string> imports = LoggedRequests(emulator, "API_ImportFromCSV");
  ASSERT_EQ(imports.size(), 1u);
  // The log holds the body JSON-escaped: each CSV value is quoted.
  for (const char* expected : {R"(\"a\",\"1\")", R"(\"c\",\"3\")", R"(\"d\",\"4\")", R"(\"e\",\"5\")"}) EXPECT_NE(imports[0].find(expected), std::string::npos) << expected << " in " << imports[0];
  EXPECT_EQ(imports[0].find(R"(\"b\")"), std::string::npos);
}

TEST_F(WritesTest, DataAtExecutionArrivesInPieces) {
  const std::string sql = std::string("INSERT INTO ") + kLines + " (Product) VALUES (?)";
  ASSERT_EQ(SQLPrepare(statement, (SQLCHAR*)sql.c_str(), SQL_NTS), SQL_SUCCESS);
  SQLLEN atExecution = SQL_LEN_DATA_AT_EXEC(0);
  char token[] = "token";
  SQLBindParameter(statement, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 50, 0, token, 0, &atExecution);
  // A cancelled execution sends nothing and leaves the statement ready to run again.
  ClearLog();
  ASSERT_EQ(SQLExecute(statement), SQL_NEED_DATA);
  ASSERT_EQ(SQLCancel(statement), SQL_SUCCESS);
  EXPECT_TRUE(LoggedRequests(emulator, "API_ImportFromCSV").empty());
  SQLPOINTER value = nullptr;
  ASSERT_EQ(SQLExecute(statement), SQL_NEED_DATA) << StatementState();
  ASSERT_EQ(SQLParamData(statement, &value), SQL_NEED_DATA);
  EXPECT_EQ(value, token);
  ClearLog();
  for (const char* piece : {"three ", "little ", "pieces"})
    ASSERT_EQ(SQLPutData(statement, (SQLPOINTER)piece, SQL_NTS), SQL_SUCCESS) << StatementState();
  ASSERT_EQ(SQLParamData(statement, &value), SQL_SUCCESS) << StatementState();
  std::vector<std::string> imports = LoggedRequests(emulator, "API_ImportFromCSV");
  ASSERT_EQ(imports.size(), 1u);
  EXPECT_NE(imports[0].find("three little pieces"), std::string::npos);
}

// Rows with data at execution each wait for their own data; a row whose
// value is longer than its field's maxlength is refused, nothing of it is
// sent, and the rows before it are committed.
TEST_F(WritesTest, AParameterArrayRunsDataAtExecutionRowsAndRefusesATooLongOne) {
  constexpr int kRows = 4;
  char numbers[kRows][24] = {"SO-9001", "", "", "SO-9002-MUCH-TOO-LONG"};
  SQLLEN lengths[kRows] = {SQL_NTS, SQL_DATA_AT_EXEC, SQL_LEN_DATA_AT_EXEC(0), SQL_NTS};
  SQLUSMALLINT status[kRows] = {9, 9, 9, 9};
  SQLULEN processed = 0;
  SQLSetStmtAttr(statement, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(kRows), 0);
  SQLSetStmtAttr(statement, SQL_ATTR_PARAM_STATUS_PTR, status, 0);
  SQLSetStmtAttr(statement, SQL_ATTR_PARAMS_PROCESSED_PTR, &processed, 0);
  const std::string sql = "INSERT INTO \"Sales: Orders\" (\"Order No\") VALUES (?)";
  ASSERT_EQ(SQLPrepare(statement, (SQLCHAR*)sql.c_str(), SQL_NTS), SQL_SUCCESS) << StatementState();
  SQLBindParameter(statement, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 12, 0, numbers, sizeof numbers[0], lengths);
  ClearLog();
  ASSERT_EQ(SQLExecute(statement), SQL_NEED_DATA) << StatementState();
  for (const char* value : {"SO-9003", "SO-9004"}) {
    SQLPOINTER token = nullptr;
    ASSERT_EQ(SQLParamData(statement, &token), SQL_NEED_DATA) << value;
    EXPECT_EQ(token, numbers);
    ASSERT_EQ(SQLPutData(statement, (SQLPOINTER)value, SQL_NTS), SQL_SUCCESS) << StatementState();
  }
  SQLPOINTER token = nullptr;
  EXPECT_EQ(SQLParamData(statement, &token), SQL_ERROR);
  EXPECT_EQ(StatementState(), "22001");
  SQLLEN rowNumber = 0;
  SQLGetDiagField(SQL_HANDLE_STMT, statement, 1, SQL_DIAG_ROW_NUMBER, &rowNumber, 0, nullptr);
  EXPECT_EQ(rowNumber, kRows);
  EXPECT_EQ(processed, static_cast<SQLULEN>(kRows));
  const SQLUSMALLINT expected[kRows] = {SQL_PARAM_SUCCESS, SQL_PARAM_SUCCESS, SQL_PARAM_SUCCESS, SQL_PARAM_ERROR};
  for (int i = 0; i < kRows; ++i) EXPECT_EQ(status[i], expected[i]) << i;
  // Under autocommit the rows before the refused one are one transaction: one import.
  std::vector<std::string> imports = LoggedRequests(emulator, "API_ImportFromCSV");
  ASSERT_EQ(imports.size(), 1u);
  for (const char* sent : {"SO-9001", "SO-9003", "SO-9004"})
    EXPECT_NE(imports[0].find(sent), std::string::npos) << sent;
  EXPECT_EQ(imports[0].find("SO-9002"), std::string::npos);
}

// The rest of a batch waits while its first statement waits for data, runs
// once that statement has run, and never outlives its text.
TEST_F(WritesTest, ABatchRestWaitsForDataAndGoesWithItsText) {
  SQLLEN atExecution = SQL_DATA_AT_EXEC;
  char token[] = "token";
  SQLBindParameter(statement, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 50, 0, token, 0, &atExecution);
  const std::string batch = std::string("INSERT INTO ") + kLines + " (Product) VALUES (?); INSERT INTO " + kLines +
                            " (Product) VALUES ('second')";
  ClearLog();
  ASSERT_EQ(Direct(batch), SQL_NEED_DATA) << StatementState();
  SQLPOINTER value = nullptr;
  ASSERT_EQ(SQLParamData(statement, &value), SQL_NEED_DATA);
  EXPECT_TRUE(LoggedRequests(emulator, "API_ImportFromCSV").empty());
  ASSERT_EQ(SQLPutData(statement, (SQLPOINTER) "first", SQL_NTS), SQL_SUCCESS);
  ASSERT_EQ(SQLParamData(statement, &value), SQL_SUCCESS) << StatementState();
  std::vector<std::string> imports = LoggedRequests(emulator, "API_ImportFromCSV");
  ASSERT_EQ(imports.size(), 2u);
  EXPECT_NE(imports[0].find("first"), std::string::npos);
  EXPECT_NE(imports[1].find("second"), std::string::npos);

  // A cancelled wait, then another statement prepared: the old rest is gone.
  ClearLog();
  ASSERT_EQ(Direct(batch), SQL_NEED_DATA);
  ASSERT_EQ(SQLCancel(statement), SQL_SUCCESS);
  SQLFreeStmt(statement, SQL_RESET_PARAMS);
  const std::string third = std::string("INSERT INTO ") + kLines + " (Product) VALUES ('third')";
  ASSERT_EQ(SQLPrepare(statement, (SQLCHAR*)third.c_str(), SQL_NTS), SQL_SUCCESS);
  ASSERT_EQ(SQLExecute(statement), SQL_SUCCESS) << StatementState();
  imports = LoggedRequests(emulator, "API_ImportFromCSV");
  ASSERT_EQ(imports.size(), 1u);
  EXPECT_NE(imports[0].find("third"), std::string::npos);

  // A rest of blanks and line ends is no statement: the SELECT's rows stay.
  SQLFreeStmt(statement, SQL_CLOSE);
  ASSERT_EQ(Direct(std::string("SELECT Product FROM ") + kLines + ";\n\t \n"), SQL_SUCCESS) << StatementState();
  int rows = 0;
  while (SQL_SUCCEEDED(SQLFetch(statement))) ++rows;
  EXPECT_GT(rows, 30);
}

TEST_F(WritesTest, BatchesRunEveryStatementAndStopAtAFailure) {
  ClearLog();
  ASSERT_EQ(Direct(std::string("INSERT INTO ") + kLines + " (Product) VALUES ('one'); INSERT INTO " + kLines +
                   " (Product) VALUES ('two');\n  \n"),
            SQL_SUCCESS)
      << StatementState();
  std::vector<std::string> imports = LoggedRequests(emulator, "API_ImportFromCSV");
  ASSERT_EQ(imports.size(), 2u);
  EXPECT_NE(imports[0].find("one"), std::string::npos);
  EXPECT_NE(imports[1].find("two"), std::string::npos);

  ClearLog();
  EXPECT_EQ(Direct(std::string("INSERT INTO ") + kLines + " (Nothing) VALUES ('x'); INSERT INTO " + kLines +
                   " (Product) VALUES ('never')"),
            SQL_ERROR);
  EXPECT_EQ(LoggedRequests(emulator, "API_ImportFromCSV").size(), 0u);
  // The failed batch leaves nothing behind for the next statement.
  ASSERT_EQ(Direct(std::string("INSERT INTO ") + kLines + " (Product) VALUES ('after')"), SQL_SUCCESS);
  imports = LoggedRequests(emulator, "API_ImportFromCSV");
  ASSERT_EQ(imports.size(), 1u);
  EXPECT_EQ(imports[0].find("never"), std::string::npos);
}

TEST_F(WritesTest, InsertSelectFromTheSameTableCopiesEachRowOnce) {
  Autocommit(false);
  ClearLog();
  ASSERT_EQ(Direct(std::string("INSERT INTO ") + kLines + " (Product, Quantity) SELECT Product, Quantity FROM " +
                   kLines),
            SQL_SUCCESS)
      << StatementState();
  EXPECT_EQ(RowCount(), 30);
  ASSERT_EQ(SQLEndTran(SQL_HANDLE_DBC, Handles().connection, SQL_COMMIT), SQL_SUCCESS);
  std::vector<std::string> imports = LoggedRequests(emulator, "API_ImportFromCSV");
  ASSERT_EQ(imports.size(), 1u);
}

TEST_F(WritesTest, DataDefinition) {
  ClearLog();
  ASSERT_EQ(Direct("CREATE TABLE \"Sales: Shipments\" (Code VARCHAR(20), Weight NUMERIC(10,2), "
                   "CONSTRAINT pk PRIMARY KEY (Code), CONSTRAINT fk FOREIGN KEY (Weight) REFERENCES Orders (x))"),
            SQL_SUCCESS)
      << StatementState();
  EXPECT_EQ(LoggedRequests(emulator, "API_CreateTable").size(), 1u);
  EXPECT_EQ(LoggedRequests(emulator, "API_AddField").size(), 2u);
  EXPECT_EQ(LoggedRequests(emulator, "API_SetKeyField").size(), 1u);
  std::vector<std::string> properties = LoggedRequests(emulator, "API_SetFieldProperties");
  bool marked = false;
  for (const std::string& body : properties) marked = marked || body.find("foreignkey") != std::string::npos;
  EXPECT_TRUE(marked);

  // A key on a column the table already has, and on one it lacks.
  ASSERT_EQ(Direct("ALTER TABLE \"Sales: Shipments\" ADD Carrier VARCHAR(30), CONSTRAINT pk2 PRIMARY KEY (Code)"),
            SQL_SUCCESS)
      << StatementState();
  EXPECT_EQ(Direct("ALTER TABLE \"Sales: Shipments\" ADD CONSTRAINT pk3 PRIMARY KEY (Missing)"), SQL_ERROR);
  EXPECT_NE(ReadDiagnostic(SQL_HANDLE_STMT, statement).text.find("'Missing' could not be found"), std::string::npos);

  ClearLog();
  EXPECT_EQ(Direct("DROP TABLE \"Sales: Shipments\""), SQL_ERROR);
  EXPECT_EQ(StatementState(), "HYC00");
  EXPECT_EQ(Direct("DROP INDEX ix"), SQL_ERROR);
  EXPECT_EQ(emulator.Log().find("API_"), std::string::npos);
}

// Inside a transaction a connection that can't mix data definition with
// data manipulation refuses it.
TEST_F(WritesTest, DataDefinitionInsideATransactionIsRefused) {
  Autocommit(false);
  ASSERT_EQ(Direct(std::string("INSERT INTO ") + kLines + " (Product) VALUES ('pending')"), SQL_SUCCESS);
  ClearLog();
  // Refused before any parameter row runs: every status entry says so.
  SQLUSMALLINT statuses[3] = {99, 99, 99};
  SQLULEN processed = 7;
  SQLSetStmtAttr(statement, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(3), 0);
  SQLSetStmtAttr(statement, SQL_ATTR_PARAM_STATUS_PTR, statuses, 0);
  SQLSetStmtAttr(statement, SQL_ATTR_PARAMS_PROCESSED_PTR, &processed, 0);
  EXPECT_EQ(Direct("CREATE TABLE \"Sales: Later\" (Code VARCHAR(20))"), SQL_ERROR);
  EXPECT_EQ(processed, 0u);
  for (SQLUSMALLINT status : statuses) EXPECT_EQ(status, SQL_PARAM_UNUSED);
  EXPECT_EQ(ReadDiagnostic(SQL_HANDLE_STMT, statement).text.find("DDL statement encountered within a transaction") !=
                std::string::npos,
            true);
  EXPECT_EQ(LoggedRequests(emulator, "API_CreateTable").size(), 0u);
  ASSERT_EQ(SQLEndTran(SQL_HANDLE_DBC, Handles().connection, SQL_ROLLBACK), SQL_SUCCESS);
  EXPECT_EQ(LoggedRequests(emulator, "API_ImportFromCSV").size(), 0u);
}

// A commit whose middle table's import is refused fails with the service's
// text; the next commit sends each table's rows exactly once.
TEST_F(WritesTest, AFailedCommitKeepsEveryTablesWritesForTheNextOne) {
  Autocommit(false);
  for (const char* table : {"\"Sales: Customers\" (Name)", "\"Sales: Orders\" (\"Order No\")",
                            "\"Sales: Order Lines\" (Product)"})
    ASSERT_EQ(Direct(std::string("INSERT INTO ") + table + " VALUES ('pending')"), SQL_SUCCESS) << StatementState();
  emulator.Admin("faults", R"({"action": "API_ImportFromCSV", "dbid": "bjf9xufbz", "errcode": 77, "errdetail": "Refused for the test"})");
  ClearLog();
  EXPECT_EQ(SQLEndTran(SQL_HANDLE_DBC, Handles().connection, SQL_COMMIT), SQL_ERROR);
  EXPECT_NE(ReadDiagnostic(SQL_HANDLE_DBC, Handles().connection).text.find("Refused for the test"), std::string::npos);
  const std::size_t firstTry = LoggedRequests(emulator, "API_ImportFromCSV").size();
  ClearLog();
  ASSERT_EQ(SQLEndTran(SQL_HANDLE_DBC, Handles().connection, SQL_COMMIT), SQL_SUCCESS);
  const std::size_t secondTry = LoggedRequests(emulator, "API_ImportFromCSV").size();
  // Every table's row reached the service once: one accepted import per table
  // over the two commits, plus the refused one.
  EXPECT_EQ(firstTry + secondTry, 4u);
}

// A commit whose second table's import is refused after the first table's
// went through says both, with their counts; the rollback then drops only
// the rows still pending. Tables go out in the order of their dbids: Order
// Lines (bfhfj2jkz) before Customers (bii6tyqgm).
TEST_F(WritesTest, ACommitRefusedPartWaySaysWhatWentThroughAndTheRollbackDropsTheRest) {
  Autocommit(false);
  for (const char* product : {"part-1", "part-2"})
    ASSERT_EQ(Direct(std::string("INSERT INTO ") + kLines + " (Product) VALUES ('" + product + "')"), SQL_SUCCESS);
  for (const char* name : {"part-a", "part-b", "part-c"})
    ASSERT_EQ(Direct(std::string("INSERT INTO \"Sales: Customers\" (Name) VALUES ('") + name + "')"), SQL_SUCCESS);
  emulator.Admin("faults", R"({"action": "API_ImportFromCSV", "dbid": "bii6tyqgm", "errcode": 77, "errdetail": "Refused for the test"})");
  EXPECT_EQ(SQLEndTran(SQL_HANDLE_DBC, Handles().connection, SQL_COMMIT), SQL_ERROR);
  const Diagnostic refused = Handles().ConnectionDiagnostic();
  EXPECT_EQ(refused.state, "HY000");
  EXPECT_EQ(refused.text,
            "[Tarvox ODBC]Writes partly done: 'Sales: Order Lines' 2 written; 'Sales: Customers' 3 not written "
            "(still pending). [QuickBase]Request limit exceeded Refused for the test");
  ASSERT_EQ(SQLEndTran(SQL_HANDLE_DBC, Handles().connection, SQL_ROLLBACK), SQL_SUCCESS);
  ClearLog();
  ASSERT_EQ(SQLEndTran(SQL_HANDLE_DBC, Handles().connection, SQL_COMMIT), SQL_SUCCESS);
  EXPECT_EQ(LoggedRequests(emulator, "API_ImportFromCSV").size(), 0u);
  EXPECT_EQ(ServiceRecords(emulator, "bfhfj2jkz", "7", "{7.SW.'part-'}").size(), 2u);
  EXPECT_EQ(ServiceRecords(emulator, "bii6tyqgm", "6", "{6.SW.'part-'}").size(), 0u);
}

TEST_F(WritesTest, AStatementThatFailsToParseSendsNothing) {
  ClearLog();
  EXPECT_EQ(Direct("INSERT INTO WHERE"), SQL_ERROR);
  EXPECT_EQ(emulator.Log().find("API_"), std::string::npos);
}

}  // namespace

namespace {

constexpr const char* kOrdersDbid = "bjf9xufbz";
constexpr const char* kLinesDbid = "bfhfj2jkz";

// Text that can't travel changes nothing: a NUL inside the length the
// application passed (which would end the text early and drop the WHERE
// clause) is refused before anything is parsed or sent, and a value the
// service's XML can't carry is refused at the execution that supplied it,
// naming the column. Neither holds up the next statement or the disconnect.
TEST_F(WritesTest, TextThatCannotTravelIsRefusedAndChangesNothing) {
  const std::string nul = std::string("UPDATE ") + kLines + " SET Quantity = 77" + '\0' + " WHERE Product = 'none'";
  ClearLog();
  EXPECT_EQ(SQLExecDirect(statement, (SQLCHAR*)nul.data(), static_cast<SQLINTEGER>(nul.size())), SQL_ERROR);
  EXPECT_EQ(StatementState(), "42000");
  EXPECT_EQ(SQLPrepare(statement, (SQLCHAR*)nul.data(), static_cast<SQLINTEGER>(nul.size())), SQL_ERROR);
  EXPECT_EQ(StatementState(), "42000");
  SQLCHAR native[256];
  SQLINTEGER nativeLength = 0;
  EXPECT_EQ(SQLNativeSql(Handles().connection, (SQLCHAR*)nul.data(), static_cast<SQLINTEGER>(nul.size()), native,
                         sizeof native, &nativeLength),
            SQL_ERROR);
  EXPECT_EQ(Handles().ConnectionDiagnostic().state, "42000");
  EXPECT_EQ(emulator.Log().find("API_"), std::string::npos);

  for (const char* value : {"p\x01", "tab\tok but \x1f is not", "\xff\xfe"}) {
    const std::string insert = std::string("INSERT INTO ") + kLines + " (Product) VALUES ('" + value + "')";
    EXPECT_EQ(Direct(insert), SQL_ERROR) << value;
    const Diagnostic refused = ReadDiagnostic(SQL_HANDLE_STMT, statement);
    EXPECT_EQ(refused.state, "22018") << value;
    EXPECT_NE(refused.text.find("'Product'"), std::string::npos) << refused.text;
  }
  EXPECT_EQ(LoggedRequests(emulator, "API_ImportFromCSV").size(), 0u);
  ASSERT_EQ(Direct(std::string("INSERT INTO ") + kLines + " (Product) VALUES ('after')"), SQL_SUCCESS);
  EXPECT_EQ(ServiceRecords(emulator, kLinesDbid, "7", "{7.EX.'after'}").size(), 1u);
  SQLFreeHandle(SQL_HANDLE_STMT, statement);
  statement = SQL_NULL_HSTMT;
  EXPECT_EQ(SQLDisconnect(Handles().connection), SQL_SUCCESS);
  Handles().connected = false;
}

// A text column holds its maxlength in characters: a value of exactly that
// size is stored whole, a longer one is refused with 22001 naming the column
// and nothing is sent. "Order No" is unique and 12 long.
TEST_F(WritesTest, ValuesAtTheColumnSize) {
  struct {
    const char* value;
    SQLRETURN result;
  } cases[] = {
      {"ABCDEFGHIJKL", SQL_SUCCESS},
      {"MNOPQRSTUVWXY", SQL_ERROR},
      {"\xC3\x84\xC3\x96\xC3\x9C\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x84\xC3\x96\xC3\x9C\xC3\xA4\xC3\xB6\xC3\xBC",
       SQL_SUCCESS},
  };
  for (const auto& c : cases) {
    ClearLog();
    const SQLRETURN result = Direct(std::string("INSERT INTO \"Sales: Orders\" (\"Order No\") VALUES ('") + c.value + "')");
    const Diagnostic diagnostic = ReadDiagnostic(SQL_HANDLE_STMT, statement);
    EXPECT_EQ(result, c.result) << c.value << diagnostic.text;
    if (result == SQL_ERROR) {
      EXPECT_EQ(diagnostic.state, "22001");
      EXPECT_NE(diagnostic.text.find("'Order No'"), std::string::npos) << diagnostic.text;
      EXPECT_TRUE(LoggedRequests(emulator, "API_ImportFromCSV").empty());
    }
    const std::size_t stored = c.result == SQL_SUCCESS ? 1 : 0;
    EXPECT_EQ(ServiceRecords(emulator, kOrdersDbid, "6", std::string("{6.EX.'") + c.value + "'}").size(), stored)
        << c.value;
  }
}

// The demo's Sales application keeps its time 5:30 east of UTC: an import
// whose milliseconds were not marked as UTC would land shifted by that much.
TEST_F(WritesTest, ATimestampRoundTripsThroughAnImport) {
  ASSERT_EQ(Direct("INSERT INTO \"Sales: Orders\" (\"Order No\", \"Ordered At\") "
                   "VALUES ('TZ-1', {ts '2024-02-29 23:45:06'})"),
            SQL_SUCCESS)
      << StatementState();
  ASSERT_EQ(LoggedRequests(emulator, "API_ImportFromCSV").size(), 1u);
  SQLFreeStmt(statement, SQL_CLOSE);
  ASSERT_EQ(Direct("SELECT \"Ordered At\" FROM \"Sales: Orders\" WHERE \"Order No\" = 'TZ-1'"), SQL_SUCCESS);
  ASSERT_EQ(SQLFetch(statement), SQL_SUCCESS);
  char read[32] = {0};
  SQLLEN length = 0;
  ASSERT_EQ(SQLGetData(statement, 1, SQL_C_CHAR, read, sizeof read, &length), SQL_SUCCESS);
  EXPECT_STREQ(read, "2024-02-29 23:45:06.000");
}

// A two-row parameter array whose first row arrives by data at execution and
// whose second is a plain value: each row inserts its own value.
TEST_F(WritesTest, DataAtExecutionThenAPlainValue) {
  constexpr int kRows = 2;
  char products[kRows][16] = {"unused", "plain"};
  SQLLEN lengths[kRows] = {SQL_LEN_DATA_AT_EXEC(0), SQL_NTS};
  SQLSetStmtAttr(statement, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(kRows), 0);
  const std::string sql = std::string("INSERT INTO ") + kLines + " (Product) VALUES (?)";
  ASSERT_EQ(SQLPrepare(statement, (SQLCHAR*)sql.c_str(), SQL_NTS), SQL_SUCCESS);
  SQLBindParameter(statement, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 50, 0, products, 16, lengths);
  SQLPOINTER token = nullptr;
  ASSERT_EQ(SQLExecute(statement), SQL_NEED_DATA) << StatementState();
  ASSERT_EQ(SQLParamData(statement, &token), SQL_NEED_DATA);
  ASSERT_EQ(SQLPutData(statement, (SQLPOINTER) "streamed", SQL_NTS), SQL_SUCCESS);
  ASSERT_EQ(SQLParamData(statement, &token), SQL_SUCCESS) << StatementState();
  for (const char* product : {"streamed", "plain"})
    EXPECT_EQ(ServiceRecords(emulator, kLinesDbid, "7", std::string("{7.EX.'") + product + "'}").size(), 1u) << product;
}

// Data definition: three tables on one connection, each found by its name at
// once; a name the application already has is refused before anything is
// sent. Under autocommit a read ends its transaction when its cursor closes.
TEST_F(WritesTest, CreateTableAfterReadsAndTwice) {
  SQLHSTMT reader = SQL_NULL_HSTMT;
  ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, Handles().connection, &reader), SQL_SUCCESS);
  const std::string read = "SELECT \"Order No\" FROM \"Sales: Orders\"";
  ASSERT_EQ(SQLExecDirect(reader, (SQLCHAR*)read.c_str(), SQL_NTS), SQL_SUCCESS);
  ASSERT_EQ(SQLFetch(reader), SQL_SUCCESS);
  // The open cursor still holds its read.
  EXPECT_EQ(Direct("CREATE TABLE \"Sales: Later\" (Code VARCHAR(10))"), SQL_ERROR);
  EXPECT_NE(ReadDiagnostic(SQL_HANDLE_STMT, statement).text.find("within a transaction"), std::string::npos);
  ASSERT_EQ(SQLCloseCursor(reader), SQL_SUCCESS);
  SQLFreeHandle(SQL_HANDLE_STMT, reader);
  for (const char* table : {"Later", "Later Still", "Latest"}) {
    ASSERT_EQ(Direct(std::string("CREATE TABLE \"Sales: ") + table + "\" (Code VARCHAR(10))"), SQL_SUCCESS)
        << table << ": " << ReadDiagnostic(SQL_HANDLE_STMT, statement).text;
    EXPECT_EQ(Direct(std::string("INSERT INTO \"Sales: ") + table + "\" (Code) VALUES ('c')"), SQL_SUCCESS) << table;
  }
  ClearLog();
  EXPECT_EQ(Direct("CREATE TABLE \"sales : later still\" (Code VARCHAR(10))"), SQL_ERROR);
  EXPECT_EQ(StatementState(), "42S01");
  EXPECT_EQ(LoggedRequests(emulator, "API_CreateTable").size(), 0u);
}

}  // namespace

namespace {

std::string InsertLine(const std::string& product) {
  return "INSERT INTO \"Sales: Order Lines\" (Product) VALUES ('" + product + "')";
}
std::string InsertOrder(const std::string& number) {
  return "INSERT INTO \"Sales: Orders\" (\"Order No\") VALUES ('" + number + "')";
}
std::string CreateAndInsert(const std::string& table, const std::string& values) {
  return "CREATE TABLE \"Sales: " + table + "\" (Code VARCHAR(10)); INSERT INTO \"Sales: " + table + "\" (Code) " +
         values;
}

// How many records of the table hold the value: Order Lines' Product,
// Orders' Order No, or the Code of the table the last import went to.
std::size_t StoredCopies(const Emulator& emulator, const char* dbid, const std::string& value) {
  std::string table = dbid != nullptr ? dbid : "";
  if (table.empty()) {
    const std::vector<std::string> imports = LoggedRequests(emulator, "API_ImportFromCSV", "dbid");
    if (imports.empty()) return 0;
    table = imports.back();
  }
  const std::string fid = table == kLinesDbid ? "7" : "6";
  return ServiceRecords(emulator, table, fid, "{" + fid + ".EX.'" + value + "'}").size();
}

// Each batch runs whole inside one call, prepared as direct; a statement
// that does not parse runs none of them, and a failure at run time stops
// the batch and says what ran before it.
TEST_F(WritesTest, ABatchRunsWholeOrSaysWhatRan) {
  enum Mode { kDirect, kPrepared, kPreparedTwice };
  struct Judged {
    const char* dbid;  // nullptr: the table the batch created
    const char* value;
    std::size_t copies;
  };
  struct {
    const char* label;
    Mode mode;
    std::string sql;
    const char* fault;  // for the import into Order Lines
    SQLRETURN result;
    const char* state;
    std::vector<const char*> named;  // in the diagnostic's text
    std::vector<Judged> judged;
  } cases[] = {
      {"direct", kDirect, InsertLine("d1") + "; " + InsertLine("d2"), nullptr, SQL_SUCCESS, "", {},
       {{kLinesDbid, "d1", 1}, {kLinesDbid, "d2", 1}}},
      // The second run starts again from the first statement.
      {"prepared, run twice", kPreparedTwice, InsertLine("p1") + ";" + InsertLine("p2"), nullptr, SQL_SUCCESS, "", {},
       {{kLinesDbid, "p1", 2}, {kLinesDbid, "p2", 2}}},
      {"direct, second does not parse", kDirect,
       InsertLine("d3") + ";\n  INSERT INTO x VALUEZ ('d4', 'a list of values longer than a diagnostic names')",
       nullptr, SQL_ERROR, "42000",
       {"(batch statement 2, INSERT INTO x VALUEZ ('d4', 'a list of values longer than a..., does not parse; "
        "no statement ran)"},
       {{kLinesDbid, "d3", 0}}},
      {"prepared, second does not parse", kPrepared, InsertLine("p3") + "; INSERT INTO x VALUEZ ('p4')", nullptr,
       SQL_ERROR, "42000", {"batch statement 2, INSERT INTO x VALUEZ", "no statement ran"}, {{kLinesDbid, "p3", 0}}},
      {"direct, create then insert", kDirect, CreateAndInsert("Direct", "VALUES ('c1')"), nullptr, SQL_SUCCESS, "", {},
       {{nullptr, "c1", 1}}},
      {"prepared, create then insert", kPrepared, CreateAndInsert("Prepared", "VALUES ('c2')"), nullptr,
       SQL_SUCCESS, "", {}, {{nullptr, "c2", 1}}},
      {"direct, create then an insert that does not parse", kDirect, CreateAndInsert("Never", "VALUEZ ('c3')"),
       nullptr, SQL_ERROR, "42000",
       {"batch statement 2, INSERT INTO \"Sales: Never\" (Code) VALUEZ ('c3'), does not parse"}, {}},
      {"prepared, create then an insert that does not parse", kPrepared, CreateAndInsert("Never", "VALUEZ ('c4')"),
       nullptr, SQL_ERROR, "42000", {"batch statement 2"}, {}},
      {"direct, second refused", kDirect, InsertOrder("r1") + "; " + InsertLine("r2"), R"("errcode": 77)", SQL_ERROR,
       "HY000", {"Refused for the test", "(batch statement 2, INSERT INTO \"Sales: Order Lines\" (Product) VALUES "
                 "('r2'), failed; statement 1 ran, rows: 1)"},
       {{kOrdersDbid, "r1", 1}, {kLinesDbid, "r2", 0}}},
      {"prepared, second's outcome unknown", kPrepared, InsertOrder("r3") + "; " + InsertLine("r4"),
       R"("drop_after": true)", SQL_ERROR, "08007", {"'Sales: Order Lines'", "statement 1 ran, rows: 1"},
       {{kOrdersDbid, "r3", 1}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    ClearLog();
    if (c.fault != nullptr)
      emulator.Admin("faults", std::string(R"({"action": "API_ImportFromCSV", "dbid": ")") + kLinesDbid +
                                   R"(", "errdetail": "Refused for the test", )" + c.fault + "}");
    const SQLCHAR* sql = reinterpret_cast<const SQLCHAR*>(c.sql.c_str());
    SQLRETURN result = c.mode != kDirect ? SQLPrepare(statement, const_cast<SQLCHAR*>(sql), SQL_NTS)
                                         : SQLExecDirect(statement, const_cast<SQLCHAR*>(sql), SQL_NTS);
    if (c.mode != kDirect && result == SQL_SUCCESS) result = SQLExecute(statement);
    const Diagnostic diagnostic = ReadDiagnostic(SQL_HANDLE_STMT, statement);
    EXPECT_EQ(result, c.result) << diagnostic.text;
    EXPECT_EQ(diagnostic.state, c.state);
    for (const char* named : c.named) EXPECT_NE(diagnostic.text.find(named), std::string::npos) << diagnostic.text;
    if (c.result == SQL_SUCCESS) {
      SQLLEN rows = 0;
      EXPECT_EQ(SQLRowCount(statement, &rows), SQL_SUCCESS);
      EXPECT_EQ(rows, 1);
      EXPECT_EQ(SQLMoreResults(statement), SQL_NO_DATA);
    }
    if (c.mode == kPreparedTwice) {
      EXPECT_EQ(SQLExecute(statement), SQL_SUCCESS) << ReadDiagnostic(SQL_HANDLE_STMT, statement).text;
    }
    if (c.state == std::string("42000")) {
      EXPECT_TRUE(LoggedRequests(emulator, "API_ImportFromCSV").empty());
      EXPECT_TRUE(LoggedRequests(emulator, "API_CreateTable").empty());
    }
    for (const Judged& s : c.judged) EXPECT_EQ(StoredCopies(emulator, s.dbid, s.value), s.copies) << s.value;
    SQLFreeStmt(statement, SQL_CLOSE);
  }
}

// The last statement's result is the call's: an INSERT then a SELECT
// returns the SELECT's rows, the INSERT's row among them. A SELECT before
// another statement leaves no cursor behind when that statement is refused.
TEST_F(WritesTest, TheLastStatementsResultIsTheCalls) {
  const std::string batch = InsertLine("s1") + "; SELECT Product FROM \"Sales: Order Lines\" WHERE Product = 's1'";
  ASSERT_EQ(SQLExecDirect(statement, (SQLCHAR*)batch.c_str(), SQL_NTS), SQL_SUCCESS)
      << ReadDiagnostic(SQL_HANDLE_STMT, statement).text;
  char product[16] = {0};
  SQLLEN length = 0;
  ASSERT_EQ(SQLBindCol(statement, 1, SQL_C_CHAR, product, sizeof product, &length), SQL_SUCCESS);
  ASSERT_EQ(SQLFetch(statement), SQL_SUCCESS);
  EXPECT_STREQ(product, "s1");
  EXPECT_EQ(SQLFetch(statement), SQL_NO_DATA);
  EXPECT_EQ(SQLMoreResults(statement), SQL_NO_DATA);
  SQLFreeStmt(statement, SQL_UNBIND);

  const std::string selectFirst = "SELECT Product FROM \"Sales: Order Lines\"; " + InsertLine("s2");
  EXPECT_EQ(SQLExecDirect(statement, (SQLCHAR*)selectFirst.c_str(), SQL_NTS), SQL_ERROR);
  const Diagnostic refused = ReadDiagnostic(SQL_HANDLE_STMT, statement);
  EXPECT_EQ(refused.state, "24000");
  EXPECT_NE(refused.text.find("batch statement 2"), std::string::npos) << refused.text;
  EXPECT_EQ(StoredCopies(emulator, kLinesDbid, "s2"), 0u);
  EXPECT_EQ(SQLExecDirect(statement, (SQLCHAR*)batch.c_str(), SQL_NTS), SQL_SUCCESS)
      << ReadDiagnostic(SQL_HANDLE_STMT, statement).text;
}

// Markers are counted and described over the whole batch, whichever
// statement holds them, before the batch runs and after, as that statement
// alone describes them. A batch with markers in two statements, which would
// each read parameter 1, is refused and sends nothing.
TEST_F(WritesTest, MarkersOfABatch) {
  const std::string insertMarker = "INSERT INTO \"Sales: Order Lines\" (Product) VALUES (?)";
  const std::string updateMarkers =
      "UPDATE \"Sales: Order Lines\" SET \"Quantity\" = ? WHERE \"Product\" = ? AND \"Quantity\" > ?";
  struct {
    std::string batch;
    std::string alone;  // the statement that holds the markers
    const char* value;  // bound to every marker and stored by the run; none: the batch doesn't run
  } cases[] = {
      {InsertLine("m1") + "; " + insertMarker, insertMarker, "m2"},
      {insertMarker + "; " + InsertLine("m3"), insertMarker, "m4"},
      {"SELECT COUNT(*) FROM \"Sales: Orders\"; " + updateMarkers, updateMarkers, nullptr},
  };
  using Described = std::vector<std::vector<SQLLEN>>;
  auto describe = [&]() {
    Described described;
    SQLSMALLINT markers = -1;
    EXPECT_EQ(SQLNumParams(statement, &markers), SQL_SUCCESS);
    for (SQLUSMALLINT n = 1; n <= markers; ++n) {
      SQLSMALLINT type = 0, digits = 0, nullable = 0;
      SQLULEN size = 0;
      EXPECT_EQ(SQLDescribeParam(statement, n, &type, &size, &digits, &nullable), SQL_SUCCESS)
          << n << ReadDiagnostic(SQL_HANDLE_STMT, statement).text;
      described.push_back({type, static_cast<SQLLEN>(size), digits, nullable});
    }
    return described;
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.batch);
    ASSERT_EQ(SQLPrepare(statement, (SQLCHAR*)c.alone.c_str(), SQL_NTS), SQL_SUCCESS);
    const Described alone = describe();
    ASSERT_FALSE(alone.empty());
    ASSERT_EQ(SQLPrepare(statement, (SQLCHAR*)c.batch.c_str(), SQL_NTS), SQL_SUCCESS);
    EXPECT_EQ(describe(), alone);
    if (c.value == nullptr) continue;
    char value[8] = {0};
    std::strcpy(value, c.value);
    SQLLEN length = SQL_NTS;
    SQLBindParameter(statement, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 20, 0, value, sizeof value, &length);
    ASSERT_EQ(SQLExecute(statement), SQL_SUCCESS) << ReadDiagnostic(SQL_HANDLE_STMT, statement).text;
    EXPECT_EQ(StoredCopies(emulator, kLinesDbid, c.value), 1u);
    EXPECT_EQ(describe(), alone);
    SQLFreeStmt(statement, SQL_RESET_PARAMS);
  }

  ClearLog();
  const std::string both = insertMarker + "; " + InsertLine("m5") + "; " + insertMarker;
  EXPECT_EQ(SQLExecDirect(statement, (SQLCHAR*)both.c_str(), SQL_NTS), SQL_ERROR);
  const Diagnostic refused = ReadDiagnostic(SQL_HANDLE_STMT, statement);
  EXPECT_EQ(refused.state, "HYC00");
  EXPECT_NE(refused.text.find("statements 1 and 3"), std::string::npos) << refused.text;
  EXPECT_EQ(emulator.Log().find("API_"), std::string::npos);
}

// A table whose name and counts nearly fill the message's 511 bytes is still
// named with its rows of unknown fate; the table after it is counted.
TEST_F(WritesTest, AnAccountNamesItsFirstTableHoweverLongItsName) {
  std::string name = "Sales: ";
  for (int i = 0; i < 120; ++i) name += "\xE8\xA1\xA8";  // three bytes each
  const std::string table = "\"" + name + "\"";
  ASSERT_EQ(Direct("CREATE TABLE " + table + " (Code VARCHAR(10)); INSERT INTO " + table + " (Code) VALUES ('c0')"),
            SQL_SUCCESS)
      << ReadDiagnostic(SQL_HANDLE_STMT, statement).text;
  const std::string dbid = LoggedRequests(emulator, "API_ImportFromCSV", "dbid").back();
  Autocommit(false);
  ASSERT_EQ(Direct("INSERT INTO " + table + " (Code) VALUES ('c1')"), SQL_SUCCESS);
  ASSERT_EQ(Direct(InsertLine("long-1")), SQL_SUCCESS);
  emulator.Admin("faults", R"({"action": "API_ImportFromCSV", "drop_after": true, "dbid": ")" + dbid + "\"}");
  EXPECT_EQ(SQLEndTran(SQL_HANDLE_DBC, Handles().connection, SQL_COMMIT), SQL_ERROR);
  const Diagnostic failed = Handles().ConnectionDiagnostic();
  EXPECT_EQ(failed.state, "08007");
  EXPECT_NE(failed.text.find(": '" + name + "' 1 unknown; ... and 1 more table"), std::string::npos) << failed.text;
  EXPECT_EQ(SQLEndTran(SQL_HANDLE_DBC, Handles().connection, SQL_ROLLBACK), SQL_SUCCESS);
}

// A batch is refused before anything is sent when one of its statements is
// always refused, or when a parameter array would run each statement for
// every row before the next: no parameter row ran.
TEST_F(WritesTest, ABatchRefusedBeforeAnythingRuns) {
  struct {
    const char* label;
    bool prepared;
    SQLULEN rows;  // SQL_ATTR_PARAMSET_SIZE
    std::string sql;
    const char* text;
  } cases[] = {
      {"DROP TABLE second, prepared", true, 1, InsertLine("x1") + "; DROP TABLE \"Sales: Orders\"",
       "Not supported (batch statement 2, DROP TABLE \"Sales: Orders\", refused; no statement ran)"},
      {"CREATE INDEX first, direct", false, 1, "CREATE INDEX ix ON \"Sales: Orders\" (Amount); " + InsertLine("x2"),
       "(batch statement 1, CREATE INDEX ix ON"},
      {"DROP INDEX third, direct", false, 1, InsertLine("x3") + "; " + InsertLine("x4") + "; DROP INDEX ix",
       "(batch statement 3, DROP INDEX ix, refused"},
      {"an array of three, prepared", true, 3,
       InsertOrder("x5") + "; INSERT INTO \"Sales: Order Lines\" (Product) VALUES (?)",
       "A parameter array can't run a batch of several statements"},
      {"an array of three, direct", false, 3, InsertOrder("x6") + "; " + InsertLine("x7"),
       "A parameter array can't run a batch"},
  };
  char products[3][8] = {"y1", "y2", "y3"};
  SQLLEN lengths[3] = {SQL_NTS, SQL_NTS, SQL_NTS};
  SQLUSMALLINT statuses[3];
  SQLULEN processed = 0;
  SQLSetStmtAttr(statement, SQL_ATTR_PARAM_STATUS_PTR, statuses, 0);
  SQLSetStmtAttr(statement, SQL_ATTR_PARAMS_PROCESSED_PTR, &processed, 0);
  SQLBindParameter(statement, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 20, 0, products, 8, lengths);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    ClearLog();
    std::fill(std::begin(statuses), std::end(statuses), 99);
    processed = 7;
    SQLSetStmtAttr(statement, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(c.rows), 0);
    SQLCHAR* sql = (SQLCHAR*)c.sql.c_str();
    SQLRETURN result = c.prepared ? SQLPrepare(statement, sql, SQL_NTS) : SQLExecDirect(statement, sql, SQL_NTS);
    if (c.prepared && result == SQL_SUCCESS) result = SQLExecute(statement);
    EXPECT_EQ(result, SQL_ERROR);
    const Diagnostic diagnostic = ReadDiagnostic(SQL_HANDLE_STMT, statement);
    EXPECT_EQ(diagnostic.state, "HYC00");
    EXPECT_NE(diagnostic.text.find(c.text), std::string::npos) << diagnostic.text;
    for (const char* action : {"API_ImportFromCSV", "API_PurgeRecords", "API_AddRecord"})
      EXPECT_TRUE(LoggedRequests(emulator, action).empty()) << action;
    if (c.rows > 1) {
      EXPECT_EQ(processed, 0u);
      for (SQLUSMALLINT status : statuses) EXPECT_EQ(status, SQL_PARAM_UNUSED);
    }
  }
  SQLSetStmtAttr(statement, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(1), 0);
}

// A 5,000-row array whose row 2,501 can't be stored: every status entry
// says what became of its row, the processed count stops at the failing
// row, and the diagnostic names it. When the commit of the rows before it
// fails too, that failure takes the one diagnostic.
TEST_F(WritesTest, AParameterArrayFailingHalfWay) {
  constexpr int kRows = 5000;
  constexpr int kFailing = 2500;
  std::vector<char> products(kRows * 8);
  for (int i = 0; i < kRows; ++i) std::snprintf(&products[i * 8], 8, "a-%04d", i);
  products[kFailing * 8 + 2] = '\x01';
  struct {
    const char* label;
    const char* fault;
    const char* state;
    SQLLEN rowNumber;
    SQLUSMALLINT before;  // the status of the rows before the failing one
    SQLUSMALLINT failing;
    std::size_t stored;
  } cases[] = {
      {"the rows before it commit", nullptr, "22018", kFailing + 1, SQL_PARAM_SUCCESS, SQL_PARAM_ERROR, kFailing},
      {"their commit is refused", R"("errcode": 77)", "HY000", SQL_ROW_NUMBER_UNKNOWN, SQL_PARAM_ERROR,
       SQL_PARAM_DIAG_UNAVAILABLE, 0},
  };
  std::vector<SQLLEN> lengths(kRows, SQL_NTS);
  std::vector<SQLUSMALLINT> statuses(kRows);
  SQLULEN processed = 0;
  SQLSetStmtAttr(statement, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(kRows), 0);
  SQLSetStmtAttr(statement, SQL_ATTR_PARAM_STATUS_PTR, statuses.data(), 0);
  SQLSetStmtAttr(statement, SQL_ATTR_PARAMS_PROCESSED_PTR, &processed, 0);
  SQLBindParameter(statement, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 20, 0, products.data(), 8, lengths.data());
  const std::string sql = "INSERT INTO \"Sales: Order Lines\" (Product) VALUES (?)";
  ASSERT_EQ(SQLPrepare(statement, (SQLCHAR*)sql.c_str(), SQL_NTS), SQL_SUCCESS);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    if (c.fault != nullptr)
      emulator.Admin("faults", std::string(R"({"action": "API_ImportFromCSV", )") + c.fault + "}");
    std::fill(statuses.begin(), statuses.end(), 99);
    processed = 0;
    EXPECT_EQ(SQLExecute(statement), SQL_ERROR);
    const Diagnostic diagnostic = ReadDiagnostic(SQL_HANDLE_STMT, statement);
    EXPECT_EQ(diagnostic.state, c.state) << diagnostic.text;
    SQLLEN rowNumber = 0;
    EXPECT_EQ(SQLGetDiagField(SQL_HANDLE_STMT, statement, 1, SQL_DIAG_ROW_NUMBER, &rowNumber, 0, nullptr),
              SQL_SUCCESS);
    EXPECT_EQ(rowNumber, c.rowNumber);
    EXPECT_EQ(processed, static_cast<SQLULEN>(kFailing + 1));
    EXPECT_EQ(std::count(statuses.begin(), statuses.begin() + kFailing, c.before), kFailing);
    EXPECT_EQ(statuses[kFailing], c.failing);
    EXPECT_EQ(std::count(statuses.begin() + kFailing + 1, statuses.end(), SQL_PARAM_UNUSED), kRows - kFailing - 1);
    EXPECT_EQ(ServiceRecords(emulator, kLinesDbid, "7", "{7.SW.'a-'}").size(), c.stored);
    emulator.Admin("reset", R"({"path": ")" + DemoFixture() + R"("})");
  }
}

// A parameter's length is its indicator's, whatever its buffer length says,
// except in a column-wise array, where the buffer length is the distance to
// the next row's value: a longer length there refuses its row with 22001
// rather than read on into the next row (for the last row, past the array).
TEST_F(WritesTest, OnlyAColumnWiseArrayBoundsAParameterByItsBufferLength) {
  const struct {
    const char* label;
    std::string bytes;  // the values, each row's at bufferLength from the one before
    SQLLEN bufferLength;
    std::vector<SQLLEN> lengths;
    SQLRETURN result;
    std::vector<SQLUSMALLINT> statuses;
    std::vector<std::string> stored;
  } cases[] = {
      {"array", std::string("p-a\0\0\0\0\0p-bb\0\0\0\0p-cccccc", 24), 8, {3, 4, 12}, SQL_ERROR,
       {SQL_PARAM_SUCCESS, SQL_PARAM_SUCCESS, SQL_PARAM_ERROR}, {"p-a", "p-bb"}},
      {"one row", "p-dddd", 0, {6}, SQL_SUCCESS, {SQL_PARAM_SUCCESS}, {"p-dddd"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    std::vector<char> values(c.bytes.begin(), c.bytes.end());
    std::vector<SQLLEN> lengths = c.lengths;
    std::vector<SQLUSMALLINT> statuses(lengths.size(), 99);
    SQLSetStmtAttr(statement, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(lengths.size()), 0);
    SQLSetStmtAttr(statement, SQL_ATTR_PARAM_STATUS_PTR, statuses.data(), 0);
    SQLBindParameter(statement, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 20, 0, values.data(), c.bufferLength,
                     lengths.data());
    const std::string sql = std::string("INSERT INTO ") + kLines + " (Product) VALUES (?)";
    EXPECT_EQ(SQLExecDirect(statement, (SQLCHAR*)sql.c_str(), SQL_NTS), c.result);
    if (c.result == SQL_ERROR) {
      const Diagnostic diagnostic = ReadDiagnostic(SQL_HANDLE_STMT, statement);
      EXPECT_EQ(diagnostic.state, "22001");
      EXPECT_NE(diagnostic.text.find("right truncated: parameter 1 ("), std::string::npos) << diagnostic.text;
    }
    EXPECT_EQ(statuses, c.statuses);
    EXPECT_EQ(ServiceRecords(emulator, kLinesDbid, "7", "{7.SW.'p-'}"), c.stored);
    emulator.Admin("reset", R"({"path": ")" + DemoFixture() + R"("})");
  }
}

// A field the service keeps without limit takes a text whole, whatever size
// its column is described with: Email has no maxlength (described as
// VARCHAR(254)), Notes is multi-line (LONGVARCHAR(65534)). Each case's text
// is written to its record (Name) and read back from the service.
TEST_F(WritesTest, TextsOfAnyLengthReachFieldsWithoutLimitWhole) {
  constexpr const char* kCustomersDbid = "bii6tyqgm";
  constexpr std::size_t kLong = 100 * 1024;
  enum How { kLiteral, kParameter, kPieces };
  const struct {
    const char* sql;  // "?" stands for the text
    How how;
    std::size_t characters;
    const char* record;
    const char* fid;
  } cases[] = {
      {"INSERT INTO \"Sales: Customers\" (Name, Email) VALUES ('w-1', ?)", kLiteral, 300, "w-1", "7"},
      {"INSERT INTO \"Sales: Customers\" (Name, Notes) VALUES ('w-2', ?)", kParameter, kLong, "w-2", "10"},
      {"UPDATE \"Sales: Customers\" SET Email = ? WHERE Name = 'w-2'", kPieces, kLong, "w-2", "7"},
      {"UPDATE \"Sales: Customers\" SET Notes = ? WHERE Name = 'w-1'", kLiteral, 300, "w-1", "10"},
      {"INSERT INTO \"Sales: Customers\" (Name, Email, Notes) SELECT 'w-3', Email, Notes FROM "
       "\"Sales: Customers\" WHERE Name = 'w-2'",
       kLiteral, kLong, "w-3", "7.10"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sql);
    std::string text;
    for (std::size_t i = 0; i < c.characters; ++i) text += i % 7 == 0 ? "\xC3\xA9" : "x";
    std::string sql = c.sql;
    if (c.how == kLiteral && sql.find('?') != std::string::npos) sql.replace(sql.find('?'), 1, "'" + text + "'");
    SQLLEN length = c.how == kPieces ? SQL_DATA_AT_EXEC : SQL_NTS;
    SQLBindParameter(statement, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_LONGVARCHAR, 0, 0, text.data(), 0, &length);
    SQLRETURN result = Direct(sql);
    if (c.how == kPieces) {
      SQLPOINTER token = nullptr;
      ASSERT_EQ(SQLParamData(statement, &token), SQL_NEED_DATA);
      for (std::size_t at = 0; at < text.size(); at += 4096)
        SQLPutData(statement, text.data() + at, static_cast<SQLLEN>(std::min<std::size_t>(4096, text.size() - at)));
      result = SQLParamData(statement, &token);
    }
    ASSERT_EQ(result, SQL_SUCCESS) << StatementState();
    SQLFreeStmt(statement, SQL_RESET_PARAMS);
    const std::string stored = std::string(c.fid) == "7.10" ? text + "\t" + text : text;
    EXPECT_EQ(ServiceRecords(emulator, kCustomersDbid, c.fid, std::string("{6.EX.'") + c.record + "'}"),
              std::vector<std::string>{stored});
  }
}

// Writes that are refused send nothing, with autocommit on or off: a new
// text longer than its field's maxlength (Name holds 80) is refused with
// 22001 naming the column, in any row an UPDATE builds (n-long's Notes are
// 81 characters, so n-short is not renamed either), and so is a column
// assigned twice.
TEST_F(WritesTest, ARefusedWriteSendsNothing) {
  const std::string tooLong(81, 'B');
  for (const std::string& row : {std::string("('n-short', 'short')"), "('n-long', '" + tooLong + "')"})
    ASSERT_EQ(Direct("INSERT INTO \"Sales: Customers\" (Name, Notes) VALUES " + row), SQL_SUCCESS) << StatementState();
  const struct {
    std::string sql;
    bool prepared;
    const char* state;
    const char* named;
  } cases[] = {
      {"INSERT INTO \"Sales: Customers\" (Name) VALUES (?)", true, "22001", "'Name'"},
      {"UPDATE \"Sales: Customers\" SET Name = ? WHERE Name = 'n-short'", false, "22001", "'Name'"},
      {"UPDATE \"Sales: Customers\" SET Name = Notes WHERE Name LIKE 'n-%'", false, "22001", "'Name'"},
      {"UPDATE \"Sales: Customers\" SET Name = 'a', Rating = 5, Name = 'b' WHERE Name = 'n-short'", true, "S0000",
       "Name"},
  };
  SQLLEN terminated = SQL_NTS;
  for (bool autocommit : {true, false}) {
    Autocommit(autocommit);
    for (const auto& c : cases) {
      SCOPED_TRACE(c.sql + (autocommit ? " (autocommit)" : " (autocommit off)"));
      ClearLog();
      SQLBindParameter(statement, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 200, 0, (SQLPOINTER)tooLong.c_str(),
                       0, &terminated);
      SQLRETURN result = SQL_ERROR;
      if (!c.prepared || SQLPrepare(statement, (SQLCHAR*)c.sql.c_str(), SQL_NTS) == SQL_SUCCESS)
        result = c.prepared ? SQLExecute(statement) : Direct(c.sql);
      const Diagnostic diagnostic = ReadDiagnostic(SQL_HANDLE_STMT, statement);
      EXPECT_EQ(result, SQL_ERROR);
      EXPECT_EQ(diagnostic.state, c.state) << diagnostic.text;
      EXPECT_NE(diagnostic.text.find(c.named), std::string::npos) << diagnostic.text;
      SQLFreeStmt(statement, SQL_CLOSE);
      EXPECT_EQ(SQLEndTran(SQL_HANDLE_DBC, Handles().connection, SQL_COMMIT), SQL_SUCCESS);
      for (const std::string& action : LoggedRequests(emulator, "", "action"))
        EXPECT_TRUE(action != "API_ImportFromCSV" && action != "API_AddRecord" && action != "API_EditRecord" &&
                    action != "API_PurgeRecords")
            << action;
      EXPECT_EQ(ServiceRecords(emulator, "bii6tyqgm", "6", "{6.SW.'n-'}"),
                (std::vector<std::string>{"n-short", "n-long"}));
    }
  }
}

}  // namespace
