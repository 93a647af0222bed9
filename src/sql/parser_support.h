// Small services shared by the parser rules: node creation, saved positions
// that also undo parameter markers, optional keywords and symbols.
#pragma once

#include <cstdint>
#include <string_view>

#include "common/message_ids.h"
#include "sql/parse_session.h"

// Appends a node of kind (with its starting values); 1001 when it can't.
MessageId NewNode(ParseSession& session, std::uint16_t kind, NodeIndex& out);
inline ParseNode& NodeAt(ParseSession& session, NodeIndex index) { return session.tree.nodes[index]; }
inline NodeFields& FieldsAt(ParseSession& session, NodeIndex index) { return session.tree.nodes[index].fields; }

// Appends item to a list being built: it becomes the first item while last
// is none, else the next of last, reached through the item kind's fields
// (&NodeFields::sortItem, ...). Indexes, not references, because every new
// node may move the array.
template <typename ItemFields>
void LinkListItem(ParseSession& session, NodeIndex& first, NodeIndex& last, NodeIndex item,
                  ItemFields NodeFields::*fields) {
  if (last == kNoNode) {
    first = item;
  } else {
    (FieldsAt(session, last).*fields).next = item;
  }
  last = item;
}

// A position to come back to when an alternative fails. Going back also
// unlinks the parameter markers the failed alternative made, so a "?" read
// twice is numbered once.
struct ParseMark {
  SqlCursor cursor;
  NodeIndex lastParameter;
};
inline ParseMark MarkPosition(const ParseSession& session, SqlCursor cursor) {
  return ParseMark{cursor, session.lastParameter};
}
void RestorePosition(ParseSession& session, SqlCursor& cursor, const ParseMark& mark);

// A failure no other alternative can mend: memory, or the nesting limit.
// Alternatives stop trying on it and hand it up.
inline bool IsFinalFailure(const ParseSession& session, MessageId id) {
  return id == kMsgMemoryAllocation || session.finalFailure != kMsgSuccess;
}

// The tokenizer's own verdicts on the text at hand (a token over the size
// limit, a malformed number): every other reading of the same text meets
// them too, so they are reported as they are, not as a missing element.
inline bool IsLexicalFailure(MessageId id) {
  return id == kMsgLexicalElementTooLarge || id == kMsgMalformedNumber;
}

// Takes the keyword (or symbol) when it is next; otherwise leaves the cursor
// where it was and answers false.
bool TryKeyword(ParseSession& session, SqlCursor& cursor, std::string_view keyword);
bool TrySymbol(ParseSession& session, SqlCursor& cursor, std::string_view symbol);

// An optional ASC or DESC after a sort or index column: 1 for DESC, else 0.
std::uint8_t ReadSortDirection(ParseSession& session, SqlCursor& cursor);

// The symbol that starts at the cursor ("" when the next token is another
// kind), without reading the token into the buffer.
std::string_view PeekSymbol(SqlCursor cursor);

// Appends a parameter marker numbered one more than the chain's last and
// links it at the chain's end.
MessageId AppendParameterMarker(ParseSession& session, NodeIndex& out);
