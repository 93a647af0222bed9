// UTF-8 <-> UTF-16LE conversion and cutting for SQL_C_WCHAR buffers; called by
// the application-value and SQL-value conversions.
#include "common/utf16_text.h"

#include <cstdint>

#include "platform/utf8_text.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

std::uint16_t UnitAt(const unsigned char* bytes, std::size_t index) {
  return static_cast<std::uint16_t>(bytes[2 * index] | (bytes[2 * index + 1] << 8));
}

bool IsHighSurrogate(std::uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(std::uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

void AppendUtf16Unit(std::string& out, std::uint32_t unit) {
  out += static_cast<char>(unit & 0xFF);
  out += static_cast<char>((unit >> 8) & 0xFF);
}

void AppendUtf16(std::string& out, char32_t code) {
  if (code < 0x10000) {
    AppendUtf16Unit(out, code);
    return;
  }
  const std::uint32_t v = code - 0x10000;
  AppendUtf16Unit(out, 0xD800 | (v >> 10));
  AppendUtf16Unit(out, 0xDC00 | (v & 0x3FF));
}

}  // namespace

bool Utf16LeToUtf8(const void* data, std::size_t byteCount, std::string& out) {
  out.clear();
  const auto* bytes = static_cast<const unsigned char*>(data);
  const std::size_t units = byteCount / 2;
  out.reserve(units);
  for (std::size_t i = 0; i < units; ++i) {
    const std::uint32_t unit = UnitAt(bytes, i);
    if (IsLowSurrogate(unit)) return false;
    if (!IsHighSurrogate(unit)) {
      AppendUtf8(out, unit);
      continue;
    }
    if (i + 1 >= units || !IsLowSurrogate(UnitAt(bytes, i + 1))) return false;
    const std::uint32_t low = UnitAt(bytes, ++i);
    AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
  }
  return byteCount % 2 == 0;
}

std::string Utf8ToUtf16Le(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  std::size_t pos = 0;
  while (pos < text.size()) {
    char32_t code = 0;
    const std::size_t used = DecodeUtf8At(text, pos, code);
    AppendUtf16(out, used == 0 ? kReplacement : code);
    pos += used == 0 ? 1 : used;
  }
  return out;
}

std::size_t Utf16LeTerminatedLength(const void* data, std::ptrdiff_t maxBytes) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  std::size_t units = 0;
  const std::size_t limit = maxBytes > 0 ? static_cast<std::size_t>(maxBytes) / 2 : SIZE_MAX;
  while (units < limit && UnitAt(bytes, units) != 0) ++units;
  return units * 2;
}

std::size_t CutUtf16Le(std::string_view utf16, std::size_t maxBytes) {
  std::size_t cut = maxBytes < utf16.size() ? maxBytes & ~std::size_t{1} : utf16.size() & ~std::size_t{1};
  if (cut >= 2 && cut < utf16.size()) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(utf16.data());
    if (IsHighSurrogate(UnitAt(bytes, cut / 2 - 1))) cut -= 2;
  }
  return cut;
}

std::uint16_t TrailingHighSurrogate(std::string_view utf16) {
  if (utf16.size() < 2 || utf16.size() % 2 != 0) return 0;
  const std::uint16_t last = UnitAt(reinterpret_cast<const unsigned char*>(utf16.data()), utf16.size() / 2 - 1);
  return IsHighSurrogate(last) ? last : 0;
}

std::size_t FindNonXmlText(std::string_view text, char32_t& code) {
  for (std::size_t pos = 0; pos < text.size();) {
    code = 0;
    const std::size_t length = DecodeUtf8At(text, pos, code);
    const bool forbidden = (code < 0x20 && code != '\t' && code != '\n' && code != '\r') || code == 0xFFFE ||
                           code == 0xFFFF;
    if (length == 0 || forbidden) return pos;
    pos += length;
  }
  return std::string_view::npos;
}

bool IsValidUtf8(std::string_view text) {
  for (std::size_t pos = 0; pos < text.size();) {
    char32_t code = 0;
    const std::size_t length = DecodeUtf8At(text, pos, code);
    if (length == 0) return false;
    pos += length;
  }
  return true;
}

std::size_t CutUtf8(std::string_view text, std::size_t maxBytes) {
  if (maxBytes >= text.size()) return text.size();
  std::size_t cut = maxBytes;
  // Step back to the lead of the sequence the cut falls in; a sequence has at
  // most three continuation bytes, so stray ones in malformed text stop the walk.
  for (int steps = 0; steps < 3 && cut > 0; ++steps) {
    if (!IsUtf8Continuation(text[cut])) break;
    --cut;
  }
  return cut;
}
