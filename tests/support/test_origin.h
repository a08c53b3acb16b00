#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/sockets.h"

// A web server for end-to-end tests on 127.0.0.1 (a free port). For every connection it
// reads one request (head, and a body as long as its Content-Length says), records it,
// and answers with what the handler returns; then it closes. Connections are served on
// threads of their own.
//
// A server that misbehaves on purpose is given a script instead of a handler: after the
// request it runs on the socket and sends what it likes, as slowly as it likes. Scripts
// must end by themselves: a send fails once the other side has closed, and WaitForClose
// is bounded.
class TestOrigin {
 public:
  using Handler = std::function<std::string(const std::string& request)>;
  using Script = std::function<void(TestOrigin& origin, SocketHandle socket)>;

  explicit TestOrigin(Handler handler = nullptr) : TestOrigin(std::move(handler), nullptr) {}
  explicit TestOrigin(Script script) : TestOrigin(nullptr, std::move(script)) {}
  TestOrigin(Handler handler, Script script) : handler_(std::move(handler)), script_(std::move(script)) {
    int error = 0;
    listener_ = ListenTcp(0, &error);
    port_ = LocalPort(listener_);
    acceptor_ = std::thread([this] { AcceptLoop(); });
  }
  ~TestOrigin() {
    stopping_ = true;
    ShutdownSocket(listener_);
    SocketHandle wake = ConnectTcp(Ipv4Address(127, 0, 0, 1), port_, 1000);
    if (wake != kNoSocket) CloseSocket(wake);
    acceptor_.join();
    for (std::thread& worker : workers_) worker.join();
    CloseSocket(listener_);
  }

  uint16_t port() const { return port_; }

  std::vector<std::string> Requests() {
    std::lock_guard lock(mu_);
    return requests_;
  }
  // Waits (at most `limit`) until `count` requests have arrived.
  bool WaitForRequests(size_t count, std::chrono::seconds limit = std::chrono::seconds(20)) {
    std::unique_lock lock(mu_);
    return arrived_.wait_for(lock, limit, [&] { return requests_.size() >= count; });
  }

  // Sends `data` in pieces of `piece` bytes; false once a send fails (the other side has
  // gone).
  static bool SendInPieces(SocketHandle socket, std::string_view data, size_t piece = 65536) {
    for (size_t at = 0; at < data.size(); at += piece) {
      if (!SendAll(socket, data.substr(at, piece))) return false;
    }
    return true;
  }
  // Waits (at most `limit_ms`) until the other side closes the connection, dropping
  // whatever arrives. True when it closed.
  bool WaitForClose(SocketHandle socket, int limit_ms) {
    char buffer[4096];
    for (int waited = 0; waited < limit_ms && !stopping_; waited += 100) {
      if (WaitReadable(socket, 100) == 0) continue;
      if (ReceiveSome(socket, buffer, sizeof buffer) <= 0) return true;
    }
    return false;
  }

  static std::string Response(const std::string& body, const std::string& type = "text/plain") {
    return "HTTP/1.1 200 OK\r\nContent-Type: " + type + "\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\n\r\n" + body;
  }

 private:
  void AcceptLoop() {
    while (!stopping_) {
      uint32_t peer = 0;
      SocketHandle client = AcceptTcp(listener_, &peer);
      if (client == kNoSocket || stopping_) {
        if (client != kNoSocket) CloseSocket(client);
        break;
      }
      workers_.emplace_back([this, client] { Serve(client); });
    }
  }

  void Serve(SocketHandle client) {
    std::string request;
    char buffer[16384];
    size_t head_end = std::string::npos;
    long body_length = 0;
    for (;;) {
      if (head_end != std::string::npos && request.size() >= head_end + 4 + static_cast<size_t>(body_length)) break;
      long got = ReceiveSome(client, buffer, sizeof buffer);
      if (got <= 0) break;
      request.append(buffer, static_cast<size_t>(got));
      if (head_end == std::string::npos && (head_end = request.find("\r\n\r\n")) != std::string::npos) {
        size_t length_at = request.find("Content-Length: ");
        if (length_at != std::string::npos && length_at < head_end) body_length = std::stol(request.substr(length_at + 16));
      }
    }
    {
      std::lock_guard lock(mu_);
      requests_.push_back(request);
    }
    arrived_.notify_all();
    if (script_) {
      script_(*this, client);
    } else {
      SendAll(client, handler_ ? handler_(request) : Response("hello"));
    }
    CloseSocket(client);
  }

  Handler handler_;
  Script script_;
  SocketHandle listener_ = kNoSocket;
  uint16_t port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread acceptor_;
  std::vector<std::thread> workers_;
  std::mutex mu_;
  std::condition_variable arrived_;
  std::vector<std::string> requests_;
};

// A browser-side connection for tests.
class TestClient {
 public:
  explicit TestClient(uint16_t port) : socket_(ConnectTcp(Ipv4Address(127, 0, 0, 1), port, 5000)) {}
  ~TestClient() {
    if (socket_ != kNoSocket) CloseSocket(socket_);
  }
  bool connected() const { return socket_ != kNoSocket; }
  bool Send(std::string_view bytes) { return SendAll(socket_, bytes); }
  SocketHandle socket() const { return socket_; }
  // Everything the other side sends until it closes.
  std::string ReadToEnd() {
    std::string all;
    char buffer[16384];
    for (long got; (got = ReceiveSome(socket_, buffer, sizeof buffer)) > 0;) all.append(buffer, static_cast<size_t>(got));
    return all;
  }
  // Everything the other side sends until it closes, or nullopt when it has not closed
  // within `limit` (for servers that are expected to close but might not).
  std::optional<std::string> ReadToEndWithin(std::chrono::milliseconds limit) {
    std::string all;
    char buffer[16384];
    auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0 || WaitReadable(socket_, static_cast<int>(left.count())) == 0) return std::nullopt;
      long got = ReceiveSome(socket_, buffer, sizeof buffer);
      if (got <= 0) return all;
      all.append(buffer, static_cast<size_t>(got));
    }
  }
  // Exactly `count` bytes, or fewer when the other side closes first.
  std::string Read(size_t count) {
    std::string all;
    char buffer[16384];
    while (all.size() < count) {
      long got = ReceiveSome(socket_, buffer, std::min(sizeof buffer, count - all.size()));
      if (got <= 0) break;
      all.append(buffer, static_cast<size_t>(got));
    }
    return all;
  }
  void Close() {
    CloseSocket(socket_);
    socket_ = kNoSocket;
  }

 private:
  SocketHandle socket_;
};
