// libcurl requests of the API client: the XML POST of every action and the
// GET of attachment downloads, with stall detection, the bounds that keep a
// hostile server from holding a request forever or filling memory, and
// failure recording.
#include "qbapi/http_transport.h"

#include <chrono>

#include "common/url_credentials.h"
#include "platform/proxy_environment.h"
#include "platform/text_fold.h"

namespace {

using Clock = std::chrono::steady_clock;

// Replies read into memory (query pages of 1000 records included) stay far
// below this in practice; a larger one is taken for a broken or hostile
// server, since reading on could exhaust the host's memory.
constexpr std::size_t kMaxReplyBytes = std::size_t{64} * 1024 * 1024;
constexpr const char* kReplyTooLargeText = "Reply larger than 64 MiB";

// A server that trickles a byte now and then never stalls, so a reply read
// into memory is also bounded as a whole: by the send and receive timeouts
// together. 0: either is unlimited, and so is the request.
long RequestDeadlineMs(const TransportSettings& settings) {
  if (settings.sendTimeoutMs <= 0 || settings.receiveTimeoutMs <= 0) return 0;
  return settings.sendTimeoutMs + settings.receiveTimeoutMs;
}

// libcurl's own words about a failure may quote a URL it misread (the
// server's, or the proxy's from the settings or the environment),
// credentials and all; with credentials about, only its generic text for
// the code is used.
bool CurlWordsAreSafe(const TransportSettings& settings) {
  if (HoldsUrlCredentials(settings.baseUrl) || HoldsUrlCredentials(settings.proxyName)) return false;
  if (!settings.useEnvironmentProxy || !settings.proxyName.empty()) return true;
  for (const std::string& proxy : ProxyEnvironmentValues())
    if (HoldsUrlCredentials(proxy)) return false;
  return true;
}

void InitialiseCurlOnce() {
  static const bool initialised = (curl_global_init(CURL_GLOBAL_DEFAULT), true);
  (void)initialised;
}

// libcurl 7.88 makes its sockets without close-on-exec, so every program
// the application starts would inherit the service's connections.
curl_socket_t OpenTransportSocket(void*, curlsocktype, curl_sockaddr* address) {
  return OpenSocket(address->family, address->socktype, address->protocol);
}

struct CurlHeaderList {
  curl_slist* list = nullptr;
  CurlHeaderList() = default;
  CurlHeaderList(const CurlHeaderList&) = delete;
  CurlHeaderList& operator=(const CurlHeaderList&) = delete;
  ~CurlHeaderList() { curl_slist_free_all(list); }
  bool Add(const std::string& header) {
    curl_slist* grown = curl_slist_append(list, header.c_str());
    if (grown == nullptr) return false;
    list = grown;
    return true;
  }
};

// What the callbacks of one transfer share.
struct TransferState {
  HttpReply* reply = nullptr;
  CURL* curl = nullptr;
  PlatformFile file = kNoFile;  // set for downloads, which bypass reply->body
  std::uint64_t bytesWritten = 0;
  std::uint64_t maxFileBytes = 0;
  bool fileFailed = false;
  std::string cutShort;  // why one of the driver's own bounds ended the transfer
  long sendTimeoutMs = 0;
  long receiveTimeoutMs = 0;
  long deadlineMs = 0;  // downloads only: the whole transfer, as libcurl bounds the other requests
  Clock::time_point start = Clock::now();
  Clock::time_point lastActivity = start;
  curl_off_t lastDown = -1;
  curl_off_t lastUp = -1;
  bool timedOut = false;
};

bool IsSuccessStatus(const TransferState& state) {
  long status = 0;
  curl_easy_getinfo(state.curl, CURLINFO_RESPONSE_CODE, &status);
  return status == 200;
}

size_t WriteBody(char* data, size_t size, size_t count, void* user) {
  auto* state = static_cast<TransferState*>(user);
  size_t bytes = size * count;
  std::string& body = state->reply->body;
  if (state->file == kNoFile) {
    if (body.size() + bytes > kMaxReplyBytes) {
      state->cutShort = kReplyTooLargeText;
      return 0;  // anything but bytes ends the transfer
    }
    body.append(data, bytes);
    return bytes;
  }
  if (!IsSuccessStatus(*state)) {
    // An error page of a download is kept for the diagnostic, not written
    // into the attachment file.
    if (body.size() < 4096) body.append(data, bytes);
    return bytes;
  }
  if (state->bytesWritten + bytes > state->maxFileBytes) {
    state->cutShort = "Attachment larger than " + std::to_string(state->maxFileBytes) + " bytes";
    return 0;
  }
  if (!WriteWholeBuffer(state->file, data, bytes)) {
    state->fileFailed = true;
    return 0;
  }
  state->bytesWritten += bytes;
  return bytes;
}

// The service hands out the ticket as a cookie too; the download path needs it.
void CaptureTicketCookie(std::string_view line, HttpReply& reply) {
  constexpr std::string_view kHeader = "set-cookie:";
  if (line.size() < kHeader.size() || !EqualFoldedAZ(line.substr(0, kHeader.size()), kHeader)) return;
  std::string_view value = line.substr(kHeader.size());
  while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
  constexpr std::string_view kName = "TICKET=";
  if (value.substr(0, kName.size()) != kName) return;
  value.remove_prefix(kName.size());
  std::size_t end = value.find_first_of(";\r\n");
  reply.ticketCookie = std::string(value.substr(0, end));
}

size_t ReadHeader(char* data, size_t size, size_t count, void* user) {
  auto* state = static_cast<TransferState*>(user);
  size_t bytes = size * count;
  CaptureTicketCookie(std::string_view(data, bytes), *state->reply);
  return bytes;
}

long MillisecondsBetween(Clock::time_point from, Clock::time_point to) {
  return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count());
}

