// Setting, generating and reading cursor names.
#include "odbc/cursor_names.h"

#include <charconv>
#include <set>
#include <string>
#include <string_view>

#include "common/odbc_text.h"
#include "handles/handles.h"
#include "handles/statement_handle.h"
#include "platform/text_fold.h"

namespace {

constexpr std::string_view kGeneratedPrefix = "SQL_CUR_";

bool NameInUse(const StatementHandle& statement, std::string_view name) {
  if (statement.connection == nullptr) return false;
  for (const StatementHandle* other = statement.connection->firstStatement; other != nullptr;
       other = other->nextStatement) {
    if (other != &statement && EqualFoldedAZ(other->cursorName, name)) return true;
  }
  return false;
}

// The n of a name that equals SQL_CUR_n written the canonical way, in any
// case; false for every other name.
bool GeneratedNumber(std::string_view name, std::uint64_t& n) {
  if (name.size() <= kGeneratedPrefix.size() || !EqualFoldedAZ(name.substr(0, kGeneratedPrefix.size()), kGeneratedPrefix))
    return false;
  const std::string_view digits = name.substr(kGeneratedPrefix.size());
  if (digits.size() > 1 && digits.front() == '0') return false;
  const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), n);
  return result.ec == std::errc() && result.ptr == digits.data() + digits.size();
}

}  // namespace

MessageId SetCursorName(StatementHandle& statement, const SQLCHAR* name, SQLSMALLINT length) {
  statement.diagnostic.messageId = kMsgSuccess;
  statement.diagnosticRowCount = 0;
  if (!IsStringLength(length)) return kMsgInvalidBufferLength;
  const SQLINTEGER size = ClampOdbcLength(name, length, static_cast<SQLINTEGER>(kMaxCursorNameLength) + 1);
  if (size < 1 || static_cast<std::size_t>(size) > kMaxCursorNameLength) return kMsgInvalidCursorName;
  const std::string_view text(reinterpret_cast<const char*>(name), static_cast<std::size_t>(size));
  if (NameInUse(statement, text)) return kMsgCursorNameInUse;
  statement.cursorName.assign(text);
  return kMsgSuccess;
}

void GenerateCursorName(StatementHandle& statement) {
  // One pass over the connection's names, so naming stays linear in the
  // number of statements however many of them hold generated names.
  std::set<std::uint64_t> used;
  if (statement.connection != nullptr) {
    for (const StatementHandle* other = statement.connection->firstStatement; other != nullptr;
         other = other->nextStatement) {
      std::uint64_t n = 0;
      if (other != &statement && GeneratedNumber(other->cursorName, n)) used.insert(n);
    }
  }
  std::uint64_t n = 0;
  while (used.count(n) != 0) ++n;
  statement.cursorName = std::string(kGeneratedPrefix) + std::to_string(n);
}

MessageId GetCursorName(StatementHandle& statement, SQLCHAR* buffer, SQLSMALLINT bufferLength,
                        SQLSMALLINT* nameLength) {
  statement.diagnostic.messageId = kMsgSuccess;
  statement.diagnosticRowCount = 0;
  if (bufferLength < 0) return kMsgInvalidBufferLength;
  if (statement.cursorName.empty()) GenerateCursorName(statement);
  return CopyToOdbcBuffer16(buffer, bufferLength, nameLength, statement.cursorName);
}
