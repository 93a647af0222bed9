// SQLGetDiagField, SQLGetDiagRec and SQLError over the one diagnostic that
// each handle keeps.
#include "odbc/diagnostic_fields.h"

#include <sqlext.h>

#include <cstring>
#include <string_view>

#include "common/diagnostics.h"
#include "common/odbc_text.h"
#include "handles/handles.h"
#include "handles/statement_handle.h"
#include "odbc/descriptor_lifecycle.h"

static_assert(kUnknownRowNumber == SQL_ROW_NUMBER_UNKNOWN);

namespace {

// Where a handle keeps its diagnostic and what rendering needs around it.
struct DiagnosticSource {
  HandleDiagnostic* diagnostic = nullptr;
  std::int32_t odbcVersion = 3;
  const ConnectionHandle* connection = nullptr;  // none for an environment
  StatementHandle* statement = nullptr;          // statements only
};

std::int32_t VersionOf(const ConnectionHandle* connection) {
  return connection == nullptr || connection->environment == nullptr ? 3 : connection->environment->odbcVersion;
}

bool ResolveSource(SQLSMALLINT handleType, SQLHANDLE handle, DiagnosticSource& source) {
  if (handle == nullptr) return false;
  switch (handleType) {
    case SQL_HANDLE_ENV: {
      auto* environment = static_cast<EnvironmentHandle*>(handle);
      source.diagnostic = &environment->diagnostic;
      source.odbcVersion = environment->odbcVersion;
      return true;
    }
    case SQL_HANDLE_DBC: {
      auto* connection = static_cast<ConnectionHandle*>(handle);
      source = {&connection->diagnostic, VersionOf(connection), connection, nullptr};
      return true;
    }
    case SQL_HANDLE_STMT: {
      auto* statement = static_cast<StatementHandle*>(handle);
      source = {&statement->diagnostic, VersionOf(statement->connection), statement->connection, statement};
      return true;
    }
    case SQL_HANDLE_DESC: {
      auto* descriptor = static_cast<DescriptorHandle*>(handle);
      source = {&descriptor->diagnostic, VersionOf(descriptor->connection), descriptor->connection, nullptr};
      return true;
    }
    default: return false;
  }
}

template <typename Number>
SQLRETURN PutNumber(SQLPOINTER value, SQLSMALLINT* stringLength, Number number) {
  if (value != nullptr) std::memcpy(value, &number, sizeof number);
  if (stringLength != nullptr) *stringLength = static_cast<SQLSMALLINT>(sizeof number);
  return SQL_SUCCESS;
}

// A negative length for a text buffer is refused without a record: reading
// diagnostics never posts one.
SQLRETURN PutText(SQLPOINTER value, SQLSMALLINT bufferLength, SQLSMALLINT* stringLength, std::string_view text) {
  if (value != nullptr && bufferLength < 0) return SQL_ERROR;
  MessageId id = CopyToOdbcBuffer16(static_cast<SQLCHAR*>(value), bufferLength, stringLength, text);
  return id == kMsgSuccess ? SQL_SUCCESS : SQL_SUCCESS_WITH_INFO;
}

const char* DynamicFunctionName(std::int32_t code) {
  switch (code) {
    case -2: return "DROP INDEX";
    case -1: return "CREATE INDEX";
    case 4: return "ALTER TABLE";
    case 7: return "CALL";
    case 19: return "DELETE WHERE";
    case 32: return "DROP TABLE";
    case 36: return "DROP VIEW";
    case 38: return "DYNAMIC DELETE CURSOR";
    case 48: return "GRANT";
    case 50: return "INSERT";
    case 59: return "REVOKE";
    case 77: return "CREATE TABLE";
    case 81: return "DYNAMIC UPDATE CURSOR";
    case 82: return "UPDATE WHERE";
    case 84: return "CREATE VIEW";
    case 85: return "SELECT CURSOR";
    default: return "";
  }
}

// Header fields; SQL_NO_DATA means the identifier is not a header field.
SQLRETURN GetHeaderField(const DiagnosticSource& source, SQLSMALLINT identifier, SQLPOINTER value,
                         SQLSMALLINT bufferLength, SQLSMALLINT* stringLength) {
  const StatementHandle* statement = source.statement;
  switch (identifier) {
    case SQL_DIAG_RETURNCODE: return PutNumber<SQLRETURN>(value, stringLength, SQL_SUCCESS);
    case SQL_DIAG_NUMBER:
      return PutNumber<SQLINTEGER>(value, stringLength, source.diagnostic->messageId != kMsgSuccess ? 1 : 0);
    case SQL_DIAG_ROW_COUNT:
      if (statement == nullptr) return SQL_ERROR;
      return PutNumber<SQLLEN>(value, stringLength, statement->diagnosticRowCount);
    case SQL_DIAG_CURSOR_ROW_COUNT:
      if (statement == nullptr) return SQL_ERROR;
      return PutNumber<SQLLEN>(value, stringLength, statement->rowCount);
    case SQL_DIAG_DYNAMIC_FUNCTION_CODE:
      if (statement == nullptr) return SQL_ERROR;
      return PutNumber<SQLINTEGER>(value, stringLength, statement->dynamicFunctionCode);
    case SQL_DIAG_DYNAMIC_FUNCTION:
      if (statement == nullptr) return SQL_ERROR;
      return PutText(value, bufferLength, stringLength, DynamicFunctionName(statement->dynamicFunctionCode));
    default: return SQL_NO_DATA;
  }
}

bool IsOdbcSubclass(const std::string& state) {
  static const char* const kStates[] = {"01S00", "01S01", "01S02", "01S06", "01S07", "07S01", "08S01", "21S01",
                                        "21S02", "25S01", "25S02", "25S03", "42S01", "42S02", "42S11", "42S12",
                                        "42S21", "42S22", "HY095", "HY097", "HY098", "HY099", "HY100", "HY101",
                                        "HY105", "HY107", "HY109", "HY110", "HY111", "HYT00", "HYT01"};
  if (state.compare(0, 2, "IM") == 0) return true;
  for (const char* known : kStates)
    if (state == known) return true;
  return false;
}

bool IsRecordField(SQLSMALLINT identifier) {
  switch (identifier) {
    case SQL_DIAG_SQLSTATE:
    case SQL_DIAG_NATIVE:
    case SQL_DIAG_MESSAGE_TEXT:
    case SQL_DIAG_CLASS_ORIGIN:
    case SQL_DIAG_SUBCLASS_ORIGIN:
    case SQL_DIAG_CONNECTION_NAME:
    case SQL_DIAG_SERVER_NAME:
    case SQL_DIAG_ROW_NUMBER:
    case SQL_DIAG_COLUMN_NUMBER: return true;
    default: return false;
  }
}

SQLRETURN GetRecordField(const DiagnosticSource& source, SQLSMALLINT identifier, SQLPOINTER value,
                         SQLSMALLINT bufferLength, SQLSMALLINT* stringLength) {
  RenderedMessage message = RenderDiagnostic(*source.diagnostic);
  const std::string& state = SqlStateForVersion(message, source.odbcVersion);
  switch (identifier) {
    case SQL_DIAG_SQLSTATE: return PutText(value, bufferLength, stringLength, state);
    case SQL_DIAG_NATIVE: return PutNumber<SQLINTEGER>(value, stringLength, source.diagnostic->messageId);
    case SQL_DIAG_MESSAGE_TEXT: return PutText(value, bufferLength, stringLength, message.text);
    case SQL_DIAG_CLASS_ORIGIN:
      return PutText(value, bufferLength, stringLength,
                     message.odbc3State.compare(0, 2, "IM") == 0 ? "ODBC 3.0" : "ISO 9075");
    case SQL_DIAG_SUBCLASS_ORIGIN:
      return PutText(value, bufferLength, stringLength, IsOdbcSubclass(message.odbc3State) ? "ODBC 3.0" : "ISO 9075");
    case SQL_DIAG_CONNECTION_NAME: return PutText(value, bufferLength, stringLength, "");
    case SQL_DIAG_SERVER_NAME:
      return PutText(value, bufferLength, stringLength,
                     source.connection == nullptr ? std::string() : LookupSetting(source.connection->settings, "DSN"));
    case SQL_DIAG_ROW_NUMBER: return PutNumber<SQLLEN>(value, stringLength, source.diagnostic->rowNumber);
    default: return PutNumber<SQLINTEGER>(value, stringLength, SQL_NO_COLUMN_NUMBER);
  }
}

}  // namespace

