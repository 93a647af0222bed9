// ParseStatement: reads the first keyword, hands the text to that
// statement's parser, parses the top-level ORDER BY and checks what follows.
#include "sql/statement_parser.h"

#include <cstring>
#include <new>
#include <string>

#include "handles/statement_handle.h"
#include "platform/text_fold.h"
#include "sql/parser_rules.h"
#include "sql/parser_support.h"
#include "sql/token_readers.h"

namespace {

bool IsOneOf(std::string_view word, std::string_view plain, std::string_view passThrough) {
  return EqualFoldedAZ(word, plain) || EqualFoldedAZ(word, passThrough);
}

bool IsPassThroughForm(std::string_view word) {
  return EqualFoldedAZ(word, "CREATEOQ") || EqualFoldedAZ(word, "INSERTOQ") || EqualFoldedAZ(word, "UPDATEOQ") ||
         EqualFoldedAZ(word, "DELETEOQ");
}

// ORDER BY is accepted only here, at the end of the statement's SELECT.
MessageId ParseTopLevelOrderBy(ParseSession& s, SqlCursor& c, NodeIndex select) {
  if (!TryKeyword(s, c, "ORDER")) return kMsgSuccess;
  if (MessageId id = ExpectKeyword(s.statement, c, "BY", s.token)) return id;
  NodeIndex list = kNoNode;
  if (MessageId id = ParseOrderByList(s, c, list)) return id;
  FieldsAt(s, select).select.orderBy = list;
  return kMsgSuccess;
}

MessageId ParseSelectStatement(ParseSession& s, SqlCursor& c, NodeIndex& out) {
  s.topAllowed = true;
  if (MessageId id = ParseSelect(s, c, out)) return id;
  return ParseTopLevelOrderBy(s, c, out);
}

MessageId DispatchStatement(ParseSession& s, SqlCursor& c, const std::string& keyword, NodeIndex& out) {
  if (IsPassThroughForm(keyword)) s.statement.passThrough = 1;
  if (EqualFoldedAZ(keyword, "ALTER")) return ParseAlterTable(s, c, out);
  if (IsOneOf(keyword, "CREATE", "CREATEOQ")) return ParseCreate(s, c, out);
  if (EqualFoldedAZ(keyword, "DROP")) return ParseDrop(s, c, out);
  if (EqualFoldedAZ(keyword, "SELECT")) return ParseSelectStatement(s, c, out);
  if (IsOneOf(keyword, "INSERT", "INSERTOQ")) return ParseInsert(s, c, out);
  if (IsOneOf(keyword, "DELETE", "DELETEOQ")) return ParseDelete(s, c, out);
  if (IsOneOf(keyword, "UPDATE", "UPDATEOQ")) return ParseUpdate(s, c, out);
  if (EqualFoldedAZ(keyword, "SQL")) return MakeSqlPseudoStatement(s, c, out);
  return FoundInstead(s.statement, keyword, "CREATE, DROP, SELECT, INSERT, UPDATE, or DELETE", c);
}

// After the statement: the end of the text, or ";" and the rest of a batch.
MessageId CheckStatementEnd(ParseSession& s, SqlCursor c) {
  SqlTokenKind kind = kTokenEnd;
  SqlCursor next;
  if (MessageId id = NextSqlToken(s.statement, c, s.token, kind, next, false, false)) return id;
  if (kind == kTokenEnd) return kMsgSuccess;
  if (kind == kTokenSymbol && s.token == ";") {
    s.statement.remainingBatch.assign(next.text, next.remaining);
    return kMsgSuccess;
  }
  s.statement.diagnostic.detailText = s.token;
  return kMsgUnexpectedExtraToken;
}

MessageId ParseIntoTree(StatementHandle& statement, ConnectionRecord* connection, SqlCursor c, std::string& token,
                        ParseTree*& holder) {
  if (MessageId id = ExpectKeyword(statement, c, "", token)) {
    if (id == kMsgUnexpectedEnd) statement.diagnostic.detailText.clear();
    return id;
  }
  const std::string keyword = token;
  ParseTree* tree = new ParseTree;
  ParseTreeGuard guard(tree);
  if (AddParseNode(*tree, kNodeRoot) == kNoNode) return kMsgMemoryAllocation;
  tree->nodes[0].fields.root.connection = connection;
  ParseSession session(statement, *tree, token);
  NodeIndex node = kNoNode;
  MessageId id = DispatchStatement(session, c, keyword, node);
  if (id == kMsgSuccess) id = CheckStatementEnd(session, c);
  if (session.finalFailure != kMsgSuccess) id = FailFinally(session, session.finalFailure, session.finalDetail);
  // The end-of-text message takes no argument; what a failed alternative
  // wrote before it would only mislead.
  if (id == kMsgUnexpectedEnd) statement.diagnostic.detailText.clear();
  if (id != kMsgSuccess) return id;
  tree->nodes[0].fields.root.statementNode = node;
  guard.keep = true;
  holder = tree;
  return kMsgSuccess;
}

}  // namespace

MessageId ParseStatement(StatementHandle& statement, ConnectionRecord* connection, const char* text,
                         std::size_t length, ParseTree*& tree) {
  FreeParseTree(tree);
  statement.passThrough = 0;
  statement.remainingBatch.clear();
  statement.rowLimit = statement.maxRows > 0 ? statement.maxRows : kNoRowLimit;
  // A NUL inside the length would end the text early and silently drop what
  // follows it, a WHERE clause say.
  if (const void* nul = text == nullptr ? nullptr : std::memchr(text, '\0', length)) {
    statement.diagnostic.detailText =
        "at offset " + std::to_string(static_cast<const char*>(nul) - text) + " of " + std::to_string(length);
    return kMsgNulInStatementText;
  }
  try {
    std::string token;
    token.reserve(kTokenBufferBytes);
    MessageId id = ParseIntoTree(statement, connection, SqlCursor{text, text == nullptr ? 0 : length}, token, tree);
    if (id != kMsgSuccess) statement.remainingBatch.clear();
    return id;
  } catch (const std::bad_alloc&) {
    statement.remainingBatch.clear();
    return kMsgMemoryAllocation;
  }
}
