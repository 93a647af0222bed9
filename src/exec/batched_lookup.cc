// The batched key lookup tests. The chains they accept are short, but the
// trees they are shown are not (the parser builds OR chains 100,000 deep), so
// every walk is a loop or an explicit stack.
#include "exec/batched_lookup.h"

#include <utility>
#include <vector>

namespace {

const ParseNode* NodeOf(const ParseTree& tree, NodeIndex node) {
  return node != kNoNode && node < tree.nodes.size() ? &tree.nodes[node] : nullptr;
}

bool IsBooleanWith(const ParseTree& tree, NodeIndex node, std::uint16_t op) {
  const ParseNode* n = NodeOf(tree, node);
  return n != nullptr && n->kind == kNodeBoolean && n->fields.boolean.op == op;
}

// The children whose shapes must agree, pushed pairwise.
bool PushOperandPairs(const ParseNode& a, const ParseNode& b, std::vector<std::pair<NodeIndex, NodeIndex>>& stack) {
  switch (a.kind) {
    case kNodeBoolean:
      if (a.fields.boolean.op != b.fields.boolean.op) return false;
      stack.emplace_back(a.fields.boolean.first, b.fields.boolean.first);
      stack.emplace_back(a.fields.boolean.second, b.fields.boolean.second);
      return true;
    case kNodePredicate:
      if (a.fields.predicate.op != b.fields.predicate.op) return false;
      stack.emplace_back(a.fields.predicate.left, b.fields.predicate.left);
      stack.emplace_back(a.fields.predicate.second, b.fields.predicate.second);
      return true;
    case kNodeColumnReference: return a.fields.columnReference.columnNumber == b.fields.columnReference.columnNumber;
    case kNodeParameter: return true;
    default: return false;
  }
}

}  // namespace

bool IsColumnEqualsParameter(const ParseTree& tree, NodeIndex node) {
  const ParseNode* n = NodeOf(tree, node);
  if (n == nullptr || n->kind != kNodePredicate || n->fields.predicate.op != kOpEqual) return false;
  const ParseNode* left = NodeOf(tree, n->fields.predicate.left);
  const ParseNode* right = NodeOf(tree, n->fields.predicate.second);
  return left != nullptr && right != nullptr && left->kind == kNodeColumnReference && right->kind == kNodeParameter;
}

bool IsAndChainOfParameterEqualities(const ParseTree& tree, NodeIndex node, std::uint32_t depth) {
  for (; depth <= kMaxBatchedLookupTests; ++depth) {
    if (!IsBooleanWith(tree, node, kOpAnd)) return IsColumnEqualsParameter(tree, node);
    const BooleanFields& chain = tree.nodes[node].fields.boolean;
    if (!IsColumnEqualsParameter(tree, chain.first)) return false;
    node = chain.second;
  }
  return false;
}

NodeIndex FindBatchedLookupAlternative(const ParseTree& tree, NodeIndex node, std::uint32_t startCount) {
  for (std::uint32_t count = startCount;; ++count) {
    if (!IsBooleanWith(tree, node, kOpOr)) return kNoNode;
    const NodeIndex rest = tree.nodes[node].fields.boolean.second;
    if (count == kBatchedLookupAlternatives - 1) return IsAndChainOfParameterEqualities(tree, rest, 1) ? rest : kNoNode;
    if (count >= kBatchedLookupAlternatives) return kNoNode;
    node = rest;
  }
}

bool SameNodeShape(const ParseTree& tree, NodeIndex a, NodeIndex b) {
  std::vector<std::pair<NodeIndex, NodeIndex>> stack{{a, b}};
  while (!stack.empty()) {
    const auto [left, right] = stack.back();
    stack.pop_back();
    // A pair of absent operands (a predicate without a second) agrees.
    if (left == kNoNode && right == kNoNode) continue;
    const ParseNode* x = NodeOf(tree, left);
    const ParseNode* y = NodeOf(tree, right);
    if (x == nullptr || y == nullptr || x->kind != y->kind) return false;
    if (!PushOperandPairs(*x, *y, stack)) return false;
  }
  return true;
}

bool IsBatchedKeyLookup(const ParseTree& tree, NodeIndex where) {
  if (!IsBooleanWith(tree, where, kOpOr)) return false;
  const NodeIndex last = FindBatchedLookupAlternative(tree, tree.nodes[where].fields.boolean.second, 2);
  if (last == kNoNode) return false;
  NodeIndex node = where;
  for (std::uint32_t i = 1; i < kBatchedLookupAlternatives; ++i) {
    if (!SameNodeShape(tree, tree.nodes[node].fields.boolean.first, last)) return false;
    node = tree.nodes[node].fields.boolean.second;
  }
  return true;
}
