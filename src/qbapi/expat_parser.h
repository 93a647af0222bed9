// The expat parser holder and the parsing run shared by the reply readers
// (the element tree of xml_reply.cc and the query page reader).
#pragma once

#include <expat.h>

#include <cstddef>
#include <string>
#include <string_view>

// Owns one expat parser, so that every early return frees it.
struct ExpatParserHolder {
  XML_Parser parser = XML_ParserCreate(nullptr);
  ExpatParserHolder() = default;
  ExpatParserHolder(const ExpatParserHolder&) = delete;
  ExpatParserHolder& operator=(const ExpatParserHolder&) = delete;
  ~ExpatParserHolder() {
    if (parser != nullptr) XML_ParserFree(parser);
  }
};

// Feeds one piece of a document; last says whether the document ends with it.
inline bool FeedExpat(XML_Parser parser, std::string_view piece, bool last) {
  // XML_Parse takes an int length; larger pieces go in slices.
  constexpr std::size_t kSlice = 1 << 30;
  do {
    std::size_t slice = piece.size() < kSlice ? piece.size() : kSlice;
    bool final = last && slice == piece.size();
    if (XML_Parse(parser, piece.data(), static_cast<int>(slice), final ? XML_TRUE : XML_FALSE) != XML_STATUS_OK)
      return false;
    piece.remove_prefix(slice);
  } while (!piece.empty());
  return true;
}

inline std::string DescribeExpatError(XML_Parser parser) {
  return std::string(XML_ErrorString(XML_GetErrorCode(parser))) + " at line " +
         std::to_string(XML_GetCurrentLineNumber(parser));
}

struct ExpatHandlers {
  XML_StartElementHandler start;
  XML_EndElementHandler end;
  XML_CharacterDataHandler text;
};

// The service's replies declare no document type. A reply that does is
// refused as it starts the declaration, before any entity it declares can
// be expanded: nested internal entities turn a small reply into gigabytes.
template <typename Reader>
void RefuseDocumentType(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
  auto* reader = static_cast<Reader*>(data);
  if (reader->error.empty()) reader->error = "reply declares a document type";
  XML_StopParser(reader->parser, XML_FALSE);
}

// Parses one document, given in consecutive pieces, with the reader as the
// handlers' user data. The reader holds `XML_Parser parser` (set here, for
// handlers that stop the parse) and `std::string error`: a handler that
// stops the parse leaves its reason there, which is reported in place of
// expat's "parsing aborted". False with the fault in error.
template <typename Reader>
bool RunExpatReader(Reader& reader, const ExpatHandlers& handlers, const std::string_view* pieces,
                    std::size_t count, std::string& error) {
  ExpatParserHolder holder;
  if (holder.parser == nullptr) {
    error = "out of memory creating the XML parser";
    return false;
  }
  reader.parser = holder.parser;
  XML_SetUserData(holder.parser, &reader);
  XML_SetElementHandler(holder.parser, handlers.start, handlers.end);
  XML_SetCharacterDataHandler(holder.parser, handlers.text);
  XML_SetStartDoctypeDeclHandler(holder.parser, RefuseDocumentType<Reader>);
  bool parsed = true;
  for (std::size_t i = 0; parsed && i < count; ++i) parsed = FeedExpat(holder.parser, pieces[i], i + 1 == count);
  if (parsed && count == 0) parsed = FeedExpat(holder.parser, std::string_view(), true);
  reader.parser = nullptr;
  if (!reader.error.empty()) {
    error = reader.error;
    return false;
  }
  if (!parsed) {
    error = DescribeExpatError(holder.parser);
    return false;
  }
  return true;
}
