// The one diagnostic every handle keeps: set by the exported function that
// failed, read back by SQLGetDiagRec, SQLGetDiagField and SQLError.
#pragma once

#include <string>

#include "handles/message_id.h"

struct HandleDiagnostic {
  MessageId messageId = kMsgSuccess;
  std::string detailText;   // fills the message's "%s"
  std::string messageText;  // a rendered service error (id 999), or the last rendering
};

// A new call on a handle forgets the previous call's diagnostic.
inline void ClearDiagnostic(HandleDiagnostic& diagnostic) {
  diagnostic.messageId = kMsgSuccess;
  diagnostic.detailText.clear();
  diagnostic.messageText.clear();
}

inline void SetDiagnostic(HandleDiagnostic& diagnostic, MessageId id, std::string detail = {}) {
  diagnostic.messageId = id;
  diagnostic.detailText = std::move(detail);
}
