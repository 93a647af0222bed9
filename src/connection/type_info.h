// The driver's table of SQL types and the small connection services that the
// semantic pass, the executor and the information functions ask: names,
// limits, the case rule and the mapping of date-time type codes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ConnectionHandle;
struct ConnectionRecord;
struct StatementHandle;

// One SQLGetTypeInfo row; nullptr texts and -1 numbers are NULL. DATA_TYPE
// holds the ODBC 2 date-time codes (9, 10, 11).
struct TypeInfoRow {
  std::uint8_t listed;
  const char* typeName;
  std::int16_t dataType;
  std::int32_t columnSize;
  const char* literalPrefix;
  const char* literalSuffix;
  const char* createParams;
  std::int16_t nullable;
  std::int16_t caseSensitive;
  std::int16_t searchable;
  std::int16_t unsignedAttribute;
  std::int16_t fixedPrecScale;
  std::int16_t autoUniqueValue;
  std::int16_t reserved1;
  std::int16_t reserved2;
  const char* localTypeName;
  std::int16_t minimumScale;
  std::int16_t maximumScale;
  std::int16_t reserved3;
  std::int16_t reserved4;
};

inline constexpr std::uint16_t kTypeInfoRowCount = 19;

const TypeInfoRow* GetTypeInfoTable();
std::uint16_t GetTypeInfoRowCount();
// The row whose DATA_TYPE is sqlType (ODBC 2 date-time codes), or nullptr.
const TypeInfoRow* FindTypeInfoRow(std::int16_t sqlType);

std::string GetDbmsName(const ConnectionRecord& record);
std::string GetDbmsVersion(const ConnectionRecord& record);
std::string GetDriverFileName(const ConnectionRecord& record);
std::uint16_t GetMaxTableNameLength(const ConnectionRecord& record);
std::uint16_t GetMaxColumnNameLength(const ConnectionRecord& record);
bool IsConnectionCaseSensitive(const ConnectionRecord& record);
const std::string& GetConnectionUserName(const ConnectionRecord& record);
const std::string& GetConnectionDatabaseName(const ConnectionRecord& record);
// 0 when level shares a bit with the record's isolation mask, else 3 (also
// left as the record's last message id).
std::uint16_t TestIsolationMask(ConnectionRecord& record, std::uint32_t level);
std::uint16_t RejectConnectionRequest(ConnectionRecord& record, std::int64_t value);

// The environment's ODBC version: 2, or 3 (also without an environment).
std::int32_t OdbcVersionOf(const ConnectionHandle& connection);

// Date, time and timestamp codes in the form of the environment's ODBC
// version (9/10/11 for ODBC 2, 91/92/93 otherwise); other codes unchanged.
std::int16_t MapDateTypeForConnection(const ConnectionHandle& connection, std::int16_t typeCode);
std::int16_t MapDateTypeForStatement(const StatementHandle& statement, std::int16_t typeCode);

std::size_t CountFieldIds(const std::vector<std::uint32_t>& fieldIds);
