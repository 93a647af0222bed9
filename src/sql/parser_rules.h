// The grammar rules of the driver's SQL dialect, one function per rule; the
// statement parser calls them and they call each other. Each reads from the
// cursor, appends nodes to the session's tree and answers a MessageId.
#pragma once

#include <cstdint>
#include <string_view>

#include "common/message_ids.h"
#include "sql/parse_session.h"

// Expressions, names and lists.
MessageId ParseArithmeticExpression(ParseSession& s, SqlCursor& c, NodeIndex& out);
MessageId ParseTerm(ParseSession& s, SqlCursor& c, NodeIndex& out);
MessageId ParseSignedFactor(ParseSession& s, SqlCursor& c, NodeIndex& out);
MessageId ParsePrimary(ParseSession& s, SqlCursor& c, NodeIndex& out);
MessageId ParseSimpleTerm(ParseSession& s, SqlCursor& c, NodeIndex& out);
MessageId ParseStringLiteral(ParseSession& s, SqlCursor& c, NodeIndex& out);
MessageId ParseAggregate(ParseSession& s, SqlCursor& c, NodeIndex& out);
MessageId ParseColumnReference(ParseSession& s, SqlCursor& c, NodeIndex& out);
MessageId ParseTableReference(ParseSession& s, SqlCursor& c, NodeIndex& out);
MessageId ParseScalarFunction(ParseSession& s, SqlCursor& c, NodeIndex& out);
// NULL, or an expression: a VALUES or argument item, or the value of a SET.
MessageId ParseNullOrExpression(ParseSession& s, SqlCursor& c, NodeIndex& out);
// A column named in an insert column list, a SET or an index column list:
// blanks and ON may stand inside the name, and it takes no qualifier.
MessageId ParseTargetColumn(ParseSession& s, SqlCursor& c, NodeIndex& out);
// separator: a keyword (IN, FROM), or "" for ",".
MessageId ParseValueList(ParseSession& s, SqlCursor& c, NodeIndex& out, std::string_view separator);
MessageId ParseGroupByClause(ParseSession& s, SqlCursor& c, NodeIndex& out);
MessageId ParseGroupByList(ParseSession& s, SqlCursor& c, NodeIndex& out);

// The opening of a function or outer-join escape, up to and including its
// marker word (fn, oj): "{" word, or the long form "--" with its vendor
// clause "(" "*" word "(" word ")" "," word "(" word ")" before the word.
// longForm tells ReadEscapeClose which close to expect: "}", or "*" ")" "--".
MessageId ReadEscapeOpen(ParseSession& s, SqlCursor& c, bool& longForm);
MessageId ReadEscapeClose(ParseSession& s, SqlCursor& c, bool longForm);

// Predicates and search conditions.
MessageId ParsePredicate(ParseSession& s, SqlCursor& c, NodeIndex& out);
MessageId ParsePatternValue(ParseSession& s, SqlCursor& c, NodeIndex& out);
MessageId ParseSearchCondition(ParseSession& s, SqlCursor& c, NodeIndex& out);
MessageId ParseBooleanFactor(ParseSession& s, SqlCursor& c, NodeIndex& out);
MessageId ParseHavingClause(ParseSession& s, SqlCursor& c, NodeIndex& out);

// SELECT and its clauses. ParseSelect starts after the keyword SELECT.
MessageId ParseSelect(ParseSession& s, SqlCursor& c, NodeIndex& out);
MessageId ParseSelectList(ParseSession& s, SqlCursor& c, NodeIndex& out);
MessageId ParseFromList(ParseSession& s, SqlCursor& c, NodeIndex& out);
MessageId ParseJoin(ParseSession& s, SqlCursor& c, NodeIndex& first, bool inner, bool optional, NodeIndex& last);
MessageId ParseEscapedJoin(ParseSession& s, SqlCursor& c, NodeIndex& first, NodeIndex& last);
MessageId ParseOuterJoinEscape(ParseSession& s, SqlCursor& c, NodeIndex& first, NodeIndex& last);
MessageId ParseOrderByList(ParseSession& s, SqlCursor& c, NodeIndex& out);
MessageId ParseOrderByItem(ParseSession& s, SqlCursor& c, NodeIndex& out, std::uint8_t& descending);

// INSERT, UPDATE and DELETE, each after its first keyword.
MessageId ParseInsert(ParseSession& s, SqlCursor& c, NodeIndex& out);
MessageId ParseInsertSource(ParseSession& s, SqlCursor& c, NodeIndex& columnList, NodeIndex& source);
MessageId ParseInsertColumnList(ParseSession& s, SqlCursor& c, NodeIndex& out);
MessageId ParseUpdate(ParseSession& s, SqlCursor& c, NodeIndex& out);
MessageId ParseSetList(ParseSession& s, SqlCursor& c, NodeIndex& out);
MessageId ParseAssignment(ParseSession& s, SqlCursor& c, NodeIndex& out);
MessageId ParseDelete(ParseSession& s, SqlCursor& c, NodeIndex& out);

// Data definition and the pseudo-statement, each after its first keyword.
MessageId ParseCreate(ParseSession& s, SqlCursor& c, NodeIndex& out);
MessageId ParseAlterTable(ParseSession& s, SqlCursor& c, NodeIndex& out);
MessageId ParseTableElementList(ParseSession& s, SqlCursor& c, NodeIndex& out);
MessageId ParseColumnDefinition(ParseSession& s, SqlCursor& c, NodeIndex& out);
MessageId ParseIndexColumnList(ParseSession& s, SqlCursor& c, NodeIndex& out);
MessageId ParseDrop(ParseSession& s, SqlCursor& c, NodeIndex& out);
MessageId MakeSqlPseudoStatement(ParseSession& s, SqlCursor& c, NodeIndex& out);
