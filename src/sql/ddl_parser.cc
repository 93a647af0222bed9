// CREATE TABLE, CREATE [UNIQUE] INDEX, ALTER TABLE ... ADD, DROP TABLE,
// DROP INDEX and the SQL pseudo-statement, each after its first keyword.
#include "platform/text_fold.h"
#include "sql/parser_rules.h"
#include "sql/parser_support.h"
#include "sql/token_readers.h"

namespace {

// Names of data definition are single tokens: a name with blanks must be
// quoted here.
MessageId ReadPlainName(ParseSession& s, SqlCursor& c, ValueIndex& name) {
  return ReadAndInternName(s.statement, c, s.tree, name, s.token, false, false);
}

// Reads one token and, when it is not the wanted symbol, answers 1015 with
// insteadOf as written (some of these messages quote the symbol, some not).
MessageId ExpectSymbolAs(ParseSession& s, SqlCursor& c, std::string_view wanted, std::string_view insteadOf) {
  SqlTokenKind kind = kTokenEnd;
  SqlCursor next;
  if (MessageId id = NextSqlToken(s.statement, c, s.token, kind, next, false, false)) return id;
  c = next;
  if (kind == kTokenSymbol && s.token == wanted) return kMsgSuccess;
  return FoundInstead(s.statement, s.token, insteadOf, next);
}

struct ElementParts {
  ValueIndex name = kNoValue;
  ValueIndex secondName = kNoValue;
  std::uint16_t form = 0;
  std::uint32_t length = 0;
  std::uint32_t scale = 0;
};

MessageId MakeElement(ParseSession& s, const ElementParts& parts, NodeIndex& out) {
  if (MessageId id = NewNode(s, kNodeColumnDefinition, out)) return id;
  ColumnDefinitionFields& f = FieldsAt(s, out).columnDefinition;
  f.name = parts.name;
  f.secondName = parts.secondName;
  f.form = parts.form;
  f.length = parts.length;
  f.scale = parts.scale;
  return kMsgSuccess;
}

MessageId ReadConstraintForm(ParseSession& s, SqlCursor& c, std::uint16_t& form) {
  SqlTokenKind kind = kTokenEnd;
  SqlCursor next;
  if (MessageId id = NextSqlToken(s.statement, c, s.token, kind, next, false, false)) return id;
  c = next;
  if (kind == kTokenKeyword && EqualFoldedAZ(s.token, "PRIMARY")) form = kFormPrimaryKey;
  else if (kind == kTokenKeyword && EqualFoldedAZ(s.token, "FOREIGN")) form = kFormForeignKey;
  else return FoundInstead(s.statement, s.token, "PRIMARY or FOREIGN", next);
  return kMsgSuccess;
}

// REFERENCES parent (column): the column is read and not kept.
MessageId ParseReferences(ParseSession& s, SqlCursor& c, ElementParts& parts) {
  if (MessageId id = ExpectKeyword(s.statement, c, "REFERENCES", s.token)) return id;
  if (MessageId id = ReadPlainName(s, c, parts.secondName)) return id;
  if (MessageId id = ExpectSymbol(s.statement, c, "(", s.token)) return id;
  ValueIndex column = kNoValue;
  if (MessageId id = ReadPlainName(s, c, column)) return id;
  return ExpectSymbol(s.statement, c, ")", s.token);
}

// CONSTRAINT name PRIMARY KEY (col) | FOREIGN KEY (col) REFERENCES t (col);
// the constraint's own name is read and not kept.
MessageId ParseConstraint(ParseSession& s, SqlCursor& c, ElementParts& parts) {
  ValueIndex constraintName = kNoValue;
  if (MessageId id = ReadPlainName(s, c, constraintName)) return id;
  if (MessageId id = ReadConstraintForm(s, c, parts.form)) return id;
  if (MessageId id = ExpectKeyword(s.statement, c, "KEY", s.token)) return id;
  if (MessageId id = ExpectSymbol(s.statement, c, "(", s.token)) return id;
  if (MessageId id = ReadPlainName(s, c, parts.name)) return id;
  if (MessageId id = ExpectSymbolAs(s, c, ")", ")")) return id;
  if (parts.form == kFormForeignKey) return ParseReferences(s, c, parts);
  return kMsgSuccess;
}

// ( length [, scale] ) after a type name.
MessageId ParseTypeSize(ParseSession& s, SqlCursor& c, ElementParts& parts) {
  if (MessageId id = ReadUnsignedInteger(s.statement, c, parts.length, s.token)) return id;
  parts.form = 1;
  if (MessageId id = ExpectSymbol(s.statement, c, "", s.token)) return id;
  if (s.token == ",") {
    if (MessageId id = ReadUnsignedInteger(s.statement, c, parts.scale, s.token)) return id;
    parts.form = 2;
    if (MessageId id = ExpectSymbol(s.statement, c, "", s.token)) return id;
  }
  if (s.token != ")") return FoundInstead(s.statement, s.token, ")", c);
  return kMsgSuccess;
}

MessageId ParseColumn(ParseSession& s, SqlCursor& c, ElementParts& parts) {
  if (MessageId id = ReadPlainName(s, c, parts.name)) return id;
  if (MessageId id = ReadPlainName(s, c, parts.secondName)) return id;
  if (!TrySymbol(s, c, "(")) return kMsgSuccess;
  return ParseTypeSize(s, c, parts);
}

MessageId ParseCreateIndex(ParseSession& s, SqlCursor& c, std::uint8_t unique, NodeIndex& out) {
  ValueIndex indexName = kNoValue;
  if (MessageId id = ReadPlainName(s, c, indexName)) return id;
  if (MessageId id = ExpectKeyword(s.statement, c, "ON", s.token)) return id;
  NodeIndex table = kNoNode;
  if (MessageId id = ParseTableReference(s, c, table)) return id;
  if (MessageId id = ExpectSymbol(s.statement, c, "(", s.token)) return id;
  NodeIndex columns = kNoNode;
  if (MessageId id = ParseIndexColumnList(s, c, columns)) return id;
  if (MessageId id = ExpectSymbol(s.statement, c, ")", s.token)) return id;
  if (MessageId id = NewNode(s, kNodeCreateIndex, out)) return id;
  CreateIndexFields& f = FieldsAt(s, out).createIndex;
  f.indexName = indexName;
  f.tableReference = table;
  f.firstColumn = columns;
  f.unique = unique;
  return kMsgSuccess;
}

MessageId ParseCreateTable(ParseSession& s, SqlCursor& c, NodeIndex& out) {
  if (MessageId id = ExpectKeyword(s.statement, c, "TABLE", s.token)) return id;
  ValueIndex name = kNoValue;
  if (MessageId id = ReadPlainName(s, c, name)) return id;
  if (MessageId id = ExpectSymbol(s.statement, c, "(", s.token)) return id;
  NodeIndex elements = kNoNode;
  if (MessageId id = ParseTableElementList(s, c, elements)) return id;
  if (MessageId id = ExpectSymbol(s.statement, c, ")", s.token)) return id;
  if (MessageId id = NewNode(s, kNodeCreateTable, out)) return id;
  FieldsAt(s, out).tableDefinition.tableName = name;
  FieldsAt(s, out).tableDefinition.firstElement = elements;
  return kMsgSuccess;
}

MessageId MakeDrop(ParseSession& s, SqlCursor& c, std::uint16_t kind, NodeIndex& out) {
  ValueIndex name = kNoValue;
  if (MessageId id = ReadPlainName(s, c, name)) return id;
  if (MessageId id = NewNode(s, kind, out)) return id;
  FieldsAt(s, out).drop.name = name;
  return kMsgSuccess;
}

}  // namespace

