// What every exported ODBC function shares: checking the kind of the handle
// it was given, taking the lock that the threads rule of handles/handles.h
// names for it, the catch-all that keeps exceptions inside the driver, and
// the mapping of a core's message id to the ODBC return code. An export is a
// Guarded...Call around its core, e.g.
//
//   return GuardedStatementCall(StatementHandle, "SQLFoo",
//                               [&](StatementHandle& statement) { return FooCore(statement, ...); });
//
// A core returning a MessageId has it stored on the handle and mapped to the
// return code; a core returning SQLRETURN has already done both, and may have
// freed its handle, which is not touched after it.
#pragma once

#include <sql.h>

#include <mutex>
#include <new>
#include <type_traits>

#include "common/message_ids.h"
#include "handles/descriptor_handle.h"
#include "handles/handle_diagnostic.h"
#include "handles/handles.h"
#include "handles/statement_handle.h"

// The record behind a handle of the expected kind, or nullptr: a null
// handle, a handle of another kind, a freed one.
EnvironmentHandle* EnvironmentOf(SQLHANDLE handle);
ConnectionHandle* ConnectionOf(SQLHANDLE handle);
StatementHandle* StatementOf(SQLHANDLE handle);
DescriptorHandle* DescriptorOf(SQLHANDLE handle);

// The mutex that guards a handle of the given ODBC handle type (its own for
// an environment or a connection, its connection's for a statement or a
// descriptor), or nullptr when the handle is not of that type.
std::mutex* MutexGuarding(SQLSMALLINT handleType, SQLHANDLE handle);

// SQL_SUCCESS for 0, SQL_SUCCESS_WITH_INFO for a message of SQLSTATE class
// 01 (a warning), SQL_ERROR for every other message.
SQLRETURN ReturnCodeFor(MessageId id);

// Stores the core's id on the handle, unless the core already left that id
// there together with its detail; returns the matching code.
SQLRETURN FinishCall(HandleDiagnostic& diagnostic, MessageId id);

// Runs core; std::bad_alloc records 1001 and any other exception 1091 with
// the function's name, both as SQL_ERROR. A null diagnostic (no handle yet)
// records nothing.
template <typename Core>
SQLRETURN GuardedCall(HandleDiagnostic* diagnostic, const char* functionName, Core&& core) noexcept {
  try {
    return core();
  } catch (const std::bad_alloc&) {
    if (diagnostic != nullptr) SetDiagnostic(*diagnostic, kMsgMemoryAllocation);
  } catch (...) {
    if (diagnostic != nullptr) SetDiagnostic(*diagnostic, kMsgUnknownException, functionName);
  }
  return SQL_ERROR;
}

// For the whole of one statement export: marks the statement as running on
// its connection, clears its diagnostic and any cancel request left from an
// idle moment, and lets the connection's requests to the service see a new
// one. Ends by touching only the connection, since the call may have freed
// the statement.
struct StatementCallScope {
  ConnectionHandle& connection;
  explicit StatementCallScope(StatementHandle& statement) noexcept;
  ~StatementCallScope();
  StatementCallScope(const StatementCallScope&) = delete;
  StatementCallScope& operator=(const StatementCallScope&) = delete;
};

namespace export_detail {

// The mutex the threads rule names for a record.
inline std::mutex& MutexOf(EnvironmentHandle& environment) { return environment.mutex; }
inline std::mutex& MutexOf(ConnectionHandle& connection) { return connection.mutex; }
inline std::mutex& MutexOf(StatementHandle& statement) { return statement.connection->mutex; }
inline std::mutex& MutexOf(DescriptorHandle& descriptor) { return descriptor.connection->mutex; }

template <typename Record, typename Core>
SQLRETURN RunCore(Record& record, const char* functionName, Core& core) noexcept {
  using Result = decltype(core(record));
  static_assert(std::is_same_v<Result, MessageId> || std::is_same_v<Result, SQLRETURN>,
                "a core returns a MessageId or an SQLRETURN");
  HandleDiagnostic& diagnostic = record.diagnostic;
  return GuardedCall(&diagnostic, functionName, [&]() -> SQLRETURN {
    if constexpr (std::is_same_v<Result, MessageId>)
      return FinishCall(diagnostic, core(record));
    else
      return core(record);
  });
}

template <typename Record, typename Core>
SQLRETURN GuardedRecordCall(Record* record, const char* functionName, Core& core) noexcept {
  if (record == nullptr) return SQL_INVALID_HANDLE;
  std::lock_guard<std::mutex> lock(MutexOf(*record));
  ClearDiagnostic(record->diagnostic);
  return RunCore(*record, functionName, core);
}

}  // namespace export_detail

