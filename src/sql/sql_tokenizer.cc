// Splits SQL text into symbols, numbers, string literals, names and keywords
// for the parser, including unquoted names that contain blanks.
#include "sql/sql_tokenizer.h"

#include <cstring>

#include "common/ascii_text.h"
#include "handles/statement_handle.h"
#include "platform/utf8_text.h"
#include "sql/sql_keywords.h"

namespace {

bool IsSingleCharSymbol(char c) { return c != '\0' && std::strchr("()*+,/;=?{}", c) != nullptr; }

// Characters that end an unquoted name. ";" is among them, so "t;" is the
// name t followed by the statement separator.
bool EndsName(char c) { return c == '\0' || std::strchr("\t\n\r()*+,-./<=>?{};", c) != nullptr; }

MessageId Fail(StatementHandle& statement, MessageId id, std::string_view argument) {
  statement.diagnostic.detailText.assign(argument);
  return id;
}

MessageId TooLarge(StatementHandle& statement, std::string_view soFar) {
  return Fail(statement, kMsgLexicalElementTooLarge, soFar);
}

SqlCursor Advance(SqlCursor c, std::size_t count) { return SqlCursor{c.text + count, c.remaining - count}; }

// Content between single quotes, with doubled quotes undone.
MessageId ReadStringLiteral(StatementHandle& statement, SqlCursor c, std::string& token, SqlCursor& next) {
  std::size_t pos = 1;
  while (true) {
    if (pos >= c.remaining || c.text[pos] == '\0') return kMsgUnexpectedEnd;
    if (c.text[pos] == '\'') {
      if (pos + 1 < c.remaining && c.text[pos + 1] == '\'') {
        pos += 2;
        token.push_back('\'');
      } else {
        break;
      }
    } else {
      token.push_back(c.text[pos++]);
    }
    if (token.size() > kMaxTokenBytes) return TooLarge(statement, token);
  }
  next = Advance(c, pos + 1);
  return kMsgSuccess;
}

// A name in double quotes or square brackets, taken as written.
MessageId ReadQuotedName(StatementHandle& statement, SqlCursor c, std::string& token, SqlCursor& next) {
  const char close = c.text[0] == '[' ? ']' : '"';
  std::size_t pos = 1;
  while (pos < c.remaining && c.text[pos] != '\0' && c.text[pos] != close) ++pos;
  if (pos >= c.remaining || c.text[pos] == '\0') return kMsgUnexpectedEnd;
  if (pos - 1 > kMaxTokenBytes) return TooLarge(statement, std::string_view(c.text + 1, kMaxTokenBytes));
  token.assign(c.text + 1, pos - 1);
  next = Advance(c, pos + 1);
  return kMsgSuccess;
}

// An exponent mark, its optional sign and at least one digit. A mark with no
// digit after it is malformed wherever it stands, not only at the text's end.
MessageId ReadExponent(StatementHandle& statement, SqlCursor c, std::size_t& pos) {
  ++pos;
  if (pos < c.remaining && (c.text[pos] == '+' || c.text[pos] == '-')) ++pos;
  if (pos >= c.remaining || !IsDigit(c.text[pos])) {
    return Fail(statement, kMsgMalformedNumber, std::string_view(c.text, pos));
  }
  return kMsgSuccess;
}

// Digits with at most one "." and at most one exponent.
MessageId ReadNumberText(StatementHandle& statement, SqlCursor c, std::string& token, SqlCursor& next) {
  std::size_t pos = 0;
  bool seenPoint = false;
  bool seenExponent = false;
  while (pos < c.remaining) {
    char ch = c.text[pos];
    if (IsDigit(ch)) {
      ++pos;
    } else if (ch == '.') {
      if (seenPoint || seenExponent) return Fail(statement, kMsgMalformedNumber, std::string_view(c.text, pos));
      seenPoint = true;
      ++pos;
    } else if (ch == 'E' || ch == 'e') {
      if (seenExponent) return Fail(statement, kMsgMalformedNumber, std::string_view(c.text, pos));
      seenExponent = true;
      if (MessageId id = ReadExponent(statement, c, pos)) return id;
    } else {
      break;
    }
    if (pos > kMaxTokenBytes) return TooLarge(statement, std::string_view(c.text, kMaxTokenBytes));
  }
  token.assign(c.text, pos);
  next = Advance(c, pos);
  return kMsgSuccess;
}

std::size_t StripTrailingBlanks(std::string_view text, std::size_t end) {
  while (end > 0 && text[end - 1] == ' ') --end;
  return end;
}

// Where a name that stopped at end (a character, a NUL or the text's end)
// really ends: trailing blanks dropped, and a keyword that closes it given
// back.
std::size_t FinishName(std::string_view name, std::size_t end, bool onInNames, std::size_t& resume) {
  resume = end;
  std::size_t length = StripTrailingBlanks(name, end);
  std::size_t cut = 0;
  if (IsNameBoundary(name.substr(0, length), onInNames, cut)) {
    resume = cut;
    length = StripTrailingBlanks(name, cut);
  }
  return length;
}

// An unquoted name; with blankNames a blank goes into the name unless the
// word before it is a keyword that ends the name.
MessageId ReadName(StatementHandle& statement, SqlCursor c, std::string& token, SqlCursor& next,
                   bool blankNames, bool onInNames) {
  std::string_view text(c.text, c.remaining);
  std::size_t pos = 0;
  std::size_t lastBlank = std::string_view::npos;
  std::size_t length = 0;
  std::size_t resume = 0;
  while (true) {
    if (pos >= text.size() || EndsName(text[pos]) || (text[pos] == ' ' && !blankNames)) {
      length = FinishName(text, pos, onInNames, resume);
      break;
    }
    if (text[pos] == ' ') {
      // Only the word since the previous blank can close the name here, so
      // each blank costs one keyword lookup, not a rescan of the name.
      std::size_t cut = 0;
      if (lastBlank != std::string_view::npos &&
          IsNameBoundary(text.substr(lastBlank, pos - lastBlank), onInNames, cut)) {
        resume = lastBlank;
        length = StripTrailingBlanks(text, lastBlank);
        break;
      }
      lastBlank = pos;
    }
    if (++pos > kMaxTokenBytes) return TooLarge(statement, text.substr(0, kMaxTokenBytes));
  }
  token.assign(c.text, length);
  next = Advance(c, resume);
  return kMsgSuccess;
}

}  // namespace

