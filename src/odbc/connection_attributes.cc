// Connection options and attributes for the exported SQLSetConnectAttr,
// SQLGetConnectAttr and their ODBC 2 forms: autocommit, the isolation level,
// the current catalog, statement defaults, and options kept at their defaults.
#include "odbc/connection_attributes.h"

#include <cstdint>

#include "common/odbc_text.h"
#include "connection/type_info.h"
#include "handles/connection_record.h"
#include "handles/handles.h"
#include "handles/statement_handle.h"
#include "odbc/statement_attributes.h"
#include "odbc/transactions.h"

namespace {

// Ids up to here are the ODBC 2 statement options, which set defaults.
constexpr SQLINTEGER kLastStatementOption = SQL_USE_BOOKMARKS;

bool TransactionCapable(const ConnectionHandle& connection) {
  return connection.record != nullptr && connection.record->transactionCapability != 0;
}

// -1 until the application chooses a level: the connection then runs at the
// service's default.
std::int64_t EffectiveIsolation(const ConnectionHandle& connection) {
  return connection.isolationLevel >= 0 ? connection.isolationLevel : connection.record->defaultIsolation;
}

// Status 0 when value names one level the record offers, 3 otherwise. A
// mask of several levels is no level, so it is tested as none.
MessageId TestOneIsolationLevel(ConnectionRecord& record, SQLULEN value) {
  const bool oneLevel = value != 0 && (value & (value - 1)) == 0 && value <= 0xFFFFFFFFu;
  return TestIsolationMask(record, oneLevel ? static_cast<std::uint32_t>(value) : 0);
}

bool AnyStatementWrote(const ConnectionHandle& connection) {
  for (const StatementHandle* s = connection.firstStatement; s != nullptr; s = s->nextStatement)
    if (s->transactionFlags[0] != 0) return true;
  return false;
}

// A default that every statement of the connection takes at once. An open
// result whose value differs refuses the change, on that statement and on
// the connection, and nothing changes.
MessageId SetCursorDefault(ConnectionHandle& connection, OptionChoice choice, std::uint16_t ConnectionHandle::*connectionDefault,
                           std::uint16_t StatementHandle::*field) {
  for (StatementHandle* s = connection.firstStatement; s != nullptr; s = s->nextStatement) {
    if (s->statementKind == kStatementNone || s->*field == choice.stored) continue;
    SetDiagnostic(s->diagnostic, kMsgInvalidCursorState);
    return kMsgInvalidCursorState;
  }
  connection.*connectionDefault = choice.stored;
  for (StatementHandle* s = connection.firstStatement; s != nullptr; s = s->nextStatement) s->*field = choice.stored;
  return choice.substituted ? kMsgOptionValueChanged : kMsgSuccess;
}

MessageId SetDefaultCursorType(ConnectionHandle& connection, SQLULEN value) {
  return SetCursorDefault(connection, ChooseCursorType(value), &ConnectionHandle::cursorType,
                          &StatementHandle::cursorType);
}

// Retrieve data, use bookmarks: the default and every statement.
MessageId SetStatementDefault(ConnectionHandle& connection, MessageId check, SQLULEN value,
                              std::uint16_t ConnectionHandle::*connectionDefault, std::uint16_t StatementHandle::*field) {
  if (check != kMsgSuccess) return check;
  connection.*connectionDefault = static_cast<std::uint16_t>(value);
  for (StatementHandle* s = connection.firstStatement; s != nullptr; s = s->nextStatement)
    s->*field = static_cast<std::uint16_t>(value);
  return kMsgSuccess;
}

MessageId SetDefaultBindType(ConnectionHandle& connection, SQLULEN value) {
  connection.bindType = value;
  for (StatementHandle* s = connection.firstStatement; s != nullptr; s = s->nextStatement)
    s->currentArd->bindType = value;
  return kMsgSuccess;
}

MessageId SetAutocommit(ConnectionHandle& connection, SQLULEN value) {
  if (value != SQL_AUTOCOMMIT_OFF && value != SQL_AUTOCOMMIT_ON) return kMsgDriverNotCapable;
  // Before connecting the choice is only kept, and connecting keeps it: the
  // Driver Manager hands over an application's choice at this moment, and a
  // connection that came up with autocommit on again would send writes the
  // application means to roll back.
  if (connection.record == nullptr) {
    connection.autocommit = value == SQL_AUTOCOMMIT_ON ? 1 : 0;
    return kMsgSuccess;
  }
  if (!TransactionCapable(connection)) {
    if (value != SQL_AUTOCOMMIT_ON) return kMsgDriverNotCapable;
    connection.autocommit = 1;
    return kMsgSuccess;
  }
  if (value == SQL_AUTOCOMMIT_OFF) {
    connection.autocommit = 0;
    return kMsgSuccess;
  }
  if (connection.autocommit == 0) {
    // The writes held back while autocommit was off go out now; if they
    // can't, autocommit stays off so they are neither lost nor sent twice.
    SQLRETURN result = EndTransaction(nullptr, &connection, SQL_COMMIT);
    if (result != SQL_SUCCESS && result != SQL_SUCCESS_WITH_INFO) return connection.diagnostic.messageId;
  }
  connection.autocommit = 1;
  return kMsgSuccess;
}

MessageId SetIsolation(ConnectionHandle& connection, SQLULEN value) {
  if (!TransactionCapable(connection)) return kMsgDriverNotCapable;
  if (static_cast<std::int64_t>(value) == EffectiveIsolation(connection)) return kMsgSuccess;
  if (AnyStatementWrote(connection)) return kMsgTransactionActive;
  MessageId status = TestOneIsolationLevel(*connection.record, value);
  if (status != kMsgSuccess) return status;
  connection.isolationLevel = static_cast<std::int64_t>(value);
  return kMsgSuccess;
}

MessageId SetCurrentCatalog(ConnectionHandle& connection, SQLPOINTER value, SQLINTEGER stringLength) {
  if (!IsStringLength(stringLength)) return kMsgInvalidBufferLength;
  AssignOdbcText(connection.currentCatalog, static_cast<const SQLCHAR*>(value), stringLength);
  return kMsgSuccess;
}

MessageId SetMetadataId(ConnectionHandle& connection, SQLULEN value) {
  connection.metadataId = value != 0 ? 1 : 0;
  for (StatementHandle* s = connection.firstStatement; s != nullptr; s = s->nextStatement)
    s->metadataId = connection.metadataId;
  return kMsgSuccess;
}

// The stored catalog, shown under the data source's GLOBALCATALOG name when
// it has one.
std::string CurrentCatalogAnswer(const ConnectionHandle& connection) {
  if (connection.currentCatalog.empty()) return {};
  const std::string& global = LookupSetting(connection.settings, "GLOBALCATALOG");
  return global.empty() ? connection.currentCatalog : global;
}

ConnectionAnswer Integer(SQLUINTEGER number) { return {ConnectionAnswer::Kind::kInteger, number, {}}; }
ConnectionAnswer Text(std::string text) { return {ConnectionAnswer::Kind::kText, 0, std::move(text)}; }

}  // namespace

