// Ending transactions and switching autocommit on, against held-back writes
// the test counts: each commit sends them once, a failed commit keeps them and
// says why, and SQLEndTran reaches the right handles.
#include <gtest/gtest.h>

#include <sqlext.h>

#include <cstdint>
#include <string>

#include "connection/handle_lifecycle.h"
#include "handles/connection_record.h"
#include "controlled_pending_writes.h"
#include "handles/statement_handle.h"
#include "odbc/connection_attributes.h"
#include "odbc/connection_release.h"
#include "odbc/descriptor_lifecycle.h"
#include "odbc/diagnostic_fields.h"
#include "odbc/odbc_test_handles.h"
#include "odbc/statement_allocation.h"
#include "odbc/statement_execution.h"
#include "odbc/transactions.h"

namespace {

struct Environment {
  EnvironmentHandle* environment = nullptr;
  Environment() {
    Writes() = ControlledWrites{};
    AllocEnvironmentHandle(&environment);
  }
  ~Environment() {
    Writes() = ControlledWrites{};
    while (environment->firstConnection != nullptr) FreeConnectionHandle(environment->firstConnection);
    FreeEnvironmentHandle(environment);
  }
  // A connection as the connect routine leaves it, autocommit on.
  ConnectionHandle* Connect() {
    ConnectionHandle* connection = nullptr;
    AllocConnectionHandle(*environment, &connection);
    MarkConnected(*connection);
    return connection;
  }
  static StatementHandle* NewStatement(ConnectionHandle* connection) {
    StatementHandle* statement = nullptr;
    EXPECT_EQ(AllocateStatement(*connection, &statement), SQL_SUCCESS);
    return statement;
  }
};

std::string DiagnosticOf(SQLSMALLINT handleType, void* handle) {
  SQLCHAR state[6] = {0};
  SQLCHAR text[300] = {0};
  GetDiagnosticRecord(handleType, handle, 1, state, nullptr, text, sizeof text, nullptr);
  return std::string(reinterpret_cast<char*>(state)) + " " + reinterpret_cast<char*>(text);
}

MessageId SetAutocommit(ConnectionHandle* connection, SQLULEN value) {
  return SetConnectionAttribute(*connection, SQL_ATTR_AUTOCOMMIT, Integer(value), SQL_IS_UINTEGER);
}

TEST(Autocommit, SwitchingOnSendsHeldWritesOnce) {
  Environment e;
  ConnectionHandle* connection = e.Connect();
  ASSERT_EQ(SetAutocommit(connection, SQL_AUTOCOMMIT_OFF), kMsgSuccess);
  EXPECT_EQ(connection->autocommit, 0);
  EXPECT_EQ(Writes().commits, 0);
  Writes().pending = true;
  ASSERT_EQ(SetAutocommit(connection, SQL_AUTOCOMMIT_ON), kMsgSuccess);
  EXPECT_EQ(Writes().commits, 1);
  EXPECT_FALSE(Writes().pending);
  EXPECT_EQ(connection->autocommit, 1);
  // Already on: nothing is held back, nothing to send.
  ASSERT_EQ(SetAutocommit(connection, SQL_AUTOCOMMIT_ON), kMsgSuccess);
  EXPECT_EQ(Writes().commits, 1);
  EXPECT_EQ(Writes().rollbacks, 0);
}

TEST(Autocommit, FailedCommitKeepsAutocommitOffAndTheWrites) {
  Environment e;
  ConnectionHandle* connection = e.Connect();
  SetAutocommit(connection, SQL_AUTOCOMMIT_OFF);
  Writes().pending = true;
  Writes().commitFails = true;
  EXPECT_EQ(SetAutocommit(connection, SQL_AUTOCOMMIT_ON), kMsgServerError);
  EXPECT_EQ(connection->autocommit, 0);
  EXPECT_TRUE(Writes().pending);
  EXPECT_EQ(Writes().rollbacks, 0);
  EXPECT_EQ(DiagnosticOf(SQL_HANDLE_DBC, connection), "HY000 [Tarvox][QuickBase]Request limit exceeded");
  Writes().commitFails = false;
  EXPECT_EQ(SetAutocommit(connection, SQL_AUTOCOMMIT_ON), kMsgSuccess);
  EXPECT_EQ(Writes().commits, 2);
  EXPECT_FALSE(Writes().pending);
  EXPECT_EQ(connection->autocommit, 1);
}

TEST(EndTransaction, ByHandle) {
  enum Target { kConnection, kEnvironment, kStatement, kDescriptor };
  struct {
    const char* label;
    Target target;
    SQLSMALLINT handleType;
    SQLSMALLINT completion;
    SQLRETURN result;
    int commits;
    int rollbacks;
  } cases[] = {
      {"connection commit", kConnection, SQL_HANDLE_DBC, SQL_COMMIT, SQL_SUCCESS, 1, 0},
      {"connection rollback", kConnection, SQL_HANDLE_DBC, SQL_ROLLBACK, SQL_SUCCESS, 0, 1},
      {"connection, unknown completion", kConnection, SQL_HANDLE_DBC, 2, SQL_ERROR, 0, 0},
      {"environment, unknown completion", kEnvironment, SQL_HANDLE_ENV, -1, SQL_ERROR, 0, 0},
      {"environment commit", kEnvironment, SQL_HANDLE_ENV, SQL_COMMIT, SQL_SUCCESS, 2, 0},
      {"environment rollback", kEnvironment, SQL_HANDLE_ENV, SQL_ROLLBACK, SQL_SUCCESS, 0, 2},
      {"statement", kStatement, SQL_HANDLE_STMT, SQL_COMMIT, SQL_ERROR, 0, 0},
      {"descriptor", kDescriptor, SQL_HANDLE_DESC, SQL_COMMIT, SQL_ERROR, 0, 0},
      {"unknown handle type", kConnection, 9, SQL_COMMIT, SQL_ERROR, 0, 0},
  };
  for (const auto& c : cases) {
    Environment e;
    ConnectionHandle* first = e.Connect();
    e.Connect();
    StatementHandle* statement = Environment::NewStatement(first);
    void* handles[] = {first, e.environment, statement, &statement->ard};
    EXPECT_EQ(EndTransactionByHandle(c.handleType, handles[c.target], c.completion), c.result) << c.label;
    EXPECT_EQ(Writes().commits, c.commits) << c.label;
    EXPECT_EQ(Writes().rollbacks, c.rollbacks) << c.label;
    if (c.target == kStatement) {
      EXPECT_EQ(statement->diagnostic.messageId, kMsgInvalidAttribute);
    }
    if (c.target == kDescriptor) {
      EXPECT_EQ(statement->ard.diagnostic.messageId, kMsgInvalidAttribute);
    }
    const bool unknownCompletion = c.completion != SQL_COMMIT && c.completion != SQL_ROLLBACK;
    if (unknownCompletion) {
      HandleDiagnostic& refused = c.target == kEnvironment ? e.environment->diagnostic : first->diagnostic;
      EXPECT_EQ(DiagnosticOf(c.handleType, handles[c.target]).substr(0, 5), "HY012") << c.label;
      EXPECT_EQ(refused.messageId, kMsgInvalidTransactionCode) << c.label;
    }
  }
}

// With autocommit off only the commit itself ends the statements' part in
// the transaction: closing a cursor does not.
TEST(EndTransaction, CommitClosesCursorsAndKeepsPreparedStatements) {
  for (std::uint8_t autocommit : {1, 0}) {
    SCOPED_TRACE(autocommit != 0 ? "autocommit" : "manual commit");
    Environment e;
    ConnectionHandle* connection = e.Connect();
    connection->autocommit = autocommit;
    StatementHandle* statement = Environment::NewStatement(connection);
    statement->statementKind = kStatementQueryResult;
    statement->prepared = 1;
    statement->transactionFlags[0] = 1;
    statement->transactionFlags[1] = 1;
    // What the statement's own last call left is still there for its thread
    // to read: ending the transaction is a call on the connection.
    SetDiagnostic(statement->diagnostic, kMsgOptionValueChanged);
    EXPECT_EQ(EndTransactionByHandle(SQL_HANDLE_DBC, connection, SQL_COMMIT), SQL_SUCCESS);
    EXPECT_EQ(statement->diagnostic.messageId, kMsgOptionValueChanged);
    EXPECT_EQ(statement->statementKind, kStatementNone);
    EXPECT_EQ(statement->prepared, 1);
    EXPECT_EQ(statement->transactionFlags[0], 0);
    EXPECT_EQ(statement->transactionFlags[1], 0);
    // Once the transaction is over, a new isolation level may be chosen.
    connection->record->isolationMask = SQL_TXN_READ_COMMITTED | SQL_TXN_SERIALIZABLE;
    EXPECT_EQ(SetConnectionAttribute(*connection, SQL_ATTR_TXN_ISOLATION, Integer(SQL_TXN_SERIALIZABLE), 0),
              kMsgSuccess);
  }
}

TEST(EndTransaction, EnvironmentStopsAtFirstFailure) {
  const struct {
    const char* partlyDone;
    const char* diagnostic;
  } cases[] = {
      {nullptr, "HY000 [Tarvox][QuickBase]Request limit exceeded"},
      {"'Sales: Orders' 1 written, 2 not written (still pending)",
       "HY000 [Tarvox ODBC]Writes partly done: 'Sales: Orders' 1 written, 2 not written (still pending)"},
  };
  for (const auto& c : cases) {
    Environment e;
    e.Connect();
    e.Connect();
    Writes().commitFails = true;
    Writes().partlyDone = c.partlyDone;
    EXPECT_EQ(EndTransactionByHandle(SQL_HANDLE_ENV, e.environment, SQL_COMMIT), SQL_ERROR);
    EXPECT_EQ(Writes().commits, 1);
    EXPECT_EQ(DiagnosticOf(SQL_HANDLE_ENV, e.environment), c.diagnostic);
  }
}

TEST(EndTransaction, NothingToEndWithoutService) {
  struct {
    const char* label;
    bool connected;
    std::uint16_t capability;
  } cases[] = {{"not connected", false, 1}, {"no transactions", true, 0}};
  for (const auto& c : cases) {
    Environment e;
    ConnectionHandle* connection = nullptr;
    if (c.connected) {
      connection = e.Connect();
      connection->record->transactionCapability = c.capability;
    } else {
      AllocConnectionHandle(*e.environment, &connection);
    }
    EXPECT_EQ(EndTransactionByHandle(SQL_HANDLE_DBC, connection, SQL_COMMIT), SQL_SUCCESS) << c.label;
    EXPECT_EQ(Writes().commits, 0) << c.label;
  }
  Environment empty;
  EXPECT_EQ(EndTransactionByHandle(SQL_HANDLE_ENV, empty.environment, SQL_COMMIT), SQL_SUCCESS);
  EXPECT_EQ(EndTransaction(nullptr, nullptr, SQL_COMMIT), SQL_INVALID_HANDLE);
}

}  // namespace

