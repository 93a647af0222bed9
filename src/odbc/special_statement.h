// The statements that prepare answers before parsing: the probe for a server
// configuration table that desktop databases send, refused, and the identity
// query, rewritten into a query on the identity pseudo-table; and the
// services the executor runs them through.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/message_ids.h"

inline constexpr std::uint16_t kSpecialIdentity = 1;  // "select @@identity"

struct ConnectionRecord;

struct SpecialStatement {
  std::uint16_t kind = 0;
  ConnectionRecord* connection = nullptr;
};

// The probe's exact text; any other spelling is parsed like any statement.
inline constexpr std::string_view kConfigurationProbe = "SELECT Config, nValue FROM MSysConf";
// What the identity query is rewritten into a query on.
inline constexpr std::string_view kIdentityTable = "@@identity";

// FilterSpecialStatement's answers besides 7 (no memory).
inline constexpr MessageId kSpecialStatementFound = 0;
inline constexpr MessageId kNotSpecialStatement = kMsgNotSupported;
inline constexpr MessageId kConfigurationProbeRefused = kMsgStatus5;

// Recognises a statement answered before parsing. 0: the identity query,
// with its SpecialStatement stored in slot and the pseudo-table's name
// appended to rewritten, which the caller parses instead of the text;
// 3: nothing special, parse the text; 5: the configuration probe, refused;
// 7: no memory for the SpecialStatement.
MessageId FilterSpecialStatement(ConnectionRecord* connection, std::string_view text, SpecialStatement*& slot,
                                 std::string& rewritten);

// Reports the rows and the SQL_DIAG_DYNAMIC_FUNCTION_CODE of the statement:
// the identity query yields one row of a SELECT CURSOR (85). Returns 0.
std::uint16_t RunSpecialStatement(SpecialStatement& statement, std::int32_t& rowCount,
                                  std::int32_t& dynamicFunctionCode);
// Clears the record's last message id and frees the statement.
void FreeSpecialStatement(SpecialStatement* statement);