MessageId SetConnectionOption(ConnectionHandle& connection, SQLUSMALLINT option, SQLULEN value) {
  switch (option) {
    case SQL_QUERY_TIMEOUT:
    case SQL_MAX_ROWS:
    case SQL_MAX_LENGTH:
    case SQL_KEYSET_SIZE: return AcceptOnlyZero(value, kMsgOptionValueChanged);
    case SQL_NOSCAN:
    case SQL_ASYNC_ENABLE: return AcceptOnlyZero(value, kMsgOptionalFeature);
    case SQL_BIND_TYPE: return SetDefaultBindType(connection, value);
    case SQL_CURSOR_TYPE: return SetDefaultCursorType(connection, value);
    case SQL_CONCURRENCY:
      return SetCursorDefault(connection, ChooseConcurrency(value), &ConnectionHandle::concurrency,
                              &StatementHandle::concurrency);
    case SQL_ROWSET_SIZE: return value == 1 ? kMsgSuccess : kMsgOptionValueChanged;
    case SQL_RETRIEVE_DATA:
      return SetStatementDefault(connection, CheckRetrieveData(value), value, &ConnectionHandle::retrieveData,
                                 &StatementHandle::retrieveData);
    case SQL_USE_BOOKMARKS:
      return SetStatementDefault(connection, CheckUseBookmarks(value), value, &ConnectionHandle::useBookmarks,
                                 &StatementHandle::useBookmarks);
    case SQL_ACCESS_MODE:
    case SQL_LOGIN_TIMEOUT:  // no separate login limit: the request timeouts apply
    case SQL_OPT_TRACE:
    case SQL_TRANSLATE_DLL:
    case SQL_TRANSLATE_OPTION:
    case SQL_QUIET_MODE: return AcceptOnlyZero(value, kMsgOptionValueChanged);
    case SQL_OPT_TRACEFILE: return kMsgOptionValueChanged;
    case SQL_AUTOCOMMIT: return SetAutocommit(connection, value);
    case SQL_TXN_ISOLATION: return SetIsolation(connection, value);
    case SQL_ATTR_CONNECTION_TIMEOUT:
    case SQL_ATTR_METADATA_ID:
      return SetConnectionAttribute(connection, option, reinterpret_cast<SQLPOINTER>(value), 0);
    default: return kMsgDriverNotCapable;
  }
}

