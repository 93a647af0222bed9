// Escaping and assembly of request bodies for the API operations.
#include "qbapi/xml_request.h"

#include <cstdio>

namespace {

void AppendCharacterReference(std::string& out, unsigned char c) {
  char work[8];
  std::snprintf(work, sizeof work, "&#%u;", static_cast<unsigned>(c));
  out += work;
}

void AppendEscapedChar(std::string& out, char c) {
  switch (c) {
    case '&': out += "&amp;"; return;
    case '<': out += "&lt;"; return;
    case '>': out += "&gt;"; return;
    case '"': out += "&quot;"; return;
    case '\'': out += "&apos;"; return;
    case '\t':
    case '\n': out += c; return;
    default: break;
  }
  unsigned char byte = static_cast<unsigned char>(c);
  if (byte < 0x20 || byte == 0x7F) {
    AppendCharacterReference(out, byte);
    return;
  }
  out += c;
}

}  // namespace

std::string EscapeXmlText(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (char c : text) AppendEscapedChar(out, c);
  return out;
}

void AddXmlElement(XmlRequest& request, std::string_view name, std::string_view value) {
  AddXmlElementWithAttributes(request, name, {}, value);
}

void AddXmlElementWithAttributes(XmlRequest& request, std::string_view name,
                                 std::initializer_list<std::pair<std::string_view, std::string_view>> attributes,
                                 std::string_view value) {
  std::string& out = request.fragment;
  out += '<';
  out += name;
  for (const auto& [attribute, attributeValue] : attributes) {
    out += ' ';
    out += attribute;
    out += "=\"";
    out += EscapeXmlText(attributeValue);
    out += '"';
  }
  out += '>';
  out += EscapeXmlText(value);
  out += "</";
  out += name;
  out += '>';
}

namespace {

// CDATA can carry neither its own terminator nor control characters, and a CR
// inside it would reach the service as LF.
bool FitsInCdata(std::string_view value) {
  if (value.find("]]>") != std::string_view::npos) return false;
  for (char c : value) {
    unsigned char byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 && c != '\t' && c != '\n') || byte == 0x7F) return false;
  }
  return true;
}

}  // namespace

void AddXmlCdataElement(XmlRequest& request, std::string_view name, std::string_view value) {
  if (!FitsInCdata(value)) {
    AddXmlElement(request, name, value);
    return;
  }
  std::string& out = request.fragment;
  out += '<';
  out += name;
  out += "><![CDATA[";
  out += value;
  out += "]]></";
  out += name;
  out += '>';
}

std::string WrapXmlRequest(const std::string& credentials, const XmlRequest& request) {
  std::string body = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><qdbapi>";
  body.reserve(body.size() + credentials.size() + request.fragment.size() + 16);
  body += credentials;
  body += request.fragment;
  body += "</qdbapi>";
  return body;
}
