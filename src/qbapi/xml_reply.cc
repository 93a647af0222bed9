// The expat side of reply parsing: builds the element tree of one document.
#include "qbapi/xml_reply.h"

#include "qbapi/expat_parser.h"

namespace {

// Replies nest a handful of levels; a deeper document is refused so that a
// hostile or broken server cannot exhaust the stack when the tree is freed.
constexpr std::size_t kMaxDepth = 64;
// An element costs the tree some thirty times what "<a/>" takes in the
// reply, so the reply's size alone does not bound the tree's. The largest
// replies read into a tree list one element per imported row; a million of
// them keeps the tree near 120 MB.
constexpr std::size_t kMaxElements = 1000000;

struct TreeBuilder {
  XML_Parser parser = nullptr;
  XmlElement* root = nullptr;
  bool rootSeen = false;
  std::vector<XmlElement*> open;
  std::size_t elements = 0;
  std::string error;
};

void StopBuilding(TreeBuilder& builder, std::string why) {
  builder.error = std::move(why);
  XML_StopParser(builder.parser, XML_FALSE);
}

void StartElement(void* data, const XML_Char* name, const XML_Char** attributes) {
  auto* builder = static_cast<TreeBuilder*>(data);
  if (builder->open.size() >= kMaxDepth)
    return StopBuilding(*builder, "reply nested deeper than " + std::to_string(kMaxDepth) + " levels");
  if (++builder->elements > kMaxElements)
    return StopBuilding(*builder, "reply holds more than " + std::to_string(kMaxElements) + " elements");
  XmlElement* element = builder->root;
  if (!builder->open.empty()) {
    builder->open.back()->children.emplace_back();
    element = &builder->open.back()->children.back();
  }
  builder->rootSeen = true;
  element->name = name;
  for (const XML_Char** a = attributes; a[0] != nullptr; a += 2) element->attributes.emplace_back(a[0], a[1]);
  builder->open.push_back(element);
}

void EndElement(void* data, const XML_Char*) {
  auto* builder = static_cast<TreeBuilder*>(data);
  if (!builder->open.empty()) builder->open.pop_back();
}

void CharacterData(void* data, const XML_Char* text, int length) {
  auto* builder = static_cast<TreeBuilder*>(data);
  if (!builder->open.empty()) builder->open.back()->text.append(text, static_cast<std::size_t>(length));
}

}  // namespace

bool ParseXmlDocument(std::string_view document, XmlElement& root, std::string& error) {
  root = XmlElement{};
  TreeBuilder builder;
  builder.root = &root;
  if (!RunExpatReader(builder, {StartElement, EndElement, CharacterData}, &document, 1, error)) return false;
  if (!builder.rootSeen) {
    error = "reply holds no XML element";
    return false;
  }
  return true;
}

const XmlElement* FindChild(const XmlElement& element, std::string_view name) {
  for (const XmlElement& child : element.children)
    if (child.name == name) return &child;
  return nullptr;
}

const std::string& ChildText(const XmlElement& element, std::string_view name) {
  static const std::string kEmpty;
  const XmlElement* child = FindChild(element, name);
  return child == nullptr ? kEmpty : child->text;
}

const std::string* FindAttribute(const XmlElement& element, std::string_view name) {
  for (const auto& [key, value] : element.attributes)
    if (key == name) return &value;
  return nullptr;
}
