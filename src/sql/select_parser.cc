// The SELECT statement after its keyword: TOP, ALL or DISTINCT, the select
// list, FROM, WHERE, GROUP BY and HAVING. Also parses sub-selects.
#include "handles/statement_handle.h"
#include "sql/parser_rules.h"
#include "sql/parser_support.h"
#include "sql/token_readers.h"

namespace {

inline constexpr double kTopLimit = 2147483648.0;  // 2^31

// The statement's own SELECT takes its row limit from TOP; TOP n is a whole
// number 0 <= n < 2^31, and TOP 0 asks for no rows at all.
MessageId ParseTop(ParseSession& s, SqlCursor& c, bool topAllowed) {
  StatementHandle& statement = s.statement;
  if (!topAllowed) return ElementMissing(statement, "TOP is allowed only in the outermost SELECT");
  double value = 0;
  std::int16_t valueType = 0;
  std::uint16_t digits = 0;
  if (MessageId id = ReadNumberToken(statement, c, value, s.token, valueType, digits)) {
    statement.diagnostic.detailText = "Could not find number after 'TOP' keyword";
    return id;
  }
  if (valueType != kValueInteger || s.token.starts_with('-') || value >= kTopLimit) {
    return ElementMissing(statement, "TOP must be a whole number from 0 to 2147483647");
  }
  const auto rows = static_cast<std::int64_t>(value);
  statement.rowLimit = statement.maxRows != 0 && rows > statement.maxRows ? statement.maxRows : rows;
  return kMsgSuccess;
}

// name "." "*": all columns of one table, kept as the item's name.
bool TryQualifierStar(ParseSession& s, SqlCursor& c, ValueIndex& qualifier) {
  SqlCursor attempt = c;
  if (ReadAndInternName(s.statement, attempt, s.tree, qualifier, s.token, false, false) != kMsgSuccess) return false;
  if (!TrySymbol(s, attempt, ".") || !TrySymbol(s, attempt, "*")) return false;
  c = attempt;
  return true;
}

// [AS] alias: one name token; after AS it is required.
MessageId ParseSelectAlias(ParseSession& s, SqlCursor& c, ValueIndex& alias) {
  alias = kNoValue;
  if (TryKeyword(s, c, "AS")) return ReadAndInternName(s.statement, c, s.tree, alias, s.token, false, false);
  SqlCursor attempt = c;
  if (ReadAndInternName(s.statement, attempt, s.tree, alias, s.token, false, false) == kMsgSuccess) {
    c = attempt;
  } else {
    alias = kNoValue;
  }
  return kMsgSuccess;
}

MessageId ParseSelectItem(ParseSession& s, SqlCursor& c, NodeIndex& item) {
  NodeIndex value = kNoNode;
  ValueIndex name = kNoValue;
  if (!TryQualifierStar(s, c, name)) {
    if (MessageId id = ParseArithmeticExpression(s, c, value)) return id;
    if (MessageId id = ParseSelectAlias(s, c, name)) return id;
  }
  if (MessageId id = NewNode(s, kNodeListItem, item)) return id;
  FieldsAt(s, item).listItem.value = value;
  FieldsAt(s, item).listItem.name = name;
  return kMsgSuccess;
}

struct SelectClauses {
  std::uint8_t distinct = 0;
  NodeIndex selectList = kNoNode;
  NodeIndex fromList = kNoNode;
  NodeIndex where = kNoNode;
  NodeIndex groupBy = kNoNode;
  NodeIndex having = kNoNode;
};

MessageId ParseSelectClauses(ParseSession& s, SqlCursor& c, SelectClauses& parts) {
  if (TryKeyword(s, c, "DISTINCT")) {
    parts.distinct = 1;
  } else {
    TryKeyword(s, c, "ALL");
  }
  if (!TrySymbol(s, c, "*")) {
    if (MessageId id = ParseSelectList(s, c, parts.selectList)) return id;
  }
  if (MessageId id = ExpectKeyword(s.statement, c, "FROM", s.token)) return id;
  if (MessageId id = ParseFromList(s, c, parts.fromList)) return id;
  if (TryKeyword(s, c, "WHERE")) {
    if (MessageId id = ParseSearchCondition(s, c, parts.where)) return id;
  }
  if (MessageId id = ParseGroupByClause(s, c, parts.groupBy)) return id;
  return ParseHavingClause(s, c, parts.having);
}

}  // namespace

MessageId ParseSelect(ParseSession& s, SqlCursor& c, NodeIndex& out) {
  NestingLevel level(s);
  if (MessageId id = CheckNesting(s, c)) return id;
  const bool topAllowed = s.topAllowed;
  s.topAllowed = false;
  if (TryKeyword(s, c, "TOP")) {
    if (MessageId id = ParseTop(s, c, topAllowed)) return id;
  }
  SelectClauses parts;
  if (MessageId id = ParseSelectClauses(s, c, parts)) return id;
  if (MessageId id = NewNode(s, kNodeSelect, out)) return id;
  SelectFields& f = FieldsAt(s, out).select;
  f.distinct = parts.distinct;
  f.selectList = parts.selectList;
  f.fromList = parts.fromList;
  f.where = parts.where;
  f.groupBy = parts.groupBy;
  f.having = parts.having;
  return kMsgSuccess;
}

MessageId ParseSelectList(ParseSession& s, SqlCursor& c, NodeIndex& out) {
  NodeIndex previous = kNoNode;
  do {
    NodeIndex item = kNoNode;
    if (MessageId id = ParseSelectItem(s, c, item)) return id;
    LinkListItem(s, out, previous, item, &NodeFields::listItem);
  } while (TrySymbol(s, c, ","));
  return kMsgSuccess;
}
