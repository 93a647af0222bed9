// Building, reading and releasing parse trees; used by the parser, the
// semantic pass, the executor and the statement handle's release paths.
#include "sql/parse_tree.h"

#include <new>

#include "sql/node_defaults.h"
#include "sql/tree_walks.h"

NodeIndex AddParseNode(ParseTree& tree, std::uint16_t kind) {
  if (tree.nodes.size() >= kNoNode) return kNoNode;
  try {
    ParseNode& node = tree.nodes.emplace_back();
    node.kind = kind;
    SetNodeDefaults(node);
  } catch (const std::bad_alloc&) {
    return kNoNode;
  }
  return static_cast<NodeIndex>(tree.nodes.size() - 1);
}

void PushParseNode(ParseTree& tree, const ParseNode& node) { tree.nodes.push_back(node); }

void CopyParseNode(ParseNode& target, const ParseNode& source) { target = source; }

ValueIndex AddValueBuffer(ParseTree& tree, std::uint64_t size) {
  if (tree.values.size() >= kNoValue) return kNoValue;
  try {
    if (tree.values.capacity() == 0) tree.values.reserve(kInitialValueBuffers);
    tree.values.push_back(ValueBuffer{size, {}});
  } catch (const std::bad_alloc&) {
    return kNoValue;
  }
  return static_cast<ValueIndex>(tree.values.size() - 1);
}

ValueIndex InternString(ParseTree& tree, std::string_view text) {
  ValueIndex index = AddValueBuffer(tree, text.size() + 1);
  if (index == kNoValue) return kNoValue;
  try {
    tree.values[index].text.assign(text);
  } catch (const std::bad_alloc&) {
    return kNoValue;
  }
  return index;
}

void FreeParseTree(ParseTree*& holder) {
  if (holder == nullptr) return;
  if (!holder->nodes.empty()) ReleasePlan(*holder, 0);
  delete holder;
  holder = nullptr;
}

ParseTreeGuard::~ParseTreeGuard() {
  if (!keep) FreeParseTree(holder);
}
