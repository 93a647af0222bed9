// UTF-8 <-> UTF-16LE for SQL_C_WCHAR buffers, which the Driver Manager hands
// this ANSI driver unconverted; used by both value-conversion directions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Decodes UTF-16LE bytes into UTF-8. Strict: an odd byte count or an unpaired
// surrogate answers false (out then holds the text decoded so far), because
// application input that is not text must not be stored as something else.
bool Utf16LeToUtf8(const void* data, std::size_t byteCount, std::string& out);

// Encodes UTF-8 as UTF-16LE bytes. Lenient: each malformed, overlong or
// surrogate-encoding byte sequence becomes U+FFFD, so a stored value can
// always be read back.
std::string Utf8ToUtf16Le(std::string_view text);

// The byte length of a NUL-terminated UTF-16LE text (the terminating unit not
// counted), never reading past maxBytes when maxBytes is positive.
std::size_t Utf16LeTerminatedLength(const void* data, std::ptrdiff_t maxBytes);

// The longest prefix of at most maxBytes that ends on a unit boundary and does
// not separate the halves of a surrogate pair.
std::size_t CutUtf16Le(std::string_view utf16, std::size_t maxBytes);

// The last unit of a UTF-16LE text of whole units when it is a high surrogate
// (the first half of a pair that a next piece may complete), else 0.
std::uint16_t TrailingHighSurrogate(std::string_view utf16);

// True when every byte sequence is well-formed UTF-8 (no overlong forms,
// surrogates or code points beyond U+10FFFF).
bool IsValidUtf8(std::string_view text);

// Where text stops being something an XML 1.0 document can carry: the offset
// of the first malformed UTF-8 sequence (code 0) or of a character XML 1.0
// forbids (a control other than tab, line feed and carriage return, U+FFFE,
// U+FFFF; code that character); npos when there is none.
std::size_t FindNonXmlText(std::string_view text, char32_t& code);

// The longest prefix of at most maxBytes that does not end inside a UTF-8
// sequence; every cut of UTF-8 text in common/ goes through it.
std::size_t CutUtf8(std::string_view text, std::size_t maxBytes);
