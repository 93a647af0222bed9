// The canonical text of a parse tree (or a parse failure) that the golden
// transcript compares; used by parse_dump and the parser's unit tests.
#include "tree_dump.h"

#include <charconv>
#include <cstdio>

#include "handles/statement_handle.h"
#include "connection/quickbase_client.h"
#include "platform/files.h"
#include "sql/parse_tree.h"
#include "tables/table_cursor.h"

namespace {

struct Dumper {
  const ParseTree& tree;
  std::string out;
  bool bound = false;  // also print what the semantic pass filled in

  void Line(int indent, const std::string& text) {
    out.append(static_cast<std::size_t>(indent) * 2, ' ');
    out += text;
    out += '\n';
  }
  const ParseNode& Node(NodeIndex index) const { return tree.nodes[index]; }
  std::string Name(ValueIndex index) const {
    return index == kNoValue ? std::string("-") : QuoteShortText(tree.values[index].text);
  }
  void Child(int indent, const char* label, NodeIndex index) {
    if (index == kNoNode) return;
    Line(indent, std::string(label) + ":");
    Dump(indent + 1, index);
  }
  void Dump(int indent, NodeIndex index);
  void DumpStatement(int indent, const ParseNode& node);
  void DumpClause(int indent, const ParseNode& node);
  void DumpExpression(int indent, const ParseNode& node);
  void DumpLiteral(int indent, const ParseNode& node);
  void DumpChain(int indent, NodeIndex first);
  std::string JoinLeftName(NodeIndex joinItem) const;
  std::string BoundSuffix(NodeIndex index) const;
  void DumpSelectLayout(int indent, const SelectFields& f);
};

std::string Number(double value) {
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::string OperatorName(std::uint16_t op) {
  static const char* const kNames[] = {"assign", "=",    "<>",  "<=", "<",  ">=", ">",   "BETWEEN",
                                       "NOT BETWEEN", "IN", "NOT IN", "LIKE", "NOT LIKE", "NEG", "+", "-",
                                       "*",      "/",    "NOT", "AND", "OR", "EXISTS"};
  std::string text = std::to_string(op);
  if (op < std::size(kNames)) text += std::string("(") + kNames[op] + ")";
  return text;
}

std::string Cell(const ValueCell& cell) {
  return "type=" + std::to_string(cell.valueType) + " sql=" + std::to_string(cell.sqlType) +
         " size=" + std::to_string(cell.size) + " digits=" + std::to_string(cell.digits);
}

std::string TwoDigits(unsigned value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%02u", value);
  return buffer;
}

std::string DateText(const SQL_DATE_STRUCT& d) {
  return std::to_string(d.year) + "-" + TwoDigits(d.month) + "-" + TwoDigits(d.day);
}

std::string TimeText(unsigned h, unsigned m, unsigned s) {
  return TwoDigits(h) + ":" + TwoDigits(m) + ":" + TwoDigits(s);
}

std::string ColumnText(const Dumper& d, const ColumnReferenceFields& f) {
  std::string text = "column " + d.Name(f.columnName);
  if (f.qualifier != kNoValue) text += " qualifier=" + d.Name(f.qualifier);
  return text;
}

std::string EscapeText(std::string_view text) {
  std::string escaped;
  for (unsigned char ch : text) {
    if (ch == '"' || ch == '\\') {
      escaped += '\\';
      escaped += static_cast<char>(ch);
    } else if (ch < 0x20 || ch == 0x7F) {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\x%02X", ch);
      escaped += buffer;
    } else {
      escaped += static_cast<char>(ch);
    }
  }
  return escaped;
}

std::string EscapeShortText(std::string_view text) {
  if (text.size() <= 200) return EscapeText(text);
  return EscapeText(text.substr(0, 60)) + "...(" + std::to_string(text.size()) + " bytes)";
}


const char* ValueTypeName(std::int16_t type) {
  switch (type) {
    case kValueUntyped: return "untyped";
    case kValueBinary: return "bin";
    case kValueCharacter: return "char";
    case kValueNumeric: return "num";
    case kValueInteger: return "int";
    case kValueDouble: return "dbl";
    case kValueDate: return "date";
    case kValueTime: return "time";
    case kValueTimestamp: return "ts";
    default: return "?";
  }
}

std::string TypeText(const ValueCell& cell) {
  return std::string(" :: ") + ValueTypeName(cell.valueType) + "/" + std::to_string(cell.sqlType) + "/" +
         std::to_string(cell.size) + "/" + (cell.digits == kNoDigits ? std::string("-") : std::to_string(cell.digits));
}

std::string Place(const char* label, std::uint32_t position, std::uint32_t width) {
  if (position == 0 && width == 0) return "";
  return std::string(" ") + label + "=" + std::to_string(position) + "/" + std::to_string(width);
}

// Spec texts name the temporary directory, which differs between machines.
std::string WithoutTemporaryDirectory(std::string text) {
  std::string directory = TemporaryDirectory();
  if (!directory.empty() && directory.back() != '/') directory += '/';
  for (std::size_t at = text.find(directory); !directory.empty() && at != std::string::npos;
       at = text.find(directory, at))
    text.replace(at, directory.size(), "<TMP>");
  return text;
}

}  // namespace

std::string QuoteText(std::string_view text) { return "\"" + EscapeText(text) + "\""; }

std::string QuoteShortText(std::string_view text) { return "\"" + EscapeShortText(text) + "\""; }

std::string Dumper::JoinLeftName(NodeIndex joinItem) const {
  if (joinItem == kNoNode) return "-";
  return Name(tree.nodes[Node(joinItem).fields.joinItem.tableReference].fields.tableReference.tableName);
}

void Dumper::DumpChain(int indent, NodeIndex first) {
  for (NodeIndex item = first; item != kNoNode;) {
    const ParseNode& node = Node(item);
    Dump(indent, item);
    switch (node.kind) {
      case kNodeListItem: item = node.fields.listItem.next; break;
      case kNodeJoinItem: item = node.fields.joinItem.next; break;
      case kNodeSortItem: item = node.fields.sortItem.next; break;
      case kNodeGroupItem: item = node.fields.groupItem.next; break;
      case kNodeInsertColumn: item = node.fields.insertColumn.next; break;
      case kNodeAssignment: item = node.fields.assignment.next; break;
      case kNodeColumnDefinition: item = node.fields.columnDefinition.next; break;
      default: item = kNoNode; break;
    }
  }
}

void Dumper::DumpStatement(int indent, const ParseNode& node) {
  const NodeFields& f = node.fields;
  switch (node.kind) {
    case kNodeSelect:
      Line(indent, "SELECT distinct=" + std::to_string(f.select.distinct));
      if (f.select.selectList == kNoNode) Line(indent + 1, "select: *");
      if (f.select.selectList != kNoNode) Line(indent + 1, "select:");
      DumpChain(indent + 2, f.select.selectList);
      Line(indent + 1, "from:");
      DumpChain(indent + 2, f.select.fromList);
      Child(indent + 1, "where", f.select.where);
      if (f.select.groupBy != kNoNode) Line(indent + 1, "group by:");
      DumpChain(indent + 2, f.select.groupBy);
      Child(indent + 1, "having", f.select.having);
      if (f.select.orderBy != kNoNode) Line(indent + 1, "order by:");
      DumpChain(indent + 2, f.select.orderBy);
      break;
    case kNodeInsert:
      Line(indent, "INSERT");
      Child(indent + 1, "table", f.insert.tableReference);
      if (f.insert.columnList != kNoNode) Line(indent + 1, "columns:");
      DumpChain(indent + 2, f.insert.columnList);
      Line(indent + 1, Node(f.insert.source).kind == kNodeSelect ? "source:" : "values:");
      if (Node(f.insert.source).kind == kNodeSelect) Dump(indent + 2, f.insert.source);
      else DumpChain(indent + 2, f.insert.source);
      break;
    case kNodeUpdate:
      Line(indent, "UPDATE");
      Child(indent + 1, "table", f.update.tableReference);
      Line(indent + 1, "set:");
      DumpChain(indent + 2, f.update.firstAssignment);
      Child(indent + 1, "where", f.update.where);
      break;
    case kNodeDelete:
      Line(indent, "DELETE");
      Child(indent + 1, "table", f.deleteStatement.tableReference);
      Child(indent + 1, "where", f.deleteStatement.where);
      break;
    case kNodeCreateTable:
    case kNodeAlterTableAdd:
      Line(indent, std::string(node.kind == kNodeCreateTable ? "CREATE TABLE " : "ALTER TABLE ADD ") +
                       Name(f.tableDefinition.tableName));
      DumpChain(indent + 1, f.tableDefinition.firstElement);
      break;
    case kNodeCreateIndex:
      Line(indent, "CREATE INDEX " + Name(f.createIndex.indexName) + " unique=" + std::to_string(f.createIndex.unique));
      Child(indent + 1, "table", f.createIndex.tableReference);
      Line(indent + 1, "columns:");
      DumpChain(indent + 2, f.createIndex.firstColumn);
      break;
    case kNodeDropTable: Line(indent, "DROP TABLE " + Name(f.drop.name)); break;
    case kNodeDropIndex: Line(indent, "DROP INDEX " + Name(f.drop.name)); break;
    case kNodeSqlPseudo: Line(indent, "SQL"); break;
    default: DumpClause(indent, node); break;
  }
}

void Dumper::DumpClause(int indent, const ParseNode& node) {
  const NodeFields& f = node.fields;
  switch (node.kind) {
    case kNodeListItem:
      if (f.listItem.value == kNoNode) {
        Line(indent, "item " + Name(f.listItem.name) + ".*");
        break;
      }
      Line(indent, f.listItem.name == kNoValue ? std::string("item") : "item alias=" + Name(f.listItem.name));
      Dump(indent + 1, f.listItem.value);
      break;
    case kNodeJoinItem:
      Line(indent, "join-item");
      Dump(indent + 1, f.joinItem.tableReference);
      break;
    case kNodeSortItem:
      Line(indent, "sort desc=" + std::to_string(f.sortItem.descending));
      Dump(indent + 1, f.sortItem.value);
      break;
    case kNodeGroupItem:
      Line(indent, "group");
      Dump(indent + 1, f.groupItem.columnReference);
      break;
    case kNodeInsertColumn:
      Line(indent, "insert-column");
      Dump(indent + 1, f.insertColumn.columnReference);
      break;
    case kNodeAssignment:
      Line(indent, "assign");
      Dump(indent + 1, f.assignment.columnReference);
      Dump(indent + 1, f.assignment.value);
      break;
    case kNodeColumnDefinition: {
      const ColumnDefinitionFields& e = f.columnDefinition;
      Line(indent, "element form=" + std::to_string(e.form) + " name=" + Name(e.name) + " second=" +
                       Name(e.secondName) + " length=" + std::to_string(e.length) + " scale=" +
                       std::to_string(e.scale) + " typerow=" + std::to_string(e.typeRow));
      break;
    }
    case kNodeTableReference: {
      const TableReferenceFields& t = f.tableReference;
      std::string text = "table " + Name(t.tableName);
      if (t.alias != kNoValue) text += " alias=" + Name(t.alias);
      if (t.joinLeft != kNoNode || t.joinCondition != kNoNode) {
        text += std::string(" join=") + (t.joinType == kJoinInner ? "inner" : "left-outer") +
                " left-side=" + JoinLeftName(t.joinLeft);
      }
      Line(indent, text);
      Child(indent + 1, "on", t.joinCondition);
      break;
    }
    default: DumpExpression(indent, node); break;
  }
}

void Dumper::DumpExpression(int indent, const ParseNode& node) {
  const NodeFields& f = node.fields;
  switch (node.kind) {
    case kNodeBoolean:
      Line(indent, OperatorName(f.boolean.op));
      Dump(indent + 1, f.boolean.first);
      if (f.boolean.second != kNoNode) Dump(indent + 1, f.boolean.second);
      break;
    case kNodePredicate:
      Line(indent, "predicate " + OperatorName(f.predicate.op) + " q=" + std::to_string(f.predicate.quantifier));
      for (NodeIndex operand : {f.predicate.left, f.predicate.second, f.predicate.third}) {
        if (operand != kNoNode && Node(operand).kind == kNodeListItem) DumpChain(indent + 1, operand);
        else if (operand != kNoNode) Dump(indent + 1, operand);
      }
      break;
    case kNodeArithmetic:
      Line(indent, "arith " + OperatorName(f.arithmetic.op));
      Dump(indent + 1, f.arithmetic.left);
      if (f.arithmetic.right != kNoNode) Dump(indent + 1, f.arithmetic.right);
      break;
    case kNodeAggregate:
      Line(indent, "aggregate " + std::to_string(f.aggregate.code) + (f.aggregate.argument == kNoNode ? " *" : ""));
      if (f.aggregate.argument != kNoNode) Dump(indent + 1, f.aggregate.argument);
      break;
    case kNodeScalarFunction:
      Line(indent, "function " + Name(f.scalarFunction.name));
      DumpChain(indent + 1, f.scalarFunction.firstArgument);
      break;
    case kNodeColumnReference: Line(indent, ColumnText(*this, f.columnReference)); break;
    default: DumpLiteral(indent, node); break;
  }
}

void Dumper::DumpLiteral(int indent, const ParseNode& node) {
  const NodeFields& f = node.fields;
  switch (node.kind) {
    case kNodeStringLiteral: Line(indent, "string " + Name(f.stringLiteral.text)); break;
    case kNodeNumberLiteral:
      Line(indent, "number " + Cell(node.cell) + " value=" + Number(f.numberLiteral.number) +
                       " text=" + Name(f.numberLiteral.text));
      break;
    case kNodeParameter: Line(indent, "param #" + std::to_string(f.parameter.number)); break;
    case kNodeUser: Line(indent, "USER"); break;
    case kNodeNull: Line(indent, "NULL"); break;
    case kNodeDateLiteral: Line(indent, "date " + DateText(f.dateLiteral.date)); break;
    case kNodeTimeLiteral: {
      const SQL_TIME_STRUCT& t = f.timeLiteral.time;
      Line(indent, "time " + TimeText(t.hour, t.minute, t.second));
      break;
    }
    case kNodeTimestampLiteral: {
      const SQL_TIMESTAMP_STRUCT& t = f.timestampLiteral.timestamp;
      Line(indent, "timestamp " + std::to_string(t.year) + "-" + TwoDigits(t.month) + "-" + TwoDigits(t.day) + " " +
                       TimeText(t.hour, t.minute, t.second) + " fraction=" + std::to_string(t.fraction));
      break;
    }
    default: Line(indent, "kind " + std::to_string(node.kind)); break;
  }
}

void Dumper::Dump(int indent, NodeIndex index) {
  if (index == kNoNode) {
    Line(indent, "none");
    return;
  }
  const std::size_t start = out.size();
  DumpStatement(indent, Node(index));
  if (!bound) return;
  const std::size_t lineEnd = out.find('\n', start);
  if (lineEnd != std::string::npos) out.insert(lineEnd, BoundSuffix(index));
  if (Node(index).kind == kNodeSelect) DumpSelectLayout(indent + 1, Node(index).fields.select);
}

std::string DumpParseResult(const StatementHandle& statement, const ParseTree* tree, MessageId id) {
  if (id != kMsgSuccess) {
    return "ERROR " + std::to_string(id) + " " + EscapeShortText(statement.diagnostic.detailText) + "\n";
  }
  Dumper dumper{*tree, {}};
  const RootFields& root = tree->nodes[0].fields.root;
  dumper.Dump(0, root.statementNode);
  std::string params = "params:";
  for (NodeIndex marker = root.firstParameter; marker != kNoNode; marker = tree->nodes[marker].fields.parameter.next) {
    params += " " + std::to_string(tree->nodes[marker].fields.parameter.number);
  }
  dumper.out += params + "\n";
  dumper.out += "rowlimit=" + (statement.rowLimit == kNoRowLimit ? std::string("none") : std::to_string(statement.rowLimit)) +
                " passthrough=" + std::to_string(statement.passThrough) + " batch=" +
                QuoteText(statement.remainingBatch) + "\n";
  return dumper.out;
}

std::string Dumper::BoundSuffix(NodeIndex index) const {
  const ParseNode& node = Node(index);
  const NodeFields& f = node.fields;
  auto buffer = [&](ValueIndex value) {
    return value == kNoValue ? std::string() : " buf=" + std::to_string(tree.values[value].size);
  };
  switch (node.kind) {
    case kNodeTableReference: {
      const TableCursor* cursor = f.tableReference.cursor;
      if (cursor == nullptr) return " -> not open";
      return " -> open " + QuoteText(cursor->tableName) + " columns=" + std::to_string(cursor->columns.size());
    }
    case kNodeColumnReference: {
      const ColumnReferenceFields& c = f.columnReference;
      std::string text = TypeText(node.cell);
      if (c.tableReference != kNoNode) {
        text += " -> " + Name(Node(c.tableReference).fields.tableReference.alias) + "#" + std::to_string(c.columnNumber);
      }
      if (c.fromSpool != 0) text += Place("spool", c.spoolPosition, c.spoolWidth);
      else text += Place("key", c.spoolPosition, c.spoolWidth);
      return text + Place("distinct", c.distinctPosition, c.distinctWidth) + buffer(c.resultBuffer);
    }
    case kNodeArithmetic: {
      const ArithmeticFields& a = f.arithmetic;
      std::string text = TypeText(node.cell) + buffer(a.resultBuffer);
      for (ValueIndex work : a.workBuffers)
        if (work != kNoValue) text += " work=" + std::to_string(tree.values[work].size);
      return text + Place("distinct", a.distinctPosition, a.distinctWidth);
    }
    case kNodeAggregate: {
      const AggregateFields& a = f.aggregate;
      return TypeText(node.cell) + buffer(a.resultBuffer) + Place("group", a.groupPosition, a.groupWidth) +
             Place("distinct", a.distinctPosition, a.distinctWidth);
    }
    case kNodeScalarFunction: {
      const ScalarFunctionFields& c = f.scalarFunction;
      return TypeText(node.cell) + " row=" + std::to_string(c.functionRow) +
             (c.interval != 0 ? " interval=" + std::to_string(c.interval) : std::string()) +
             (c.extractField != 0 ? std::string(" field=") + static_cast<char>(c.extractField) : std::string()) +
             buffer(c.resultBuffer) + Place("distinct", c.distinctPosition, c.distinctWidth);
    }
    case kNodeSortItem: return Place("at", f.sortItem.recordPosition, f.sortItem.recordWidth);
    case kNodeSelect:
    case kNodeBoolean:
    case kNodePredicate:
    case kNodeStringLiteral:
    case kNodeNumberLiteral:
    case kNodeParameter:
    case kNodeUser:
    case kNodeNull:
    case kNodeDateLiteral:
    case kNodeTimeLiteral:
    case kNodeTimestampLiteral: return TypeText(node.cell);
    default: return "";
  }
}

void Dumper::DumpSelectLayout(int indent, const SelectFields& f) {
  Line(indent, "layout: key=" + std::to_string(f.keyLength) + " record=" + std::to_string(f.sortRecordLength) +
                   " rid=" + std::to_string(f.recordIdPosition) +
                   " aggregates-only=" + std::to_string(f.aggregatesWithoutGroupBy) +
                   " distinct-record=" + std::to_string(f.distinctRecordLength));
  if (f.sortSpec != kNoValue) Line(indent, "sort: " + QuoteText(WithoutTemporaryDirectory(tree.values[f.sortSpec].text)));
  if (f.groupOrderSpec != kNoValue)
    Line(indent, "group-order: " + QuoteText(WithoutTemporaryDirectory(tree.values[f.groupOrderSpec].text)));
  if (f.distinctSpec != kNoValue)
    Line(indent, "distinct: " + QuoteText(WithoutTemporaryDirectory(tree.values[f.distinctSpec].text)));
  std::string aggregates;
  for (NodeIndex a = f.aggregateList; a != kNoNode; a = Node(a).fields.aggregate.nextAggregate)
    aggregates += " " + std::to_string(Node(a).fields.aggregate.code) + "@" + std::to_string(Node(a).fields.aggregate.groupPosition);
  if (!aggregates.empty()) Line(indent, "aggregates:" + aggregates);
}

std::string DumpBindResult(const StatementHandle& statement, const ParseTree* tree, MessageId id) {
  if (id != kMsgSuccess) {
    return "ERROR " + std::to_string(id) + " " + EscapeShortText(statement.diagnostic.detailText) + "\n";
  }
  Dumper dumper{*tree, {}, true};
  const RootFields& root = tree->nodes[0].fields.root;
  dumper.Dump(0, root.statementNode);
  std::string params = "params:";
  for (NodeIndex marker = root.firstParameter; marker != kNoNode; marker = tree->nodes[marker].fields.parameter.next) {
    const ParseNode& node = tree->nodes[marker];
    params += " " + std::to_string(node.fields.parameter.number) + TypeText(node.cell).substr(3);
  }
  dumper.out += params + "\n";
  for (const ParseNode& node : tree->nodes) {
    if (node.kind != kNodeTableReference || node.fields.tableReference.cursor == nullptr) continue;
    const TableCursor& cursor = *node.fields.tableReference.cursor;
    if (cursor.connection == nullptr || cursor.tableId.empty()) continue;
    dumper.out += "fetch " + QuoteText(cursor.tableName) + ":" + FetchedFields(cursor) + "\n";
  }
  return dumper.out;
}

std::string FetchedFields(const TableCursor& cursor) {
  const auto& tables = cursor.connection->client->caches.tables;
  auto table = tables.find(cursor.tableId);
  if (table == tables.end()) return "";
  std::string text;
  for (std::uint32_t field : table->second.fieldsToFetch) text += (text.empty() ? " " : ",") + std::to_string(field);
  return text;
}
