// Opening a statement's row sources: the conditions the plan pass handed to
// a table become QuickBase criteria, with the current values of parameters,
// literals and the rows of the tables before it, and the table's query
// starts. Called when a statement starts and whenever the inner side of a
// join is reopened for a new outer row.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include <sqltypes.h>

#include "common/message_ids.h"
#include "sql/parse_tree.h"

struct StatementHandle;

// The criteria of one table as table access takes them; values live in the
// entries' own storage, so evaluating another operand can't change them.
struct CriteriaEntries {
  std::vector<std::uint16_t> columns;
  std::vector<std::uint16_t> operators;
  std::vector<std::int16_t> valueTypes;
  std::vector<const void*> values;
  std::vector<SQLLEN> lengths;
  std::vector<std::uint16_t> listGroups;  // items of one IN list share a number
  std::deque<std::string> storage;
  std::uint16_t nextGroup = 1;
};

// The table reference alone: criteria from its handed-over predicates, then
// its query. The table's NULL-row flag is cleared and its no-row-yet flag set.
MessageId OpenTableSource(StatementHandle& statement, ParseTree& tree, NodeIndex tableReference);

// Adds the entries of one handed-over predicate. 0; 1019 for an operator
// that is no comparison; 1003 for a value type that can't be sent; or an
// evaluation failure.
MessageId BuildListCriteria(StatementHandle& statement, ParseTree& tree, NodeIndex tableReference,
                            NodeIndex predicate, CriteriaEntries& entries);

// Copies the connection's text of a table-access failure into the
// statement's diagnostic and gives the id back; 0 passes through.
MessageId PostTableFailure(StatementHandle& statement, MessageId id);
