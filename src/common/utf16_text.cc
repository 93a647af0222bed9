// UTF-8 <-> UTF-16LE conversion and cutting for SQL_C_WCHAR buffers; called by
// the application-value and SQL-value conversions. UTF-8 cuts and counts.
#include "common/utf16_text.h"

#include <cstdint>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

std::uint16_t UnitAt(const unsigned char* bytes, std::size_t index) {
  return static_cast<std::uint16_t>(bytes[2 * index] | (bytes[2 * index + 1] << 8));
}

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

bool IsHighSurrogate(std::uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(std::uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

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

std::size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// Decodes one well-formed sequence at text[pos]; 0 when it is malformed,
// overlong, a surrogate or beyond U+10FFFF, or runs past the end.
std::size_t DecodeUtf8At(std::string_view text, std::size_t pos, char32_t& code) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  const std::size_t length = SequenceLength(lead);
  if (length == 0 || pos + length > text.size()) return 0;
  if (length == 1) {
    code = lead;
    return 1;
  }
  char32_t value = lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[pos + i]);
    if ((next & 0xC0) != 0x80) return 0;
    value = (value << 6) | (next & 0x3F);
  }
  static constexpr char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
  if (value < kMinimum[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  code = value;
  return length;
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
    if (!IsContinuation(text[cut])) break;
    --cut;
  }
  return cut;
}

std::size_t CountUtf8Characters(std::string_view text) {
  std::size_t count = 0;
  for (char c : text) count += IsContinuation(c) ? 0 : 1;
  return count;
}

std::size_t Utf8PrefixBytes(std::string_view text, std::size_t maxCharacters) {
  std::size_t count = 0;
  for (std::size_t pos = 0; pos < text.size(); ++pos) {
    if (IsContinuation(text[pos])) continue;
    if (count++ == maxCharacters) return pos;
  }
  return text.size();
}
