// The statements of a batch, each parsed on a scratch statement so that the
// prepared statement's own tree, flags and row limit stay those of the first.
#include "odbc/batch_split.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/ascii_text.h"
#include "exec/statement_executor.h"
#include "handles/statement_handle.h"
#include "odbc/batch_context.h"
#include "sql/parse_tree.h"
#include "sql/statement_parser.h"

namespace {

bool IsBlankText(std::string_view text) { return TrimBlanks(text).empty(); }

// "statements 1 and 3": the ordinals of the statements that hold markers.
std::string NameStatements(const std::vector<std::size_t>& ordinals) {
  std::string names = "statements " + std::to_string(ordinals[0]);
  for (std::size_t i = 1; i < ordinals.size(); ++i)
    names += (i + 1 == ordinals.size() ? " and " : ", ") + std::to_string(ordinals[i]);
  return names;
}

bool IsAlwaysRefusedTree(const ParseTree& tree) {
  const NodeIndex node = RootStatementNode(tree);
  return node != kNoNode && IsAlwaysRefused(tree.nodes[node].kind);
}

// Each statement after the first, parsed in turn: where it begins, whether
// it holds markers (its ordinal goes to withMarkers) and whether it is one
// that is always refused (the first such ordinal goes to refused). 0, or the
// failure's id with the parser's detail in the statement.
MessageId ParseLaterStatements(StatementHandle& statement, ConnectionRecord& record,
                               std::vector<std::size_t>& withMarkers, std::size_t& refused) {
  StatementBatch& batch = statement.batch;
  const std::string& text = statement.sqlText;
  std::string rest = statement.remainingBatch;
  auto scratch = std::make_unique<StatementHandle>();
  scratch->connection = statement.connection;
  MessageId id = kMsgSuccess;
  while (!IsBlankText(rest)) {
    // The rest is the end of the text: its statement begins that far in.
    batch.starts.push_back(text.size() - rest.size());
    id = ParseStatement(*scratch, &record, text.data() + batch.starts.back(), rest.size(), scratch->parseTree);
    if (id != kMsgSuccess) {
      statement.diagnostic.detailText = scratch->diagnostic.detailText;
      break;
    }
    const std::uint32_t markers = CountParameterMarkers(*scratch->parseTree);
    if (markers != 0) withMarkers.push_back(batch.starts.size());
    batch.parameterCount += markers;
    if (refused == 0 && IsAlwaysRefusedTree(*scratch->parseTree)) refused = batch.starts.size();
    rest = std::move(scratch->remainingBatch);
  }
  FreeParseTree(scratch->parseTree);
  return id;
}

}  // namespace

MessageId SplitStatementBatch(StatementHandle& statement, ConnectionRecord& record) {
  StatementBatch& batch = statement.batch;
  batch = StatementBatch{};
  batch.starts.push_back(0);
  batch.parameterCount = CountParameterMarkers(*statement.parseTree);
  if (IsBlankText(statement.remainingBatch)) return kMsgSuccess;
  std::vector<std::size_t> withMarkers;
  if (batch.parameterCount != 0) withMarkers.push_back(1);
  // A statement that is always refused would stop the batch after the
  // statements before it ran, and committed under autocommit.
  std::size_t refused = IsAlwaysRefusedTree(*statement.parseTree) ? 1 : 0;
  MessageId id = ParseLaterStatements(statement, record, withMarkers, refused);
  if (id != kMsgSuccess) {
    AddPrepareFailureContext(statement, batch.starts.size() - 1, "does not parse");
  } else if (refused != 0) {
    id = kMsgNotSupported;
    AddPrepareFailureContext(statement, refused - 1, "refused");
  } else if (withMarkers.size() > 1) {
    id = kMsgMarkersInBatchStatements;
    statement.diagnostic.detailText = NameStatements(withMarkers);
  } else if (!withMarkers.empty()) {
    batch.markerStatement = withMarkers[0] - 1;
  }
  if (id != kMsgSuccess) batch = StatementBatch{};
  return id;
}