SQLRETURN GetDiagnosticField(SQLSMALLINT handleType, SQLHANDLE handle, SQLSMALLINT recordNumber,
                             SQLSMALLINT identifier, SQLPOINTER value, SQLSMALLINT bufferLength,
                             SQLSMALLINT* stringLength) {
  DiagnosticSource source;
  if (!ResolveSource(handleType, handle, source)) return SQL_ERROR;
  SQLRETURN header = GetHeaderField(source, identifier, value, bufferLength, stringLength);
  if (header != SQL_NO_DATA) return header;
  if (!IsRecordField(identifier) || recordNumber < 1) return SQL_ERROR;
  if (recordNumber > 1 || source.diagnostic->messageId == kMsgSuccess) return SQL_NO_DATA;
  return GetRecordField(source, identifier, value, bufferLength, stringLength);
}

SQLRETURN GetDiagnosticRecord(SQLSMALLINT handleType, SQLHANDLE handle, SQLSMALLINT recordNumber,
                              SQLCHAR* sqlState, SQLINTEGER* nativeError, SQLCHAR* messageText,
                              SQLSMALLINT bufferLength, SQLSMALLINT* textLength) {
  if (bufferLength < 0) return SQL_ERROR;
  if (sqlState != nullptr) {
    SQLRETURN result = GetDiagnosticField(handleType, handle, recordNumber, SQL_DIAG_SQLSTATE, sqlState, 6, nullptr);
    if (result != SQL_SUCCESS) return result;
  }
  if (nativeError != nullptr) {
    SQLRETURN result = GetDiagnosticField(handleType, handle, recordNumber, SQL_DIAG_NATIVE, nativeError, 0, nullptr);
    if (result != SQL_SUCCESS) return result;
  }
  if (messageText == nullptr && textLength == nullptr) {
    // Still answer SQL_NO_DATA when there is no record to describe.
    SQLINTEGER ignored = 0;
    return GetDiagnosticField(handleType, handle, recordNumber, SQL_DIAG_NATIVE, &ignored, 0, nullptr);
  }
  return GetDiagnosticField(handleType, handle, recordNumber, SQL_DIAG_MESSAGE_TEXT, messageText, bufferLength,
                            textLength);
}

