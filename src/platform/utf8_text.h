// Characters of UTF-8 text, the unit every text size of the driver counts:
// counting them, the bytes of the first n, and reading and writing one code
// point. The one place that knows how a character is encoded.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// A character takes at most this many bytes of UTF-8: a text of n
// characters needs room for n times as many.
inline constexpr std::size_t kMaxUtf8CharacterBytes = 4;

// A byte that continues a sequence rather than starting a character.
inline bool IsUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The characters of a UTF-8 text: every byte that is no continuation byte
// starts one.
std::size_t CountUtf8Characters(std::string_view text);

// The bytes of the first maxCharacters characters of text (all of it when
// it has no more): where character maxCharacters + 1 starts.
std::size_t Utf8PrefixBytes(std::string_view text, std::size_t maxCharacters);

// Decodes one well-formed sequence at text[pos] into code and answers its
// length; 0 when it is malformed, overlong, a surrogate, beyond U+10FFFF or
// runs past the end.
std::size_t DecodeUtf8At(std::string_view text, std::size_t pos, char32_t& code);

// Appends the UTF-8 form of a code point (at most U+10FFFF).
void AppendUtf8(std::string& out, char32_t code);