// A stall is judged by progress, not by total time; the whole of a download
// by its deadline, so that a server trickling bytes can't hold it for ever.
int WatchProgress(void* user, curl_off_t downloadTotal, curl_off_t downloaded, curl_off_t uploadTotal,
                  curl_off_t uploaded) {
  (void)downloadTotal;
  auto* state = static_cast<TransferState*>(user);
  Clock::time_point now = Clock::now();
  if (state->deadlineMs > 0 && MillisecondsBetween(state->start, now) >= state->deadlineMs) {
    state->cutShort = "Attachment download took longer than " + std::to_string(state->deadlineMs) + " ms";
    return 1;
  }
  if (downloaded != state->lastDown || uploaded != state->lastUp) {
    state->lastDown = downloaded;
    state->lastUp = uploaded;
    state->lastActivity = now;
    return 0;
  }
  bool sending = uploadTotal > 0 && uploaded < uploadTotal;
  long limit = sending ? state->sendTimeoutMs : state->receiveTimeoutMs;
  if (limit <= 0) return 0;
  if (MillisecondsBetween(state->lastActivity, now) < limit) return 0;
  state->timedOut = true;
  return 1;
}

void SetCommonOptions(CURL* curl, const TransportSettings& settings, const std::string& url, TransferState& state,
                      char* errorBuffer) {
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_OPENSOCKETFUNCTION, OpenTransportSocket);
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, settings.userAgent.c_str());
  curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
  if (!settings.caFile.empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, settings.caFile.c_str());
  if (!settings.proxyName.empty()) {
    curl_easy_setopt(curl, CURLOPT_PROXY, settings.proxyName.c_str());
  } else if (!settings.useEnvironmentProxy) {
    // An empty proxy keeps libcurl from taking http_proxy and friends.
    curl_easy_setopt(curl, CURLOPT_PROXY, "");
  }
  if (settings.resolveTimeoutMs > 0 && settings.connectTimeoutMs > 0)
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, settings.resolveTimeoutMs + settings.connectTimeoutMs);
  state.sendTimeoutMs = settings.sendTimeoutMs;
  state.receiveTimeoutMs = settings.receiveTimeoutMs;
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &state);
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, ReadHeader);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, &state);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, WatchProgress);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &state);
}

bool PrepareHandle(HttpTransport& transport) {
  InitialiseCurlOnce();
  if (transport.curl.handle == nullptr) transport.curl.handle = curl_easy_init();
  if (transport.curl.handle == nullptr) return false;
  // Reset drops the previous request's options but keeps the live connection.
  curl_easy_reset(transport.curl.handle);
  return true;
}

MessageId RecordCurlFailure(CURLcode result, const TransferState& state, const char* errorBuffer,
                            const TransportSettings& settings, const std::string& url, ApiCallRecord& call) {
  std::string code = std::to_string(static_cast<int>(result));
  const std::string shownUrl = MaskUrlPassword(url);
  const bool curlWords = errorBuffer[0] != '\0' && CurlWordsAreSafe(settings);
  if (!state.cutShort.empty())
    return RecordTransportFailure(call, ApiFailureOrigin::kHttp, code, state.cutShort, shownUrl);
  if (state.timedOut || result == CURLE_OPERATION_TIMEDOUT) {
    std::string detail = curlWords && !state.timedOut ? std::string(errorBuffer)
                                                      : "no reply from " + shownUrl + " in time";
    return RecordTransportFailure(call, ApiFailureOrigin::kTimeout, code, "Request timed out", detail);
  }
  if (state.fileFailed)
    return RecordTransportFailure(call, ApiFailureOrigin::kHttp, code, "Could not write the downloaded file",
                                  shownUrl);
  std::string detail = curlWords ? std::string(errorBuffer) : shownUrl;
  return RecordTransportFailure(call, ApiFailureOrigin::kHttp, code, curl_easy_strerror(result), detail);
}

bool CancelRequested(const HttpTransport& transport) {
  return transport.cancelRequest != nullptr && transport.cancelRequest->load();
}

MessageId RecordCancel(ApiCallRecord& call) {
  return RecordTransportFailure(call, ApiFailureOrigin::kCanceled, "-1", "Operation canceled", "");
}

