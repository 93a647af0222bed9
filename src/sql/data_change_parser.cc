// INSERT, UPDATE and DELETE (and their pass-through OQ forms, which share
// the grammar), each parsed after its first keyword.
#include "sql/parser_rules.h"
#include "sql/parser_support.h"
#include "sql/token_readers.h"

namespace {

MessageId ParseValuesSource(ParseSession& s, SqlCursor& c, NodeIndex& source) {
  if (MessageId id = ExpectKeyword(s.statement, c, "VALUES", s.token)) return id;
  if (MessageId id = ExpectSymbol(s.statement, c, "(", s.token)) return id;
  if (MessageId id = ParseValueList(s, c, source, "")) return id;
  return ExpectSymbol(s.statement, c, ")", s.token);
}

MessageId ParseOptionalWhere(ParseSession& s, SqlCursor& c, NodeIndex& where) {
  where = kNoNode;
  if (!TryKeyword(s, c, "WHERE")) return kMsgSuccess;
  return ParseSearchCondition(s, c, where);
}

}  // namespace

MessageId ParseTargetColumn(ParseSession& s, SqlCursor& c, NodeIndex& out) {
  ValueIndex name = kNoValue;
  if (MessageId id = ReadAndInternName(s.statement, c, s.tree, name, s.token, true, true)) return id;
  if (MessageId id = NewNode(s, kNodeColumnReference, out)) return id;
  FieldsAt(s, out).columnReference.columnName = name;
  return kMsgSuccess;
}

MessageId ParseInsert(ParseSession& s, SqlCursor& c, NodeIndex& out) {
  if (MessageId id = ExpectKeyword(s.statement, c, "INTO", s.token)) return id;
  NodeIndex table = kNoNode;
  if (MessageId id = ParseTableReference(s, c, table)) return id;
  NodeIndex columns = kNoNode;
  NodeIndex source = kNoNode;
  if (MessageId id = ParseInsertSource(s, c, columns, source)) return id;
  if (MessageId id = NewNode(s, kNodeInsert, out)) return id;
  InsertFields& f = FieldsAt(s, out).insert;
  f.tableReference = table;
  f.columnList = columns;
  f.source = source;
  return kMsgSuccess;
}

MessageId ParseInsertSource(ParseSession& s, SqlCursor& c, NodeIndex& columnList, NodeIndex& source) {
  columnList = kNoNode;
  if (TrySymbol(s, c, "(")) {
    if (MessageId id = ParseInsertColumnList(s, c, columnList)) return id;
    if (MessageId id = ExpectSymbol(s.statement, c, ")", s.token)) return id;
  }
  if (TryKeyword(s, c, "SELECT")) return ParseSelect(s, c, source);
  return ParseValuesSource(s, c, source);
}

MessageId ParseInsertColumnList(ParseSession& s, SqlCursor& c, NodeIndex& out) {
  NodeIndex previous = kNoNode;
  do {
    NodeIndex column = kNoNode;
    if (MessageId id = ParseTargetColumn(s, c, column)) return id;
    NodeIndex item = kNoNode;
    if (MessageId id = NewNode(s, kNodeInsertColumn, item)) return id;
    FieldsAt(s, item).insertColumn.columnReference = column;
    LinkListItem(s, out, previous, item, &NodeFields::insertColumn);
  } while (TrySymbol(s, c, ","));
  return kMsgSuccess;
}

MessageId ParseUpdate(ParseSession& s, SqlCursor& c, NodeIndex& out) {
  NodeIndex table = kNoNode;
  if (MessageId id = ParseTableReference(s, c, table)) return id;
  if (MessageId id = ExpectKeyword(s.statement, c, "SET", s.token)) return id;
  NodeIndex assignments = kNoNode;
  if (MessageId id = ParseSetList(s, c, assignments)) return id;
  NodeIndex where = kNoNode;
  if (MessageId id = ParseOptionalWhere(s, c, where)) return id;
  if (MessageId id = NewNode(s, kNodeUpdate, out)) return id;
  UpdateFields& f = FieldsAt(s, out).update;
  f.tableReference = table;
  f.firstAssignment = assignments;
  f.where = where;
  return kMsgSuccess;
}

MessageId ParseSetList(ParseSession& s, SqlCursor& c, NodeIndex& out) {
  NodeIndex previous = kNoNode;
  do {
    NodeIndex assignment = kNoNode;
    if (MessageId id = ParseAssignment(s, c, assignment)) return id;
    LinkListItem(s, out, previous, assignment, &NodeFields::assignment);
  } while (TrySymbol(s, c, ","));
  return kMsgSuccess;
}

MessageId ParseAssignment(ParseSession& s, SqlCursor& c, NodeIndex& out) {
  NodeIndex column = kNoNode;
  if (MessageId id = ParseTargetColumn(s, c, column)) return id;
  if (MessageId id = ExpectSymbol(s.statement, c, "=", s.token)) return id;
  NodeIndex value = kNoNode;
  if (MessageId id = ParseNullOrExpression(s, c, value)) return id;
  if (MessageId id = NewNode(s, kNodeAssignment, out)) return id;
  FieldsAt(s, out).assignment.columnReference = column;
  FieldsAt(s, out).assignment.value = value;
  return kMsgSuccess;
}

MessageId ParseDelete(ParseSession& s, SqlCursor& c, NodeIndex& out) {
  if (MessageId id = ExpectKeyword(s.statement, c, "FROM", s.token)) return id;
  NodeIndex table = kNoNode;
  if (MessageId id = ParseTableReference(s, c, table)) return id;
  NodeIndex where = kNoNode;
  if (MessageId id = ParseOptionalWhere(s, c, where)) return id;
  if (MessageId id = NewNode(s, kNodeDelete, out)) return id;
  FieldsAt(s, out).deleteStatement.tableReference = table;
  FieldsAt(s, out).deleteStatement.where = where;
  return kMsgSuccess;
}
