// The request/reply cycle of every API action and the ticket renewal.
#include "qbapi/api_exchange.h"

#include <string_view>

#include "qbapi/api_operations.h"
#include "qbapi/query_reply_reader.h"
#include "qbapi/reply_envelope.h"

namespace {

std::string ActionPath(const std::string& dbid) { return dbid.empty() ? "/db/main" : "/db/" + dbid; }

// Every action that changes nothing on the service; any other is a write.
RequestKind KindOfAction(std::string_view action) {
  static constexpr std::string_view kReads[] = {"API_Authenticate", "API_GetUserInfo", "API_GrantedDBs",
                                                "API_FindDBByName", "API_GetSchema",   "API_DoQuery",
                                                "API_GenResultsTable"};
  for (std::string_view read : kReads)
    if (action == read) return RequestKind::kRead;
  return RequestKind::kWrite;
}

// A refusal at the door: the server turned the request away without acting
// on it (4xx, or 503 overloaded or down for maintenance). Any other status,
// such as a gateway's 502 or 504, may come after the service acted.
bool StatusProvesNothingDone(long status) { return (status >= 400 && status < 500) || status == 503; }

// Posts the request; 0 only for an HTTP 200 reply, whose content type and
// length go to the call record.
MessageId PostRequest(ApiSession& session, ApiCallRecord& call, const std::string& dbid, const std::string& action,
                      const std::string& credentials, const XmlRequest& params, HttpReply& reply) {
  if (!dbid.empty() && !IsPlausibleDbid(dbid))
    return RecordServiceFailure(call, "14", "Invalid dbid", dbid);
  std::string body = WrapXmlRequest(credentials, params);
  MessageId id = HttpPostXml(session.transport, ActionPath(dbid), action, body, KindOfAction(action), reply, call);
  if (id != kMsgSuccess) return id;
  if (reply.status != 200) {
    RecordTransportFailure(call, ApiFailureOrigin::kHttp, std::to_string(reply.status),
                           "HTTP status " + std::to_string(reply.status), action + " " + ActionPath(dbid));
    call.outcomeUnknown = !StatusProvesNothingDone(reply.status);
    return kMsgServerError;
  }
  call.contentType = reply.contentType;
  call.contentLength = std::to_string(reply.body.size());
  return kMsgSuccess;
}

bool LooksLikeXml(const HttpReply& reply) {
  if (!reply.contentType.empty()) return reply.contentType.find("xml") != std::string::npos;
  std::size_t first = reply.body.find_first_not_of(" \t\r\n");
  return first != std::string::npos && reply.body[first] == '<';
}

// Only a ticket the session sent can be renewed, and only with the user's
// name and password to hand.
bool ShouldRenewTicket(const ApiSession& session, const ApiCallRecord& call, bool sentTicket) {
  return sentTicket && call.origin == ApiFailureOrigin::kService && call.errcode == "4" &&
         !session.userName.empty();
}

// Runs one exchange and, when the service refused the ticket it carried,
// renews the ticket and runs it once more.
template <typename Exchange>
MessageId WithTicketRenewal(ApiSession& session, ApiCallRecord& call, Exchange exchange) {
  bool sentTicket = !session.ticket.empty();
  MessageId id = exchange();
  if (id == kMsgSuccess || !ShouldRenewTicket(session, call, sentTicket)) return id;
  session.ticket.clear();
  id = ApiAuthenticate(session, call);
  if (id != kMsgSuccess) return id;
  return exchange();
}

}  // namespace

MessageId RecordServiceFailure(ApiCallRecord& call, const std::string& code, const std::string& text,
                               const std::string& detail) {
  call.errcode = code;
  SetCallTexts(call, text, detail);
  call.origin = ApiFailureOrigin::kService;
  call.outcomeUnknown = false;
  ++call.failureCount;
  return kMsgServerError;
}

bool IsPlausibleDbid(const std::string& dbid) {
  // The service never issues 0, 1, l or o, nor capitals.
  static constexpr std::string_view kAlphabet = "abcdefghijkmnpqrstuvwxyz23456789";
  return dbid.size() >= 6 && dbid.size() <= 13 && dbid.find_first_not_of(kAlphabet) == std::string::npos;
}

MessageId ApiExchangeWithCredentials(ApiSession& session, ApiCallRecord& call, const std::string& dbid,
                                     const std::string& action, const std::string& credentials,
                                     const XmlRequest& params, XmlElement& root) {
  HttpReply reply;
  MessageId id = PostRequest(session, call, dbid, action, credentials, params, reply);
  if (id != kMsgSuccess) return id;
  return InterpretXmlReply(reply.body, root, call);
}

MessageId ApiExchange(ApiSession& session, ApiCallRecord& call, const std::string& dbid, const std::string& action,
                      const XmlRequest& params, XmlElement& root) {
  return WithTicketRenewal(session, call, [&] {
    return ApiExchangeWithCredentials(session, call, dbid, action, BuildCredentialBlock(session), params, root);
  });
}

MessageId ApiExchangeText(ApiSession& session, ApiCallRecord& call, const std::string& dbid,
                          const std::string& action, const XmlRequest& params, std::string& text) {
  text.clear();
  return WithTicketRenewal(session, call, [&] {
    HttpReply reply;
    MessageId id = PostRequest(session, call, dbid, action, BuildCredentialBlock(session), params, reply);
    if (id != kMsgSuccess) return id;
    if (!LooksLikeXml(reply)) {
      text = std::move(reply.body);
      // assign(1, '0') rather than = "0": g++ 12 misreads the literal's copy
      // here as an overlapping one (-Wrestrict).
      call.errcode.assign(1, '0');
      call.errtext.clear();
      call.errdetail.clear();
      return kMsgSuccess;
    }
    XmlElement root;
    return InterpretXmlReply(reply.body, root, call);
  });
}

MessageId ApiExchangeQueryPage(ApiSession& session, ApiCallRecord& call, const std::string& dbid,
                               const XmlRequest& params, QueryPage& page) {
  return WithTicketRenewal(session, call, [&] {
    HttpReply reply;
    reply.body.swap(session.transport.pageBody);
    MessageId id = PostRequest(session, call, dbid, "API_DoQuery", BuildCredentialBlock(session), params, reply);
    if (id == kMsgSuccess) id = ReadQueryReply(reply.body, page, call);
    reply.body.swap(session.transport.pageBody);
    return id;
  });
}
