// Rendering of diagnostics from the compiled-in message table, and the
// posting of service failures.
#include "common/diagnostics.h"

#include "common/utf16_text.h"

#include "handles/api_call_record.h"
#include "handles/connection_record.h"
#include "handles/handles.h"
#include "handles/statement_handle.h"
#include "platform/message_resources.h"

namespace {

// Cuts text to the message limit without splitting a UTF-8 sequence.
void CutToMessageLimit(std::string& text) { text.resize(CutUtf8(text, kMaxMessageText)); }

std::string FillDetail(const std::string& text, const std::string& detail) {
  std::size_t slot = text.find("%s");
  if (slot == std::string::npos) return text;
  return text.substr(0, slot) + detail + text.substr(slot + 2);
}

}  // namespace

void CutRecordedText(std::string& text) {
  if (text.size() <= kMaxRecordedText) return;
  const std::string_view marker(kCutMarker);
  text.resize(CutUtf8(text, kMaxRecordedText - marker.size()));
  text += marker;
}

RenderedMessage RenderMessage(MessageId id, const std::string& detailText, const std::string& messageText) {
  const char* resource = id == kMsgServerError ? nullptr : LoadMessageResource(id);
  std::string work = resource != nullptr ? std::string(resource) : messageText;
  RenderedMessage out;
  if (work.size() < 12) {
    // A missing or malformed text still yields a usable general-error state.
    out.odbc2State = "S1000";
    out.odbc3State = "HY000";
    out.text = work;
    return out;
  }
  out.odbc2State = work.substr(0, 5);
  out.odbc3State = work.substr(6, 5);
  // Only the table's own texts have a "%s" slot; a service's text may hold
  // "%s" literally and must come through unchanged.
  out.text = resource != nullptr ? FillDetail(work.substr(12), detailText) : work.substr(12);
  CutToMessageLimit(out.text);
  return out;
}

RenderedMessage RenderDiagnostic(const HandleDiagnostic& diagnostic) {
  RenderedMessage out = RenderMessage(diagnostic.messageId, diagnostic.detailText, diagnostic.messageText);
  if (diagnostic.contextText.empty()) return out;
  // The message gives up its end so that the context always fits: the
  // application needs both what failed and where.
  const std::size_t context = diagnostic.contextText.size() + 1;
  out.text.resize(CutUtf8(out.text, context < kMaxMessageText ? kMaxMessageText - context : 0));
  out.text += ' ';
  out.text += diagnostic.contextText;
  CutToMessageLimit(out.text);
  return out;
}

std::string FormatServerErrorText(const ApiCallRecord& call) {
  std::string states = "S1000 HY000 ";
  if (call.origin == ApiFailureOrigin::kHttp)
    states = "08S01 08S01 ";
  else if (call.origin == ApiFailureOrigin::kTimeout)
    states = "S1T00 HYT00 ";
  else if (call.origin == ApiFailureOrigin::kCanceled)
    states = "S1008 HY008 ";
  return states + "[Tarvox]" + ServerErrorCause(call);
}

std::string ServerErrorCause(const ApiCallRecord& call) {
  std::string text = call.origin == ApiFailureOrigin::kService ? "[QuickBase]" : "[HTTP]";
  text += call.errtext;
  if (!call.errdetail.empty()) text += " " + call.errdetail;
  return text;
}

void PostServerError(ConnectionRecord& record, const ApiCallRecord& call) {
  std::string text = FormatServerErrorText(call);
  CutToMessageLimit(text);
  record.lastMessageId = kMsgServerError;
  record.lastServerError = call;
  record.lastMessageText = text;
  if (record.currentStatement != nullptr) {
    HandleDiagnostic& diagnostic = record.currentStatement->diagnostic;
    diagnostic.messageId = kMsgServerError;
    diagnostic.detailText = call.errdetail;
    diagnostic.messageText = text;
  }
  if (record.connection != nullptr) record.connection->diagnostic.messageText = text;
}

void GetConnectionErrorText(const ConnectionRecord& record, std::string& out) {
  if (record.lastMessageId == kMsgServerError) {
    out = FormatServerErrorText(record.lastServerError);
  } else {
    const char* resource = LoadMessageResource(record.lastMessageId);
    out = resource != nullptr ? resource : "";
  }
  CutToMessageLimit(out);
}
