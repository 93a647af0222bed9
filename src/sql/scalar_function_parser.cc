// ODBC scalar-function calls in the {fn ...} form and the long vendor form,
// and the escape opening and close that the outer-join escape shares.
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

// "(" "*" word "(" word ")" "," word "(" word ")" after the "--" of a long
// escape.
MessageId ReadVendorClause(ParseSession& s, SqlCursor& c) {
  static constexpr std::string_view kShape[] = {"(", "*", "", "(", "", ")", ",", "", "(", "", ")"};
  for (std::string_view symbol : kShape) {
    MessageId id = symbol.empty() ? ExpectIdentifier(s.statement, c, "", s.token)
                                  : ExpectSymbol(s.statement, c, symbol, s.token);
    if (id) return id;
  }
  return kMsgSuccess;
}

}  // namespace

MessageId ReadEscapeOpen(ParseSession& s, SqlCursor& c, bool& longForm) {
  if (MessageId id = ExpectSymbol(s.statement, c, "", s.token)) return id;
  longForm = s.token == "--";
  if (!longForm && s.token != "{") return ElementMissing(s.statement, "--");
  if (longForm) {
    if (MessageId id = ReadVendorClause(s, c)) return id;
  }
  return ExpectIdentifier(s.statement, c, "", s.token);
}

MessageId ReadEscapeClose(ParseSession& s, SqlCursor& c, bool longForm) {
  if (!longForm) return ExpectSymbol(s.statement, c, "}", s.token);
  for (std::string_view symbol : {"*", ")", "--"}) {
    if (MessageId id = ExpectSymbol(s.statement, c, symbol, s.token)) return id;
  }
  return kMsgSuccess;
}

MessageId ParseScalarFunction(ParseSession& s, SqlCursor& c, NodeIndex& out) {
  bool longForm = false;
  if (MessageId id = ReadEscapeOpen(s, c, longForm)) return id;  // through "fn"
  if (MessageId id = ExpectIdentifier(s.statement, c, "", s.token)) return id;
  const ValueIndex name = InternString(s.tree, s.token);
  if (name == kNoValue) return kMsgMemoryAllocation;
  NodeIndex first = kNoNode;
  if (MessageId id = ParseArgumentList(s, c, ArgumentSeparator(s.token), first)) return id;
  if (MessageId id = ReadEscapeClose(s, c, longForm)) return id;
  if (MessageId id = NewNode(s, kNodeScalarFunction, out)) return id;
  FieldsAt(s, out).scalarFunction.name = name;
  FieldsAt(s, out).scalarFunction.firstArgument = first;
  return kMsgSuccess;
}
