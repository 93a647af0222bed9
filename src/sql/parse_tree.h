// The statement's parse tree: the node array, the value buffers that hold its
// texts, and the primitives every pass uses to build, read and release it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "sql/parse_node.h"

// A reserved size and the text it holds. Interned names and literals have
// size = length + 1; result buffers are reserved empty with the size their
// writer may fill.
struct ValueBuffer {
  std::uint64_t size = 0;
  std::string text;
};

// The rows a sub-select that reads no column of the statements around it
// gave, kept so that every outer row of one execution reuses them: the
// value of its first select item in each row (EXISTS only counts them).
struct SubSelectRows {
  bool correlated = false;  // reads a column of an enclosing statement: never kept
  bool read = false;
  bool truncated = false;   // reading them cut a value (1002)
  std::uint32_t count = 0;
  std::vector<ValueCell> firstItems;
};

// Nodes only grow and are addressed by index: the array moves when it grows,
// so a builder re-fetches a node by index after every append. The value
// buffers live beside the nodes rather than behind a pointer in the root.
// The kept sub-select rows, by SELECT node, hold for one execution; their
// correlation flags for the tree's life.
struct ParseTree {
  std::vector<ParseNode> nodes;
  // The statement's result columns: the select items of its SELECT by
  // column number - 1, so describing or reading column n never walks the
  // list. Set by the semantic pass once the star forms are expanded.
  std::vector<NodeIndex> resultColumns;
  std::vector<ValueBuffer> values;
  std::map<NodeIndex, SubSelectRows> subSelectRows;
};

inline constexpr std::size_t kInitialValueBuffers = 128;
// ODBC counts and numbers result columns in an SQLSMALLINT.
inline constexpr std::size_t kMaxResultColumns = 32767;

// Node operations. AddParseNode answers kNoNode when it cannot append
// (memory, or the index space is used up); the builder reports that as 1001.
NodeIndex AddParseNode(ParseTree& tree, std::uint16_t kind);
void PushParseNode(ParseTree& tree, const ParseNode& node);
void CopyParseNode(ParseNode& target, const ParseNode& source);
inline ParseNode& GetParseNode(ParseTree& tree, NodeIndex index) { return tree.nodes[index]; }
inline const ParseNode& GetParseNode(const ParseTree& tree, NodeIndex index) { return tree.nodes[index]; }

// Value operations. Both answer kNoValue when the buffer cannot be added.
ValueIndex AddValueBuffer(ParseTree& tree, std::uint64_t size);
ValueIndex InternString(ParseTree& tree, std::string_view text);
inline const std::string& GetValueText(const ParseTree& tree, ValueIndex index) {
  return tree.values[index].text;
}

// Whether node is a node of the tree; kNoNode never is.
inline bool IsTreeNode(const ParseTree& tree, NodeIndex node) { return node != kNoNode && node < tree.nodes.size(); }

// The statement the tree holds, or kNoNode for a tree without one.
inline NodeIndex RootStatementNode(const ParseTree& tree) {
  return tree.nodes.empty() ? kNoNode : tree.nodes[0].fields.root.statementNode;
}

// How many parameter markers the tree's statement holds.
inline std::uint32_t CountParameterMarkers(const ParseTree& tree) {
  std::uint32_t count = 0;
  for (NodeIndex marker = tree.nodes[0].fields.root.firstParameter; marker != kNoNode;
       marker = tree.nodes[marker].fields.parameter.next)
    ++count;
  return count;
}

// The select item of result column n (1-based), or kNoNode beyond the list.
inline NodeIndex ResultColumnItem(const ParseTree& tree, std::uint16_t column) {
  return column >= 1 && column <= tree.resultColumns.size() ? tree.resultColumns[column - 1u] : kNoNode;
}

// Releases what execution attached to the tree (ReleasePlan from the root),
// then the tree itself, and clears the holder. An empty holder is left alone.
void FreeParseTree(ParseTree*& holder);

// Frees a tree under construction on every early return of its builder.
struct ParseTreeGuard {
  ParseTree*& holder;
  bool keep = false;
  explicit ParseTreeGuard(ParseTree*& treeHolder) : holder(treeHolder) {}
  ParseTreeGuard(const ParseTreeGuard&) = delete;
  ParseTreeGuard& operator=(const ParseTreeGuard&) = delete;
  ~ParseTreeGuard();
};
