// Handle checks, locks, return codes and diagnostics of the exported
// functions.
#include "odbc/export_guard.h"

#include <cstring>

#include "connection/handle_lifecycle.h"
#include "connection/quickbase_client.h"
#include "odbc/connection_release.h"
#include "odbc/statement_free.h"
#include "platform/message_resources.h"

namespace {

template <typename Record>
Record* RecordOfKind(SQLHANDLE handle, std::int16_t kind) {
  return HandleKind(handle) == kind ? static_cast<Record*>(handle) : nullptr;
}

template <typename Record>
std::mutex* MutexOfRecord(Record* record) {
  return record == nullptr ? nullptr : &export_detail::MutexOf(*record);
}

}  // namespace

EnvironmentHandle* EnvironmentOf(SQLHANDLE handle) {
  return RecordOfKind<EnvironmentHandle>(handle, kHandleKindEnvironment);
}

ConnectionHandle* ConnectionOf(SQLHANDLE handle) {
  return RecordOfKind<ConnectionHandle>(handle, kHandleKindConnection);
}

StatementHandle* StatementOf(SQLHANDLE handle) { return RecordOfKind<StatementHandle>(handle, kHandleKindStatement); }

DescriptorHandle* DescriptorOf(SQLHANDLE handle) {
  return RecordOfKind<DescriptorHandle>(handle, kHandleKindDescriptor);
}

std::mutex* MutexGuarding(SQLSMALLINT handleType, SQLHANDLE handle) {
  switch (handleType) {
    case SQL_HANDLE_ENV: return MutexOfRecord(EnvironmentOf(handle));
    case SQL_HANDLE_DBC: return MutexOfRecord(ConnectionOf(handle));
    case SQL_HANDLE_STMT: return MutexOfRecord(StatementOf(handle));
    case SQL_HANDLE_DESC: return MutexOfRecord(DescriptorOf(handle));
    default: return nullptr;
  }
}

SQLRETURN ReturnCodeFor(MessageId id) {
  if (id == kMsgSuccess) return SQL_SUCCESS;
  const char* text = LoadMessageResource(id);
  bool warning = text != nullptr && std::strlen(text) >= 12 && text[6] == '0' && text[7] == '1';
  return warning ? SQL_SUCCESS_WITH_INFO : SQL_ERROR;
}

SQLRETURN FinishCall(HandleDiagnostic& diagnostic, MessageId id) {
  if (id != kMsgSuccess && diagnostic.messageId != id) SetDiagnostic(diagnostic, id);
  return ReturnCodeFor(id);
}

StatementCallScope::StatementCallScope(StatementHandle& statement) noexcept : connection(*statement.connection) {
  // Cleared before the call is published: a request that SQLCancel makes
  // in between is then seen by this call or handled after it, never lost.
  statement.cancelRequested.store(false);
  connection.statementInCall.store(&statement);
  ClearDiagnostic(statement.diagnostic);
  statement.diagnosticRowCount = 0;
  if (connection.record != nullptr)
    connection.record->client->session.transport.cancelRequest = &statement.cancelRequested;
}

StatementCallScope::~StatementCallScope() {
  if (connection.record != nullptr) connection.record->client->session.transport.cancelRequest = nullptr;
  connection.statementInCall.store(nullptr);
}

SQLRETURN GuardedEnvironmentFree(SQLHENV handle) noexcept {
  EnvironmentHandle* environment = EnvironmentOf(handle);
  if (environment == nullptr) return SQL_INVALID_HANDLE;
  // No parent to lock: an application frees an environment only once it is
  // done with every connection on it, which the core checks.
  return GuardedCall(&environment->diagnostic, "SQLFreeHandle", [&] { return FreeEnvironmentHandle(environment); });
}

SQLRETURN GuardedConnectionFree(SQLHDBC handle) noexcept {
  ConnectionHandle* connection = ConnectionOf(handle);
  if (connection == nullptr) return SQL_INVALID_HANDLE;
  std::lock_guard<std::mutex> environmentLock(connection->environment->mutex);
  SQLRETURN result = GuardedConnectionCall(
      handle, "SQLFreeHandle", [](ConnectionHandle& released) { return ReleaseDisconnectedConnection(released); });
  // Its own mutex is free again here, so the record can go.
  if (result == SQL_SUCCESS) delete connection;
  return result;
}

SQLRETURN GuardedCancel(SQLHSTMT handle) noexcept {
  StatementHandle* statement = StatementOf(handle);
  if (statement == nullptr) return SQL_INVALID_HANDLE;
  statement->cancelRequested.store(true);
  // The running call holds the connection's lock and reports for itself.
  if (statement->connection->statementInCall.load() == statement) return SQL_SUCCESS;
  // Another statement of the connection may hold the lock for as long as
  // its request takes; an idle statement that waits for no data at
  // execution has nothing to cancel and does not wait for it.
  std::unique_lock<std::mutex> lock(statement->connection->mutex, std::try_to_lock);
  if (!lock.owns_lock()) {
    if (statement->dataAtExecution.load() == 0) return SQL_SUCCESS;
    lock.lock();
  }
  StatementCallScope scope(*statement);
  auto cancel = [](StatementHandle& idle) { return CancelStatement(idle); };
  return export_detail::RunCore(*statement, "SQLCancel", cancel);
}
