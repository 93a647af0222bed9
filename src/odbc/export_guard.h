// What every exported ODBC function shares: taking its handle, the catch-all
// that keeps exceptions inside the driver, and the mapping of a core's
// message id to the ODBC return code.
#pragma once

#include <sql.h>

#include <new>

#include "common/message_ids.h"
#include "handles/handle_diagnostic.h"

struct ConnectionHandle;
struct EnvironmentHandle;
struct StatementHandle;

// The handle an exported function was given, its diagnostic cleared; a
// statement also forgets the row count of its last diagnostic.
EnvironmentHandle& StartEnvironmentCall(SQLHENV handle);
ConnectionHandle& StartConnectionCall(SQLHDBC handle);
StatementHandle& StartStatementCall(SQLHSTMT handle);

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
