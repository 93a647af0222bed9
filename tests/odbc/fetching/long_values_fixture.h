// An application "Fetch" for the emulator with values too long for one
// buffer: a 100 KB multi-line text mixing one-, two- and three-byte UTF-8
// characters, a 70,000-byte attachment of every byte value, and a text of
// exactly 100 bytes. Loaded through the emulator's admin interface by the
// core and Driver Manager tests of data retrieval.
#pragma once

#include <string>

inline constexpr const char* kLongValuesTable = "Fetch: Long Values";

inline std::string LongText() {
  const std::string line = "Gr\xC3\xBC\xC3\x9F" "e aus \xE6\x9D\xB1\xE4\xBA\xAC, line 0123456789 abcdefghijklmnop\n";
  std::string text;
  while (text.size() < 100 * 1024) text += line;
  return text;
}

inline std::string AttachmentBytes() {
  std::string bytes(70000, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
  return bytes;
}

inline std::string HundredByteText() {
  std::string text;
  for (int i = 0; i < 10; ++i) text += "abcdefghi" + std::to_string(i);
  return text;
}

inline std::string Base64(const std::string& bytes) {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  std::size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    const unsigned v = (static_cast<unsigned char>(bytes[i]) << 16) | (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                       static_cast<unsigned char>(bytes[i + 2]);
    for (int shift : {18, 12, 6, 0}) out += kAlphabet[(v >> shift) & 0x3F];
  }
  if (i < bytes.size()) {
    unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    out += kAlphabet[(v >> 18) & 0x3F];
    out += kAlphabet[(v >> 12) & 0x3F];
    out += i + 1 < bytes.size() ? kAlphabet[(v >> 6) & 0x3F] : '=';
    out += '=';
  }
  return out;
}

// Row 1 holds the long values, row 2 a short text and no attachment.
inline std::string LongValuesFixture() {
  std::string text;
  for (char c : LongText()) text += c == '\n' ? std::string("\\n") : std::string(1, c);
  return "{\"apps\": [{\"name\": \"Fetch\", \"users\": [\"alice\"], \"tables\": [{\"name\": \"Long Values\", "
         "\"fields\": [{\"fid\": 6, \"label\": \"Body\", \"type\": \"multitext\"}, "
         "{\"fid\": 7, \"label\": \"Blob\", \"type\": \"file\"}, {\"fid\": 8, \"label\": \"Short\", \"type\": \"text\"}], "
         "\"records\": [{\"6\": \"" + text + "\", \"7\": {\"filename\": \"blob.bin\", \"base64\": \"" +
         Base64(AttachmentBytes()) + "\"}, \"8\": \"" + HundredByteText() +
         "\"}, {\"6\": \"short\", \"8\": \"second\"}]}]}]}";
}
