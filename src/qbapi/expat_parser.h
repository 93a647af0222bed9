// The expat parser holder and the feeding helpers shared by the reply
// readers (the element tree of xml_reply.cc and the query page reader).
#pragma once

#include <expat.h>

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
