// Statement records: allocation with the connection's defaults, and their
// final release.
#include "odbc/statement_allocation.h"
#include "common/message_ids.h"
#include "odbc/descriptor_lifecycle.h"

#include <new>

#include "handles/connection_record.h"
#include "handles/handles.h"
#include "handles/statement_handle.h"

namespace {

void CopyConnectionDefaults(StatementHandle& statement, ConnectionHandle& connection) {
  statement.catalogName = connection.currentCatalog;
  statement.concurrency = connection.concurrency;
  statement.cursorType = connection.cursorType;
  statement.retrieveData = connection.retrieveData;
  statement.useBookmarks = connection.useBookmarks;
  statement.metadataId = connection.metadataId;
}

void InitEmbeddedDescriptors(StatementHandle& statement, ConnectionHandle& connection) {
  InitEmbeddedDescriptor(statement.ird, &connection, &statement, 0);
  InitEmbeddedDescriptor(statement.ard, &connection, nullptr, connection.bindType);
  InitEmbeddedDescriptor(statement.ipd, &connection, &statement, 0);
  InitEmbeddedDescriptor(statement.apd, &connection, nullptr, 0);
  LinkDescriptor(connection, statement.ird);
  LinkDescriptor(connection, statement.ard);
  LinkDescriptor(connection, statement.ipd);
  LinkDescriptor(connection, statement.apd);
}

void UnlinkStatement(ConnectionHandle& connection, StatementHandle& statement) {
  for (StatementHandle** link = &connection.firstStatement; *link != nullptr; link = &(*link)->nextStatement) {
    if (*link == &statement) {
      *link = statement.nextStatement;
      return;
    }
  }
}

}  // namespace

SQLRETURN AllocateStatement(ConnectionHandle& connection, StatementHandle** out) {
  ClearDiagnostic(connection.diagnostic);
  auto* statement = new (std::nothrow) StatementHandle;
  if (statement == nullptr) {
    SetDiagnostic(connection.diagnostic, kMsgMemoryAllocation);
    return SQL_ERROR;
  }
  statement->connection = &connection;
  statement->nextStatement = connection.firstStatement;
  connection.firstStatement = statement;
  CopyConnectionDefaults(*statement, connection);
  InitEmbeddedDescriptors(*statement, connection);
  *out = statement;
  return SQL_SUCCESS;
}

void DestroyStatementHandle(StatementHandle* statement) {
  ConnectionHandle& connection = *statement->connection;
  // A later failure of the connection (a commit's flush) would otherwise be
  // posted into the freed statement.
  if (connection.record != nullptr && connection.record->currentStatement == statement)
    connection.record->currentStatement = nullptr;
  UnlinkDescriptor(connection, statement->ird);
  UnlinkDescriptor(connection, statement->ard);
  UnlinkDescriptor(connection, statement->ipd);
  UnlinkDescriptor(connection, statement->apd);
  UnlinkStatement(connection, *statement);
  ReleaseDescriptorRecords(statement->ird, false);
  ReleaseDescriptorRecords(statement->ard, false);
  ReleaseDescriptorRecords(statement->ipd, false);
  ReleaseDescriptorRecords(statement->apd, false);
  delete statement;
}