SQLRETURN ReportHandleError(SQLHENV environment, SQLHDBC connection, SQLHSTMT statement, SQLCHAR* sqlState,
                            SQLINTEGER* nativeError, SQLCHAR* messageText, SQLSMALLINT bufferLength,
                            SQLSMALLINT* textLength) {
  if (bufferLength < 0) return SQL_ERROR;
  DiagnosticSource source;
  if (statement != nullptr)
    ResolveSource(SQL_HANDLE_STMT, statement, source);
  else if (connection != nullptr)
    ResolveSource(SQL_HANDLE_DBC, connection, source);
  else if (!ResolveSource(SQL_HANDLE_ENV, environment, source))
    return SQL_INVALID_HANDLE;
  const HandleDiagnostic reported = *source.diagnostic;
  const MessageId id = reported.messageId;
  source.diagnostic->messageId = kMsgSuccess;
  if (nativeError != nullptr) *nativeError = id;
  if (id == kMsgSuccess) {
    if (sqlState != nullptr) CopyToOdbcBuffer16(sqlState, 6, nullptr, "00000");
    CopyToOdbcBuffer16(messageText, bufferLength, textLength, "");
    return SQL_NO_DATA;
  }
  RenderedMessage message = RenderDiagnostic(reported);
  if (sqlState != nullptr) CopyToOdbcBuffer16(sqlState, 6, nullptr, SqlStateForVersion(message, source.odbcVersion));
  MessageId copied = CopyToOdbcBuffer16(messageText, bufferLength, textLength, message.text);
  return copied == kMsgSuccess ? SQL_SUCCESS : SQL_SUCCESS_WITH_INFO;
}
