// Date, time and timestamp texts and literals; called by the SQL parser's
// escapes, the conversions, the spool readers and the date scalar functions.
#include "common/datetime_text.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include <sql.h>

#include "common/ascii_text.h"
#include "platform/text_fold.h"

namespace {

// A forward reader over the literal's text.
struct TextReader {
  std::string_view text;
  std::size_t pos = 0;

  bool AtEnd() const { return pos >= text.size(); }
  void SkipBlanks() {
    while (!AtEnd() && IsBlank(text[pos])) ++pos;
  }
  // Takes one punctuation token, blanks allowed before it.
  bool Take(char c) {
    SkipBlanks();
    if (AtEnd() || text[pos] != c) return false;
    ++pos;
    return true;
  }
  // Takes a word of letters, blanks allowed before it, compared folding A-Z.
  bool TakeWord(std::string_view word) {
    SkipBlanks();
    std::size_t end = pos;
    while (end < text.size() && ((text[end] >= 'a' && text[end] <= 'z') || (text[end] >= 'A' && text[end] <= 'Z'))) ++end;
    if (!EqualFoldedAZ(text.substr(pos, end - pos), word)) return false;
    pos = end;
    return true;
  }
  // Takes one character exactly here, no blanks before it.
  bool TakeHere(char c) {
    if (AtEnd() || text[pos] != c) return false;
    ++pos;
    return true;
  }
  // Takes 'content' and hands back what stands between the quotes.
  bool TakeQuoted(std::string_view& content) {
    if (!Take('\'')) return false;
    const std::size_t close = text.find('\'', pos);
    if (close == std::string_view::npos) return false;
    content = text.substr(pos, close - pos);
    pos = close + 1;
    return true;
  }
  bool AtEndAfterBlanks() {
    SkipBlanks();
    return AtEnd();
  }
};

std::string_view ViewOf(const char* text, SQLLEN length) {
  if (text == nullptr) return {};
  if (length == SQL_NTS) return std::string_view(text);
  if (length < 0) return {};
  return std::string_view(text, static_cast<std::size_t>(length));
}

// {kw 'value'}
bool ReadShortEscape(TextReader& reader, std::string_view keyword, std::string_view& body) {
  return reader.Take('{') && reader.TakeWord(keyword) && reader.TakeQuoted(body) && reader.Take('}');
}

// --(*vendor(Microsoft),product(ODBC) kw 'value' *)--
bool ReadLongEscape(TextReader& reader, std::string_view keyword, std::string_view& body) {
  return reader.Take('-') && reader.Take('-') && reader.Take('(') && reader.Take('*') &&
         reader.TakeWord("vendor") && reader.Take('(') && reader.TakeWord("Microsoft") && reader.Take(')') &&
         reader.Take(',') && reader.TakeWord("product") && reader.Take('(') && reader.TakeWord("ODBC") &&
         reader.Take(')') && reader.TakeWord(keyword) && reader.TakeQuoted(body) && reader.Take('*') &&
         reader.Take(')') && reader.Take('-') && reader.Take('-');
}

// The value text of a literal in any of its three forms.
bool UnwrapLiteral(std::string_view text, std::string_view keyword, std::string_view& body) {
  TextReader reader{text};
  reader.SkipBlanks();
  if (reader.AtEnd()) return false;
  const char first = text[reader.pos];
  if (first != '{' && first != '-') {
    body = text;
    return true;
  }
  const bool read = first == '{' ? ReadShortEscape(reader, keyword, body) : ReadLongEscape(reader, keyword, body);
  return read && reader.AtEndAfterBlanks();
}

// Reads minDigits..maxDigits decimal digits.
bool ReadNumber(TextReader& reader, std::size_t minDigits, std::size_t maxDigits, unsigned& value) {
  std::size_t count = 0;
  value = 0;
  while (!reader.AtEnd() && IsDigit(reader.text[reader.pos]) && count < maxDigits) {
    value = value * 10 + static_cast<unsigned>(reader.text[reader.pos] - '0');
    ++reader.pos;
    ++count;
  }
  return count >= minDigits && (reader.AtEnd() || !IsDigit(reader.text[reader.pos]));
}

bool ReadDateBody(TextReader& reader, SQL_DATE_STRUCT& date) {
  unsigned year = 0, month = 0, day = 0;
  if (!ReadNumber(reader, 4, 4, year) || !reader.TakeHere('-') || !ReadNumber(reader, 1, 2, month) ||
      !reader.TakeHere('-') || !ReadNumber(reader, 1, 2, day) ||
      !IsValidDate(static_cast<int>(year), month, day, true)) {
    return false;
  }
  date.year = static_cast<SQLSMALLINT>(year);
  date.month = static_cast<SQLUSMALLINT>(month);
  date.day = static_cast<SQLUSMALLINT>(day);
  return true;
}

bool ReadTimeBody(TextReader& reader, SQL_TIME_STRUCT& time) {
  unsigned hour = 0, minute = 0, second = 0;
  if (!ReadNumber(reader, 1, 2, hour) || !reader.TakeHere(':') || !ReadNumber(reader, 1, 2, minute) ||
      !reader.TakeHere(':') ||
      !ReadNumber(reader, 1, 2, second) || !IsValidTimeOfDay(hour, minute, second)) {
    return false;
  }
  time.hour = static_cast<SQLUSMALLINT>(hour);
  time.minute = static_cast<SQLUSMALLINT>(minute);
  time.second = static_cast<SQLUSMALLINT>(second);
  return true;
}

// ".f[f...]" up to nanoseconds; no point means a fraction of 0.
bool ReadFraction(TextReader& reader, SQLUINTEGER& fraction) {
  fraction = 0;
  if (!reader.TakeHere('.')) return true;
  unsigned digits = 0;
  const std::size_t start = reader.pos;
  if (!ReadNumber(reader, 1, 9, digits)) return false;
  for (std::size_t count = reader.pos - start; count < 9; ++count) digits *= 10;
  fraction = digits;
  return true;
}

// The body must start at a non-blank and only blanks may follow it.
template <typename ReadBody>
bool ParseBody(std::string_view body, ReadBody readBody) {
  TextReader reader{body};
  reader.SkipBlanks();
  return readBody(reader) && reader.AtEndAfterBlanks();
}

// printf's "%0*d": at least width characters, a minus sign counted in the
// width and zeros between it and the digits. Written by hand because these
// texts are made for every date-time value a result set delivers, and printf
// costs more than the rest of a conversion.
char* WritePadded(char* out, long value, int width) {
  if (value >= 0 && value < 100 && width == 2) {
    out[0] = static_cast<char>('0' + value / 10);
    out[1] = static_cast<char>('0' + value % 10);
    return out + 2;
  }
  unsigned long magnitude = value < 0 ? 0ul - static_cast<unsigned long>(value) : static_cast<unsigned long>(value);
  if (value < 0) {
    *out++ = '-';
    --width;
  }
  char digits[24];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  for (int i = count; i < width; ++i) *out++ = '0';
  while (count > 0) *out++ = digits[--count];
  return out;
}

char* WriteDate(char* out, const SQL_DATE_STRUCT& date) {
  out = WritePadded(out, date.year, 4);
  *out++ = '-';
  out = WritePadded(out, date.month, 2);
  *out++ = '-';
  return WritePadded(out, date.day, 2);
}

char* WriteTime(char* out, const SQL_TIME_STRUCT& time) {
  out = WritePadded(out, time.hour, 2);
  *out++ = ':';
  out = WritePadded(out, time.minute, 2);
  *out++ = ':';
  return WritePadded(out, time.second, 2);
}

// The usual case, every field within its width: fixed positions, no cut.
bool FitsFourDigits(SQLSMALLINT year) { return year >= 0 && year <= 9999; }

void WriteTwoDigits(char* out, unsigned value) {
  out[0] = kDigitPairs[value * 2];
  out[1] = kDigitPairs[value * 2 + 1];
}

void WriteDateDigits(char* out, unsigned year, unsigned month, unsigned day) {
  WriteTwoDigits(out, year / 100);
  WriteTwoDigits(out + 2, year % 100);
  out[4] = '-';
  WriteTwoDigits(out + 5, month);
  out[7] = '-';
  WriteTwoDigits(out + 8, day);
}

void WriteTimeDigits(char* out, unsigned hour, unsigned minute, unsigned second) {
  WriteTwoDigits(out, hour);
  out[2] = ':';
  WriteTwoDigits(out + 3, minute);
  out[5] = ':';
  WriteTwoDigits(out + 6, second);
}

// Fields outside their ranges make a longer text; the caller's fixed buffer
// gets what fits, never more.
void CopyCut(char* buffer, std::size_t size, const char* text, const char* end) {
  const std::size_t length = std::min(static_cast<std::size_t>(end - text), size - 1);
  std::memcpy(buffer, text, length);
  buffer[length] = '\0';
}

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

unsigned DaysInMonth(int year, unsigned month) {
  static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool IsValidDate(int year, unsigned month, unsigned day, bool zeroAllowed) {
  if (zeroAllowed && year == 0 && month == 0 && day == 0) return true;
  return year >= 1 && year <= 9999 && day >= 1 && day <= DaysInMonth(year, month);
}

bool IsValidTimeOfDay(unsigned hour, unsigned minute, unsigned second) {
  return hour <= 23 && minute <= 59 && second <= 59;
}

void FormatDateText(const SQL_DATE_STRUCT& date, char* buffer) {
  if (FitsFourDigits(date.year) && date.month <= 99 && date.day <= 99) {
    WriteDateDigits(buffer, date.year, date.month, date.day);
    buffer[10] = '\0';
    return;
  }
  char wide[32];
  CopyCut(buffer, 11, wide, WriteDate(wide, date));
}

void FormatTimeText(const SQL_TIME_STRUCT& time, char* buffer) {
  if (time.hour <= 99 && time.minute <= 99 && time.second <= 99) {
    WriteTimeDigits(buffer, time.hour, time.minute, time.second);
    buffer[8] = '\0';
    return;
  }
  char wide[32];
  CopyCut(buffer, 9, wide, WriteTime(wide, time));
}

void FormatTimestampText(const SQL_TIMESTAMP_STRUCT& timestamp, char* buffer) {
  const unsigned milliseconds = timestamp.fraction / 1000000;
  if (FitsFourDigits(timestamp.year) && timestamp.month <= 99 && timestamp.day <= 99 && timestamp.hour <= 99 &&
      timestamp.minute <= 99 && timestamp.second <= 99 && milliseconds <= 999) {
    WriteDateDigits(buffer, timestamp.year, timestamp.month, timestamp.day);
    buffer[10] = ' ';
    WriteTimeDigits(buffer + 11, timestamp.hour, timestamp.minute, timestamp.second);
    buffer[19] = '.';
    buffer[20] = static_cast<char>('0' + milliseconds / 100);
    WriteTwoDigits(buffer + 21, milliseconds % 100);
    buffer[23] = '\0';
    return;
  }
  char wide[64];
  char* end = WriteDate(wide, SQL_DATE_STRUCT{timestamp.year, timestamp.month, timestamp.day});
  *end++ = ' ';
  end = WriteTime(end, SQL_TIME_STRUCT{timestamp.hour, timestamp.minute, timestamp.second});
  *end++ = '.';
  end = WritePadded(end, static_cast<long>(milliseconds), 3);
  CopyCut(buffer, 24, wide, end);
}

MessageId ParseDateLiteral(const char* text, SQLLEN length, SQL_DATE_STRUCT& out) {
  std::string_view body;
  SQL_DATE_STRUCT date{};
  if (!UnwrapLiteral(ViewOf(text, length), "d", body) ||
      !ParseBody(body, [&date](TextReader& reader) { return ReadDateBody(reader, date); })) {
    return kMsgConversionError;
  }
  out = date;
  return kMsgSuccess;
}

MessageId ParseTimeLiteral(const char* text, SQLLEN length, SQL_TIME_STRUCT& out) {
  std::string_view body;
  SQL_TIME_STRUCT time{};
  if (!UnwrapLiteral(ViewOf(text, length), "t", body) ||
      !ParseBody(body, [&time](TextReader& reader) { return ReadTimeBody(reader, time); })) {
    return kMsgConversionError;
  }
  out = time;
  return kMsgSuccess;
}

MessageId ParseTimestampLiteral(const char* text, SQLLEN length, SQL_TIMESTAMP_STRUCT& out) {
  std::string_view body;
  SQL_DATE_STRUCT date{};
  SQL_TIME_STRUCT time{};
  SQLUINTEGER fraction = 0;
  auto readAll = [&](TextReader& reader) {
    if (!ReadDateBody(reader, date) || reader.AtEnd() || !IsBlank(reader.text[reader.pos])) return false;
    reader.SkipBlanks();
    return ReadTimeBody(reader, time) && ReadFraction(reader, fraction);
  };
  if (!UnwrapLiteral(ViewOf(text, length), "ts", body) || !ParseBody(body, readAll)) return kMsgConversionError;
  out = SQL_TIMESTAMP_STRUCT{date.year, date.month, date.day, time.hour, time.minute, time.second, fraction};
  return kMsgSuccess;
}
