// The status of one QuickBase API request, owned by whoever made the call
// (a statement, a table cursor, the connection).
#pragma once

#include <cstdint>
#include <string>

// Where a failure came from; it picks the SQLSTATE and the "[QuickBase]" or
// "[HTTP]" origin of the rendered diagnostic. kCanceled: SQLCancel stopped
// the call before the request was sent.
enum class ApiFailureOrigin : std::uint8_t { kService, kHttp, kTimeout, kCanceled };

struct ApiCallRecord {
  std::string errcode = "0";  // "0" is success
  std::string errtext;
  std::string errdetail;
  std::string contentType;
  std::string contentLength;
  std::string attachmentFileName;
  ApiFailureOrigin origin = ApiFailureOrigin::kService;
  // The last request went out whole and no verdict came back (the connection
  // failed, or the reply was cut, malformed or late): the service may have
  // acted on it.
  bool outcomeUnknown = false;
  std::uint64_t requestCount = 0;
  std::uint64_t failureCount = 0;
};