// Data definition while another statement of the connection has written in
// the open transaction, by the connection's transaction capability.
TEST(DataDefinitionPolicy, ByTransactionCapability) {
  struct {
    const char* label;
    std::uint16_t capability;
    std::uint8_t commitDeletesPrepared;
    bool commitFails;
    MessageId expected;
    int commits;  // attempted
    bool stillPending;
  } cases[] = {
      {"data manipulation only", SQL_TC_DML, 0, false, kMsgDdlInTransaction, 0, true},
      {"commits first", SQL_TC_DDL_COMMIT, 0, false, kMsgCommittedBeforeDdl, 1, false},
      {"commits first, deleting prepared statements", SQL_TC_DDL_COMMIT, 1, false, kMsgPreparedDdlDeleted, 1, false},
      {"commits first, and the commit fails", SQL_TC_DDL_COMMIT, 0, true, kMsgServerError, 1, true},
      {"ignored", SQL_TC_DDL_IGNORE, 0, false, kMsgDdlIgnored, 0, true},
      {"mixed freely", SQL_TC_ALL, 0, false, kMsgSuccess, 0, true},
  };
  for (const auto& c : cases) {
    Environment e;
    ConnectionHandle* connection = e.Connect();
    SetAutocommit(connection, SQL_AUTOCOMMIT_OFF);
    connection->record->transactionCapability = c.capability;
    connection->record->commitDeletesPrepared = c.commitDeletesPrepared;
    StatementHandle* writer = Environment::NewStatement(connection);
    StatementHandle* definer = Environment::NewStatement(connection);
    writer->transactionFlags[1] = 1;
    Writes().pending = true;
    Writes().commitFails = c.commitFails;
    EXPECT_EQ(ApplyDdlTransactionPolicy(*definer), c.expected) << c.label;
    EXPECT_EQ(Writes().commits, c.commits) << c.label;
    EXPECT_EQ(Writes().pending, c.stillPending) << c.label;
    if (c.commitFails) {
      EXPECT_NE(definer->diagnostic.messageText.find("Request limit exceeded"), std::string::npos) << c.label;
    }
    Writes() = ControlledWrites{};
  }
}

TEST(DataDefinitionPolicy, NothingWrittenMeansNoTransactionToMind) {
  Environment e;
  ConnectionHandle* connection = e.Connect();
  SetAutocommit(connection, SQL_AUTOCOMMIT_OFF);
  connection->record->transactionCapability = SQL_TC_DML;
  StatementHandle* definer = Environment::NewStatement(connection);
  EXPECT_EQ(ApplyDdlTransactionPolicy(*definer), kMsgSuccess);
}
