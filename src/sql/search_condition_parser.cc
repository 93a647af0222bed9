// Search conditions shared by WHERE, HAVING and ON: OR over AND over
// [NOT] predicate, both right-associative and built in loops.
#include "sql/parser_rules.h"
#include "sql/parser_support.h"

namespace {

MessageId MakeBoolean(ParseSession& s, std::uint16_t op, NodeIndex first, NodeIndex second, NodeIndex& out) {
  if (MessageId id = NewNode(s, kNodeBoolean, out)) return id;
  BooleanFields& f = FieldsAt(s, out).boolean;
  f.op = op;
  f.first = first;
  f.second = second;
  return kMsgSuccess;
}

MessageId ParseNotPredicate(ParseSession& s, SqlCursor& c, NodeIndex& out) {
  if (!TryKeyword(s, c, "NOT")) return ParsePredicate(s, c, out);
  NodeIndex predicate = kNoNode;
  if (MessageId id = ParsePredicate(s, c, predicate)) return id;
  return MakeBoolean(s, kOpNot, predicate, kNoNode, out);
}

// operand { keyword operand } as op(a, op(b, op(c, ...))): each new operand
// replaces the second operand of the last node made, so a chain of any
// length needs no recursion.
MessageId ParseRightChain(ParseSession& s, SqlCursor& c, NodeIndex& out, std::uint16_t op,
                          MessageId (*operand)(ParseSession&, SqlCursor&, NodeIndex&)) {
  if (MessageId id = operand(s, c, out)) return id;
  NodeIndex tail = kNoNode;
  while (TryKeyword(s, c, op == kOpOr ? "OR" : "AND")) {
    NodeIndex next = kNoNode;
    if (MessageId id = operand(s, c, next)) return id;
    NodeIndex joined = kNoNode;
    const NodeIndex left = tail == kNoNode ? out : FieldsAt(s, tail).boolean.second;
    if (MessageId id = MakeBoolean(s, op, left, next, joined)) return id;
    if (tail == kNoNode) {
      out = joined;
    } else {
      FieldsAt(s, tail).boolean.second = joined;
    }
    tail = joined;
  }
  return kMsgSuccess;
}

}  // namespace

MessageId ParseSearchCondition(ParseSession& s, SqlCursor& c, NodeIndex& out) {
  return ParseRightChain(s, c, out, kOpOr, ParseBooleanFactor);
}

MessageId ParseBooleanFactor(ParseSession& s, SqlCursor& c, NodeIndex& out) {
  return ParseRightChain(s, c, out, kOpAnd, ParseNotPredicate);
}

MessageId ParseHavingClause(ParseSession& s, SqlCursor& c, NodeIndex& out) {
  out = kNoNode;
  if (!TryKeyword(s, c, "HAVING")) return kMsgSuccess;
  return ParseSearchCondition(s, c, out);
}
