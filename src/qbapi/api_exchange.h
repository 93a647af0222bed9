// One API request and its reply, shared by every API operation: compose the
// body with the session's credentials, POST it, check the HTTP status, parse
// the XML envelope and renew an expired ticket once.
#pragma once

#include <string>

#include "common/message_ids.h"
#include "qbapi/api_session.h"
#include "qbapi/http_transport.h"
#include "qbapi/xml_reply.h"
#include "qbapi/xml_request.h"

// Sends action to /db/main (empty dbid) or /db/<dbid> and parses the XML
// reply into root. 0 when the service answered errcode 0; otherwise 999 with
// the call record holding the service's errcode, errtext and errdetail (or
// the transport's). A refused ticket (errcode 4) is renewed once with
// API_Authenticate and the request sent again.
MessageId ApiExchange(ApiSession& session, ApiCallRecord& call, const std::string& dbid, const std::string& action,
                      const XmlRequest& params, XmlElement& root);

// The same with an explicit credential block and no renewal (API_Authenticate
// itself sends user name and password whatever the session holds).
MessageId ApiExchangeWithCredentials(ApiSession& session, ApiCallRecord& call, const std::string& dbid,
                                     const std::string& action, const std::string& credentials,
                                     const XmlRequest& params, XmlElement& root);

// For actions whose successful reply is not XML (API_GenResultsTable with
// csv): the body text on success; an XML body is read as an error envelope.
MessageId ApiExchangeText(ApiSession& session, ApiCallRecord& call, const std::string& dbid,
                          const std::string& action, const XmlRequest& params, std::string& text);

struct QueryPage;

// API_DoQuery with the reply read as it streams into a page of records
// (query_reply_reader.h) instead of an element tree; the same renewal.
MessageId ApiExchangeQueryPage(ApiSession& session, ApiCallRecord& call, const std::string& dbid,
                               const XmlRequest& params, QueryPage& page);

// Records a request refused before it was sent, as the service would report
// it (origin kService); returns 999.
MessageId RecordServiceFailure(ApiCallRecord& call, const std::string& code, const std::string& text,
                               const std::string& detail);

// True for the service's dbid shape: 6 to 13 characters of its own alphabet
// (checked before a dbid enters a URL).
bool IsPlausibleDbid(const std::string& dbid);
