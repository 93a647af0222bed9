// Executing data definition inside an open transaction on connections whose
// transaction capability the test sets (the service's connections are all
// of one kind): what runs, what is committed first, and the second run of a
// direct execution whose commit deleted its prepared statement. Against the
// emulator's request log.
#include <gtest/gtest.h>

#include <sqlext.h>

#include <string>

#include "handles/connection_record.h"
#include "handles/statement_handle.h"
#include "odbc/direct_execution.h"
#include "odbc/handle_dispatch.h"
#include "odbc/prepare_statement.h"
#include "odbc/statement_allocation.h"
#include "odbc/statement_execution.h"
#include "tables/emulator_session.h"
#include "tables/write_flush.h"

namespace {

const SQLCHAR* Text(const std::string& sql) { return reinterpret_cast<const SQLCHAR*>(sql.c_str()); }

TEST(StatementExecution, DataDefinitionInsideATransactionByCapability) {
  EmulatorSession emulator;
  ASSERT_TRUE(emulator.Start("emulator/fixtures/demo.json"));
  emulator.connection.autocommit = 0;
  struct {
    const char* sql;
    std::uint16_t capability;
    std::uint8_t commitDeletesPrepared;
    bool direct;
    SQLRETURN result;
    MessageId message;
    std::size_t tablesCreated;
    std::size_t importsSent;  // the pending row committed first
  } cases[] = {
      {"CREATE TABLE \"Sales: Ignored\" (Code VARCHAR(8))", SQL_TC_DDL_IGNORE, 0, true, SQL_SUCCESS_WITH_INFO,
       kMsgDdlIgnored, 0, 0},
      {"CREATE TABLE \"Sales: After Commit\" (Code VARCHAR(8))", SQL_TC_DDL_COMMIT, 0, false, SQL_SUCCESS_WITH_INFO,
       kMsgCommittedBeforeDdl, 1, 1},
      // The commit deletes the prepared statement; the direct execution
      // prepares the text once more and runs it.
      {"CREATE TABLE \"Sales: Run Twice\" (Code VARCHAR(8))", SQL_TC_DDL_COMMIT, 1, true, SQL_SUCCESS_WITH_INFO,
       kMsgCommittedBeforeDdl, 1, 1},
      {"DROP TABLE \"Sales: Orders\"", SQL_TC_DDL_COMMIT, 0, true, SQL_ERROR, kMsgNotSupported, 0, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sql);
    emulator.Record().transactionCapability = c.capability;
    emulator.Record().commitDeletesPrepared = c.commitDeletesPrepared;
    StatementHandle* writer = nullptr;
    StatementHandle* definer = nullptr;
    ASSERT_EQ(AllocateStatement(emulator.connection, &writer), SQL_SUCCESS);
    ASSERT_EQ(AllocateStatement(emulator.connection, &definer), SQL_SUCCESS);
    const std::string insert = "INSERT INTO \"Sales: Order Lines\" (Product) VALUES ('pending')";
    ASSERT_EQ(ExecDirectStatement(*writer, Text(insert), SQL_NTS), SQL_SUCCESS);
    emulator.ClearLog();
    SQLRETURN result = SQL_ERROR;
    if (c.direct) {
      result = ExecDirectStatement(*definer, Text(c.sql), SQL_NTS);
    } else {
      ASSERT_EQ(PrepareStatement(*definer, Text(c.sql), SQL_NTS), SQL_SUCCESS);
      result = ExecutePrepared(*definer);
    }
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(definer->diagnostic.messageId, c.message);
    EXPECT_EQ(emulator.Log("API_CreateTable").size(), c.tablesCreated);
    EXPECT_EQ(emulator.Log("API_ImportFromCSV").size(), c.importsSent);
    emulator.Record().transactionCapability = SQL_TC_DML;
    FreeHandleByKind(SQL_HANDLE_STMT, definer);
    FreeHandleByKind(SQL_HANDLE_STMT, writer);
    // What an ignored definition left pending goes before the next case.
    emulator.Record().currentStatement = nullptr;
    FlushPendingWrites(emulator.Record());
  }
}

}  // namespace
