// Comma (or keyword) separated value lists for function arguments, IN lists
// and VALUES, and the GROUP BY column list. Lists are built in loops.
#include "sql/parser_rules.h"
#include "sql/parser_support.h"
#include "sql/token_readers.h"

namespace {

// NULL, or an expression.
MessageId ParseListValue(ParseSession& s, SqlCursor& c, NodeIndex& value) {
  SqlCursor attempt = c;
  MessageId id = ExpectKeyword(s.statement, attempt, "NULL", s.token);
  if (id == kMsgSuccess) {
    c = attempt;
    return NewNode(s, kNodeNull, value);
  }
  if (id == kMsgLexicalElementTooLarge) return id;
  return ParseArithmeticExpression(s, c, value);
}

bool TakeSeparator(ParseSession& s, SqlCursor& c, std::string_view separator) {
  return separator.empty() ? TrySymbol(s, c, ",") : TryKeyword(s, c, separator);
}

}  // namespace

MessageId ParseValueList(ParseSession& s, SqlCursor& c, NodeIndex& out, std::string_view separator) {
  NodeIndex previous = kNoNode;
  do {
    NodeIndex value = kNoNode;
    if (MessageId id = ParseListValue(s, c, value)) return id;
    NodeIndex item = kNoNode;
    if (MessageId id = NewNode(s, kNodeListItem, item)) return id;
    FieldsAt(s, item).listItem.value = value;
    if (previous == kNoNode) {
      out = item;
    } else {
      FieldsAt(s, previous).listItem.next = item;
    }
    previous = item;
  } while (TakeSeparator(s, c, separator));
  return kMsgSuccess;
}

MessageId ParseGroupByClause(ParseSession& s, SqlCursor& c, NodeIndex& out) {
  out = kNoNode;
  if (!TryKeyword(s, c, "GROUP")) return kMsgSuccess;
  if (MessageId id = ExpectKeyword(s.statement, c, "BY", s.token)) return id;
  return ParseGroupByList(s, c, out);
}

MessageId ParseGroupByList(ParseSession& s, SqlCursor& c, NodeIndex& out) {
  NodeIndex previous = kNoNode;
  do {
    NodeIndex column = kNoNode;
    if (MessageId id = ParseColumnReference(s, c, column)) return id;
    NodeIndex item = kNoNode;
    if (MessageId id = NewNode(s, kNodeGroupItem, item)) return id;
    FieldsAt(s, item).groupItem.columnReference = column;
    if (previous == kNoNode) {
      out = item;
    } else {
      FieldsAt(s, previous).groupItem.next = item;
    }
    previous = item;
  } while (TrySymbol(s, c, ","));
  return kMsgSuccess;
}