MessageId GetConnectionOption(const ConnectionHandle& connection, SQLUSMALLINT option, ConnectionAnswer& answer) {
  switch (option) {
    case SQL_ACCESS_MODE:
    case SQL_LOGIN_TIMEOUT:
    case SQL_OPT_TRACE:
    case SQL_TRANSLATE_OPTION: answer = Integer(0); return kMsgSuccess;
    case SQL_AUTOCOMMIT:
      answer = Integer(connection.autocommit != 0 ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF);
      return kMsgSuccess;
    case SQL_OPT_TRACEFILE:
    case SQL_TRANSLATE_DLL: answer = Text({}); return kMsgSuccess;
    case SQL_TXN_ISOLATION:
      if (!TransactionCapable(connection)) return kMsgDriverNotCapable;
      answer = Integer(static_cast<SQLUINTEGER>(EffectiveIsolation(connection)));
      return kMsgSuccess;
    case SQL_CURRENT_QUALIFIER: answer = Text(CurrentCatalogAnswer(connection)); return kMsgSuccess;
    case SQL_QUIET_MODE: answer = {ConnectionAnswer::Kind::kWindow, 0, {}}; return kMsgSuccess;
    default: return kMsgDriverNotCapable;
  }
}

MessageId SetConnectionAttribute(ConnectionHandle& connection, SQLINTEGER attribute, SQLPOINTER value,
                                 SQLINTEGER stringLength) {
  const auto number = static_cast<SQLULEN>(reinterpret_cast<std::uintptr_t>(value));
  switch (attribute) {
    case SQL_ATTR_CURRENT_CATALOG: return SetCurrentCatalog(connection, value, stringLength);
    case SQL_ATTR_CONNECTION_TIMEOUT: return AcceptOnlyZero(number, kMsgOptionValueChanged);
    case SQL_ATTR_METADATA_ID: return SetMetadataId(connection, number);
    default: break;
  }
  const bool statementOption = attribute >= 0 && attribute <= kLastStatementOption;
  const bool connectionOption = attribute >= SQL_ACCESS_MODE && attribute <= SQL_PACKET_SIZE;
  if (!statementOption && !connectionOption) return kMsgInvalidAttribute;
  return SetConnectionOption(connection, static_cast<SQLUSMALLINT>(attribute), number);
}

MessageId GetConnectionAttribute(const ConnectionHandle& connection, SQLINTEGER attribute, SQLPOINTER value,
                                 SQLINTEGER bufferLength, SQLINTEGER* stringLength) {
  ConnectionAnswer answer;
  MessageId id = kMsgSuccess;
  switch (attribute) {
    case SQL_ATTR_CONNECTION_TIMEOUT:
    case SQL_ATTR_CONNECTION_DEAD: answer = Integer(0); break;
    case SQL_ATTR_AUTO_IPD: answer = Integer(SQL_TRUE); break;
    case SQL_ATTR_METADATA_ID: answer = Integer(connection.metadataId); break;
    case SQL_ATTR_CURRENT_CATALOG: answer = Text(CurrentCatalogAnswer(connection)); break;
    case SQL_ATTR_ASYNC_ENABLE:
    case SQL_ATTR_ACCESS_MODE:
    case SQL_ATTR_AUTOCOMMIT:
    case SQL_ATTR_LOGIN_TIMEOUT:
    case SQL_ATTR_TRACE:
    case SQL_ATTR_TRACEFILE:
    case SQL_ATTR_TRANSLATE_LIB:
    case SQL_ATTR_TRANSLATE_OPTION:
    case SQL_ATTR_TXN_ISOLATION:
    case SQL_ATTR_ODBC_CURSORS:
    case SQL_ATTR_QUIET_MODE:
    case SQL_ATTR_PACKET_SIZE:
      id = GetConnectionOption(connection, static_cast<SQLUSMALLINT>(attribute), answer);
      break;
    default: return kMsgInvalidAttribute;
  }
  if (id != kMsgSuccess) return id;
  return WriteConnectionAnswer(answer, value, bufferLength, stringLength);
}

MessageId WriteConnectionAnswer(const ConnectionAnswer& answer, SQLPOINTER value, SQLINTEGER bufferLength,
                                SQLINTEGER* stringLength) {
  switch (answer.kind) {
    case ConnectionAnswer::Kind::kInteger:
      if (value != nullptr) *static_cast<SQLUINTEGER*>(value) = answer.number;
      if (stringLength != nullptr) *stringLength = sizeof(SQLUINTEGER);
      return kMsgSuccess;
    case ConnectionAnswer::Kind::kWindow:
      if (value != nullptr) *static_cast<SQLHWND*>(value) = nullptr;
      if (stringLength != nullptr) *stringLength = sizeof(SQLHWND);
      return kMsgSuccess;
    case ConnectionAnswer::Kind::kText: break;
  }
  if (value != nullptr && bufferLength < 0) return kMsgInvalidBufferLength;
  return CopyToOdbcBuffer32(static_cast<SQLCHAR*>(value), bufferLength, stringLength, answer.text);
}
