// One predicate of a search condition: parenthesised conditions, EXISTS,
// comparisons (with quantified sub-selects), IS [NOT] NULL, [NOT] IN,
// [NOT] LIKE and [NOT] BETWEEN.
#include "handles/statement_handle.h"
#include "platform/text_fold.h"
#include "sql/parser_rules.h"
#include "sql/parser_support.h"
#include "sql/token_readers.h"

namespace {

struct PredicateParts {
  std::uint16_t op = 0;
  std::uint16_t quantifier = kQuantifierNone;
  NodeIndex left = kNoNode;
  NodeIndex second = kNoNode;
  NodeIndex third = kNoNode;
};

MessageId MakePredicate(ParseSession& s, const PredicateParts& parts, NodeIndex& out) {
  if (MessageId id = NewNode(s, kNodePredicate, out)) return id;
  PredicateFields& f = FieldsAt(s, out).predicate;
  f.op = parts.op;
  f.quantifier = parts.quantifier;
  f.left = parts.left;
  f.second = parts.second;
  f.third = parts.third;
  return kMsgSuccess;
}

// "(" SELECT ... ")" after the keyword SELECT has been seen; used by EXISTS,
// IN and the comparisons.
MessageId ParseSubSelectRest(ParseSession& s, SqlCursor& c, NodeIndex& select) {
  if (MessageId id = ParseSelect(s, c, select)) return id;
  return ExpectSymbol(s.statement, c, ")", s.token);
}

// Step 1: a whole condition in parentheses stands for itself.
bool TryParenthesizedCondition(ParseSession& s, SqlCursor& c, NodeIndex& out, MessageId& failure) {
  failure = kMsgSuccess;
  if (!TrySymbol(s, c, "(")) return false;
  NodeIndex condition = kNoNode;
  MessageId id = ParseSearchCondition(s, c, condition);
  if (id == kMsgSuccess && TrySymbol(s, c, ")")) {
    out = condition;
    return true;
  }
  if (IsFinalFailure(s, id)) failure = id;
  return false;
}

MessageId ParseExists(ParseSession& s, SqlCursor& c, NodeIndex& out) {
  if (MessageId id = ExpectSymbol(s.statement, c, "(", s.token)) return id;
  if (MessageId id = ExpectKeyword(s.statement, c, "SELECT", s.token)) return id;
  PredicateParts parts;
  parts.op = kOpExists;
  parts.quantifier = kQuantifierExists;
  if (MessageId id = ParseSubSelectRest(s, c, parts.left)) return id;
  return MakePredicate(s, parts, out);
}

// IS [NOT] NULL after a column reference; false when IS is not next.
bool TryIsNull(ParseSession& s, SqlCursor& c, PredicateParts& parts, MessageId& result) {
  if (!TryKeyword(s, c, "IS")) return false;
  parts.op = kOpEqual;
  result = ExpectKeyword(s.statement, c, "", s.token);
  if (result == kMsgSuccess && EqualFoldedAZ(s.token, "NOT")) {
    parts.op = kOpNotEqual;
    result = ExpectKeyword(s.statement, c, "", s.token);
  }
  if (result != kMsgSuccess) return true;
  if (!EqualFoldedAZ(s.token, "NULL")) {
    result = FoundInstead(s.statement, s.token, "NULL", c);
    return true;
  }
  result = NewNode(s, kNodeNull, parts.second);
  return true;
}

std::uint16_t ComparisonOperator(std::string_view symbol) {
  static constexpr std::string_view kSymbols[] = {"=", "<>", "<=", "<", ">=", ">"};
  for (std::uint16_t i = 0; i < 6; ++i) {
    if (symbol == kSymbols[i]) return static_cast<std::uint16_t>(kOpEqual + i);
  }
  return 0;
}

// The right side of a comparison: [ALL | ANY] then a parenthesised SELECT,
// or, without a quantifier, an expression.
MessageId ParseComparisonRight(ParseSession& s, SqlCursor& c, PredicateParts& parts) {
  if (TryKeyword(s, c, "ALL")) {
    parts.quantifier = kQuantifierAll;
  } else if (TryKeyword(s, c, "ANY")) {
    parts.quantifier = kQuantifierAny;
  }
  SqlCursor attempt = c;
  if (TrySymbol(s, attempt, "(") && TryKeyword(s, attempt, "SELECT")) {
    c = attempt;
    if (parts.quantifier == kQuantifierNone) parts.quantifier = kQuantifierSubSelect;
    return ParseSubSelectRest(s, c, parts.second);
  }
  if (parts.quantifier != kQuantifierNone) {
    // A quantifier means nothing without its sub-select; later passes could
    // not evaluate the predicate.
    SqlCursor after = c;
    SqlTokenKind kind = kTokenEnd;
    NextSqlToken(s.statement, c, s.token, kind, after, false, false);
    return FoundInstead(s.statement, s.token, "(SELECT ...)", after);
  }
  return ParseArithmeticExpression(s, c, parts.second);
}

MessageId ParseInRest(ParseSession& s, SqlCursor& c, PredicateParts& parts) {
  if (MessageId id = ExpectSymbol(s.statement, c, "(", s.token)) return id;
  if (TryKeyword(s, c, "SELECT")) return ParseSubSelectRest(s, c, parts.second);
  if (MessageId id = ParseValueList(s, c, parts.second, "")) return id;
  return ExpectSymbol(s.statement, c, ")", s.token);
}

MessageId ParseBetweenRest(ParseSession& s, SqlCursor& c, PredicateParts& parts) {
  if (MessageId id = ParseArithmeticExpression(s, c, parts.second)) return id;
  if (MessageId id = ExpectKeyword(s.statement, c, "AND", s.token)) return id;
  return ParseArithmeticExpression(s, c, parts.third);
}

// The operator keywords of step 6: [NOT] LIKE, [NOT] IN, [NOT] BETWEEN.
MessageId ReadKeywordOperator(ParseSession& s, SqlCursor& c, std::uint16_t& op) {
  if (MessageId id = ExpectKeyword(s.statement, c, "", s.token)) return id;
  if (EqualFoldedAZ(s.token, "NOT")) {
    if (TryKeyword(s, c, "LIKE")) op = kOpNotLike;
    else if (TryKeyword(s, c, "IN")) op = kOpNotIn;
    else if (MessageId id = ExpectKeyword(s.statement, c, "BETWEEN", s.token)) return id;
    else op = kOpNotBetween;
    return kMsgSuccess;
  }
  if (EqualFoldedAZ(s.token, "LIKE")) op = kOpLike;
  else if (EqualFoldedAZ(s.token, "IN")) op = kOpIn;
  else if (EqualFoldedAZ(s.token, "BETWEEN")) op = kOpBetween;
  else return FoundInstead(s.statement, s.token, "IN, NOT IN, LIKE, NOT LIKE, BETWEEN, NOT BETWEEN", c);
  return kMsgSuccess;
}

MessageId ParseKeywordPredicate(ParseSession& s, SqlCursor& c, PredicateParts& parts) {
  if (MessageId id = ReadKeywordOperator(s, c, parts.op)) return id;
  if (parts.op == kOpIn || parts.op == kOpNotIn) return ParseInRest(s, c, parts);
  if (parts.op == kOpLike || parts.op == kOpNotLike) return ParsePatternValue(s, c, parts.second);
  return ParseBetweenRest(s, c, parts);
}

// Steps 4 to 6, once the left operand stands.
MessageId ParseOperatorAndRight(ParseSession& s, SqlCursor& c, PredicateParts& parts) {
  if (NodeAt(s, parts.left).kind == kNodeColumnReference) {
    MessageId result = kMsgSuccess;
    const SqlCursor beforeIs = c;
    if (TryIsNull(s, c, parts, result)) return result;
    c = beforeIs;
  }
  SqlTokenKind kind = kTokenEnd;
  SqlCursor next;
  if (NextSqlToken(s.statement, c, s.token, kind, next, false, false) == kMsgSuccess && kind == kTokenSymbol) {
    c = next;
    parts.op = ComparisonOperator(s.token);
    if (parts.op == 0) return FoundInstead(s.statement, s.token, "=, <>, <, <=, >, or >=", next);
    return ParseComparisonRight(s, c, parts);
  }
  return ParseKeywordPredicate(s, c, parts);
}

}  // namespace