// Whether the service can have received the whole request: every byte of
// the body was handed to the connection.
bool RequestWentOut(CURL* curl, curl_off_t bodySize) {
  curl_off_t uploaded = 0;
  curl_easy_getinfo(curl, CURLINFO_SIZE_UPLOAD_T, &uploaded);
  return uploaded >= bodySize;
}

MessageId PerformTransfer(HttpTransport& transport, const std::string& url, TransferState& state,
                          const char* errorBuffer, ApiCallRecord& call, curl_off_t bodySize) {
  CURLcode result = curl_easy_perform(transport.curl.handle);
  if (result != CURLE_OK) {
    RecordCurlFailure(result, state, errorBuffer, transport.settings, url, call);
    call.outcomeUnknown = bodySize > 0 && RequestWentOut(transport.curl.handle, bodySize);
    return kMsgServerError;
  }
  curl_easy_getinfo(transport.curl.handle, CURLINFO_RESPONSE_CODE, &state.reply->status);
  char* contentType = nullptr;
  curl_easy_getinfo(transport.curl.handle, CURLINFO_CONTENT_TYPE, &contentType);
  if (contentType != nullptr) state.reply->contentType = contentType;
  return kMsgSuccess;
}

}  // namespace

CurlEasyHolder::~CurlEasyHolder() {
  if (handle != nullptr) curl_easy_cleanup(handle);
}

MessageId RecordTransportFailure(ApiCallRecord& call, ApiFailureOrigin origin, const std::string& code,
                                 const std::string& text, const std::string& detail) {
  call.errcode = code.empty() || code == "0" ? "-1" : code;
  SetCallTexts(call, text, detail);
  call.origin = origin;
  ++call.failureCount;
  return kMsgServerError;
}

MessageId HttpPostXml(HttpTransport& transport, const std::string& path, const std::string& action,
                      const std::string& body, RequestKind kind, HttpReply& reply, ApiCallRecord& call) {
  call.outcomeUnknown = false;
  std::string keptBody = std::move(reply.body);
  keptBody.clear();
  reply = HttpReply{};
  reply.body = std::move(keptBody);
  if (CancelRequested(transport)) return RecordCancel(call);
  std::string url = transport.settings.baseUrl + path;
  if (!PrepareHandle(transport))
    return RecordTransportFailure(call, ApiFailureOrigin::kHttp, "-1", "Could not start an HTTP request",
                                  MaskUrlPassword(url));
  CurlHeaderList headers;
  // "Expect:" stops libcurl from waiting for 100-continue before larger bodies.
  if (!headers.Add("Content-Type: application/xml; charset=utf-8") || !headers.Add("QUICKBASE-ACTION: " + action) ||
      !headers.Add("Expect:"))
    return RecordTransportFailure(call, ApiFailureOrigin::kHttp, "-1", "Out of memory building the request",
                                  MaskUrlPassword(url));
  TransferState state;
  state.reply = &reply;
  char errorBuffer[CURL_ERROR_SIZE] = {0};
  CURL* curl = transport.curl.handle;
  SetCommonOptions(curl, transport.settings, url, state, errorBuffer);
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.list);
  curl_easy_setopt(curl, CURLOPT_POST, 1L);
  curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
  curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
  if (long deadline = RequestDeadlineMs(transport.settings); deadline > 0)
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, deadline);
  if (kind == RequestKind::kWrite) curl_easy_setopt(curl, CURLOPT_FRESH_CONNECT, 1L);
  ++call.requestCount;
  return PerformTransfer(transport, url, state, errorBuffer, call, static_cast<curl_off_t>(body.size()));
}

MessageId HttpDownloadToFile(HttpTransport& transport, const std::string& path, const std::string& ticket,
                             PlatformFile file, std::uint64_t maxBytes, std::uint64_t& bytesWritten,
                             ApiCallRecord& call) {
  bytesWritten = 0;
  if (CancelRequested(transport)) return RecordCancel(call);
  std::string url = transport.settings.baseUrl + path;
  if (!PrepareHandle(transport))
    return RecordTransportFailure(call, ApiFailureOrigin::kHttp, "-1", "Could not start an HTTP request",
                                  MaskUrlPassword(url));
  HttpReply reply;
  TransferState state;
  state.reply = &reply;
  state.curl = transport.curl.handle;
  state.file = file;
  state.maxFileBytes = maxBytes;
  state.deadlineMs = RequestDeadlineMs(transport.settings);
  char errorBuffer[CURL_ERROR_SIZE] = {0};
  CURL* curl = transport.curl.handle;
  SetCommonOptions(curl, transport.settings, url, state, errorBuffer);
  std::string cookie = "TICKET=" + ticket;
  if (!ticket.empty()) curl_easy_setopt(curl, CURLOPT_COOKIE, cookie.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
  ++call.requestCount;
  MessageId id = PerformTransfer(transport, url, state, errorBuffer, call, 0);
  bytesWritten = state.bytesWritten;
  if (id != kMsgSuccess) return id;
  if (reply.status != 200)
    return RecordTransportFailure(call, ApiFailureOrigin::kHttp, std::to_string(reply.status),
                                  "HTTP status " + std::to_string(reply.status), MaskUrlPassword(url));
  return kMsgSuccess;
}