MessageId ParseCreate(ParseSession& s, SqlCursor& c, NodeIndex& out) {
  const bool unique = TryKeyword(s, c, "UNIQUE");
  if (TryKeyword(s, c, "INDEX")) return ParseCreateIndex(s, c, unique ? 1 : 0, out);
  if (unique) {
    SqlTokenKind kind = kTokenEnd;
    SqlCursor next = c;
    NextSqlToken(s.statement, c, s.token, kind, next, false, false);
    return FoundInstead(s.statement, s.token, "UNIQUE", next);
  }
  return ParseCreateTable(s, c, out);
}

MessageId ParseAlterTable(ParseSession& s, SqlCursor& c, NodeIndex& out) {
  if (MessageId id = ExpectKeyword(s.statement, c, "TABLE", s.token)) return id;
  ValueIndex name = kNoValue;
  if (MessageId id = ReadPlainName(s, c, name)) return id;
  if (MessageId id = ExpectKeyword(s.statement, c, "ADD", s.token)) return id;
  NodeIndex elements = kNoNode;
  if (MessageId id = ParseTableElementList(s, c, elements)) return id;
  if (MessageId id = NewNode(s, kNodeAlterTableAdd, out)) return id;
  FieldsAt(s, out).tableDefinition.tableName = name;
  FieldsAt(s, out).tableDefinition.firstElement = elements;
  return kMsgSuccess;
}

MessageId ParseTableElementList(ParseSession& s, SqlCursor& c, NodeIndex& out) {
  NodeIndex previous = kNoNode;
  do {
    NodeIndex element = kNoNode;
    if (MessageId id = ParseColumnDefinition(s, c, element)) return id;
    LinkListItem(s, out, previous, element, &NodeFields::columnDefinition);
  } while (TrySymbol(s, c, ","));
  return kMsgSuccess;
}

MessageId ParseColumnDefinition(ParseSession& s, SqlCursor& c, NodeIndex& out) {
  ElementParts parts;
  MessageId id = TryKeyword(s, c, "CONSTRAINT") ? ParseConstraint(s, c, parts) : ParseColumn(s, c, parts);
  if (id) return id;
  return MakeElement(s, parts, out);
}

MessageId ParseIndexColumnList(ParseSession& s, SqlCursor& c, NodeIndex& out) {
  NodeIndex previous = kNoNode;
  do {
    NodeIndex column = kNoNode;
    if (MessageId id = ParseTargetColumn(s, c, column)) return id;
    const std::uint8_t descending = ReadSortDirection(s, c);
    NodeIndex item = kNoNode;
    if (MessageId id = NewNode(s, kNodeSortItem, item)) return id;
    FieldsAt(s, item).sortItem.value = column;
    FieldsAt(s, item).sortItem.descending = descending;
    LinkListItem(s, out, previous, item, &NodeFields::sortItem);
  } while (TrySymbol(s, c, ","));
  return kMsgSuccess;
}

MessageId ParseDrop(ParseSession& s, SqlCursor& c, NodeIndex& out) {
  if (TryKeyword(s, c, "INDEX")) return MakeDrop(s, c, kNodeDropIndex, out);
  if (MessageId id = ExpectKeyword(s.statement, c, "TABLE", s.token)) return id;
  return MakeDrop(s, c, kNodeDropTable, out);
}

MessageId MakeSqlPseudoStatement(ParseSession& s, SqlCursor& c, NodeIndex& out) {
  (void)c;
  return NewNode(s, kNodeSqlPseudo, out);
}
