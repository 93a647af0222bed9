// SQLNativeSql: a parse on a statement of its own, which never joins the
// connection's statement list, so no other call can see it.
#include "odbc/native_sql.h"

#include <memory>
#include <string_view>

#include "common/odbc_text.h"
#include "handles/handles.h"
#include "handles/statement_handle.h"
#include "sql/parse_tree.h"
#include "sql/statement_parser.h"

namespace {

std::string_view InputText(const SQLCHAR* in, SQLINTEGER inLength) {
  if (in == nullptr) return {};
  const char* text = reinterpret_cast<const char*>(in);
  if (inLength == SQL_NTS) return text;
  return {text, static_cast<std::size_t>(inLength)};
}

}  // namespace

MessageId NativeSql(ConnectionHandle& connection, const SQLCHAR* in, SQLINTEGER inLength, SQLCHAR* out,
                    SQLINTEGER bufferLength, SQLINTEGER* outLength) {
  if (!IsStringLength(inLength) || bufferLength < 0) {
    SetDiagnostic(connection.diagnostic, kMsgInvalidBufferLength);
    return kMsgInvalidBufferLength;
  }
  const std::string_view text = InputText(in, inLength);
  auto scratch = std::make_unique<StatementHandle>();
  scratch->connection = &connection;
  MessageId id = ParseStatement(*scratch, connection.record, text.empty() ? "" : text.data(), text.size(),
                                scratch->parseTree);
  FreeParseTree(scratch->parseTree);
  if (id != kMsgSuccess) {
    SetDiagnostic(connection.diagnostic, id, scratch->diagnostic.detailText);
    return id;
  }
  connection.diagnostic.messageId = kMsgSuccess;
  return CopyToOdbcBuffer32(out, bufferLength, outLength, text);
}
