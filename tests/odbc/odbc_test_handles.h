// Handles for the odbc unit tests: an environment with one connection,
// connected or not, without the Driver Manager or a service behind it.
#pragma once

#include <gtest/gtest.h>

#include <sql.h>

#include <cstdint>
#include <vector>

#include "connection/handle_lifecycle.h"
#include "handles/connection_record.h"
#include "handles/statement_handle.h"
#include "odbc/connection_release.h"
#include "odbc/descriptor_lifecycle.h"
#include "odbc/statement_allocation.h"

// An integer attribute value, passed in the pointer argument as ODBC does.
inline SQLPOINTER Integer(SQLULEN value) { return reinterpret_cast<SQLPOINTER>(static_cast<std::uintptr_t>(value)); }

// Leaves the connection as the connect routine would, autocommit on.
inline void MarkConnected(ConnectionHandle& connection) {
  connection.record = new ConnectionRecord;
  connection.record->connection = &connection;
  connection.autocommit = 1;
}

inline constexpr bool kConnected = true;

struct Connection {
  EnvironmentHandle* environment = nullptr;
  ConnectionHandle* connection = nullptr;
  explicit Connection(bool connected = false) {
    AllocEnvironmentHandle(&environment);
    AllocConnectionHandle(*environment, &connection);
    if (connected) MarkConnected(*connection);
  }
  ~Connection() {
    FreeConnectionHandle(connection);
    FreeEnvironmentHandle(environment);
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  StatementHandle* NewStatement() {
    StatementHandle* statement = nullptr;
    EXPECT_EQ(AllocateStatement(*connection, &statement), SQL_SUCCESS);
    return statement;
  }
  // The connection's descriptor list, embedded and application descriptors.
  std::vector<DescriptorHandle*> Descriptors() const {
    std::vector<DescriptorHandle*> list;
    for (DescriptorHandle* d = connection->firstDescriptor; d != nullptr; d = d->nextDescriptor) list.push_back(d);
    return list;
  }
};
