// Connecting: settings from the call and odbc.ini, the credential check with
// API_Authenticate, and the connection record.
#include "connection/connect_routine.h"

#include <charconv>
#include <memory>

#include "common/diagnostics.h"
#include "connection/connection_string.h"
#include "connection/data_source_settings.h"
#include "connection/quickbase_client.h"
#include "connection/session_settings.h"
#include "handles/connection_record.h"
#include "platform/host_program.h"
#include "qbapi/api_operations.h"

namespace {

constexpr const char* kUserAgent = "Tarvox ODBC for QuickBase/6.11.4.11";

// Names the missing credentials, or returns the empty text when both are set.
std::string MissingCredentials(const SettingsMap& settings) {
  bool noUser = LookupSetting(settings, "UID").empty();
  bool noPassword = LookupSetting(settings, "PWD").empty();
  if (noUser && noPassword) return "user name (UID) and password (PWD)";
  if (noUser) return "user name (UID)";
  if (noPassword) return "password (PWD)";
  return {};
}

void ApplyHostFlags(ConnectionRecord& record) {
  record.hostModuleName = HostProgramName();
  record.hostIsAccessOrQuery = record.hostModuleName == "msaccess.exe" || record.hostModuleName == "msqry32.exe";
  record.hostIsSqlServer = record.hostModuleName == "sqlservr.exe";
}

// DURATION and TIMEZONEOFFSET live on the handle, where conversions read them.
// An offset that can't be read refuses the connection: taking the process's
// zone in its place would shift every timestamp without a word. Returns
// what is wrong, or the empty text.
std::string ApplyTimeSettings(ConnectionHandle& connection) {
  const std::string& duration = LookupSetting(connection.settings, "DURATION");
  double multiplier = 0;
  auto parsed = std::from_chars(duration.data(), duration.data() + duration.size(), multiplier);
  connection.durationMultiplier = parsed.ec == std::errc() && multiplier > 0 ? multiplier : 1.0;
  const std::string& offset = LookupSetting(connection.settings, "TIMEZONEOFFSET");
  std::int32_t minutes = 0;
  connection.timezoneOffsetSet = false;
  connection.timezoneOffsetMinutes = 0;
  if (offset.find_first_not_of(" \t") == std::string::npos) return {};
  if (!ParseTimezoneOffset(offset, minutes))
    return "TIMEZONEOFFSET '" + offset + "' is not a number of minutes east of UTC";
  connection.timezoneOffsetSet = true;
  connection.timezoneOffsetMinutes = minutes;
  return {};
}

std::unique_ptr<ConnectionRecord> BuildConnectionRecord(ConnectionHandle& connection) {
  auto record = std::make_unique<ConnectionRecord>();
  record->connection = &connection;
  ApplyHostFlags(*record);
  const SettingsMap& settings = connection.settings;
  record->rawUserFields = IsSettingOn(LookupSetting(settings, "RAWUSERFIELD")) ? 1 : 0;
  record->emptyTextIsNull = IsSettingOn(LookupSetting(settings, "TEXTNULL")) ? 1 : 0;
  record->userAgent = kUserAgent;
  record->userName = LookupSetting(settings, "UID");
  record->databaseName = LookupSetting(settings, "DSN");
  ApplySessionSettings(settings, record->userAgent, record->client->session);
  return record;
}

// A refused login carries the service's own words to the application.
MessageId PostConnectFailure(ConnectionHandle& connection, const ApiCallRecord& call) {
  SetDiagnostic(connection.diagnostic, kMsgServerError, call.errdetail);
  connection.diagnostic.messageText = FormatServerErrorText(call);
  CutRecordedText(connection.diagnostic.messageText);
  return kMsgServerError;
}

}  // namespace

MessageId OpenConnection(ConnectionHandle& connection) {
  if (connection.record != nullptr) return kMsgFunctionSequence;
  // Refused before anything is sent: a NUL would cut a value short on its
  // way into a request, and bytes that are not UTF-8 can't go into one.
  std::string unusable = FindUnusableSetting(connection.settings);
  if (!unusable.empty()) {
    SetDiagnostic(connection.diagnostic, kMsgUnableToConnect, unusable);
    return kMsgUnableToConnect;
  }
  std::string missing = MissingCredentials(connection.settings);
  if (!missing.empty()) {
    SetDiagnostic(connection.diagnostic, kMsgLoginMissing, missing);
    return kMsgLoginMissing;
  }
  std::string timeFault = ApplyTimeSettings(connection);
  if (!timeFault.empty()) {
    SetDiagnostic(connection.diagnostic, kMsgUnableToConnect, timeFault);
    return kMsgUnableToConnect;
  }
  std::unique_ptr<ConnectionRecord> record = BuildConnectionRecord(connection);
  ApiCallRecord& call = record->client->session.callRecord;
  if (ApiAuthenticate(record->client->session, call) != kMsgSuccess) return PostConnectFailure(connection, call);
  // Autocommit stays as the application left it before connecting; the
  // handle starts with it on.
  connection.record = record.release();
  return kMsgSuccess;
}

MessageId ConnectToDataSource(ConnectionHandle& connection, const std::string& dataSource,
                              const std::string& userName, const std::string& password) {
  if (connection.record != nullptr) return kMsgFunctionSequence;
  connection.settings.clear();
  SetConnectArguments(connection.settings, dataSource, userName, password);
  AddDataSourceKeys(connection.settings);
  return OpenConnection(connection);
}

MessageId DriverConnect(ConnectionHandle& connection, const std::string& connectionString,
                        std::string& outConnectionString) {
  if (connection.record != nullptr) return kMsgFunctionSequence;
  connection.settings.clear();
  SettingsMap applicationKeys;
  if (!ParseConnectionString(connectionString, applicationKeys)) {
    SetDiagnostic(connection.diagnostic, kMsgUnableToConnect, "unclosed '{' in the connection string");
    return kMsgUnableToConnect;
  }
  connection.settings = applicationKeys;
  AddDataSourceKeys(connection.settings);
  MessageId id = OpenConnection(connection);
  if (id == kMsgSuccess) outConnectionString = BuildOutConnectionString(connection.settings, applicationKeys);
  return id;
}

void CloseConnectionRecord(ConnectionHandle& connection) {
  delete connection.record;
  connection.record = nullptr;
}
