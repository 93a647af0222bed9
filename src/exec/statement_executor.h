// Running a prepared statement tree: a SELECT through its row sources and
// result passes, INSERT, UPDATE and DELETE through table access, CREATE
// TABLE and ALTER TABLE ADD through table and field creation. Called by the
// execute core of the ODBC layer, and by itself for an INSERT's source and
// for sub-selects during evaluation.
#pragma once

#include <cstdint>

#include "common/message_ids.h"
#include "sql/parse_tree.h"

struct StatementHandle;

// SQL_DIAG_DYNAMIC_FUNCTION_CODE values the executor stores.
inline constexpr std::int32_t kFunctionCreateTable = 77;
inline constexpr std::int32_t kFunctionDropTable = 32;
inline constexpr std::int32_t kFunctionSelect = 85;
inline constexpr std::int32_t kFunctionInsert = 50;
inline constexpr std::int32_t kFunctionDelete = 19;
inline constexpr std::int32_t kFunctionUpdate = 82;
inline constexpr std::int32_t kFunctionCreateIndex = -1;
inline constexpr std::int32_t kFunctionDropIndex = -2;

// With statementNode none, runs the statement of the tree's root (top level:
// the statement's counts and result state are set); with a SELECT node, runs
// that SELECT on its own (an INSERT's source, a sub-select). 0, 1002 when a
// value was cut, 1106 from a top-level SELECT ordered by the first characters
// of a value too long for its sort key (a nested one answers 1002 then),
// 1038 only from a nested SELECT without rows, or a failure
// (table-access failures posted into the statement). The transaction side
// (data-definition policy, the commit of autocommit) belongs to the caller.
MessageId ExecuteStatementTree(StatementHandle& statement, ParseTree& tree, NodeIndex statementNode);

// The dynamic-function code of a statement node's kind; 0 for the
// pseudo-statement, and false for kinds that are no statements.
bool DynamicFunctionCode(std::uint16_t kind, std::int32_t& code);

// True for the statements that write through table access (and so end with a
// commit under autocommit) and for data definition.
bool IsWritingStatement(std::uint16_t kind);
bool IsDataDefinition(std::uint16_t kind);
// DROP TABLE, CREATE INDEX and DROP INDEX: parsed, and always refused (3), as
// the service's API offers no such thing.
bool IsAlwaysRefused(std::uint16_t kind);
