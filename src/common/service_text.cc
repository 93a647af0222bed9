// The service's text forms of values: rendering for criteria and writes,
// reading reply values, and base64 for attachments.
#include "common/service_text.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include <sql.h>

#include "common/ascii_text.h"
#include "common/value_cell.h"
#include "platform/text_fold.h"

namespace {

constexpr char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Shortest fixed-notation text that reads back as the same double: the
// service wants plain decimals, and a rounded value would make an equality
// criterion miss the very record it came from.
MessageId FormatDouble(std::string& out, double value) {
  if (!std::isfinite(value)) return kMsgOutOfRange;
  char buffer[400];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  if (result.ec != std::errc()) return kMsgOutOfRange;
  out.assign(buffer, result.ptr);
  if (out == "-0") out = "0";
  return kMsgSuccess;
}

// A date, time or timestamp struct at value as its milliseconds, by toMs.
template <typename Struct, typename ToMs>
MessageId FormatMs(std::string& out, const void* value, ToMs toMs) {
  Struct fields{};
  std::memcpy(&fields, value, sizeof fields);
  std::int64_t ms = 0;
  const MessageId id = toMs(fields, ms);
  if (id == kMsgSuccess) out = std::to_string(ms);
  return id;
}

std::size_t CharacterLength(const void* value, SQLLEN length) {
  return length == SQL_NTS ? std::strlen(static_cast<const char*>(value)) : static_cast<std::size_t>(length);
}

// Eight ASCII digits loaded little-endian, first digit lowest.
bool AreEightDigits(std::uint64_t chunk) {
  return (chunk & 0xF0F0F0F0F0F0F0F0ull) == 0x3030303030303030ull &&
         ((chunk + 0x0606060606060606ull) & 0xF0F0F0F0F0F0F0F0ull) == 0x3030303030303030ull;
}

// Pairs, then fours, then all eight, each step one multiply-add.
std::uint64_t EightDigitsValue(std::uint64_t chunk) {
  chunk -= 0x3030303030303030ull;
  chunk = (chunk * 10 + (chunk >> 8)) & 0x00FF00FF00FF00FFull;
  chunk = (chunk * 100 + (chunk >> 16)) & 0x0000FFFF0000FFFFull;
  return (chunk * 10000 + (chunk >> 32)) & 0xFFFFFFFFull;
}

// A whole number of milliseconds, with an optional "-": 1011 when the digits
// overflow 64 bits (whatever follows them), 1009 for no digits or anything
// after them. Read by hand, as every date-time cell of a reply comes here
// and from_chars costs several times more.
MessageId ReadMilliseconds(std::string_view text, std::int64_t& ms) {
  const char* at = text.data();
  const char* const end = at + text.size();
  const bool negative = at != end && *at == '-';
  if (negative) ++at;
  const char* const first = at;
  std::uint64_t magnitude = 0;
  // Eight digits at a time while they last (13 make today's instants).
  while (end - at >= 8 && at - first <= 8) {
    std::uint64_t chunk = 0;
    std::memcpy(&chunk, at, 8);
    if (!AreEightDigits(chunk)) break;
    magnitude = magnitude * 100000000 + EightDigitsValue(chunk);
    at += 8;
  }
  // Eighteen digits never overflow; only a longer run needs the check.
  const char* const safeEnd = end - at > 18 - (at - first) ? at + (18 - (at - first)) : end;
  for (; at != safeEnd && static_cast<unsigned char>(*at - '0') <= 9; ++at) {
    magnitude = magnitude * 10 + static_cast<unsigned char>(*at - '0');
  }
  const std::uint64_t limit = negative ? std::uint64_t{1} << 63 : (std::uint64_t{1} << 63) - 1;
  bool overflow = false;
  for (; at != end && static_cast<unsigned char>(*at - '0') <= 9; ++at) {
    const std::uint64_t digit = static_cast<unsigned char>(*at - '0');
    if (magnitude > (limit - digit) / 10) overflow = true;
    if (!overflow) magnitude = magnitude * 10 + digit;
  }
  if (at == first) return kMsgConversionError;
  if (overflow) return kMsgOutOfRange;
  if (at != end) return kMsgConversionError;
  ms = negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
  return kMsgSuccess;
}

// Trims the text and tells whether it stands for NULL.
bool IsServiceNull(std::string_view& text, bool& isNull) {
  text = TrimBlanks(text);
  isNull = text.empty();
  return isNull;
}

int Base64Value(char c) {
  const char* found = std::strchr(kBase64Alphabet, c);
  return (c != '\0' && found != nullptr) ? static_cast<int>(found - kBase64Alphabet) : -1;
}

}  // namespace

