// The connection's session with the service: credentials, ticket,
// application token, the user's id and the HTTPS transport. Every API
// operation sends through it; the connect routine fills it from the settings.
#pragma once

#include <map>
#include <string>

#include "qbapi/api_call_record.h"
#include "qbapi/http_transport.h"

struct ApiSession {
  std::string userName;
  std::string password;
  std::string ticket;    // held once API_Authenticate succeeded
  std::string appToken;  // sent with every request when set
  std::string userId;    // the service's id of the user; empty until known
  std::map<std::string, std::string> userNames;  // user id to display name, from <lusers>
  ApiCallRecord callRecord;
  HttpTransport transport;
};

// The credential block of a request: the ticket once one is held, else user
// name and password; the application token whenever one is set.
std::string BuildCredentialBlock(const ApiSession& session);
