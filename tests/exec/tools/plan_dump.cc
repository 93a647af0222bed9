// plan_dump: starts the emulator with a schema fixture, then parses, binds
// and plans every case of a case file and prints what the plan pass marked:
// per statement the FROM order and flags, per table its criteria-join state
// and pushed predicates in rank order, and the service-side sort keys. With
// an expected file it compares (the golden transcript test), with --write it
// rewrites it. Directives: "scrollable" plans for a static cursor, "twice"
// plans the same tree a second time before printing.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "connection/quickbase_client.h"
#include "exec/plan_pass.h"
#include "handles/connection_record.h"
#include "handles/statement_handle.h"
#include "sql/parse_tree.h"
#include "sql/semantic_pass.h"
#include "sql/statement_parser.h"
#include "sql_case_file.h"
#include "tables/emulator_session.h"
#include "tree_dump.h"

namespace {

// Tables print at most this many pushed predicates; long chains end in a count.
constexpr std::uint32_t kShownPredicates = 12;

bool HasDirective(const SqlCase& sqlCase, const std::string& name) {
  return std::find(sqlCase.directives.begin(), sqlCase.directives.end(), name) != sqlCase.directives.end();
}

struct PlanPrinter {
  const ParseTree& tree;
  std::string out;

  const ParseNode& Node(NodeIndex index) const { return tree.nodes[index]; }
  std::string Text(ValueIndex index) const { return index == kNoValue ? "-" : tree.values[index].text; }
  std::string Alias(NodeIndex table) const { return Text(Node(table).fields.tableReference.alias); }

