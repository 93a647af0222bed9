// Freeing a writable result under autocommit commits first. When that commit
// fails, the free fails too and keeps the statement with the commit's
// diagnostic, while the writes not sent are dropped, as a write statement's
// are under autocommit: nothing holds up the disconnect.
#include <gtest/gtest.h>

#include <sqlext.h>

#include "connection/handle_lifecycle.h"
#include "handles/connection_record.h"
#include "controlled_pending_writes.h"
#include "handles/statement_handle.h"
#include "odbc/connection_release.h"
#include "odbc/diagnostic_fields.h"
#include "odbc/handle_dispatch.h"
#include "odbc/statement_allocation.h"
#include "odbc/statement_free.h"

namespace {

struct Connected {
  EnvironmentHandle* environment = nullptr;
  ConnectionHandle* connection = nullptr;
  StatementHandle* statement = nullptr;
  Connected() {
    Writes() = ControlledWrites{};
    AllocEnvironmentHandle(&environment);
    AllocConnectionHandle(*environment, &connection);
    connection->record = new ConnectionRecord;
    connection->record->connection = connection;
    connection->autocommit = 1;
    AllocateStatement(*connection, &statement);
    statement->statementKind = kStatementQueryResult;
    statement->concurrency = SQL_CONCUR_LOCK;
    Writes().pending = true;
    Writes().commitFails = true;
  }
  ~Connected() {
    Writes() = ControlledWrites{};
    FreeConnectionHandle(connection);
    FreeEnvironmentHandle(environment);
  }
};

std::string MessageOf(SQLHANDLE handle, SQLSMALLINT handleType = SQL_HANDLE_STMT) {
  SQLCHAR state[6] = {0};
  SQLCHAR text[300] = {0};
  GetDiagnosticRecord(handleType, handle, 1, state, nullptr, text, sizeof text, nullptr);
  return std::string(reinterpret_cast<char*>(state)) + " " + reinterpret_cast<char*>(text);
}

TEST(DropAfterFailedCommit, StatementIsKeptAndUnsentWritesDropped) {
  struct {
    const char* label;
    bool throughFreeHandle;
    const char* partlyDone;
    const char* message;
  } cases[] = {
      {"SQLFreeStmt(SQL_DROP)", false, nullptr, "HY000 [Tarvox][QuickBase]Request limit exceeded"},
      {"SQLFreeHandle", true, nullptr, "HY000 [Tarvox][QuickBase]Request limit exceeded"},
      {"part of the writes sent", false, "'Sales: Orders' 1 written, 2 not written",
       "HY000 [Tarvox ODBC]Writes partly done: 'Sales: Orders' 1 written, 2 not written"},
  };
  for (const auto& c : cases) {
    Connected f;
    Writes().partlyDone = c.partlyDone;
    SQLRETURN result = c.throughFreeHandle ? FreeHandleByKind(SQL_HANDLE_STMT, f.statement)
                                           : FreeStatement(f.statement, SQL_DROP);
    EXPECT_EQ(result, SQL_ERROR) << c.label;
    EXPECT_EQ(f.connection->firstStatement, f.statement) << c.label;
    EXPECT_EQ(Writes().rollbacks, 1) << c.label;
    EXPECT_FALSE(Writes().pending) << c.label;
    EXPECT_EQ(MessageOf(f.statement), c.message) << c.label;

    // The commit closed the cursor before it failed; a second free then
    // goes through, commits nothing more, and the disconnect is not held up.
    EXPECT_EQ(FreeStatement(f.statement, SQL_DROP), SQL_SUCCESS) << c.label;
    EXPECT_EQ(f.connection->firstStatement, nullptr) << c.label;
    EXPECT_EQ(Writes().commits, 1) << c.label;
    EXPECT_EQ(Disconnect(*f.connection), kMsgSuccess) << c.label;
  }
}

// Freeing a connection drops its statements first: one that refuses keeps
// the connection, on its environment's list, with the statement's message.
TEST(DropAfterFailedCommit, ConnectionWithARefusedDropIsKept) {
  Connected f;
  EXPECT_EQ(FreeConnectionHandle(f.connection), SQL_ERROR);
  EXPECT_EQ(MessageOf(f.connection, SQL_HANDLE_DBC), "HY000 [Tarvox][QuickBase]Request limit exceeded");
  EXPECT_EQ(f.connection->firstStatement, f.statement);
  EXPECT_EQ(f.environment->firstConnection, f.connection);
}

TEST(DropAfterFailedCommit, ReadOnlyResultDoesNotCommit) {
  Connected f;
  f.statement->concurrency = SQL_CONCUR_READ_ONLY;
  EXPECT_EQ(FreeStatement(f.statement, SQL_CLOSE), SQL_SUCCESS);
  EXPECT_EQ(Writes().commits, 0);
  f.statement->statementKind = kStatementQueryResult;
  f.statement->concurrency = SQL_CONCUR_LOCK;
  f.connection->autocommit = 0;
  EXPECT_EQ(FreeStatement(f.statement, SQL_CLOSE), SQL_SUCCESS);
  EXPECT_EQ(Writes().commits, 0);
}

TEST(DropAfterFailedCommit, DisconnectRefusedWhileWritesPending) {
  Connected f;
  f.statement->statementKind = kStatementNone;
  EXPECT_EQ(Disconnect(*f.connection), kMsgTransactionActive);
  EXPECT_NE(f.connection->record, nullptr);
  EXPECT_EQ(f.connection->firstStatement, f.statement);
  EXPECT_EQ(Writes().rollbacks, 0);
  Writes().pending = false;
  EXPECT_EQ(Disconnect(*f.connection), kMsgSuccess);
  EXPECT_EQ(f.connection->firstStatement, nullptr);
}

}  // namespace
