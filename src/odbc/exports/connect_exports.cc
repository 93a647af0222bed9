// Exported connection functions: SQLConnect, SQLDriverConnect, SQLDisconnect.
#include <sql.h>
#include <sqlext.h>

#include "common/odbc_text.h"
#include "connection/connect_routine.h"
#include "handles/handles.h"
#include "odbc/export_guard.h"
#include "odbc/exports/export_macros.h"

namespace {

std::string TextArgument(const SQLCHAR* text, SQLSMALLINT length) {
  std::string value;
  AssignOdbcText(value, text, length);
  return value;
}

}  // namespace

HELVANE_EXPORT SQLRETURN SQL_API SQLConnect(SQLHDBC ConnectionHandle, SQLCHAR* ServerName, SQLSMALLINT NameLength1,
                                            SQLCHAR* UserName, SQLSMALLINT NameLength2, SQLCHAR* Authentication,
                                            SQLSMALLINT NameLength3) {
  if (ConnectionHandle == nullptr) return SQL_INVALID_HANDLE;
  auto& connection = StartConnectionCall(ConnectionHandle);
  return GuardedCall(&connection.diagnostic, "SQLConnect", [&] {
    MessageId id = ConnectToDataSource(connection, TextArgument(ServerName, NameLength1),
                                       TextArgument(UserName, NameLength2), TextArgument(Authentication, NameLength3));
    return FinishCall(connection.diagnostic, id);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLDriverConnect(SQLHDBC ConnectionHandle, SQLHWND WindowHandle,
                                                  SQLCHAR* InConnectionString, SQLSMALLINT StringLength1,
                                                  SQLCHAR* OutConnectionString, SQLSMALLINT BufferLength,
                                                  SQLSMALLINT* StringLength2Ptr, SQLUSMALLINT DriverCompletion) {
  (void)WindowHandle;
  (void)DriverCompletion;  // no dialogs here: every mode behaves as SQL_DRIVER_NOPROMPT
  if (ConnectionHandle == nullptr) return SQL_INVALID_HANDLE;
  auto& connection = StartConnectionCall(ConnectionHandle);
  return GuardedCall(&connection.diagnostic, "SQLDriverConnect", [&] {
    std::string out;
    MessageId id = DriverConnect(connection, TextArgument(InConnectionString, StringLength1), out);
    // The completed string goes back even when cut; a cut is a warning.
    if (id == kMsgSuccess) id = CopyToOdbcBuffer16(OutConnectionString, BufferLength, StringLength2Ptr, out);
    return FinishCall(connection.diagnostic, id);
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLDisconnect(SQLHDBC ConnectionHandle) {
  if (ConnectionHandle == nullptr) return SQL_INVALID_HANDLE;
  auto& connection = StartConnectionCall(ConnectionHandle);
  return GuardedCall(&connection.diagnostic, "SQLDisconnect",
                     [&] { return FinishCall(connection.diagnostic, Disconnect(connection)); });
}
