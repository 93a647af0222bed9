// String arguments in and buffer copies out for the ODBC function cores.
#include "common/odbc_text.h"

#include <sql.h>

#include <cstring>
#include <limits>

#include "common/utf16_text.h"

namespace {

std::size_t BoundedCStringLength(const SQLCHAR* pointer, std::size_t maximum) {
  std::size_t n = 0;
  while (n < maximum && pointer[n] != 0) ++n;
  return n;
}

template <typename Length>
MessageId CopyToOdbcBuffer(SQLCHAR* buffer, Length bufferLength, Length* outLength, std::string_view text) {
  if (outLength != nullptr) {
    constexpr std::size_t kLargest = static_cast<std::size_t>(std::numeric_limits<Length>::max());
    *outLength = static_cast<Length>(text.size() < kLargest ? text.size() : kLargest);
  }
  if (buffer == nullptr) return kMsgSuccess;
  if (bufferLength > 0 && static_cast<std::size_t>(bufferLength) > text.size()) {
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = 0;
    return kMsgSuccess;
  }
  if (bufferLength < 1) return kMsgDataTruncated;
  // The application never receives a broken character.
  std::size_t copied = CutUtf8(text, static_cast<std::size_t>(bufferLength) - 1);
  std::memcpy(buffer, text.data(), copied);
  buffer[copied] = 0;
  return kMsgDataTruncated;
}

}  // namespace

void AssignOdbcText(std::string& text, const SQLCHAR* pointer, SQLINTEGER length) {
  if (pointer == nullptr || (length < 0 && length != SQL_NTS)) {
    text.clear();
    return;
  }
  const char* chars = reinterpret_cast<const char*>(pointer);
  if (length == SQL_NTS) {
    text.assign(chars);
  } else {
    text.assign(chars, static_cast<std::size_t>(length));
  }
}

SQLINTEGER ClampOdbcLength(const SQLCHAR* pointer, SQLINTEGER length, SQLINTEGER maximum) {
  if (pointer == nullptr || maximum <= 0) return 0;
  if (length == SQL_NTS)
    return static_cast<SQLINTEGER>(BoundedCStringLength(pointer, static_cast<std::size_t>(maximum)));
  if (length < 0) return 0;
  return length < maximum ? length : maximum;
}

MessageId CopyToOdbcBuffer16(SQLCHAR* buffer, SQLSMALLINT bufferLength, SQLSMALLINT* outLength,
                             std::string_view text) {
  return CopyToOdbcBuffer<SQLSMALLINT>(buffer, bufferLength, outLength, text);
}

MessageId CopyToOdbcBuffer32(SQLCHAR* buffer, SQLINTEGER bufferLength, SQLINTEGER* outLength,
                             std::string_view text) {
  return CopyToOdbcBuffer<SQLINTEGER>(buffer, bufferLength, outLength, text);
}
