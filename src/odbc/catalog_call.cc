// The start and end of every catalog call, and the texts made of its name
// arguments.
#include "odbc/catalog_call.h"

#include <sqlext.h>

#include "common/diagnostics.h"
#include "common/odbc_text.h"
#include "handles/connection_record.h"
#include "handles/handles.h"
#include "handles/statement_handle.h"
#include "odbc/statement_free.h"
#include "platform/utf8_text.h"
#include "tables/table_cursor.h"

namespace {

constexpr std::size_t kMaxCatalogNameCharacters = 127;
// A name of 127 characters takes at most four bytes for each.
constexpr SQLINTEGER kMaxCatalogNameBytes = kMaxUtf8CharacterBytes * kMaxCatalogNameCharacters;

void DropPreparedStatement(StatementHandle& statement) {
  ReleasePreparedState(statement);
  statement.dataAtExecutionPosition = kNoDataAtExecutionPosition;
  statement.pieceOffset = kNoPieceOffset;
}

}  // namespace

MessageId BeginCatalogCall(StatementHandle& statement) {
  statement.diagnosticRowCount = 0;
  if (statement.statementKind != kStatementNone || statement.dataAtExecution != 0) return kMsgInvalidCursorState;
  DropPreparedStatement(statement);
  return kMsgSuccess;
}

void OpenCatalogResult(StatementHandle& statement, std::int32_t kind, std::int32_t subMode) {
  statement.statementKind = kind;
  statement.catalogSubMode = subMode;
  statement.catalogRow = -1;
  statement.rowCount = -1;
  statement.currentBookmark = 0;
  statement.rowsetStatusArray = nullptr;
  statement.pendingOperation = kNoPendingOperation;
  statement.longDataColumn = 0;
  statement.longDataOffset = 0;
}

SQLRETURN FailCatalogCall(StatementHandle& statement, MessageId id) {
  FreeStatement(&statement, SQL_CLOSE);
  statement.diagnostic.messageId = id;
  if (const ConnectionRecord* record = statement.connection->record)
    GetConnectionErrorText(*record, statement.diagnostic.messageText);
  return SQL_ERROR;
}

void MarkCatalogRead(StatementHandle& statement) {
  const ConnectionRecord* record = statement.connection->record;
  if (record != nullptr && record->commitDeletesPrepared != 0) statement.transactionFlags[0] = 1;
}

void OpenCatalogTable(StatementHandle& statement, const std::string& tableName) {
  ConnectionRecord* record = statement.connection->record;
  if (record == nullptr) return;
  // Table access posts a failure to the connection's current statement.
  record->currentStatement = &statement;
  const HandleDiagnostic kept = statement.diagnostic;
  if (OpenTable(*record, tableName, 1, statement.catalogCursor) == kMsgSuccess) {
    MarkCatalogRead(statement);
  } else {
    statement.diagnostic = kept;
  }
}

bool AreNameLengths(std::initializer_list<SQLSMALLINT> lengths) {
  for (const SQLSMALLINT length : lengths)
    if (!IsStringLength(length)) return false;
  return true;
}

std::string CatalogArgument(const SQLCHAR* name, SQLSMALLINT length) {
  std::string text;
  AssignOdbcText(text, name, ClampOdbcLength(name, length, kMaxCatalogNameBytes));
  text.resize(Utf8PrefixBytes(text, kMaxCatalogNameCharacters));
  return text;
}

std::string EscapeCatalogPattern(const std::string& text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    if (c == '_' || c == '%' || c == '\\') escaped += '\\';
    escaped += c;
  }
  return escaped;
}

std::string CatalogNamePattern(const StatementHandle& statement, const SQLCHAR* name, SQLSMALLINT length) {
  const std::string text = CatalogArgument(name, length);
  if (text.empty()) return statement.metadataId != 0 ? std::string() : std::string("%");
  return statement.metadataId != 0 ? EscapeCatalogPattern(text) : text;
}

std::string CatalogFilter(const StatementHandle& statement, const SQLCHAR* name, SQLSMALLINT length) {
  if (name == nullptr) return std::string();
  const std::string text = CatalogArgument(name, length);
  return statement.metadataId != 0 ? EscapeCatalogPattern(text) : text;
}
