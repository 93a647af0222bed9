// What every parser rule of one ParseStatement call shares: the statement
// (for its detail text and row limit), the tree, the one token buffer and
// the nesting depth.
#pragma once

#include <cstdint>
#include <string>

#include "common/message_ids.h"
#include "sql/parse_tree.h"
#include "sql/sql_tokenizer.h"

struct StatementHandle;

// Deeper nesting of parentheses, sub-selects, functions or joins than this
// fails with 1015, long before the parser's recursion could exhaust a stack.
inline constexpr std::uint32_t kMaxNestingDepth = 256;

struct ParseSession {
  ParseSession(StatementHandle& st, ParseTree& t, std::string& tokenBuffer)
      : statement(st), tree(t), token(tokenBuffer) {}

  StatementHandle& statement;
  ParseTree& tree;
  std::string& token;  // text of the last token read
  std::uint32_t depth = 0;
  // A failure no alternative may mend (the nesting limit, the marker
  // limit): once set, every later nesting fails at once, so the parse
  // unwinds quickly and ParseStatement reports this failure.
  MessageId finalFailure = kMsgSuccess;
  std::string finalDetail;
  // Set by ParseStatement for the one SELECT that may carry TOP; the SELECT
  // parser takes it, so sub-selects and INSERT ... SELECT see it clear.
  bool topAllowed = false;
  // The last marker of the root's parameter chain, so a new marker is linked
  // without walking the chain.
  NodeIndex lastParameter = kNoNode;
};

// Counts one level of nesting for as long as it lives.
struct NestingLevel {
  ParseSession& session;
  explicit NestingLevel(ParseSession& s) : session(s) { ++session.depth; }
  ~NestingLevel() { --session.depth; }
  NestingLevel(const NestingLevel&) = delete;
  NestingLevel& operator=(const NestingLevel&) = delete;
};

// 0, or 1015 when the session is nested deeper than kMaxNestingDepth (or
// a final failure happened earlier in this parse).
MessageId CheckNesting(ParseSession& session, SqlCursor at);

// Records a final failure (the first one stands) and answers its id with
// its detail in the statement.
MessageId FailFinally(ParseSession& session, MessageId id, const std::string& detail);
