// Arithmetic expressions, primaries and aggregates: the expression levels
// under predicates, select items, ORDER BY items and SET values.
#include "handles/statement_handle.h"
#include "platform/text_fold.h"
#include "sql/parser_rules.h"
#include "sql/parser_support.h"
#include "sql/token_readers.h"

namespace {

MessageId MakeArithmetic(ParseSession& s, std::uint16_t op, NodeIndex left, NodeIndex right, NodeIndex& out) {
  if (MessageId id = NewNode(s, kNodeArithmetic, out)) return id;
  ArithmeticFields& f = FieldsAt(s, out).arithmetic;
  f.op = op;
  f.left = left;
  f.right = right;
  return kMsgSuccess;
}

// One operator of a chain when it is next: "+"/"-" for terms, "*"/"/" for
// factors. A "*" directly followed by ")" closes a long escape ("*)--").
std::uint16_t NextChainOperator(SqlCursor c, bool additive) {
  std::string_view symbol = PeekSymbol(c);
  if (additive) {
    if (symbol == "+") return kOpAdd;
    if (symbol == "-") return kOpSubtract;
    return 0;
  }
  if (symbol == "/") return kOpDivide;
  if (symbol != "*") return 0;
  SqlCursor after = SkipBlanks(c);
  return after.remaining > 1 && after.text[1] == ')' ? 0 : kOpMultiply;
}

// Moves past the one-character symbol PeekSymbol found at c.
void SkipPeekedSymbol(SqlCursor& c) {
  c = SkipBlanks(c);
  c.text += 1;
  c.remaining -= 1;
}

// Left-deep chain of one precedence level, built in a loop so a long chain
// costs no stack.
MessageId ParseOperatorChain(ParseSession& s, SqlCursor& c, NodeIndex& out, bool additive) {
  auto operand = additive ? ParseTerm : ParseSignedFactor;
  NodeIndex left = kNoNode;
  if (MessageId id = operand(s, c, left)) return id;
  while (std::uint16_t op = NextChainOperator(c, additive)) {
    SkipPeekedSymbol(c);
    NodeIndex right = kNoNode;
    if (MessageId id = operand(s, c, right)) return id;
    if (MessageId id = MakeArithmetic(s, op, left, right, left)) return id;
  }
  out = left;
  return kMsgSuccess;
}

// "(" expression ")": no node of its own; once "(" is read its failures are
// final.
MessageId ParseParenthesizedExpression(ParseSession& s, SqlCursor& c, NodeIndex& out) {
  if (MessageId id = ParseArithmeticExpression(s, c, out)) return id;
  return ExpectSymbol(s.statement, c, ")", s.token);
}

std::uint16_t AggregateCode(std::string_view word) {
  if (EqualFoldedAZ(word, "COUNT")) return kAggregateCount;
  if (EqualFoldedAZ(word, "AVG")) return kAggregateAvg;
  if (EqualFoldedAZ(word, "MAX")) return kAggregateMax;
  if (EqualFoldedAZ(word, "MIN")) return kAggregateMin;
  if (EqualFoldedAZ(word, "SUM")) return kAggregateSum;
  return 0;
}

// An alternative of a primary that succeeded, or failed in a way no later
// alternative can mend: the text there can't be tokenized (in an argument
// too), or the parse must stop.
bool EndsPrimary(const ParseSession& s, MessageId id) {
  return id == kMsgSuccess || IsFinalFailure(s, id) || IsLexicalFailure(id);
}

}  // namespace

MessageId ParseArithmeticExpression(ParseSession& s, SqlCursor& c, NodeIndex& out) {
  return ParseOperatorChain(s, c, out, true);
}

MessageId ParseTerm(ParseSession& s, SqlCursor& c, NodeIndex& out) { return ParseOperatorChain(s, c, out, false); }

MessageId ParseSignedFactor(ParseSession& s, SqlCursor& c, NodeIndex& out) {
  std::string_view sign = PeekSymbol(c);
  if (sign != "-" && sign != "+") return ParsePrimary(s, c, out);
  SkipPeekedSymbol(c);
  NodeIndex operand = kNoNode;
  if (MessageId id = ParsePrimary(s, c, operand)) return id;
  if (sign == "+") {
    out = operand;
    return kMsgSuccess;
  }
  return MakeArithmetic(s, kOpNegate, operand, kNoNode, out);
}

MessageId ParsePrimary(ParseSession& s, SqlCursor& c, NodeIndex& out) {
  NestingLevel level(s);
  if (MessageId id = CheckNesting(s, c)) return id;
  const ParseMark mark = MarkPosition(s, c);
  MessageId id = ParseSimpleTerm(s, c, out);
  if (EndsPrimary(s, id)) return id;
  // A {fn} call also reaches the literal escapes first, so a malformed
  // escape is only reported once no later alternative reads it either.
  const std::string malformedEscape = id == kMsgMalformedEscape ? s.statement.diagnostic.detailText : "";
  RestorePosition(s, c, mark);
  id = ParseAggregate(s, c, out);
  if (EndsPrimary(s, id)) return id;
  RestorePosition(s, c, mark);
  if (TrySymbol(s, c, "(")) return ParseParenthesizedExpression(s, c, out);
  RestorePosition(s, c, mark);
  id = ParseColumnReference(s, c, out);
  if (EndsPrimary(s, id)) return id;
  RestorePosition(s, c, mark);
  id = ParseScalarFunction(s, c, out);
  if (EndsPrimary(s, id)) return id;
  if (!malformedEscape.empty()) {
    s.statement.diagnostic.detailText = malformedEscape;
    return kMsgMalformedEscape;
  }
  if (s.statement.diagnostic.detailText.empty()) s.statement.diagnostic.detailText = "<identifier>";
  return kMsgElementMissing;
}

MessageId ParseAggregate(ParseSession& s, SqlCursor& c, NodeIndex& out) {
  if (MessageId id = ExpectKeyword(s.statement, c, "", s.token)) return id;
  const std::uint16_t code = AggregateCode(s.token);
  if (code == 0) return ElementMissing(s.statement, "COUNT, AVG, MAX, MIN, or SUM");
  if (MessageId id = ExpectSymbol(s.statement, c, "(", s.token)) return id;
  NodeIndex argument = kNoNode;
  if (code != kAggregateCount || !TrySymbol(s, c, "*")) {
    if (MessageId id = ParseArithmeticExpression(s, c, argument)) return id;
  }
  if (MessageId id = ExpectSymbol(s.statement, c, ")", s.token)) return id;
  if (MessageId id = NewNode(s, kNodeAggregate, out)) return id;
  FieldsAt(s, out).aggregate.code = code;
  FieldsAt(s, out).aggregate.argument = argument;
  return kMsgSuccess;
}
