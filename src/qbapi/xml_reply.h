// Parsing the service's XML replies with expat into a small element tree that
// the API operations read their results from.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct XmlElement {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;
  std::string text;  // character data directly inside this element
  std::vector<XmlElement> children;
};

// Parses a whole document (the encoding it declares is honoured; UTF-8 by
// default). False with a description of the fault for malformed input.
bool ParseXmlDocument(std::string_view document, XmlElement& root, std::string& error);

const XmlElement* FindChild(const XmlElement& element, std::string_view name);
// The text of the first child of that name, or the empty text.
const std::string& ChildText(const XmlElement& element, std::string_view name);
// The attribute's value, or nullptr when the element lacks it.
const std::string* FindAttribute(const XmlElement& element, std::string_view name);
