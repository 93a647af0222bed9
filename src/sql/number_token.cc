// Number tokens as values: ReadNumberToken for literals and TOP, and
// ReadUnsignedInteger for the sizes of column definitions.
#include <charconv>
#include <limits>

#include "common/ascii_text.h"
#include "handles/statement_handle.h"
#include "sql/token_readers.h"

namespace {

MessageId Malformed(StatementHandle& statement, std::string_view argument) {
  statement.diagnostic.detailText.assign(argument);
  return kMsgMalformedNumber;
}

// Integer until a ".", numeric (counting fraction digits) after it, double
// once an exponent appears.
MessageId ClassifyNumber(StatementHandle& statement, std::string_view text, std::int16_t& valueType,
                         std::uint16_t& digits) {
  valueType = kValueInteger;
  digits = 0;
  bool exponent = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char ch = text[i];
    if (IsDigit(ch)) {
      if (valueType == kValueNumeric && !exponent) ++digits;
    } else if (ch == '.' && !exponent && valueType == kValueInteger) {
      valueType = kValueNumeric;
    } else if ((ch == 'E' || ch == 'e') && !exponent) {
      exponent = true;
      valueType = kValueDouble;
      if (i + 1 < text.size() && (text[i + 1] == '+' || text[i + 1] == '-')) ++i;
    } else {
      return Malformed(statement, text);
    }
  }
  return kMsgSuccess;
}

// Decimal exponent of the leading non-zero digit, to tell a value too large
// for a double from one too small.
long long LeadingExponent(std::string_view text) {
  std::size_t mark = text.find_first_of("Ee");
  std::string_view mantissa = text.substr(0, mark);
  long long exponent = 0;
  if (mark != std::string_view::npos) {
    std::string_view rest = text.substr(mark + 1);
    bool negative = !rest.empty() && rest[0] == '-';
    for (char ch : rest) {
      if (IsDigit(ch) && exponent < 1000000000) exponent = exponent * 10 + (ch - '0');
    }
    if (negative) exponent = -exponent;
  }
  std::size_t point = mantissa.find('.');
  if (point == std::string_view::npos) point = mantissa.size();
  std::size_t first = mantissa.find_first_of("123456789");
  if (first == std::string_view::npos) return std::numeric_limits<long long>::min();
  long long lead = first < point ? static_cast<long long>(point - first - 1) : -static_cast<long long>(first - point);
  return lead + exponent;
}

// The value is read from the whole text at once, correctly rounded and
// independent of the process locale, so 3E-1 equals 0.3 exactly.
MessageId NumberValue(StatementHandle& statement, std::string_view text, double& value) {
  std::from_chars_result result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    if (LeadingExponent(text) > 0) return Malformed(statement, text);
    value = 0.0;
    return kMsgSuccess;
  }
  if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return Malformed(statement, text);
  return kMsgSuccess;
}

}  // namespace

MessageId ReadNumberToken(StatementHandle& statement, SqlCursor& cursor, double& value, std::string& token,
                          std::int16_t& valueType, std::uint16_t& digits) {
  SqlTokenKind kind = kTokenEnd;
  SqlCursor next;
  if (MessageId id = NextSqlToken(statement, cursor, token, kind, next, false, false)) return id;
  bool negative = false;
  if (kind == kTokenSymbol && (token == "-" || token == "+")) {
    negative = token == "-";
    cursor = next;
    if (MessageId id = NextSqlToken(statement, cursor, token, kind, next, false, false)) return id;
  }
  if (kind != kTokenNumber) return ElementMissing(statement, "<number>");
  cursor = next;
  if (MessageId id = ClassifyNumber(statement, token, valueType, digits)) return id;
  if (valueType == kValueNumeric && token.back() == '.') {
    token.pop_back();
    valueType = kValueInteger;
  }
  if (MessageId id = NumberValue(statement, token, value)) return id;
  if (negative) {
    token.insert(0, 1, '-');
    value = -value;
  }
  if (valueType == kValueDouble) digits = kNoDigits;
  return kMsgSuccess;
}

MessageId ReadUnsignedInteger(StatementHandle& statement, SqlCursor& cursor, std::uint32_t& value,
                              std::string& token) {
  SqlTokenKind kind = kTokenEnd;
  SqlCursor next;
  if (MessageId id = NextSqlToken(statement, cursor, token, kind, next, false, false)) return id;
  cursor = next;
  if (kind != kTokenNumber) return Malformed(statement, token);
  std::uint64_t total = 0;
  for (std::size_t i = 0; i < token.size(); ++i) {
    if (!IsDigit(token[i])) return Malformed(statement, std::string_view(token).substr(i));
    total = total * 10 + static_cast<std::uint64_t>(token[i] - '0');
    if (total > std::numeric_limits<std::uint32_t>::max()) return Malformed(statement, token);
  }
  value = static_cast<std::uint32_t>(total);
  return kMsgSuccess;
}
