// SQLAllocHandle and SQLFreeHandle by handle kind.
#include "odbc/handle_dispatch.h"

#include "connection/handle_lifecycle.h"
#include "handles/statement_handle.h"
#include "odbc/connection_release.h"
#include "odbc/descriptor_lifecycle.h"
#include "odbc/statement_allocation.h"
#include "odbc/statement_free.h"

namespace {

SQLRETURN AllocEnvironment(SQLHANDLE* output) {
  EnvironmentHandle* environment = nullptr;
  SQLRETURN result = AllocEnvironmentHandle(&environment);
  if (result != SQL_SUCCESS) return result;
  environment->odbcVersion = 3;
  *output = environment;
  return SQL_SUCCESS;
}

template <typename Handle>
SQLRETURN Publish(SQLRETURN result, Handle* handle, SQLHANDLE* output) {
  if (result == SQL_SUCCESS) *output = handle;
  return result;
}

}  // namespace

SQLRETURN AllocHandleByKind(SQLSMALLINT handleType, SQLHANDLE input, SQLHANDLE* output) {
  if (output == nullptr) return SQL_ERROR;
  switch (handleType) {
    case SQL_HANDLE_ENV: return AllocEnvironment(output);
    case SQL_HANDLE_DBC: {
      ConnectionHandle* connection = nullptr;
      SQLRETURN result = AllocConnectionHandle(*static_cast<EnvironmentHandle*>(input), &connection);
      return Publish(result, connection, output);
    }
    case SQL_HANDLE_STMT: {
      StatementHandle* statement = nullptr;
      SQLRETURN result = AllocateStatement(*static_cast<ConnectionHandle*>(input), &statement);
      return Publish(result, statement, output);
    }
    case SQL_HANDLE_DESC: {
      DescriptorHandle* descriptor = nullptr;
      SQLRETURN result = AllocateApplicationDescriptor(*static_cast<ConnectionHandle*>(input), &descriptor);
      return Publish(result, descriptor, output);
    }
    default: return SQL_ERROR;
  }
}

SQLRETURN FreeHandleByKind(SQLSMALLINT handleType, SQLHANDLE handle) {
  switch (handleType) {
    case SQL_HANDLE_ENV: return FreeEnvironmentHandle(static_cast<EnvironmentHandle*>(handle));
    case SQL_HANDLE_DBC: {
      auto* connection = static_cast<ConnectionHandle*>(handle);
      SQLRETURN result = ReleaseDisconnectedConnection(*connection);
      if (result == SQL_SUCCESS) delete connection;
      return result;
    }
    case SQL_HANDLE_STMT: {
      // Unbinding on drop must touch the statement's own descriptors, never
      // an application descriptor another statement may share.
      auto* statement = static_cast<StatementHandle*>(handle);
      DescriptorHandle* ard = statement->currentArd;
      DescriptorHandle* apd = statement->currentApd;
      statement->currentArd = &statement->ard;
      statement->currentApd = &statement->apd;
      SQLRETURN result = FreeStatement(statement, SQL_DROP);
      if (result != SQL_SUCCESS) {
        // The statement stays; so do its bindings.
        statement->currentArd = ard;
        statement->currentApd = apd;
      }
      return result;
    }
    case SQL_HANDLE_DESC: return FreeDescriptor(static_cast<DescriptorHandle*>(handle));
    default: return SQL_ERROR;
  }
}
