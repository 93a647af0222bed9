// Literal terms: strings, numbers, parameter markers, USER and the date,
// time and timestamp escapes; the first alternative of every primary.
#include "common/datetime_text.h"
#include "common/decimal_text.h"
#include "handles/statement_handle.h"
#include "sql/parser_rules.h"
#include "sql/parser_support.h"
#include "sql/token_readers.h"

namespace {

inline constexpr std::int16_t kSqlDecimal = 3;
inline constexpr std::int16_t kSqlInteger = 4;
inline constexpr std::int16_t kSqlDouble = 8;

// Integers of ten characters or more (sign included) may not fit 32 bits
// and are carried as doubles.
void ApplyNumberShape(ValueCell& cell, std::int16_t valueType, std::uint16_t digits, std::string_view text) {
  if (valueType == kValueInteger && text.size() >= 10) valueType = kValueDouble;
  cell.valueType = valueType;
  if (valueType == kValueNumeric) {
    cell.sqlType = kSqlDecimal;
    cell.size = static_cast<std::int32_t>(text.size() - (text.starts_with('-') ? 2 : 1));
    cell.digits = digits;
  } else if (valueType == kValueInteger) {
    cell.sqlType = kSqlInteger;
    cell.size = 10;
    cell.digits = 0;
  } else {
    cell.sqlType = kSqlDouble;
    cell.size = 15;
    cell.digits = kNoDigits;
  }
}

MessageId MakeNumberLiteral(ParseSession& s, double value, std::int16_t valueType, std::uint16_t digits,
                            NodeIndex& out) {
  if (valueType != kValueInteger && valueType != kValueNumeric && valueType != kValueDouble) {
    return kMsgInternalError;
  }
  ValueCell shape;
  ApplyNumberShape(shape, valueType, digits, s.token);
  std::string text = s.token;
  if (shape.valueType == kValueNumeric) {
    if (MessageId id = FitNumericText(s.token, text, s.token.size() + 2, static_cast<std::uint16_t>(shape.size),
                                      shape.digits)) {
      return id;
    }
  }
  const ValueIndex textIndex = InternString(s.tree, text);
  if (textIndex == kNoValue) return kMsgMemoryAllocation;
  s.tree.values[textIndex].size = text.size() + 3;  // room for the text plus 2
  if (MessageId id = NewNode(s, kNodeNumberLiteral, out)) return id;
  ParseNode& node = NodeAt(s, out);
  node.cell.valueType = shape.valueType;
  node.cell.sqlType = shape.sqlType;
  node.cell.size = shape.size;
  node.cell.digits = shape.digits;
  node.fields.numberLiteral.number = value;
  node.fields.numberLiteral.text = textIndex;
  return kMsgSuccess;
}

// The clause text goes to the date, then the time, then the timestamp
// parser; the first that accepts it decides the node.
MessageId MakeDateTimeLiteral(ParseSession& s, const std::string& clause, NodeIndex& out) {
  SQL_DATE_STRUCT date{};
  SQL_TIME_STRUCT time{};
  SQL_TIMESTAMP_STRUCT timestamp{};
  const SQLLEN length = static_cast<SQLLEN>(clause.size());
  if (ParseDateLiteral(clause.data(), length, date) == kMsgSuccess) {
    if (MessageId id = NewNode(s, kNodeDateLiteral, out)) return id;
    FieldsAt(s, out).dateLiteral.date = date;
  } else if (ParseTimeLiteral(clause.data(), length, time) == kMsgSuccess) {
    if (MessageId id = NewNode(s, kNodeTimeLiteral, out)) return id;
    FieldsAt(s, out).timeLiteral.time = time;
  } else if (ParseTimestampLiteral(clause.data(), length, timestamp) == kMsgSuccess) {
    if (MessageId id = NewNode(s, kNodeTimestampLiteral, out)) return id;
    FieldsAt(s, out).timestampLiteral.timestamp = timestamp;
  } else {
    s.statement.diagnostic.detailText = clause;
    return kMsgMalformedEscape;
  }
  return kMsgSuccess;
}

MessageId ParseEscapeLiteral(ParseSession& s, SqlCursor& c, NodeIndex& out) {
  MessageId id = ParseEscapeSequence(s.statement, c, s.token);
  if (id == kMsgElementMissing) return ElementMissing(s.statement, "<simpleterm>");
  if (id != kMsgSuccess) return id;
  const std::string clause = s.token;
  return MakeDateTimeLiteral(s, clause, out);
}

}  // namespace

MessageId ParseStringLiteral(ParseSession& s, SqlCursor& c, NodeIndex& out) {
  SqlTokenKind kind = kTokenEnd;
  SqlCursor next;
  if (MessageId id = NextSqlToken(s.statement, c, s.token, kind, next, false, false)) return id;
  if (kind != kTokenString) return ElementMissing(s.statement, "<string>");
  c = next;
  const ValueIndex text = InternString(s.tree, s.token);
  if (text == kNoValue) return kMsgMemoryAllocation;
  if (MessageId id = NewNode(s, kNodeStringLiteral, out)) return id;
  FieldsAt(s, out).stringLiteral.text = text;
  return kMsgSuccess;
}

MessageId ParseSimpleTerm(ParseSession& s, SqlCursor& c, NodeIndex& out) {
  const SqlCursor start = c;
  MessageId id = ParseStringLiteral(s, c, out);
  if (id == kMsgSuccess || IsLexicalFailure(id)) return id;
  c = start;
  if (TrySymbol(s, c, "?")) return AppendParameterMarker(s, out);
  if (TryKeyword(s, c, "USER")) return NewNode(s, kNodeUser, out);
  double value = 0;
  std::int16_t valueType = 0;
  std::uint16_t digits = 0;
  id = ReadNumberToken(s.statement, c, value, s.token, valueType, digits);
  if (id == kMsgSuccess) return MakeNumberLiteral(s, value, valueType, digits, out);
  if (IsLexicalFailure(id)) return id;
  c = start;
  return ParseEscapeLiteral(s, c, out);
}