MessageId FormatCValueAsQuickBaseText(std::string& out, std::int16_t typeCode, const void* value, SQLLEN length,
                                      bool utc, std::int32_t offsetMinutes) {
  out.clear();
  if (value == nullptr || (length < 0 && length != SQL_NTS)) return kMsgSuccess;
  MessageId id = kMsgSuccess;
  switch (typeCode) {
    case kValueBinary:
      out = EncodeBase64(std::string_view(static_cast<const char*>(value), static_cast<std::size_t>(length)));
      return kMsgSuccess;
    case kValueCharacter:
      out.assign(static_cast<const char*>(value), CharacterLength(value, length));
      return kMsgSuccess;
    case kValueDouble: {
      double number = 0;
      std::memcpy(&number, value, sizeof number);
      id = FormatDouble(out, number);
      break;
    }
    case kValueDate:
      id = FormatMs<SQL_DATE_STRUCT>(out, value, DateToEpochMs);
      break;
    case kValueTime:
      id = FormatMs<SQL_TIME_STRUCT>(out, value, TimeToDayMs);
      break;
    case kValueTimestamp: {
      const TimeZoneRule rule{utc, offsetMinutes};
      id = FormatMs<SQL_TIMESTAMP_STRUCT>(out, value, [&rule](const SQL_TIMESTAMP_STRUCT& t, std::int64_t& ms) {
        return TimestampToEpochMs(t, rule, ms);
      });
      break;
    }
    default:
      return kMsgNotSupportedDetail;
  }
  if (id != kMsgSuccess) out.clear();
  return id;
}

MessageId ReadServiceDate(std::string_view text, SQL_DATE_STRUCT& date, bool& isNull) {
  if (IsServiceNull(text, isNull)) return kMsgSuccess;
  std::int64_t ms = 0;
  const MessageId id = ReadMilliseconds(text, ms);
  return id != kMsgSuccess ? id : EpochMsToDate(ms, date);
}

MessageId ReadServiceTimestamp(std::string_view text, const TimeZoneRule& rule, SQL_TIMESTAMP_STRUCT& timestamp,
                               bool& isNull) {
  if (IsServiceNull(text, isNull)) return kMsgSuccess;
  std::int64_t ms = 0;
  const MessageId id = ReadMilliseconds(text, ms);
  return id != kMsgSuccess ? id : EpochMsToTimestamp(ms, rule, timestamp);
}

MessageId ReadServiceTimeOfDay(std::string_view text, SQL_TIME_STRUCT& time, bool& isNull) {
  if (IsServiceNull(text, isNull)) return kMsgSuccess;
  std::int64_t ms = 0;
  const MessageId id = ReadMilliseconds(text, ms);
  return id != kMsgSuccess ? id : DayMsToTime(ms, time);
}

MessageId ReadServiceDuration(std::string_view text, double multiplier, double& value, bool& isNull) {
  if (IsServiceNull(text, isNull)) return kMsgSuccess;
  double ms = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), ms);
  if (result.ec == std::errc::result_out_of_range) return kMsgOutOfRange;
  if (result.ec != std::errc() || result.ptr != text.data() + text.size() || !std::isfinite(ms)) {
    return kMsgConversionError;
  }
  value = DurationMsToValue(ms, multiplier);
  return kMsgSuccess;
}

MessageId ReadServiceCheckbox(std::string_view text, bool& checked, bool& isNull) {
  if (IsServiceNull(text, isNull)) return kMsgSuccess;
  for (std::string_view word : {"1", "yes", "true", "on"}) {
    if (EqualFoldedAZ(text, word)) {
      checked = true;
      return kMsgSuccess;
    }
  }
  for (std::string_view word : {"0", "no", "false", "off"}) {
    if (EqualFoldedAZ(text, word)) {
      checked = false;
      return kMsgSuccess;
    }
  }
  return kMsgConversionError;
}

std::string EncodeBase64(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const std::uint32_t group = (static_cast<unsigned char>(bytes[i]) << 16) |
                                (static_cast<unsigned char>(bytes[i + 1]) << 8) | static_cast<unsigned char>(bytes[i + 2]);
    for (int shift = 18; shift >= 0; shift -= 6) out += kBase64Alphabet[(group >> shift) & 0x3F];
  }
  const std::size_t rest = bytes.size() - i;
  if (rest == 0) return out;
  std::uint32_t group = static_cast<unsigned char>(bytes[i]) << 16;
  if (rest == 2) group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
  out += kBase64Alphabet[(group >> 18) & 0x3F];
  out += kBase64Alphabet[(group >> 12) & 0x3F];
  out += rest == 2 ? kBase64Alphabet[(group >> 6) & 0x3F] : '=';
  out += '=';
  return out;
}

bool DecodeBase64(std::string_view text, std::string& bytes) {
  bytes.clear();
  std::uint32_t group = 0;
  int count = 0;
  int padding = 0;
  for (char c : text) {
    if (IsBlank(c)) continue;
    if (c == '=') {
      if (count < 2 || ++padding + count > 4) return false;
      continue;
    }
    const int value = Base64Value(c);
    if (value < 0 || padding > 0) return false;
    group = (group << 6) | static_cast<std::uint32_t>(value);
    if (++count == 4) {
      bytes += static_cast<char>((group >> 16) & 0xFF);
      bytes += static_cast<char>((group >> 8) & 0xFF);
      bytes += static_cast<char>(group & 0xFF);
      group = 0;
      count = 0;
    }
  }
  if (count == 1) return false;
  if (count >= 2) bytes += static_cast<char>((group >> (count == 2 ? 4 : 10)) & 0xFF);
  if (count == 3) bytes += static_cast<char>((group >> 2) & 0xFF);
  return true;
}