template <typename Core>
SQLRETURN GuardedEnvironmentCall(SQLHENV handle, const char* functionName, Core&& core) noexcept {
  return export_detail::GuardedRecordCall(EnvironmentOf(handle), functionName, core);
}

template <typename Core>
SQLRETURN GuardedConnectionCall(SQLHDBC handle, const char* functionName, Core&& core) noexcept {
  return export_detail::GuardedRecordCall(ConnectionOf(handle), functionName, core);
}

template <typename Core>
SQLRETURN GuardedDescriptorCall(SQLHDESC handle, const char* functionName, Core&& core) noexcept {
  return export_detail::GuardedRecordCall(DescriptorOf(handle), functionName, core);
}

template <typename Core>
SQLRETURN GuardedStatementCall(SQLHSTMT handle, const char* functionName, Core&& core) noexcept {
  StatementHandle* statement = StatementOf(handle);
  if (statement == nullptr) return SQL_INVALID_HANDLE;
  std::lock_guard<std::mutex> lock(export_detail::MutexOf(*statement));
  StatementCallScope scope(*statement);
  return export_detail::RunCore(*statement, functionName, core);
}

// SQLCopyDesc: both descriptors checked, and the locks of both connections
// taken together, in an order that can't deadlock against a copy the other
// way round; the target keeps the call's diagnostic.
template <typename Core>
SQLRETURN GuardedDescriptorPairCall(SQLHDESC sourceHandle, SQLHDESC targetHandle, const char* functionName,
                                    Core&& core) noexcept {
  DescriptorHandle* source = DescriptorOf(sourceHandle);
  DescriptorHandle* target = DescriptorOf(targetHandle);
  if (source == nullptr || target == nullptr) return SQL_INVALID_HANDLE;
  std::mutex& sourceMutex = export_detail::MutexOf(*source);
  std::mutex& targetMutex = export_detail::MutexOf(*target);
  std::unique_lock<std::mutex> sourceLock(sourceMutex, std::defer_lock);
  std::unique_lock<std::mutex> targetLock(targetMutex, std::defer_lock);
  if (&sourceMutex == &targetMutex) targetLock.lock();
  else std::lock(sourceLock, targetLock);
  ClearDiagnostic(target->diagnostic);
  auto copy = [&](DescriptorHandle& to) { return core(*source, to); };
  return export_detail::RunCore(*target, functionName, copy);
}

// For the diagnostic functions, which read what the last call left: the
// handle checked and locked as above, its diagnostic kept, and nothing
// recorded when the core throws. An unknown handle type is SQL_ERROR.
template <typename Core>
SQLRETURN GuardedDiagnosticRead(SQLSMALLINT handleType, SQLHANDLE handle, const char* functionName,
                                Core&& core) noexcept {
  std::mutex* mutex = MutexGuarding(handleType, handle);
  if (mutex == nullptr) {
    const bool knownType = handleType >= SQL_HANDLE_ENV && handleType <= SQL_HANDLE_DESC;
    return knownType || handle == nullptr ? SQL_INVALID_HANDLE : SQL_ERROR;
  }
  std::lock_guard<std::mutex> lock(*mutex);
  return GuardedCall(nullptr, functionName, core);
}

// SQLFreeHandle on an environment: refused while connections remain (1079).
SQLRETURN GuardedEnvironmentFree(SQLHENV handle) noexcept;
// SQLFreeHandle on a connection: under its environment's lock, whose list it
// leaves, and its own; the record is deleted once its own lock is released.
SQLRETURN GuardedConnectionFree(SQLHDBC handle) noexcept;
// SQLCancel: a call running on the statement in another thread is asked to
// stop before its next request to the service, without waiting for the
// connection's lock; an idle statement is cancelled at once, and waits for
// the lock only to end a data-at-execution sequence.
SQLRETURN GuardedCancel(SQLHSTMT handle) noexcept;