SqlCursor SkipBlanks(SqlCursor c) {
  while (c.remaining > 0 && (*c.text == ' ' || *c.text == '\t' || *c.text == '\r' || *c.text == '\n')) {
    c = Advance(c, 1);
  }
  return c;
}

std::size_t SymbolLength(SqlCursor c) {
  if (AtTextEnd(c)) return 0;
  const char first = c.text[0];
  const char second = c.remaining > 1 ? c.text[1] : '\0';
  if (IsSingleCharSymbol(first)) return 1;
  if ((first == '-' && second == '-') || (first == '<' && (second == '=' || second == '>')) ||
      (first == '>' && second == '=')) {
    return 2;
  }
  if (first == '-' || first == '<' || first == '>') return 1;
  // A "." before a digit starts a number such as .5.
  if (first == '.' && !IsDigit(second)) return 1;
  return 0;
}

bool IsNameBoundary(std::string_view name, bool onInNames, std::size_t& cut) {
  std::size_t lastBlank = name.rfind(' ');
  if (lastBlank == std::string_view::npos) return false;
  std::string_view word = name.substr(lastBlank + 1);
  if (IsContextWord(word, onInNames) || !IsKeywordText(word)) return false;
  cut = lastBlank;
  return true;
}

MessageId NextSqlToken(StatementHandle& statement, SqlCursor from, std::string& token, SqlTokenKind& kind,
                       SqlCursor& next, bool blankNames, bool onInNames) {
  SqlCursor c = SkipBlanks(from);
  token.clear();
  next = c;
  kind = kTokenEnd;
  if (AtTextEnd(c)) return kMsgSuccess;
  if (const std::size_t length = SymbolLength(c)) {
    kind = kTokenSymbol;
    token.assign(c.text, length);
    next = Advance(c, length);
    return kMsgSuccess;
  }
  const char first = c.text[0];
  if (IsDigit(first) || first == '.') {
    kind = kTokenNumber;
    return ReadNumberText(statement, c, token, next);
  }
  if (first == '\'') {
    kind = kTokenString;
    return ReadStringLiteral(statement, c, token, next);
  }
  if (first == '"' || first == '[') {
    kind = kTokenIdentifier;
    return ReadQuotedName(statement, c, token, next);
  }
  MessageId id = ReadName(statement, c, token, next, blankNames, onInNames);
  kind = IsReservedWord(token);
  return id;
}

MessageId ParseEscapeSequence(StatementHandle& statement, SqlCursor& cursor, std::string& token) {
  SqlCursor c = SkipBlanks(cursor);
  token.clear();
  if (AtTextEnd(c)) return kMsgUnexpectedEnd;
  const std::string_view text(c.text, c.remaining);
  const bool longForm = text.starts_with("--");
  if (!longForm && !text.starts_with('{')) {
    if (text.starts_with('-')) return kMsgUnexpectedEnd;
    return Fail(statement, kMsgElementMissing, "<escape-sequence>");
  }
  // The clause runs to the first "}" (or the next "--"); a NUL ends the text.
  const std::size_t limit = longForm ? kMaxTokenBytes - 1 : kMaxTokenBytes;
  std::size_t pos = longForm ? 2 : 1;
  while (pos < text.size() && text[pos] != '\0') {
    const bool closes = longForm ? text.compare(pos, 2, "--") == 0 : text[pos] == '}';
    if (closes) {
      const std::size_t length = pos + (longForm ? 2 : 1);
      if (length > limit) return TooLarge(statement, text.substr(0, limit));
      token.assign(text.substr(0, length));
      cursor = Advance(c, length);
      return kMsgSuccess;
    }
    ++pos;
  }
  return kMsgUnexpectedEnd;
}

std::string NearText(SqlCursor c) {
  std::size_t pos = 0;
  unsigned characters = 0;
  while (pos < c.remaining && c.text[pos] != '\0') {
    if (!IsUtf8Continuation(c.text[pos]) && characters++ == 24) break;
    ++pos;
  }
  return std::string(c.text, pos);
}
