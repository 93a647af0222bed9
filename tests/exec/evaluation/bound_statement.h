// A statement parsed and bound for the evaluator's tests, and the nodes
// they evaluate.
#pragma once

#include <string>
#include <vector>

#include "handles/statement_handle.h"
#include "sql/parse_tree.h"
#include "sql/semantic_pass.h"
#include "sql/statement_parser.h"

inline MessageId PrepareStatementTree(StatementHandle& statement, ConnectionRecord* record, const std::string& text) {
  FreeParseTree(statement.parseTree);
  if (MessageId id = ParseStatement(statement, record, text.data(), text.size(), statement.parseTree)) return id;
  return BindStatementTree(statement, *statement.parseTree, 0, 0, 0, kNoNode, kNoNode);
}

inline NodeIndex StatementNode(const ParseTree& tree) { return tree.nodes[0].fields.root.statementNode; }

inline NodeIndex WhereOf(const ParseTree& tree) { return tree.nodes[StatementNode(tree)].fields.select.where; }

// The value nodes of the SELECT's items, in order.
inline std::vector<NodeIndex> SelectItems(const ParseTree& tree) {
  std::vector<NodeIndex> values;
  for (NodeIndex item = tree.nodes[StatementNode(tree)].fields.select.selectList; item != kNoNode;
       item = tree.nodes[item].fields.listItem.next)
    values.push_back(tree.nodes[item].fields.listItem.value);
  return values;
}

// The table references of the SELECT's FROM list, in order.
inline std::vector<NodeIndex> FromTables(const ParseTree& tree) {
  std::vector<NodeIndex> tables;
  for (NodeIndex item = tree.nodes[StatementNode(tree)].fields.select.fromList; item != kNoNode;
       item = tree.nodes[item].fields.joinItem.next)
    tables.push_back(tree.nodes[item].fields.joinItem.tableReference);
  return tables;
}

// The parameter markers, by number.
inline std::vector<NodeIndex> ParameterMarkers(const ParseTree& tree) {
  std::vector<NodeIndex> markers;
  for (NodeIndex node = 0; node < tree.nodes.size(); ++node)
    if (tree.nodes[node].kind == kNodeParameter) markers.push_back(node);
  std::vector<NodeIndex> ordered(markers.size(), kNoNode);
  for (NodeIndex node : markers) {
    const std::size_t number = tree.nodes[node].fields.parameter.number;
    if (number >= 1 && number <= ordered.size()) ordered[number - 1] = node;
  }
  return ordered;
}
