#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/sockets.h"

// A web server for end-to-end tests that misbehaves on purpose: for every connection it
// reads the request head and then runs the test's script on the socket, which sends what
// it likes, as slowly as it likes, and returns when the script is done (the socket is
// closed then). Scripts must end by themselves: a send fails once the proxy has closed
// its side, and waits are bounded by `Stopping()`.
class ScriptedOrigin {
 public:
  using Script = std::function<void(ScriptedOrigin& origin, SocketHandle socket)>;

  explicit ScriptedOrigin(Script script) : script_(std::move(script)) {
    int error = 0;
    listener_ = ListenTcp(0, &error);
    port_ = LocalPort(listener_);
    acceptor_ = std::thread([this] { AcceptLoop(); });
  }
  ~ScriptedOrigin() {
    stopping_ = true;
    ShutdownSocket(listener_);
    SocketHandle wake = ConnectTcp(Ipv4Address(127, 0, 0, 1), port_, 1000);
    if (wake != kNoSocket) CloseSocket(wake);
    acceptor_.join();
    for (std::thread& worker : workers_) worker.join();
    CloseSocket(listener_);
  }

  uint16_t port() const { return port_; }
  bool Stopping() const { return stopping_; }

  // Sends `data` in pieces of `piece` bytes; false once a send fails (the other side has
  // gone).
  static bool SendInPieces(SocketHandle socket, std::string_view data, size_t piece = 65536) {
    for (size_t at = 0; at < data.size(); at += piece) {
      if (!SendAll(socket, data.substr(at, piece))) return false;
    }
    return true;
  }
  // Waits (at most `limit_ms`) until the other side closes the connection, reading and
  // dropping whatever arrives. True when it closed.
  bool WaitForClose(SocketHandle socket, int limit_ms) {
    char buffer[4096];
    for (int waited = 0; waited < limit_ms && !stopping_; waited += 100) {
      if (WaitReadable(socket, 100) == 0) continue;
      if (ReceiveSome(socket, buffer, sizeof buffer) <= 0) return true;
    }
    return false;
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
      workers_.emplace_back([this, client] {
        std::string head;
        char buffer[4096];
        while (head.find("\r\n\r\n") == std::string::npos) {
          long got = ReceiveSome(client, buffer, sizeof buffer);
          if (got <= 0) break;
          head.append(buffer, static_cast<size_t>(got));
        }
        script_(*this, client);
        CloseSocket(client);
      });
    }
  }

  Script script_;
  SocketHandle listener_ = kNoSocket;
  uint16_t port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread acceptor_;
  std::vector<std::thread> workers_;
};
