// ODBC scalar-function calls in the {fn ...} form and the long vendor form,
// and the vendor clause that the long outer-join escape shares.
#include "platform/text_fold.h"
#include "sql/parser_rules.h"
#include "sql/parser_support.h"
#include "sql/token_readers.h"

namespace {

// POSITION(a IN b) and EXTRACT(YEAR FROM d) separate their two arguments
// with a keyword instead of ",".
std::string_view ArgumentSeparator(std::string_view name) {
  if (EqualFoldedAZ(name, "POSITION")) return "IN";
  if (EqualFoldedAZ(name, "EXTRACT")) return "FROM";
  return "";
}

MessageId ParseArgumentList(ParseSession& s, SqlCursor& c, std::string_view separator, NodeIndex& first) {
  if (MessageId id = ExpectSymbol(s.statement, c, "(", s.token)) return id;
  const ParseMark mark = MarkPosition(s, c);
  MessageId id = ParseValueList(s, c, first, separator);
  if (IsFinalFailure(s, id)) return id;
  if (id != kMsgSuccess) {
    RestorePosition(s, c, mark);
    first = kNoNode;
  }
  return ExpectSymbol(s.statement, c, ")", s.token);
}

}  // namespace

MessageId ReadVendorClause(ParseSession& s, SqlCursor& c) {
  static constexpr std::string_view kShape[] = {"(", "*", "", "(", "", ")", ",", "", "(", "", ")"};
  for (std::string_view symbol : kShape) {
    MessageId id = symbol.empty() ? ExpectIdentifier(s.statement, c, "", s.token)
                                  : ExpectSymbol(s.statement, c, symbol, s.token);
    if (id) return id;
  }
  return kMsgSuccess;
}

MessageId ReadVendorClose(ParseSession& s, SqlCursor& c) {
  for (std::string_view symbol : {"*", ")", "--"}) {
    if (MessageId id = ExpectSymbol(s.statement, c, symbol, s.token)) return id;
  }
  return kMsgSuccess;
}

MessageId ParseScalarFunction(ParseSession& s, SqlCursor& c, NodeIndex& out) {
  if (MessageId id = ExpectSymbol(s.statement, c, "", s.token)) return id;
  const bool longForm = s.token == "--";
  if (!longForm && s.token != "{") return ElementMissing(s.statement, "--");
  if (longForm) {
    if (MessageId id = ReadVendorClause(s, c)) return id;
  }
  if (MessageId id = ExpectIdentifier(s.statement, c, "", s.token)) return id;  // fn
  if (MessageId id = ExpectIdentifier(s.statement, c, "", s.token)) return id;
  const ValueIndex name = InternString(s.tree, s.token);
  if (name == kNoValue) return kMsgMemoryAllocation;
  NodeIndex first = kNoNode;
  if (MessageId id = ParseArgumentList(s, c, ArgumentSeparator(s.token), first)) return id;
  MessageId closed = longForm ? ReadVendorClose(s, c) : ExpectSymbol(s.statement, c, "}", s.token);
  if (closed) return closed;
  if (MessageId id = NewNode(s, kNodeScalarFunction, out)) return id;
  FieldsAt(s, out).scalarFunction.name = name;
  FieldsAt(s, out).scalarFunction.firstArgument = first;
  return kMsgSuccess;
}
