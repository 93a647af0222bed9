// Building the XML bodies of API requests; every API operation and the
// session's credential block write through these, so every value is escaped.
#pragma once

#include <string>
#include <string_view>

// The parameters of one request, as the XML fragment that goes inside <qdbapi>.
struct XmlRequest {
  std::string fragment;
};

// Text made safe for element content and attribute values: markup characters
// become entities, and CR and other control characters become character
// references so that a parser does not normalise them away.
std::string EscapeXmlText(std::string_view text);

// <name>value</name>
void AddXmlElement(XmlRequest& request, std::string_view name, std::string_view value);
// <name attribute="..." ...>value</name>, attributes as (name, value) pairs.
void AddXmlElementWithAttributes(XmlRequest& request, std::string_view name,
                                 std::initializer_list<std::pair<std::string_view, std::string_view>> attributes,
                                 std::string_view value);
// <name><![CDATA[value]]></name>; a value holding "]]>" cannot stand inside
// CDATA and is sent as escaped text instead.
void AddXmlCdataElement(XmlRequest& request, std::string_view name, std::string_view value);

// The whole document: prolog, <qdbapi>, the credential block, the parameters.
std::string WrapXmlRequest(const std::string& credentials, const XmlRequest& request);
