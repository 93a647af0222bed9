// Reading a reply's envelope into the call record.
#include "qbapi/reply_envelope.h"

#include "qbapi/http_transport.h"

namespace {

bool IsDecimalInteger(const std::string& text) {
  std::size_t start = !text.empty() && text[0] == '-' ? 1 : 0;
  if (text.size() == start) return false;
  for (std::size_t i = start; i < text.size(); ++i)
    if (text[i] < '0' || text[i] > '9') return false;
  return true;
}

}  // namespace

MessageId RecordMalformedReply(ApiCallRecord& call, const std::string& detail) {
  RecordTransportFailure(call, ApiFailureOrigin::kHttp, "-1", "Malformed reply from the service", detail);
  // A reply came, so the request had arrived; what it did can't be read.
  call.outcomeUnknown = true;
  return kMsgServerError;
}

MessageId CheckReplyEnvelope(const ReplyEnvelope& envelope, ApiCallRecord& call) {
  if (envelope.rootName != "qdbapi")
    return RecordMalformedReply(call, "unexpected root element <" + envelope.rootName + ">");
  if (!envelope.hasErrcode || !IsDecimalInteger(envelope.errcode))
    return RecordMalformedReply(call, "reply without a numeric errcode");
  call.errcode = envelope.errcode;
  SetCallTexts(call, envelope.errtext, envelope.errdetail);
  call.origin = ApiFailureOrigin::kService;
  call.outcomeUnknown = false;
  if (call.errcode == "0") return kMsgSuccess;
  ++call.failureCount;
  return kMsgServerError;
}

MessageId ReadReplyEnvelope(const XmlElement& root, ApiCallRecord& call) {
  ReplyEnvelope envelope;
  envelope.rootName = root.name;
  const XmlElement* errcode = FindChild(root, "errcode");
  envelope.hasErrcode = errcode != nullptr;
  if (errcode != nullptr) envelope.errcode = errcode->text;
  envelope.errtext = ChildText(root, "errtext");
  envelope.errdetail = ChildText(root, "errdetail");
  return CheckReplyEnvelope(envelope, call);
}

MessageId InterpretXmlReply(const std::string& body, XmlElement& root, ApiCallRecord& call) {
  std::string error;
  if (!ParseXmlDocument(body, root, error)) return RecordMalformedReply(call, error);
  return ReadReplyEnvelope(root, call);
}
