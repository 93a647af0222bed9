// The one diagnostic every handle keeps: set by the exported function that
// failed, read back by SQLGetDiagRec, SQLGetDiagField and SQLError.
#pragma once

#include <cstdint>
#include <string>

#include "handles/message_id.h"

// SQL_DIAG_ROW_NUMBER of a diagnostic that names no row (SQL_ROW_NUMBER_UNKNOWN).
inline constexpr std::int64_t kUnknownRowNumber = -2;

struct HandleDiagnostic {
  MessageId messageId = kMsgSuccess;
  std::string detailText;   // fills the message's "%s"
  std::string messageText;  // a rendered service error (id 999), or the last rendering
  // Where the failure happened, added after the message (a statement of a
  // batch); the message keeps its own SQLSTATE and text.
  std::string contextText;
  std::int64_t rowNumber = kUnknownRowNumber;  // the 1-based parameter row that failed
};

inline void ClearDiagnosticPlace(HandleDiagnostic& diagnostic) {
  diagnostic.contextText.clear();
  diagnostic.rowNumber = kUnknownRowNumber;
}

// A new call on a handle forgets the previous call's diagnostic.
inline void ClearDiagnostic(HandleDiagnostic& diagnostic) {
  diagnostic.messageId = kMsgSuccess;
  diagnostic.detailText.clear();
  diagnostic.messageText.clear();
  ClearDiagnosticPlace(diagnostic);
}

// The texts of a failure another handle met, reported on this one (its
// message id is the caller's to set or return). Detail and message text go
// together: a message without its detail would read with nothing after it.
inline void CopyMessageTexts(HandleDiagnostic& to, const HandleDiagnostic& from) {
  to.detailText = from.detailText;
  to.messageText = from.messageText;
}

inline void SetDiagnostic(HandleDiagnostic& diagnostic, MessageId id, std::string detail = {}) {
  diagnostic.messageId = id;
  diagnostic.detailText = std::move(detail);
  ClearDiagnosticPlace(diagnostic);
}
