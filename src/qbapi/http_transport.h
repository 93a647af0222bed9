// The HTTPS transport of an ApiSession on libcurl: one reusable easy handle,
// timeouts, proxy choice, certificate verification and a connection of its
// own for every write. The API exchange and the attachment download call it.
#pragma once

#include <curl/curl.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "common/message_ids.h"
#include "platform/files.h"
#include "qbapi/api_call_record.h"

struct TransportSettings {
  std::string baseUrl = "https://www.quickbase.com";  // scheme://host[:port], no trailing '/'
  // Milliseconds; 0 means no limit. Resolve and connect together bound the
  // connection; send and receive bound a stall while writing or reading, and
  // their sum the whole of a request whose reply is read into memory.
  long resolveTimeoutMs = 60000;
  long connectTimeoutMs = 60000;
  long sendTimeoutMs = 60000;
  long receiveTimeoutMs = 60000;
  bool useEnvironmentProxy = false;
  std::string proxyName;  // explicit proxy; wins over the environment's
  std::string caFile;     // extra trust anchor for a private CA; verification stays on
  std::string userAgent = "Tarvox ODBC";
};

// Owns a curl easy handle for the session's lifetime, so connections are
// reused between requests.
struct CurlEasyHolder {
  CURL* handle = nullptr;
  CurlEasyHolder() = default;
  CurlEasyHolder(const CurlEasyHolder&) = delete;
  CurlEasyHolder& operator=(const CurlEasyHolder&) = delete;
  ~CurlEasyHolder();
};

struct HttpTransport {
  TransportSettings settings;
  CurlEasyHolder curl;
  // The last query page's reply. Pages come one after another at much the
  // same size; reusing the buffer spares each a fresh, growing allocation.
  std::string pageBody;
  // While a statement's call runs: its cancel request, checked before each
  // request is sent (a request already under way is left to finish, so a
  // write is never cut off halfway).
  const std::atomic<bool>* cancelRequest = nullptr;
};

struct HttpReply {
  long status = 0;
  std::string contentType;
  std::string body;
  std::string ticketCookie;  // the TICKET cookie, when the reply set one
};

// How a request may travel. A write goes out on a connection of its own:
// libcurl sends a request once more by itself when a reused connection dies
// before any answer, and the first copy may already have been acted on.
enum class RequestKind : std::uint8_t { kRead, kWrite };

// POSTs an XML body to baseUrl + path with the QUICKBASE-ACTION header.
// 0 when an HTTP reply arrived (any status); otherwise 999 with the call
// record describing the transport failure (origin kHttp, kTimeout or
// kCanceled), its outcomeUnknown set when the whole request had gone out: a
// reply body above 64 MiB or a request running past the sum of the send and
// receive timeouts ends it. The reply is reset, but its body's capacity is
// kept for the new body.
MessageId HttpPostXml(HttpTransport& transport, const std::string& path, const std::string& action,
                      const std::string& body, RequestKind kind, HttpReply& reply, ApiCallRecord& call);

// GETs baseUrl + path with the TICKET cookie into an open file. 0 on a 200
// reply; otherwise 999 with the call record filled. A stall ends it as it
// ends any request; a file growing past maxBytes or a transfer running past
// the sum of the send and receive timeouts is cut short (origin kHttp).
MessageId HttpDownloadToFile(HttpTransport& transport, const std::string& path, const std::string& ticket,
                             PlatformFile file, std::uint64_t maxBytes, std::uint64_t& bytesWritten,
                             ApiCallRecord& call);

// Records a transport failure: errcode, errtext, errdetail and origin.
MessageId RecordTransportFailure(ApiCallRecord& call, ApiFailureOrigin origin, const std::string& code,
                                 const std::string& text, const std::string& detail);
