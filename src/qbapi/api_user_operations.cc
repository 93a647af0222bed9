// API_Authenticate and API_GetUserInfo: who the session's user is.
#include "qbapi/api_exchange.h"
#include "qbapi/api_operations.h"
#include "qbapi/reply_envelope.h"

MessageId ApiAuthenticate(ApiSession& session, ApiCallRecord& call) {
  XmlRequest credentials;
  AddXmlElement(credentials, "username", session.userName);
  AddXmlElement(credentials, "password", session.password);
  if (!session.appToken.empty()) AddXmlElement(credentials, "apptoken", session.appToken);
  XmlElement root;
  MessageId id =
      ApiExchangeWithCredentials(session, call, "", "API_Authenticate", credentials.fragment, XmlRequest{}, root);
  if (id != kMsgSuccess) return id;
  // Without a ticket every later request would fail as signed out.
  const std::string& ticket = ChildText(root, "ticket");
  if (ticket.empty()) return RecordMalformedReply(call, "sign-in reply without <ticket>");
  session.ticket = ticket;
  const std::string& userId = ChildText(root, "userid");
  if (!userId.empty()) session.userId = userId;
  return kMsgSuccess;
}

MessageId ApiGetUserInfo(ApiSession& session, std::string& userId, ApiCallRecord& call) {
  XmlElement root;
  MessageId id = ApiExchange(session, call, "", "API_GetUserInfo", XmlRequest{}, root);
  if (id != kMsgSuccess) return id;
  const XmlElement* user = FindChild(root, "user");
  const std::string* attribute = user == nullptr ? nullptr : FindAttribute(*user, "id");
  if (attribute != nullptr) session.userId = *attribute;
  userId = session.userId;
  return kMsgSuccess;
}
