// The connect routine behind SQLConnect and SQLDriverConnect. Each returns a
// message id and leaves the details (a service failure's text) on the
// connection's diagnostic.
#pragma once

#include <string>

#include "common/message_ids.h"
#include "handles/handles.h"

// SQLConnect: data source name and credentials as given (empty: from odbc.ini).
MessageId ConnectToDataSource(ConnectionHandle& connection, const std::string& dataSource,
                              const std::string& userName, const std::string& password);

// SQLDriverConnect: the connection string's keys, then the DSN's; on success
// the completed connection string goes to outConnectionString.
MessageId DriverConnect(ConnectionHandle& connection, const std::string& connectionString,
                        std::string& outConnectionString);

// Checks the settings map's credentials, authenticates with the service and
// hangs the new ConnectionRecord on the connection.
MessageId OpenConnection(ConnectionHandle& connection);

// Lets go of the connection record with its API session and caches. The ODBC
// layer calls it once the connection's statements, which hold on to the
// record, are dropped.
void CloseConnectionRecord(ConnectionHandle& connection);
