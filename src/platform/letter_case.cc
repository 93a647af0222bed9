// Case mapping by ranges of upper-case letters: each range names its upper-case
// letters and how far their lower-case partners lie.
#include "platform/letter_case.h"

#include <cstdint>
#include <iterator>

#include "platform/utf8_text.h"

namespace {

// Upper-case letters first, first + step, ... last, whose lower-case
// partners lie delta code points away.
struct CaseRange {
  char32_t first;
  char32_t last;
  std::int32_t delta;
  std::uint8_t step;
};

// clang-format off
constexpr CaseRange kRanges[] = {
    {0x0041, 0x005A, 32, 1},     // Basic Latin
    {0x00C0, 0x00D6, 32, 1},     // Latin-1 Supplement
    {0x00D8, 0x00DE, 32, 1},
    {0x0100, 0x012E, 1, 2},      // Latin Extended-A
    {0x0132, 0x0136, 1, 2},
    {0x0139, 0x0147, 1, 2},
    {0x014A, 0x0176, 1, 2},
    {0x0178, 0x0178, -121, 1},   // Y with diaeresis
    {0x0179, 0x017D, 1, 2},
    {0x0181, 0x0181, 210, 1},    // Latin Extended-B
    {0x0182, 0x0184, 1, 2},
    {0x0186, 0x0186, 206, 1},
    {0x0187, 0x0187, 1, 1},
    {0x0189, 0x018A, 205, 1},
    {0x018B, 0x018B, 1, 1},
    {0x018E, 0x018E, 79, 1},
    {0x018F, 0x018F, 202, 1},
    {0x0190, 0x0190, 203, 1},
    {0x0191, 0x0191, 1, 1},
    {0x0193, 0x0193, 205, 1},
    {0x0194, 0x0194, 207, 1},
    {0x0196, 0x0196, 211, 1},
    {0x0197, 0x0197, 209, 1},
    {0x0198, 0x0198, 1, 1},
    {0x019C, 0x019C, 211, 1},
    {0x019D, 0x019D, 213, 1},
    {0x019F, 0x019F, 214, 1},
    {0x01A0, 0x01A4, 1, 2},
    {0x01A6, 0x01A6, 218, 1},
    {0x01A7, 0x01A7, 1, 1},
    {0x01A9, 0x01A9, 218, 1},
    {0x01AC, 0x01AC, 1, 1},
    {0x01AE, 0x01AE, 218, 1},
    {0x01AF, 0x01AF, 1, 1},
    {0x01B1, 0x01B2, 217, 1},
    {0x01B3, 0x01B5, 1, 2},
    {0x01B7, 0x01B7, 219, 1},
    {0x01B8, 0x01B8, 1, 1},
    {0x01BC, 0x01BC, 1, 1},
    {0x01C4, 0x01C4, 2, 1},      // the digraphs DZ, LJ, NJ, DZ
    {0x01C7, 0x01C7, 2, 1},
    {0x01CA, 0x01CA, 2, 1},
    {0x01CD, 0x01DB, 1, 2},
    {0x01DE, 0x01EE, 1, 2},
    {0x01F1, 0x01F1, 2, 1},
    {0x01F4, 0x01F4, 1, 1},
    {0x01F6, 0x01F6, -97, 1},
    {0x01F7, 0x01F7, -56, 1},
    {0x01F8, 0x021E, 1, 2},
    {0x0220, 0x0220, -130, 1},
    {0x0222, 0x0232, 1, 2},
    {0x023A, 0x023A, 10795, 1},
    {0x023B, 0x023B, 1, 1},
    {0x023D, 0x023D, -163, 1},
    {0x023E, 0x023E, 10792, 1},
    {0x0241, 0x0241, 1, 1},
    {0x0243, 0x0243, -195, 1},
    {0x0244, 0x0244, 69, 1},
    {0x0245, 0x0245, 71, 1},
    {0x0246, 0x024E, 1, 2},
    {0x0370, 0x0372, 1, 2},      // Greek
    {0x0376, 0x0376, 1, 1},
    {0x037F, 0x037F, 116, 1},
    {0x0386, 0x0386, 38, 1},
    {0x0388, 0x038A, 37, 1},
    {0x038C, 0x038C, 64, 1},
    {0x038E, 0x038F, 63, 1},
    {0x0391, 0x03A1, 32, 1},
    {0x03A3, 0x03AB, 32, 1},
    {0x03CF, 0x03CF, 8, 1},
    {0x03D8, 0x03EE, 1, 2},
    {0x03F7, 0x03F7, 1, 1},
    {0x03F9, 0x03F9, -7, 1},
    {0x03FA, 0x03FA, 1, 1},
    {0x03FD, 0x03FF, -130, 1},
    {0x0400, 0x040F, 80, 1},     // Cyrillic
    {0x0410, 0x042F, 32, 1},
    {0x0460, 0x0480, 1, 2},
    {0x048A, 0x04BE, 1, 2},
    {0x04C0, 0x04C0, 15, 1},
    {0x04C1, 0x04CD, 1, 2},
    {0x04D0, 0x052E, 1, 2},
    {0x0531, 0x0556, 48, 1},     // Armenian
    {0x1E00, 0x1E94, 1, 2},      // Latin Extended Additional
    {0x1EA0, 0x1EFE, 1, 2},
    {0x2160, 0x216F, 16, 1},     // Roman numerals
    {0x24B6, 0x24CF, 26, 1},     // circled letters
    {0x2C00, 0x2C2F, 48, 1},     // Glagolitic
    {0x2C7E, 0x2C7F, -10815, 1}, // Latin Extended-C, partners in Extended-B
    {0xFF21, 0xFF3A, 32, 1},     // fullwidth Latin
    {0x10400, 0x10427, 40, 1},   // Deseret
};
// clang-format on

// Letters whose partner does not map back: dotless i, long s, micro sign,
// final sigma and Greek symbol forms have an upper case only; capital I with
// dot above, capital sharp s and the theta symbol a lower case only; the
// title-case digraphs one of each.
struct OneWay {
  char32_t from;
  char32_t to;
};
// clang-format off
constexpr OneWay kUpperOnly[] = {
    {0x00B5, 0x039C}, {0x0131, 0x0049}, {0x017F, 0x0053}, {0x01C5, 0x01C4}, {0x01C8, 0x01C7}, {0x01CB, 0x01CA},
    {0x01F2, 0x01F1}, {0x03C2, 0x03A3}, {0x03D0, 0x0392}, {0x03D1, 0x0398}, {0x03D5, 0x03A6}, {0x03D6, 0x03A0},
    {0x03F0, 0x039A}, {0x03F1, 0x03A1}, {0x03F5, 0x0395}};
constexpr OneWay kLowerOnly[] = {
    {0x0130, 0x0069}, {0x01C5, 0x01C6}, {0x01C8, 0x01C9}, {0x01CB, 0x01CC}, {0x01F2, 0x01F3}, {0x03F4, 0x03B8},
    {0x1E9E, 0x00DF}};
// clang-format on

bool InRange(const CaseRange& range, char32_t upper) {
  return upper >= range.first && upper <= range.last && (upper - range.first) % range.step == 0;
}

char32_t OneWayOf(const OneWay* begin, const OneWay* end, char32_t code) {
  for (const OneWay* entry = begin; entry != end; ++entry)
    if (entry->from == code) return entry->to;
  return code;
}

template <char32_t (*Map)(char32_t)>
std::string MapCase(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    // ASCII needs no decoding, and most text is mostly ASCII.
    const auto byte = static_cast<unsigned char>(text[pos]);
    if (byte < 0x80) {
      AppendUtf8(out, Map(byte));
      ++pos;
      continue;
    }
    char32_t code = 0;
    const std::size_t length = DecodeUtf8At(text, pos, code);
    if (length == 0) {
      out += text[pos++];
      continue;
    }
    AppendUtf8(out, Map(code));
    pos += length;
  }
  return out;
}

}  // namespace

char32_t UpperCaseOf(char32_t code) {
  for (const CaseRange& range : kRanges) {
    const char32_t upper = code - static_cast<char32_t>(range.delta);
    if (InRange(range, upper)) return upper;
  }
  return OneWayOf(std::begin(kUpperOnly), std::end(kUpperOnly), code);
}

char32_t LowerCaseOf(char32_t code) {
  for (const CaseRange& range : kRanges)
    if (InRange(range, code)) return code + static_cast<char32_t>(range.delta);
  return OneWayOf(std::begin(kLowerOnly), std::end(kLowerOnly), code);
}

std::string UpperCaseUtf8(std::string_view text) { return MapCase<UpperCaseOf>(text); }
std::string LowerCaseUtf8(std::string_view text) { return MapCase<LowerCaseOf>(text); }
