// The 19-row type table and the connection queries built on it.
#include "connection/type_info.h"

#include "common/message_ids.h"
#include "handles/connection_record.h"
#include "handles/handles.h"
#include "handles/statement_handle.h"

namespace {

const TypeInfoRow kTypeInfoRows[kTypeInfoRowCount] = {
    {1, "BIT", -7, 1, nullptr, nullptr, nullptr, 1, 0, 3, -1, 0, -1, 0, 0, "checkbox", -1, -1, 0, 0},
    {0, "TINYINT", -6, 3, nullptr, nullptr, nullptr, 1, 0, 3, 0, 0, 0, 0, 0, "TINYINT", -1, -1, 0, 0},
    {0, "BIGINT", -5, 19, nullptr, nullptr, nullptr, 1, 0, 3, 0, 0, 0, 0, 0, "BIGINT", -1, -1, 0, 0},
    {1, "LONGVARBINARY", -4, 2147483647, "'", "'", nullptr, 1, 0, 0, -1, 0, -1, 0, 0, "file", -1, -1, 0, 0},
    {0, "VARBINARY", -3, 255, "'", "'", "max length", 1, 0, 3, -1, 0, -1, 0, 0, "VARBINARY", -1, -1, 0, 0},
    {0, "BINARY", -2, 255, nullptr, nullptr, "max length", 1, 0, 3, -1, 0, -1, 0, 0, "BINARY", -1, -1, 0, 0},
    {1, "LONGVARCHAR", -1, 65534, "'", "'", nullptr, 1, 1, 0, -1, 0, -1, 0, 0, "text", -1, -1, 0, 0},
    {0, "CHAR", 1, 254, "'", "'", "max length", 1, 1, 3, -1, 0, -1, 0, 0, "CHAR", -1, -1, 0, 0},
    {1, "NUMERIC", 2, 19, nullptr, nullptr, "precision, scale", 1, 0, 3, -1, 0, -1, 0, 0, "float", 0, 19, 0, 0},
    {0, "DECIMAL", 3, 19, nullptr, nullptr, "precision, scale", 1, 0, 3, -1, 0, -1, 0, 0, "DECIMAL", 0, 19, 0, 0},
    {1, "INTEGER", 4, 10, nullptr, nullptr, nullptr, 1, 0, 3, 0, 0, 0, 0, 0, "int32", -1, -1, 0, 0},
    {0, "SMALLINT", 5, 5, nullptr, nullptr, nullptr, 1, 0, 3, 0, 0, 0, 0, 0, "SMALLINT", -1, -1, 0, 0},
    {0, "FLOAT", 6, 15, nullptr, nullptr, nullptr, 1, 0, 3, -1, 0, -1, 0, 0, "FLOAT", -1, -1, 0, 0},
    {0, "REAL", 7, 7, nullptr, nullptr, nullptr, 1, 0, 3, -1, 0, -1, 0, 0, "REAL", -1, -1, 0, 0},
    {1, "DOUBLE", 8, 15, nullptr, nullptr, nullptr, 1, 0, 3, -1, 0, -1, 0, 0, "float", -1, -1, 0, 0},
    {1, "DATE", 9, 10, nullptr, nullptr, nullptr, 1, 0, 3, -1, 0, -1, 0, 0, "date", -1, -1, 0, 0},
    {1, "TIME", 10, 8, nullptr, nullptr, nullptr, 1, 0, 3, -1, 0, -1, 0, 0, "timeofday", -1, -1, 0, 0},
    {1, "DATETIME", 11, 23, nullptr, nullptr, nullptr, 1, 0, 3, -1, 0, -1, 0, 0, "datetime", 3, 3, 0, 0},
    {1, "VARCHAR", 12, 254, "'", "'", "max length", 1, 1, 3, -1, 0, -1, 0, 0, "text", -1, -1, 0, 0},
};

std::int16_t MapDateType(std::int32_t odbcVersion, std::int16_t typeCode) {
  if (odbcVersion == 2) {
    if (typeCode >= 91 && typeCode <= 93) return static_cast<std::int16_t>(typeCode - 82);
    return typeCode;
  }
  if (typeCode >= 9 && typeCode <= 11) return static_cast<std::int16_t>(typeCode + 82);
  return typeCode;
}

}  // namespace

std::int32_t OdbcVersionOf(const ConnectionHandle& connection) {
  return connection.environment == nullptr ? 3 : connection.environment->odbcVersion;
}

const TypeInfoRow* GetTypeInfoTable() { return kTypeInfoRows; }
std::uint16_t GetTypeInfoRowCount() { return kTypeInfoRowCount; }

const TypeInfoRow* FindTypeInfoRow(std::int16_t sqlType) {
  for (const TypeInfoRow& row : kTypeInfoRows)
    if (row.dataType == sqlType) return &row;
  return nullptr;
}

std::string GetDbmsName(const ConnectionRecord&) { return "Tarvox for QuickBase"; }
std::string GetDbmsVersion(const ConnectionRecord&) { return "6.11.4.11"; }
std::string GetDriverFileName(const ConnectionRecord&) { return "libhelvane.so"; }
std::uint16_t GetMaxTableNameLength(const ConnectionRecord&) { return 127; }
std::uint16_t GetMaxColumnNameLength(const ConnectionRecord& record) {
  return record.hostIsAccessOrQuery != 0 ? 63 : 127;
}
bool IsConnectionCaseSensitive(const ConnectionRecord&) { return false; }
const std::string& GetConnectionUserName(const ConnectionRecord& record) { return record.userName; }
const std::string& GetConnectionDatabaseName(const ConnectionRecord& record) { return record.databaseName; }

std::uint16_t TestIsolationMask(ConnectionRecord& record, std::uint32_t level) {
  if ((record.isolationMask & level) != 0) return 0;
  record.lastMessageId = kMsgNotSupported;
  return kMsgNotSupported;
}

std::uint16_t RejectConnectionRequest(ConnectionRecord&, std::int64_t) { return kMsgNotSupported; }

std::int16_t MapDateTypeForConnection(const ConnectionHandle& connection, std::int16_t typeCode) {
  return MapDateType(OdbcVersionOf(connection), typeCode);
}

std::int16_t MapDateTypeForStatement(const StatementHandle& statement, std::int16_t typeCode) {
  return MapDateType(OdbcVersionOf(*statement.connection), typeCode);
}

std::size_t CountFieldIds(const std::vector<std::uint32_t>& fieldIds) { return fieldIds.size(); }
