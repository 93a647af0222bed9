// The ORDER BY list of the statement's SELECT: ordinals, primaries, and
// ASC or DESC per item.
#include <charconv>

#include "sql/parser_rules.h"
#include "sql/parser_support.h"
#include "sql/token_readers.h"

namespace {

inline constexpr std::int16_t kSqlInteger = 4;

bool IsOrdinalText(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

MessageId MakeOrdinal(ParseSession& s, NodeIndex& out) {
  double value = 0;
  std::from_chars(s.token.data(), s.token.data() + s.token.size(), value);
  const ValueIndex text = InternString(s.tree, s.token);
  if (text == kNoValue) return kMsgMemoryAllocation;
  if (MessageId id = NewNode(s, kNodeNumberLiteral, out)) return id;
  ParseNode& node = NodeAt(s, out);
  node.cell.valueType = kValueInteger;
  node.cell.sqlType = kSqlInteger;
  node.cell.size = 10;
  node.cell.digits = 0;
  node.fields.numberLiteral.number = value;
  node.fields.numberLiteral.text = text;
  return kMsgSuccess;
}

}  // namespace

MessageId ParseOrderByItem(ParseSession& s, SqlCursor& c, NodeIndex& out, std::uint8_t& descending) {
  SqlTokenKind kind = kTokenEnd;
  SqlCursor next;
  MessageId id = NextSqlToken(s.statement, c, s.token, kind, next, false, false);
  if (id == kMsgSuccess && kind == kTokenNumber && IsOrdinalText(s.token)) {
    c = next;
    id = MakeOrdinal(s, out);
  } else {
    id = ParsePrimary(s, c, out);
  }
  if (id) return id;
  descending = ReadSortDirection(s, c);
  return kMsgSuccess;
}

MessageId ParseOrderByList(ParseSession& s, SqlCursor& c, NodeIndex& out) {
  NodeIndex previous = kNoNode;
  do {
    NodeIndex value = kNoNode;
    std::uint8_t descending = 0;
    if (MessageId id = ParseOrderByItem(s, c, value, descending)) return id;
    NodeIndex item = kNoNode;
    if (MessageId id = NewNode(s, kNodeSortItem, item)) return id;
    FieldsAt(s, item).sortItem.value = value;
    FieldsAt(s, item).sortItem.descending = descending;
    LinkListItem(s, out, previous, item, &NodeFields::sortItem);
  } while (TrySymbol(s, c, ","));
  return kMsgSuccess;
}
