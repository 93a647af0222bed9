// A loopback HTTP server for the API client's tests: it answers each request
// with the next canned reply (or holds the connection open without answering,
// or misbehaves as a hostile server would: a reply without end, or one that
// trickles in byte by byte) and keeps what it was sent, so tests can check
// request bodies and headers.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct CannedReply {
  int status = 200;
  std::string contentType = "application/xml";
  std::string body;
  std::string extraHeaders;  // each ending in "\r\n"
  bool stall = false;        // accept the request, never answer
  int delayMs = 0;           // wait this long before answering
  // Hostile replies: no length, the body repeated until the client hangs up
  // (endless), and/or sent one byte every trickleMs.
  bool endless = false;
  int trickleMs = 0;
};

struct ReceivedRequest {
  std::string head;
  std::string body;
};

class CannedHttpServer {
 public:
  explicit CannedHttpServer(std::vector<CannedReply> replies) : replies_(replies.begin(), replies.end()) {
    // Close-on-exec like the driver's own, so tests can tell those apart.
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int on = 1;
    setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener_, 8);
    socklen_t length = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    worker_ = std::thread([this] { Serve(); });
  }
  ~CannedHttpServer() {
    stopping_ = true;
    shutdown(listener_, SHUT_RDWR);
    close(listener_);
    worker_.join();
  }
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_); }
  std::vector<ReceivedRequest> Requests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }

 private:
  void Serve() {
    while (!stopping_) {
      int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (client < 0) return;
      Answer(client);
      close(client);
    }
  }
  static std::size_t ContentLength(const std::string& head) {
    std::size_t at = head.find("Content-Length:");
    if (at == std::string::npos) at = head.find("content-length:");
    return at == std::string::npos ? 0 : std::stoul(head.substr(at + 15));
  }
  bool ReadRequest(int client, ReceivedRequest& request) {
    std::string data;
    char buffer[4096];
    std::size_t headEnd = std::string::npos;
    while (headEnd == std::string::npos || data.size() < headEnd + 4 + ContentLength(data.substr(0, headEnd))) {
      ssize_t n = recv(client, buffer, sizeof buffer, 0);
      if (n <= 0) return false;
      data.append(buffer, static_cast<std::size_t>(n));
      headEnd = data.find("\r\n\r\n");
    }
    request.head = data.substr(0, headEnd);
    request.body = data.substr(headEnd + 4);
    return true;
  }
  void Answer(int client) {
    ReceivedRequest request;
    if (!ReadRequest(client, request)) return;
    CannedReply reply;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      requests_.push_back(request);
      if (!replies_.empty()) {
        reply = replies_.front();
        replies_.pop_front();
      }
    }
    if (reply.stall) {
      while (!stopping_) usleep(10000);
      return;
    }
    for (int waited = 0; waited < reply.delayMs && !stopping_; waited += 10) usleep(10000);
    if (reply.endless || reply.trickleMs > 0) {
      Stream(client, reply);
      return;
    }
    std::string text = "HTTP/1.1 " + std::to_string(reply.status) + " X\r\nContent-Type: " + reply.contentType +
                       "\r\nContent-Length: " + std::to_string(reply.body.size()) + "\r\n" + reply.extraHeaders +
                       "Connection: close\r\n\r\n" + reply.body;
    send(client, text.data(), text.size(), MSG_NOSIGNAL);
  }

  // Sends the head, then the body as the reply asks, until the client stops
  // reading or the server stops.
  void Stream(int client, const CannedReply& reply) {
    std::string head = "HTTP/1.1 " + std::to_string(reply.status) + " X\r\nContent-Type: " + reply.contentType +
                       "\r\n" + reply.extraHeaders + "Connection: close\r\n\r\n";
    if (send(client, head.data(), head.size(), MSG_NOSIGNAL) < 0) return;
    const std::string body = reply.body.empty() ? std::string(1, 'x') : reply.body;
    std::string block;
    if (reply.trickleMs == 0) {
      while (block.size() < 65536) block += body;
    }
    do {
      if (reply.trickleMs > 0) {
        for (char c : body) {
          for (int waited = 0; waited < reply.trickleMs && !stopping_; waited += 10) usleep(10000);
          if (stopping_ || send(client, &c, 1, MSG_NOSIGNAL) < 0) return;
        }
      } else if (send(client, block.data(), block.size(), MSG_NOSIGNAL) < 0) {
        return;
      }
    } while (reply.endless && !stopping_);
  }

  std::deque<CannedReply> replies_;
  std::vector<ReceivedRequest> requests_;
  std::mutex mutex_;
  std::atomic<bool> stopping_{false};
  int listener_ = -1;
  int port_ = 0;
  std::thread worker_;
};

// An envelope reply with the given errcode and the action-specific elements.
inline CannedReply Envelope(const std::string& errcode, const std::string& inner = "",
                            const std::string& errtext = "No error") {
  CannedReply reply;
  reply.body = "<?xml version=\"1.0\" ?><qdbapi><action>X</action><errcode>" + errcode + "</errcode><errtext>" +
               errtext + "</errtext>" + inner + "</qdbapi>";
  return reply;
}
