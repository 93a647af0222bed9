// Exported connection functions: SQLConnect, SQLDriverConnect, SQLDisconnect.
#include <sql.h>
#include <sqlext.h>

#include "common/odbc_text.h"
#include "connection/connect_routine.h"
#include "odbc/connection_release.h"
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
  return GuardedConnectionCall(ConnectionHandle, "SQLConnect", [&](::ConnectionHandle& connection) {
    if (!IsStringLength(NameLength1) || !IsStringLength(NameLength2) || !IsStringLength(NameLength3))
      return kMsgInvalidBufferLength;
    return ConnectToDataSource(connection, TextArgument(ServerName, NameLength1),
                               TextArgument(UserName, NameLength2), TextArgument(Authentication, NameLength3));
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLDriverConnect(SQLHDBC ConnectionHandle, SQLHWND WindowHandle,
                                                  SQLCHAR* InConnectionString, SQLSMALLINT StringLength1,
                                                  SQLCHAR* OutConnectionString, SQLSMALLINT BufferLength,
                                                  SQLSMALLINT* StringLength2Ptr, SQLUSMALLINT DriverCompletion) {
  (void)WindowHandle;
  (void)DriverCompletion;  // no dialogs here: every mode behaves as SQL_DRIVER_NOPROMPT
  return GuardedConnectionCall(ConnectionHandle, "SQLDriverConnect", [&](::ConnectionHandle& connection) {
    if (!IsStringLength(StringLength1) || BufferLength < 0) return kMsgInvalidBufferLength;
    std::string out;
    MessageId id = DriverConnect(connection, TextArgument(InConnectionString, StringLength1), out);
    // The completed string goes back even when cut; a cut is a warning.
    if (id == kMsgSuccess) id = CopyToOdbcBuffer16(OutConnectionString, BufferLength, StringLength2Ptr, out);
    return id;
  });
}

HELVANE_EXPORT SQLRETURN SQL_API SQLDisconnect(SQLHDBC ConnectionHandle) {
  return GuardedConnectionCall(ConnectionHandle, "SQLDisconnect",
                               [](::ConnectionHandle& connection) { return Disconnect(connection); });
}
