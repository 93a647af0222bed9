// The envelope of every reply: errcode, errtext and errdetail under the
// qdbapi root, read into the call record as success, the service's failure
// or a malformed reply. Shared by the element-tree and streaming readers.
#pragma once

#include <string>

#include "common/message_ids.h"
#include "qbapi/api_call_record.h"
#include "qbapi/xml_reply.h"

// The envelope of a reply as a reader without an element tree saw it: the
// root element's name and the first errcode, errtext and errdetail in it.
struct ReplyEnvelope {
  std::string rootName;
  bool hasErrcode = false;
  std::string errcode;
  std::string errtext;
  std::string errdetail;
};

// The envelope's verdict, with the same rules as ReadReplyEnvelope.
MessageId CheckReplyEnvelope(const ReplyEnvelope& envelope, ApiCallRecord& call);
// Records a reply that could not be read (transport origin); returns 999.
MessageId RecordMalformedReply(ApiCallRecord& call, const std::string& detail);

// Reads errcode, errtext and errdetail of a parsed reply into the call
// record: 0 for errcode "0", 999 otherwise (a missing or non-numeric errcode
// or a foreign root element is a malformed reply).
MessageId ReadReplyEnvelope(const XmlElement& root, ApiCallRecord& call);

// Parses a reply body and reads its envelope; a body that is not XML is a
// malformed reply (transport origin).
MessageId InterpretXmlReply(const std::string& body, XmlElement& root, ApiCallRecord& call);
