// The credential block that precedes the parameters of every request.
#include "qbapi/api_session.h"

#include "qbapi/xml_request.h"

std::string BuildCredentialBlock(const ApiSession& session) {
  XmlRequest block;
  if (!session.ticket.empty()) {
    AddXmlElement(block, "ticket", session.ticket);
  } else {
    AddXmlElement(block, "username", session.userName);
    AddXmlElement(block, "password", session.password);
  }
  if (!session.appToken.empty()) AddXmlElement(block, "apptoken", session.appToken);
  return block.fragment;
}
