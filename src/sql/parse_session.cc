// The parse's final failures: the nesting limit of the recursive-descent
// parser and the others no alternative may mend.
#include "sql/parse_session.h"

#include "handles/statement_handle.h"
#include "sql/token_readers.h"

MessageId FailFinally(ParseSession& session, MessageId id, const std::string& detail) {
  if (session.finalFailure == kMsgSuccess) {
    session.finalFailure = id;
    session.finalDetail = detail;
  }
  session.statement.diagnostic.detailText = session.finalDetail;
  return session.finalFailure;
}

MessageId CheckNesting(ParseSession& session, SqlCursor at) {
  if (session.finalFailure != kMsgSuccess) return FailFinally(session, session.finalFailure, session.finalDetail);
  if (session.depth <= kMaxNestingDepth) return kMsgSuccess;
  return FailFinally(session, kMsgElementMissing,
                     "Statement nested deeper than " + std::to_string(kMaxNestingDepth) + " levels near: " +
                         NearText(at));
}
