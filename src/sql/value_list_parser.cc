// Comma (or keyword) separated value lists for function arguments, IN lists
// and VALUES, and the GROUP BY column list. Lists are built in loops.
#include "sql/parser_rules.h"
#include "sql/parser_support.h"
#include "sql/token_readers.h"

namespace {

bool TakeSeparator(ParseSession& s, SqlCursor& c, std::string_view separator) {
  return separator.empty() ? TrySymbol(s, c, ",") : TryKeyword(s, c, separator);
}

}  // namespace

MessageId ParseNullOrExpression(ParseSession& s, SqlCursor& c, NodeIndex& value) {
  SqlCursor attempt = c;
  MessageId id = ExpectKeyword(s.statement, attempt, "NULL", s.token);
  if (id == kMsgSuccess) {
    c = attempt;
    return NewNode(s, kNodeNull, value);
  }
  if (id == kMsgLexicalElementTooLarge) return id;
  return ParseArithmeticExpression(s, c, value);
}

MessageId ParseValueList(ParseSession& s, SqlCursor& c, NodeIndex& out, std::string_view separator) {
  NodeIndex previous = kNoNode;
  do {
    NodeIndex value = kNoNode;
    if (MessageId id = ParseNullOrExpression(s, c, value)) return id;
    NodeIndex item = kNoNode;
    if (MessageId id = NewNode(s, kNodeListItem, item)) return id;
    FieldsAt(s, item).listItem.value = value;
    LinkListItem(s, out, previous, item, &NodeFields::listItem);
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
    LinkListItem(s, out, previous, item, &NodeFields::groupItem);
  } while (TrySymbol(s, c, ","));
  return kMsgSuccess;
}