MessageId ParsePredicate(ParseSession& s, SqlCursor& c, NodeIndex& out) {
  NestingLevel level(s);
  if (MessageId id = CheckNesting(s, c)) return id;
  const ParseMark mark = MarkPosition(s, c);
  MessageId failure = kMsgSuccess;
  if (TryParenthesizedCondition(s, c, out, failure)) return kMsgSuccess;
  if (failure != kMsgSuccess) return failure;
  RestorePosition(s, c, mark);
  if (TryKeyword(s, c, "EXISTS")) return ParseExists(s, c, out);
  PredicateParts parts;
  if (MessageId id = ParseArithmeticExpression(s, c, parts.left)) return id;
  if (MessageId id = ParseOperatorAndRight(s, c, parts)) return id;
  return MakePredicate(s, parts, out);
}

MessageId ParsePatternValue(ParseSession& s, SqlCursor& c, NodeIndex& out) {
  const SqlCursor start = c;
  if (ParseStringLiteral(s, c, out) == kMsgSuccess) return kMsgSuccess;
  c = start;
  if (TrySymbol(s, c, "?")) return AppendParameterMarker(s, out);
  if (MessageId id = ExpectKeyword(s.statement, c, "USER", s.token)) return id;
  return NewNode(s, kNodeUser, out);
}
