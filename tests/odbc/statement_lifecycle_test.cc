// Statement and descriptor lifecycles on one connection: list order, what
// closing keeps and frees, unbinding, and descriptor ownership.
#include <gtest/gtest.h>

#include <sqlext.h>

#include <vector>

#include "odbc/handle_dispatch.h"
#include "odbc/statement_free.h"
#include "odbc_test_handles.h"
#include "common/message_ids.h"
#include "sql/parse_tree.h"

namespace {

void AddRecord(DescriptorHandle& descriptor, std::uint16_t number) {
  auto* record = new DescriptorRecord;
  record->number = number;
  record->nextRecord = descriptor.records;
  descriptor.records = record;
}

std::vector<std::uint16_t> RecordNumbers(const DescriptorHandle& descriptor) {
  std::vector<std::uint16_t> numbers;
  for (const DescriptorRecord* r = descriptor.records; r != nullptr; r = r->nextRecord) numbers.push_back(r->number);
  return numbers;
}

TEST(StatementLifecycle, AllocationTakesConnectionDefaults) {
  Connection c;
  c.connection->currentCatalog = "Sales";
  c.connection->cursorType = 1;
  c.connection->concurrency = 2;
  c.connection->bindType = 24;
  StatementHandle* s = c.NewStatement();
  EXPECT_EQ(s->catalogName, "Sales");
  EXPECT_EQ(s->cursorType, 1);
  EXPECT_EQ(s->concurrency, 2);
  EXPECT_EQ(s->ard.bindType, 24u);
  EXPECT_EQ(s->ird.bindType, 0u);
  EXPECT_EQ(s->ird.owningStatement, s);
  EXPECT_EQ(s->ipd.owningStatement, s);
  EXPECT_EQ(s->ard.owningStatement, nullptr);
  EXPECT_EQ(s->ard.bindOffsetPointer, &s->ard.zeroWord);
  EXPECT_EQ(s->catalogRow, -2);
  EXPECT_EQ(s->rowCount, -1);
  EXPECT_EQ(c.Descriptors(), (std::vector<DescriptorHandle*>{&s->apd, &s->ipd, &s->ard, &s->ird}));
}

TEST(StatementLifecycle, HundredStatementsAllocatedAndFreed) {
  Connection c;
  std::vector<StatementHandle*> statements;
  for (int i = 0; i < 100; ++i) statements.push_back(c.NewStatement());
  EXPECT_EQ(c.Descriptors().size(), 400u);
  // Free in an order unlike allocation: every other one, then the rest.
  for (std::size_t i = 0; i < statements.size(); i += 2)
    EXPECT_EQ(FreeHandleByKind(SQL_HANDLE_STMT, statements[i]), SQL_SUCCESS);
  EXPECT_EQ(c.Descriptors().size(), 200u);
  for (std::size_t i = 1; i < statements.size(); i += 2)
    EXPECT_EQ(FreeHandleByKind(SQL_HANDLE_STMT, statements[i]), SQL_SUCCESS);
  EXPECT_EQ(c.connection->firstStatement, nullptr);
  EXPECT_TRUE(c.Descriptors().empty());
}

TEST(StatementLifecycle, ApplicationDescriptorsKeepOrderAndFallBack) {
  Connection c;
  StatementHandle* s = c.NewStatement();
  SQLHANDLE handle = nullptr;
  ASSERT_EQ(AllocHandleByKind(SQL_HANDLE_DESC, c.connection, &handle), SQL_SUCCESS);
  auto* application = static_cast<DescriptorHandle*>(handle);
  StatementHandle* t = c.NewStatement();
  s->currentArd = application;
  t->currentApd = application;
  ASSERT_EQ(FreeHandleByKind(SQL_HANDLE_STMT, t), SQL_SUCCESS);
  EXPECT_EQ(c.Descriptors(), (std::vector<DescriptorHandle*>{application, &s->apd, &s->ipd, &s->ard, &s->ird}));
  EXPECT_EQ(FreeHandleByKind(SQL_HANDLE_DESC, &s->ard), SQL_ERROR);
  EXPECT_EQ(s->ard.diagnostic.messageId, kMsgAutomaticDescriptor);
  EXPECT_EQ(FreeHandleByKind(SQL_HANDLE_DESC, application), SQL_SUCCESS);
  EXPECT_EQ(s->currentArd, &s->ard);
}

TEST(StatementLifecycle, DroppingLeavesSharedApplicationDescriptorBound) {
  Connection c;
  StatementHandle* s = c.NewStatement();
  StatementHandle* t = c.NewStatement();
  SQLHANDLE handle = nullptr;
  ASSERT_EQ(AllocHandleByKind(SQL_HANDLE_DESC, c.connection, &handle), SQL_SUCCESS);
  auto* shared = static_cast<DescriptorHandle*>(handle);
  AddRecord(*shared, 1);
  s->currentArd = shared;
  t->currentArd = shared;
  ASSERT_EQ(FreeStatement(s, SQL_DROP), SQL_SUCCESS);
  EXPECT_EQ(RecordNumbers(*shared), (std::vector<std::uint16_t>{1}));
}

TEST(StatementLifecycle, FreeStatementOptions) {
  Connection c;
  StatementHandle* s = c.NewStatement();
  for (std::uint16_t n : {0, 2, 1}) AddRecord(s->ard, n);
  for (std::uint16_t n : {3, 0}) AddRecord(s->apd, n);
  s->diagnosticRowCount = 7;
  EXPECT_EQ(FreeStatement(s, SQL_UNBIND), SQL_SUCCESS);
  EXPECT_EQ(RecordNumbers(s->ard), (std::vector<std::uint16_t>{0}));
  EXPECT_EQ(s->diagnosticRowCount, 0);
  s->dataAtExecution = 1;
  EXPECT_EQ(FreeStatement(s, SQL_RESET_PARAMS), SQL_ERROR);
  EXPECT_EQ(s->diagnostic.messageId, kMsgInvalidCursorState);
  s->dataAtExecution = 0;
  EXPECT_EQ(FreeStatement(s, SQL_RESET_PARAMS), SQL_SUCCESS);
  EXPECT_EQ(RecordNumbers(s->apd), (std::vector<std::uint16_t>{0}));
  EXPECT_EQ(FreeStatement(s, 4), SQL_SUCCESS);
  EXPECT_EQ(FreeStatement(s, 1000), SQL_SUCCESS);
}

TEST(StatementLifecycle, CloseKeepsOnlyPreparedTrees) {
  struct {
    std::uint8_t prepared;
    bool treeKept;
  } cases[] = {{0, false}, {1, true}};
  for (const auto& c : cases) {
    Connection connection;
    StatementHandle* s = connection.NewStatement();
    s->parseTree = new ParseTree;
    s->prepared = c.prepared;
    s->statementKind = kStatementQueryResult;
    s->catalogRow = 5;
    s->dataAtExecution = 1;
    s->pendingOperation = 4;
    EXPECT_EQ(FreeStatement(s, SQL_CLOSE), SQL_SUCCESS);
    EXPECT_EQ(s->parseTree != nullptr, c.treeKept);
    EXPECT_EQ(s->statementKind, kStatementNone);
    EXPECT_EQ(s->catalogRow, -2);
    EXPECT_EQ(s->dataAtExecution, 0);
    EXPECT_EQ(s->pendingOperation, kNoPendingOperation);
  }
}

TEST(StatementLifecycle, CloseCursorAndCancel) {
  Connection c;
  StatementHandle* s = c.NewStatement();
  EXPECT_EQ(CloseStatementCursor(*s), SQL_ERROR);
  EXPECT_EQ(s->diagnostic.messageId, kMsgInvalidCursorState);
  s->statementKind = kStatementQueryResult;
  EXPECT_EQ(CancelStatement(*s), SQL_SUCCESS);
  EXPECT_EQ(s->statementKind, kStatementQueryResult);
  EXPECT_EQ(CloseStatementCursor(*s), SQL_SUCCESS);
  EXPECT_EQ(s->statementKind, kStatementNone);

  struct {
    std::int64_t pendingOperation;
    std::int32_t kindAfter;
  } cases[] = {{kNoPendingOperation, kStatementNone}, {SQL_UPDATE, kStatementQueryResult}};
  for (const auto& cancel : cases) {
    s->statementKind = kStatementQueryResult;
    s->dataAtExecution = 1;
    s->pendingOperation = cancel.pendingOperation;
    EXPECT_EQ(CancelStatement(*s), SQL_SUCCESS);
    EXPECT_EQ(s->dataAtExecution, 0);
    EXPECT_EQ(s->statementKind, cancel.kindAfter);
    EXPECT_EQ(s->pendingOperation, kNoPendingOperation);
  }
}

TEST(StatementLifecycle, ReadOnlyOrUnconnectedCloseNeverCommits) {
  Connection c;
  StatementHandle* s = c.NewStatement();
  s->statementKind = kStatementQueryResult;
  s->concurrency = SQL_CONCUR_LOCK;
  c.connection->autocommit = 1;
  // No connection record: nothing to commit, the close succeeds.
  EXPECT_EQ(FreeStatement(s, SQL_CLOSE), SQL_SUCCESS);
  EXPECT_EQ(s->statementKind, kStatementNone);
}

}  // namespace
