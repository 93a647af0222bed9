// A statement on a connection to the emulator with the demo fixture, for
// the fetch and data-retrieval cores: statements run through the
// SQLExecDirect core, results are read through the fetch cores.
#pragma once

#include <gtest/gtest.h>

#include <sql.h>
#include <sqlext.h>

#include <string>

#include "handles/statement_handle.h"
#include "odbc/direct_execution.h"
#include "odbc/handle_dispatch.h"
#include "odbc/statement_allocation.h"
#include "tables/emulator_session.h"

inline constexpr const char* kDemoFixture = "emulator/fixtures/demo.json";

struct FetchSession {
  EmulatorSession emulator;
  StatementHandle* statement = nullptr;

  // odbcVersion is the environment's (2 or 3); extraFixture, when given, is
  // loaded before the first statement runs.
  explicit FetchSession(std::int32_t odbcVersion = 3, const std::string& extraFixture = "") {
    emulator.environment.odbcVersion = odbcVersion;
    if (!emulator.Start(kDemoFixture)) return;
    if (!extraFixture.empty()) emulator.Admin("POST", "fixture", extraFixture);
    AllocateStatement(emulator.connection, &statement);
  }
  ~FetchSession() {
    if (statement != nullptr) FreeHandleByKind(SQL_HANDLE_STMT, statement);
  }
  FetchSession(const FetchSession&) = delete;
  FetchSession& operator=(const FetchSession&) = delete;

  bool Ready() const { return statement != nullptr; }
  StatementHandle& Statement() { return *statement; }

  SQLRETURN Run(const std::string& sql) {
    return ExecDirectStatement(*statement, reinterpret_cast<const SQLCHAR*>(sql.c_str()), SQL_NTS);
  }
  // A new statement on the same connection, for a second result.
  StatementHandle* NewStatement() {
    StatementHandle* other = nullptr;
    AllocateStatement(emulator.connection, &other);
    return other;
  }
};
