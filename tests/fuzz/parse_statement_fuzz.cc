// libFuzzer target: any bytes as statement text through ParseStatement, a
// second parse on the same handle, the aggregate walk and the tree release.
// Run by the fuzz_parse_statement test of the clang build.
#include <cstddef>
#include <cstdint>
#include <string>

#include "handles/statement_handle.h"
#include "sql/parse_tree.h"
#include "sql/statement_parser.h"
#include "sql/tree_walks.h"

namespace {

// Walks every select list the way the binder will, so the walk sees every
// shape the parser can build.
void WalkSelectItems(const ParseTree& tree) {
  for (const ParseNode& node : tree.nodes) {
    if (node.kind == kNodeSelect) ContainsAggregate(tree, node.fields.select.selectList);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  StatementHandle statement;
  // The first byte picks SQL_MAX_ROWS, so TOP meets both a limit and none.
  if (size > 0) statement.maxRows = data[0] % 4;
  const char* text = reinterpret_cast<const char*>(data);
  if (ParseStatement(statement, nullptr, text, size, statement.parseTree) == kMsgSuccess) {
    WalkSelectItems(*statement.parseTree);
    ReleasePlan(*statement.parseTree, 0);
    // A re-parse releases the first tree; then the batch rest is parsed, as
    // the execute path would.
    const std::string rest = statement.remainingBatch;
    ParseStatement(statement, nullptr, text, size, statement.parseTree);
    ParseStatement(statement, nullptr, rest.data(), rest.size(), statement.parseTree);
  }
  FreeParseTree(statement.parseTree);
  return 0;
}