  std::string Operand(NodeIndex index) const;
  std::string Predicate(NodeIndex index) const;
  void Table(NodeIndex table);
  void SortKeys(NodeIndex select);
  void Statement(NodeIndex node, bool nested);
};

std::string OperatorText(std::uint16_t op) {
  static const char* const kNames[] = {"", "=", "<>", "<=", "<", ">=", ">", "BETWEEN", "NOT BETWEEN", "IN",
                                       "NOT IN", "LIKE", "NOT LIKE"};
  return op < std::size(kNames) ? kNames[op] : "op" + std::to_string(op);
}

std::string PlanPrinter::Operand(NodeIndex index) const {
  if (index == kNoNode) return "none";
  const ParseNode& node = Node(index);
  const NodeFields& f = node.fields;
  switch (node.kind) {
    case kNodeColumnReference: {
      const NodeIndex table = f.columnReference.tableReference;
      return (table == kNoNode ? std::string("?") : Alias(table)) + "." + Text(f.columnReference.columnName);
    }
    case kNodeStringLiteral: return QuoteText(Text(f.stringLiteral.text));
    case kNodeNumberLiteral: return Text(f.numberLiteral.text);
    case kNodeParameter: return "?" + std::to_string(f.parameter.number);
    case kNodeUser: return "USER";
    case kNodeNull: return "NULL";
    case kNodeDateLiteral: return "{d}";
    case kNodeTimeLiteral: return "{t}";
    case kNodeTimestampLiteral: return "{ts}";
    case kNodeSelect: return "(SELECT)";
    case kNodeArithmetic: return "(arithmetic)";
    case kNodeScalarFunction: return "{fn " + Text(f.scalarFunction.name) + "}";
    case kNodeListItem: {
      std::string text = "(";
      for (NodeIndex item = index; item != kNoNode; item = Node(item).fields.listItem.next)
        text += (item == index ? "" : ", ") + Operand(Node(item).fields.listItem.value);
      return text + ")";
    }
    default: return "kind" + std::to_string(node.kind);
  }
}

std::string PlanPrinter::Predicate(NodeIndex index) const {
  const PredicateFields& p = Node(index).fields.predicate;
  std::string text = "rank " + std::to_string(p.pushdownRank) + ": " + Operand(p.left) + " " + OperatorText(p.op) +
                     " " + Operand(p.second);
  if (p.third != kNoNode) text += " AND " + Operand(p.third);
  return text;
}

std::string JoinText(std::uint16_t op) {
  if (op == 0) return "none";
  if (op == kOpAnd) return "AND";
  if (op == kOpOr) return "OR";
  if (op == kOpNot) return "NOT";
  return std::to_string(op);
}

void PlanPrinter::Table(NodeIndex table) {
  const TableReferenceFields& t = Node(table).fields.tableReference;
  std::string line = "  table " + QuoteText(Alias(table));
  if (t.alias != t.tableName) line += " (" + QuoteText(Text(t.tableName)) + ")";
  if (t.cursor != nullptr) {
    line += ": join=" + JoinText(t.cursor->joinOperator) + " or-join=" + std::to_string(t.cursor->orJoin) +
            " push-down=" + std::to_string(t.cursor->pushDown);
  }
  out += line + " pushed=" + std::to_string(t.pushedCount) + "\n";
  std::uint32_t shown = 0;
  std::uint32_t listed = 0;
  for (NodeIndex p = t.firstPushed; p != kNoNode; p = Node(p).fields.predicate.nextPushed, ++listed) {
    if (shown < kShownPredicates) {
      out += "    " + Predicate(p) + "\n";
      ++shown;
    }
  }
  if (listed > shown) out += "    ... " + std::to_string(listed) + " in the list\n";
}

void PlanPrinter::SortKeys(NodeIndex select) {
  for (NodeIndex item = Node(select).fields.select.fromList; item != kNoNode; item = Node(item).fields.joinItem.next) {
    const NodeIndex table = Node(item).fields.joinItem.tableReference;
    const TableReferenceFields& t = Node(table).fields.tableReference;
    if (t.sortKeyNumber == 0) continue;
    std::string line = "  sort key " + std::to_string(t.sortKeyNumber) + " on " + QuoteText(Alias(table)) + ":";
    NodeIndex key = t.firstPushedSort;
    for (std::uint16_t i = 0; i < t.pushedSortCount && key != kNoNode; ++i, key = Node(key).fields.sortItem.next) {
      line += (i == 0 ? " " : ", ") + Operand(Node(key).fields.sortItem.value) +
              (Node(key).fields.sortItem.descending != 0 ? " desc" : "");
    }
    out += line + "\n";
  }
}

void PlanPrinter::Statement(NodeIndex node, bool nested) {
  const ParseNode& n = Node(node);
  if (nested) out += "sub-select ";
  if (n.kind == kNodeUpdate || n.kind == kNodeDelete) {
    out += n.kind == kNodeUpdate ? "UPDATE\n" : "DELETE\n";
    Table(n.kind == kNodeUpdate ? n.fields.update.tableReference : n.fields.deleteStatement.tableReference);
    return;
  }
  const SelectFields& f = n.fields.select;
  std::string line = "SELECT sorted-by-source=" + std::to_string(f.sortedBySource) +
                     " batched-lookup=" + std::to_string(f.batchedKeyLookup);
  if (f.batchedKeyLookup != 0)
    line += " record=" + std::to_string(f.sortRecordLength) + " rid=" + std::to_string(f.recordIdPosition);
  out += line + "\n  from:";
  for (NodeIndex item = f.fromList; item != kNoNode; item = Node(item).fields.joinItem.next)
    out += " " + QuoteText(Alias(Node(item).fields.joinItem.tableReference));
  out += "\n";
  for (NodeIndex item = f.fromList; item != kNoNode; item = Node(item).fields.joinItem.next)
    Table(Node(item).fields.joinItem.tableReference);
  SortKeys(node);
}

bool IsPlanned(std::uint16_t kind) { return kind == kNodeSelect || kind == kNodeUpdate || kind == kNodeDelete; }

// The statement itself first, then the nested SELECTs in node order.
std::string DumpPlan(const ParseTree& tree) {
  PlanPrinter printer{tree, {}};
  const NodeIndex root = tree.nodes[0].fields.root.statementNode;
  if (IsPlanned(tree.nodes[root].kind)) printer.Statement(root, false);
  for (NodeIndex i = 0; i < tree.nodes.size(); ++i) {
    if (i != root && IsPlanned(tree.nodes[i].kind)) printer.Statement(i, true);
  }
  return printer.out;
}

std::string RunCase(EmulatorSession& emulator, const SqlCase& sqlCase) {
  auto statement = std::make_unique<StatementHandle>();
  statement->connection = &emulator.connection;
  statement->cursorType = HasDirective(sqlCase, "scrollable") ? 1 : 0;
  emulator.Record().currentStatement = statement.get();
  const std::string& text = sqlCase.text;
  MessageId id = ParseStatement(*statement, &emulator.Record(), text.data(), text.size(), statement->parseTree);
  if (id == kMsgSuccess) statement->diagnostic.detailText.clear();
  if (id == kMsgSuccess) id = BindStatementTree(*statement, *statement->parseTree, 0, 0, 0, kNoNode, kNoNode);
  const NodeIndex root = id == kMsgSuccess ? statement->parseTree->nodes[0].fields.root.statementNode : kNoNode;
  if (id == kMsgSuccess) id = PlanStatementTree(*statement, *statement->parseTree, root);
  if (id == kMsgSuccess && HasDirective(sqlCase, "twice")) id = PlanStatementTree(*statement, *statement->parseTree, root);
  std::string out = id == kMsgSuccess ? DumpPlan(*statement->parseTree)
                                      : "ERROR " + std::to_string(id) + " " + statement->diagnostic.detailText + "\n";
  emulator.Record().currentStatement = nullptr;
  FreeParseTree(statement->parseTree);
  return out;
}

std::string RunCases(EmulatorSession& emulator, const std::vector<SqlCase>& cases) {
  std::string out;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    out += "=== " + std::to_string(i + 1);
    for (const std::string& description : cases[i].descriptions) out += " " + description;
    out += "\nSQL: " + QuoteShortText(cases[i].text) + "\n";
    out += RunCase(emulator, cases[i]);
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: plan_dump FIXTURE CASES [EXPECTED [--write]]\n");
    return 2;
  }
  std::vector<SqlCase> cases;
  if (!ReadSqlCases(argv[2], cases)) {
    std::fprintf(stderr, "cannot read %s\n", argv[2]);
    return 2;
  }
  EmulatorSession emulator;
  if (!emulator.Start(argv[1])) {
    std::fprintf(stderr, "the emulator did not start with %s\n", argv[1]);
    return 2;
  }
  const std::string actual = RunCases(emulator, cases);
  return FinishTranscript(actual, argc, argv, 3);
}
