// A statement that prepare answers without parsing (the identity query), and
// the services the executor runs it through.
#pragma once

#include <cstdint>

inline constexpr std::uint16_t kSpecialIdentity = 1;  // "select @@identity"

struct ConnectionRecord;

struct SpecialStatement {
  std::uint16_t kind = 0;
  ConnectionRecord* connection = nullptr;
};

// Reports the rows and the SQL_DIAG_DYNAMIC_FUNCTION_CODE of the statement:
// the identity query yields one row of a SELECT CURSOR (85). Returns 0.
std::uint16_t RunSpecialStatement(SpecialStatement& statement, std::int32_t& rowCount,
                                  std::int32_t& dynamicFunctionCode);
// Clears the record's last message id and frees the statement.
void FreeSpecialStatement(SpecialStatement* statement);
