// The expect helpers and name interning that parser rules use to read one
// token and say precisely what was missing when it is not there.
#include <string>

#include "handles/statement_handle.h"
#include "platform/text_fold.h"
#include "sql/token_readers.h"

namespace {

std::string Quoted(std::string_view text) {
  std::string quoted = "'";
  quoted.append(text);
  quoted.push_back('\'');
  return quoted;
}

bool StartsQuotedName(SqlCursor c) { return *c.text == '"' || *c.text == '['; }

}  // namespace

MessageId FoundInstead(StatementHandle& statement, std::string_view found, std::string_view insteadOf,
                       SqlCursor after) {
  std::string& detail = statement.diagnostic.detailText;
  detail.assign("While parsing SQL found '");
  detail.append(found);
  detail.append("' instead of ");
  detail.append(insteadOf);
  detail.append(" near: ");
  detail.append(NearText(after));
  return kMsgElementMissing;
}

MessageId ElementMissing(StatementHandle& statement, std::string_view argument) {
  statement.diagnostic.detailText.assign(argument);
  return kMsgElementMissing;
}

MessageId ExpectSymbol(StatementHandle& statement, SqlCursor& cursor, std::string_view wanted, std::string& token) {
  SqlTokenKind kind = kTokenEnd;
  SqlCursor next;
  if (MessageId id = NextSqlToken(statement, cursor, token, kind, next, false, false)) return id;
  cursor = next;
  if (kind == kTokenSymbol && (wanted.empty() || token == wanted)) return kMsgSuccess;
  if (wanted.empty()) return ElementMissing(statement, "<symbol>");
  return FoundInstead(statement, token, Quoted(wanted), next);
}

MessageId ExpectKeyword(StatementHandle& statement, SqlCursor& cursor, std::string_view wanted, std::string& token) {
  SqlCursor start = SkipBlanks(cursor);
  if (AtTextEnd(start)) return kMsgUnexpectedEnd;
  if (*start.text == '"') {
    // A double-quoted name is never a keyword; the message names the token
    // read before it.
    std::string detail = "While parsing SQL found '" + token;
    detail += wanted.empty() ? std::string("' instead of <keyword>") : "' instead of " + Quoted(wanted);
    return ElementMissing(statement, detail);
  }
  SqlTokenKind kind = kTokenEnd;
  SqlCursor next;
  if (MessageId id = NextSqlToken(statement, start, token, kind, next, false, false)) return id;
  cursor = next;
  if (kind == kTokenKeyword && (wanted.empty() || EqualFoldedAZ(token, wanted))) return kMsgSuccess;
  return FoundInstead(statement, token, wanted.empty() ? std::string("<keyword>") : Quoted(wanted), next);
}

MessageId ExpectIdentifier(StatementHandle& statement, SqlCursor& cursor, std::string_view wanted,
                           std::string& token) {
  SqlCursor start = SkipBlanks(cursor);
  if (AtTextEnd(start)) return kMsgUnexpectedEnd;
  SqlTokenKind kind = kTokenEnd;
  SqlCursor next;
  if (MessageId id = NextSqlToken(statement, start, token, kind, next, false, false)) return id;
  cursor = next;
  if (!StartsQuotedName(start) && (kind == kTokenIdentifier || kind == kTokenKeyword)) return kMsgSuccess;
  if (!wanted.empty()) return ElementMissing(statement, wanted);
  return FoundInstead(statement, token, "<identifier>", next);
}

MessageId ReadAndInternName(StatementHandle& statement, SqlCursor& cursor, ParseTree& tree, ValueIndex& index,
                            std::string& token, bool blankNames, bool onInNames) {
  SqlTokenKind kind = kTokenEnd;
  SqlCursor next;
  if (MessageId id = NextSqlToken(statement, cursor, token, kind, next, blankNames, onInNames)) return id;
  cursor = next;
  if (kind != kTokenIdentifier) return FoundInstead(statement, token, "<keyword>", next);
  index = InternString(tree, token);
  return index == kNoValue ? kMsgMemoryAllocation : kMsgSuccess;
}
