// Table and column references: names that may contain blanks, with a
// qualifier for columns and a dropped database or owner prefix for tables.
#include "sql/parser_rules.h"
#include "sql/parser_support.h"
#include "sql/token_readers.h"

MessageId ParseColumnReference(ParseSession& s, SqlCursor& c, NodeIndex& out) {
  ValueIndex first = kNoValue;
  if (MessageId id = ReadAndInternName(s.statement, c, s.tree, first, s.token, true, false)) return id;
  ValueIndex qualifier = kNoValue;
  ValueIndex column = first;
  SqlCursor attempt = c;
  ValueIndex second = kNoValue;
  if (TrySymbol(s, attempt, ".") &&
      ReadAndInternName(s.statement, attempt, s.tree, second, s.token, false, false) == kMsgSuccess) {
    qualifier = first;
    column = second;
    c = attempt;
  }
  if (MessageId id = NewNode(s, kNodeColumnReference, out)) return id;
  FieldsAt(s, out).columnReference.qualifier = qualifier;
  FieldsAt(s, out).columnReference.columnName = column;
  return kMsgSuccess;
}

MessageId ParseTableReference(ParseSession& s, SqlCursor& c, NodeIndex& out) {
  ValueIndex name = kNoValue;
  if (MessageId id = ReadAndInternName(s.statement, c, s.tree, name, s.token, true, false)) return id;
  if (c.remaining > 0 && *c.text == '.') {
    // A database or owner qualifier (db..Customers, owner.Customers) is
    // dropped: only the last name counts.
    while (c.remaining > 0 && *c.text == '.') {
      ++c.text;
      --c.remaining;
    }
    ValueIndex last = kNoValue;
    MessageId id = ReadAndInternName(s.statement, c, s.tree, last, s.token, true, false);
    if (id == kMsgSuccess) name = last;
    if (id == kMsgMemoryAllocation) return id;
  }
  if (MessageId id = NewNode(s, kNodeTableReference, out)) return id;
  FieldsAt(s, out).tableReference.tableName = name;
  return kMsgSuccess;
}
