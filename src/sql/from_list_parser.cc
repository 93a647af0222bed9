// The FROM list: plain tables with optional aliases, INNER and LEFT OUTER
// join chains, and the ODBC outer-join escape in its short and long forms.
#include "sql/parser_rules.h"
#include "sql/parser_support.h"
#include "sql/token_readers.h"

namespace {

// One name token after a table reference; absent is no error.
void TakeTableAlias(ParseSession& s, SqlCursor& c, NodeIndex tableReference) {
  SqlCursor attempt = c;
  ValueIndex alias = kNoValue;
  if (ReadAndInternName(s.statement, attempt, s.tree, alias, s.token, false, false) != kMsgSuccess) return;
  c = attempt;
  FieldsAt(s, tableReference).tableReference.alias = alias;
}

MessageId ParseAliasedTable(ParseSession& s, SqlCursor& c, NodeIndex& joinItem) {
  NodeIndex table = kNoNode;
  if (MessageId id = ParseTableReference(s, c, table)) return id;
  TakeTableAlias(s, c, table);
  if (MessageId id = NewNode(s, kNodeJoinItem, joinItem)) return id;
  FieldsAt(s, joinItem).joinItem.tableReference = table;
  return kMsgSuccess;
}

// The left side of a join: a parenthesised join of the same type, or a table.
MessageId ParseJoinLeft(ParseSession& s, SqlCursor& c, bool inner, bool optional, NodeIndex& first, NodeIndex& left) {
  if (!TrySymbol(s, c, "(")) {
    if (MessageId id = ParseAliasedTable(s, c, first)) return id;
    left = first;
    return kMsgSuccess;
  }
  if (MessageId id = ParseJoin(s, c, first, inner, optional, left)) return id;
  return ExpectSymbol(s.statement, c, ")", s.token);
}

MessageId ReadJoinKeywords(ParseSession& s, SqlCursor& c, bool inner) {
  if (!inner) {
    if (MessageId id = ExpectKeyword(s.statement, c, "OUTER", s.token)) return id;
  }
  return ExpectKeyword(s.statement, c, "JOIN", s.token);
}

// One element of the FROM list, trying the escape, a LEFT OUTER chain, an
// INNER chain and a plain table in turn.
MessageId ParseFromElement(ParseSession& s, SqlCursor& c, NodeIndex& first, NodeIndex& last) {
  const ParseMark mark = MarkPosition(s, c);
  MessageId id = ParseOuterJoinEscape(s, c, first, last);
  for (bool inner : {false, true}) {
    if (id == kMsgSuccess || IsFinalFailure(s, id)) return id;
    RestorePosition(s, c, mark);
    id = ParseJoin(s, c, first, inner, false, last);
  }
  if (id == kMsgSuccess || IsFinalFailure(s, id)) return id;
  RestorePosition(s, c, mark);
  if (MessageId tableId = ParseAliasedTable(s, c, first)) return tableId;
  last = first;
  return kMsgSuccess;
}

}  // namespace

MessageId ParseFromList(ParseSession& s, SqlCursor& c, NodeIndex& out) {
  NodeIndex previousLast = kNoNode;
  do {
    NodeIndex first = kNoNode;
    NodeIndex last = kNoNode;
    if (MessageId id = ParseFromElement(s, c, first, last)) return id;
    if (previousLast == kNoNode) {
      out = first;
    } else {
      FieldsAt(s, previousLast).joinItem.next = first;
    }
    previousLast = last;
  } while (TrySymbol(s, c, ","));
  return kMsgSuccess;
}

MessageId ParseJoin(ParseSession& s, SqlCursor& c, NodeIndex& first, bool inner, bool optional, NodeIndex& last) {
  NestingLevel level(s);
  if (MessageId id = CheckNesting(s, c)) return id;
  NodeIndex left = kNoNode;
  if (MessageId id = ParseJoinLeft(s, c, inner, optional, first, left)) return id;
  SqlCursor attempt = c;
  if (MessageId id = ExpectKeyword(s.statement, attempt, inner ? "INNER" : "LEFT", s.token)) {
    if (!optional) return id;
    last = left;
    return kMsgSuccess;
  }
  c = attempt;
  if (MessageId id = ReadJoinKeywords(s, c, inner)) return id;
  NodeIndex rightFirst = kNoNode;
  if (MessageId id = ParseJoin(s, c, rightFirst, inner, true, last)) return id;
  if (MessageId id = ExpectKeyword(s.statement, c, "ON", s.token)) return id;
  NodeIndex condition = kNoNode;
  if (MessageId id = ParseSearchCondition(s, c, condition)) return id;
  FieldsAt(s, left).joinItem.next = rightFirst;
  TableReferenceFields& right = FieldsAt(s, FieldsAt(s, rightFirst).joinItem.tableReference).tableReference;
  right.joinLeft = first;
  right.joinCondition = condition;
  right.joinType = inner ? kJoinInner : kJoinLeftOuter;
  return kMsgSuccess;
}

MessageId ParseEscapedJoin(ParseSession& s, SqlCursor& c, NodeIndex& first, NodeIndex& last) {
  const ParseMark mark = MarkPosition(s, c);
  MessageId id = ParseJoin(s, c, first, false, false, last);
  if (id == kMsgSuccess || IsFinalFailure(s, id)) return id;
  RestorePosition(s, c, mark);
  return ParseJoin(s, c, first, true, false, last);
}

MessageId ParseOuterJoinEscape(ParseSession& s, SqlCursor& c, NodeIndex& first, NodeIndex& last) {
  bool longForm = false;
  if (MessageId id = ReadEscapeOpen(s, c, longForm)) return id;  // through "oj"
  if (MessageId id = ParseEscapedJoin(s, c, first, last)) return id;
  return ReadEscapeClose(s, c, longForm);
}
