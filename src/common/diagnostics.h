// Turning a stored message id and detail into SQLSTATEs and message text, and
// recording the service's failures on the connection and its statement.
#pragma once

#include <string>

#include "common/message_ids.h"
#include "handles/handle_diagnostic.h"

struct ConnectionRecord;
struct ApiCallRecord;

// A diagnostic split into its parts, ready for SQLGetDiagRec or SQLError.
struct RenderedMessage {
  std::string odbc2State;  // 5 characters
  std::string odbc3State;  // 5 characters
  std::string text;        // "[Tarvox ODBC]..." with "%s" filled, at most 511 bytes
};

inline constexpr std::size_t kMaxMessageText = 511;

// A service's or the transport's text is kept to the bound of a
// diagnostic's detail: longer, it is cut on a character boundary and ends
// in kCutMarker, within the bound. A server's error text can be megabytes.
inline constexpr std::size_t kMaxRecordedText = 65535;
inline constexpr const char* kCutMarker = "[...]";
void CutRecordedText(std::string& text);

// The message table's entry for id, or messageText for a service failure
// (999) or an id the table lacks; the first "%s" takes detailText. The detail
// is inserted as data, never used as a format.
RenderedMessage RenderMessage(MessageId id, const std::string& detailText, const std::string& messageText);
// The stored diagnostic rendered, its context text after the message.
RenderedMessage RenderDiagnostic(const HandleDiagnostic& diagnostic);

// The SQLSTATE that an ODBC 2 or ODBC 3 application expects.
inline const std::string& SqlStateForVersion(const RenderedMessage& message, int odbcVersion) {
  return odbcVersion == 2 ? message.odbc2State : message.odbc3State;
}

// The whole message in the table's layout: "S1000 HY000 [Tarvox][QuickBase]errtext errdetail".
std::string FormatServerErrorText(const ApiCallRecord& call);
// What the service or the transport said, without SQLSTATEs or driver prefix:
// "[QuickBase]errtext errdetail" or "[HTTP]...".
std::string ServerErrorCause(const ApiCallRecord& call);

// Records a failed service call: 999 on the record's current statement (the
// errdetail as detail text, the rendered text as message text) and the same
// text as the connection's message text.
void PostServerError(ConnectionRecord& record, const ApiCallRecord& call);

// Renders the record's last message id (999: its last service error), cut to
// 511 characters.
void GetConnectionErrorText(const ConnectionRecord& record, std::string& out);
