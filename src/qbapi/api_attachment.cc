// Downloading a file attachment with the session's TICKET cookie; table
// access calls it when an application reads a file column.
#include "qbapi/api_exchange.h"
#include "qbapi/api_operations.h"

namespace {

bool IsDigits(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

}  // namespace

MessageId ApiDownloadAttachment(ApiSession& session, ApiCallRecord& call, const std::string& tableDbid,
                                const std::string& rid, const std::string& fid, PlatformFile file,
                                std::uint64_t maxBytes, std::uint64_t& bytes) {
  bytes = 0;
  if (!IsPlausibleDbid(tableDbid) || !IsDigits(rid) || !IsDigits(fid)) {
    return RecordServiceFailure(call, "2", "Invalid attachment reference", tableDbid + " r" + rid + " e" + fid);
  }
  // The download is authenticated by the ticket only; get one first.
  if (session.ticket.empty()) {
    MessageId id = ApiAuthenticate(session, call);
    if (id != kMsgSuccess) return id;
  }
  std::string path = "/up/" + tableDbid + "/a/r" + rid + "/e" + fid + "/v0";
  return HttpDownloadToFile(session.transport, path, session.ticket, file, maxBytes, bytes, call);
}
