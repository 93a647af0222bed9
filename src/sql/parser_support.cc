// Node creation, backtracking marks, optional-token tests and parameter
// marker numbering for the parser rules.
#include "sql/parser_support.h"

#include "sql/token_readers.h"

MessageId NewNode(ParseSession& session, std::uint16_t kind, NodeIndex& out) {
  out = AddParseNode(session.tree, kind);
  return out == kNoNode ? kMsgMemoryAllocation : kMsgSuccess;
}

void RestorePosition(ParseSession& session, SqlCursor& cursor, const ParseMark& mark) {
  cursor = mark.cursor;
  if (session.lastParameter == mark.lastParameter) return;
  if (mark.lastParameter == kNoNode) {
    FieldsAt(session, 0).root.firstParameter = kNoNode;
  } else {
    FieldsAt(session, mark.lastParameter).parameter.next = kNoNode;
  }
  session.lastParameter = mark.lastParameter;
}

bool TryKeyword(ParseSession& session, SqlCursor& cursor, std::string_view keyword) {
  SqlCursor attempt = cursor;
  if (ExpectKeyword(session.statement, attempt, keyword, session.token) != kMsgSuccess) return false;
  cursor = attempt;
  return true;
}

bool TrySymbol(ParseSession& session, SqlCursor& cursor, std::string_view symbol) {
  SqlCursor attempt = cursor;
  if (ExpectSymbol(session.statement, attempt, symbol, session.token) != kMsgSuccess) return false;
  cursor = attempt;
  return true;
}

std::uint8_t ReadSortDirection(ParseSession& session, SqlCursor& cursor) {
  if (TryKeyword(session, cursor, "DESC")) return 1;
  TryKeyword(session, cursor, "ASC");
  return 0;
}

std::string_view PeekSymbol(SqlCursor cursor) {
  SqlCursor c = SkipBlanks(cursor);
  if (AtTextEnd(c)) return {};
  return {c.text, SymbolLength(c)};
}

MessageId AppendParameterMarker(ParseSession& session, NodeIndex& out) {
  const NodeIndex last = session.lastParameter;
  // Parameter numbers are 16-bit in ODBC; a further marker could never be
  // bound and would share a number with another.
  if (last != kNoNode && FieldsAt(session, last).parameter.number == 0xFFFF) {
    return FailFinally(session, kMsgElementMissing, "More than 65535 parameter markers");
  }
  if (MessageId id = NewNode(session, kNodeParameter, out)) return id;
  if (last == kNoNode) {
    FieldsAt(session, 0).root.firstParameter = out;
    FieldsAt(session, out).parameter.number = 1;
  } else {
    FieldsAt(session, last).parameter.next = out;
    FieldsAt(session, out).parameter.number = static_cast<std::uint16_t>(FieldsAt(session, last).parameter.number + 1);
  }
  session.lastParameter = out;
  return kMsgSuccess;
}
